// OBJ reader: groups, materials and the sizes of the arrays, worked out
// between the counting and the filling pass from the chunks' counts and
// events.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/glm_internal.h"
#include "model/glm_obj_reader.h"

namespace glmobj {

// Material libraries in file order, then the first unknown token.
bool loadLibraries(Job& job, const GlmReadOptions& options, GlmReadError* error)
{
    std::size_t failed = firstFailedChunk(job);
    for (std::size_t i = 0; i < job.chunks.size() && i <= failed; i++) {
        for (const Event& event : job.chunks[i].events) {
            if (event.kind != EventKind::MaterialLibrary)
                continue;
            std::string name(event.text);
            std::free(job.model->materialLibrary);
            job.model->materialLibrary = glmCopyText(name.c_str());
            GlmMaterialLoader load = options.loadMaterials ? options.loadMaterials : glmLoadMTL;
            if (!load(job.model, name.c_str(), options.loaderContext, error))
                return false;
        }
    }
    if (failed < job.chunks.size()) {
        setError(error, GLM_READ_UNKNOWN_TOKEN, "glmFirstPass(): Unknown token \"%s\".\n",
                 job.chunks[failed].errorText.c_str());
        return false;
    }
    return true;
}

// Totals and each chunk's first entry numbers.
bool sumCounts(Job& job, GlmReadError* error)
{
    std::uint64_t v = 0, n = 0, t = 0, f = 0;
    for (Chunk& ch : job.chunks) {
        ch.vertexBase = v, ch.normalBase = n, ch.uvBase = t, ch.faceBase = f;
        v += ch.vertices, n += ch.normals, t += ch.uvs, f += ch.faces;
    }
    const std::uint64_t limit = UINT_MAX - 1;
    if (v > limit || n > limit || t > limit || f > limit) {
        setError(error, GLM_READ_CANT_OPEN, "glmReadOBJ() failed: \"%s\" holds too many entries.\n", pathText(job));
        return false;
    }
    GlmMesh* model = job.model;
    model->vertexCount = static_cast<unsigned>(v);
    model->normalCount = static_cast<unsigned>(n);
    model->uvCount = static_cast<unsigned>(t);
    model->faceCount = static_cast<unsigned>(f);
    return true;
}

namespace {

// Step one of placeGroups: gives every chunk its segments (the group of the
// faces before its first group line, then one per group line) and returns
// the faces of every segment, all chunks in order.  False when `create` is
// off and a group does not exist.
bool findSegmentGroups(Job& job, bool create, std::vector<std::uint64_t>& stretch)
{
    GlmMesh* model = job.model;
    GlmFaceGroup* current = create ? glmEnsureGroup(model, "default") : glmGroupByName(model, "default");
    if (!current)
        return false;
    std::string name;
    for (Chunk& ch : job.chunks) {
        ch.segments.assign(1, Segment{current, nullptr});
        std::uint64_t before = 0;
        for (const Event& event : ch.events) {
            if (event.kind != EventKind::Group)
                continue;
            stretch.push_back(event.facesBefore - before);
            before = event.facesBefore;
            name.assign(event.text);
            current = create ? glmEnsureGroup(model, name.c_str()) : glmGroupByName(model, name.c_str());
            if (!current)
                return false;
            ch.segments.push_back(Segment{current, nullptr});
        }
        stretch.push_back(ch.faces - before);
    }
    return true;
}

// Step two: sums each group's faces, allocates the face lists when
// `create`, and points every segment at its first slot in its group's list.
bool reserveFaceSlots(Job& job, bool create, const std::vector<std::uint64_t>& stretch, GlmReadError* error)
{
    GlmMesh* model = job.model;
    for (GlmFaceGroup* g = model->groupList; g; g = g->next)
        g->faceCount = 0;
    std::size_t s = 0;
    for (Chunk& ch : job.chunks)
        for (Segment& seg : ch.segments)
            seg.group->faceCount += static_cast<unsigned>(stretch[s++]);
    if (create) {
        for (GlmFaceGroup* g = model->groupList; g; g = g->next) {
            std::free(g->faceList);
            g->faceList = nullptr;
            if (!g->faceCount)
                continue;
            g->faceList = static_cast<unsigned*>(std::malloc(sizeof(unsigned) * g->faceCount));
            if (!g->faceList) {
                setError(error, GLM_READ_NO_MEMORY,
                         "glmReadOBJ() failed: out of memory: can't allocate the face list of group \"%s\" (%zu "
                         "bytes).\n",
                         g->name, sizeof(unsigned) * g->faceCount);
                return false;
            }
        }
    }
    for (GlmFaceGroup* g = model->groupList; g; g = g->next)
        g->faceCount = 0;
    s = 0;
    for (Chunk& ch : job.chunks)
        for (Segment& seg : ch.segments) {
            seg.next = seg.group->faceList + seg.group->faceCount;
            seg.group->faceCount += static_cast<unsigned>(stretch[s++]);
        }
    return true;
}

}  // namespace

bool placeGroups(Job& job, bool create, GlmReadError* error)
{
    std::vector<std::uint64_t> stretch;  // faces per segment, all chunks in order
    if (!findSegmentGroups(job, create, stretch)) {
        setError(error, GLM_READ_CANT_OPEN,
                 "glmFillPass() failed: the stream does not hold the text the first pass counted.\n");
        return false;
    }
    return reserveFaceSlots(job, create, stretch, error);
}

// The material of every group: the one current at its last group or
// "usemtl" line.  Returns the "usemtl" lines naming unknown materials.
std::vector<const Event*> assignMaterials(Job& job)
{
    GlmMesh* model = job.model;
    std::vector<const Event*> unknown;
    unsigned material = 0;
    std::string name;
    for (Chunk& ch : job.chunks) {
        std::size_t segment = 0;
        GlmFaceGroup* group = ch.segments[0].group;
        for (const Event& event : ch.events) {
            if (event.kind == EventKind::Group) {
                group = ch.segments[++segment].group;
                group->materialIndex = material;
            } else if (event.kind == EventKind::UseMaterial) {
                name.assign(event.text);
                material = 0;
                bool found = false;
                for (unsigned i = 0; i < model->materialCount && !found; i++)
                    if (model->materialTable[i].name && name == model->materialTable[i].name)
                        material = i, found = true;
                if (!found)
                    unknown.push_back(&event);
                group->materialIndex = material;
            }
        }
    }
    return unknown;
}

}  // namespace glmobj
