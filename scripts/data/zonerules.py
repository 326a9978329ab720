"""Standard offset and daylight-saving rule of an IANA zone for one year, read
from the generators' tzdata (tzsource: the carried tzdata.zi compiled with zic)
through the C library (TZ naming the zone's file + localtime).

The program's rule is "shift:start day:start hour:end day:end hour", day
numbers counted from 1 January = 1 and hours in the city's standard time;
a window whose end month is before its start month runs into the next year.
A zone whose year cannot be written that way (a shift that is not whole
hours, more than two changes, a change off the hour, a new standard offset)
is reported as unrepresentable and its cities are left out.

The day numbers are dates of the rule's year; in another year the program
moves each bound to the same weekday of its month (the last one when it was
the last, else the first to fourth). tzdata's own rules are weekday rules
too, but they count from a weekday that need not be the day of the change:
Chile's Saturday 24:00 after the first Saturday, Lebanon's last Sunday at
00:00 summer time (23:00 the Saturday before in standard time), Israel's
Friday before the last Sunday. A bound is therefore written as an hour of the
day it counts from, up to two days away (Sunday at hour -46 for that Friday
at 02:00), where only that keeps tzdata's changes in the following years:
fit_following_years picks it.

tzdata writes Irish winter time as a negative shift from summer time; a
negative shift over the turn of the year is written the other way round, as
its users know it: standard time in winter, summer time of a positive shift.
A negative shift inside the year (Morocco during Ramadan) stays as it is."""

import calendar
import datetime as dt
import os
import time

import tzsource


def _offset_at(t):
    tm = time.localtime(t)
    return tm.tm_gmtoff, tm.tm_isdst


def _use_zone(zone):
    # ":" and a full path: the C library reads that file, whatever TZDIR says.
    os.environ["TZ"] = ":" + tzsource.zone_file(zone)
    time.tzset()


def _first_change(lo, hi, before, state=None):
    """First second in (lo, hi] whose offset state (or state(t)) differs from `before`."""
    state = state or _offset_at
    while hi - lo > 1:
        mid = (lo + hi) // 2
        if state(mid) == before:
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
    if len(inside) == 1 and inside[0][2][1] == 1 and inside[0][3][1] == 0 and inside[0][2][0] > std:
        # Summer time that began in an earlier year ends in this one: the year's window opens
        # at its first hour (Cuba's summer of 2026 runs to November 2027).
        _, e_local, s_after, _ = inside[0]
        s_local = dt.datetime(year, 1, 1)
    elif len(inside) != 2:
        return ZoneYear(zone, None, None, f"{len(inside)} changes in {year}")
    else:
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
    if shift_seconds < 0 and e_local.month < s_local.month:
        # Winter time written as a negative save: the other state is the standard one.
        std += shift_seconds
        shift_seconds = -shift_seconds
        back = dt.timedelta(seconds=shift_seconds)
        s_local, e_local = e_local - back, s_local - back
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


def moved_day(n, rule_year, year):
    """The date that day n of rule_year becomes in year, as the program moves
    it: the same occurrence of its weekday in its month, the last one when it
    was the last of its month."""
    base = dt.date(rule_year, 1, 1) + dt.timedelta(days=n - 1)
    if year == rule_year:
        return base
    y, m = base.year + (year - rule_year), base.month
    if base.day + 7 > calendar.monthrange(base.year, m)[1]:
        last = dt.date(y, m, calendar.monthrange(y, m)[1])
        return last - dt.timedelta(days=(last.weekday() - base.weekday()) % 7)
    first = dt.date(y, m, 1)
    return first + dt.timedelta(days=(base.weekday() - first.weekday()) % 7 + 7 * ((base.day - 1) // 7))


def bound(day, hour, rule_year, year):
    """A rule bound (day number, hour) in year, a naive standard-time datetime."""
    return dt.datetime.combine(moved_day(day, rule_year, year), dt.time()) + dt.timedelta(hours=hour)


def window_bounds(rule, year, rule_year):
    """(start, end) of the window of year as naive standard-time datetimes,
    the program's way: an end whose month comes before the start's falls in
    the next year."""
    shift, sday, shour, eday, ehour = rule
    start = bound(sday, shour, rule_year, year)
    end = bound(eday, ehour, rule_year, year)
    if end.month < start.month:
        end = bound(eday, ehour, rule_year, year + 1)
    return start, end


def rule_open(rule, local, rule_year):
    """Whether the program's window holds the standard time local: the window
    of its year, or before its start the one of the year before when that
    runs into this year."""
    start, end = window_bounds(rule, local.year, rule_year)
    if local >= start:
        return local < end
    pstart, pend = window_bounds(rule, local.year - 1, rule_year)
    return pend.month < pstart.month and pstart <= local < pend


def _offsets_between(zone, lo, hi):
    """Each change of the zone's offset in (lo, hi], UTC seconds: (instant, offset after)."""
    _use_zone(zone)
    found = []
    t = lo
    state = time.localtime(t).tm_gmtoff
    while t < hi:
        nxt = min(t + 3 * 3600, hi)
        if time.localtime(nxt).tm_gmtoff != state:
            at = _first_change(t, nxt, state, lambda u: time.localtime(u).tm_gmtoff)
            state = time.localtime(at).tm_gmtoff
            found.append((at, state))
            t = at
            continue
        t = nxt
    return found


def changes_in(zy, year):
    """tzdata's changes of the zone whose standard time falls in year, as the
    set of (naive standard-time datetime, True into summer time / False out of it)."""
    std = zy.std_minutes * 60
    summer = std + (zy.rule[0] * 3600 if zy.rule else 0)
    t = calendar.timegm((year, 1, 1, 0, 0, 0)) - std
    stop = calendar.timegm((year + 1, 1, 1, 0, 0, 0)) - std
    return {(dt.datetime(1970, 1, 1) + dt.timedelta(seconds=at + std), offset == summer)
            for at, offset in _offsets_between(zy.zone, t, stop)}


def rule_changes(rule, rule_year, year):
    """The program's changes in year: the start of its window and the end that
    falls in that year (of this year's window, or of last year's when it runs
    into this one)."""
    if not rule:
        return set()
    shift, sday, shour, eday, ehour = rule
    return {(bound(sday, shour, rule_year, year), True), (bound(eday, ehour, rule_year, year), False)}


def fit_following_years(zy, year, years):
    """The zone's rule of year with each bound written on the day, up to two
    days from the one found, that keeps tzdata's changes in most of the
    following years (the day found when it keeps as many), and the years in
    which the rule does not give tzdata's changes."""
    following = range(year + 1, year + 1 + years)
    actual = {y: changes_in(zy, y) for y in following}
    if not zy.rule:
        return zy, [y for y in following if actual[y]]
    shift, sday, shour, eday, ehour = zy.rule

    def fitted(day, hour, into):
        best, best_hits = (day, hour), -1
        for days in (0, -1, 1, -2, 2):
            d, h = day + days, hour - 24 * days
            hits = sum((bound(d, h, year, y), into) in actual[y] for y in following)
            if hits > best_hits:
                best, best_hits = (d, h), hits
        return best

    sday, shour = fitted(sday, shour, True)
    eday, ehour = fitted(eday, ehour, False)
    rule = (shift, sday, shour, eday, ehour)
    unfit = [y for y in following if rule_changes(rule, year, y) != actual[y]]
    return ZoneYear(zy.zone, zy.std_minutes, rule, zy.reason), unfit


# The per-year windows of the zones that no weekday rule follows reach at
# least this year, and further while tzdata has changes; tzdata is searched
# this many years after the rule year for its last change.
SCHEDULE_THROUGH = 2037
SCHEDULE_SEARCH_YEARS = 100


class Schedule:
    def __init__(self, zone, shift, first, last, windows, reason=None):
        self.zone = zone
        self.shift = shift  # hours, the rule's shift
        self.first, self.last = first, last  # the years the windows are given for
        self.windows = windows  # [(start, end)] naive standard-time datetimes, in order
        self.reason = reason  # why the zone's windows cannot be written, else None


def schedule(zy, year, first=None):
    """The zone's daylight-saving windows one by one as tzdata has them, in its standard time,
    from 1 January of the first year (the rule year unless given; the year before it serves a
    device still in that year) through the last year in which tzdata has a change
    (SCHEDULE_THROUGH at least). Each window is the time at the standard offset plus the
    rule's shift; every other offset, and a change off the whole hour, leave the zone without
    a schedule (reason). A window that runs into the rule year while the rule's own window of
    that year opens at its first hour is cut there in two, so that the rule finds its window."""
    first = year if first is None else first
    shift = zy.rule[0]
    std = zy.std_minutes * 60
    summer = std + shift * 3600
    epoch = dt.datetime(1970, 1, 1)
    # From a year early, so that a window still open at the first year's start is found whole.
    lo = calendar.timegm((first - 1, 1, 1, 0, 0, 0)) - std
    hi = calendar.timegm((year + SCHEDULE_SEARCH_YEARS, 1, 1, 0, 0, 0)) - std
    _use_zone(zy.zone)
    if time.localtime(lo).tm_gmtoff != std:
        return Schedule(zy.zone, shift, first, year, [], f"not at standard time on 1 January {first - 1}")
    changes = _offsets_between(zy.zone, lo, hi)
    windows, opened = [], None
    for at, offset in changes:
        local = epoch + dt.timedelta(seconds=at + std)
        if offset not in (std, summer):
            return Schedule(zy.zone, shift, first, year, [], f"offset of {offset // 60} min at {local}")
        if local.minute or local.second:
            return Schedule(zy.zone, shift, first, year, [], f"change at {local:%H:%M:%S} standard time")
        if offset == summer:
            opened = local
        else:
            windows.append((opened, local))
            opened = None
    if opened is not None:
        return Schedule(zy.zone, shift, first, year, [], f"window opened {opened} never closes")
    last = max([SCHEDULE_THROUGH] + [end.year for _, end in windows])
    windows = [w for w in windows if w[1] > dt.datetime(first, 1, 1)]
    cut = dt.datetime(year, 1, 1)
    if window_bounds(zy.rule, year, year)[0] == cut:
        windows = [part for start, end in windows
                   for part in (((start, cut), (cut, end)) if start < cut < end else ((start, end),))]
    return Schedule(zy.zone, shift, first, last, windows)


def schedule_open(sched, local):
    """Whether a window of the schedule holds the standard time local."""
    return any(start <= local < end for start, end in sched.windows)


def schedule_changes(sched, year):
    """The schedule's changes whose standard time falls in year, as changes_in gives tzdata's."""
    found = set()
    for start, end in sched.windows:
        found |= {(t, into) for t, into in ((start, True), (end, False)) if t.year == year}
    return found


def window_text(start, end):
    """A window as the schedule file writes it: start year, start day of that year (1 January =
    1), start hour, end day counted from the same 1 January (past the year's end for a window
    that runs into the next one), end hour; hours in standard time."""
    base = dt.datetime(start.year, 1, 1)
    sday = (start - base).days + 1
    eday = (end.replace(hour=0) - base).days + 1
    return f"{start.year}:{sday}:{start.hour}:{eday}:{end.hour}"
