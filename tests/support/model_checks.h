// Soundness of a model read from hostile text, shared by the tests and the
// OBJ fuzz target.
#pragma once

#include <cstddef>
#include <cstring>
#include <vector>

#include "model/glm.h"

// Every reference lies within its array (0 only for a kind the face's form
// does not carry), every group's material exists, and the groups' face lists
// name every face exactly once.
inline bool soundModel(const GlmMesh* m)
{
    for (unsigned i = 0; i < m->faceCount; ++i) {
        const GlmFace& f = m->faces[i];
        for (int k = 0; k < 3; ++k)
            if (f.vertexRefs[k] < 1 || f.vertexRefs[k] > m->vertexCount || f.normalRefs[k] > m->normalCount ||
                f.uvRefs[k] > m->uvCount)
                return false;
    }
    std::vector<unsigned char> seen(m->faceCount, 0);
    for (const GlmFaceGroup* g = m->groupList; g; g = g->next) {
        if (m->materialTable ? g->materialIndex >= m->materialCount : g->materialIndex != 0)
            return false;
        for (unsigned i = 0; i < g->faceCount; ++i)
            if (g->faceList[i] >= m->faceCount || seen[g->faceList[i]]++)
                return false;
    }
    for (unsigned char s : seen)
        if (!s)
            return false;
    // What the model keeps without acting on it: references in range, runs
    // in increasing face order.
    for (unsigned i = 0; i < m->lineRefCount; ++i)
        if (m->lineVertexRefs[i] < 1 || m->lineVertexRefs[i] > m->vertexCount ||
            (m->lineUvRefs && m->lineUvRefs[i] > m->uvCount))
            return false;
    for (unsigned i = 0; i < m->lineCount; ++i)
        if (m->lines[i].first + m->lines[i].count > m->lineRefCount)
            return false;
    for (unsigned i = 0; i < m->pointCount; ++i)
        if (m->pointVertexRefs[i] < 1 || m->pointVertexRefs[i] > m->vertexCount)
            return false;
    for (unsigned i = 0; i < m->objectRunCount; ++i)
        if (m->objectRuns[i].firstFace > m->faceCount ||
            (i && m->objectRuns[i].firstFace <= m->objectRuns[i - 1].firstFace))
            return false;
    for (unsigned i = 0; i < m->smoothingRunCount; ++i)
        if (m->smoothingRuns[i].firstFace > m->faceCount ||
            (i && m->smoothingRuns[i].firstFace <= m->smoothingRuns[i - 1].firstFace))
            return false;
    return true;
}

// True when two models keep the same colours, object and smoothing runs,
// lines and points.
inline bool sameKeptStatements(const GlmMesh* a, const GlmMesh* b)
{
    auto same = [](const void* x, const void* y, std::size_t bytes) {
        return (!x && !y) || (x && y && std::memcmp(x, y, bytes) == 0);
    };
    if (a->objectRunCount != b->objectRunCount || a->smoothingRunCount != b->smoothingRunCount ||
        a->lineCount != b->lineCount || a->lineRefCount != b->lineRefCount || a->pointCount != b->pointCount ||
        a->vertexCount != b->vertexCount)
        return false;
    for (unsigned i = 0; i < a->objectRunCount; ++i)
        if (a->objectRuns[i].firstFace != b->objectRuns[i].firstFace ||
            std::strcmp(a->objectRuns[i].name, b->objectRuns[i].name) != 0)
            return false;
    return same(a->colors, b->colors, sizeof(float) * 3 * (a->vertexCount + 1)) &&
           same(a->smoothingRuns, b->smoothingRuns, sizeof(GlmSmoothingRun) * a->smoothingRunCount) &&
           same(a->lines, b->lines, sizeof(GlmPolyline) * a->lineCount) &&
           same(a->lineVertexRefs, b->lineVertexRefs, sizeof(unsigned) * a->lineRefCount) &&
           same(a->lineUvRefs, b->lineUvRefs, sizeof(unsigned) * a->lineRefCount) &&
           same(a->pointVertexRefs, b->pointVertexRefs, sizeof(unsigned) * a->pointCount);
}
