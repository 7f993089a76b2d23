// solar_system.model's arrays: the views a Mesh lends of the model's own
// buffers, the index arrays and the groups, materials, objects, smoothing
// groups, lines and points it builds on each access.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "model/glm.h"
#include "model/glm_core.h"
#include "python/model_call.h"
#include "python/model_module.h"

namespace py = pybind11;

float*& Mesh::pointer(Field f)
{
    switch (f) {
    case POSITIONS:
        return model->vertices;
    case NORMALS:
        return model->normals;
    case UVS:
        return model->uvs;
    case COLORS:
        return model->colors;
    case FACET_NORMALS:
    default:
        return model->facetnorms;
    }
}

std::size_t Mesh::count(Field f) const
{
    switch (f) {
    case POSITIONS:
    case COLORS:
        return model->vertexCount;
    case NORMALS:
        return model->normalCount;
    case UVS:
        return model->uvCount;
    case FACET_NORMALS:
    default:
        return model->facetnormCount;
    }
}

void Mesh::detach(Field f)
{
    BufferOwner* owner = owners[f];
    float*& slot = pointer(f);
    if (!owner || !slot)
        return;
    const std::size_t bytes = (count(f) + 1) * width(f) * sizeof(float);
    auto* copy = static_cast<float*>(std::malloc(bytes));
    if (!copy)
        throw std::bad_alloc();
    std::memcpy(copy, slot, bytes);
    owner->taken = slot;
    owner->mesh = nullptr;
    owners[f] = nullptr;
    slot = copy;
    owner->keepAlive = py::object();  // may not be the last reference: self holds one
}

BufferOwner::~BufferOwner()
{
    if (mesh && mesh->owners[field] == this)
        mesh->owners[field] = nullptr;
    std::free(taken);
}

namespace {

// A view of entries 1..N of field `f`; an empty N x width array when the
// model has none.
py::array_t<float> view(py::object self, Field f)
{
    Mesh& mesh = self.cast<Mesh&>();
    const std::size_t width = Mesh::width(f);
    float* data = mesh.pointer(f);
    const auto n = static_cast<py::ssize_t>(data ? mesh.count(f) : 0);
    if (!data)
        return py::array_t<float>(std::vector<py::ssize_t>{0, static_cast<py::ssize_t>(width)});
    BufferOwner* owner = mesh.owners[f];
    py::object base;
    if (owner && owner->data == data) {
        base = py::cast(owner, py::return_value_policy::reference);
    } else {
        auto* fresh = new BufferOwner;
        fresh->mesh = &mesh;
        fresh->keepAlive = self;
        fresh->field = f;
        fresh->data = data;
        base = py::cast(fresh, py::return_value_policy::take_ownership);
        mesh.owners[f] = fresh;
    }
    return py::array_t<float>(std::vector<py::ssize_t>{n, static_cast<py::ssize_t>(width)},
                              std::vector<py::ssize_t>{static_cast<py::ssize_t>(width * sizeof(float)),
                                                       static_cast<py::ssize_t>(sizeof(float))},
                              data + width, base);
}

// A 0-based int32 copy of 1-based references (0, "none", becomes -1).
inline std::int32_t index(unsigned ref) { return static_cast<std::int32_t>(ref) - 1; }

void checkIndexable(const GlmMesh* m)
{
    const unsigned largest = std::max({m->vertexCount, m->normalCount, m->uvCount, m->faceCount});
    if (largest > static_cast<unsigned>(INT32_MAX))
        throw py::value_error("the model has more entries than int32 indices can number");
}

py::array_t<std::int32_t> readOnly(py::array_t<std::int32_t> array)
{
    py::detail::array_proxy(array.ptr())->flags &= ~py::detail::npy_api::NPY_ARRAY_WRITEABLE_;
    return array;
}

// F x 3 corner references of the kind `member` selects.
py::array_t<std::int32_t> corners(const Mesh& mesh, unsigned (GlmFace::*member)[3])
{
    const GlmMesh* m = mesh.model;
    checkIndexable(m);
    py::array_t<std::int32_t> out({static_cast<py::ssize_t>(m->faceCount), py::ssize_t{3}});
    std::int32_t* o = out.mutable_data();
    const GlmFace* faces = m->faces;
    auto fill = [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const unsigned* r = faces[i].*member;
            o[3 * i + 0] = index(r[0]);
            o[3 * i + 1] = index(r[1]);
            o[3 * i + 2] = index(r[2]);
        }
    };
    // Large arrays are filled on the reader's threads: the time goes into
    // the first touch of the new pages as much as into the loop.  The GIL
    // stays held, so no other Python thread changes the model meanwhile.
    const std::size_t count = m->faceCount;
    const std::size_t threads = count < (std::size_t{1} << 18) ? 1 : std::min(glmReaderThreads(), 8u);
    std::vector<std::thread> helpers;
    const std::size_t step = (count + threads - 1) / threads;
    try {
        for (std::size_t t = 1; t < threads; ++t)
            helpers.emplace_back(fill, std::min(count, t * step), std::min(count, (t + 1) * step));
    } catch (const std::system_error&) {
        // No more threads to be had: this one fills the rest.
    }
    const std::size_t done = (helpers.size() + 1) * step;
    fill(0, std::min(count, step));
    if (done < count)
        fill(std::min(count, done), count);
    for (std::thread& helper : helpers)
        helper.join();
    return readOnly(out);
}

py::array_t<std::int32_t> indices(const unsigned* refs, std::size_t count)
{
    py::array_t<std::int32_t> out(static_cast<py::ssize_t>(count));
    std::int32_t* o = out.mutable_data();
    for (std::size_t i = 0; i < count; ++i)
        o[i] = refs ? index(refs[i]) : -1;
    return readOnly(out);
}

// ---- Groups, materials, runs -------------------------------------------

struct Group {
    py::object name;
    unsigned material;
    py::array_t<std::int32_t> faces;
};

struct Material {
    py::object name;
    std::array<float, 4> diffuse, ambient, specular, emission;
    float shininess;
    std::vector<py::object> keptStatements;
};

struct ObjectRun {
    unsigned firstFace;
    py::object name;
};

struct SmoothingRun {
    unsigned firstFace;
    unsigned group;
};

std::array<float, 4> colour(const float* c) { return {c[0], c[1], c[2], c[3]}; }

std::vector<Group> groups(const Mesh& mesh)
{
    std::vector<Group> out;
    for (const GlmFaceGroup* g = mesh.model->groupList; g; g = g->next) {
        py::array_t<std::int32_t> faces(static_cast<py::ssize_t>(g->faceCount));
        std::int32_t* o = faces.mutable_data();
        for (unsigned i = 0; i < g->faceCount; ++i)
            o[i] = static_cast<std::int32_t>(g->faceList[i]);
        out.push_back(Group{text(g->name), g->materialIndex, readOnly(faces)});
    }
    // Oldest first: "default" leads, the others follow as the file named them.
    std::reverse(out.begin(), out.end());
    return out;
}

std::vector<Material> materials(const Mesh& mesh)
{
    std::vector<Material> out;
    const GlmMesh* m = mesh.model;
    for (unsigned i = 0; i < m->materialCount && m->materialTable; ++i) {
        const GlmMtlEntry& e = m->materialTable[i];
        Material mat{text(e.name),
                     colour(e.diffuseColor),
                     colour(e.ambientColor),
                     colour(e.specularColor),
                     colour(e.emissionColor),
                     e.specularExponent,
                     {}};
        if (e.keptStatements) {
            for (const char *s = e.keptStatements, *end; *s; s = *end ? end + 1 : end) {
                end = std::strchr(s, '\n');
                if (!end)
                    end = s + std::strlen(s);
                PyObject* line = PyUnicode_DecodeUTF8(s, end - s, "surrogateescape");
                if (!line)
                    throw py::error_already_set();
                mat.keptStatements.push_back(py::reinterpret_steal<py::object>(line));
            }
        }
        out.push_back(std::move(mat));
    }
    return out;
}

std::string describe(const Mesh& mesh)
{
    const GlmMesh* m = mesh.model;
    std::string out = "<solar_system.model.Mesh";
    if (m->sourcePath && *m->sourcePath)
        out += std::string(" '") + m->sourcePath + "'";
    out += ": " + std::to_string(m->vertexCount) + " positions, " + std::to_string(m->normalCount) + " normals, " +
           std::to_string(m->uvCount) + " uvs, " + std::to_string(m->faceCount) + " triangles, " +
           std::to_string(m->groupCount) + " groups, " + std::to_string(m->materialCount) + " materials>";
    return out;
}

}  // namespace

void defineArrays(py::module_& m, py::class_<Mesh>& mesh)
{
    py::class_<BufferOwner>(m, "_Buffer", "Holds the memory numpy views of a Mesh refer to.");

    py::class_<Group>(m, "Group", "A named group of triangles (a copy: changing it does not change the model).")
        .def_readonly("name", &Group::name, "The name as the file gives it, the blank after \"g\" included.")
        .def_readonly("material", &Group::material, "Index into Mesh.materials; 0 is \"default\".")
        .def_readonly("faces", &Group::faces, "0-based indices of the group's triangles (int32).")
        .def("__repr__", [](const Group& g) {
            return "Group(" + py::repr(g.name).cast<std::string>() + ", material=" + std::to_string(g.material) + ", " +
                   std::to_string(g.faces.size()) + " faces)";
        });

    py::class_<Material>(m, "Material", "One material of the model's library (a copy).")
        .def_readonly("name", &Material::name, "The \"newmtl\" name; None for an entry no line named.")
        .def_readonly("diffuse", &Material::diffuse, "Red, green, blue, alpha.")
        .def_readonly("ambient", &Material::ambient, "Red, green, blue, alpha.")
        .def_readonly("specular", &Material::specular, "Red, green, blue, alpha.")
        .def_readonly("emission", &Material::emission, "Red, green, blue, alpha.")
        .def_readonly("shininess", &Material::shininess, "OpenGL's 0..128 scale (the file's Ns * 128 / 1000).")
        .def_readonly("kept_statements", &Material::keptStatements,
                      "The entry's statements the library keeps without interpreting, in file order.")
        .def("__repr__",
             [](const Material& mat) { return "Material(" + py::repr(mat.name).cast<std::string>() + ")"; });

    py::class_<ObjectRun>(m, "ObjectRun", "From triangle first_face on, the triangles belong to object name.")
        .def_readonly("first_face", &ObjectRun::firstFace)
        .def_readonly("name", &ObjectRun::name)
        .def("__repr__", [](const ObjectRun& r) {
            return "ObjectRun(first_face=" + std::to_string(r.firstFace) +
                   ", name=" + py::repr(r.name).cast<std::string>() + ")";
        });

    py::class_<SmoothingRun>(m, "SmoothingRun", "From triangle first_face on, the smoothing group is group (0: off).")
        .def_readonly("first_face", &SmoothingRun::firstFace)
        .def_readonly("group", &SmoothingRun::group)
        .def("__repr__", [](const SmoothingRun& r) {
            return "SmoothingRun(first_face=" + std::to_string(r.firstFace) + ", group=" + std::to_string(r.group) +
                   ")";
        });

    mesh.def_property_readonly(
            "positions", [](py::object self) { return view(self, POSITIONS); },
            "N x 3 float32 view of the vertex positions (writable).")
        .def_property_readonly(
            "normals", [](py::object self) { return view(self, NORMALS); },
            "N x 3 float32 view of the normals; 0 x 3 when the model has none.")
        .def_property_readonly(
            "uvs", [](py::object self) { return view(self, UVS); },
            "N x 2 float32 view of the texture coordinates; 0 x 2 when the model has none.")
        .def_property_readonly(
            "colors", [](py::object self) { return view(self, COLORS); },
            "N x 3 float32 view of the vertex colours (\"v x y z r g b\"), one per position; 0 x 3 without.")
        .def_property_readonly(
            "facet_normals", [](py::object self) { return view(self, FACET_NORMALS); },
            "F x 3 float32 view of the facet normals (compute_facet_normals); 0 x 3 without.")
        .def_property_readonly(
            "triangles", [](const Mesh& self) { return corners(self, &GlmFace::vertexRefs); },
            "F x 3 int32 indices into positions, in winding order (a read-only copy).")
        .def_property_readonly(
            "triangle_normals", [](const Mesh& self) { return corners(self, &GlmFace::normalRefs); },
            "F x 3 int32 indices into normals, -1 where a corner has none (a read-only copy).")
        .def_property_readonly(
            "triangle_uvs", [](const Mesh& self) { return corners(self, &GlmFace::uvRefs); },
            "F x 3 int32 indices into uvs, -1 where a corner has none (a read-only copy).")
        .def_property_readonly(
            "triangle_facet_normals",
            [](const Mesh& self) {
                checkIndexable(self.model);
                py::array_t<std::int32_t> out(static_cast<py::ssize_t>(self.model->faceCount));
                std::int32_t* o = out.mutable_data();
                for (unsigned i = 0; i < self.model->faceCount; ++i)
                    o[i] = index(self.model->faces[i].facetnormRef);
                return readOnly(out);
            },
            "F int32 indices into facet_normals, -1 before compute_facet_normals (a read-only copy).")
        .def_property_readonly(
            "groups", [](const Mesh& self) { return groups(self); },
            "The groups, oldest first (\"default\" first, then in the order the file names them).")
        .def_property_readonly(
            "materials", [](const Mesh& self) { return materials(self); },
            "The materials; entry 0 is \"default\".  Empty when the file names no library.")
        .def_property_readonly(
            "objects",
            [](const Mesh& self) {
                std::vector<ObjectRun> out;
                for (unsigned i = 0; i < self.model->objectRunCount; ++i)
                    out.push_back({self.model->objectRuns[i].firstFace, text(self.model->objectRuns[i].name)});
                return out;
            },
            "The \"o\" statements as the triangles where each object begins.")
        .def_property_readonly(
            "smoothing_groups",
            [](const Mesh& self) {
                std::vector<SmoothingRun> out;
                for (unsigned i = 0; i < self.model->smoothingRunCount; ++i)
                    out.push_back({self.model->smoothingRuns[i].firstFace, self.model->smoothingRuns[i].group});
                return out;
            },
            "The \"s\" statements as the triangles where each smoothing group begins.")
        .def_property_readonly(
            "lines",
            [](const Mesh& self) {
                const GlmMesh* g = self.model;
                checkIndexable(g);
                py::list out;
                for (unsigned i = 0; i < g->lineCount; ++i)
                    out.append(indices(g->lineVertexRefs + g->lines[i].first, g->lines[i].count));
                return out;
            },
            "One int32 array of 0-based position indices per \"l\" statement.")
        .def_property_readonly(
            "line_uvs",
            [](const Mesh& self) {
                const GlmMesh* g = self.model;
                checkIndexable(g);
                py::list out;
                for (unsigned i = 0; i < g->lineCount; ++i)
                    out.append(indices(g->lineUvRefs ? g->lineUvRefs + g->lines[i].first : nullptr, g->lines[i].count));
                return out;
            },
            "Per \"l\" statement, its uv indices (-1 where a point has none).")
        .def_property_readonly(
            "points",
            [](const Mesh& self) {
                checkIndexable(self.model);
                return indices(self.model->pointVertexRefs, self.model->pointCount);
            },
            "0-based position indices of the \"p\" statements (int32).")
        .def_property_readonly(
            "source_path", [](const Mesh& self) { return text(self.model->sourcePath); },
            "The path the model was read from (\"\" when parsed without one).")
        .def_property_readonly(
            "material_library", [](const Mesh& self) { return text(self.model->materialLibrary); },
            "The library the \"mtllib\" line names, or None.")
        .def("__repr__", [](const Mesh& self) { return describe(self); });
}
