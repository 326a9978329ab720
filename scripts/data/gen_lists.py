#!/usr/bin/python3
"""Writes the shipped text files: cities.lst, dstyears.lst, cities.wet, weatcs/*,
currs.lst, langs.dat, mapping.cfg, adrs.cfg, the stand-in feed server's data under
data/feed/, and core/ShippedDefaults.h with the list positions of the
first-run defaults.

Sources: the npm package city-timezones (scripts/data/package.json; run
`npm install` in scripts/data first), the tzdata carried in
scripts/data/tzdata/tzdata.zi (never the machine's), Debian's iso-codes.

    /usr/bin/python3 scripts/data/gen_lists.py [--year YYYY] [--tzdata FILE]

--tzdata makes the lists from another tzdata.zi and carries it: the file is
copied over scripts/data/tzdata/tzdata.zi together with the lists.

Every output is checked against its format before anything is written, and
all files are replaced together (temporary file and rename)."""

import argparse
import calendar
import datetime as dt
import json
import os
import time

import datacommon
from datacommon import (DATA, NODE_MODULES, REPO, AtomicWriter, fail,
                        require_file, run_main, to_ascii)
import tzsource
import zonerules
from currencies import RATE_DATE, RATE_NOTE, UNITS_PER_USD, SUPPLEMENT, LEFT_OUT

CITY_SOURCE = os.path.join(NODE_MODULES, "city-timezones", "data", "cityMap.json")
ISO4217 = "/usr/share/iso-codes/json/iso_4217.json"
TARGET_CITIES = 1200
WEATHER_PLACES = 320
FEED_URL = "http://127.0.0.1:8765/feed"

# Characters that would end a field, a token or a list in one of the formats.
FORBIDDEN = set(':;>*<@_#^\\"/\r\n\t')

# The four world clocks and the weather places of a first start, each named
# as it stands in cities.lst. The program's first start sets clock1..clock4 to
# the fixed list positions CLOCK_POSITIONS, so the list is balanced around
# these cities until each stands at its position (see place_clock_cities).
DEFAULT_CLOCKS = [("New York", "United States of America"), ("Paris", "France"),
                  ("London", "United Kingdom"), ("Tokyo", "Japan")]
CLOCK_POSITIONS = (684, 756, 565, 988)
DEFAULT_WEATHER = ["London", "New York", "Tokyo"]
# The clock city and the weather place that stand in for a default one when
# the home city is that default, so that a first start shows four cities
# other than the home city.
SPARE_CLOCK = ("Sydney", "Australia")
SPARE_WEATHER = "Paris"
DEFAULT_CURRENCIES = ["USD", "EUR", "GBP"]

# Condition codes of the feed's weather replies and their icons. The lookup
# is a substring search over whole lines, so every code has the same length
# and no code occurs inside an icon name or another code.
CONDITIONS = [
    ("na", ["N/A", "-"], "no data"),
    ("sunny", ["W01"], "clear"),
    ("fair", ["W02"], "mostly sunny"),
    ("ptcloudy", ["W03"], "partly cloudy"),
    ("cloudy", ["W04", "W05"], "mostly cloudy, overcast"),
    ("fog", ["W06"], "fog"),
    ("drizzle", ["W07"], "drizzle"),
    ("showers", ["W08"], "rain showers"),
    ("rain", ["W09"], "rain"),
    ("tstorm", ["W10"], "thunderstorms"),
    ("snowshwr", ["W11"], "snow showers"),
    ("snow", ["W12"], "snow"),
    ("sleet", ["W13", "W14"], "sleet, freezing rain"),
    ("windy", ["W15"], "windy"),
    ("haze", ["W16"], "haze, dust"),
]


# Places in zones that the source has no city for, added so that every
# standard offset in use has a city: (name, country, ISO 3166 code, zone,
# latitude, longitude), positions from public gazetteers.
SUPPLEMENT_CITIES = [
    ("Kiritimati", "Kiribati", "KI", "Pacific/Kiritimati", 1.87, -157.40),
    ("Eucla", "Australia", "AU", "Australia/Eucla", -31.68, 128.88),
    ("Taiohae", "French Polynesia", "PF", "Pacific/Marquesas", -8.91, -140.10),
    ("Waitangi", "New Zealand", "NZ", "Pacific/Chatham", -43.95, -176.56),
    ("Lord Howe Island", "Australia", "AU", "Australia/Lord_Howe", -31.55, 159.08),
]


def clean_name(text):
    name = to_ascii(text)
    if not name or any(c in FORBIDDEN for c in name) or len(name) > 40:
        return None
    return name


def load_cities():
    require_file(CITY_SOURCE, "run `npm install` in scripts/data")
    with open(CITY_SOURCE, encoding="utf-8") as f:
        rows = json.load(f)
    if not isinstance(rows, list) or not rows:
        fail(f"{CITY_SOURCE} holds no city list")
    cities, no_zone, bad_name = {}, 0, 0
    for row in rows:
        name = clean_name(row.get("city") or "")
        if name is None:
            name = clean_name(row.get("city_ascii") or "")
        country = clean_name(row.get("country") or "")
        if name is None or country is None:
            bad_name += 1
            continue
        zone = row.get("timezone")
        if not zone:
            no_zone += 1
            continue
        try:
            lat, lon, pop = float(row["lat"]), float(row["lng"]), float(row.get("pop") or 0)
        except (KeyError, TypeError, ValueError):
            fail(f"city {name!r} of {country!r} has no usable position")
        if not (-90 <= lat <= 90 and -180 <= lon <= 180):
            fail(f"city {name!r} of {country!r} lies outside the globe ({lat}, {lon})")
        key = (name, country)
        if key not in cities or cities[key]["pop"] < pop:
            cities[key] = dict(name=name, country=country, zone=zone, lat=lat, lon=lon,
                               pop=pop, iso2=str(row.get("iso2") or "XX").upper())
    for name, country, iso2, zone, lat, lon in SUPPLEMENT_CITIES:
        cities.setdefault((name, country), dict(name=name, country=country, zone=zone, lat=lat,
                                                lon=lon, pop=0.0, iso2=iso2))
    print(f"source: {len(rows)} rows, {len(cities)} usable, {no_zone} without a zone "
          f"(never chosen), {bad_name} with unusable names")
    return list(cities.values())


# The years after the list's year in which the rules are checked against tzdata.
FOLLOWING_YEARS = 4


def analyse_zones(cities, year):
    """Each zone's rule of the year, checked hour by hour against tzdata and
    written so that it keeps tzdata's changes in the following years where a
    weekday rule can; also the zones whose following years no rule gives."""
    zones, unfit = {}, {}
    for zone in sorted({c["zone"] for c in cities}):
        zy = zonerules.analyse(zone, year)
        if zy.reason is None:
            zy, years = zonerules.fit_following_years(zy, year, FOLLOWING_YEARS)
            verify_zone(zy, year)
            if years:
                unfit[zone] = years
        zones[zone] = zy
    left_out = {z: zy.reason for z, zy in zones.items() if zy.reason}
    return zones, left_out, unfit


def verify_zone(zy, year):
    """Every hour of the year: the offset the rule gives (window opened this
    year, or the one opened last year still running) equals tzdata's."""
    zonerules._use_zone(zy.zone)
    std = zy.std_minutes * 60
    t = calendar.timegm((year, 1, 1, 0, 0, 0)) - std
    end = calendar.timegm((year + 1, 1, 1, 0, 0, 0)) - std
    epoch = dt.datetime(1970, 1, 1)
    while t < end:
        local = epoch + dt.timedelta(seconds=t + std)
        offset = std
        if zy.rule and zonerules.rule_open(zy.rule, local, year):
            offset += zy.rule[0] * 3600
        actual = time.localtime(t).tm_gmtoff
        if actual != offset:
            fail(f"rule {zy.rule} of {zy.zone} gives {offset // 60} min at {local} "
                 f"standard time, tzdata {actual // 60} min")
        t += 3600


def build_schedules(ordered, zones, unfit, year):
    """The per-year windows of the listed zones whose following years no weekday rule gives,
    each checked hour by hour against tzdata over all its years. Zones whose windows are the
    same share one entry. The program finds an entry by the rule's shift and its window of the
    list's year, so no two entries, and no other listed zone, may share those."""
    used = sorted({c["zone"] for c in ordered} & set(unfit))
    entries, not_written = [], {}
    for zone in used:
        # From the year before the list's, for a device still in it; from the list's year when
        # tzdata's year before cannot be written as windows (a new standard offset).
        sched = zonerules.schedule(zones[zone], year, year - 1)
        if sched.reason:
            sched = zonerules.schedule(zones[zone], year)
        if sched.reason:
            not_written[zone] = sched.reason
            continue
        verify_schedule(zones[zone], sched, year)
        key = (sched.shift, zonerules.window_bounds(zones[zone].rule, year, year))
        if key[1] not in sched.windows:
            fail(f"the rule {zones[zone].rule} of {zone} is not its {year} window in tzdata")
        same = [e for e in entries if e["key"] == key]
        if same and (same[0]["windows"], same[0]["last"]) != (sched.windows, sched.last):
            fail(f"{zone} and {same[0]['zones'][0]} have the same {year} window but not the same later ones")
        if same:
            same[0]["zones"].append(zone)
        else:
            entries.append(dict(key=key, zones=[zone], shift=sched.shift, first=sched.first,
                                last=sched.last, windows=sched.windows))
    listed = {c["zone"] for c in ordered}
    for zone in sorted(listed):
        zy = zones[zone]
        if not zy.rule or any(zone in e["zones"] for e in entries):
            continue
        key = (zy.rule[0], zonerules.window_bounds(zy.rule, year, year))
        for e in entries:
            if e["key"] == key:
                fail(f"the rule of {zone} would be read as the per-year windows of {e['zones'][0]}")
    return entries, not_written


def verify_schedule(zy, sched, year):
    """Every hour from the schedule's first year to its last: the offset the windows give
    equals tzdata's."""
    zonerules._use_zone(zy.zone)
    std = zy.std_minutes * 60
    t = calendar.timegm((sched.first, 1, 1, 0, 0, 0)) - std
    end = calendar.timegm((sched.last + 1, 1, 1, 0, 0, 0)) - std
    epoch = dt.datetime(1970, 1, 1)
    while t < end:
        local = epoch + dt.timedelta(seconds=t + std)
        offset = std + (sched.shift * 3600 if zonerules.schedule_open(sched, local) else 0)
        actual = time.localtime(t).tm_gmtoff
        if actual != offset:
            fail(f"the windows of {zy.zone} give {offset // 60} min at {local} standard time, "
                 f"tzdata {actual // 60} min")
        t += 3600


def build_dstyears(entries, year, tz_version):
    head = (f"Jorvana daylight-saving windows by year;year {year};tzdata {tz_version};"
            "fields: zones;shift;first year;last year;windows as start year:start day:start hour:"
            "end day:end hour, days counted from 1 January of the start year, hours in standard time\n")
    lines = []
    for e in entries:
        windows = [zonerules.window_text(s, t) for s, t in e["windows"]]
        lines.append(";".join([",".join(e["zones"]), str(e["shift"]), str(e["first"]), str(e["last"])] + windows))
    return head + f"{len(lines)}\n" + "".join(line + "\n" for line in lines) + ">\n"


def choose_cities(cities, zones):
    usable = [c for c in cities if zones[c["zone"]].reason is None]
    by_pop = sorted(usable, key=lambda c: (-c["pop"], c["name"], c["country"]))
    chosen, seen = [], set()

    def take(c):
        key = (c["name"], c["country"])
        if key not in seen:
            seen.add(key)
            chosen.append(c)

    for name, country in DEFAULT_CLOCKS:
        match = [c for c in cities if c["name"] == name and c["country"] == country]
        if not match:
            fail(f"default clock city {name}:{country} is not in the source")
        if zones[match[0]["zone"]].reason:
            fail(f"default clock city {name} has zone {match[0]['zone']}: {zones[match[0]['zone']].reason}")
        take(match[0])
    top_of_zone, per_country = set(), {}
    for c in by_pop:  # the largest city of every zone
        if c["zone"] not in top_of_zone:
            top_of_zone.add(c["zone"])
            take(c)
    for c in by_pop:  # the three largest of every country
        n = per_country.get(c["country"], 0)
        if n < 3:
            per_country[c["country"]] = n + 1
            take(c)
    required = len(chosen)
    for c in by_pop:
        if len(chosen) >= TARGET_CITIES:
            break
        take(c)
    return place_clock_cities(chosen[:required], chosen[required:], by_pop)


def sort_key(c):
    """CityIndex order: "name:country", case-sensitive."""
    return c["name"] + ":" + c["country"]


def place_clock_cities(required, optional, by_pop):
    """Moves the default clock cities onto CLOCK_POSITIONS without changing
    the count. The clock cities cut the sorted list into five ranges, each of
    which must hold a set number of cities. A range holding too many loses its
    least populous optional cities; one holding too few gains the most
    populous cities of that range not yet chosen. Required cities (clocks,
    zones' largest, countries' largest) are never dropped."""
    keys = [n + ":" + k for n, k in DEFAULT_CLOCKS]
    order = sorted(range(len(keys)), key=lambda i: keys[i])
    bounds = [keys[i] for i in order]
    positions = [CLOCK_POSITIONS[i] for i in order]
    if positions != sorted(positions) or len(set(positions)) != len(positions):
        fail(f"clock positions {CLOCK_POSITIONS} do not follow the order of their cities "
             f"{', '.join(keys)}")
    total = len(required) + len(optional)
    wanted = [positions[0]] + [b - a - 1 for a, b in zip(positions, positions[1:])] + \
             [total - positions[-1] - 1]
    if wanted[-1] < 0:
        fail(f"clock position {positions[-1]} lies beyond a list of {total} cities")

    def range_of(c):
        key = sort_key(c)
        if key in keys:
            return None
        return sum(1 for b in bounds if b < key)

    chosen_keys = {sort_key(c) for c in required + optional}
    kept = list(required)
    for r, want in enumerate(wanted):
        fixed = [c for c in required if range_of(c) == r]
        if len(fixed) > want:
            fail(f"{len(fixed)} required cities lie between {bounds[r - 1] if r else 'the start'} "
                 f"and {bounds[r] if r < len(bounds) else 'the end'}, room for {want}: "
                 f"the clock cities cannot stand at {CLOCK_POSITIONS}")
        # optional and by_pop are both ordered by falling population
        extra = [c for c in optional if range_of(c) == r][:want - len(fixed)]
        more = [c for c in by_pop if range_of(c) == r and sort_key(c) not in chosen_keys]
        extra += more[:want - len(fixed) - len(extra)]
        if len(fixed) + len(extra) < want:
            fail(f"only {len(fixed) + len(extra)} usable cities lie between "
                 f"{bounds[r - 1] if r else 'the start'} and "
                 f"{bounds[r] if r < len(bounds) else 'the end'}, {want} needed")
        kept += extra
    ordered = sorted(kept, key=sort_key)
    got = tuple(next(i for i, c in enumerate(ordered) if sort_key(c) == k) for k in keys)
    if len(ordered) != total or got != CLOCK_POSITIONS:
        fail(f"clock cities stand at {got} in {len(ordered)} cities, "
             f"not at {CLOCK_POSITIONS} in {total}")
    return kept


def assign_codes(chosen):
    """Weather codes: the country's two letters and a serial, largest first."""
    by_country = {}
    for c in sorted(chosen, key=lambda c: (-c["pop"], c["name"])):
        by_country.setdefault(c["country"], []).append(c)
    used = set()
    for country, members in by_country.items():
        iso2 = members[0]["iso2"] if members[0]["iso2"].isalpha() else "XX"
        for i, c in enumerate(members, 1):
            code = f"{iso2}{i:04d}"
            while code in used:
                i += 1000
                code = f"{iso2}{i:04d}"
            used.add(code)
            c["code"] = code
    return by_country


def city_line(c, zones):
    zy = zones[c["zone"]]
    off = zonerules.hhmm_offset(zy.std_minutes)
    rule = zy.rule or (0, 0, 0, 0, 0)
    fields = [c["zone"], c["name"], c["country"], str(round(c["lon"])), str(round(c["lat"])),
              str(off)] + [str(v) for v in rule]
    return ";".join(fields) + "\n"


def build_cities_lst(chosen, zones, year, tz_version):
    ordered = sorted(chosen, key=sort_key)
    head = (f"Jorvana city list;year {year};tzdata {tz_version};"
            f"fields: zone;name;country;longitude;latitude;offset;shift;start day;start hour;end day;end hour\n")
    text = head + f"{len(ordered)}\n" + "".join(city_line(c, zones) for c in ordered)
    text += ";>;>;>;>;>;>;>;>;>;>\n"
    return text, ordered


def weatcs_file(members):
    """Lines name;code in alphabetical order, except that a name which ends
    another name of the file comes before it: the program takes the first
    line holding "name;", so "York;" must not meet "New York;" first."""
    lines = []
    for c in sorted(members, key=lambda c: c["name"]):
        needle = c["name"] + ";"
        pos = next((i for i, l in enumerate(lines) if needle in l), len(lines))
        lines.insert(pos, f"{c['name']};{c['code']}")
    for c in members:
        first = next(l for l in lines if c["name"] + ";" in l)
        if first.split(";", 1)[1] != c["code"]:
            fail(f"weatcs/{c['country']}: the line of {c['name']} is hidden by {first!r}")
    return "".join(l + "\r\n" for l in lines) + ">\r\n"


def choose_weather(ordered):
    # Weather places are found by name, so every name stands once. Each zone first gets its
    # largest city whose name is still free (a smaller namesake elsewhere does not take a
    # zone's only place), then the defaults, then the largest cities left.
    ranked = sorted(ordered, key=lambda c: (-c["pop"], c["name"], c["country"]))
    picked, names, zones_seen = [], {}, set()

    def pick(c):
        picked.append(c)
        names[c["name"]] = c

    for c in ranked:
        if c["zone"] not in zones_seen and c["name"] not in names:
            zones_seen.add(c["zone"])
            pick(c)
    for name in DEFAULT_WEATHER:
        if name in names:
            continue
        match = [c for c in ranked if c["name"] == name]
        if not match:
            fail(f"default weather place {name} is not in cities.lst")
        pick(match[0])
    for c in ranked:
        if len(picked) >= WEATHER_PLACES:
            break
        if c["name"] not in names:
            pick(c)
    return sorted(picked, key=lambda c: c["name"])


def build_cities_wet(places):
    # count line ended by LF alone: no reader has to skip a CR after the digits
    return f"{len(places)}\n" + "".join(
        f"{c['country']};{c['name']};{c['code']}\r\n" for c in places)


def build_currencies():
    iso = json.load(open(require_file(ISO4217, "Debian package iso-codes"), encoding="utf-8"))["4217"]
    entries = {}
    for row in iso:
        code = row["alpha_3"]
        if code in LEFT_OUT:
            continue
        entries[code] = to_ascii(row["name"])
    entries.update(SUPPLEMENT)
    missing = sorted(set(entries) - set(UNITS_PER_USD))
    if missing:
        fail(f"no initial rate for {', '.join(missing)} (scripts/data/currencies.py)")
    extra = sorted(set(UNITS_PER_USD) - set(entries))
    if extra:
        fail(f"rates for currencies not in the list: {', '.join(extra)}")
    folded = {}
    out = []
    for code in sorted(entries):
        name = entries[code]
        if not name or any(c in "_#\r\n" for c in name):
            fail(f"currency name {name!r} of {code} breaks currs.lst")
        if name.lower() in folded:
            fail(f"currencies {code} and {folded[name.lower()]} share the name {name!r}")
        folded[name.lower()] = code
        rate = 1.0 / UNITS_PER_USD[code]
        out.append((code, name, f"{rate:.6g}"))
    return out


def build_currs_lst(currs):
    return f"{len(currs)}\r\n" + "".join(f"{c}_{n}_{r}#" for c, n, r in currs) + "\r\n"


def build_mapping():
    lines = [f"{icon}@{','.join(codes)}" for icon, codes, _ in CONDITIONS]
    text = "".join(l + "\r\n" for l in lines) + ">\r\n"
    text += "Weather condition codes of the feed replies, mapped to icon names (icon@codes).\r\n"
    for icon, codes, what in CONDITIONS:
        text += f"  {icon}: {what}\r\n"
    # Every code must find its own line first.
    for icon, codes, _ in CONDITIONS:
        for code in codes:
            first = next(l for l in lines if code in l)
            if first.split("@")[0] != icon:
                fail(f"mapping.cfg: code {code} would map to {first.split('@')[0]}")
    return text


def climate(c):
    """Parameters of the stand-in server's made-up forecasts, from latitude
    alone: a mean temperature, a seasonal swing with the hemisphere's sign,
    a daily range and a wet-day share. Not observations."""
    lat = abs(c["lat"])
    mean = round(28 - 0.45 * max(0.0, lat - 12) - 0.004 * max(0.0, lat - 40) ** 2, 1)
    swing = round(min(20.0, 1.0 + 0.32 * lat), 1) * (1 if c["lat"] >= 0 else -1)
    day_range = round(7 + 0.08 * lat, 1)
    wet = round(0.55 if lat < 10 else 0.25 if lat < 30 else 0.35, 2)
    return mean, swing, day_range, wet


def build_feed(places, currs, year):
    rates = f"# rates: value of one unit in US dollars; {RATE_NOTE}\r\ndate {RATE_DATE}\r\n"
    rates += "".join(f"{c}_{r}\r\n" for c, _, r in currs)
    header = "# code;name;country;latitude;longitude;mean C;seasonal swing C (north positive);daily range C;wet share\r\n"
    body = "".join(
        f"{c['code']};{c['name']};{c['country']};{c['lat']:.2f};{c['lon']:.2f};"
        + ";".join(str(v) for v in climate(c)) + "\r\n" for c in places)
    return rates, header + body


def build_header(ordered, places, currs, tz_version, year):
    index = {c["name"] + ":" + c["country"]: i for i, c in enumerate(ordered)}
    clocks = [index[n + ":" + k] for n, k in DEFAULT_CLOCKS]
    if tuple(clocks) != CLOCK_POSITIONS:
        fail(f"default clocks stand at {tuple(clocks)} in cities.lst, the program "
             f"starts with {CLOCK_POSITIONS}")
    wnames = [c["name"] for c in places]
    wpos = [wnames.index(n) for n in DEFAULT_WEATHER]
    # The spares are the largest cities of their zones, so the lists always hold them.
    if SPARE_CLOCK[0] + ":" + SPARE_CLOCK[1] not in index or SPARE_WEATHER not in wnames:
        fail(f"spare clock city {SPARE_CLOCK[0]} or spare weather place {SPARE_WEATHER} is not listed")
    spare_clock = index[SPARE_CLOCK[0] + ":" + SPARE_CLOCK[1]]
    spare_place = wnames.index(SPARE_WEATHER)
    cur_names = sorted((n for _, n, _ in currs), key=str.lower)
    cur_by_code = {c: n for c, n, _ in currs}
    cpos = [cur_names.index(cur_by_code[c]) for c in DEFAULT_CURRENCIES]
    text = f"""#pragma once
// Positions of the first-start defaults in the shipped lists: the four city
// clocks in cities.lst (CityIndex: order of "name:country", case-sensitive),
// weather places 2 to 4 in cities.wet (order of names, case-sensitive) and the
// three converter columns in currs.lst (order of names, letter case ignored).
// Written by scripts/data/gen_lists.py together with those lists; regenerate
// rather than edit, or the positions stop matching the lists.
// Lists of {year}, tzdata {tz_version}.

namespace shipped {{

// clock1..clock4: {', '.join(f'{n} ({k})' for n, k in DEFAULT_CLOCKS)}
inline constexpr unsigned long kClockCity[4] = {{{', '.join(map(str, clocks))}}};
// The clock city that takes the place of a default one chosen as the home city: {SPARE_CLOCK[0]} ({SPARE_CLOCK[1]})
inline constexpr unsigned long kSpareClockCity = {spare_clock};

// wetp2..wetp4: {', '.join(DEFAULT_WEATHER)}. When the first start adds the home
// city at a position at most kWeatherPlace[i], that place moves to kWeatherPlace[i] + 1.
inline constexpr unsigned long kWeatherPlace[3] = {{{', '.join(map(str, wpos))}}};
// The place that takes the place of a default one that is the home city (moved
// past an added home city in the same way): {SPARE_WEATHER}
inline constexpr unsigned long kSpareWeatherPlace = {spare_place};
// The names of these places, by which they are found in a store that holds places
// added before them.
inline constexpr const wchar_t* kWeatherPlaceName[3] = {{{', '.join(f'L"{n}"' for n in DEFAULT_WEATHER)}}};
inline constexpr const wchar_t* kSpareWeatherPlaceName = L"{SPARE_WEATHER}";

// curp, curp2, curp3: {', '.join(f'{cur_by_code[c]} ({c})' for c in DEFAULT_CURRENCIES)}
inline constexpr unsigned long kCurrency[3] = {{{', '.join(map(str, cpos))}}};

inline constexpr unsigned long kCityCount = {len(ordered)};
inline constexpr unsigned long kWeatherPlaceCount = {len(places)};
inline constexpr unsigned long kCurrencyCount = {len(currs)};

}} // namespace shipped
"""
    summary = dict(clocks=list(zip(DEFAULT_CLOCKS, clocks)), weather=list(zip(DEFAULT_WEATHER, wpos)),
                   currencies=list(zip(DEFAULT_CURRENCIES, cpos)))
    return text, summary


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--year", type=int, default=dt.date.today().year,
                    help="year whose daylight-saving dates the city rules hold (default: this year)")
    ap.add_argument("--tzdata", metavar="FILE",
                    help="tzdata.zi to make the lists from, carried with them from then on "
                         "(default: the carried scripts/data/tzdata/tzdata.zi)")
    args = ap.parse_args()
    if args.tzdata:
        tzsource.use(require_file(args.tzdata, "a tzdata.zi"))
    tzv = tzsource.version(tzsource.source())
    tzsource.folder()  # compiles it now: a file zic refuses stops the run here
    if datacommon.unidecode is None:
        fail("python3-unidecode is missing: city names would be folded to ASCII differently")
    cities = load_cities()
    zones, left_out, unfit = analyse_zones(cities, args.year)
    chosen = choose_cities(cities, zones)
    by_country = assign_codes(chosen)
    lst, ordered = build_cities_lst(chosen, zones, args.year, tzv)
    schedules, not_scheduled = build_schedules(ordered, zones, unfit, args.year)
    places = choose_weather(ordered)
    currs = build_currencies()

    out = AtomicWriter()
    if os.path.abspath(tzsource.source()) != os.path.abspath(tzsource.CARRIED):
        with open(tzsource.source(), "rb") as f:
            out.add(tzsource.CARRIED, f.read())
    out.add(os.path.join(DATA, "cities.lst"), lst)
    out.add(os.path.join(DATA, "dstyears.lst"), build_dstyears(schedules, args.year, tzv))
    out.add(os.path.join(DATA, "cities.wet"), build_cities_wet(places))
    for country, members in by_country.items():
        out.add(os.path.join(DATA, "weatcs", country), weatcs_file(members))
    out.add(os.path.join(DATA, "currs.lst"), build_currs_lst(currs))
    out.add(os.path.join(DATA, "langs.dat"), "0,English,none@1,Deutsch,OndrelDeutsch.dll@>\r\n")
    out.add(os.path.join(DATA, "mapping.cfg"), build_mapping())
    out.add(os.path.join(DATA, "adrs.cfg"),
            FEED_URL + "*\r\nAddress of the stand-in feed server on this machine's loopback; "
            "the program reads up to the star.\r\n")
    rates, climates = build_feed(places, currs, args.year)
    out.add(os.path.join(DATA, "feed", "rates.txt"), rates)
    out.add(os.path.join(DATA, "feed", "places.txt"), climates)
    header, summary = build_header(ordered, places, currs, tzv, args.year)
    out.add(os.path.join(REPO, "core", "ShippedDefaults.h"), header)

    # A stale country file (a country no longer listed) would offer cities
    # that cities.lst lacks: clear the folder's old files in the same run.
    old = set()
    wdir = os.path.join(DATA, "weatcs")
    if os.path.isdir(wdir):
        old = {n for n in os.listdir(wdir) if not n.startswith(".")} - set(by_country)
    out.commit()
    for name in old:
        os.unlink(os.path.join(wdir, name))

    offsets = sorted({zonerules.hhmm_offset(zones[c["zone"]].std_minutes) for c in ordered},
                     key=lambda v: (v // 100 * 60 + v % 100) if abs(v) > 100 else v * 60)
    print(f"cities.lst: {len(ordered)} cities, {len(by_country)} countries, "
          f"{len({c['zone'] for c in ordered})} zones, standard offsets {offsets}")
    print(f"cities.wet: {len(places)} places; currs.lst: {len(currs)} currencies")
    print("zones left out:", "; ".join(f"{z}: {r}" for z, r in sorted(left_out.items())) or "none")
    used = {c["zone"] for c in ordered}
    print("zones whose changes no weekday rule gives in the following years:",
          "; ".join(f"{z}: {', '.join(map(str, y))}" for z, y in sorted(unfit.items()) if z in used) or "none")
    print("dstyears.lst:", "; ".join(f"{', '.join(e['zones'])}: {len(e['windows'])} windows "
                                     f"{e['first']}-{e['last']}" for e in schedules) or "none",
          "; not written:", "; ".join(f"{z}: {r}" for z, r in sorted(not_scheduled.items())) or "none")
    print("defaults:", summary)


if __name__ == "__main__":
    run_main(main)
