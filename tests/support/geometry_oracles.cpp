#include "tests/support/geometry_oracles.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void mergeVerticesOracle(GlmMesh* model, float epsilon)
{
    const unsigned count = model->vertexCount;
    auto* kept = static_cast<float*>(std::malloc(3 * (size_t{count} + 1) * sizeof(float)));
    auto* newNumber = static_cast<unsigned*>(std::malloc((size_t{count} + 1) * sizeof(unsigned)));
    unsigned keptCount = 0;
    for (unsigned i = 1; i <= count; ++i) {
        const float* p = &model->vertices[3 * i];
        unsigned j = 1;
        while (j <= keptCount && !glmNearlyEqual(&kept[3 * j], p, epsilon))
            ++j;
        if (j > keptCount) {
            j = ++keptCount;
            std::memcpy(&kept[3 * j], p, 3 * sizeof(float));
        }
        newNumber[i] = j;
    }
    for (unsigned f = 0; f < model->faceCount; ++f) {
        for (unsigned& ref : model->faces[f].vertexRefs)
            ref = newNumber[ref];
    }
    std::free(newNumber);
    std::free(model->vertices);
    model->vertexCount = keptCount;
    model->vertices = static_cast<float*>(std::realloc(kept, 3 * (size_t{keptCount} + 1) * sizeof(float)));
}

namespace {

struct Link {
    unsigned faceIndex;
    bool inAverage;
    Link* next;
};

}  // namespace

void vertexNormalsOracle(GlmMesh* model, float angle)
{
    float threshold = static_cast<float>(std::cos(static_cast<double>(angle * 3.14159274f / 180.0f)));
    std::free(model->normals);
    auto* normals = static_cast<float*>(std::malloc(3 * (3 * size_t{model->faceCount} + 1) * sizeof(float)));
    auto** heads = static_cast<Link**>(std::calloc(model->vertexCount + 1, sizeof(Link*)));
    for (unsigned i = 0; i < model->faceCount; ++i) {
        for (unsigned v : model->faces[i].vertexRefs) {
            auto* link = static_cast<Link*>(std::malloc(sizeof(Link)));
            *link = Link{i, false, heads[v]};
            heads[v] = link;
        }
    }
    auto facet = [&](unsigned face) { return &model->facetnorms[3 * model->faces[face].facetnormRef]; };
    unsigned next = 1;
    for (unsigned v = 1; v <= model->vertexCount; ++v) {
        if (!heads[v]) {
            std::fputs("glmVertexNormals(): vertex w/o a triangle\n", stderr);
            continue;
        }
        const float* reference = facet(heads[v]->faceIndex);
        float sum[3] = {0, 0, 0};
        bool any = false;
        for (Link* l = heads[v]; l; l = l->next) {
            const float* n = facet(l->faceIndex);
            l->inAverage = glmDotProduct(n, reference) > threshold;
            if (l->inAverage) {
                any = true;
                for (int k = 0; k < 3; ++k)
                    sum[k] += n[k];
            }
        }
        unsigned average = 0;
        if (any) {
            glmMakeUnit(sum);
            std::memcpy(&normals[3 * next], sum, sizeof sum);
            average = next++;
        }
        for (Link* l = heads[v]; l; l = l->next) {
            GlmFace& f = model->faces[l->faceIndex];
            int corner = f.vertexRefs[0] == v ? 0 : f.vertexRefs[1] == v ? 1 : 2;
            if (l->inAverage) {
                f.normalRefs[corner] = average;
            } else {
                std::memcpy(&normals[3 * next], facet(l->faceIndex), 3 * sizeof(float));
                f.normalRefs[corner] = next++;
            }
        }
    }
    for (unsigned v = 0; v <= model->vertexCount; ++v) {
        for (Link* l = heads[v]; l;) {
            Link* n = l->next;
            std::free(l);
            l = n;
        }
    }
    std::free(heads);
    model->normalCount = next - 1;
    model->normals = static_cast<float*>(std::realloc(normals, 3 * size_t{next} * sizeof(float)));
}
