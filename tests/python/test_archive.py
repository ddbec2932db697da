"""python3 -m kalvio.archive over a small archive on a local cluster of two
workers: one row per channel and file, a broken file a row with its message."""
import csv
import json
import os
import shutil
import subprocess
import sys
import zipfile

import kalvio
from conftest import kalvio_cmd


def test_the_archive_is_checked_as_kalvio_check_checks_it(demo, tmp_path):
    archive = tmp_path / "archive"
    shutil.copytree(demo / "iso-mme" / "2231", archive / "lab" / "2231")
    with zipfile.ZipFile(archive / "4127.zip", "w") as z:
        for f in sorted((demo / "iso-mme" / "4127").rglob("*")):
            z.write(f, f.relative_to(demo / "iso-mme"))
    for name in ["veh4127_bpillar_x.rvf", "occ2231_spine_x.rvf", "occ2231_sled_pulse.txt"]:
        shutil.copy(demo / name, archive / name)
    (archive / "broken.rvf").write_bytes((demo / "occ2231_head_x.rvf").read_bytes()[:3000])
    (archive / "notes.txt").write_text("Sled series, checked by hand.\n")
    table = tmp_path / "table.csv"
    done = subprocess.run([sys.executable, "-m", "kalvio.archive", str(archive), "--do", "check", "--workers", "2",
                           "-o", str(table)], capture_output=True, text=True, timeout=120)
    assert done.returncode == 1, done.stderr  # the broken file
    assert "100% Completed" in done.stderr and done.stdout == ""
    rows = list(csv.DictReader(table.open()))

    inputs = [archive / n for n in ["4127.zip", "broken.rvf", "occ2231_sled_pulse.txt", "occ2231_spine_x.rvf",
                                    "veh4127_bpillar_x.rvf", "lab/2231/2231.mme"]]
    expected = json.loads(kalvio_cmd("check", "--json", *inputs, check=False))["files"]
    assert [r["file"] for r in rows if r["channel"] or r["verdict"] != ""] == [
        str(f["file"]) for f in expected]
    by_file = {r["file"]: r for r in rows}
    for f in expected:
        row = by_file[f["file"]]
        assert row["verdict"] == f["verdict"], f["file"]
        if f["verdict"] == "unreadable":
            assert row["error"].endswith(f["error"]) and row["error"].startswith(str(archive / "broken.rvf"))
        else:
            assert int(row["findings"]) == len(f["findings"])
    assert {r["verdict"] for r in rows} >= {"ok", "warning", "fail", "unreadable"}
    assert not any("notes.txt" in r["input"] for r in rows)
    # The test's own warning (a repeated code) has its row.
    assert any(r["input"].endswith("4127.zip") and "more than one channel" in r["warnings"] for r in rows)


def test_bad_usage_is_refused_before_any_work(tmp_path):
    def usage(*args):
        return subprocess.run([sys.executable, "-m", "kalvio.archive", *map(str, args)], capture_output=True,
                              text=True, timeout=60)

    done = usage(tmp_path, "--do", "check", "--protocol", "X", "-o", tmp_path / "t.csv")
    assert done.returncode == 2 and "--protocol belongs to --do assess" in done.stderr
    done = usage(tmp_path / "missing", "--do", "check", "-o", tmp_path / "t.csv")
    assert done.returncode == 2 and "is not a folder" in done.stderr
    assert not os.path.exists(tmp_path / "t.csv")


def test_pipes_are_skipped_gone_files_keep_their_row_and_no_input_is_the_table(demo, tmp_path):
    # Regression: a FIFO blocked the listing; a text signal deleted between
    # listing and reading had no row; -o naming an input replaced it.
    from kalvio import archive as module

    folder = tmp_path / "a"
    folder.mkdir()
    shutil.copy(demo / "occ2231_head_x.rvf", folder / "head.rvf")
    os.mkfifo(folder / "pipe.rvf")
    skipped = []
    assert module.find_inputs(str(folder), skipped) == [("signal", str(folder / "head.rvf"))]
    assert skipped == ["%s: not a regular file (a pipe or a device); skipped" % (folder / "pipe.rvf")]
    rows = module.check_input("maybe", str(folder / "gone.txt"))
    assert len(rows) == 1 and rows[0]["verdict"] == "unreadable" and rows[0]["error"]
    assert module.input_that_is(str(folder / "head.rvf"), str(folder)) == str(folder / "head.rvf")
    assert module.input_that_is(str(tmp_path / "table.csv"), str(folder)) is None
    before = (folder / "head.rvf").read_bytes()
    done = subprocess.run([sys.executable, "-m", "kalvio.archive", str(folder), "--do", "check", "-o",
                           str(folder / "head.rvf")], capture_output=True, text=True, timeout=60)
    assert done.returncode == 2 and "one of the inputs" in done.stderr
    assert (folder / "head.rvf").read_bytes() == before


def test_a_row_takes_its_worst_finding(monkeypatch):
    from kalvio import archive as module
    from kalvio.results import Finding

    found = [Finding("offset", "warning", "w", 0.0, 0.0), Finding("flat", "fail", "f", 0.0, 0.0),
             Finding("drift", "warning", "w", 0.0, 0.0)]
    monkeypatch.setattr(kalvio, "check", lambda signal: found)
    row = module._check_row("in", "", kalvio.Signal([0, 1e-4, 2e-4], [0, 1, 0]))
    assert row["verdict"] == "fail" and row["findings"] == 3
