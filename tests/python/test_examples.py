"""The examples as a user runs them (the typed script under mypy --strict,
the notebook), and what a notebook shows of signals and tests."""
import json
import os
import shutil
import subprocess
import sys
import warnings

import numpy as np
import pytest

import kalvio

EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs", "examples")


def mypy(path, tmp_path):
    env = dict(os.environ, MYPYPATH=os.environ["PYTHONPATH"])
    return subprocess.run([sys.executable, "-m", "mypy", "--strict", "--no-error-summary", "--cache-dir",
                           str(tmp_path / "mypy-cache"), str(path)], capture_output=True, text=True, env=env,
                          timeout=300)


def test_the_typed_example_passes_mypy_strict_and_runs(demo, tmp_path):
    script = os.path.join(EXAMPLES, "check_a_test.py")
    done = mypy(script, tmp_path)
    assert done.returncode == 0, done.stdout + done.stderr
    done = subprocess.run([sys.executable, script, str(demo / "iso-mme" / "2231"), "fmvss208"], capture_output=True,
                          text=True, timeout=120)
    assert done.returncode == 0 and "HIC15" in done.stdout, done.stderr
    # The checker sees the operations' signatures: a class as text and a missing stop are refused.
    wrong = tmp_path / "wrong.py"
    wrong.write_text('import kalvio\ns = kalvio.read("a.rvf")\nkalvio.cfc(s, "180")\nkalvio.truncate(s, 0.1)\n')
    done = mypy(wrong, tmp_path)
    assert done.returncode == 1 and 'wrong.py:3: error: Argument 2 to "cfc"' in done.stdout, done.stdout
    assert 'wrong.py:4: error: Missing positional argument "stop"' in done.stdout, done.stdout


def test_the_notebook_runs(demo, tmp_path):
    notebook = os.path.join(EXAMPLES, "assess-an-archive.ipynb")
    env = dict(os.environ, KALVIO_DEMO=str(demo), MPLBACKEND="Agg")
    nbconvert = shutil.which("jupyter-nbconvert")
    if nbconvert:
        command = [nbconvert, "--to", "notebook", "--execute", "--output-dir", str(tmp_path), notebook]
    else:  # its code cells as one script
        cells = json.load(open(notebook))["cells"]
        script = tmp_path / "notebook.py"
        script.write_text("\n\n".join("".join(c["source"]) for c in cells if c["cell_type"] == "code"))
        command = [sys.executable, str(script)]
    done = subprocess.run(command, capture_output=True, text=True, env=env, cwd=tmp_path, timeout=180)
    assert done.returncode == 0, done.stdout + done.stderr


def test_a_notebook_shows_signals_and_tests(demo):
    s = kalvio.read(str(demo / "occ2231_head_x.rvf"))
    html = s._repr_html_()
    assert "<svg" in html and "<td style=\"text-align:left\">%d</td>" % len(s) in html
    assert "<svg" in kalvio.Signal([0, 1, 2], [5, 5, 5])._repr_html_()  # flat: no division by zero
    assert "<svg" not in kalvio.Signal([0], [1])._repr_html_()

    test = kalvio.read_test(demo / "iso-mme" / "4127")
    first = next(iter(test.values()))
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        frame = test.to_pandas()
    on_grid = [c for c, v in test.items() if np.array_equal(v.x, first.x)]
    assert list(frame.columns) == on_grid and np.array_equal(frame.index.to_numpy(), first.x.astype(np.float64))
    assert bool(caught) == (len(on_grid) < len(test))

    pytest.importorskip("matplotlib")
    import matplotlib

    matplotlib.use("Agg")
    ax = s.plot()
    kalvio.cfc(s, 60).plot(ax=ax)
    assert [len(line.get_xdata()) for line in ax.get_lines()] == [len(s), len(s)]
    assert ax.get_xlabel() == "time (s)"
