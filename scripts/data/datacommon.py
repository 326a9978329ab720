"""Helpers shared by the data generators: failing loudly, ASCII folding and
all-or-nothing file writes."""

import os
import sys
import tempfile
import unicodedata

try:
    from unidecode import unidecode
except ImportError:  # Debian package python3-unidecode
    unidecode = None

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
DATA = os.path.join(REPO, "data")
NODE_MODULES = os.path.join(HERE, "node_modules")


class GeneratorError(Exception):
    pass


def fail(message):
    raise GeneratorError(message)


def run_main(main):
    """Runs a generator's main and turns its errors into one clear line and
    exit status 1, without a traceback for expected failures."""
    try:
        main()
    except GeneratorError as err:
        print(f"{os.path.basename(sys.argv[0])}: error: {err}", file=sys.stderr)
        sys.exit(1)


def require_file(path, hint):
    if not os.path.isfile(path):
        fail(f"missing source {path} ({hint})")
    return path


def to_ascii(text):
    """The device reads shipped text one byte per character; keep it ASCII."""
    if unidecode is not None:
        out = unidecode(text)
    else:
        out = unicodedata.normalize("NFKD", text)
        out = "".join(c for c in out if not unicodedata.combining(c))
        out = out.encode("ascii", "ignore").decode("ascii")
    out = out.replace("`", "'").strip()
    return " ".join(out.split())


class AtomicWriter:
    """Collects every output of one run and moves them into place only when
    the whole run succeeded, each file through a temporary file and rename."""

    def __init__(self):
        self.files = {}

    def add(self, path, data):
        if isinstance(data, str):
            data = data.encode("ascii")
        self.files[path] = data

    def commit(self):
        staged = []
        try:
            for path, data in self.files.items():
                folder = os.path.dirname(path)
                os.makedirs(folder, exist_ok=True)
                fd, tmp = tempfile.mkstemp(prefix=".tmp-", dir=folder)
                with os.fdopen(fd, "wb") as f:
                    f.write(data)
                staged.append((tmp, path))
        except OSError as err:
            for tmp, _ in staged:
                os.unlink(tmp)
            fail(f"cannot write output: {err}")
        for tmp, path in staged:
            os.chmod(tmp, 0o644)
            os.replace(tmp, path)
