"""The package as pip installs it, its version, and its exceptions as a
Python caller catches them."""
import os
import shutil
import subprocess
import sys
import zipfile

import pytest

import kalvio

SOURCE = os.path.join(os.path.dirname(__file__), "..", "..")


def test_each_failure_is_caught_as_kalvio_error_and_as_the_builtin(demo, tmp_path):
    head = kalvio.read(str(demo / "occ2231_head_x.rvf"))
    cases = [
        (lambda: kalvio.read(str(tmp_path / "none.rvf")), kalvio.FileNotFoundError, FileNotFoundError),
        (lambda: kalvio.read(str(demo / "occ2231_sled_pulse.txt"), time_unit="h"), kalvio.ValueError, ValueError),
        (lambda: kalvio.cfc(head, 61), kalvio.ValueError, ValueError),
        (lambda: kalvio.sum([head, None]), kalvio.TypeError, TypeError),
        (lambda: kalvio.assess(demo / "iso-mme" / "2231", "fmvss208", inputs=[1]), kalvio.TypeError, TypeError),
        (lambda: kalvio.assess(tmp_path / "none", "fmvss208"), kalvio.FileNotFoundError, FileNotFoundError),
    ]
    for call, ours, builtin in cases:
        try:
            call()
        except builtin as e:  # the built-in class catches it ...
            assert isinstance(e, ours) and isinstance(e, kalvio.Error), e  # ... and so does ours
        else:
            pytest.fail("no exception")


def test_a_protocol_file_that_fails_its_check_is_an_error_naming_it(tmp_path):
    (tmp_path / "own.json").write_text('{"id": "own", ')
    with pytest.raises(kalvio.ProtocolError, match="own.json"):
        kalvio.protocols(tmp_path)


def test_pip_installs_the_package_and_makes_a_wheel(tmp_path):
    # The package's sources alone, outside the tree; the extension comes from
    # this build, brought up to date by setup.py.
    source = tmp_path / "source"
    for name in ["pyproject.toml", "setup.py", "CMakeLists.txt"]:
        (source / name).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy(os.path.join(SOURCE, name), source / name)
    shutil.copytree(os.path.join(SOURCE, "src", "python", "kalvio"), source / "src" / "python" / "kalvio")
    env = dict(os.environ, KALVIO_CMAKE_BUILD=os.environ["KALVIO_CMAKE_BUILD"], PIP_NO_INPUT="1")
    env.pop("PYTHONPATH", None)
    venv = tmp_path / "env"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)], check=True, timeout=120)
    pip = [str(venv / "bin" / "python"), "-m", "pip", "--disable-pip-version-check", "-q"]
    subprocess.run([*pip, "install", "--no-build-isolation", "--no-index", str(source)], check=True, env=env,
                   timeout=600, cwd=tmp_path)
    done = subprocess.run([str(venv / "bin" / "python"), "-c",
                           "import kalvio; print(kalvio.__version__); print(kalvio.__file__)"],
                          capture_output=True, text=True, env=env, cwd=tmp_path, check=True)
    version, where = done.stdout.split()
    assert version == os.environ["KALVIO_VERSION"] and where.startswith(str(venv))

    subprocess.run([*pip, "wheel", "--no-build-isolation", "--no-index", "--no-deps", "-w", str(tmp_path / "wheels"),
                    str(source)], check=True, env=env, timeout=600, cwd=tmp_path)
    [wheel] = os.listdir(tmp_path / "wheels")
    assert wheel.startswith("kalvio-%s-" % version)
    names = zipfile.ZipFile(tmp_path / "wheels" / wheel).namelist()
    assert {"kalvio/py.typed", "kalvio/_kalvio.pyi", "kalvio/_version.py", "kalvio/_operations.py",
            "kalvio/results.py", "kalvio/archive.py"} <= set(names)
    assert any(n.startswith("kalvio/_kalvio.") and n.endswith(".so") for n in names)
