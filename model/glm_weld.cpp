// Vertex welding (glmMergeVertices).
//
// The result is the one of the plain rule: vertex i (in increasing order)
// takes the number of the first kept vertex j that is glmNearlyEqual to it,
// or becomes a new kept vertex.  Instead of comparing with every kept vertex,
// kept vertices are filed in a hash grid whose cells are a little more than
// 4 * epsilon wide, so only the one or two cells per axis that the open box
// of half-width epsilon around a vertex can reach are searched.
//
// Why this finds every match: a match means the float difference is below
// epsilon on every axis, and since epsilon is a float and rounding is
// monotonic the real difference is below epsilon too.  Cell coordinates are
// q = x / size in double precision; the cell size is kept at least 2^-40 of
// the largest magnitude so |q| <= 2^40 and q is off by at most 2^-13 (and
// q +- 0.25 is exact).  The size is 4 * epsilon * (1 + 2^-8), so in cell
// units the real box is narrower than (q - 0.2490, q + 0.2490), and with
// both vertices' rounding every matching vertex's computed q lies in
// (q - 0.25, q + 0.25), which cells floor(q - 0.25) to floor(q + 0.25)
// cover.  A cell size raised by a huge spread of coordinates only costs
// speed, never the result.
//
// Vertices with an infinite or NaN coordinate never compare equal to
// anything and are kept without entering the grid.  An epsilon that is not
// greater than 0 (or NaN) merges nothing.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "model/glm.h"
#include "model/glm_core.h"
#include "model/glm_internal.h"

namespace {

struct CellKey {
    int64_t c[3];
    bool operator==(const CellKey& o) const { return c[0] == o.c[0] && c[1] == o.c[1] && c[2] == o.c[2]; }
};

uint64_t hashCell(const CellKey& k)
{
    uint64_t h = static_cast<uint64_t>(k.c[0]) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<uint64_t>(k.c[1]) * 0xC2B2AE3D27D4EB4Full;
    h ^= static_cast<uint64_t>(k.c[2]) * 0x165667B19E3779F9ull;
    return h ^ (h >> 29);
}

constexpr unsigned NONE = std::numeric_limits<unsigned>::max();

// Open-addressing table from cell to a list of kept vertices, all in flat
// arrays: slot -> cell number, cell number -> key, first and last kept
// vertex; kept vertex -> the next one in its cell (increasing order).
struct KeptGrid {
    size_t mask;
    GlmCArray<unsigned> slots;
    GlmCArray<CellKey> keys;
    GlmCArray<unsigned> head, tail;
    GlmCArray<unsigned> nextInCell;
    unsigned cellCount = 0;

    explicit KeptGrid(size_t vertexCount)
    {
        size_t capacity = 16;
        while (capacity < 2 * vertexCount)
            capacity *= 2;
        mask = capacity - 1;
        slots.reset(glmAllocArray<unsigned>(capacity, "the welding grid"));
        std::fill_n(slots.get(), capacity, NONE);
        keys.reset(glmAllocArray<CellKey>(vertexCount + 1, "the welding grid"));
        head.reset(glmAllocArray<unsigned>(vertexCount + 1, "the welding grid"));
        tail.reset(glmAllocArray<unsigned>(vertexCount + 1, "the welding grid"));
        nextInCell.reset(glmAllocArray<unsigned>(vertexCount + 1, "the welding grid"));
    }

    // The cell number of `key`, or NONE; `slot` receives where it belongs.
    unsigned find(const CellKey& key, size_t& slot) const
    {
        for (slot = hashCell(key) & mask;; slot = (slot + 1) & mask) {
            unsigned cell = slots[slot];
            if (cell == NONE || keys[cell] == key)
                return cell;
        }
    }

    void add(const CellKey& key, unsigned kept)
    {
        size_t slot;
        unsigned cell = find(key, slot);
        nextInCell[kept] = NONE;
        if (cell == NONE) {
            cell = cellCount++;
            slots[slot] = cell;
            keys[cell] = key;
            head[cell] = kept;
        } else {
            nextInCell[tail[cell]] = kept;
        }
        tail[cell] = kept;
    }
};

}  // namespace

namespace {

// Every allocation comes before the first change to the model, so that a
// failed one leaves it as it was.
void weld(GlmMesh* model, float epsilon)
{
    const unsigned count = model->vertexCount;
    const float* old = model->vertices;
    // newNumber[i]: the kept number of old vertex i; keptFrom[j]: the old
    // vertex whose position kept vertex j holds.
    GlmCArray<unsigned> newNumber(glmAllocArray<unsigned>(size_t{count} + 1, "the welding numbers"));
    GlmCArray<unsigned> keptFrom(glmAllocArray<unsigned>(size_t{count} + 1, "the welding numbers"));
    unsigned kept = 0;

    auto finite = [&](unsigned i) {
        return std::isfinite(old[3 * i]) && std::isfinite(old[3 * i + 1]) && std::isfinite(old[3 * i + 2]);
    };
    if (!(epsilon > 0.0f)) {
        // |d| < epsilon never holds: every vertex stays as it is.
        for (unsigned i = 1; i <= count; ++i)
            newNumber[i] = keptFrom[i] = i;
        kept = count;
    } else {
        double spread = 0.0;
        for (unsigned i = 1; i <= count; ++i) {
            if (!finite(i))
                continue;
            for (int k = 0; k < 3; ++k)
                spread = std::max(spread, std::fabs(static_cast<double>(old[3 * i + k])));
        }
        const double size = std::max(4.0 * epsilon * (1.0 + 1.0 / 256.0), spread * 0x1p-40);
        KeptGrid grid(count);
        for (unsigned i = 1; i <= count; ++i) {
            const float* p = &old[3 * i];
            if (!finite(i)) {
                newNumber[i] = ++kept;
                keptFrom[kept] = i;
                continue;
            }
            CellKey own, low;
            int64_t span[3];  // 0 or 1: whether the box reaches the next cell
            for (int k = 0; k < 3; ++k) {
                double q = p[k] / size;
                own.c[k] = static_cast<int64_t>(std::floor(q));
                low.c[k] = static_cast<int64_t>(std::floor(q - 0.25));
                span[k] = static_cast<int64_t>(std::floor(q + 0.25)) - low.c[k];
            }
            unsigned match = NONE;
            CellKey key;
            for (key.c[2] = low.c[2]; key.c[2] <= low.c[2] + span[2]; ++key.c[2]) {
                for (key.c[1] = low.c[1]; key.c[1] <= low.c[1] + span[1]; ++key.c[1]) {
                    for (key.c[0] = low.c[0]; key.c[0] <= low.c[0] + span[0]; ++key.c[0]) {
                        size_t slot;
                        unsigned cell = grid.find(key, slot);
                        if (cell == NONE)
                            continue;
                        // A cell's kept vertices run in increasing order, so
                        // only numbers below the best match so far matter.
                        for (unsigned j = grid.head[cell]; j != NONE && j < match; j = grid.nextInCell[j]) {
                            if (glmNearlyEqual(&old[3 * keptFrom[j]], p, epsilon)) {
                                match = j;
                                break;
                            }
                        }
                    }
                }
            }
            if (match != NONE) {
                newNumber[i] = match;
            } else {
                newNumber[i] = ++kept;
                keptFrom[kept] = i;
                grid.add(own, kept);
            }
        }
    }

    // Positions and colours: each kept vertex keeps those of the vertex
    // that created it.
    auto keep = [&](const float* from, const char* what) {
        float* to = glmAllocArray<float>(3 * (size_t{kept} + 1), what);
        to[0] = to[1] = to[2] = 0.0f;
        for (unsigned j = 1; j <= kept; ++j)
            std::memcpy(&to[3 * j], &from[3 * keptFrom[j]], 3 * sizeof(float));
        return to;
    };
    GlmCArray<float> vertices(keep(old, "vertices"));
    GlmCArray<float> colors(model->colors ? keep(model->colors, "vertex colours") : nullptr);
    for (unsigned f = 0; f < model->faceCount; ++f) {
        for (unsigned& ref : model->faces[f].vertexRefs)
            ref = newNumber[ref];
    }
    // Lines and points are renumbered as the faces are.
    for (unsigned r = 0; model->lineVertexRefs && r < model->lineRefCount; ++r)
        model->lineVertexRefs[r] = newNumber[model->lineVertexRefs[r]];
    for (unsigned r = 0; model->pointVertexRefs && r < model->pointCount; ++r)
        model->pointVertexRefs[r] = newNumber[model->pointVertexRefs[r]];
    if (model->colors) {
        std::free(model->colors);
        model->colors = colors.release();
    }
    std::free(model->vertices);
    model->vertices = vertices.release();
    model->vertexCount = kept;
}

}  // namespace

bool glmWeldVertices(GlmMesh* model, float epsilon, GlmError* error)
{
    if (!glmCheckParts(model, GLM_PARTS_VERTICES | GLM_PARTS_LINES, "glmMergeVertices", error))
        return false;
    if (model->vertexCount && !model->vertices)
        return glmFail(error, GLM_BAD_MODEL, "glmMergeVertices() failed: the model has no positions.\n");
    try {
        weld(model, epsilon);
    } catch (const GlmNoMemory& failure) {
        return glmFailNoMemory(error, failure);
    }
    return glmSucceed(error);
}

void glmMergeVertices(GlmMesh* model, float epsilon)
{
    GlmError error;
    if (!glmWeldVertices(model, epsilon, &error))
        glmEndOnError(error, __PRETTY_FUNCTION__);
}
