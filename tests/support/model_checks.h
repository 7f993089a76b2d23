// Soundness of a model read from hostile text, shared by the tests and the
// OBJ fuzz target.
#pragma once

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
    return true;
}
