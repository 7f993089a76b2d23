// OBJ reader: what the "mtllib", "g", "usemtl", "o" and "s" statements make
// of the model, from their events in file order once the text is read.
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/glm_internal.h"
#include "model/glm_obj_reader.h"

namespace glmobj {

bool loadLibraries(Job& job, const GlmReadOptions& options, const char* upTo, GlmReadError* error)
{
    for (const Event& event : job.whole.events) {
        if (event.kind != EventKind::MaterialLibrary || event.position >= upTo)
            continue;
        std::string name(event.text);
        std::free(job.model->materialLibrary);
        job.model->materialLibrary = glmCopyText(name.c_str());
        GlmMaterialLoader load = options.loadMaterials ? options.loadMaterials : glmLoadMTL;
        if (!load(job.model, name.c_str(), options.loaderContext, error))
            return false;
    }
    return true;
}

bool buildGroups(Job& job, std::vector<const Event*>& unknownMaterials, GlmReadError* error)
{
    GlmMesh* model = job.model;
    std::string name;
    // Walks the stretches of faces between group lines: faces [from, to)
    // belong to `group`; each "g" starts a stretch, the text's end ends one.
    auto forEachStretch = [&](auto&& stretch, auto&& onEvent) {
        GlmFaceGroup* group = glmAddGroup(model, "default");
        std::uint64_t from = 0;
        for (const Event& event : job.whole.events) {
            if (event.kind == EventKind::Group) {
                stretch(group, from, event.face);
                from = event.face;
                name.assign(event.text);
                group = glmAddGroup(model, name.c_str());
            }
            onEvent(group, event);
        }
        stretch(group, from, model->faceCount);
    };
    auto ignore = [](GlmFaceGroup*, const Event&) {};

    // Each group's faces, then its list (unless the first of the stream
    // passes made it), then the lists filled in file order.
    for (GlmFaceGroup* g = model->groupList; g; g = g->next)
        g->faceCount = 0;
    forEachStretch([](GlmFaceGroup* g, std::uint64_t from, std::uint64_t to) { g->faceCount += unsigned(to - from); },
                   ignore);
    for (GlmFaceGroup* g = model->groupList; g; g = g->next) {
        if (g->faceList || !g->faceCount)
            continue;
        g->faceList = static_cast<unsigned*>(std::malloc(sizeof(unsigned) * g->faceCount));
        if (!g->faceList) {
            setError(error, GLM_READ_NO_MEMORY,
                     "glmReadOBJ() failed: out of memory: can't allocate the face list of group \"%s\" (%zu bytes).\n",
                     g->name, sizeof(unsigned) * g->faceCount);
            return false;
        }
    }
    for (GlmFaceGroup* g = model->groupList; g; g = g->next)
        g->faceCount = 0;
    // A group's material is the one current at its last "g" or "usemtl" line.
    unsigned material = 0;
    forEachStretch(
        [](GlmFaceGroup* g, std::uint64_t from, std::uint64_t to) {
            for (auto face = static_cast<unsigned>(from); face < to; face++)
                g->faceList[g->faceCount++] = face;
        },
        [&](GlmFaceGroup* group, const Event& event) {
            if (event.kind == EventKind::Group) {
                group->materialIndex = material;
            } else if (event.kind == EventKind::UseMaterial) {
                name.assign(event.text);
                material = 0;
                bool found = false;
                for (unsigned i = 0; i < model->materialCount && !found; i++)
                    if (model->materialTable[i].name && name == model->materialTable[i].name)
                        material = i, found = true;
                if (!found)
                    unknownMaterials.push_back(&event);
                group->materialIndex = material;
            }
        });
    return true;
}

namespace {

// A run list changes only where its value does: a statement before the same
// face as the last one replaces it, and one that repeats the value in
// force (`initial` before the first) is no change.
template <class Value>
void record(std::vector<std::pair<std::uint64_t, Value>>& runs, std::uint64_t face, Value value, Value initial)
{
    if (!runs.empty() && runs.back().first == face)
        runs.pop_back();
    if (value != (runs.empty() ? initial : runs.back().second))
        runs.emplace_back(face, value);
}

// "s 4" is group 4; "s off", "s 0" and a word that is no number (or too
// large) are 0.
unsigned smoothingGroup(std::string_view word)
{
    unsigned group = 0;
    auto [end, failed] = std::from_chars(word.data(), word.data() + word.size(), group);
    return failed == std::errc() && end == word.data() + word.size() ? group : 0;
}

}  // namespace

void buildRuns(Job& job)
{
    std::vector<std::pair<std::uint64_t, std::string_view>> objects;
    std::vector<std::pair<std::uint64_t, unsigned>> smoothing;
    for (const Event& event : job.whole.events) {
        if (event.kind == EventKind::Object)
            record(objects, event.face, event.text, std::string_view{});
        else if (event.kind == EventKind::Smoothing)
            record(smoothing, event.face, smoothingGroup(event.text), 0u);
    }
    GlmMesh* model = job.model;
    if (!objects.empty()) {
        model->objectRuns = glmAllocArray<GlmObjectRun>(objects.size(), "the object runs");
        for (const auto& [face, name] : objects)
            model->objectRuns[model->objectRunCount++] = {static_cast<unsigned>(face),
                                                          glmCopyText(name.data(), name.size())};
    }
    if (!smoothing.empty()) {
        model->smoothingRuns = glmAllocArray<GlmSmoothingRun>(smoothing.size(), "the smoothing runs");
        for (const auto& [face, group] : smoothing)
            model->smoothingRuns[model->smoothingRunCount++] = {static_cast<unsigned>(face), group};
    }
}

}  // namespace glmobj
