"""The results of kalvio.rate, kalvio.criterion and kalvio.assess as typed,
read-only objects. The extension makes them from the library's own results;
to_dict() gives them as plain dicts and lists, to_json() as JSON text.
Every time is in seconds.
"""
from __future__ import annotations

import dataclasses
import json
from dataclasses import dataclass
from typing import Any, Dict, Optional, Tuple, Union, cast


class _Result:
    """What every result has: to_dict() and to_json()."""

    def to_dict(self) -> Dict[str, Any]:
        """The result as plain dicts, lists, numbers, texts and None."""
        plain: Dict[str, Any] = _plain(dataclasses.asdict(cast(Any, self)))
        return plain

    def to_json(self, indent: Optional[int] = None) -> str:
        """The result as JSON text (to_dict() dumped)."""
        return json.dumps(self.to_dict(), indent=indent)


def _plain(value: Any) -> Any:
    if isinstance(value, dict):
        return {k: _plain(v) for k, v in value.items()}
    if isinstance(value, (list, tuple)):
        return [_plain(v) for v in value]
    return value


@dataclass(frozen=True)
class Finding(_Result):
    """A fault of the measuring chain in a signal, as kalvio check --json
    gives it: its kind ("dropout", "flat", ...), severity ("warning" or
    "fail"), message and the times it spans, in the signal's own time unit."""

    kind: str
    severity: str
    message: str
    t1: float
    t2: float


@dataclass(frozen=True)
class ChannelFinding(Finding):
    """A finding of one channel of a test, with the channel's code and file."""

    code: str
    file: str


@dataclass(frozen=True)
class Rating(_Result):
    """The ISO/TS 18571 rating of a comparison against a reference: the
    overall rating and its four parts (0 to 1), the shift that correlates
    best (s, positive: the comparison is late), the span rated (s) and
    whether the comparison was resampled onto the reference's step."""

    reference: str
    comparison: str
    rating: float
    corridor: float
    phase: float
    magnitude: float
    slope: float
    shift: float
    span: Tuple[float, float]
    resampled: bool


@dataclass(frozen=True)
class CriterionInput(_Result):
    """One input of a criterion as read: channel label ("X", "Fz"), file,
    what its header says, and its unit for the criterion."""

    channel: str
    file: str
    description: str
    axis: str
    filter_class: Optional[int]
    filter: str
    units: Optional[str]
    criterion_unit: str


@dataclass(frozen=True)
class CriterionValue(_Result):
    """One reported number: its name ("HIC15"), value and unit, the window
    t1..t2 (s; t1 == t2 for an instant) or the intervals that decide it, its
    limit and whether it passes (None without a limit)."""

    name: str
    value: float
    unit: str
    t1: Optional[float]
    t2: Optional[float]
    intervals: Tuple[Tuple[float, float], ...]
    limit: Optional[float]
    passed: Optional[bool]
    detail: str


@dataclass(frozen=True)
class CriterionResult(_Result):
    """An injury criterion as its program reports it: the inputs, the values
    (result["HIC15"] is the one named so), the warnings and whether every
    value within its limit passes (None when none has a limit)."""

    program: str
    criterion: str
    dummy: str
    dummy_name: str
    inputs: Tuple[CriterionInput, ...]
    results: Tuple[CriterionValue, ...]
    warnings: Tuple[str, ...]
    passed: Optional[bool]

    def __getitem__(self, name: str) -> CriterionValue:
        for value in self.results:
            if value.name == name:
                return value
        raise KeyError("%s gives no %s (it gives %s)" % (self.program, name,
                                                         ", ".join(v.name for v in self.results)))


@dataclass(frozen=True)
class ProtocolInfo(_Result):
    id: str
    name: str
    version: str
    source: str


@dataclass(frozen=True)
class InputValue(_Result):
    """An input of the protocol that is no curve, with where its value came
    from ("default" or "file")."""

    name: str
    value: Union[bool, float]
    unit: str
    source: str
    meaning: str


@dataclass(frozen=True)
class ChannelUse(_Result):
    """A channel as a criterion used it, and how it was filtered."""

    code: str
    name: str
    path: str
    filter: str


@dataclass(frozen=True)
class Exceedance(_Result):
    """A time history judged against an exceedance curve (points in ms and
    the reported unit): the level closest to being exceeded, the time at or
    above it and the time the curve allows there (s; None: no limit)."""

    curve: Tuple[Tuple[float, float], ...]
    judged: bool
    level: float
    duration: float
    allowed: Optional[float]
    margin: Optional[float]


@dataclass(frozen=True)
class CriterionScore(_Result):
    """One criterion of an assessment: its value (None when n/a), limit or
    HPL/LPL, points and band (scored protocols), risk (risk protocols),
    rating in band with its bounds (rating protocols) or verdict ("pass",
    "fail"), status ("ok", "doubtful", "n/a") and the reason for n/a, the
    channels as used. A modifier takes points off (points_taken)."""

    criterion: str
    title: str
    value: Optional[float]
    unit: str
    t1: Optional[float]
    t2: Optional[float]
    limit: Optional[float]
    hpl: Optional[float]
    lpl: Optional[float]
    capping: Optional[float]
    score: Optional[float]
    max_score: Optional[float]
    band_score: Optional[float]
    band: Optional[str]
    band_colour: Optional[str]
    risk: Optional[float]
    rating_bounds: Tuple[float, ...]
    verdict: Optional[str]
    status: str
    reason: Optional[str]
    channels: Tuple[ChannelUse, ...]
    filter: Optional[int]
    capped: bool
    modifier: bool
    points_taken: Optional[float]
    input: Optional[str]
    exceedance: Optional[Exceedance]
    notes: Tuple[str, ...]


@dataclass(frozen=True)
class RegionResult(_Result):
    """A body region: its points and band (scored), its risk (the largest of
    its criteria's), its rating in band (the worst of its criteria's) or its
    verdict, and its criteria, the modifiers among them."""

    region: str
    score: Optional[float]
    max_score: Optional[float]
    band_score: Optional[float]
    band: Optional[str]
    risk: Optional[float]
    verdict: Optional[str]
    criteria: Tuple[CriterionScore, ...]


@dataclass(frozen=True)
class Occupant(_Result):
    """One assessed seat: its dummy, verdict ("pass", "fail", "incomplete";
    None for a complete scored occupant), score, risk and stars (risk
    protocols), regions and modifiers."""

    position: str
    label: str
    dummy: str
    dummy_name: str
    verdict: Optional[str]
    score: Optional[float]
    max_score: Optional[float]
    band_score: Optional[float]
    capped: Optional[str]
    risk: Optional[float]
    relative_risk: Optional[float]
    stars: Optional[int]
    regions: Tuple[RegionResult, ...]
    modifiers: Tuple[CriterionScore, ...]
    notes: Tuple[str, ...]


@dataclass(frozen=True)
class Vehicle(_Result):
    """The vehicle's relative risk and stars of a risk protocol, from its
    occupants' mean, or the reason there are none."""

    relative_risk: Optional[float]
    stars: Optional[int]
    reason: Optional[str]


@dataclass(frozen=True)
class Assessment(_Result):
    """A test assessed under a protocol: the inputs used, every occupant, the
    vehicle's stars (risk protocols; else None) and the warnings about the
    test as a whole."""

    protocol: ProtocolInfo
    test: str
    inputs: Tuple[InputValue, ...]
    occupants: Tuple[Occupant, ...]
    vehicle: Optional[Vehicle]
    warnings: Tuple[str, ...]
