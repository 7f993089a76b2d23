// The model record's companions: vector helpers, group and material
// look-ups, and the release of a whole model.
#include "model/glm.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "model/glm_internal.h"

extern "C" char* program_invocation_short_name;

void glmCheckFailed(const char* expression, unsigned line, const char* function)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s: glm:%u: %s: Assertion `%s' failed.\n", program_invocation_short_name, line, function,
                 expression);
    std::abort();
}

void glmOutOfMemory(const char* what, std::size_t bytes)
{
    std::fflush(stdout);
    if (bytes)
        std::fprintf(stderr, "glm: out of memory: can't allocate %s (%zu bytes).\n", what, bytes);
    else
        std::fprintf(stderr, "glm: out of memory: can't allocate %s.\n", what);
    std::exit(1);
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
    char* text = static_cast<char*>(glmAllocate(static_cast<std::size_t>(length) + 1, "a message"));
    std::vsnprintf(text, static_cast<std::size_t>(length) + 1, format, again);
    va_end(again);
    messageHandler(stream, text, messageContext);
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
    if (GlmFaceGroup* found = glmGroupByName(model, name))
        return found;
    auto* group = static_cast<GlmFaceGroup*>(glmAllocate(sizeof(GlmFaceGroup), "a group"));
    group->name = glmCopyText(name);
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
