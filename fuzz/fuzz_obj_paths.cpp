// Fuzz target: the OBJ reading core on its vector paths against the scalar
// one.  Every path the processor has must build the same model to the last
// float bit, or fail with the same message, on one thread and on two over
// chunks of a few bytes.  (fuzz_obj reads on the widest path, as the
// library does by default.)
//
// Input: the OBJ text, a NUL byte, then the text of the material library
// that every "mtllib" line gets.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "model/glm.h"
#include "model/glm_core.h"
#include "model/glm_scan.h"
#include "tests/support/models.h"

namespace {

// The model read on `path`, or null with `error` filled.
GlmMesh* readOn(glmscan::Path path, const char* text, std::size_t size, const GlmReadOptions& options,
                GlmReadError& error)
{
    glmscan::usePath(path);
    GlmMesh* model = glmParseOBJ(text, size, "fuzz/in.obj", &options, &error);
    glmscan::useBestPath();
    return model;
}

// Null when the path read as the scalar one did; what differs otherwise.
const char* compare(glmscan::Path path, const char* text, std::size_t size, const GlmReadOptions& options)
{
    GlmReadError scalarError, pathError;
    GlmMesh* scalar = readOn(glmscan::Path::Scalar, text, size, options, scalarError);
    GlmMesh* model = readOn(path, text, size, options, pathError);
    const char* problem = nullptr;
    if (!scalar != !model)
        problem = "one path read the text and the other refused it";
    else if (!scalar && (scalarError.kind != pathError.kind || std::strcmp(scalarError.message, pathError.message)))
        problem = "the paths refused the text for different reasons";
    else if (scalar && !modelDifference(scalar, model).empty())
        problem = "the paths built different models";
    if (scalar)
        glmDestroy(scalar);
    if (model)
        glmDestroy(model);
    return problem;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    const void* nul = size ? std::memchr(data, 0, size) : nullptr;
    const std::size_t objSize = nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - data) : size;
    MtlTexts mtl;
    if (nul)
        mtl.others = std::string_view(text + objSize + 1, size - objSize - 1);
    GlmReadOptions one;
    one.threads = 1;
    one.loadMaterials = loadMtlTexts;
    one.loaderContext = &mtl;
    GlmReadOptions many = one;
    many.threads = 2;
    many.chunkBytes = 16;
    for (glmscan::Path path : {glmscan::Path::Sse2, glmscan::Path::Avx2}) {
        if (!glmscan::pathAvailable(path))
            continue;
        for (const GlmReadOptions* options : {&one, &many})
            if (const char* problem = compare(path, text, objSize, *options)) {
                std::fprintf(stderr, "fuzz_obj_paths: %s (%s, %u threads)\n", problem,
                             path == glmscan::Path::Sse2 ? "SSE2" : "AVX2", options->threads);
                std::abort();
            }
    }
    return 0;
}
