"""kalvio.assess gives the object kalvio assess --json prints; the archive
command assesses every test of an archive under one protocol."""
import csv
import json
import shutil
import subprocess
import sys

import pytest

import kalvio
from conftest import agrees, kalvio_cmd


def test_assess_gives_what_the_command_prints_and_refuses_bad_inputs(demo):
    test = demo / "iso-mme" / "3301"
    expected = json.loads(kalvio_cmd("assess", test, "--protocol", "euro-ncap-mpdb-2023", "--position", "1",
                                     "--json"))
    got = kalvio.assess(test, "euro-ncap-mpdb-2023", positions="1")
    assert agrees(expected, got.to_dict()) and json.loads(got.to_json()) == got.to_dict()
    assert isinstance(got.occupants[0].regions[0].criteria[0], kalvio.results.CriterionScore)
    # A Test, and an input given: it is listed with its source.
    got = kalvio.assess(kalvio.read_test(test / "3301.mme"), "euro-ncap-mpdb-2023",
                        inputs={"hard_head_contact": True})
    assert [o.position for o in got.occupants] == ["1", "3"]
    assert {i.name: i.source for i in got.inputs} == {"hard_head_contact": "file", "initial_velocity": "default"}
    with pytest.raises(kalvio.ProtocolError, match='"door" is no input of euro-ncap-mpdb-2023'):
        kalvio.assess(test, "euro-ncap-mpdb-2023", inputs={"door": True})
    with pytest.raises(kalvio.ProtocolError, match="no protocol \"nope\""):
        kalvio.assess(test, "nope")
    with pytest.raises(kalvio.ValueError, match=r"position 7 is not assessed by euro-ncap-mpdb-2023 \(positions: 1, 3\)"):
        kalvio.assess(test, "euro-ncap-mpdb-2023", positions=["7"])
    assert len(kalvio.protocols()) == 16


def test_the_archive_is_assessed_one_row_per_criterion(demo, tmp_path):
    archive = tmp_path / "archive"
    shutil.copytree(demo / "iso-mme" / "2231", archive / "2231")
    shutil.copy(demo / "occ2231_head_x.rvf", archive / "head_x.rvf")
    table = tmp_path / "table.csv"
    done = subprocess.run([sys.executable, "-m", "kalvio.archive", str(archive), "--do", "assess", "--protocol",
                           "fmvss208", "--workers", "1", "-o", str(table)], capture_output=True, text=True,
                          timeout=120)
    assert done.returncode == 0, done.stderr
    rows = list(csv.DictReader(table.open()))
    expected = kalvio.assess(archive / "2231", "fmvss208").occupants[0]
    assert [r["criterion"] for r in rows] == [c.criterion for r in expected.regions for c in r.criteria]
    assert {r["occupant_verdict"] for r in rows} == {"pass"}
    # A scored protocol: each row carries its occupant's score, not the most it could be.
    from kalvio import archive as module

    mpdb = demo / "iso-mme" / "3301"
    scores = {o.position: o.score for o in kalvio.assess(mpdb, "euro-ncap-mpdb-2023").occupants}
    rows = module.assess_input("test", str(mpdb), "euro-ncap-mpdb-2023")
    passenger = [r for r in rows if r["position"] == "3"]
    assert passenger and all(r["occupant_score"] == scores["3"] != r["max_score"] for r in passenger)
    done = subprocess.run([sys.executable, "-m", "kalvio.archive", str(archive), "--do", "assess", "-o",
                           str(table)], capture_output=True, text=True, timeout=60)
    assert done.returncode == 2 and "--do assess needs --protocol ID" in done.stderr


def test_hostile_inputs_and_protocol_folders_raise_errors_that_name_them(demo, tmp_path):
    # Regression: a number beyond double raised a bare RuntimeError naming no
    # input; a deep protocol file killed the interpreter; a missing folder was ignored.
    test = demo / "iso-mme" / "3301"
    with pytest.raises(kalvio.Error, match=r'"hard_head_contact" is 1000000000000000\.\.\. \(401 characters\)'):
        kalvio.assess(test, "euro-ncap-mpdb-2023", inputs={"hard_head_contact": 10**400})
    (tmp_path / "deep.json").write_text("[" * 100000)
    with pytest.raises(kalvio.ProtocolError, match="deep.json:1: nested deeper than 64 levels"):
        kalvio.protocols(protocol_dir=tmp_path)
    with pytest.raises(kalvio.Error, match="no such folder"):
        kalvio.protocols(protocol_dir=tmp_path / "missing")
