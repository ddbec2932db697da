"""kalvio.read, write, read_test, write_test: the arrays and headers the
command line gives, no copies, errors, warnings and threads."""
import math
import os
import pickle
import shutil
import sys
import threading
import time

import numpy as np
import pytest

import kalvio
from conftest import dumped, kalvio_cmd, kalvio_stderr


def info_fields(path):
    """The header kalvio info prints, as name -> text."""
    lines = kalvio_cmd("info", path).splitlines()
    return dict(line.split(": ", 1) for line in lines)


@pytest.mark.parametrize("name", ["occ2231_head_x.rvf", "occ2231_sled_pulse.txt", "iso-mme/2231/Channel/2231.012"])
def test_arrays_and_header_are_those_of_dump_and_info(demo, name):
    path = str(demo / name)
    s = kalvio.read(path)
    x, y = dumped(path)
    if s.header["XUnits"] == "MILLISECONDS":  # the text file's times: x gives them in seconds
        x = (x.astype(np.float64) * 1e-3).astype(np.float32)
    assert s.x.dtype == np.float32 and np.array_equal(s.x, x) and np.array_equal(s.y, y)
    info = info_fields(path)
    assert s.kind == info.pop("Kind") and int(info.pop("PointCount")) == len(s)
    info.pop("File")
    header = s.header
    assert set(header) == set(info)
    for field, text in info.items():
        value = header[field]
        if isinstance(value, str):
            assert value == text, field
        else:
            assert np.float32(value) == np.float32(float(text)), field
    assert s.code == ("" if name.endswith((".rvf", ".txt")) else "11NECKUP00H3FOXB")


def test_arrays_are_read_only_views_of_the_signal(demo):
    s = kalvio.read(str(demo / "occ2231_head_x.rvf"))
    assert s.y.base is s and s.x.base is s
    assert np.shares_memory(s.y, s.y)  # every access is a view of the same samples
    with pytest.raises(ValueError):
        s.y[0] = 1
    with pytest.raises(ValueError):
        s.y.setflags(write=True)
    before = s.y.copy()
    filtered = kalvio.cfc(s, 60)
    assert np.array_equal(s.y, before) and not np.array_equal(filtered.y, before)
    assert s.header["FilterClass"] == 1000 and filtered.header["FilterClass"] == 60
    assert s.step == pytest.approx(1e-4) and filtered.path == ""
    series = s.to_pandas()
    assert np.array_equal(series.to_numpy(), s.y) and np.array_equal(series.index.to_numpy(), s.x.astype(np.float64))
    pulse = kalvio.read(str(demo / "occ2231_sled_pulse.txt"))  # times in milliseconds
    assert np.array_equal(pulse.to_pandas().index.to_numpy(),
                          dumped(demo / "occ2231_sled_pulse.txt")[0].astype(np.float64) * 1e-3)
    assert kalvio.Signal([0, 1, 3], [0, 0, 0]).step is None
    assert kalvio.Signal([0, 1, 3], [0, 0, 0], {"Del": 1.0}).step is None  # a step its times are not on


def test_times_are_seconds_whatever_unit_the_record_keeps(demo, tmp_path):
    path = demo / "occ2231_sled_pulse.txt"  # "Time (ms)"
    pulse = kalvio.read(str(path))
    x_ms = dumped(path)[0]
    assert pulse.header["XUnits"] == "MILLISECONDS" and not pulse.x.flags.writeable
    assert pulse.start == pytest.approx(float(x_ms[0]) * 1e-3, rel=1e-6)
    assert pulse.step == pytest.approx(float(x_ms[1] - x_ms[0]) * 1e-3, rel=1e-4)
    # A time argument in seconds is the command's number in the file's unit.
    kalvio.write(kalvio.truncate(pulse, 0.01, 0.02), tmp_path / "py.rvf")
    kalvio_cmd("truncate", 10, 20, path, "-o", tmp_path / "cli.rvf")
    assert (tmp_path / "py.rvf").read_bytes() == (tmp_path / "cli.rvf").read_bytes()
    rated = kalvio.rate(pulse, pulse, stop=0.05)
    assert rated.span[1] <= 0.05 and rated.span[1] == pytest.approx(0.05, abs=float(pulse.step))
    # A record made in milliseconds takes its times in seconds too, and stores them in its unit.
    made = kalvio.Signal([0, 0.001, 0.002], [0, 1, 0], {"XUnits": "MILLISECONDS"})
    kalvio.write(made, tmp_path / "made.rvf")
    assert np.array_equal(dumped(tmp_path / "made.rvf")[0], [0, 1, 2]) and made.step == pytest.approx(0.001)
    assert kalvio.Signal([0, 0.5], [0, 0]).header["XUnits"] == "SECONDS"


def test_the_header_is_read_only_and_with_header_gives_a_changed_copy(demo):
    s = kalvio.read(str(demo / "occ2231_head_x.rvf"))
    with pytest.raises(TypeError):
        s.header["CurveText"] = "Head"  # once silently lost
    named = s.with_header(CurveText="Head X", FilterClass=180)
    assert (named.header["CurveText"], named.header["FilterClass"]) == ("Head X", 180)
    assert s.header["CurveText"] != "Head X" and np.shares_memory(named.y, s.y) and named.path == s.path
    assert s.with_header(Nlp=5).header["Nlp"] == s.header["Nlp"]  # what follows from the arrays stays true
    with pytest.raises(kalvio.ValueError, match="unknown header field 'Hic15'"):
        s.with_header(Hic15=3)
    with pytest.raises(kalvio.TypeError, match="Del takes a number"):
        s.with_header(Del="1 ms")


def test_written_files_read_back_and_match_convert(demo, tmp_path):
    s = kalvio.read(str(demo / "occ2231_neck_fz.rvf"))
    for fmt in ["rvf", "vax"]:
        ours, theirs = tmp_path / ("py." + fmt), tmp_path / ("cli." + fmt)
        kalvio.write(s, ours, format=fmt)
        kalvio_cmd("convert", demo / "occ2231_neck_fz.rvf", "-o", theirs, *(["--format", fmt] if fmt != "rvf" else []))
        assert ours.read_bytes() == theirs.read_bytes()
        back = kalvio.read(str(ours))
        assert np.array_equal(back.y, s.y) and np.array_equal(back.x, s.x)
        assert {k: v for k, v in back.header.items()} == s.header
    made = kalvio.Signal(np.arange(5) * 0.001, [0, 1, 4, 9, 16], {"XUnits": "SECONDS", "CurveText": "Made"})
    assert made.step == pytest.approx(0.001) and made.header["Nlp"] == 4
    kalvio.write(made, tmp_path / "made.rvf")
    assert np.array_equal(kalvio.read(str(tmp_path / "made.rvf")).y, [0, 1, 4, 9, 16])
    # A failed write leaves the old file as it was.
    with pytest.raises(kalvio.Error, match="fewer than two points"):
        kalvio.write(kalvio.Signal([0], [1]), tmp_path / "py.rvf")
    with pytest.raises(kalvio.Error, match="format"):
        kalvio.write(s, tmp_path / "py.rvf", format="pdf")
    assert kalvio.read(str(tmp_path / "py.rvf")).header == s.header


def test_a_signal_pickles_to_the_last_bit(demo, tmp_path):
    for s in [kalvio.read(str(demo / "occ2231_neck_fz.rvf")), kalvio.read_test(demo / "iso-mme" / "2231")["11HEAD0000H3ACXA"]]:
        back = pickle.loads(pickle.dumps(s))
        assert (back.header, back.path, back.code, back.kind, back.warnings) == (s.header, s.path, s.code, s.kind, s.warnings)
        assert bytes(back.x) == bytes(s.x) and bytes(back.y) == bytes(s.y)
        kalvio.write_test([s], tmp_path / "A")
        kalvio.write_test([back], tmp_path / "B")
        assert [f.read_bytes() for f in sorted((tmp_path / "A").rglob("*.*"))] == [
            f.read_bytes() for f in sorted((tmp_path / "B").rglob("*.*"))]
        shutil.rmtree(tmp_path / "A"), shutil.rmtree(tmp_path / "B")


def test_a_test_its_find_and_its_copy(demo, tmp_path):
    test = kalvio.read_test(demo / "iso-mme" / "2231")
    listed = [line.split(": ", 1)[1] for line in kalvio_cmd("info", demo / "iso-mme" / "2231").splitlines()
              if line.startswith("File: ")]
    assert [s.path for s in test.values()] == listed
    assert test.number == "2231" and test.header["Laboratory test ref. number"] == "SB-2231"
    assert not test.failed and list(test)[0] == "11HEAD0000H3ACXA"
    head = test.find("11head0000h3ac?a")
    assert [s.code for s in head] == ["11HEAD0000H3ACXA", "11HEAD0000H3ACYA", "11HEAD0000H3ACZA"]
    assert [s.code for s in test.find("11NECKUP*FO?B")] == ["11NECKUP00H3FOXB", "11NECKUP00H3FOYB", "11NECKUP00H3FOZB"]
    assert test.find("11HEAD0000H3ACX") == [] and "11HEAD0000H3ACXA" in test
    assert np.array_equal(test["11HEAD0000H3ACXA"].y, dumped(listed[0])[1])
    kalvio.write_test(test, tmp_path / "T1")
    again = kalvio.read_test(tmp_path / "T1")
    assert list(again) == list(test)
    assert all(np.array_equal(again[c].y, test[c].y) for c in test)
    with pytest.raises(kalvio.Error):
        kalvio.write_test(test, tmp_path / "T1")  # an existing test is never replaced


def test_write_test_gives_codes_built_from_headers_their_seat(demo, tmp_path):
    head = kalvio.read(str(demo / "occ2231_head_x.rvf"))
    kalvio.write_test([head], tmp_path / "2231", position="1")
    assert list(kalvio.read_test(tmp_path / "2231")) == ["11HEAD????H3ACXA"]
    with pytest.raises(kalvio.Error, match="position as one code character"):
        kalvio.write_test([head], tmp_path / "X", position="12")


def test_errors_name_the_file(demo, tmp_path):
    missing = str(tmp_path / "missing.rvf")
    with pytest.raises(kalvio.FileNotFoundError, match="missing.rvf") as caught:
        kalvio.read(missing)
    # The toolset's own message, not the built-in class's "[Errno 2] ...: 'FILE'".
    assert caught.value.filename == missing and str(caught.value) == kalvio_stderr("dump", missing).rstrip("\n")
    broken = tmp_path / "broken.rvf"
    broken.write_bytes((demo / "occ2231_head_x.rvf").read_bytes()[:3000])
    with pytest.raises(kalvio.FormatError, match="broken.rvf") as caught:
        kalvio.read(str(broken))
    assert str(caught.value) == kalvio_stderr("dump", broken).rstrip("\n")  # the command's own message
    assert issubclass(kalvio.Error, Exception)
    with pytest.raises(kalvio.FormatError):
        kalvio.read_test(tmp_path)
    with pytest.raises(kalvio.FileNotFoundError):
        kalvio.read_test(tmp_path / "2231.zip")
    with pytest.raises(kalvio.Error, match="kalvio.read_test reads it"):
        kalvio.read(str(demo / "iso-mme" / "2231"))
    s = kalvio.read(str(demo / "occ2231_head_x.rvf"))
    with pytest.raises(kalvio.ValueError, match="Kalvio::BWfilt"):
        kalvio.cfc(s, 61)
    with pytest.raises(TypeError):
        kalvio.cfc(s, 60.5)
    with pytest.raises(kalvio.ValueError, match="finite"):
        kalvio.scale_y(s, math.nan)
    with pytest.raises(kalvio.Error, match="time_unit"):
        kalvio.read(str(demo / "occ2231_sled_pulse.txt"), time_unit="h")
    with pytest.raises(kalvio.ValueError, match="unknown header field"):
        kalvio.Signal([0, 1], [0, 1], {"Hic15": 3})
    with pytest.raises(kalvio.TypeError, match="Del takes a number"):
        kalvio.Signal([0, 1], [0, 1], {"Del": "1 ms"})
    with pytest.raises(TypeError):
        kalvio.criterion("olc", s, v0="15 m/s")
    with pytest.raises(kalvio.ValueError, match="unknown dummy"):
        kalvio.criterion("hic", s, dummy="crash-test-dummy")


def test_warnings_go_through_the_warnings_module(demo, tmp_path):
    # Times in milliseconds without a word on their unit: read as seconds, the step is implausible.
    pulse = tmp_path / "pulse.txt"
    pulse.write_text("pulse\n0 0\n0.1 1\n0.2 0\n")
    with pytest.warns(kalvio.SignalWarning, match="time_unit=\"ms\""):
        s = kalvio.read(str(pulse), time_unit="s")
    assert s.header["XUnits"] == "SECONDS"
    # The demo's pulse says "Time (ms)": its own word wins over the choice.
    assert kalvio.read(str(demo / "occ2231_sled_pulse.txt"), time_unit="s").header["XUnits"] == "MILLISECONDS"


def ran_meanwhile(call):
    """Whether another Python thread ran while call() was under way. The
    switch interval is made so long that the GIL changes hands only where a
    thread gives it up: a count that moves during call() proves it did."""
    count, stop = [0], [False]

    def other():
        while not stop[0]:
            count[0] += 1
            time.sleep(0)

    old = sys.getswitchinterval()
    sys.setswitchinterval(100)
    helper = threading.Thread(target=other)
    helper.start()
    try:
        while count[0] == 0:
            time.sleep(0.001)
        for _ in range(5):  # the other thread may not be given a core in time
            before = count[0]
            call()
            if count[0] != before:
                return True
        return False
    finally:
        stop[0] = True
        helper.join()
        sys.setswitchinterval(old)


def test_reading_filtering_and_criteria_release_the_gil(demo, tmp_path):
    n = 2_000_000
    big = kalvio.Signal(np.arange(n) * 1e-4, np.sin(np.arange(n) * 1e-3), {"XUnits": "SECONDS", "YUnits": "G'S"})
    kalvio.write(big, tmp_path / "big.rvf")
    assert ran_meanwhile(lambda: kalvio.read(str(tmp_path / "big.rvf")))
    assert ran_meanwhile(lambda: kalvio.cfc(big, 60))
    assert ran_meanwhile(lambda: kalvio.criterion("clip3ms", big))
    # Threads give the results one thread gives.
    alone = kalvio.cfc(big, 180).y
    results = [None] * 4

    def work(i):
        results[i] = kalvio.cfc(kalvio.read(str(tmp_path / "big.rvf")), 180).y

    threads = [threading.Thread(target=work, args=(i,)) for i in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert all(np.array_equal(r, alone) for r in results)
