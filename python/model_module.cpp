// solar_system.model: OBJ models as numpy arrays.
//
// Memory.  A Mesh owns one GlmMesh.  positions, normals, uvs, colors and
// facet_normals are views of the model's own arrays, entries 1..N (the spare
// entry 0 in front of each 1-based array is left out), so writing into them
// changes the model.  Each view's base is a BufferOwner: while the buffer is
// the model's, the owner keeps the Mesh alive; before an operation replaces
// a buffer that a view still uses (normals, welding, texture coordinates),
// the owner takes the old buffer over and the library is handed a copy to
// work on and free.  Views taken earlier keep the old data, and no view ever
// points at freed memory.  Triangles, groups, lines and points are built on
// each access (0-based indices, -1 for a missing reference) and are not
// written back.
//
// Errors.  Every precondition the library checks by stopping the program is
// checked here first and raises ValueError; failures the readers hand back
// raise solar_system.ModelError.  The library's warnings are collected while
// it runs (the GIL may be released) and given to Python's warnings module
// afterwards as solar_system.ModelWarning.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "model/glm.h"
#include "model/glm_core.h"
#include "python/model_module.h"

namespace py = pybind11;

struct Mesh;

namespace {

// ---- Messages -----------------------------------------------------------

// The messages of the library calls running on this thread; null outside
// a call made from Python, where messages go to their streams as usual.
thread_local std::vector<std::string>* collectedMessages = nullptr;

void collectMessage(FILE* stream, const char* text, void*)
{
    if (!collectedMessages) {
        std::fputs(text, stream);
        return;
    }
    try {
        collectedMessages->emplace_back(text);
    } catch (const std::bad_alloc&) {
        // A warning lost to a full memory is better than an exception
        // thrown through the library.
    }
}

}  // namespace

LibraryCall::LibraryCall() : previous(collectedMessages) { collectedMessages = &messages; }

LibraryCall::~LibraryCall() { collectedMessages = previous; }

void LibraryCall::warn()
{
    collectedMessages = previous;
    std::vector<std::string> pending;
    pending.swap(messages);
    if (pending.empty())
        return;
    py::object category = py::module_::import("solar_system").attr("ModelWarning");
    for (std::string& text : pending) {
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        if (PyErr_WarnEx(category.ptr(), text.c_str(), 2) < 0)
            throw py::error_already_set();
    }
}

[[noreturn]] void raiseModelError(const char* kind, const std::string& message)
{
    std::string text = message;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    py::object type = py::module_::import("solar_system").attr("ModelError");
    py::object error = type(kind, text);
    PyErr_SetObject(type.ptr(), error.ptr());
    throw py::error_already_set();
}

std::string fileSystemPath(const py::object& path, const char* what)
{
    py::bytes encoded = py::module_::import("os").attr("fsencode")(path);
    std::string text = encoded;
    if (text.find('\0') != std::string::npos)
        throw py::value_error(std::string(what) + " holds a NUL character");
    return text;
}

namespace {

const char* readErrorKind(GlmReadErrorKind kind)
{
    switch (kind) {
    case GLM_READ_OK:
        return "ok";
    case GLM_READ_CANT_OPEN:
        return "cant_open";
    case GLM_READ_UNKNOWN_TOKEN:
        return "unknown_token";
    case GLM_READ_BAD_REFERENCE:
        return "bad_reference";
    case GLM_READ_MATERIAL_FILE:
        return "material_file";
    case GLM_READ_NO_MEMORY:
        return "no_memory";
    }
    return "unknown";
}

// ---- The arrays a mesh lends -------------------------------------------

enum Field { POSITIONS, NORMALS, UVS, COLORS, FACET_NORMALS, FIELD_COUNT };

// The base object of the views of one buffer.
struct BufferOwner {
    Mesh* mesh = nullptr;  // the mesh whose buffer this is; null once taken over
    py::object keepAlive;  // that mesh, while the buffer is its own
    Field field = POSITIONS;
    const float* data = nullptr;
    void* taken = nullptr;  // the old buffer after a takeover, freed here
    ~BufferOwner();
};

}  // namespace

struct Mesh {
    GlmMesh* model;
    BufferOwner* owners[FIELD_COUNT] = {};

    explicit Mesh(GlmMesh* m) : model(m) {}
    ~Mesh() { glmDestroy(model); }
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    float*& pointer(Field f)
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
    std::size_t count(Field f) const
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
    static std::size_t width(Field f) { return f == UVS ? 2 : 3; }

    // Before the library replaces the buffer of `f`: views still using it
    // keep it, and the library gets a copy to read and free.
    void detach(Field f)
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
};

namespace {

BufferOwner::~BufferOwner()
{
    if (mesh && mesh->owners[field] == this)
        mesh->owners[field] = nullptr;
    std::free(taken);
}

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

py::object text(const char* s)
{
    if (!s)
        return py::none();
    PyObject* decoded = PyUnicode_DecodeFSDefault(s);
    if (!decoded)
        throw py::error_already_set();
    return py::reinterpret_steal<py::object>(decoded);
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

// ---- Reading --------------------------------------------------------------

// What parse_obj hands the material loader: the Python callable, and the
// exception it raised, to be raised again once the read is over.
struct LoaderContext {
    py::object callable;
    std::optional<py::error_already_set> failure;
};

bool loadMaterialsFromPython(GlmMesh* model, const char* name, void* context, GlmReadError* error)
{
    auto* loader = static_cast<LoaderContext*>(context);
    std::string textOfLibrary;
    bool found = false;
    {
        py::gil_scoped_acquire gil;
        try {
            py::object result = loader->callable(text(name));
            if (!result.is_none()) {
                if (py::isinstance<py::str>(result)) {
                    textOfLibrary = result.cast<std::string>();
                } else if (PyObject_CheckBuffer(result.ptr())) {
                    py::buffer_info info = py::reinterpret_borrow<py::buffer>(result).request();
                    if (info.itemsize != 1 || info.ndim != 1 || info.strides[0] != 1)
                        throw py::type_error("");
                    textOfLibrary.assign(static_cast<const char*>(info.ptr), static_cast<std::size_t>(info.size));
                } else {
                    throw py::type_error("");
                }
                found = true;
            }
        } catch (py::error_already_set& e) {
            loader->failure.emplace(std::move(e));
        } catch (const std::exception&) {
            // A result that is neither text nor bytes.
            PyErr_SetString(PyExc_TypeError, "load_materials must return str, bytes or None");
            loader->failure.emplace();
        }
    }
    if (!found) {
        error->kind = GLM_READ_MATERIAL_FILE;
        std::snprintf(error->message, sizeof error->message, "glmReadMTL() failed: can't open material file \"%s\".\n",
                      name);
        return false;
    }
    glmParseMTL(model, textOfLibrary.data(), textOfLibrary.size());
    return true;
}

py::object wrap(GlmMesh* model) { return py::cast(new Mesh(model), py::return_value_policy::take_ownership); }

unsigned threadCount(long long threads)
{
    if (threads < 0 || threads > 4096)
        throw py::value_error("threads must lie in 0..4096 (0 uses every processor this process may run on)");
    return static_cast<unsigned>(threads);
}

py::object loadObj(const py::object& path, long long threads)
{
    const std::string file = fileSystemPath(path, "path");
    GlmReadOptions options;
    options.threads = threadCount(threads);
    GlmReadError error;
    LibraryCall call;
    GlmMesh* model;
    {
        py::gil_scoped_release released;
        model = glmLoadOBJ(file.c_str(), &options, &error);
    }
    if (!model)
        raiseModelError(readErrorKind(error.kind), error.message);
    py::object mesh = wrap(model);
    call.warn();
    return mesh;
}

py::object parseObj(const py::object& data, const py::object& sourcePath, const py::object& loadMaterials)
{
    // Immutable text is read where it lies; anything else (bytearray, a
    // writable buffer) is copied, as it could change while the GIL is free.
    std::string copy;
    const char* text = nullptr;
    Py_ssize_t size = 0;
    py::object keep = data;
    if (PyUnicode_Check(data.ptr())) {
        text = PyUnicode_AsUTF8AndSize(data.ptr(), &size);
        if (!text)
            throw py::error_already_set();
    } else if (PyBytes_Check(data.ptr())) {
        char* bytes;
        if (PyBytes_AsStringAndSize(data.ptr(), &bytes, &size) < 0)
            throw py::error_already_set();
        text = bytes;
    } else if (PyObject_CheckBuffer(data.ptr())) {
        py::buffer_info info = py::reinterpret_borrow<py::buffer>(data).request();
        if (info.ndim != 1 || info.itemsize != 1 || info.strides[0] != 1)
            throw py::value_error("data must be str, bytes or a contiguous buffer of bytes");
        copy.assign(static_cast<const char*>(info.ptr), static_cast<std::size_t>(info.size));
        text = copy.data();
        size = static_cast<Py_ssize_t>(copy.size());
    } else {
        throw py::type_error("data must be str, bytes or a bytes-like object");
    }
    std::optional<std::string> source;
    if (!sourcePath.is_none())
        source = fileSystemPath(sourcePath, "source_path");
    LoaderContext loader;
    GlmReadOptions options;
    if (!loadMaterials.is_none()) {
        if (!PyCallable_Check(loadMaterials.ptr()))
            throw py::type_error("load_materials must be callable (name -> str, bytes or None)");
        loader.callable = loadMaterials;
        options.loadMaterials = loadMaterialsFromPython;
        options.loaderContext = &loader;
    }
    GlmReadError error;
    LibraryCall call;
    GlmMesh* model;
    {
        py::gil_scoped_release released;
        model = glmParseOBJ(text, static_cast<std::size_t>(size), source ? source->c_str() : nullptr, &options, &error);
    }
    if (loader.failure) {
        if (model)
            glmDestroy(model);
        loader.failure->restore();
        throw py::error_already_set();
    }
    if (!model)
        raiseModelError(readErrorKind(error.kind), error.message);
    py::object mesh = wrap(model);
    call.warn();
    return mesh;
}

// ---- Operations -------------------------------------------------------------

void requireVertices(const Mesh& mesh)
{
    if (!mesh.model->vertices)
        throw py::value_error("the model has no vertex array");
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

PYBIND11_MODULE(model, m)
{
    // Imported first: the exception and warning classes live in the
    // package, and the package imports this module.
    py::module_::import("solar_system");
    glmSetMessageHandler(collectMessage, nullptr);

    m.doc() = R"(Wavefront OBJ models with their MTL material libraries.

Read a model with load_obj (a file) or parse_obj (text in memory); both
return a Mesh.  A Mesh's positions, normals, uvs, colors and facet_normals
are numpy float32 arrays that share the model's memory (no copy is made, and
writing into them changes the model); triangles, triangle_normals and
triangle_uvs are F x 3 int32 arrays of 0-based indices into them, -1 where a
triangle carries no such reference.

Failures raise solar_system.ModelError; warnings come as
solar_system.ModelWarning through the warnings module.  Nothing here prints
or ends the process.)";

    m.attr("MODE_PLAIN") = MODE_PLAIN;
    m.attr("MODE_FLAT") = MODE_FLAT;
    m.attr("MODE_SMOOTH") = MODE_SMOOTH;
    m.attr("MODE_TEXTURE") = MODE_TEXTURE;
    m.attr("MODE_COLOR") = MODE_COLOR;
    m.attr("MODE_MATERIAL") = MODE_MATERIAL;
    m.attr("MODE_KEEP_ALL") = MODE_KEEP_ALL;

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

    py::class_<Mesh> mesh(m, "Mesh", R"(A model read from an OBJ file.

Array attributes view the model's own memory, entries 1..N of the library's
1-based arrays (the spare entry 0 is left out), so index i of positions is
what a face reference i + 1 names.  An array keeps the Mesh alive.  An
operation that replaces an array (compute_vertex_normals, weld,
compute_facet_normals, compute_*_uv) leaves arrays taken before it valid:
they keep the old values, and the attribute gives the new ones.)");
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

    mesh.def(
            "unitize",
            [](Mesh& self) {
                requireVertices(self);
                LibraryCall call;
                float scale = glmCenterAndScale(self.model);
                call.warn();
                return scale;
            },
            "Moves the bounding box's centre to the origin and scales the largest extent to 2 "
            "(only moves when the extent gives no finite scale).  Returns the scale applied.")
        .def(
            "scale",
            [](Mesh& self, float factor) {
                requireVertices(self);
                LibraryCall call;
                glmResize(self.model, factor);
                call.warn();
            },
            py::arg("factor"), "Multiplies every position by factor.")
        .def(
            "reverse",
            [](Mesh& self) {
                LibraryCall call;
                glmFlipWinding(self.model);
                call.warn();
            },
            "Reverses every triangle's winding and negates the normals and facet normals (twice restores).")
        .def(
            "compute_facet_normals",
            [](Mesh& self) {
                requireVertices(self);
                self.detach(FACET_NORMALS);
                LibraryCall call;
                glmFaceNormals(self.model);
                call.warn();
            },
            "One unit normal per triangle into facet_normals (zero for a triangle without area).")
        .def(
            "compute_vertex_normals",
            [](Mesh& self, float angle) {
                if (!self.model->facetnorms)
                    throw py::value_error(
                        "compute_vertex_normals needs facet normals: call compute_facet_normals first");
                self.detach(NORMALS);
                LibraryCall call;
                glmVertexNormals(self.model, angle);
                call.warn();
            },
            py::arg("angle") = 90.0f,
            "Replaces the normals with smoothed ones: each corner averages the facet normals around its vertex "
            "that lie within angle degrees of the reference face's; corners outside get their own facet normal.")
        .def(
            "weld",
            [](Mesh& self, float epsilon) {
                requireVertices(self);
                self.detach(POSITIONS);
                self.detach(COLORS);
                LibraryCall call;
                glmMergeVertices(self.model, epsilon);
                call.warn();
            },
            py::arg("epsilon"),
            "Merges positions closer than epsilon on every axis into the first of them and renumbers the "
            "triangles; epsilon <= 0 merges nothing.  Normals are not recomputed.")
        .def(
            "compute_linear_uv",
            [](Mesh& self) {
                requireVertices(self);
                self.detach(UVS);
                LibraryCall call;
                glmPlanarUVs(self.model);
                call.warn();
            },
            "One texture coordinate per position from its x and z, the largest extent mapped to 0..1.")
        .def(
            "compute_sphere_uv",
            [](Mesh& self) {
                if (!self.model->normals)
                    throw py::value_error("compute_sphere_uv needs normals: call compute_vertex_normals first");
                self.detach(UVS);
                LibraryCall call;
                glmSphereUVs(self.model);
                call.warn();
            },
            "One texture coordinate per normal from its direction (poles on the x axis).")
        .def(
            "extents",
            [](Mesh& self) {
                requireVertices(self);
                float d[3];
                glmExtents(self.model, d);
                return py::make_tuple(d[0], d[1], d[2]);
            },
            "|max| + |min| of each axis (x from 2 to 4 gives 6); zeros without positions.")
        .def(
            "save",
            [](Mesh& self, const py::object& path, std::optional<unsigned> mode) {
                const GlmMesh* g = self.model;
                const unsigned everything = (g->normals ? MODE_SMOOTH : 0) | (g->uvs ? MODE_TEXTURE : 0) |
                                            (g->materialTable ? MODE_MATERIAL : 0) | MODE_KEEP_ALL;
                saveMesh(self.model, path, mode ? *mode : everything);
            },
            py::arg("path"), py::arg("mode") = py::none(),
            "Writes the model as OBJ (and its material library beside it with MODE_MATERIAL).  mode combines "
            "the MODE_* flags; None writes all the model has (normals, texture coordinates, materials and "
            "MODE_KEEP_ALL); what the model cannot give is dropped with a ModelWarning.  A failure raises "
            "ModelError.");

    m.def("load_obj", &loadObj, py::arg("path"), py::arg("threads") = 0,
          R"(Reads the OBJ file at path (str or os.PathLike) and the material library it names.

threads: 0 reads large files on every processor this process may run on.
The GIL is released while reading.  Raises ModelError (kind "cant_open",
"unknown_token", "bad_reference", "material_file" or "no_memory").)");
    m.def("parse_obj", &parseObj, py::arg("data"), py::arg("source_path") = py::none(),
          py::arg("load_materials") = py::none(),
          R"(Reads OBJ text held in memory (str or bytes).

source_path names the text in messages and, without load_materials, is where
material libraries are looked for.  load_materials(name) returns the MTL text
(str or bytes) of library name, or None when there is no such library (a
ModelError of kind "material_file"); an exception it raises is raised again.
The GIL is released while reading, and taken again for load_materials.)");
}
