"""solar_system.image against the C++ decoders: every bitmap-suite file and
every sample picture, flipped to top row first; failures quiet."""

import numpy as np
import pytest

import solar_system
from solar_system import image
from conftest import TESTDATA, run_helper, run_python


def pictures(samples):
    suite = sorted((TESTDATA / "bmpsuite").glob("*/*.bmp"))
    assert len(suite) > 50
    return suite + sorted((samples / "images").iterdir())


def cpp_decode(path, out):
    run_helper("image", path, out)
    data = out.read_bytes()
    if data.startswith(b"error "):
        return data[6:].decode().rstrip("\n")
    header, pixels = data.split(b"\n", 1)
    width, height = map(int, header.split())
    return np.frombuffer(pixels, dtype=np.uint8).reshape(height, width, 3)


def test_pictures_equal_the_cpp_decode_top_row_first(samples, tmp_path):
    decoded = refused = 0
    for path in pictures(samples):
        expected = cpp_decode(path, tmp_path / "decoded")
        if isinstance(expected, str):
            with pytest.raises(solar_system.ImageError) as caught:
                image.load(path)
            assert caught.value.message == expected, path
            refused += 1
            continue
        picture = image.load(path)
        assert picture.dtype == np.uint8 and picture.flags.c_contiguous
        assert np.array_equal(picture, expected[::-1]), path
        decoded += 1
    assert decoded > 40 and refused > 5


def test_top_row_first():
    # rgb24.bmp of the suite is stored bottom-up; its reference is top-down.
    picture = image.load(TESTDATA / "bmpsuite" / "good" / "rgb24.bmp")
    reference = (TESTDATA / "bmpsuite" / "good" / "rgb24.ref.ppm").read_bytes()
    header = reference.split(b"\n", 3)
    width, height = map(int, header[1].split())
    expected = np.frombuffer(header[3], dtype=np.uint8).reshape(height, width, 3)
    assert np.array_equal(picture, expected)


def test_failures_are_quiet(samples, tmp_path):
    bad = sorted((TESTDATA / "bmpsuite" / "bad").glob("*.bmp")) + sorted((TESTDATA / "regressions").glob("dib-*"))
    code = """
import sys, solar_system
from solar_system import image
for path in sys.argv[1:]:
    try:
        image.load(path)
    except solar_system.ImageError:
        pass
try:
    image.load(sys.argv[0] + ".missing")
except solar_system.ImageError as e:
    assert "No such file or directory" in e.message
try:
    image.load("/")
except solar_system.ImageError as e:
    assert "Is a directory" in e.message
"""
    done = run_python(code, *bad)
    assert (done.returncode, done.stdout, done.stderr) == (0, "", "")
