#!/usr/bin/python3
"""Makes the README's pictures (docs/*.png): runs the skinned-tabs test of a build
on the headless screen at a fixed time and zone, which leaves a screenshot of every
tab in both shipped skins on the three screen shapes (the weather places synchronised
from the stand-in feed server's data, and the five-day view of the first one), and
keeps a few of them, reduced to a small palette so that each stays a few tens of KB.

    /usr/bin/python3 scripts/data/readme_pictures.py [build folder, default build]

Needs python3-pil (Debian). The same build and data give the same pictures."""

import io
import os
import subprocess
import sys
import tempfile

from datacommon import REPO, AtomicWriter, fail, run_main

try:
    from PIL import Image
except ImportError:
    Image = None

CLOCK = "2026-06-21T09:30:00Z"
ZONE = "Europe/London"

# docs/ name: (skin, shape, view) of the screenshot; views are the tabs in strip order
# (0 World Clocks, 1 Weather, 2 World Map, 3 Currencies, 4 Tools) and "forecast", the
# five-day view of the first weather place.
PICTURES = {
    "clocks-portrait.png": ("default", "portrait", 0),
    "weather-square.png": ("default", "square", 1),
    "forecast-portrait.png": ("default", "portrait", "forecast"),
    "map-landscape.png": ("default", "landscape", 2),
    "currencies-portrait.png": ("default", "portrait", 3),
    "tools-landscape.png": ("default", "landscape", 4),
    "night-clocks-landscape.png": ("night", "landscape", 0),
    "night-map-portrait.png": ("night", "portrait", 2),
}


def small_png(path):
    img = Image.open(path).convert("RGB")
    # a fixed palette order (median cut, no dithering) keeps the output the same run to run
    reduced = img.quantize(colors=96, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    buf = io.BytesIO()
    reduced.save(buf, "PNG", optimize=True)
    return buf.getvalue()


def main():
    if Image is None:
        fail("python3-pil is not installed (apt-get install python3-pil)")
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(REPO, "build"))
    test = os.path.join(build, "tests", "skins", "tests_skins")
    if not os.access(test, os.X_OK):
        fail(f"{test} is not built (cmake --build {build} --target tests_skins)")
    # The carried tzdata the build compiled, as the tests read it, whatever the machine has.
    tzdir = os.path.join(build, "tzdata")
    if not os.path.isfile(os.path.join(tzdir, ZONE)):
        fail(f"{tzdir} holds no {ZONE} (cmake --build {build})")
    with tempfile.TemporaryDirectory(prefix="jorvana-pictures-") as shots:
        env = dict(os.environ, DEVICE_DISPLAY="headless", DEVICE_CLOCK=CLOCK, DEVICE_TZ=ZONE,
                   DEVICE_NETWORK="off", JORVANA_TEST_OUTPUT=shots, TZDIR=tzdir)
        run = subprocess.run([test, "--gtest_filter=SkinnedTabsTest.*"], env=env,
                             capture_output=True, text=True)
        if run.returncode != 0:
            fail(f"the skinned-tabs test failed:\n{run.stdout[-3000:]}{run.stderr[-2000:]}")
        out = AtomicWriter()
        for name, (skin, shape, view) in PICTURES.items():
            suffix = view if isinstance(view, str) else f"tab{view}"
            shot = os.path.join(shots, f"jorvana-{skin}-{shape}-{suffix}.png")
            if not os.path.isfile(shot):
                fail(f"the test left no {os.path.basename(shot)}")
            out.add(os.path.join(REPO, "docs", name), small_png(shot))
        out.commit()
    for name in PICTURES:
        print(f"docs/{name}: {os.path.getsize(os.path.join(REPO, 'docs', name)) // 1024} KB")


if __name__ == "__main__":
    run_main(main)
