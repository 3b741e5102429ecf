"""The Python package vantrel for pip, inside a virtual environment:

    python3 -m venv --system-site-packages ~/venv-vantrel
    ~/venv-vantrel/bin/pip install --no-build-isolation .

CMake builds the compiled part with the Python that runs pip (its NumPy and
pybind11 are Debian's, through the system site packages); the fluid data go
into the package, where it finds them.
"""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent
VERSION = re.search(r"project\(vantrel VERSION ([0-9.]+)", (ROOT / "CMakeLists.txt").read_text()).group(1)


class cmake_build(build_ext):
    """Builds the extension with CMake and puts the fluid data beside it."""

    def build_extension(self, ext):
        build = Path(self.build_temp).resolve() / "cmake"
        build.mkdir(parents=True, exist_ok=True)
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                        "-DVANTREL_TESTS=OFF", f"-DPython_EXECUTABLE={sys.executable}"], check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "_vantrel", "-j", str(os.cpu_count() or 1)],
                       check=True)
        target = Path(self.get_ext_fullpath(ext.name)).resolve()
        target.parent.mkdir(parents=True, exist_ok=True)
        built = next((build / "python" / "vantrel").glob("_vantrel*.so"))
        shutil.copy2(built, target)
        data = target.parent / "data"
        shutil.rmtree(data, ignore_errors=True)
        shutil.copytree(ROOT / "data", data)


setup(
    name="vantrel",
    version=VERSION,
    description="Thermodynamic properties of working fluids from their Helmholtz equations of state",
    packages=["vantrel"],
    package_dir={"": "python"},
    ext_modules=[Extension("vantrel._vantrel", sources=[])],
    cmdclass={"build_ext": cmake_build},
    python_requires=">=3.9",
    install_requires=["numpy"],
    zip_safe=False,
    # Beside CMake's build/, not in it.
    options={"build": {"build_base": "build-python"}},
)
