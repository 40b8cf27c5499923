"""Builds the agvsim package with the project's own CMake: the C++ extension _agvsim and the
Python files beside it, with the random tables as package data."""

import glob
import os
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext
from setuptools.command.build_py import build_py

HERE = os.path.dirname(os.path.abspath(__file__))
PACKAGE_SOURCE = os.path.join("src", "app", "python", "agvsim")


class CMakeExtension(Extension):
    """An extension that CMake builds; setuptools only places it."""

    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    """Configures the project (no tests, no benchmarks) and builds the target _agvsim."""

    def build_extension(self, ext):
        # AGVSIM_CMAKE_BUILD_DIR keeps the CMake build between installs (the tests use it).
        build_dir = os.environ.get("AGVSIM_CMAKE_BUILD_DIR") or os.path.join(
            os.path.abspath(self.build_temp), "cmake"
        )
        subprocess.run(
            ["cmake", "-S", HERE, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
             "-DAGV_BUILD_TESTS=OFF", "-DAGV_BUILD_BENCH=OFF",
             f"-DPython3_EXECUTABLE={sys.executable}"],
            check=True, stdout=subprocess.DEVNULL,
        )
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.run(
            ["cmake", "--build", build_dir, "--target", "_agvsim", "-j", jobs], check=True
        )
        built = glob.glob(os.path.join(build_dir, "python", "agvsim", "_agvsim*.so"))
        if len(built) != 1:
            raise RuntimeError(f"CMake built no single _agvsim module in {build_dir}")
        target = self.get_ext_fullpath(ext.name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(built[0], target)


class BuildPy(build_py):
    """The package's files and, as package data, the random tables from data/."""

    def run(self):
        super().run()
        tables = os.path.join(self.build_lib, "agvsim", "tables")
        os.makedirs(tables, exist_ok=True)
        for path in sorted(glob.glob(os.path.join(HERE, "data", "*.data"))):
            shutil.copyfile(path, os.path.join(tables, os.path.basename(path)))


setup(
    packages=["agvsim"],
    package_dir={"agvsim": PACKAGE_SOURCE},
    package_data={"agvsim": ["py.typed", "*.pyi"]},
    ext_modules=[CMakeExtension("agvsim._agvsim")],
    cmdclass={"build_ext": CMakeBuild, "build_py": BuildPy},
    # setuptools' own build files stay out of the project's build folders.
    options={
        "build": {"build_base": os.environ.get("AGVSIM_SETUPTOOLS_BUILD", "build-python")},
        "egg_info": {"egg_base": os.environ.get("AGVSIM_SETUPTOOLS_BUILD", ".")},
    },
    zip_safe=False,
)
