// What the C++ libraries make of models and pictures, as files the Python
// tests compare the solar_system module with.
//   python_reference_dump samples DIR        sample models and pictures into DIR
//   python_reference_dump model PATH DIR     glmLoadOBJ's arrays (or its error) into DIR
//   python_reference_dump image PATH OUT     the decoders' picture (or error) into OUT
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "image/image_core.h"
#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/files.h"
#include "tests/support/models.h"
#include "tests/support/samples.h"

namespace fs = std::filesystem;

namespace {

template <typename T>
void writeArray(const fs::path& path, const std::vector<T>& values)
{
    writeFileBytes(path, reinterpret_cast<const unsigned char*>(values.data()), values.size() * sizeof(T));
}

// Entries 1..count of a 1-based float array.
std::vector<float> entries(const float* array, unsigned count, unsigned width)
{
    if (!array)
        return {};
    return std::vector<float>(array + width, array + width * (std::size_t{count} + 1));
}

std::vector<std::int32_t> corners(const GlmMesh* model, unsigned (GlmFace::*member)[3])
{
    std::vector<std::int32_t> out;
    for (unsigned i = 0; i < model->faceCount; i++)
        for (unsigned ref : model->faces[i].*member)
            out.push_back(static_cast<std::int32_t>(ref) - 1);
    return out;
}

int dumpModel(const char* path, const fs::path& dir)
{
    fs::create_directories(dir);
    GlmReadError error;
    GlmMesh* model = glmLoadOBJ(path, nullptr, &error);
    if (!model) {
        writeFile(dir / "error.txt", std::to_string(error.kind) + "\n" + error.message);
        return 0;
    }
    writeArray(dir / "positions.bin", entries(model->vertices, model->vertexCount, 3));
    writeArray(dir / "normals.bin", entries(model->normals, model->normalCount, 3));
    writeArray(dir / "uvs.bin", entries(model->uvs, model->uvCount, 2));
    writeArray(dir / "triangles.bin", corners(model, &GlmFace::vertexRefs));
    writeArray(dir / "triangle_normals.bin", corners(model, &GlmFace::normalRefs));
    writeArray(dir / "triangle_uvs.bin", corners(model, &GlmFace::uvRefs));
    std::string groups;
    for (const GlmFaceGroup* g = model->groupList; g; g = g->next) {
        groups += std::string(g->name) + "\x1f" + std::to_string(g->materialIndex) + "\x1f";
        for (unsigned i = 0; i < g->faceCount; i++)
            groups += (i ? " " : "") + std::to_string(g->faceList[i]);
        groups += "\n";
    }
    writeFile(dir / "groups.txt", groups);
    glmDestroy(model);
    return 0;
}

int dumpImage(const char* path, const fs::path& out)
{
    Bytes bytes = readFileBytes(path);
    ImageRGB* picture = nullptr;
    const bool sgi =
        bytes.size() >= 2 && ((bytes[0] == 0x01 && bytes[1] == 0xDA) || (bytes[0] == 0xDA && bytes[1] == 0x01));
    ImageStatus status =
        sgi ? decodeRgb(bytes.data(), bytes.size(), &picture) : decodeDib(bytes.data(), bytes.size(), &picture);
    if (status != IMAGE_OK) {
        writeFile(out, std::string("error ") + imageStatusMessage(status) + "\n");
        return 0;
    }
    std::string header = std::to_string(picture->width) + " " + std::to_string(picture->height) + "\n";
    Bytes all(header.begin(), header.end());
    all.insert(all.end(), picture->pixels, picture->pixels + std::size_t{3} * picture->width * picture->height);
    writeFileBytes(out, all);
    std::free(picture->pixels);
    std::free(picture);
    return 0;
}

int writeSamples(const fs::path& dir)
{
    fs::create_directories(dir / "obj");
    fs::create_directories(dir / "random");
    fs::create_directories(dir / "hostile");
    fs::create_directories(dir / "images");
    for (const ObjSample& sample : objTexts()) {
        writeFile(dir / "obj" / (sample.name + ".obj"), sample.obj);
        // The library the text names, beside it under that name.
        const auto at = sample.obj.find("mtllib ");
        if (at != std::string::npos && !sample.mtl.empty()) {
            std::string name = sample.obj.substr(at + 7);
            name = name.substr(0, name.find_first_of(" \t\r\n"));
            if (!name.empty() && name.find('/') == std::string::npos)
                writeFile(dir / "obj" / name, sample.mtl);
        }
    }
    std::mt19937 rng(20261208);
    for (int i = 0; i < 40; i++) {
        writeFile(dir / "random" / ("model-" + std::to_string(i) + ".obj"), randomObj(rng, i % 2 == 0, false));
        writeFile(dir / "hostile" / ("broken-" + std::to_string(i) + ".obj"), randomObj(rng, false, true));
    }
    writeFile(dir / "random" / "lib.mtl", randomMtl(rng));
    for (const auto& list : {dibSamples(), sgiSamples()})
        for (const SampleFile& sample : list)
            writeFileBytes(dir / "images" / sample.name, sample.bytes);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "samples") == 0)
        return writeSamples(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "model") == 0)
        return dumpModel(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "image") == 0)
        return dumpImage(argv[2], argv[3]);
    std::fputs("usage: python_reference_dump samples DIR | model PATH DIR | image PATH OUT\n", stderr);
    return 2;
}
