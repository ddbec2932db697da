"""What a notebook shows of signals and tests: a Signal as a small table with
an inline SVG sparkline, a Signal's plot with matplotlib, a Test as one
pandas DataFrame."""
from __future__ import annotations

import html
import warnings
from typing import TYPE_CHECKING, Any, List, Optional

import numpy as np

from ._kalvio import Signal, SignalWarning, ValueError

if TYPE_CHECKING:
    from . import Test

SPARK_WIDTH, SPARK_HEIGHT = 160, 32


def sparkline(x: Any, y: Any, width: int = SPARK_WIDTH, height: int = SPARK_HEIGHT) -> str:
    """An SVG polyline of y over x in a width x height box: the minimum and
    maximum of each of width columns, so that no peak is lost; "" when there
    is nothing finite to draw."""
    xs = np.asarray(x, dtype=np.float64)
    ys = np.asarray(y, dtype=np.float64)
    keep = np.isfinite(xs) & np.isfinite(ys)
    xs, ys = xs[keep], ys[keep]
    if len(xs) < 2 or xs[-1] <= xs[0]:
        return ""
    column = np.minimum(((xs - xs[0]) / (xs[-1] - xs[0]) * width).astype(np.int64), width - 1)
    low, high = float(ys.min()), float(ys.max())
    scale = (height - 2) / (high - low) if high > low else 0.0
    points: List[str] = []
    for c in np.unique(column):
        values = ys[column == c]
        for v in (values.min(), values.max()) if len(values) > 1 else (values[0],):
            points.append("%d,%.1f" % (c, height - 1 - (float(v) - low) * scale))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
            '<polyline fill="none" stroke="#1f77b4" stroke-width="1" points="%s"/></svg>'
            % (width, height, width, height, " ".join(points)))


def _name(signal: Signal) -> str:
    text = str(signal.header.get("CurveText", "")).strip()
    return text or signal.path or "(made in Python)"


def signal_repr_html(signal: Signal) -> str:
    """A Signal as a notebook shows it: code, name, unit, points, span and a
    sparkline."""
    x = signal.x
    span = "%.6g s to %.6g s" % (float(x[0]), float(x[-1])) if len(x) else "no points"
    rows = [("code", signal.code or "-"), ("name", _name(signal)),
            ("unit", str(signal.header.get("YUnits", "")).strip() or "-"), ("points", str(len(signal))),
            ("span", span)]
    cells = "".join("<tr><th style=\"text-align:left\">%s</th><td style=\"text-align:left\">%s</td></tr>"
                    % (html.escape(k), html.escape(v)) for k, v in rows)
    spark = sparkline(x, signal.y)
    return ("<div><b>kalvio.Signal</b><table>%s</table>%s</div>" % (cells, spark))


def signal_plot(signal: Signal, ax: Optional[Any] = None, **line: Any) -> Any:
    """Draws the signal over time in seconds on ax (a matplotlib Axes; a new
    figure's without one), labelled with its name and units; more keywords
    go to ax.plot. Returns the Axes. Needs matplotlib.

        >>> ax = signal.plot(); kalvio.cfc(signal, 60).plot(ax=ax)
    """
    try:
        import matplotlib.pyplot as plt  # type: ignore[import]
    except ImportError as e:
        raise ImportError("Signal.plot needs matplotlib (Debian's python3-matplotlib)") from e
    if ax is None:
        _, ax = plt.subplots()
    line.setdefault("label", signal.code or _name(signal))
    ax.plot(signal.x, signal.y, **line)
    x_unit = "s" if signal.step is not None or _is_time(signal) else str(signal.header.get("XUnits", "")).strip()
    ax.set_xlabel("time (%s)" % x_unit if x_unit == "s" else x_unit)
    ax.set_ylabel(str(signal.header.get("YUnits", "")).strip())
    ax.legend()
    return ax


def _is_time(signal: Signal) -> bool:
    return str(signal.header.get("XType", "")).strip().upper().startswith("TIME")


def test_to_pandas(test: "Test") -> Any:
    """The channels of test as one DataFrame on the time index of its first
    channel; a channel on other times is left out with a warning."""
    try:
        import pandas  # type: ignore[import]
    except ImportError as e:
        raise ImportError("to_pandas needs pandas (Debian's python3-pandas)") from e
    columns = {}
    index = None
    left_out = []
    for code, signal in test.items():
        if not _is_time(signal):
            left_out.append(code)
            continue
        x = np.asarray(signal.x, dtype=np.float64)
        if index is None:
            index = x
        if len(x) != len(index) or not np.array_equal(x, index):
            left_out.append(code)
            continue
        columns[code] = np.asarray(signal.y)
    if left_out:
        warnings.warn("%s: on other times than %s, left out of the DataFrame: %s"
                      % (test.path, next(iter(columns), "the first channel"), ", ".join(left_out)),
                      SignalWarning, stacklevel=3)
    if index is None:
        raise ValueError("%s: no channel over time" % test.path)
    return pandas.DataFrame(columns, index=pandas.Index(index, name="time (s)"))

