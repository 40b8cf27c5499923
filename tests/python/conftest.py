"""The programs the module is compared with, as CTest hands them over."""

import os
import subprocess

import pytest


def _program(variable):
    path = os.environ.get(variable)
    if not path:
        pytest.skip(f"{variable} is not set (CTest sets it)")
    return path


@pytest.fixture(scope="session")
def batch():
    """Runs agvsim-batch with the given arguments; returns (status, stdout bytes, stderr)."""
    program = _program("AGVSIM_BATCH")

    def run(*args, cwd=None):
        done = subprocess.run([program, *args], capture_output=True, cwd=cwd)
        return done.returncode, done.stdout, done.stderr.decode()

    return run


@pytest.fixture(scope="session")
def sweep_program():
    """Runs agvsim-sweep with the given arguments; returns (status, stdout bytes, stderr)."""
    program = _program("AGVSIM_SWEEP")

    def run(*args, cwd=None):
        done = subprocess.run([program, *args], capture_output=True, cwd=cwd)
        return done.returncode, done.stdout, done.stderr.decode()

    return run


@pytest.fixture(scope="session")
def calibrate_program():
    """Runs agvsim-calibrate with the given arguments; returns (status, stdout bytes, stderr)."""
    program = _program("AGVSIM_CALIBRATE")

    def run(*args):
        done = subprocess.run([program, *args], capture_output=True)
        return done.returncode, done.stdout, done.stderr.decode()

    return run
