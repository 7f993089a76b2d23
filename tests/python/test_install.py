"""The package installed into a prefix works from there alone, with its stubs."""

import os
import subprocess
import sys

import pytest

BUILD = os.environ.get("SOLAR_BUILD_DIR")


@pytest.mark.skipif(not BUILD, reason="SOLAR_BUILD_DIR is not set (run through ctest)")
@pytest.mark.skipif(os.environ.get("SOLAR_SANITIZED") == "1", reason="runs the installed module in a clean environment")
def test_installed_package_imports_from_its_prefix(tmp_path):
    cmake = os.environ.get("SOLAR_CMAKE", "cmake")
    subprocess.run([cmake, "--install", BUILD, "--component", "python", "--prefix", str(tmp_path)],
                   check=True, capture_output=True)
    package = tmp_path / "lib" / "python3" / "dist-packages" / "solar_system"
    names = sorted(p.name for p in package.iterdir())
    assert [n for n in names if not n.endswith(".so")] == [
        "__init__.py", "__init__.pyi", "image.pyi", "model.pyi", "py.typed"]
    assert len([n for n in names if n.endswith(".so")]) == 2
    code = """
import solar_system
from solar_system import image, model
mesh = model.parse_obj("v 0 0 0\\nv 1 0 0\\nv 0 1 0\\nf 1 2 3\\n")
print(solar_system.__file__, mesh.triangles.tolist())
"""
    env = {"PATH": "/usr/bin:/bin", "PYTHONPATH": str(package.parent)}
    done = subprocess.run([sys.executable, "-c", code], env=env, capture_output=True, text=True, cwd=tmp_path)
    assert done.returncode == 0, done.stderr
    assert done.stdout == f"{package / '__init__.py'} [[0, 1, 2]]\n"
    # Neither module needs GL or GTK: the decoders' message boxes are left out.
    for module in package.glob("*.so"):
        needed = subprocess.run(["readelf", "-d", str(module)], capture_output=True, text=True).stdout
        assert "libGL" not in needed and "gtk" not in needed, module
