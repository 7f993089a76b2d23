"""Loading and dropping many meshes gives the memory back."""

import gc
import os

import pytest

from solar_system import model
from conftest import SANITIZED


def resident_bytes():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


@pytest.mark.skipif(SANITIZED, reason="the sanitizer keeps freed memory in quarantine")
def test_two_hundred_meshes_leave_memory_flat(tmp_path):
    lines = ["mtllib m.mtl"] + ["v %d %d %d" % (i, i * 2, i * 3) for i in range(20000)]
    lines += ["vt 0.5 0.5", "vn 0 0 1", "g a", "usemtl m"]
    lines += ["f %d/1/1 %d/1/1 %d/1/1" % (i, i + 1, i + 2) for i in range(1, 19999)]
    path = tmp_path / "model.obj"
    path.write_text("\n".join(lines) + "\n")
    (tmp_path / "m.mtl").write_text("newmtl m\nKd 1 1 1\n")

    def use():
        mesh = model.load_obj(path)
        arrays = mesh.positions, mesh.triangles, mesh.groups, mesh.materials
        mesh.compute_facet_normals()
        kept = mesh.facet_normals
        mesh.compute_facet_normals()  # the old buffer passes to `kept`
        return len(arrays) + len(kept)

    for _ in range(20):  # the allocator's arenas reach their working size
        use()
    gc.collect()
    before = resident_bytes()
    for _ in range(200):
        use()
    gc.collect()
    assert resident_bytes() - before < 2 * 1024 * 1024


OUT_OF_ROOM = r"""
import ctypes, resource, sys
import numpy
from solar_system import model

# Every block of 128 KiB or more mapped on its own, so that a freed one is
# given back and the limit below holds for the next; the model is read on
# this thread alone, so that no other thread's arena has room to lend.
ctypes.CDLL(None).mallopt(-3, 128 * 1024)  # M_MMAP_THRESHOLD
mesh = model.load_obj(sys.argv[1], threads=1)  # one arena: no other to fall back on
mesh.compute_facet_normals()
print("before", len(mesh.normals))
with open("/proc/self/status") as f:
    size = next(int(l.split()[1]) for l in f if l.startswith("VmSize:")) * 1024
resource.setrlimit(resource.RLIMIT_AS, (size + (4 << 20), resource.RLIM_INFINITY))
try:
    mesh.compute_vertex_normals(90)
except MemoryError as error:
    print("MemoryError:", error)
resource.setrlimit(resource.RLIMIT_AS, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))
print("after", len(mesh.normals))
mesh.compute_vertex_normals(90)
print("then", len(mesh.normals))
"""


@pytest.mark.skipif(SANITIZED, reason="the sanitizer reserves address space of its own")
def test_vertex_normals_out_of_memory_raise_memory_error_and_python_goes_on(tmp_path):
    # A 300 x 300 grid: 180,000 triangles, whose normals want 6 MB and more.
    n = 300
    lines = ["v %d 0 %d" % (i % (n + 1), i // (n + 1)) for i in range((n + 1) * (n + 1))]
    for y in range(n):
        for x in range(n):
            a = y * (n + 1) + x + 1
            lines += ["f %d %d %d" % (a, a + n + 1, a + 1), "f %d %d %d" % (a + 1, a + n + 1, a + n + 2)]
    path = tmp_path / "grid.obj"
    path.write_text("\n".join(lines) + "\n")

    from conftest import run_python

    done = run_python(OUT_OF_ROOM, path)
    assert done.returncode == 0, done.stderr
    out = done.stdout.splitlines()
    assert out[1].startswith("MemoryError: glm: out of memory: can't allocate vertex normals ("), out
    assert out[2] == out[0].replace("before", "after")  # the model kept what it had
    assert out[3] == "then %d" % ((n + 1) * (n + 1))
