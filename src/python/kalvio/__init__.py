"""Measured signals of crash tests: read, process, check and evaluate them.

The toolset's signal library in Python: the same readers, operations, checks
and injury criteria as the kalvio command and the criterion programs, with the
same numbers to the last bit. Samples are numpy float32 arrays that share the
library's memory. Every time is in seconds.

    import kalvio
    head = kalvio.read("head_x.rvf")            # RVF-1992, ISO-MME channel, text
    filtered = kalvio.cfc(head, 1000)           # a new Signal; head is unchanged
    print(filtered.header["FilterClass"], filtered.y.max(), filtered.step)
    test = kalvio.read_test("2231.zip")         # an ISO-MME test: code -> Signal
    print(kalvio.criterion("hic", *test.find("11HEAD0000H3AC?A"))["HIC15"].value)

Results of rate, criterion and assess are the dataclasses of kalvio.results,
with to_dict() and to_json().

Failures raise kalvio.Error (the toolset's message, naming the file), as one
of its kinds: kalvio.FileNotFoundError (also the built-in one) for a file
that is not there, kalvio.FormatError for a file that is no signal or test,
kalvio.ValueError and kalvio.TypeError (also the built-in ones) for a bad
argument or a signal an operation cannot take, kalvio.ProtocolError for a
protocol or inputs file that cannot be used. Warnings come as
kalvio.SignalWarning through the warnings module. Reading,
filtering and the criteria release the GIL, so threads run in parallel.
Whole archives are checked on a Dask cluster: python3 -m kalvio.archive --help.
"""

import collections.abc
import json
import os
from typing import Any, Dict, Iterator, List, Mapping, Optional, Sequence, Tuple, Union

from . import _kalvio
# The names of builtins are exported as "X as X": a star import leaves them
# out (see __all__), a type checker sees them as kalvio.X.
from ._kalvio import (
    OPERATIONS,
    Error,
    FileNotFoundError as FileNotFoundError,
    FormatError,
    ProtocolError,
    Signal,
    SignalWarning,
    TypeError as TypeError,
    ValueError as ValueError,
    average,
    rate,
    read,
    resultant,
    sum as sum,
    write,
)
from ._operations import *  # noqa: F401,F403 (cfc, filter, ..., scale_x: OPERATIONS)
from ._operations import __all__ as _operation_names
from ._operations import filter as filter
from ._version import __version__
from .notebook import signal_plot as _signal_plot
from .notebook import signal_repr_html as _signal_repr_html
from .notebook import test_to_pandas as _test_to_pandas
from .results import Assessment, ChannelFinding, CriterionResult, Finding, Rating

PathLike = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]

# What notebooks show of a Signal, written in Python beside the extension's methods.
setattr(Signal, "_repr_html_", _signal_repr_html)
setattr(Signal, "plot", _signal_plot)

# sum, filter and the exceptions named as built-in ones stay out of a star
# import, which would hide the builtins of those names: they are kalvio.sum,
# kalvio.filter, kalvio.ValueError and so on.
__all__ = [
    "Error", "FormatError", "ProtocolError", "Signal", "SignalWarning", "Test", "Simulation",
    "read", "read_test", "read_simulation", "write", "write_test",
    *(name for name in _operation_names if name != "filter"),
    "average", "resultant", "check", "criterion", "rate", "assess", "protocols",
    "Assessment", "CriterionResult", "Finding", "ChannelFinding", "Rating",
]


class Test(Mapping[str, Signal]):
    """An ISO-MME test: a mapping from channel code to Signal, in the order of
    its channel list.

    A code the list repeats is taken as CODE_2, CODE_3, ...; a channel without
    a code as NUMBER_NNN. number is the test number, path its test file (.mme),
    header its test file's fields ("Name": "value", in file order; a name the
    file repeats keeps its first value). failed maps the codes of listed
    channels that could not be read to their messages, warnings lists what
    opening the test warned of (missing channel files, repeated codes); both
    were also issued as warnings. Each Signal keeps its own reader's warnings.

        >>> test = kalvio.read_test("2231.zip")
        >>> test["11HEAD0000H3ACXA"].y.max(), test.to_pandas().shape
    """

    def __init__(self, number: str, path: str, header: Dict[str, str], channels: Dict[str, Signal],
                 failed: Dict[str, str], warnings: Sequence[str] = ()) -> None:
        self.number = number
        self.path = path
        self.header = header
        self.failed = failed
        self.warnings = list(warnings)
        self._channels = channels

    def __getitem__(self, code: str) -> Signal:
        return self._channels[code]

    def __iter__(self) -> Iterator[str]:
        return iter(self._channels)

    def __len__(self) -> int:
        return len(self._channels)

    def __repr__(self) -> str:
        return "<kalvio.Test %s, %d channels>" % (self.number, len(self))

    def find(self, pattern: str) -> List[Signal]:
        """The signals whose code matches pattern (? stands for one position, *
        for any run, letters in either case), in channel-list order.

            >>> test.find("11HEAD0000H3AC?A")   # the head accelerations X, Y, Z
        """
        return [s for code, s in self._channels.items() if _kalvio._code_matches(pattern, code)]

    def to_pandas(self) -> Any:
        """The channels as a pandas DataFrame, a column per channel (by code)
        on one time index in seconds where their times agree; channels on
        other times are left out with a kalvio.SignalWarning naming them
        (needs pandas).

            >>> frame = test.to_pandas(); frame["11HEAD0000H3ACXA"].idxmax()
        """
        return _test_to_pandas(self)


def read_test(path: PathLike) -> Test:
    """Reads the ISO-MME test at path (its .mme file, its folder or a .zip
    holding it) with every channel of its channel list. Raises
    kalvio.FileNotFoundError when nothing is at path, kalvio.FormatError when
    it holds no test; a channel file that is missing or cannot be read is
    left out with a warning (and listed in Test.failed).

        >>> test = kalvio.read_test("2231.zip")
    """
    number, mme, fields, channels, failures, warnings = _kalvio._read_test(os.fsdecode(path))
    header: Dict[str, str] = {}
    for name, value in fields:
        header.setdefault(name, value)
    mapping: Dict[str, Signal] = {}
    for code, channel_number, signal in channels:
        key = code or "%s_%03d" % (number, channel_number)
        unique, k = key, 2
        while unique in mapping:
            unique, k = "%s_%d" % (key, k), k + 1
        mapping[unique] = signal
    failed = {(code or file): message for code, file, message in failures}
    return Test(number, mme, header, mapping, failed, warnings)


class Simulation(Mapping[str, Signal]):
    """A simulation's time histories: a mapping from channel name
    (FILE/ID/VARIABLE, "nodout/1001/x_acceleration"; FILE/VARIABLE for a
    global file, "glstat/kinetic_energy") to Signal, in the file's order.
    titles maps each name to its id's title (the legend, else the model's
    title); units is the model's units as given, or None (model units)."""

    def __init__(self, path: str, units: Optional[str], channels: Sequence[Tuple[str, str, Signal]]) -> None:
        self.path = path
        self.units = units
        self.titles = {name: title for name, title, _ in channels}
        self._channels = {name: signal for name, _, signal in channels}

    def __getitem__(self, name: str) -> Signal:
        return self._channels[name]

    def __iter__(self) -> Iterator[str]:
        return iter(self._channels)

    def __len__(self) -> int:
        return len(self._channels)

    def __repr__(self) -> str:
        return "<kalvio.Simulation %s, %d channels>" % (self.path, len(self))

    def find(self, pattern: str) -> List[Signal]:
        """The signals whose name matches pattern (? one character, * any run,
        letters in either case), in the file's order.

            >>> sim.find("nodout/*/?_acceleration")
        """
        return [s for name, s in self._channels.items() if _kalvio._code_matches(pattern, name)]


def read_simulation(path: PathLike, units: Optional[str] = None) -> Simulation:
    """Reads every channel of the simulation at path: a binout (binout,
    binout0000 with its sister files and continuations; any name) or an ASCII
    time-history file (nodout, glstat, secforc, rcforc, matsum, sbtout,
    jntforc, deforc, abstat). units names
    the model's consistent set, LENGTH-TIME-MASS-FORCE ("mm-ms-kg-kN",
    "mm-s-t-N"): the signals then come in seconds, mm, m/s, g, N, N m, J, kg;
    without it in the model's numbers, their unit "MODEL UNITS". Raises
    kalvio.FileNotFoundError when nothing is at path, kalvio.FormatError for
    a file that is no simulation or is damaged, kalvio.ValueError for units
    that are no consistent set.

        >>> sim = kalvio.read_simulation("binout", units="mm-ms-kg-kN")
    """
    name = os.fsdecode(path)
    return Simulation(name, units, _kalvio._read_simulation(name, units or ""))


def write_test(signals: Union[Sequence[Signal], Mapping[str, Signal]], folder: PathLike, test_object: str = "?",
               position: str = "?") -> None:
    """Writes signals (a list of Signals, or a Test) as one ISO-MME test in the
    new folder, whose name is the test number, as kalvio convert --format
    iso-mme does: written beside it and renamed at the end; an existing folder
    is never replaced. test_object and position fill the code characters 1
    and 2 (as --object and --position) of codes built from headers that do not
    name them: position "1" the driver's seat, test_object "S" a sled.

        >>> kalvio.write_test(test, "out/2231")
    """
    listed = list(signals.values()) if isinstance(signals, collections.abc.Mapping) else list(signals)
    _kalvio._write_test(listed, os.fsdecode(folder), test_object, position)


def check(signal_or_test: Union[Signal, Test]) -> List[Finding]:
    """The faults of the measuring chain in a Signal, as a list of
    kalvio.results.Finding (kind, severity, message, t1, t2; to_dict() gives
    what kalvio check --json gives; empty when the signal is ok). For a Test,
    the findings of every channel as kalvio.results.ChannelFinding, each with
    its code and file.

        >>> [f.message for f in kalvio.check(test) if f.severity == "fail"]
    """
    if isinstance(signal_or_test, Test):
        found: List[Finding] = []
        for code, signal in signal_or_test.items():
            found += _kalvio._check_signal(signal, code)
        return found
    return _kalvio._check_signal(signal_or_test)


def criterion(name: str, *signals: Union[Signal, Test], dummy: str = "h3-50m", cumulative: bool = False,
              v0: Optional[float] = None, position: str = "1", right: bool = False) -> CriterionResult:
    """The injury criterion name ("hic", "neck208", "nij", "clip3ms", "vc",
    "tibia", "olc", "bric") of one signal or three in X, Y, Z order, for the
    dummy (see the programs' --list-dummies), as the program's --json gives
    it: a kalvio.results.CriterionResult. cumulative (clip3ms) judges the
    cumulative clip, v0 (olc) is the initial velocity in m/s. Given one Test
    instead, the channels are picked from it as the programs pick them:
    dummy seat position ("1" the driver), right (tibia) the right leg.

        >>> kalvio.criterion("hic", *test.find("11HEAD0000H3AC?A"))["HIC15"].value
        >>> kalvio.criterion("nij", test, dummy="h3-5f", position="3").passed
    """
    first = signals[0] if len(signals) == 1 else None
    if isinstance(first, Test):
        return _kalvio._criterion_of_test(name, first.path, dummy, cumulative, v0, position, right)
    if any(isinstance(s, Test) for s in signals):
        raise TypeError("criterion takes one Test alone, or signals")
    return _kalvio._criterion(name, list(signals), dummy, cumulative, v0)


def assess(test: Union[PathLike, Test, Sequence[PathLike]], protocol: str, positions: Union[str, Sequence[str], None] = None,
           inputs: Optional[Mapping[str, Union[bool, float]]] = None, dummy: Optional[str] = None,
           protocol_dir: Optional[PathLike] = None) -> Assessment:
    """The assessment of test under protocol (an id: "fmvss208", "un-r94",
    "euro-ncap-mpdb-2023", ...), as kalvio assess --json gives it: a
    kalvio.results.Assessment with the inputs and the occupants (regions,
    criteria, scores or verdicts; n/a criteria with their reason). test is an
    ISO-MME test (.mme, folder or .zip, or a Test) or a list of signal files
    whose headers carry channel codes. positions limits it to seats ("1",
    "3"); inputs maps the protocol's inputs to values ({"hard_head_contact":
    True}); dummy names the dummy when the codes do not; protocol_dir is a
    folder of protocol files of one's own, read before the shipped ones.
    Raises kalvio.FileNotFoundError or kalvio.FormatError for a test that
    cannot be read, kalvio.ProtocolError for an unknown protocol or input,
    kalvio.ValueError for a position or dummy the protocol does not have.

        >>> result = kalvio.assess("2231.zip", "euro-ncap-mpdb-2023", positions="1")
        >>> result.occupants[0].score, result.to_json()
    """
    if isinstance(test, Test):
        paths = [test.path]
    elif isinstance(test, (str, bytes, os.PathLike)):
        paths = [os.fsdecode(test)]
    else:
        paths = [os.fsdecode(p) for p in test]
    seats = [positions] if isinstance(positions, str) else list(positions or [])
    if inputs is not None and not isinstance(inputs, collections.abc.Mapping):
        raise TypeError("assess: inputs is a dict of the protocol's inputs and their values")
    # The keywords as the one request every caller of the assessment reads.
    request = {"tests": [paths], "protocol": protocol, "positions": [str(p) for p in seats],
               "inputs": None if inputs is None else dict(inputs), "dummy": dummy or None,
               "protocol_dir": None if protocol_dir is None else os.fsdecode(protocol_dir)}
    return _kalvio._assess(json.dumps(request))


def protocols(protocol_dir: Optional[PathLike] = None) -> List[Dict[str, Any]]:
    """The protocols kalvio.assess can use, as a list of dicts ("id", "name",
    "version", "date", "source", "dummies", "file"); protocol_dir's own files
    first. Raises kalvio.ProtocolError naming the file and line of every
    protocol file that fails its check.

        >>> [p["id"] for p in kalvio.protocols()]
    """
    found, problems = _kalvio._protocols("" if protocol_dir is None else os.fsdecode(protocol_dir))
    if problems:
        raise ProtocolError("\n".join(problems))
    return found
