"""Measured signals of crash tests: read, process, check and evaluate them.

The toolset's signal library in Python: the same readers, operations, checks
and injury criteria as the kalvio command and the criterion programs, with the
same numbers to the last bit. Samples are numpy float32 arrays that share the
library's memory.

    import kalvio
    head = kalvio.read("head_x.rvf")            # RVF-1992, ISO-MME channel, text
    filtered = kalvio.cfc(head, 1000)           # a new Signal; head is unchanged
    print(filtered.header["FilterClass"], filtered.y.max(), filtered.step)
    test = kalvio.read_test("2231.zip")         # an ISO-MME test: code -> Signal
    print(kalvio.criterion("hic", *test.find("11HEAD0000H3AC?A")))

Failures raise kalvio.Error (the toolset's message, naming the file);
warnings come as kalvio.SignalWarning through the warnings module. Reading,
filtering and the criteria release the GIL, so threads run in parallel.
Whole archives are checked on a Dask cluster: python3 -m kalvio.archive --help.
"""

import collections.abc
import json
import os

from ._kalvio import (
    OPERATIONS,
    Error,
    Signal,
    SignalWarning,
    average,
    rate,
    read,
    resultant,
    sum,
    write,
)
from . import _kalvio

# The operations of one signal (cfc, filter, fir100, ..., scale_x) come from
# the table the kalvio commands are made from: OPERATIONS names them.
globals().update({name: getattr(_kalvio, name) for name in OPERATIONS})

# sum and filter stay out of a star import, which would hide the builtins of
# those names: they are kalvio.sum and kalvio.filter.
__all__ = [
    "Error", "Signal", "SignalWarning", "Test", "Simulation",
    "read", "read_test", "read_simulation", "write", "write_test",
    *(name for name in OPERATIONS if name != "filter"),
    "average", "resultant", "check", "criterion", "rate", "assess", "protocols",
]


class Test(collections.abc.Mapping):
    """An ISO-MME test: a mapping from channel code to Signal, in the order of
    its channel list.

    A code the list repeats is taken as CODE_2, CODE_3, ...; a channel without
    a code as NUMBER_NNN. number is the test number, path its test file (.mme),
    header its test file's fields ("Name": "value", in file order; a name the
    file repeats keeps its first value). failed maps the codes of listed
    channels that could not be read to their messages, warnings lists what
    opening the test warned of (missing channel files, repeated codes); both
    were also issued as warnings. Each Signal keeps its own reader's warnings.
    """

    def __init__(self, number, path, header, channels, failed, warnings=()):
        self.number = number
        self.path = path
        self.header = header
        self.failed = failed
        self.warnings = list(warnings)
        self._channels = channels

    def __getitem__(self, code):
        return self._channels[code]

    def __iter__(self):
        return iter(self._channels)

    def __len__(self):
        return len(self._channels)

    def __repr__(self):
        return "<kalvio.Test %s, %d channels>" % (self.number, len(self))

    def find(self, pattern):
        """The signals whose code matches pattern (? stands for one position, *
        for any run, letters in either case), in channel-list order; e.g.
        find("11HEAD0000H3AC?A") gives the head accelerations X, Y, Z."""
        return [s for code, s in self._channels.items() if _kalvio._code_matches(pattern, code)]


def read_test(path):
    """Reads the ISO-MME test at path (its .mme file, its folder or a .zip
    holding it) with every channel of its channel list. Raises kalvio.Error
    when there is no test; a channel file that is missing or cannot be read is
    left out with a warning (and listed in Test.failed)."""
    number, mme, fields, channels, failures, warnings = _kalvio._read_test(path)
    header = {}
    for name, value in fields:
        header.setdefault(name, value)
    mapping = {}
    for code, channel_number, signal in channels:
        key = code or "%s_%03d" % (number, channel_number)
        unique, k = key, 2
        while unique in mapping:
            unique, k = "%s_%d" % (key, k), k + 1
        mapping[unique] = signal
    failed = {(code or file): message for code, file, message in failures}
    return Test(number, mme, header, mapping, failed, warnings)


class Simulation(collections.abc.Mapping):
    """A simulation's time histories: a mapping from channel name
    (FILE/ID/VARIABLE, "nodout/1001/x_acceleration"; FILE/VARIABLE for a
    global file, "glstat/kinetic_energy") to Signal, in the file's order.
    titles maps each name to its id's title (the legend, else the model's
    title); units is the model's units as given, or None (model units)."""

    def __init__(self, path, units, channels):
        self.path = path
        self.units = units
        self.titles = {name: title for name, title, _ in channels}
        self._channels = {name: signal for name, _, signal in channels}

    def __getitem__(self, name):
        return self._channels[name]

    def __iter__(self):
        return iter(self._channels)

    def __len__(self):
        return len(self._channels)

    def __repr__(self):
        return "<kalvio.Simulation %s, %d channels>" % (self.path, len(self))

    def find(self, pattern):
        """The signals whose name matches pattern (? one character, * any run,
        letters in either case), in the file's order; e.g.
        find("nodout/*/?_acceleration")."""
        return [s for name, s in self._channels.items() if _kalvio._code_matches(pattern, name)]


def read_simulation(path, units=None):
    """Reads every channel of the simulation at path: a binout (binout,
    binout0000 with its sister files and continuations; any name) or an ASCII
    time-history file (nodout, glstat, secforc, rcforc, matsum). units names
    the model's consistent set, LENGTH-TIME-MASS-FORCE ("mm-ms-kg-kN",
    "mm-s-t-N"): the signals then come in seconds, mm, m/s, g, N, N m, J, kg;
    without it in the model's numbers, their unit "MODEL UNITS". Raises
    kalvio.Error for a file that is no simulation or is damaged."""
    path = os.fsdecode(path)
    return Simulation(path, units, _kalvio._read_simulation(path, units or ""))


def write_test(signals, folder, test_object="?", position="?"):
    """Writes signals (a list of Signals, or a Test) as one ISO-MME test in the
    new folder, whose name is the test number, as kalvio convert --format
    iso-mme does: written beside it and renamed at the end; an existing folder
    is never replaced. test_object and position fill the code characters 1
    and 2 (as --object and --position) of codes built from headers that do not
    name them: position "1" the driver's seat, test_object "S" a sled."""
    if isinstance(signals, collections.abc.Mapping):
        signals = list(signals.values())
    _kalvio._write_test(list(signals), folder, test_object, position)


def check(signal_or_test):
    """The faults of the measuring chain in a Signal, as a list of findings
    (dicts with "kind", "severity", "message", "t1", "t2" as kalvio check
    --json gives them; empty when the signal is ok). For a Test, the findings
    of every channel, each with its "code" and "file" added."""
    if isinstance(signal_or_test, Test):
        found = []
        for code, signal in signal_or_test.items():
            for f in _kalvio._check_signal(signal):
                f["code"], f["file"] = code, signal.path
                found.append(f)
        return found
    return _kalvio._check_signal(signal_or_test)


def criterion(name, *signals, dummy="h3-50m", cumulative=False, v0=None, position="1", right=False):
    """The injury criterion name ("hic", "neck208", "nij", "clip3ms", "vc",
    "tibia", "olc", "bric") of one signal or three in X, Y, Z order, for the
    dummy (see the programs' --list-dummies), as a dict: the program's --json.
    cumulative (clip3ms) judges the cumulative clip, v0 (olc) is the initial
    velocity in m/s. Given one Test instead, the channels are picked from it
    as the programs pick them: dummy seat position ("1" the driver), right
    (tibia) the right leg."""
    if len(signals) == 1 and isinstance(signals[0], Test):
        return _kalvio._criterion_of_test(name, signals[0].path, dummy, cumulative, v0, position, right)
    return _kalvio._criterion(name, list(signals), dummy, cumulative, v0)


def assess(test, protocol, positions=None, inputs=None, dummy=None, protocol_dir=None):
    """The assessment of test under protocol (an id: "fmvss208", "un-r94",
    "euro-ncap-mpdb-2023", ...), as kalvio assess --json gives it: a dict with
    "protocol", "test", "inputs" and "occupants" (regions, criteria, scores or
    verdicts; n/a criteria with their "reason"). test is an ISO-MME test
    (.mme, folder or .zip, or a Test) or a list of signal files whose headers
    carry channel codes. positions limits it to seats ("1", "3"); inputs maps
    the protocol's inputs to values ({"hard_head_contact": True}); dummy names
    the dummy when the codes do not; protocol_dir is a folder of protocol
    files of one's own, read before the shipped ones. Raises kalvio.Error for
    an unreadable test, an unknown protocol, position or input."""
    if isinstance(test, Test):
        paths = [test.path]
    elif isinstance(test, (str, bytes, os.PathLike)):
        paths = [os.fsdecode(test)]
    else:
        paths = [os.fsdecode(p) for p in test]
    if isinstance(positions, str):
        positions = [positions]
    if inputs is not None and not isinstance(inputs, collections.abc.Mapping):
        raise TypeError("assess: inputs is a dict of the protocol's inputs and their values")
    text = _kalvio._assess(paths, protocol, [str(p) for p in positions or []],
                           "" if inputs is None else json.dumps(dict(inputs)), dummy or "",
                           "" if protocol_dir is None else os.fsdecode(protocol_dir))
    return json.loads(text)


def protocols(protocol_dir=None):
    """The protocols kalvio.assess can use, as a list of dicts ("id", "name",
    "version", "date", "source", "dummies", "file"); protocol_dir's own files
    first. A protocol file that fails its check is left out with a
    kalvio.SignalWarning naming its file and line."""
    import warnings

    found, problems = _kalvio._protocols("" if protocol_dir is None else os.fsdecode(protocol_dir))
    for problem in problems:
        warnings.warn(problem, SignalWarning, stacklevel=2)
    return found
