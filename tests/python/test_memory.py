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
