// objtool info: what a model holds, as text or as one JSON object.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

#include "tools/objtool/objtool.h"

namespace {

// A float as the shortest decimal that reads back to it, so JSON shows 0.1
// rather than the double nearest the float 0.1.
double tidy(float value)
{
    char text[32];
    auto result = std::to_chars(text, text + sizeof text - 1, value);
    *result.ptr = '\0';
    return std::strtod(text, nullptr);
}

// The groups in the order the file named them: the list keeps the newest
// first and "default" last.
std::vector<const GlmFaceGroup*> groupsInFileOrder(const GlmMesh* model)
{
    std::vector<const GlmFaceGroup*> groups;
    for (const GlmFaceGroup* g = model->groupList; g; g = g->next)
        groups.push_back(g);
    return {groups.rbegin(), groups.rend()};
}

const char* materialName(const GlmMesh* model, unsigned index)
{
    if (!model->materialTable || index >= model->materialCount)
        return nullptr;
    return model->materialTable[index].name ? model->materialTable[index].name : "";
}

// Object names in the order they first appear, each once.
std::vector<std::string> objectNames(const GlmMesh* model)
{
    std::vector<std::string> names;
    for (unsigned i = 0; model->objectRuns && i < model->objectRunCount; i++) {
        std::string name = model->objectRuns[i].name ? model->objectRuns[i].name : "";
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

// The distinct smoothing groups other than 0 ("s off").
std::vector<unsigned> smoothingGroups(const GlmMesh* model)
{
    std::set<unsigned> groups;
    for (unsigned i = 0; model->smoothingRuns && i < model->smoothingRunCount; i++)
        if (model->smoothingRuns[i].group)
            groups.insert(model->smoothingRuns[i].group);
    return {groups.begin(), groups.end()};
}

unsigned colourCount(const GlmMesh* model) { return model->colors ? model->vertexCount : 0; }

nlohmann::json describe(const std::string& path, const GlmMesh* model, const std::vector<std::string>& warnings)
{
    nlohmann::json out;
    out["file"] = path;
    out["vertices"] = model->vertexCount;
    out["normals"] = model->normalCount;
    out["texcoords"] = model->uvCount;
    out["facetNormals"] = model->facetnormCount;
    out["triangles"] = model->faceCount;
    out["groupCount"] = model->groupCount;
    out["materialCount"] = model->materialCount;
    out["objectCount"] = objectNames(model).size();
    out["objects"] = objectNames(model);
    out["smoothingGroupCount"] = smoothingGroups(model).size();
    out["smoothingGroups"] = smoothingGroups(model);
    out["lines"] = model->lineCount;
    out["points"] = model->pointCount;
    out["vertexColors"] = colourCount(model);
    out["materialLibrary"] = model->materialLibrary ? nlohmann::json(model->materialLibrary) : nlohmann::json(nullptr);
    float min[3], max[3];
    if (boundingBox(model, min, max)) {
        nlohmann::json box;
        for (int k = 0; k < 3; k++) {
            box["min"].push_back(tidy(min[k]));
            box["max"].push_back(tidy(max[k]));
            box["extents"].push_back(tidy(max[k] - min[k]));
            box["centre"].push_back(tidy((max[k] + min[k]) / 2));
        }
        out["bounds"] = box;
    } else {
        out["bounds"] = nullptr;
    }
    out["groups"] = nlohmann::json::array();
    for (const GlmFaceGroup* g : groupsInFileOrder(model)) {
        const char* material = materialName(model, g->materialIndex);
        out["groups"].push_back({{"name", g->name ? g->name : ""},
                                 {"triangles", g->faceCount},
                                 {"material", material ? nlohmann::json(material) : nlohmann::json(nullptr)}});
    }
    out["materials"] = nlohmann::json::array();
    for (unsigned i = 0; model->materialTable && i < model->materialCount; i++)
        out["materials"].push_back(materialName(model, i));
    out["warnings"] = warnings;
    return out;
}

void printText(const std::string& path, const GlmMesh* model, const std::vector<std::string>& warnings)
{
    std::printf("file:                %s\n", path.c_str());
    std::printf("vertices:            %u\n", model->vertexCount);
    std::printf("normals:             %u\n", model->normalCount);
    std::printf("texture coordinates: %u\n", model->uvCount);
    std::printf("facet normals:       %u\n", model->facetnormCount);
    std::printf("triangles:           %u\n", model->faceCount);
    std::printf("groups:              %u\n", model->groupCount);
    std::printf("materials:           %u\n", model->materialCount);
    std::printf("objects:             %zu\n", objectNames(model).size());
    std::printf("smoothing groups:    %zu\n", smoothingGroups(model).size());
    std::printf("lines:               %u\n", model->lineCount);
    std::printf("points:              %u\n", model->pointCount);
    std::printf("vertex colours:      %u\n", colourCount(model));
    std::printf("material library:    %s\n", model->materialLibrary ? model->materialLibrary : "none");
    float min[3], max[3];
    if (boundingBox(model, min, max)) {
        std::printf("bounds:              %g %g %g to %g %g %g\n", min[0], min[1], min[2], max[0], max[1], max[2]);
        std::printf("extents:             %g %g %g\n", max[0] - min[0], max[1] - min[1], max[2] - min[2]);
        std::printf("centre:              %g %g %g\n", (min[0] + max[0]) / 2, (min[1] + max[1]) / 2,
                    (min[2] + max[2]) / 2);
    }
    std::printf("\n%-24s %10s  %s\n", "group", "triangles", "material");
    for (const GlmFaceGroup* g : groupsInFileOrder(model)) {
        const char* material = materialName(model, g->materialIndex);
        std::printf("%-24s %10u  %s\n", ("\"" + std::string(g->name ? g->name : "") + "\"").c_str(), g->faceCount,
                    material ? material : "-");
    }
    if (!warnings.empty()) {
        std::printf("\nwarnings:\n");
        for (const std::string& line : warnings)
            std::printf("  %s\n", line.c_str());
    }
}

}  // namespace

int commandInfo(int argc, char** argv)
{
    bool json = false;
    const char* path = nullptr;
    const std::vector<Option> options = {
        {"--json", nullptr,
         [&](const char*, std::string*) {
             json = true;
             return true;
         }},
    };
    if (!parseArguments("info", argc, argv, options, MissingValue::SAY_MISSING, oneModel(&path)))
        return EXIT_USAGE;
    if (!path) {
        fail("info: no model given (objtool info FILE.obj [--json])");
        return EXIT_USAGE;
    }
    std::vector<std::string> warnings;
    GlmMesh* model = loadModel(path, &warnings);
    if (!model)
        return EXIT_FAILED;
    if (json) {
        // Names and warnings come from the file and need not be UTF-8.
        std::string text =
            describe(path, model, warnings).dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
        std::printf("%s\n", text.c_str());
    } else {
        printText(path, model, warnings);
    }
    glmDestroy(model);
    return std::fflush(stdout) == 0 ? EXIT_OK : EXIT_FAILED;
}
