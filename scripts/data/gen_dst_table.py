"""The clock table of the daylight-saving tests (tests/clocks/DstChangeTable.txt),
from the carried tzdata (scripts/data/tzdata/tzdata.zi, compiled with zic: see
tzsource.py) through Python's zoneinfo.

For every city of data/cities.lst that has a daylight-saving rule, used as the
home city on a device in the city's own zone, it lists the instants one minute
before and one minute after each of that zone's clock changes in the rule year
(line 1 of cities.lst) and the four years after it, and 30 minutes before each
end of its summer time, and for each instant what four clocks read there: a
northern city with summer time (New York), a southern one (Sydney), one without
(Tokyo) and one half an hour off the hour (St. John's), time and date as tzdata
gives them.

The cities' rules are the year's changes as the list generator wrote them (it
checks every hour of that year against tzdata and leaves out the zones whose
year it cannot write); in the following years the program moves each bound to
the same weekday of its month. A zone whose changes of a following year that
reading does not give (its rule moves by another calendar) is left out for that
year and named in the table's head. The zones whose windows the program reads
year by year from data/dstyears.lst (written by gen_lists.py with the list)
are listed in every year from their entry's first year to SCHEDULED_THROUGH, so that the
tests hold the program's reading of that file against tzdata. Deterministic:
the same list, per-year file and tzdata give the same file. --check compares instead of writing and exits 1 when the
file is not current.

    /usr/bin/python3 scripts/data/gen_dst_table.py [--check]
"""

import datetime as dt
import functools
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from datacommon import DATA, REPO, fail, run_main  # noqa: E402
import tzsource  # noqa: E402
import zonerules  # noqa: E402

TABLE = os.path.join(REPO, "tests", "clocks", "DstChangeTable.txt")
SCHEDULES = os.path.join(DATA, "dstyears.lst")
CLOCKS = [("America/New_York", "New York", "United States of America"),
          ("Australia/Sydney", "Sydney", "Australia"),
          ("Asia/Tokyo", "Tokyo", "Japan"),
          ("America/St_Johns", "St. John's", "Canada")]
# The years after the rule year that the table covers.
FOLLOWING_YEARS = 4
# The last year the table covers for the zones of the per-year file.
SCHEDULED_THROUGH = 2037


def read_cities(path):
    with open(path, encoding="latin-1", newline="") as f:
        lines = f.read().split("\n")
    year = None
    for part in lines[0].split(";"):
        if part.startswith("year "):
            year = int(part[5:])
    if year is None:
        fail(f"{path}: line 1 names no year")
    cities = []
    for line in lines[2:]:
        if not line or line.split(";")[0] == ">" or ">" in line.split(";"):
            break
        fields = line.split(";")
        if len(fields) != 11:
            fail(f"{path}: line {line!r} does not have 11 fields")
        zone, name, country = fields[0], fields[1], fields[2]
        shift = int(fields[6])
        rule = tuple(int(v) for v in fields[6:11])
        cities.append((zone, name, country, shift, int(fields[5]), rule))
    return year, cities


def read_scheduled_zones(path):
    """The zones that the per-year file gives windows for (the first field of each entry), each
    with the entry's first year."""
    try:
        with open(path, encoding="latin-1", newline="") as f:
            lines = f.read().split("\n")
    except OSError:
        return {}
    zones = {}
    for line in lines[2:]:
        if line == ">":
            break
        if line:
            fields = line.split(";")
            zones.update((zone, int(fields[2])) for zone in fields[0].split(","))
    return zones


def offset_minutes(hhmm):
    """An HhmmOffset in minutes east of UTC."""
    if -100 <= hhmm <= 100:
        return hhmm * 60
    sign = -1 if hhmm < 0 else 1
    return sign * (abs(hhmm) // 100 * 60 + abs(hhmm) % 100)


@functools.lru_cache(maxsize=None)
def tz(name):
    return tzsource.zone(name)


def offset_at(zone, t):
    return dt.datetime.fromtimestamp(t, tz(zone)).utcoffset()


def changes(zone, year):
    """(instant, offset before, offset after) of each change of the zone in the year, UTC."""
    lo = int(dt.datetime(year, 1, 1, tzinfo=dt.timezone.utc).timestamp())
    hi = int(dt.datetime(year + 1, 1, 1, tzinfo=dt.timezone.utc).timestamp())
    found = []
    t = lo
    before = offset_at(zone, t)
    while t < hi:
        nxt = min(t + 3 * 3600, hi)
        after = offset_at(zone, nxt)
        if after != before:
            a, b = t, nxt  # the change lies in (a, b]
            while b - a > 1:
                mid = (a + b) // 2
                if offset_at(zone, mid) == before:
                    a = mid
                else:
                    b = mid
            found.append((b, before, after))
            before = after
        t = nxt
    return found


def clock_texts(zone, t):
    local = dt.datetime.fromtimestamp(t, tz(zone))
    return f"{local:%H:%M:%S} {local:%d/%m}"


def given_by_rule(zone_changes, std, rule, rule_year, year):
    """Whether the program's reading of the rule gives tzdata's changes of the year."""
    summer = std + dt.timedelta(hours=rule[0])
    found = {(dt.datetime(1970, 1, 1) + dt.timedelta(seconds=instant) + std, after == summer)
             for instant, _, after in zone_changes}
    return found == zonerules.rule_changes(rule, rule_year, year)


def build(year, cities, scheduled=None):
    if scheduled is None:
        scheduled = read_scheduled_zones(SCHEDULES)
    rows, left_out, known = [], {}, {}
    years = range(year, year + 1 + FOLLOWING_YEARS)
    through = max(year + FOLLOWING_YEARS, SCHEDULED_THROUGH)
    listed = set()
    for zone, name, country, shift, offset, rule in cities:
        if shift == 0:
            continue
        if zone in scheduled:
            listed.add(zone)
        # A zone of the per-year file from the entry's first year (the year before the list's
        # serves a device still in it).
        for y in (range(min(year, scheduled[zone]), through + 1) if zone in scheduled else years):
            if (zone, y) not in known:
                zone_changes = changes(zone, y)
                if not zone_changes and y == year:
                    fail(f"{zone} ({name}) has a rule but tzdata has no change in {year}")
                std = dt.timedelta(minutes=offset_minutes(offset))
                # A zone of the per-year file is read by its windows: tzdata's changes are the test.
                known[zone, y] = zone_changes, zone in scheduled or given_by_rule(zone_changes, std, rule, year, y)
            zone_changes, given = known[zone, y]
            if not given:
                left_out.setdefault(zone, set()).add(y)
                continue
            for instant, before, after in zone_changes:
                # The end of summer time: the offset returns to standard (up for a negative shift).
                ends = (after < before) == (shift > 0)
                moments = [instant - 60, instant + 60] + ([instant - 1800] if ends else [])
                for t in sorted(moments):
                    stamp = dt.datetime.fromtimestamp(t, dt.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
                    texts = [clock_texts(z, t) for z, _, _ in CLOCKS]
                    rows.append(";".join([f"{name}:{country}", zone, stamp] + texts))
    header = [
        f"# Clock texts at the clock changes of {years[0]} to {years[-1]}"
        + (f" ({', '.join(f'{z}: {min(year, scheduled[z])} to {through}' for z in sorted(listed))}, "
           "windows by year from data/dstyears.lst)" if listed else "")
        + f", from tzdata {tzsource.version(tzsource.source())} through zoneinfo: home city;",
        "# device zone; UTC instant; then time and date of " + ", ".join(f"{n}:{c}" for _, n, c in CLOCKS) + ".",
        "# Left out, their changes moving by another calendar than the rule's weekdays: "
        + (", ".join(f"{z} {' '.join(map(str, sorted(ys)))}" for z, ys in sorted(left_out.items())) or "none")
        + ".",
        "# Generated by scripts/data/gen_dst_table.py from data/cities.lst and data/dstyears.lst; do not edit.",
    ]
    return "\n".join(header + rows) + "\n"


def main():
    check = "--check" in sys.argv[1:]
    year, cities = read_cities(os.path.join(DATA, "cities.lst"))
    text = build(year, cities)
    if check:
        try:
            with open(TABLE, encoding="utf-8", newline="") as f:
                current = f.read()
        except OSError:
            current = None
        if current != text:
            print(f"{TABLE} is not current: run scripts/data/gen_dst_table.py", file=sys.stderr)
            sys.exit(1)
        return
    tmp = TABLE + ".tmp"
    with open(tmp, "w", encoding="utf-8", newline="") as f:
        f.write(text)
    os.replace(tmp, TABLE)
    rows = sum(not line.startswith("#") for line in text.splitlines())
    print(f"{TABLE}: {rows} instants")


if __name__ == "__main__":
    run_main(main)
