"""What the module's tests share: the built programs and the demo data set."""
import json
import os
import subprocess

import numpy as np
import pytest

KALVIO = os.environ.get("KALVIO_EXE", "kalvio")
CRITERIA = os.environ.get("KALVIO_CRITERIA_DIR", "")


def run(program, *args, check=True):
    """Runs a built program; its standard output as text."""
    done = subprocess.run([program, *map(str, args)], capture_output=True, text=True)
    if check and done.returncode != 0:
        raise AssertionError("%s %s: %s" % (program, " ".join(map(str, args)), done.stderr))
    return done.stdout


def kalvio_cmd(*args, check=True):
    return run(KALVIO, *args, check=check)


def kalvio_stderr(*args):
    """What a failing kalvio command prints on standard error."""
    done = subprocess.run([KALVIO, *map(str, args)], capture_output=True, text=True)
    assert done.returncode != 0
    return done.stderr


def criterion_json(program, *args):
    return json.loads(run(os.path.join(CRITERIA, program), "--json", *args))


def dumped(path):
    """The points kalvio dump prints, as float32 arrays (%.9g gives each back)."""
    rows = [line.split("\t") for line in kalvio_cmd("dump", path).splitlines()]
    return (np.array([float(r[0]) for r in rows], dtype=np.float32),
            np.array([float(r[1]) for r in rows], dtype=np.float32))


def agrees(expected, ours, renames=None):
    """Whether ours (a result's to_dict()) holds every value of expected (a
    program's JSON), key by key; renames maps a JSON key to ours ("pass" is
    "passed"). Raises AssertionError naming the first key that differs."""
    renames = renames or {}

    def walk(e, o, where):
        if isinstance(e, dict):
            assert isinstance(o, dict), where
            for key, value in e.items():
                name = renames.get(key, key)
                assert name in o, "%s.%s missing" % (where, name)
                walk(value, o[name], "%s.%s" % (where, name))
        elif isinstance(e, list):
            assert isinstance(o, list) and len(o) == len(e), where
            for i, (a, b) in enumerate(zip(e, o)):
                walk(a, b, "%s[%d]" % (where, i))
        else:
            assert e == o and type(e) is type(o) or (isinstance(e, (int, float)) and not isinstance(e, bool)
                                                      and e == o), "%s: %r != %r" % (where, e, o)

    walk(expected, ours, "")
    return True


@pytest.fixture(scope="session")
def demo(tmp_path_factory):
    """The demo data set made by kalvio demo."""
    folder = tmp_path_factory.mktemp("demo")
    kalvio_cmd("demo", folder)
    return folder
