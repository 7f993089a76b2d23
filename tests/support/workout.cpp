#include "tests/support/workout.h"

#include <malloc.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image/image_core.h"
#include "image/picture.h"
#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/model_checks.h"
#include "tests/support/models.h"
#include "tests/support/pictures.h"

namespace {

const char* checkPicture(const ImageRGB& image)
{
    if (image.width <= 0 || image.height <= 0 || std::int64_t{image.width} * image.height > IMAGE_MAX_PIXELS)
        return "picture size outside the bounds";
    if (!image.pixels)
        return "picture without pixels";
    if (malloc_usable_size(image.pixels) < std::size_t(image.width) * std::size_t(image.height) * 3)
        return "pixel block smaller than width x height x 3";
    return nullptr;
}

const char* checkAndFree(ImageRGB* image)
{
    const char* problem = checkPicture(*image);
    freeImage(image);
    return problem;
}

bool sameText(const char* a, const char* b) { return (!a && !b) || (a && b && std::strcmp(a, b) == 0); }

// Entries 1..count of a 1-based array of `width` floats, bit for bit.
bool sameEntries(const float* a, const float* b, unsigned count, unsigned width)
{
    if (!count)
        return true;
    if (!a || !b)
        return false;
    return std::memcmp(a + width, b + width, sizeof(float) * width * count) == 0;
}

bool sameModel(const GlmMesh* a, const GlmMesh* b)
{
    if (a->vertexCount != b->vertexCount || a->normalCount != b->normalCount || a->uvCount != b->uvCount ||
        a->faceCount != b->faceCount || a->materialCount != b->materialCount || a->groupCount != b->groupCount ||
        !sameText(a->materialLibrary, b->materialLibrary) || !sameKeptStatements(a, b))
        return false;
    if (!sameEntries(a->vertices, b->vertices, a->vertexCount, 3) ||
        !sameEntries(a->normals, b->normals, a->normalCount, 3) || !sameEntries(a->uvs, b->uvs, a->uvCount, 2))
        return false;
    for (unsigned i = 0; i < a->faceCount; ++i) {
        const GlmFace& f = a->faces[i];
        const GlmFace& g = b->faces[i];
        if (std::memcmp(f.vertexRefs, g.vertexRefs, sizeof f.vertexRefs) ||
            std::memcmp(f.normalRefs, g.normalRefs, sizeof f.normalRefs) ||
            std::memcmp(f.uvRefs, g.uvRefs, sizeof f.uvRefs))
            return false;
    }
    for (unsigned i = 0; i < a->materialCount; ++i) {
        const GlmMtlEntry& m = a->materialTable[i];
        const GlmMtlEntry& n = b->materialTable[i];
        if (!sameText(m.name, n.name) || std::memcmp(m.diffuseColor, n.diffuseColor, sizeof m.diffuseColor) ||
            std::memcmp(m.ambientColor, n.ambientColor, sizeof m.ambientColor) ||
            std::memcmp(m.specularColor, n.specularColor, sizeof m.specularColor) ||
            std::memcmp(&m.specularExponent, &n.specularExponent, sizeof(float)))
            return false;
    }
    const GlmFaceGroup* g = a->groupList;
    const GlmFaceGroup* h = b->groupList;
    for (; g && h; g = g->next, h = h->next) {
        if (!sameText(g->name, h->name) || g->faceCount != h->faceCount || g->materialIndex != h->materialIndex ||
            (g->faceCount && std::memcmp(g->faceList, h->faceList, sizeof(unsigned) * g->faceCount)))
            return false;
    }
    return !g && !h;
}

// Writes the model, reads the file back and compares the triangle count.
const char* writeAndReread(GlmMesh* model, unsigned mode, const char* scratchDir)
{
    const std::string path = std::string(scratchDir) + "/out.obj";
    glmWriteOBJ(model, path.c_str(), mode);
    GlmReadOptions options;
    options.threads = 1;
    GlmReadError error;
    GlmMesh* back = glmLoadOBJ(path.c_str(), &options, &error);
    if (!back) {
        std::fprintf(stderr, "%s", error.message);
        return "the written model does not read back";
    }
    const bool same = back->faceCount == model->faceCount;
    glmDestroy(back);
    return same ? nullptr : "the written model reads back with another triangle count";
}

}  // namespace

const char* workoutDib(const unsigned char* data, std::size_t size)
{
    ImageRGB* image = nullptr;
    if (decodeDib(data, size, &image) == IMAGE_OK)
        return checkAndFree(image);
    return image ? "a refused bitmap handed out a picture" : nullptr;
}

bool dibIsRunLength(const unsigned char* data, std::size_t size)
{
    const std::size_t header = size >= 2 && data[0] == 'B' && data[1] == 'M' ? 14 : 0;
    if (size < header + 20)
        return false;
    const unsigned char* h = data + header;
    if ((h[0] | h[1] << 8 | h[2] << 16 | std::uint32_t{h[3]} << 24) == 12)
        return false;  // core: uncompressed
    const std::uint32_t compression = h[16] | h[17] << 8 | h[18] << 16 | std::uint32_t{h[19]} << 24;
    return compression == 1 || compression == 2;
}

const char* workoutBmp(const unsigned char* data, std::size_t size)
{
    ImageRGB image = {};
    BmpHeaderInfo info;
    const BmpStatus status = decodeBmp(data, size, &image, &info);
    const char* problem = nullptr;
    // A complete picture, or the rows read so far of a short one (none when
    // less than half of them are there).
    if (status == BMP_OK || (status == BMP_SHORT_PIXELS && image.pixels))
        problem = checkPicture(image);
    else if (image.pixels)
        problem = "a refused bitmap handed out pixels";
    std::free(image.pixels);
    return problem;
}

const char* workoutSgi(const unsigned char* data, std::size_t size)
{
    ImageRGB* image = nullptr;
    if (decodeRgb(data, size, &image) == IMAGE_OK)
        return checkAndFree(image);
    return image ? "a refused SGI picture handed out a picture" : nullptr;
}

namespace {

// One decode of a PNG or JPEG core in 3 and in 4 channels: a picture within
// the bounds in a block of its full size, or a refusal with one line of
// message and no pixels.
const char* workoutPicture(PictureStatus (*decode)(const unsigned char*, std::size_t, int, PictureData*, char*),
                           const unsigned char* data, std::size_t size)
{
    for (int channels : {3, 4}) {
        PictureData picture{};
        char message[PICTURE_MESSAGE_SIZE] = "";
        const PictureStatus status = decode(data, size, channels, &picture, message);
        if (status != PICTURE_OK) {
            if (picture.pixels)
                return "a refused picture handed out pixels";
            if (!message[0] || std::strchr(message, '\n'))
                return "a refusal without a one-line message";
            continue;
        }
        const char* problem = nullptr;
        if (picture.width <= 0 || picture.height <= 0 ||
            std::int64_t{picture.width} * picture.height > IMAGE_MAX_PIXELS || picture.channels != channels)
            problem = "picture size outside the bounds";
        else if (!picture.pixels)
            problem = "picture without pixels";
        else if (malloc_usable_size(picture.pixels) <
                 std::size_t(picture.width) * std::size_t(picture.height) * std::size_t(channels))
            problem = "pixel block smaller than width x height x channels";
        freePicture(&picture);
        if (problem)
            return problem;
    }
    return nullptr;
}

}  // namespace

const char* workoutPng(const unsigned char* data, std::size_t size) { return workoutPicture(decodePng, data, size); }
const char* workoutJpeg(const unsigned char* data, std::size_t size) { return workoutPicture(decodeJpeg, data, size); }

const char* workoutPpm(const unsigned char* data, std::size_t size)
{
    int width = -1, height = -1;
    GlmPpmError error;
    unsigned char* pixels = glmParsePPM(data, size, &width, &height, &error);
    if (!pixels)
        return width != -1 || height != -1 ? "a refused PPM picture set its size" : nullptr;
    ImageRGB image{width, height, pixels};
    const char* problem = checkPicture(image);
    std::free(pixels);
    return problem;
}

const char* workoutObj(const unsigned char* data, std::size_t size, const char* scratchDir)
{
    const char* text = reinterpret_cast<const char*>(data);
    // The OBJ text ends at the first NUL byte; in UTF-16 (a text that
    // starts with its mark) at the first NUL character, two NUL bytes at an
    // even offset, which the separator then is.
    const bool utf16 = size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF));
    std::size_t objSize = size, separator = 0;
    for (std::size_t i = utf16 ? 2 : 0; i < size; i += utf16 ? 2 : 1) {
        if (data[i] == 0 && (!utf16 || (i + 1 < size && data[i + 1] == 0))) {
            objSize = i;
            separator = utf16 ? 2 : 1;
            break;
        }
    }
    MtlTexts mtl;
    if (separator)
        mtl.others = std::string_view(text + objSize + separator, size - objSize - separator);

    GlmReadOptions one;
    one.threads = 1;
    one.loadMaterials = loadMtlTexts;
    one.loaderContext = &mtl;
    GlmReadOptions many = one;
    many.threads = 2;
    many.chunkBytes = 16;
    GlmReadError error1, error2;
    GlmMesh* model = glmParseOBJ(text, objSize, "fuzz/in.obj", &one, &error1);
    GlmMesh* twin = glmParseOBJ(text, objSize, "fuzz/in.obj", &many, &error2);
    if (!model || !twin) {
        if (model)
            glmDestroy(model);
        if (twin)
            glmDestroy(twin);
        if (!model != !twin || error1.kind != error2.kind)
            return "the threaded reader disagrees on failure";
        return error1.kind == GLM_READ_OK ? "a failed read without a reason" : nullptr;
    }
    const bool same = sameModel(model, twin);
    glmDestroy(twin);
    if (!same) {
        glmDestroy(model);
        return "the threaded reader builds another model";
    }
    if (!soundModel(model)) {
        glmDestroy(model);
        return "a reference outside its array, or a face in no group or in two";
    }

    // The library name comes from the input: write it under a fixed name
    // inside the scratch folder.
    if (model->materialLibrary) {
        std::free(model->materialLibrary);
        model->materialLibrary = static_cast<char*>(std::malloc(sizeof "out.mtl"));
        std::memcpy(model->materialLibrary, "out.mtl", sizeof "out.mtl");
    }
    float dimensions[3];
    glmExtents(model, dimensions);
    glmFaceNormals(model);
    glmVertexNormals(model, 90.0f);
    glmSphereUVs(model);
    const char* problem = writeAndReread(model, MODE_SMOOTH | MODE_TEXTURE | MODE_MATERIAL, scratchDir);
    if (!problem) {
        glmVertexNormals(model, 0.0f);
        glmVertexNormals(model, 180.0f);
        glmPlanarUVs(model);
        glmFlipWinding(model);
        glmCenterAndScale(model);
        const float offset[3] = {1.0f, -2.0f, 0.5f};
        glmShift(model, offset);
        glmResize(model, 3.0f);
        glmMergeVertices(model, 0.0f);
        glmMergeVertices(model, 0.25f);
        glmVertexNormals(model, 45.0f);
        problem = writeAndReread(model, MODE_FLAT | MODE_TEXTURE | MODE_COLOR, scratchDir);
    }
    if (!problem) {
        glmMergeVertices(model, 1e30f);
        problem = writeAndReread(model, MODE_PLAIN, scratchDir);
    }
    glmDestroy(model);
    return problem;
}
