#include "tests/support/mesh_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

void addGroup(GlmMesh* model, const GroupSpec& group)
{
    GlmFaceGroup* g = glmEnsureGroup(model, group.name);
    g->faceCount = static_cast<unsigned>(group.faces.size());
    g->faceList = static_cast<unsigned*>(std::malloc((group.faces.size() + 1) * sizeof(unsigned)));
    std::copy(group.faces.begin(), group.faces.end(), g->faceList);
    g->materialIndex = group.materialIndex;
}

}  // namespace

GlmMesh* makeMesh(const std::vector<float>& xyz, const std::vector<unsigned>& triangles,
                  std::initializer_list<GroupSpec> groups)
{
    auto* model = static_cast<GlmMesh*>(std::calloc(1, sizeof(GlmMesh)));
    model->sourcePath = static_cast<char*>(std::calloc(1, 1));
    model->vertexCount = static_cast<unsigned>(xyz.size() / 3);
    model->vertices = static_cast<float*>(std::calloc(xyz.size() + 3, sizeof(float)));
    std::copy(xyz.begin(), xyz.end(), model->vertices + 3);
    model->faceCount = static_cast<unsigned>(triangles.size() / 3);
    model->faces = static_cast<GlmFace*>(std::calloc(model->faceCount + 1, sizeof(GlmFace)));
    std::vector<unsigned> all;
    for (unsigned i = 0; i < model->faceCount; ++i) {
        for (int k = 0; k < 3; ++k)
            model->faces[i].vertexRefs[k] = triangles[3 * i + k];
        all.push_back(i);
    }
    if (groups.size() == 0)
        addGroup(model, {"default", all, 0});
    for (const GroupSpec& group : groups)
        addGroup(model, group);
    return model;
}

void addMaterials(GlmMesh* model, unsigned count)
{
    model->materialCount = count;
    model->materialTable = static_cast<GlmMtlEntry*>(std::calloc(count, sizeof(GlmMtlEntry)));
    for (unsigned i = 0; i < count; ++i) {
        GlmMtlEntry& m = model->materialTable[i];
        char name[16];
        if (i == 0) {
            std::strcpy(name, "default");
        } else {
            std::snprintf(name, sizeof name, "m%u", i);
        }
        m.name = strdup(name);
        float t = static_cast<float>(i + 1);
        float diffuse[4] = {0.25f * t, 0.5f, 0.125f * t, 1.0f};
        float ambient[4] = {0.125f, 0.0625f * t, 0.25f, 1.0f};
        float specular[4] = {0.5f, 0.5f, 0.125f * t, 0.75f};
        std::memcpy(m.diffuseColor, diffuse, sizeof diffuse);
        std::memcpy(m.ambientColor, ambient, sizeof ambient);
        std::memcpy(m.specularColor, specular, sizeof specular);
        m.specularExponent = 8.0f * t;
    }
}

float* copyFloats(const float* a, unsigned count, unsigned width)
{
    size_t n = size_t{width} * (size_t{count} + 1);
    auto* copy = static_cast<float*>(std::malloc(n * sizeof(float)));
    std::memcpy(copy, a, n * sizeof(float));
    return copy;
}

GlmMesh* makeUvSphere(unsigned stacks, unsigned slices)
{
    // Ring i: one pole copy per fan triangle at the poles, slices + 1
    // vertices (seam repeated) in between.
    auto ringStart = [&](unsigned i) { return i == 0 ? 0 : slices + (i - 1) * (slices + 1); };
    auto at = [&](unsigned i, unsigned j) { return ringStart(i) + j + 1; };
    std::vector<float> xyz;
    xyz.reserve((size_t{stacks + 1} * (slices + 1)) * 3);
    for (unsigned i = 0; i <= stacks; ++i) {
        const bool pole = i == 0 || i == stacks;
        double polar = M_PI * i / stacks;
        for (unsigned j = 0; j < (pole ? slices : slices + 1); ++j) {
            double azimuth = 2 * M_PI * (j % slices) / slices;
            if (pole) {
                xyz.insert(xyz.end(), {0.0f, i == 0 ? 1.0f : -1.0f, 0.0f});
            } else {
                xyz.push_back(static_cast<float>(std::sin(polar) * std::cos(azimuth)));
                xyz.push_back(static_cast<float>(std::cos(polar)));
                xyz.push_back(static_cast<float>(std::sin(polar) * std::sin(azimuth)));
            }
        }
    }
    std::vector<unsigned> tris;
    std::vector<unsigned> quarter[4];
    tris.reserve(size_t{stacks} * slices * 6);
    for (unsigned i = 0; i < stacks; ++i) {
        for (unsigned j = 0; j < slices; ++j) {
            unsigned q = 4 * j / slices;
            if (i == 0) {
                quarter[q].push_back(static_cast<unsigned>(tris.size() / 3));
                tris.insert(tris.end(), {at(0, j), at(1, j + 1), at(1, j)});
            } else if (i == stacks - 1) {
                quarter[q].push_back(static_cast<unsigned>(tris.size() / 3));
                tris.insert(tris.end(), {at(i, j), at(i, j + 1), at(stacks, j)});
            } else {
                quarter[q].push_back(static_cast<unsigned>(tris.size() / 3));
                tris.insert(tris.end(), {at(i, j), at(i, j + 1), at(i + 1, j + 1)});
                quarter[q].push_back(static_cast<unsigned>(tris.size() / 3));
                tris.insert(tris.end(), {at(i, j), at(i + 1, j + 1), at(i + 1, j)});
            }
        }
    }
    return makeMesh(xyz, tris,
                    {{"default", {}, 0},
                     {"q0", quarter[0], 0},
                     {"q1", quarter[1], 0},
                     {"q2", quarter[2], 0},
                     {"q3", quarter[3], 0}});
}

GlmMesh* makeFlatGrid(unsigned w, unsigned h)
{
    std::vector<float> xyz;
    for (unsigned z = 0; z <= h; ++z) {
        for (unsigned x = 0; x <= w; ++x)
            xyz.insert(xyz.end(), {float(x), 0.0f, float(z)});
    }
    auto at = [&](unsigned x, unsigned z) { return z * (w + 1) + x + 1; };
    std::vector<unsigned> tris;
    for (unsigned z = 0; z < h; ++z) {
        for (unsigned x = 0; x < w; ++x) {
            tris.insert(tris.end(), {at(x, z), at(x, z + 1), at(x + 1, z + 1)});
            tris.insert(tris.end(), {at(x, z), at(x + 1, z + 1), at(x + 1, z)});
        }
    }
    return makeMesh(xyz, tris);
}
