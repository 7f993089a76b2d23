// objtool convert: read a model, apply operations in the order given, write
// it with the chosen modes.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "model/glm_core.h"
#include "tools/objtool/objtool.h"

namespace {

enum OperationKind { UNITIZE, SCALE, REVERSE, FACET_NORMALS, SMOOTH, WELD, LINEAR_UV, SPHERE_UV };

struct Operation {
    OperationKind kind;
    float value;
    const char* option;
};

struct OperationOption {
    const char* name;
    OperationKind kind;
    bool takesValue;
};

const OperationOption OPERATIONS[] = {
    {"--unitize", UNITIZE, false},     {"--scale", SCALE, true},
    {"--reverse", REVERSE, false},     {"--facet-normals", FACET_NORMALS, false},
    {"--smooth", SMOOTH, true},        {"--weld", WELD, true},
    {"--linear-uv", LINEAR_UV, false}, {"--sphere-uv", SPHERE_UV, false},
};

// Adds the modes named in `text` ("smooth", "smooth,texture") to `mode`.
bool parseModes(const std::string& text, unsigned* mode)
{
    static const std::map<std::string, unsigned> names = {
        {"plain", MODE_PLAIN}, {"flat", MODE_FLAT},    {"smooth", MODE_SMOOTH},     {"texture", MODE_TEXTURE},
        {"color", MODE_COLOR}, {"colour", MODE_COLOR}, {"material", MODE_MATERIAL},
    };
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        std::string word = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        auto found = names.find(word);
        if (found == names.end())
            return false;
        *mode |= found->second;
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return true;
}

// What the model has, when the command line names no mode.
unsigned defaultMode(const GlmMesh* model)
{
    unsigned mode = model->normals ? MODE_SMOOTH : model->facetnorms ? MODE_FLAT : MODE_PLAIN;
    if (model->uvs)
        mode |= MODE_TEXTURE;
    if (model->materialTable && model->materialLibrary)
        mode |= MODE_MATERIAL;
    return mode;
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::string directoryOf(const std::string& path)
{
    char* directory = glmDirectoryOf(path.c_str());
    std::string result = directory ? directory : "";
    std::free(directory);
    return result;
}

// The writer puts the material library beside the output under the last
// component of its name.  When that is the very library the input was read
// with (same folder, same name) and the output is another file, writing
// would overwrite the input's library; the output then gets a library named
// after itself instead, which `library` receives.
void protectInputLibrary(const GlmMesh* model, const std::string& inPath, const std::string& outPath,
                         std::string* library, std::vector<std::string>* warnings)
{
    const char* name = model->materialLibrary;
    const char* slash = std::strrchr(name, '/');
    std::string base = slash ? slash + 1 : name;
    if (base.empty() || base == "." || base == "..")
        return;
    std::string source = directoryOf(inPath) + name;
    std::string outDirectory = directoryOf(outPath);
    if (!sameFile(outDirectory + base, source) || sameFile(outPath, inPath))
        return;
    std::string stem = baseName(outPath);
    std::size_t dot = stem.rfind('.');
    if (dot != std::string::npos && dot > 0)
        stem.erase(dot);
    std::string replacement = stem + ".mtl";
    if (sameFile(outDirectory + replacement, source))
        replacement = stem + ".out.mtl";
    *library = replacement;
    warnings->push_back("material library written as \"" + replacement + "\" so that \"" + source +
                        "\" is not overwritten");
}

// Writes the model and its material library with the library's safe
// writer: both files appear complete or not at all.
bool writeModel(GlmMesh* model, const std::string& inPath, const std::string& outPath, unsigned mode,
                std::vector<std::string>* warnings)
{
    std::string library;
    if ((mode & MODE_MATERIAL) && model->materialLibrary && model->materialTable)
        protectInputLibrary(model, inPath, outPath, &library, warnings);
    GlmWriteOptions options;
    options.materialLibrary = library.empty() ? nullptr : library.c_str();
    GlmWriteError error{};
    bool ok = false;
    std::vector<std::string> lines =
        captureOutput([&] { ok = glmSaveOBJ(model, outPath.c_str(), mode, &options, &error); });
    warnings->insert(warnings->end(), lines.begin(), lines.end());
    if (!ok) {
        std::string why = error.message;
        while (!why.empty() && why.back() == '\n')
            why.pop_back();
        fail(outPath + ": cannot write: " + why);
    }
    return ok;
}

// One warning naming what the reader met and nothing can keep.
void reportSkipped(const std::string& inPath, const std::vector<SkippedStatement>& skipped,
                   std::vector<std::string>* warnings)
{
    if (skipped.empty())
        return;
    unsigned long total = 0;
    std::string kinds;
    for (const SkippedStatement& s : skipped) {
        total += s.count;
        kinds += (kinds.empty() ? "" : ", ") + s.keyword + " (" + std::to_string(s.count) + ")";
    }
    warnings->push_back(baseName(inPath) + ": " + std::to_string(total) + (total == 1 ? " statement" : " statements") +
                        " not kept in the output: " + kinds);
}

// The output must be a file in a folder that exists: checked before any
// work is done.
bool outputPathUsable(const std::string& outPath)
{
    struct stat info;
    if (::stat(outPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        fail(outPath + ": is a directory");
        return false;
    }
    std::string directory = directoryOf(outPath);
    if (directory.empty())
        return true;
    if (::stat(directory.c_str(), &info) != 0) {
        fail(outPath + ": cannot write: " + std::strerror(errno));
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        fail(outPath + ": cannot write: " + std::strerror(ENOTDIR));
        return false;
    }
    return true;
}

// Runs one operation; false after a message when the model cannot take it.
bool apply(GlmMesh* model, const Operation& op, std::vector<std::string>* warnings)
{
    bool needsVertices = op.kind == UNITIZE || op.kind == FACET_NORMALS || op.kind == SMOOTH || op.kind == LINEAR_UV;
    if (needsVertices && (model->vertexCount == 0 || !model->vertices)) {
        warnings->push_back(std::string(op.option) + ": the model has no vertices; nothing done");
        return true;
    }
    if (op.kind == SPHERE_UV && !model->normals) {
        fail(std::string("convert: ") + op.option +
             " needs normals: put --smooth ANGLE before it, or read a model with normals");
        return false;
    }
    // The operations that allocate run through the core: a failure comes
    // back here, after the capture has ended, and is told with the
    // library's own message instead of ending the program inside it.
    GlmError error{GLM_OK, ""};
    bool done = true;
    std::vector<std::string> lines = captureOutput([&] {
        switch (op.kind) {
        case UNITIZE:
            unitize(model);
            break;
        case SCALE:
            glmResize(model, op.value);
            break;
        case REVERSE:
            glmFlipWinding(model);
            break;
        case FACET_NORMALS:
            done = glmComputeFaceNormals(model, &error);
            break;
        case SMOOTH:
            done = glmComputeFaceNormals(model, &error) &&
                   glmComputeVertexNormals(model, smoothingAngle(op.value), &error);
            break;
        case WELD:
            done = glmWeldVertices(model, op.value, &error);
            break;
        case LINEAR_UV:
            done = glmComputePlanarUVs(model, &error);
            break;
        case SPHERE_UV:
            done = glmComputeSphereUVs(model, &error);
            break;
        }
    });
    warnings->insert(warnings->end(), lines.begin(), lines.end());
    if (!done) {
        fail(std::string("convert: ") + op.option + ": " + libraryMessage(error.message));
        return false;
    }
    return true;
}

}  // namespace

int commandConvert(int argc, char** argv)
{
    std::vector<const char*> files;
    std::vector<Operation> operations;
    unsigned mode = 0;
    bool modeGiven = false;
    bool keepAll = true;
    std::vector<Option> options = {
        {"--modelled-only", nullptr,
         [&](const char*, std::string*) {
             keepAll = false;
             return true;
         }},
        {"--mode", "flat, smooth, texture, color, material or plain",
         [&](const char* value, std::string*) { return modeGiven = parseModes(value, &mode); }},
    };
    for (const OperationOption& o : OPERATIONS) {
        options.push_back(
            {o.name, o.takesValue ? "a number" : nullptr, [&, o](const char* value, std::string* problem) {
                 Operation op{o.kind, 0.0f, o.name};
                 if (value && !parseFloat(value, &op.value))
                     return false;
                 if (op.kind == SCALE && op.value == 0.0f)
                     *problem = "--scale 0 would collapse the model";
                 if (op.kind == SMOOTH && (op.value < 0.0f || op.value > 180.0f))
                     *problem = "--smooth wants an angle from 0 to 180 degrees";
                 if (op.kind == WELD && op.value < 0.0f)
                     *problem = "--weld wants a distance of 0 or more";
                 if (!problem->empty())
                     return false;
                 operations.push_back(op);
                 return true;
             }});
    }
    auto file = [&](const char* arg, std::string*) {
        files.push_back(arg);
        return true;
    };
    if (!parseArguments("convert", argc, argv, options, MissingValue::SAY_WHAT_IT_WANTS, file))
        return EXIT_USAGE;
    if (files.size() != 2) {
        fail("convert: give one input and one output (objtool convert IN.obj OUT.obj [operations])");
        return EXIT_USAGE;
    }
    std::string inPath = files[0], outPath = files[1];

    // The output's folder is tried first, so a wrong output path fails
    // before any work is done.
    if (!outputPathUsable(outPath))
        return EXIT_FAILED;
    std::vector<std::string> warnings;
    std::vector<SkippedStatement> skipped;
    GlmMesh* model = loadModel(inPath, &warnings, &skipped);
    if (!model)
        return EXIT_FAILED;
    if (keepAll)
        reportSkipped(inPath, skipped, &warnings);
    bool ok = true;
    for (const Operation& op : operations) {
        progressBegin(std::string("applying ") + op.option);
        ok = apply(model, op, &warnings);
        progressEnd();
        if (!ok)
            break;
    }
    if (ok) {
        progressBegin("writing " + outPath);
        unsigned writeMode = (modeGiven ? mode : defaultMode(model)) | (keepAll ? MODE_KEEP_ALL : 0);
        ok = writeModel(model, inPath, outPath, writeMode, &warnings);
        progressEnd();
    }
    reportWarnings(warnings, "");
    glmDestroy(model);
    return ok ? EXIT_OK : EXIT_FAILED;
}
