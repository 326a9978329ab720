"""Standard offset and daylight-saving rule of an IANA zone for one year, read
from the system tzdata through the C library (TZ + localtime).

The program's rule is "shift:start day:start hour:end day:end hour", day
numbers counted from 1 January = 1 and hours in the city's standard time;
a window whose end month is before its start month runs into the next year.
A zone whose year cannot be written that way (a shift that is not whole
hours, more than two changes, a change off the hour, a new standard offset)
is reported as unrepresentable and its cities are left out."""

import calendar
import datetime as dt
import os
import time

from datacommon import fail

ZONEINFO = "/usr/share/zoneinfo"


def _offset_at(t):
    tm = time.localtime(t)
    return tm.tm_gmtoff, tm.tm_isdst


def _use_zone(zone):
    path = os.path.join(ZONEINFO, zone)
    if not zone or zone.startswith("/") or ".." in zone or not os.path.isfile(path):
        fail(f"zone {zone!r} has no tzdata file under {ZONEINFO}")
    os.environ["TZ"] = zone
    time.tzset()


def _first_change(lo, hi, before):
    """First second in (lo, hi] whose offset state differs from `before`."""
    while hi - lo > 1:
        mid = (lo + hi) // 2
        if _offset_at(mid) == before:
            lo = mid
        else:
            hi = mid
    return hi


class ZoneYear:
    def __init__(self, zone, std_minutes, rule, reason=None):
        self.zone = zone
        self.std_minutes = std_minutes  # standard offset east of UTC
        self.rule = rule  # None, or (shift, sday, shour, eday, ehour)
        self.reason = reason  # why the zone cannot be written, else None


def hhmm_offset(minutes):
    """The program's HhmmOffset: whole hours as hours, else hours*100+minutes,
    both parts carrying the sign."""
    sign = -1 if minutes < 0 else 1
    h, m = divmod(abs(minutes), 60)
    if m == 0:
        return sign * h
    return sign * (h * 100 + m)


def analyse(zone, year):
    _use_zone(zone)
    start = calendar.timegm((year - 1, 12, 30, 0, 0, 0)) 
    stop = calendar.timegm((year + 1, 1, 2, 0, 0, 0))
    changes = []  # (utc second, state before, state after)
    t = start
    state = _offset_at(t)
    while t < stop:
        nxt = min(t + 3600, stop)
        s = _offset_at(nxt)
        if s != state:
            at = _first_change(t, nxt, state)
            changes.append((at, state, _offset_at(at)))
            state = _offset_at(at)
            # another change inside the same hour is found on the next step
            t = at
            continue
        t = nxt
    std_states = {s for _, a, b in changes for s in (a, b) if s[1] == 0}
    if not changes:
        off, isdst = state
        if isdst:
            return ZoneYear(zone, None, None, "daylight saving all year")
        return _checked(ZoneYear(zone, off // 60, None))

    # Keep the changes that fall inside the year in the zone's standard time.
    if len(std_states) != 1:
        return ZoneYear(zone, None, None, f"standard offset changes ({len(std_states)} standard states)")
    std = next(iter(std_states))[0]
    inside = []
    for at, before, after in changes:
        local = dt.datetime(1970, 1, 1) + dt.timedelta(seconds=at + std)
        if local.year == year:
            inside.append((at, local, before, after))
    if len(inside) == 0:
        off, isdst = _offset_at(calendar.timegm((year, 7, 1, 0, 0, 0)))
        if isdst:
            return ZoneYear(zone, None, None, "daylight saving all year")
        return _checked(ZoneYear(zone, std // 60, None))
    if len(inside) != 2:
        return ZoneYear(zone, None, None, f"{len(inside)} changes in {year}")
    into = [c for c in inside if c[3][1] == 1]
    outof = [c for c in inside if c[3][1] == 0]
    if len(into) != 1 or len(outof) != 1:
        return ZoneYear(zone, None, None, "changes are not one start and one end of daylight saving")
    _, s_local, _, s_after = into[0]
    _, e_local, _, _ = outof[0]
    shift_seconds = s_after[0] - std
    if shift_seconds == 0 or shift_seconds % 3600:
        return ZoneYear(zone, None, None, f"shift of {shift_seconds // 60} minutes")
    for local in (s_local, e_local):
        if local.minute or local.second:
            return ZoneYear(zone, None, None, f"change at {local:%H:%M:%S} standard time")
    sday = s_local.timetuple().tm_yday
    eday = e_local.timetuple().tm_yday
    if e_local.month == s_local.month and eday < sday:
        return ZoneYear(zone, None, None, "window would never open")
    rule = (shift_seconds // 3600, sday, s_local.hour, eday, e_local.hour)
    return _checked(ZoneYear(zone, std // 60, rule))


def _checked(zy):
    off = hhmm_offset(zy.std_minutes)
    if 101 <= abs(off) <= 199 and zy.rule:
        zy.reason = "offset between 1:01 and 1:59 cannot take a shift"
    return zy


def window_bounds(rule, year):
    """(start, end) as naive standard-time datetimes, the program's way."""
    shift, sday, shour, eday, ehour = rule
    jan1 = dt.datetime(year, 1, 1)
    start = jan1 + dt.timedelta(days=sday - 1, hours=shour)
    end = jan1 + dt.timedelta(days=eday - 1, hours=ehour)
    if end.month < start.month:
        end = end.replace(year=year + 1)
    return start, end
