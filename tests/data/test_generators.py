"""Failure behaviour of the data generators: clear errors, no half-written
files, and the format guards that keep the lists readable by the program.
Runs with Debian's python3 alone (no node packages, no PIL)."""

import os
import subprocess
import sys
import tempfile
import unittest
from unittest import mock

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "data")
sys.path.insert(0, SCRIPTS)

import datacommon  # noqa: E402
import gen_dst_table  # noqa: E402
import gen_lists  # noqa: E402
import tzsource  # noqa: E402
import zonerules  # noqa: E402


class ZoneRules(unittest.TestCase):
    def test_unknown_zone_stops_with_its_name(self):
        with self.assertRaisesRegex(datacommon.GeneratorError, "Mars/Olympus"):
            zonerules.analyse("Mars/Olympus", 2026)
        with self.assertRaises(datacommon.GeneratorError):
            zonerules.analyse("../../etc/passwd", 2026)

    def test_northern_southern_and_plain_zones(self):
        london = zonerules.analyse("Europe/London", 2026)
        self.assertEqual((london.std_minutes, london.rule), (0, (1, 88, 1, 298, 1)))
        sydney = zonerules.analyse("Australia/Sydney", 2026)
        self.assertEqual(sydney.std_minutes, 600)
        self.assertEqual(sydney.rule[0], 1)
        start, end = zonerules.window_bounds(sydney.rule, 2026, 2026)
        self.assertEqual((start.month, end.year), (10, 2027))  # runs into next year
        kolkata = zonerules.analyse("Asia/Kolkata", 2026)
        self.assertEqual((kolkata.std_minutes, kolkata.rule, kolkata.reason), (330, None, None))

    def test_winter_time_is_written_as_standard_time_and_ramadan_time_as_it_is(self):
        dublin = zonerules.analyse("Europe/Dublin", 2026)
        self.assertEqual((dublin.std_minutes, dublin.rule), (0, (1, 88, 1, 298, 1)))
        casablanca = zonerules.analyse("Africa/Casablanca", 2025)
        self.assertEqual((casablanca.std_minutes, casablanca.rule[0]), (60, -1))
        # Ramadan moves by the moon (and Morocco keeps UTC+0 from September 2026): no weekday
        # rule gives the following years.
        self.assertEqual(zonerules.fit_following_years(casablanca, 2025, 4)[1], [2026, 2027, 2028, 2029])

    def test_a_summer_begun_the_year_before_opens_the_window_on_the_first_hour(self):
        # Cuba stays on summer time from 8 March 2026 to 7 November 2027 (00:00 standard time).
        havana = zonerules.analyse("America/Havana", 2027)
        self.assertEqual((havana.std_minutes, havana.rule, havana.reason), (-300, (1, 1, 0, 311, 0), None))
        self.assertIn("1 changes in 2026", zonerules.analyse("America/Havana", 2026).reason)

    def test_bounds_are_written_on_the_day_their_weekday_counts_from(self):
        # Chile: Sunday 00:00 after the first Saturday is Saturday 24:00 (first Sunday of
        # September 2030 is the 1st, the change the 8th); Israel: the Friday before the last
        # Sunday of March; Europe's last Sundays as found.
        for zone, rule in (("America/Santiago", (1, 248, 24, 94, 23)), ("Asia/Jerusalem", (1, 88, -46, 298, 1)),
                           ("Europe/Paris", (1, 88, 2, 298, 2))):
            fitted, unfit = zonerules.fit_following_years(zonerules.analyse(zone, 2026), 2026, 4)
            self.assertEqual((fitted.rule, unfit), (rule, []), zone)

    def test_half_hour_shift_is_refused(self):
        lord_howe = zonerules.analyse("Australia/Lord_Howe", 2026)
        self.assertIn("shift of 30 minutes", lord_howe.reason)

    def test_hhmm_offsets(self):
        self.assertEqual([zonerules.hhmm_offset(m) for m in (0, 60, -300, 330, -210, 345, 780)],
                         [0, 1, -5, 530, -330, 545, 13])


class Formats(unittest.TestCase):
    def test_names_that_would_break_a_field_are_refused(self):
        for bad in ("Paris:Texas", "a;b", "x>y", "under_score", "hash#", ""):
            self.assertIsNone(gen_lists.clean_name(bad), bad)
        self.assertEqual(gen_lists.clean_name("S\u00e3o Paulo"), "Sao Paulo")

    def test_country_file_puts_a_name_before_names_ending_with_it(self):
        members = [dict(name="New York", code="US0001", country="X"),
                   dict(name="York", code="US0002", country="X"),
                   dict(name="Amsterdam", code="US0003", country="X")]
        text = gen_lists.weatcs_file(members)
        lines = text.split("\r\n")
        self.assertLess(lines.index("York;US0002"), lines.index("New York;US0001"))
        self.assertTrue(text.endswith(">\r\n"))

    def test_mapping_codes_reach_their_own_icons(self):
        text = gen_lists.build_mapping()
        self.assertTrue(text.startswith("na@N/A,-\r\n"))
        self.assertIn(">\r\n", text)


class AtomicOutput(unittest.TestCase):
    def test_nothing_is_written_when_one_file_fails(self):
        with tempfile.TemporaryDirectory() as tmp:
            good = os.path.join(tmp, "good.txt")
            with open(good, "w") as f:
                f.write("old")
            blocker = os.path.join(tmp, "file")
            with open(blocker, "w") as f:
                f.write("x")
            out = datacommon.AtomicWriter()
            out.add(good, "new")
            out.add(os.path.join(blocker, "inside.txt"), "cannot exist")  # parent is a file
            with self.assertRaises(datacommon.GeneratorError):
                out.commit()
            with open(good) as f:
                self.assertEqual(f.read(), "old")
            self.assertEqual(sorted(os.listdir(tmp)), ["file", "good.txt"])

    def test_missing_source_names_the_file(self):
        with self.assertRaisesRegex(datacommon.GeneratorError, "nowhere.json"):
            datacommon.require_file("/nowhere/nowhere.json", "hint")


class TzdataSource(unittest.TestCase):
    """The generators read the tzdata.zi they are given (the carried one by default), never the
    machine's, and stop with one clear line on a file that is not one."""

    PARIS_RULE_2027 = ("import tzsource, zonerules; tzsource.use({!r}); "
                   "print(zonerules.analyse('Europe/Paris', 2027).rule)")

    def run_python(self, *args, **env):
        return subprocess.run([sys.executable, "-B", *args], capture_output=True, text=True,
                              cwd=SCRIPTS, env=dict(os.environ, **env))

    def test_the_given_release_is_read_whatever_tzdir_names(self):
        with tempfile.TemporaryDirectory() as tmp:
            zi = os.path.join(tmp, "tzdata.zi")
            with open(zi, "w") as f:  # a made-up release: Paris without summer time from 2027
                f.write("# version 2099z\nR E 1981 ma - Mar lastSu 1u 1 S\nR E 1996 ma - O lastSu 1u 0 -\n"
                        "Z Europe/Paris 0:9:21 - LMT 1891 Mar 16\n1 E CE%sT 2027\n1 - CET\n")
            code = self.PARIS_RULE_2027.format(zi)
            made_up = self.run_python("-c", code, TZDIR="/usr/share/zoneinfo", PYTHONTZPATH="/usr/share/zoneinfo")
            self.assertEqual(made_up.stdout.strip(), "None", made_up.stderr)
        carried = self.run_python("-c", self.PARIS_RULE_2027.format(tzsource.CARRIED), TZDIR=tmp)
        self.assertEqual(carried.stdout.strip(), "(1, 87, 2, 304, 2)", carried.stderr)

    def test_a_file_without_version_or_that_zic_refuses_stops_the_run_and_changes_nothing(self):
        with open(tzsource.CARRIED, "rb") as f:
            carried = f.read()
        with tempfile.TemporaryDirectory() as tmp:
            for name, text, message in (("noversion.zi", carried.split(b"\n", 1)[1], "no '# version' line"),
                                        ("broken.zi", b"# version 2099z\nZ Area/Town nonsense\n", "zic cannot compile")):
                path = os.path.join(tmp, name)
                with open(path, "wb") as f:
                    f.write(text)
                run = self.run_python("gen_lists.py", "--tzdata", path)
                self.assertEqual(run.returncode, 1)
                self.assertEqual(len(run.stderr.strip().splitlines()), 1, run.stderr)
                self.assertIn(message, run.stderr)
        with open(tzsource.CARRIED, "rb") as f:
            self.assertEqual(f.read(), carried)


def city(name, pop):
    return dict(name=name, country="K", pop=float(pop))


class ClockPlacement(unittest.TestCase):
    """Clock cities B and D must stand at positions 1 and 4 of six cities:
    one city before B, two between B and D, one after D."""

    def place(self, required, optional, pool):
        by_pop = sorted(required + optional + pool, key=lambda c: -c["pop"])
        optional = sorted(optional, key=lambda c: -c["pop"])
        with mock.patch.object(gen_lists, "DEFAULT_CLOCKS", [("D", "K"), ("B", "K")]), \
             mock.patch.object(gen_lists, "CLOCK_POSITIONS", (4, 1)):
            kept = gen_lists.place_clock_cities(required, optional, by_pop)
        return [c["name"] for c in sorted(kept, key=gen_lists.sort_key)]

    def test_full_ranges_lose_their_smallest_and_short_ones_gain_their_largest(self):
        required = [city("D", 9), city("B", 9), city("A3", 1)]
        # before B: A3 is required, A1 and A2 optional, so both go although
        # A2 outnumbers A3; between B and D nothing chosen yet; E1 fits.
        optional = [city("A1", 50), city("A2", 40), city("E1", 30)]
        pool = [city("C1", 5), city("C2", 7), city("C3", 6), city("E2", 99)]
        self.assertEqual(self.place(required, optional, pool), ["A3", "B", "C2", "C3", "D", "E1"])

    def test_too_few_cities_in_a_range_stops_the_run(self):
        required = [city("D", 9), city("B", 9)]
        optional = [city("A1", 5), city("C1", 4), city("E1", 3), city("E2", 2)]
        with self.assertRaisesRegex(datacommon.GeneratorError, "1 usable cities .* 2 needed"):
            self.place(required, optional, [])

    def test_required_cities_that_overflow_a_range_stop_the_run(self):
        required = [city("D", 9), city("B", 9), city("A1", 1), city("A2", 1)]
        optional = [city("C1", 4), city("C2", 3)]
        with self.assertRaisesRegex(datacommon.GeneratorError, "2 required cities .* room for 1"):
            self.place(required, optional, [city("E1", 1)])

    def test_positions_against_the_order_of_their_cities_are_refused(self):
        with mock.patch.object(gen_lists, "DEFAULT_CLOCKS", [("B", "K"), ("D", "K")]), \
             mock.patch.object(gen_lists, "CLOCK_POSITIONS", (4, 1)):
            with self.assertRaisesRegex(datacommon.GeneratorError, "do not follow the order"):
                gen_lists.place_clock_cities([city("B", 1), city("D", 1)], [], [])


class WeatherChoice(unittest.TestCase):
    """Weather places are found by name: each name stands once, and a zone's only place is not
    lost to a larger namesake in another zone."""

    def choose(self, cities, places):
        with mock.patch.object(gen_lists, "DEFAULT_WEATHER", []), \
             mock.patch.object(gen_lists, "WEATHER_PLACES", places):
            return [(c["name"], c["zone"]) for c in gen_lists.choose_weather(cities)]

    def test_every_zone_gets_its_largest_city_with_a_free_name(self):
        cities = [
            dict(city("Victoria", 300), zone="America/Vancouver"),
            dict(city("Vancouver", 2000), zone="America/Vancouver"),
            dict(city("Victoria", 25), zone="Indian/Mahe"),
            dict(city("Hamilton", 700), zone="America/Toronto"),
            dict(city("Toronto", 5000), zone="America/Toronto"),
            dict(city("Hamilton", 50), zone="Atlantic/Bermuda"),
        ]
        self.assertEqual(self.choose(cities, 0), [("Hamilton", "Atlantic/Bermuda"), ("Toronto", "America/Toronto"),
                                                  ("Vancouver", "America/Vancouver"),
                                                  ("Victoria", "Indian/Mahe")])

    def test_a_zone_whose_every_name_is_taken_goes_without_and_names_stay_single(self):
        cities = [
            dict(city("Springfield", 900), zone="America/Chicago"),
            dict(city("Springfield", 100), zone="America/New_York"),
            dict(city("Lakeside", 80), zone="America/Denver"),
        ]
        self.assertEqual(self.choose(cities, 10), [("Lakeside", "America/Denver"),
                                                   ("Springfield", "America/Chicago")])


class DstYears(unittest.TestCase):
    def test_the_checked_in_windows_are_tzdatas(self):
        with open(os.path.join(datacommon.DATA, "dstyears.lst"), encoding="latin-1", newline="") as f:
            lines = f.read().split("\n")
        year = int(lines[0].split(";year ")[1].split(";")[0])
        self.assertEqual((lines[1], lines[3], lines[4]), ("1", ">", ""))
        fields = lines[2].split(";")
        self.assertEqual(fields[0], "America/Havana")
        sched = zonerules.schedule(zonerules.analyse(fields[0], year), year, year - 1)
        self.assertIsNone(sched.reason)
        self.assertGreaterEqual(sched.last, 2037)
        self.assertEqual(fields[1:], [str(sched.shift), str(sched.first), str(sched.last)]
                         + [zonerules.window_text(s, e) for s, e in sched.windows])
        # From the year before the list's: the summer of 8 March 2026 to 7 November 2027, cut at
        # the list's new year where the city's rule of 2027 opens its window; then 12 March to
        # 5 November 2028.
        self.assertEqual(fields[2], "2026")
        self.assertEqual(fields[4:7], ["2026:67:0:366:0", "2027:1:0:311:0", "2028:72:0:310:0"])


class DstChangeTable(unittest.TestCase):
    def test_the_checked_in_table_is_what_tzdata_gives_now(self):
        year, cities = gen_dst_table.read_cities(os.path.join(datacommon.DATA, "cities.lst"))
        with open(gen_dst_table.TABLE, encoding="utf-8", newline="") as f:
            self.assertEqual(f.read(), gen_dst_table.build(year, cities),
                             "run scripts/data/gen_dst_table.py")

    def test_london_rows_name_the_last_summer_hour(self):
        year, cities = gen_dst_table.read_cities(os.path.join(datacommon.DATA, "cities.lst"))
        london = [c for c in cities if c[1] == "London"]
        rows = [r for r in gen_dst_table.build(year, london).splitlines() if not r.startswith("#")]
        self.assertIn("London:United Kingdom;Europe/London;2027-10-31T00:30:00Z;20:30:00 30/10;"
                      "11:30:00 31/10;09:30:00 31/10;22:00:00 30/10", rows)
        # Each year two instants at the start, three at the end, 2027 to 2031.
        self.assertEqual(len(rows), 25)
        self.assertIn("London:United Kingdom;Europe/London;2031-03-30T00:59:00Z;20:59:00 29/03;"
                      "11:59:00 30/03;09:59:00 30/03;22:29:00 29/03", rows)


if __name__ == "__main__":
    unittest.main()
