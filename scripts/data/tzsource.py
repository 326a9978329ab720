"""The tzdata the generators read: a tzdata.zi (by default the one the project carries in
scripts/data/tzdata/) compiled with zic into a temporary zone folder, which Python's zoneinfo
and the C library (TZ set to a zone file's path) both read. The machine's own tzdata is never
read, so the lists and the tests' expectations do not depend on the machine's release."""

import atexit
import os
import shutil
import subprocess
import tempfile
import zoneinfo

from datacommon import HERE, fail

CARRIED = os.path.join(HERE, "tzdata", "tzdata.zi")
# Debian's zic (package libc-bin) lives in /usr/sbin, which an ordinary user's PATH may lack.
ZIC_PLACES = ("/usr/sbin/zic", "/sbin/zic")

_source = CARRIED
_folder = None


def zic():
    for path in ZIC_PLACES:
        if os.access(path, os.X_OK):
            return path
    found = shutil.which("zic")
    if not found:
        fail("zic not found (Debian package libc-bin)")
    return found


def version(path):
    """The release named by the file's "# version" line (the first comment lines are searched)."""
    try:
        with open(path, encoding="ascii", errors="replace") as f:
            for _ in range(5):
                line = f.readline()
                if line.startswith("# version "):
                    name = line.split(None, 2)[2].strip()
                    if name and all(c.isalnum() or c in "-_." for c in name):
                        return name
    except OSError as err:
        fail(f"cannot read {path}: {err.strerror}")
    fail(f"{path} has no '# version' line: not a tzdata.zi")


def compile_into(source, folder):
    """Compiles the tzdata.zi into the folder with zic and puts the file itself beside the
    zones, as the machine's zone folder holds it (its link lines name the old names)."""
    done = subprocess.run([zic(), "-d", folder, source], capture_output=True, text=True)
    if done.returncode != 0:
        message = (done.stderr.strip().splitlines() or ["no message"])[0]
        fail(f"zic cannot compile {source}: {message}")
    shutil.copyfile(source, os.path.join(folder, "tzdata.zi"))


def use(source):
    """Makes the generators read this tzdata.zi instead of the carried one (before the first zone
    is read)."""
    global _source
    if _folder is not None and os.path.abspath(source) != os.path.abspath(_source):
        fail("the tzdata source cannot change once zones have been read")
    _source = source


def source():
    return _source


def folder():
    """The compiled zone folder, made at the first call and removed when the process ends."""
    global _folder
    if _folder is None:
        version(_source)
        made = tempfile.mkdtemp(prefix="jorvana-tzdata-")
        atexit.register(shutil.rmtree, made, True)
        compile_into(_source, made)
        _folder = made
        zoneinfo.reset_tzpath([made])
        zoneinfo.ZoneInfo.clear_cache()
    return _folder


def zone_file(zone):
    """The compiled file of an IANA zone name; stops on a name that is not one."""
    base = folder()
    path = os.path.join(base, zone)
    if not zone or zone.startswith("/") or ".." in zone.split("/") or not os.path.isfile(path):
        fail(f"zone {zone!r} has no tzdata file in {os.path.basename(_source)} ({version(_source)})")
    return path


def zone(name):
    """Python's zoneinfo zone of the name, read from the compiled folder."""
    zone_file(name)
    return zoneinfo.ZoneInfo(name)
