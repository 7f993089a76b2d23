"""Shared fixtures of the solar_system tests: the C++ reference helper and
the sample files it writes."""

import os
import pathlib
import subprocess
import sys

import numpy as np
import pytest

HELPER = os.environ.get("SOLAR_REFERENCE_DUMP")
TESTDATA = pathlib.Path(os.environ.get("SOLAR_TESTDATA", pathlib.Path(__file__).parents[1] / "data"))
SANITIZED = os.environ.get("SOLAR_SANITIZED") == "1"


def run_helper(*args):
    if not HELPER:
        pytest.skip("SOLAR_REFERENCE_DUMP is not set (run through ctest)")
    subprocess.run([HELPER, *map(str, args)], check=True)


@pytest.fixture(scope="session")
def samples(tmp_path_factory):
    """Sample models and pictures written by the C++ test support library."""
    root = tmp_path_factory.mktemp("samples")
    run_helper("samples", root)
    return root


class CppModel:
    """The C++ reader's arrays for one file (or its error)."""

    def __init__(self, folder):
        self.folder = folder
        error = folder / "error.txt"
        self.error = error.read_text().split("\n", 1) if error.exists() else None

    def floats(self, name, width):
        return np.fromfile(self.folder / f"{name}.bin", dtype=np.float32).reshape(-1, width)

    def ints(self, name):
        return np.fromfile(self.folder / f"{name}.bin", dtype=np.int32).reshape(-1, 3)

    def groups(self):
        out = []
        for line in (self.folder / "groups.txt").read_text().split("\n")[:-1]:
            name, material, faces = line.split("\x1f")
            out.append((name, int(material), [int(f) for f in faces.split()]))
        return out[::-1]


@pytest.fixture
def cpp_model(tmp_path):
    def read(path):
        folder = tmp_path / ("dump-" + pathlib.Path(path).name)
        run_helper("model", path, folder)
        return CppModel(folder)

    return read


def run_python(code, *args):
    """Runs `code` in a fresh interpreter with the package on its path;
    returns the completed process (stdout and stderr as text)."""
    return subprocess.run([sys.executable, "-c", code, *map(str, args)], capture_output=True, text=True)
