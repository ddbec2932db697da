"""kalvio.read_simulation: the channels of a binout as kalvio dump gives them,
found by pattern, in the toolset's units with units=, refused when damaged."""
import os

import numpy as np
import pytest

import kalvio
from conftest import kalvio_cmd

POUCH = os.path.join(os.path.dirname(__file__), "..", "data", "cae", "pouch-impact.binout")


def test_channels_are_those_the_command_line_reads():
    sim = kalvio.read_simulation(POUCH)
    s = sim["nodout/84340382/y_displacement"]
    assert len(s) == 601 and s.y[-1] == np.float32(121.14822387695312)
    assert sim.titles["nodout/84340382/y_displacement"] == "History_node_1"
    x, y = dumped_channel(POUCH, "nodout/84340382/y_displacement")
    assert np.array_equal(s.x, x) and np.array_equal(s.y, y)
    assert len(sim.find("rcforc/*-slave/?_force")) == 4 * 3


def dumped_channel(path, name):
    rows = [line.split("\t") for line in kalvio_cmd("dump", path, "--channel", name).splitlines()]
    return (np.array([float(r[0]) for r in rows], dtype=np.float32),
            np.array([float(r[1]) for r in rows], dtype=np.float32))


def test_units_give_seconds_and_refuse_an_inconsistent_set():
    sim = kalvio.read_simulation(POUCH, units="mm-ms-kg-kN")
    a = sim["nodout/84340382/x_acceleration"]
    assert a.header["XUnits"] == "SECONDS" and a.header["YUnits"] == "G'S"
    assert a.x[-1] == np.float32(59.999637429078575 * 1e-3)
    assert sim["rcforc/100000-slave/x_force"].header["YUnits"] == "NEWTONS"
    with pytest.raises(kalvio.Error, match="not a consistent set"):
        kalvio.read_simulation(POUCH, units="mm-ms-kg-N")


def test_a_truncated_binout_is_an_error(tmp_path):
    cut = tmp_path / "binout"
    cut.write_bytes(open(POUCH, "rb").read()[:700000])
    with pytest.raises(kalvio.Error, match="truncated"):
        kalvio.read_simulation(cut)
