"""Builds the Python package kalvio: the project's CMake makes the extension
kalvio._kalvio and the files generated beside it (the version, the
operations), and setuptools ships them with the package's own files.

KALVIO_CMAKE_BUILD=FOLDER takes them from a build of this checkout that
exists already (it is brought up to date first) instead of configuring one
of its own under build-python/.
"""
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = Path(__file__).resolve().parent
PACKAGE = HERE / "src" / "python" / "kalvio"


def project_version():
    """The version of the project's CMake, the one place that holds it."""
    text = (HERE / "CMakeLists.txt").read_text(encoding="utf-8")
    found = re.search(r"^project\(\s*\w+\s+VERSION\s+([0-9][0-9.]*)", text, re.MULTILINE)
    if not found:
        sys.exit("setup.py: no project(... VERSION x.y.z) in CMakeLists.txt")
    return found.group(1)


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    """Configures and builds the CMake target kalvio_python, then copies
    what the build made into the package (the extension, the version, the
    operations)."""

    def build_extension(self, ext):
        target = Path(self.get_ext_fullpath(ext.name)).resolve().parent
        given = os.environ.get("KALVIO_CMAKE_BUILD")
        if given:
            build = Path(given).resolve()
            if not (build / "CMakeCache.txt").is_file():
                sys.exit("setup.py: KALVIO_CMAKE_BUILD=%s is no configured build" % given)
        else:
            build = Path(self.build_temp).resolve() / "cmake"
            self.configure(build)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") or str(os.cpu_count() or 1)
        subprocess.run(["cmake", "--build", str(build), "--target", "kalvio_python", "-j", jobs], check=True)
        made = build / "python" / "kalvio"
        own = {p.name for p in PACKAGE.iterdir()}
        target.mkdir(parents=True, exist_ok=True)
        for path in sorted(made.iterdir()):
            if path.is_file() and path.name not in own:
                shutil.copy2(path, target / path.name)

    def configure(self, build):
        build.mkdir(parents=True, exist_ok=True)
        args = ["cmake", "-S", str(HERE), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                "-DONDREL_WITH_QT=OFF", "-DBUILD_TESTING=OFF", "-DONDREL_PYTHON=ON",
                "-DPython_EXECUTABLE=" + sys.executable]
        if shutil.which("ninja"):
            args += ["-G", "Ninja"]
        if shutil.which("ccache"):
            args.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        subprocess.run(args, check=True)


setup(
    version=project_version(),
    packages=["kalvio"],
    package_dir={"kalvio": "src/python/kalvio"},
    package_data={"kalvio": ["py.typed", "*.pyi"]},
    ext_modules=[CMakeExtension("kalvio._kalvio")],
    cmdclass={"build_ext": CMakeBuild},
    options={"build": {"build_base": "build-python"}},
    zip_safe=False,
)
