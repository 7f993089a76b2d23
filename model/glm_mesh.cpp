// The model record's companions: vector helpers, group and material
// look-ups, and the release of a whole model.
#include "model/glm.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "model/glm_core.h"
#include "model/glm_internal.h"

extern "C" char* program_invocation_short_name;

void glmCheckFailed(const char* expression, unsigned line, const char* function)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s: glm:%u: %s: Assertion `%s' failed.\n", program_invocation_short_name, line, function,
                 expression);
    std::abort();
}

void glmNoMemoryMessage(const GlmNoMemory& failure, char* message, std::size_t size)
{
    if (failure.bytes)
        std::snprintf(message, size, "glm: out of memory: can't allocate %s (%zu bytes).\n", failure.what_,
                      failure.bytes);
    else
        std::snprintf(message, size, "glm: out of memory: can't allocate %s.\n", failure.what_);
}

void glmOutOfMemory(const char* what, std::size_t bytes)
{
    char message[600];
    glmNoMemoryMessage(GlmNoMemory(what, bytes), message, sizeof message);
    std::fflush(stdout);
    std::fputs(message, stderr);
    std::exit(1);
}

bool glmFail(GlmError* error, int status, const char* format, ...)
{
    if (!error)
        return false;
    error->status = static_cast<GlmStatus>(status);
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(error->message, sizeof error->message, format, args);
    va_end(args);
    return false;
}

bool glmFailNoMemory(GlmError* error, const GlmNoMemory& failure)
{
    if (error) {
        error->status = GLM_NO_MEMORY;
        glmNoMemoryMessage(failure, error->message, sizeof error->message);
    }
    return false;
}

void glmEndOnError(const GlmError& error, const char* function)
{
    if (error.status == GLM_NO_MEMORY) {
        std::fflush(stdout);
        std::fputs(error.message, stderr);
        std::exit(1);
    }
    // The message without its line break, as the failed expression.
    std::string expression(error.message);
    if (!expression.empty() && expression.back() == '\n')
        expression.pop_back();
    glmCheckFailed(expression.c_str(), __LINE__, function);
}

namespace {
GlmMessageHandler messageHandler = nullptr;
void* messageContext = nullptr;
}  // namespace

GlmMessageHandler glmSetMessageHandler(GlmMessageHandler handler, void* context)
{
    GlmMessageHandler previous = messageHandler;
    messageHandler = handler;
    messageContext = context;
    return previous;
}

void glmMessage(FILE* stream, const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    if (!messageHandler) {
        std::vfprintf(stream, format, args);
        va_end(args);
        return;
    }
    // Most messages fit the buffer on the stack; a longer one (a long file
    // or material name) is formatted again into a block of its size.
    char small[512];
    std::va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0) {
        va_end(again);
        return;
    }
    if (static_cast<std::size_t>(length) < sizeof small) {
        va_end(again);
        messageHandler(stream, small, messageContext);
        return;
    }
    // Without memory for it, the message goes out cut to the buffer's size.
    char* text = static_cast<char*>(std::malloc(static_cast<std::size_t>(length) + 1));
    if (text)
        std::vsnprintf(text, static_cast<std::size_t>(length) + 1, format, again);
    va_end(again);
    messageHandler(stream, text ? text : small, messageContext);
    std::free(text);
}

float glmLarger(float a, float b) { return b > a ? b : a; }

float glmAbsolute(float f) { return f < 0 ? -f : f; }

float glmDotProduct(const float* u, const float* v)
{
    GLM_CHECK(u);
    GLM_CHECK(v);
    return u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
}

void glmCrossProduct(const float* u, const float* v, float* n)
{
    GLM_CHECK(u);
    GLM_CHECK(v);
    GLM_CHECK(n);
    n[0] = u[1] * v[2] - u[2] * v[1];
    n[1] = u[2] * v[0] - u[0] * v[2];
    n[2] = u[0] * v[1] - u[1] * v[0];
}

void glmMakeUnit(float* v)
{
    GLM_CHECK(v);
    float length = static_cast<float>(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
    // A zero vector has no direction: dividing would only turn it into NaNs.
    if (length == 0.0f)
        return;
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

bool glmNearlyEqual(const float* u, const float* v, float epsilon)
{
    return glmAbsolute(u[0] - v[0]) < epsilon && glmAbsolute(u[1] - v[1]) < epsilon &&
           glmAbsolute(u[2] - v[2]) < epsilon;
}

GlmFaceGroup* glmGroupByName(GlmMesh* model, const char* name)
{
    GLM_CHECK(model);
    for (GlmFaceGroup* group = model->groupList; group; group = group->next)
        if (std::strcmp(group->name, name) == 0)
            return group;
    return nullptr;
}

GlmFaceGroup* glmEnsureGroup(GlmMesh* model, const char* name)
{
    try {
        return glmAddGroup(model, name);
    } catch (const GlmNoMemory& failure) {
        glmOutOfMemory(failure.what_, failure.bytes);
    }
}

GlmFaceGroup* glmAddGroup(GlmMesh* model, const char* name)
{
    if (GlmFaceGroup* found = glmGroupByName(model, name))
        return found;
    GlmCArray<char> copy(glmCopyText(name));
    auto* group = static_cast<GlmFaceGroup*>(glmAllocate(sizeof(GlmFaceGroup), "a group"));
    group->name = copy.release();
    group->faceCount = 0;
    group->faceList = nullptr;
    group->materialIndex = 0;
    group->next = model->groupList;
    model->groupList = group;
    model->groupCount++;
    return group;
}

unsigned glmFindMaterial(GlmMesh* model, const char* name)
{
    for (unsigned i = 0; i < model->materialCount; i++)
        if (model->materialTable[i].name && std::strcmp(model->materialTable[i].name, name) == 0)
            return i;
    glmMessage(stdout, "glmFindMaterial():  can't find material \"%s\".\n", name);
    return 0;
}

void glmDestroy(GlmMesh* model)
{
    GLM_CHECK(model);
    std::free(model->sourcePath);
    std::free(model->materialLibrary);
    std::free(model->vertices);
    std::free(model->normals);
    std::free(model->uvs);
    std::free(model->facetnorms);
    std::free(model->faces);
    for (unsigned i = 0; i < model->materialCount; i++) {
        std::free(model->materialTable[i].name);
        std::free(model->materialTable[i].keptStatements);
    }
    std::free(model->materialTable);
    for (GlmFaceGroup* group = model->groupList; group;) {
        GlmFaceGroup* next = group->next;
        std::free(group->name);
        std::free(group->faceList);
        std::free(group);
        group = next;
    }
    std::free(model->colors);
    for (unsigned i = 0; i < model->objectRunCount; i++)
        std::free(model->objectRuns[i].name);
    std::free(model->objectRuns);
    std::free(model->smoothingRuns);
    std::free(model->lines);
    std::free(model->lineVertexRefs);
    std::free(model->lineUvRefs);
    std::free(model->pointVertexRefs);
    std::free(model);
}

namespace {

// Clears `flag` from the mode with a warning when the mode has it and
// `unmet` holds.
void drop(unsigned& mode, unsigned flag, bool unmet, const char* warning)
{
    if ((mode & flag) && unmet) {
        glmMessage(stdout, "%s", warning);
        mode &= ~flag;
    }
}

}  // namespace

unsigned glmAdjustMode(const GlmMesh* model, unsigned mode, const char* const warnings[7])
{
    drop(mode, MODE_FLAT, !model->facetnorms, warnings[0]);
    drop(mode, MODE_SMOOTH, !model->normals, warnings[1]);
    drop(mode, MODE_TEXTURE, !model->uvs, warnings[2]);
    drop(mode, MODE_FLAT, mode & MODE_SMOOTH, warnings[3]);
    drop(mode, MODE_COLOR, !model->materialTable, warnings[4]);
    drop(mode, MODE_MATERIAL, !model->materialTable, warnings[5]);
    drop(mode, MODE_COLOR, mode & MODE_MATERIAL, warnings[6]);
    return mode;
}

bool glmCheckMesh(const GlmMesh* model, const char* operation, GlmError* error)
{
    return glmCheckParts(model, GLM_PARTS_ALL, operation, error);
}

bool glmCheckParts(const GlmMesh* model, unsigned parts, const char* operation, GlmError* error)
{
    if (!model)
        return glmFail(error, GLM_BAD_MODEL, "%s() failed: no model.\n", operation);
    const struct {
        const void* array;
        unsigned count;
        const char* what;
    } arrays[] = {{model->vertices, model->vertexCount, "positions"},
                  {model->normals, model->normalCount, "normals"},
                  {model->uvs, model->uvCount, "texture coordinates"},
                  {model->facetnorms, model->facetnormCount, "facet normals"},
                  {model->faces, model->faceCount, "faces"},
                  {model->materialTable, model->materialCount, "materials"}};
    for (const auto& a : arrays)
        if (a.count && !a.array && (parts & GLM_PARTS_ALL) == GLM_PARTS_ALL)
            return glmFail(error, GLM_BAD_MODEL, "%s() failed: the model counts %u %s and has no array of them.\n",
                           operation, a.count, a.what);
    // The kinds of reference a face corner holds, with the highest each may be.
    const char* const kinds[] = {"vertex", "texture coordinate", "normal", "facet normal"};
    const unsigned highest[] = {model->vertexCount, model->uvCount, model->normalCount, model->facetnormCount};
    const bool checked[] = {(parts & GLM_PARTS_VERTICES) != 0, (parts & GLM_PARTS_CORNERS) != 0,
                            (parts & GLM_PARTS_CORNERS) != 0, (parts & GLM_PARTS_FACETS) != 0};
    if ((parts & (GLM_PARTS_VERTICES | GLM_PARTS_CORNERS | GLM_PARTS_FACETS | GLM_PARTS_GROUPS)) && model->faceCount &&
        !model->faces)
        return glmFail(error, GLM_BAD_MODEL, "%s() failed: the model counts %u faces and has no array of them.\n",
                       operation, model->faceCount);
    if ((parts & GLM_PARTS_VERTICES) && model->vertexCount && !model->vertices)
        return glmFail(error, GLM_BAD_MODEL, "%s() failed: the model counts %u positions and has no array of them.\n",
                       operation, model->vertexCount);
    for (unsigned i = 0; i < model->faceCount && (checked[0] || checked[1] || checked[3]); i++) {
        const GlmFace& f = model->faces[i];
        for (int c = 0; c < 3; c++) {
            const unsigned refs[] = {f.vertexRefs[c], f.uvRefs[c], f.normalRefs[c], f.facetnormRef};
            for (int k = 0; k < 4; k++)
                if (checked[k] && (refs[k] > highest[k] || (k == 0 && refs[k] == 0)))
                    return glmFail(error, GLM_BAD_MODEL, "%s() failed: face %u corner %d names %s %u of %u.\n",
                                   operation, i, c, kinds[k], refs[k], highest[k]);
        }
    }
    for (const GlmFaceGroup* g = model->groupList; g && (parts & GLM_PARTS_GROUPS); g = g->next) {
        if (g->faceCount && !g->faceList)
            return glmFail(error, GLM_BAD_MODEL, "%s() failed: group \"%s\" counts %u faces and has no list.\n",
                           operation, g->name ? g->name : "", g->faceCount);
        for (unsigned k = 0; k < g->faceCount; k++)
            if (g->faceList[k] >= model->faceCount)
                return glmFail(error, GLM_BAD_MODEL, "%s() failed: group \"%s\" names face %u of %u.\n", operation,
                               g->name ? g->name : "", g->faceList[k], model->faceCount);
        if ((parts & GLM_PARTS_MATERIALS) && model->materialTable && g->materialIndex >= model->materialCount)
            return glmFail(error, GLM_BAD_MODEL, "%s() failed: group \"%s\" names material %u of %u.\n", operation,
                           g->name ? g->name : "", g->materialIndex, model->materialCount);
    }
    if (!(parts & GLM_PARTS_LINES))
        return glmSucceed(error);
    if (model->lineCount && (!model->lines || (model->lineRefCount && !model->lineVertexRefs)))
        return glmFail(error, GLM_BAD_MODEL, "%s() failed: the model counts %u lines and has no array of them.\n",
                       operation, model->lineCount);
    for (unsigned i = 0; i < model->lineCount; i++)
        if (model->lines[i].first > model->lineRefCount ||
            model->lines[i].count > model->lineRefCount - model->lines[i].first)
            return glmFail(error, GLM_BAD_MODEL, "%s() failed: line %u reaches past the line references.\n", operation,
                           i);
    for (unsigned r = 0; model->lineVertexRefs && r < model->lineRefCount; r++) {
        const unsigned v = model->lineVertexRefs[r], t = model->lineUvRefs ? model->lineUvRefs[r] : 0;
        if (v == 0 || v > model->vertexCount || t > model->uvCount)
            return glmFail(error, GLM_BAD_MODEL, "%s() failed: line reference %u names vertex %u of %u.\n", operation,
                           r, v, model->vertexCount);
    }
    if (model->pointCount && !model->pointVertexRefs)
        return glmFail(error, GLM_BAD_MODEL, "%s() failed: the model counts %u points and has no array of them.\n",
                       operation, model->pointCount);
    for (unsigned i = 0; i < model->pointCount; i++)
        if (model->pointVertexRefs[i] == 0 || model->pointVertexRefs[i] > model->vertexCount)
            return glmFail(error, GLM_BAD_MODEL, "%s() failed: point %u names vertex %u of %u.\n", operation, i,
                           model->pointVertexRefs[i], model->vertexCount);
    return glmSucceed(error);
}

bool glmSucceed(GlmError* error)
{
    if (error) {
        error->status = GLM_OK;
        error->message[0] = '\0';
    }
    return true;
}
