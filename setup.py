"""Installs the Python package bigraph: CMake builds the module _bigraph (only that target and
the libraries it needs), and the package's Python files in python/bigraph go beside it.

    pip install --no-build-isolation .

CMAKE_ARGS in the environment is added to the CMake command line (for example
"-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")."""

import os
import re
import shlex
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = os.path.dirname(os.path.abspath(__file__))


def version():
    """The version `bigraph --version` prints, from its one home."""
    with open(os.path.join(ROOT, "bigraph", "Program.cpp"), encoding="utf-8") as source:
        return re.search(r'kVersion = "bigraph ([^"]+)"', source.read()).group(1)


class CMakeModule(Extension):
    def __init__(self):
        super().__init__("bigraph._bigraph", sources=[])


class BuildWithCMake(build_ext):
    def build_extension(self, ext):
        build = os.path.join(os.path.abspath(self.build_temp), "cmake")
        configure = ["cmake", "-S", ROOT, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                     "-DPython3_EXECUTABLE=" + sys.executable]
        subprocess.check_call(configure + shlex.split(os.environ.get("CMAKE_ARGS", "")))
        subprocess.check_call(["cmake", "--build", build, "--target", "bigraph_python",
                               "-j", str(os.cpu_count() or 1)])
        built = os.path.join(build, "python", "bigraph", os.path.basename(self.get_ext_filename(ext.name)))
        target = self.get_ext_fullpath(ext.name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(built, target)


setup(
    name="bigraph",
    version=version(),
    description="Exact classification, inflation runs, normal forms and pictures of bigraphs",
    packages=["bigraph"],
    package_dir={"": "python"},
    ext_modules=[CMakeModule()],
    cmdclass={"build_ext": BuildWithCMake},
    options={"build": {"build_base": "build-pip"}},
    python_requires=">=3.8",
    zip_safe=False,
)
