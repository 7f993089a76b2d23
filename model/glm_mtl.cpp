// MTL material libraries: reading into a model's material table (the
// writing is with the OBJ writer in glm_write.cpp).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "model/glm.h"
#include "model/glm_core.h"
#include "model/glm_internal.h"
#include "model/glm_scan.h"
#include "platform/win_path.h"

using namespace glmscan;

namespace {

void setDefaults(GlmMtlEntry& entry)
{
    entry.name = nullptr;
    entry.keptStatements = nullptr;
    const float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f}, ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f},
                specular[4] = {0.0f, 0.0f, 0.0f, 1.0f}, emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    std::memcpy(entry.diffuseColor, diffuse, sizeof diffuse);
    std::memcpy(entry.ambientColor, ambient, sizeof ambient);
    std::memcpy(entry.specularColor, specular, sizeof specular);
    std::memcpy(entry.emissionColor, emission, sizeof emission);
    entry.specularExponent = 65.0f;
}

void releaseTable(GlmMesh* model)
{
    for (unsigned i = 0; i < model->materialCount; i++) {
        std::free(model->materialTable[i].name);
        std::free(model->materialTable[i].keptStatements);
    }
    std::free(model->materialTable);
    model->materialTable = nullptr;
    model->materialCount = 0;
}

}  // namespace

char* glmDirectoryOf(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    try {
        return glmCopyText(path, slash ? static_cast<std::size_t>(slash - path + 1) : 0);
    } catch (const GlmNoMemory& failure) {
        glmOutOfMemory(failure.what_, failure.bytes);
    }
}

namespace {

// Counting looks at the first token of every line; filling reads each value
// line's numbers from that line only and then skips the rest of it, so both
// see the same "newmtl" lines and the table never overflows.  Throws
// GlmNoMemory with what it has built still in the model.
void parseTable(GlmMesh* model, const char* text, std::size_t size)
{
    const char* end = text + size;
    unsigned count = 1;
    for (const char* p = text;;) {
        std::string_view tok = token(p, end);
        if (tok.empty())
            break;
        if (tok[0] == 'n')
            count++;
        skipLine(p, end);
    }
    releaseTable(model);
    model->materialTable = glmAllocArray<GlmMtlEntry>(count, "the material table");
    model->materialCount = count;
    for (unsigned i = 0; i < count; i++)
        setDefaults(model->materialTable[i]);
    model->materialTable[0].name = glmCopyText("default");

    // Statements the table has no field for are kept with their entry;
    // keptLength[i] is the length of entry i's keptStatements so far.
    GlmCArray<std::size_t> keptLength(glmAllocArray<std::size_t>(count, "the material table"));
    std::fill_n(keptLength.get(), count, std::size_t{0});
    auto keep = [&](unsigned entry, std::string_view statement) {
        GlmMtlEntry& m = model->materialTable[entry];
        std::size_t& length = keptLength[entry];
        std::size_t grown = length + (length ? 1 : 0) + statement.size();
        m.keptStatements = static_cast<char*>(glmReallocate(m.keptStatements, grown + 1, "a material's statements"));
        if (length)
            m.keptStatements[length++] = '\n';
        std::memcpy(m.keptStatements + length, statement.data(), statement.size());
        m.keptStatements[grown] = '\0';
        length = grown;
    };

    GlmMtlEntry* current = &model->materialTable[0];
    unsigned index = 0;
    for (const char* p = text;;) {
        std::string_view tok = token(p, end);
        if (tok.empty())
            break;
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char* eol = lf ? lf : end;
        char second = tok.size() > 1 ? tok[1] : '\0';
        bool interpreted = tok[0] == '#';
        if (tok[0] == 'n') {
            interpreted = true;
            std::string_view word = firstWord(std::string_view(p, static_cast<std::size_t>(eol - p)));
            word = word.substr(0, ::strnlen(word.data(), word.size()));
            if (index + 1 < count) {
                current = &model->materialTable[++index];
                current->name = glmCopyText(word.data(), word.size());
            } else {
                current = nullptr;  // more entries than counted: ignored
            }
        } else if (current && tok[0] == 'N' && second == 's') {
            float value;
            if (scanFloats(p, eol, &value, 1) == 1) {
                interpreted = true;
                value /= 1000.0f;
                value *= 128.0f;
                current->specularExponent = value;
            }
        } else if (current && tok[0] == 'K' && (second == 'a' || second == 'd' || second == 's')) {
            float* color = second == 'a'   ? current->ambientColor
                           : second == 'd' ? current->diffuseColor
                                           : current->specularColor;
            float values[3];
            int read = scanFloats(p, eol, values, 3);
            for (int i = 0; i < read; i++)
                color[i] = values[i];
            // "Kd spectral file.rfl" and "Kd xyz ..." give no number here.
            interpreted = read > 0;
        }
        if (!interpreted && current) {
            const char* stop = eol;
            if (stop > tok.data() && stop[-1] == '\r')
                stop--;
            keep(index, std::string_view(tok.data(), static_cast<std::size_t>(stop - tok.data())));
        }
        p = lf ? lf + 1 : end;
    }
}

}  // namespace

bool glmParseMTL(GlmMesh* model, const char* text, std::size_t size, GlmReadError* error, const char* name)
{
    // The table is built aside and replaces the model's only when complete.
    GlmMesh scratch;
    std::memset(&scratch, 0, sizeof scratch);
    try {
        std::string decoded;
        if (!glmTextToRead(text, size, decoded)) {
            if (error) {
                error->kind = GLM_READ_NOT_TEXT;
                std::snprintf(error->message, sizeof error->message,
                              "glmReadMTL() failed: \"%s\" is not a text file.\n", name ? name : "");
            }
            return false;
        }
        parseTable(&scratch, text, size);
    } catch (const std::bad_alloc&) {
        releaseTable(&scratch);
        if (error) {
            error->kind = GLM_READ_NO_MEMORY;
            std::snprintf(error->message, sizeof error->message,
                          "glmReadMTL() failed: out of memory reading material file \"%s\".\n", name ? name : "");
        }
        return false;
    }
    releaseTable(model);
    model->materialTable = scratch.materialTable;
    model->materialCount = scratch.materialCount;
    return true;
}

bool glmLoadMTL(GlmMesh* model, const char* name, void*, GlmReadError* error)
{
    std::string path, text;
    FILE* file = nullptr;
    bool ok;
    try {
        path = glmPathBeside(model->sourcePath, name);
        // "mtllib .\Car.MTL" from Windows finds car.mtl; the model keeps the
        // name as written.
        file = std::fopen(resolveWindowsPath(path).c_str(), "r");
        ok = file != nullptr;
        if (file) {
            char buffer[1 << 14];
            for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
                text.append(buffer, n);
            ok = !std::ferror(file);
            std::fclose(file);
        }
    } catch (const std::bad_alloc&) {
        if (file)
            std::fclose(file);
        error->kind = GLM_READ_NO_MEMORY;
        std::snprintf(error->message, sizeof error->message,
                      "glmReadMTL() failed: out of memory reading material file \"%s\".\n", name);
        return false;
    }
    if (!ok) {
        error->kind = GLM_READ_MATERIAL_FILE;
        std::snprintf(error->message, sizeof error->message, "glmReadMTL() failed: can't open material file \"%s\".\n",
                      path.c_str());
        return false;
    }
    return glmParseMTL(model, text.data(), text.size(), error, path.c_str());
}

void glmReadMTL(GlmMesh* model, const char* name)
{
    GlmReadError error;
    if (!glmLoadMTL(model, name, nullptr, &error)) {
        std::fflush(stdout);
        std::fputs(error.message, stderr);
        std::exit(1);
    }
}
