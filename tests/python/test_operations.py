"""Every operation, the check and the criteria give what the command line and
the criterion programs give, to the last bit."""
import json

import pytest

import kalvio
from conftest import agrees, criterion_json, kalvio_cmd

HEAD = ["occ2231_head_x.rvf", "occ2231_head_y.rvf", "occ2231_head_z.rvf"]

ONE_INPUT = [
    ("cfc", [60], {}, "occ2231_head_x.rvf"),
    ("filter", [300.0], {}, "occ2231_head_x.rvf"),
    ("fir100", [], {}, "occ2231_chest_x.rvf"),
    ("fir100", [], {"keep_bias": True}, "occ2231_chest_x.rvf"),
    ("resample", [0.00025], {}, "occ2231_neck_fz.rvf"),
    ("truncate", [-0.01, 0.125], {}, "occ2231_neck_fz.rvf"),
    ("derivative", [], {}, "occ2231_chest_dx.rvf"),
    ("integrate", [], {}, "veh4127_tunnel_x.rvf"),
    ("bias", [], {}, "occ2231_pelvis_x.rvf"),
    ("add_y", [1.5], {}, "occ2231_pelvis_x.rvf"),
    ("add_x", [0.0123], {}, "occ2231_pelvis_x.rvf"),
    ("scale_y", [-2.5], {}, "occ2231_pelvis_x.rvf"),
    ("scale_x", [1000.0], {}, "occ2231_pelvis_x.rvf"),
]


def test_every_operation_of_the_table_is_compared():
    assert sorted({op for op, *_ in ONE_INPUT}) == sorted(kalvio.OPERATIONS)


@pytest.mark.parametrize("op,args,options,name", ONE_INPUT)
def test_each_operation_equals_the_command(demo, tmp_path, op, args, options, name):
    signal = kalvio.read(str(demo / name))
    before = bytes(signal.y)
    result = getattr(kalvio, op)(signal, *args, **options)
    assert bytes(signal.y) == before  # the input is left as it was
    kalvio.write(result, tmp_path / "py.rvf")
    flags = ["--keep-bias"] if options else []
    kalvio_cmd(op.replace("_", "-"), *args, *flags, demo / name, "-o", tmp_path / "cli.rvf")
    assert (tmp_path / "py.rvf").read_bytes() == (tmp_path / "cli.rvf").read_bytes()


@pytest.mark.parametrize("op,names", [("sum", HEAD), ("average", HEAD), ("resultant", HEAD), ("resultant", HEAD[:2])])
def test_each_combination_equals_the_command(demo, tmp_path, op, names):
    result = getattr(kalvio, op)([kalvio.read(str(demo / n)) for n in names])
    kalvio.write(result, tmp_path / "py.rvf")
    kalvio_cmd(op, *[demo / n for n in names], "-o", tmp_path / "cli.rvf")
    assert (tmp_path / "py.rvf").read_bytes() == (tmp_path / "cli.rvf").read_bytes()


def test_a_chain_equals_then(demo, tmp_path):
    s = kalvio.integrate(kalvio.cfc(kalvio.read(str(demo / "veh4127_tunnel_x.rvf")), 60))
    kalvio.write(s, tmp_path / "py.rvf")
    kalvio_cmd("cfc", 60, "--then", "integrate", demo / "veh4127_tunnel_x.rvf", "-o", tmp_path / "cli.rvf")
    assert (tmp_path / "py.rvf").read_bytes() == (tmp_path / "cli.rvf").read_bytes()


def test_check_gives_the_findings_of_check_json(demo):
    names = ["occ2231_spine_x.rvf", "veh4127_bpillar_x.rvf", "occ2231_head_x.rvf", "occ2231_sled_pulse.txt"]
    files = json.loads(kalvio_cmd("check", "--json", *[demo / n for n in names]))["files"]
    got = [kalvio.check(kalvio.read(str(demo / n))) for n in names]
    assert [[f.to_dict() for f in g] for g in got] == [f["findings"] for f in files]
    assert json.loads(got[0][0].to_json()) == files[0]["findings"][0]
    assert any(files[0]["findings"]) and files[2]["findings"] == []
    test = kalvio.read_test(demo / "iso-mme" / "4127")
    files = json.loads(kalvio_cmd("check", "--json", demo / "iso-mme" / "4127"))["files"]
    expected = [dict(f, code=c, file=e["file"]) for c, e in zip(test, files) for f in e["findings"]]
    found = kalvio.check(test)
    assert [f.to_dict() for f in found] == expected and expected
    assert all(isinstance(f, kalvio.results.ChannelFinding) for f in found)


def test_criteria_equal_the_programs(demo):
    head = [str(demo / n) for n in HEAD]
    PASS = {"pass": "passed", "t": "t1"}
    hic = kalvio.criterion("hic", *map(kalvio.read, head))
    assert agrees(criterion_json("hic", *head), hic.to_dict(), PASS)
    assert hic["HIC15"].t1 < hic["HIC15"].t2 and hic.passed is True
    neck = [str(demo / n) for n in ["occ2231_neck_fx.rvf", "occ2231_neck_my.rvf", "occ2231_neck_fz.rvf"]]
    assert agrees(criterion_json("nij", "--dummy", "h3-5f", *neck),
                  kalvio.criterion("nij", *map(kalvio.read, neck), dummy="h3-5f").to_dict(), PASS)
    chest = [str(demo / n) for n in ["occ2231_chest_x.rvf", "occ2231_chest_y.rvf", "occ2231_chest_z.rvf"]]
    assert agrees(criterion_json("clip3ms", "--cumulative", *chest),
                  kalvio.criterion("clip3ms", *map(kalvio.read, chest), cumulative=True).to_dict(), PASS)
    tunnel = str(demo / "veh4127_tunnel_x.rvf")
    assert agrees(criterion_json("olc", "--v0", 15.64, tunnel),
                  kalvio.criterion("olc", kalvio.read(tunnel), v0=15.64).to_dict(), PASS)
    test = demo / "iso-mme" / "2231"
    assert agrees(criterion_json("hic", test), kalvio.criterion("hic", kalvio.read_test(test)).to_dict(), PASS)
    with pytest.raises(kalvio.Error, match="three signals"):
        kalvio.criterion("nij", kalvio.read(head[0]))
    with pytest.raises(kalvio.Error, match="unknown criterion"):
        kalvio.criterion("hic17", kalvio.read(head[0]))


def test_rate_equals_rate_json(demo, tmp_path):
    reference = str(demo / "occ2231_head_x.rvf")
    kalvio.write(kalvio.add_x(kalvio.cfc(kalvio.read(reference), 180), 0.0012), tmp_path / "late.rvf")
    late = str(tmp_path / "late.rvf")
    ours = kalvio.rate(kalvio.read(reference), kalvio.read(late), start=0.0, stop=0.15)
    theirs = json.loads(kalvio_cmd("rate", "--json", "--from", 0.0, "--to", 0.15, reference, late))[0]
    assert agrees(dict(theirs, shift=ours.shift), ours.to_dict())
    assert ours.shift * 1000 == pytest.approx(theirs["shift"], rel=1e-9) and ours.shift > 0  # seconds, not ms
    with pytest.raises(kalvio.ValueError, match="Kalvio::Rate"):
        kalvio.rate(kalvio.read(reference), kalvio.read(str(demo / "occ2231_neck_fz.rvf")))
