"""solar_system.model against the C++ reader, and the promises about memory,
errors and warnings that the binding makes."""

import gc
import threading

import numpy as np
import pytest

import solar_system
from solar_system import model
from conftest import TESTDATA, run_python

CUBE = """mtllib cube.mtl
o box
v 0 0 0
v 1 0 0
v 1 1 0
v 0 1 0
v 0 0 1
v 1 0 1
v 1 1 1
v 0 1 1
vt 0 0
vt 1 0
vt 1 1
vn 0 0 -1
vn 0 0 1
g bottom
usemtl red
f 1/1/1 3/3/1 2/2/1
f 1/1/1 4/3/1 3/2/1
g top
usemtl blue
f 5/1/2 6/2/2 7/3/2 8/1/2
g sides
f 1 2 6
f 1 6 5
"""
CUBE_MTL = "newmtl red\nKd 1 0 0\nNs 500\nnewmtl blue\nKd 0 0 1\n"


def cube():
    return model.parse_obj(CUBE, load_materials=lambda name: CUBE_MTL)


def faces(mesh):
    """Every triangle's position, normal and uv indices, rows sorted."""
    rows = np.hstack([mesh.triangles, mesh.triangle_normals, mesh.triangle_uvs])
    return rows[np.lexsort(rows.T[::-1])]


def sample_models(samples):
    return sorted((samples / "obj").glob("*.obj")) + sorted((samples / "random").glob("*.obj"))


def same_bits(a, b):
    return a.shape == b.shape and a.tobytes() == b.tobytes()


def assert_same_as_cpp(mesh, cpp):
    # Bit for bit: the random models hold NaNs and infinities as well.
    assert same_bits(mesh.positions, cpp.floats("positions", 3))
    assert same_bits(mesh.normals, cpp.floats("normals", 3))
    assert same_bits(mesh.uvs, cpp.floats("uvs", 2))
    assert np.array_equal(mesh.triangles, cpp.ints("triangles"))
    assert np.array_equal(mesh.triangle_normals, cpp.ints("triangle_normals"))
    assert np.array_equal(mesh.triangle_uvs, cpp.ints("triangle_uvs"))
    assert [(g.name, g.material, list(g.faces)) for g in mesh.groups] == cpp.groups()


class TestReading:
    def test_arrays_equal_the_cpp_readers(self, samples, cpp_model):
        files = sample_models(samples)
        assert len(files) > 40
        for path in files:
            cpp = cpp_model(path)
            if cpp.error:
                with pytest.raises(solar_system.ModelError) as caught:
                    model.load_obj(path)
                assert caught.value.message == cpp.error[1].rstrip("\n"), path
                continue
            mesh = model.load_obj(path)
            assert_same_as_cpp(mesh, cpp)
            # The same text from memory, with the library handed over by a callable.
            libraries = {}

            def load(name, folder=path.parent):
                libraries[name] = (folder / name).read_bytes()
                return libraries[name]

            data = path.read_bytes()
            for form in (data, bytearray(data), memoryview(data)):
                assert_same_as_cpp(model.parse_obj(form, source_path=path, load_materials=load), cpp)

    def test_hand_written_model(self):
        mesh = cube()
        assert mesh.positions.shape == (8, 3) and mesh.positions.dtype == np.float32
        assert mesh.positions[6].tolist() == [1, 1, 1]
        # The quad becomes a fan; faces without normals or uvs say -1.
        assert mesh.triangles.tolist() == [[0, 2, 1], [0, 3, 2], [4, 5, 6], [4, 6, 7], [0, 1, 5], [0, 5, 4]]
        assert mesh.triangle_uvs[4:].tolist() == [[-1, -1, -1]] * 2
        assert mesh.triangle_normals[2].tolist() == [1, 1, 1]
        assert [(g.name, g.material, g.faces.tolist()) for g in mesh.groups] == [
            ("default", 0, []),
            (" bottom", 1, [0, 1]),
            (" top", 2, [2, 3]),
            (" sides", 2, [4, 5]),
        ]
        names = [m.name for m in mesh.materials]
        assert names == ["default", "red", "blue"]
        assert mesh.materials[1].diffuse == [1, 0, 0, 1]
        assert mesh.materials[1].shininess == pytest.approx(64.0)
        assert mesh.material_library == "cube.mtl"
        assert mesh.triangles.flags.writeable is False

    def test_kept_statements(self):
        text = "v 0 0 0 1 0 0\nv 1 0 0 0 1 0\nv 0 1 0 0 0 1\no thing\ns 2\nf 1 2 3\nl 1 2 3\np 2\n"
        mesh = model.parse_obj(text)
        assert mesh.colors.tolist() == [[1, 0, 0], [0, 1, 0], [0, 0, 1]]
        assert [(o.first_face, o.name) for o in mesh.objects] == [(0, "thing")]
        assert [(s.first_face, s.group) for s in mesh.smoothing_groups] == [(0, 2)]
        assert [line.tolist() for line in mesh.lines] == [[0, 1, 2]]
        assert mesh.points.tolist() == [1]

    def test_threads_give_the_same_model(self, tmp_path, cpp_model):
        # Large enough for the reader's threads and for the index arrays'.
        rng = np.random.default_rng(7)
        lines = ["v %.6f %.6f %.6f" % tuple(p) for p in rng.random((60000, 3))]
        lines += ["f %d %d %d" % tuple(t) for t in rng.integers(1, 60001, (300000, 3))]
        path = tmp_path / "large.obj"
        path.write_text("\n".join(lines) + "\n")
        one = model.load_obj(path, threads=1)
        four = model.load_obj(str(path), threads=4)
        assert np.array_equal(one.positions, four.positions)
        assert np.array_equal(one.triangles, four.triangles)
        assert_same_as_cpp(four, cpp_model(path))

    def test_material_loader(self):
        seen = []

        def load(name):
            seen.append(name)
            return None

        with pytest.raises(solar_system.ModelError) as caught:
            model.parse_obj(CUBE, load_materials=load)
        assert seen == ["cube.mtl"] and caught.value.kind == "material_file"

        class Refused(Exception):
            pass

        def refuse(name):
            raise Refused(name)

        with pytest.raises(Refused):
            model.parse_obj(CUBE, load_materials=refuse)
        with pytest.raises(TypeError):
            model.parse_obj(CUBE, load_materials=lambda name: 42)
        with pytest.raises(TypeError):
            model.parse_obj(CUBE, load_materials="not callable")

    def test_reading_releases_the_interpreter(self):
        # A loader called from the reading thread takes the GIL back; other
        # Python threads run meanwhile.
        results = []
        threads = [threading.Thread(target=lambda: results.append(cube().triangles.shape)) for _ in range(4)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        assert results == [(6, 3)] * 4


class TestErrors:
    def test_error_kinds(self, tmp_path):
        with pytest.raises(solar_system.ModelError) as caught:
            model.load_obj(tmp_path / "missing.obj")
        assert caught.value.kind == "cant_open"
        with pytest.raises(solar_system.ModelError) as caught:
            model.parse_obj("v 0 0 0\nvp 1 2\n")
        assert caught.value.kind == "unknown_token"
        assert caught.value.message == 'glmFirstPass(): Unknown token "vp".'
        with pytest.raises(solar_system.ModelError) as caught:
            model.parse_obj("v 0 0 0\nf 1 2 3\n")
        assert caught.value.kind == "bad_reference"

    def test_preconditions_raise_value_error(self, tmp_path):
        mesh = cube()
        with pytest.raises(ValueError):
            mesh.compute_vertex_normals(60)  # no facet normals yet
        with pytest.raises(ValueError):
            model.parse_obj("v 0 0 0\n").compute_sphere_uv()  # no normals
        with pytest.raises(ValueError):
            model.load_obj(tmp_path / "x.obj", threads=-1)
        with pytest.raises(ValueError):
            model.load_obj("a\0b")
        with pytest.raises(ValueError):
            mesh.save(tmp_path / "x.obj", mode=model.MODE_OUTLINE if hasattr(model, "MODE_OUTLINE") else 32)
        with pytest.raises(ValueError):
            mesh.save("")
        with pytest.raises(TypeError):
            model.parse_obj(12)

    def test_hostile_inputs_raise_quietly(self, samples, cpp_model, tmp_path):
        hostile = sorted((samples / "hostile").glob("*.obj")) + sorted((TESTDATA / "regressions").glob("obj-*.obj"))
        kinds = {}
        for path in hostile:
            cpp = cpp_model(path)
            kinds[str(path)] = cpp.error[1].rstrip("\n") if cpp.error else None
        code = """
import sys, solar_system
from solar_system import model
results = []
for path in sys.argv[2:]:
    try:
        mesh = model.load_obj(path)
        mesh.compute_facet_normals(); mesh.weld(0.01)
        mesh.compute_linear_uv(); mesh.reverse(); mesh.unitize()
        result = "ok"
    except solar_system.ModelError as e:
        result = e.message
    results.append(result)
with open(sys.argv[1], "w") as out:
    out.write("\x1f".join(results))
"""
        report = tmp_path / "results"
        done = run_python("import warnings; warnings.simplefilter('ignore')\n" + code, report, *hostile)
        assert done.returncode == 0, done.stderr
        assert done.stdout == "" and done.stderr == ""
        results = report.read_text().split("\x1f")
        assert results == [kinds[str(path)] or "ok" for path in hostile]


class TestNoCopies:
    def test_arrays_view_the_model(self):
        mesh = cube()
        positions = mesh.positions
        assert np.shares_memory(positions, mesh.positions)
        assert positions.__array_interface__["data"][0] == mesh.positions.__array_interface__["data"][0]
        assert not positions.flags.owndata and positions.flags.writeable
        positions[:] *= 3  # seen by the library: its extents follow
        assert mesh.extents() == (3, 3, 3)
        mesh.scale(0.5)  # and the array sees the library's change
        assert positions[6].tolist() == [1.5, 1.5, 1.5]

    def test_array_outlives_the_mesh(self):
        mesh = cube()
        positions, normals, uvs = mesh.positions, mesh.normals, mesh.uvs
        expected = positions.copy(), normals.copy(), uvs.copy()
        del mesh
        gc.collect()
        clutter = [cube() for _ in range(20)]  # reuse of freed memory would show
        assert positions.tobytes() == expected[0].tobytes()
        assert normals.tobytes() == expected[1].tobytes()
        assert uvs.tobytes() == expected[2].tobytes()
        del clutter

    def test_arrays_kept_across_replacing_operations(self):
        mesh = model.parse_obj(CUBE + "v 1 1 1.0001\nf 7 9 8\n", load_materials=lambda name: CUBE_MTL)
        mesh.compute_facet_normals()
        old = {name: getattr(mesh, name) for name in ("positions", "normals", "uvs", "facet_normals")}
        before = {name: array.copy() for name, array in old.items()}
        mesh.compute_facet_normals()
        mesh.compute_vertex_normals(30)
        mesh.weld(0.001)
        mesh.compute_sphere_uv()
        mesh.compute_linear_uv()
        assert len(mesh.positions) == 8 and len(old["positions"]) == 9
        assert not np.shares_memory(mesh.positions, old["positions"])
        assert mesh.uvs.shape == (8, 2)
        del mesh
        gc.collect()
        # tobytes copies through memcpy, which the sanitizer watches.
        for name, array in old.items():
            assert array.tobytes() == before[name].tobytes(), name
        # Old arrays stay writable memory of their own.
        old["positions"][0] = 5
        assert old["positions"][0].tolist() == [5, 5, 5]

    def test_edits_are_saved(self, tmp_path):
        # Every face with texture coordinates: the writer gives one form to all.
        mesh = model.parse_obj(CUBE.replace("f 1 2 6\nf 1 6 5\n", "f 1/1 2/2 6/3\nf 1/1 6/2 5/3\n"),
                               load_materials=lambda name: CUBE_MTL)
        mesh.positions[6] = (0.5, -2.25, 8.0)
        mesh.compute_facet_normals()
        mesh.compute_vertex_normals(90)
        path = tmp_path / "out" / "edited.obj"
        path.parent.mkdir()
        mesh.save(path)
        again = model.load_obj(path)
        assert again.positions[6].tolist() == [0.5, -2.25, 8.0]
        assert np.allclose(again.positions, mesh.positions, atol=1e-6)
        # The writer writes entry 0 as well, so "default" comes twice.
        assert [m.name for m in again.materials][-2:] == ["red", "blue"]
        # What was read back writes and reads back the same.
        again.save(tmp_path / "again.obj")
        third = model.load_obj(tmp_path / "again.obj")
        for name in ("positions", "normals", "uvs"):
            assert np.array_equal(getattr(third, name), getattr(again, name)), name
        # The writer puts the groups in its own order: compare the faces as a set.
        assert np.array_equal(faces(third), faces(again))
        assert np.array_equal(faces(again), faces(mesh))

    def test_save_failure_raises_quietly(self, tmp_path):
        code = """
import sys, solar_system
from solar_system import model
mesh = model.parse_obj("v 0 0 0\\nv 1 0 0\\nv 0 1 0\\nf 1 2 3\\n")
try:
    mesh.save(sys.argv[1])
except solar_system.ModelError as e:
    print(e.kind)
"""
        done = run_python(code, tmp_path / "no" / "such" / "folder.obj")
        assert (done.returncode, done.stdout, done.stderr) == (0, "cant_write\n", "")


class TestOperations:
    def test_geometry(self):
        mesh = cube()
        assert mesh.unitize() == pytest.approx(2.0)
        assert mesh.extents() == pytest.approx((2, 2, 2))
        triangles = mesh.triangles
        mesh.reverse()
        assert np.array_equal(mesh.triangles, triangles[:, ::-1])
        mesh.reverse()
        assert np.array_equal(mesh.triangles, triangles)
        mesh.compute_facet_normals()
        assert mesh.facet_normals.shape == (6, 3)
        assert mesh.triangle_facet_normals.tolist() == list(range(6))
        assert mesh.facet_normals[0].tolist() == [0, 0, -1]
        mesh.compute_vertex_normals(angle=10)
        assert np.allclose(np.linalg.norm(mesh.normals, axis=1), 1)
        assert (mesh.triangle_normals >= 0).all()

    def test_weld(self):
        mesh = model.parse_obj("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 0 0.0001\nf 1 2 3\nf 1 4 3\n")
        mesh.weld(0.001)
        assert mesh.triangles.tolist() == [[0, 1, 2], [0, 1, 2]]
        assert len(mesh.positions) == 3


class TestIndexArrays:
    """The normal and uv index arrays share memory where they can, and never
    show references an operation has since changed."""

    SHARED = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nvt 1 1\n" \
             "vn 0 0 1\nvn 0 0 1\nvn 0 0 1\nvn 0 0 1\nf 1/1/1 2/2/2 3/3/3\nf 2/2/2 4/4/4 3/3/3\n"

    def check(self, array, expected):
        assert array.dtype == np.int32 and not array.flags.writeable
        assert array.tolist() == expected

    def test_equal_references_share_the_triangles(self):
        mesh = model.parse_obj(self.SHARED)
        triangles = mesh.triangles
        normals, uvs = mesh.triangle_normals, mesh.triangle_uvs
        assert np.shares_memory(normals, triangles) and np.shares_memory(uvs, triangles)
        for array in (triangles, normals, uvs):
            self.check(array, [[0, 1, 2], [1, 3, 2]])
        with pytest.raises(ValueError):
            normals[0, 0] = 5
        # A shared array outlives the mesh and the triangles array.
        del mesh, triangles
        gc.collect()
        self.check(uvs, [[0, 1, 2], [1, 3, 2]])

    def test_operations_end_the_sharing(self):
        # Each operation on a mesh whose arrays were read before it gives
        # what the same operations give a mesh read only at the end.
        steps = [
            lambda m: m.reverse(),
            lambda m: m.weld(0.5),
            lambda m: (m.compute_facet_normals(), m.compute_vertex_normals(90)),
            lambda m: m.compute_sphere_uv(),
            lambda m: m.compute_linear_uv(),
        ]
        seen = model.parse_obj(self.SHARED)
        kept = seen.triangles, seen.triangle_normals, seen.triangle_uvs
        for n, step in enumerate(steps, 1):
            step(seen)
            fresh = model.parse_obj(self.SHARED)
            for earlier in steps[:n]:
                earlier(fresh)
            for name in ("triangle_normals", "triangle_uvs", "triangles"):
                assert getattr(seen, name).tolist() == getattr(fresh, name).tolist(), (n, name)
        for array in kept:
            self.check(array, [[0, 1, 2], [1, 3, 2]])

    def test_large_arrays_outlive_the_mesh(self):
        # Past a few MiB the index arrays live in memory of their own.
        n = 400_000
        corners = np.arange(1, n + 1, dtype=np.int64)
        faces = "".join("f %d/%d %d/%d %d/%d\n" % (a, a, a + 1, a + 1, a + 2, a + 2) for a in corners.tolist())
        text = "v 0 0 0\nvt 0 0\n" * (n + 2) + faces
        mesh = model.parse_obj(text)
        triangles, uvs, normals = mesh.triangles, mesh.triangle_uvs, mesh.triangle_normals
        del mesh
        gc.collect()
        expected = np.stack([corners - 1, corners, corners + 1], axis=1)
        assert np.array_equal(triangles, expected) and np.array_equal(uvs, expected)
        assert np.shares_memory(uvs, triangles) and not triangles.flags.writeable
        assert normals.shape == (n, 3) and (normals == -1).all()
        del triangles
        gc.collect()
        assert np.array_equal(uvs, expected)

    def test_different_or_missing_references_are_copied(self):
        mesh = cube()
        triangles = mesh.triangles
        assert not np.shares_memory(mesh.triangle_normals, triangles)
        self.check(mesh.triangle_normals[:3], [[0, 0, 0], [0, 0, 0], [1, 1, 1]])
        plain = model.parse_obj("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 3 2 1\n")
        plain.triangles
        for array in (plain.triangle_normals, plain.triangle_uvs):
            self.check(array, [[-1, -1, -1], [-1, -1, -1]])


class TestWarnings:
    def test_library_warnings_become_python_warnings(self):
        code = """
import warnings
from solar_system import model
with warnings.catch_warnings(record=True) as caught:
    warnings.simplefilter("always")
    model.parse_obj("mtllib m.mtl\\nv 0 0 0\\nusemtl nosuch\\nf 1 1 1\\n", load_materials=lambda n: "newmtl a\\n")
for w in caught:
    print(w.category.__name__, w.message)
"""
        done = run_python(code)
        expected = 'ModelWarning glmFindMaterial():  can\'t find material "nosuch".\n'
        assert (done.stdout, done.stderr) == (expected, "")

    def test_warnings_can_be_errors(self):
        mesh = model.parse_obj("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n")
        with pytest.warns(solar_system.ModelWarning):
            mesh.save("/dev/null", mode=model.MODE_SMOOTH)  # the model has no normals
