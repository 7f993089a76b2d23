// OBJ reader: the text in chunks on threads, appended in file order.  A
// large text is cut at line starts into chunks that worker threads read one
// after the other, a few ahead of the append at most; a small one is one
// chunk read straight into the model's arrays on this thread.
#include <sched.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "model/glm_obj_reader.h"
#include "model/glm_scan.h"

using namespace glmscan;

namespace glmobj {

void Values::release()
{
    std::free(vertices.data), std::free(normals.data), std::free(uvs.data), std::free(colors.data);
    std::free(faces.data), std::free(lines.data), std::free(lineVertexRefs.data), std::free(lineUvRefs.data);
    std::free(pointRefs.data);
    *this = Values{};
}

void Values::empty()
{
    vertices.size = normals.size = uvs.size = colors.size = faces.size = lines.size = 0;
    lineVertexRefs.size = lineUvRefs.size = pointRefs.size = 0;
    maxVertex = maxUv = maxNormal = 0;
}

namespace {

// Runs `worker` on this thread and up to threads - 1 more, and waits for
// them; fewer threads than asked for only make the job slower.
template <class Worker>
void runWorkers(Worker& worker, std::size_t threads)
{
    std::vector<std::thread> helpers;
    try {
        for (std::size_t i = 1; i < threads; i++)
            helpers.emplace_back(worker);
    } catch (const std::system_error&) {
        // No more threads to be had: the ones running (and this one) do the rest.
    }
    worker();
    for (auto& t : helpers)
        t.join();
}

// Chunk boundaries: line starts whose first character is a letter or "#",
// so that no number line continuing a face is cut off its face.
void splitChunks(Job& job)
{
    job.chunks.clear();
    const std::size_t size = static_cast<std::size_t>(job.textEnd - job.text);
    // Each thread holds a chunk's text and arrays, a few more wait to be
    // appended, and arrays may outgrow their text ("f 1 2 3", 8 bytes, makes
    // a 44-byte triangle): 3 MiB / (threads + 1) a chunk, at most 1 MiB.
    const std::size_t chunkSize = job.chunkBytes
                                      ? job.chunkBytes
                                      : std::clamp<std::size_t>((std::size_t{3} << 20) / (std::size_t{job.threads} + 1),
                                                                std::size_t{128} << 10, std::size_t{1} << 20);
    // An empty text is one empty chunk, so that there is always a chunk.
    if (job.threads <= 1 || size == 0 || (!job.chunkBytes && size < 2 * chunkSize)) {
        job.chunks.emplace_back(job.text, job.textEnd);
        return;
    }
    const char* begin = job.text;
    while (begin < job.textEnd) {
        const char* cut = job.textEnd;
        if (static_cast<std::size_t>(job.textEnd - begin) > chunkSize + chunkSize / 2) {
            const char* p = begin + chunkSize;
            while (p < job.textEnd) {
                const char* lf = findNewlineAnyPath(p, job.textEnd);
                p = lf ? lf + 1 : job.textEnd;
                if (p < job.textEnd && (((*p | 0x20) >= 'a' && (*p | 0x20) <= 'z') || *p == '#')) {
                    cut = p;
                    break;
                }
            }
        }
        job.chunks.emplace_back(begin, cut);
        begin = cut;
    }
}

// The model's arrays before any entry, into `ch`: bounded by what the text
// can hold (a vertex per 2 bytes, "v" and a line feed; a normal or uv per
// 3; a triangle per 2, each corner past the third of a face adding one),
// with the spare entry 0 in front.  False, the chunk failed, without memory.
bool startWhole(Chunk& ch, std::size_t bytes)
{
    Values& v = ch.values;
    v.vertices.bound = 3 * (bytes / 2 + 2), v.normals.bound = 3 * (bytes / 3 + 2);
    v.uvs.bound = 2 * (bytes / 3 + 2), v.faces.bound = bytes / 2 + 2;
    const float zero[3] = {0, 0, 0};
    if (v.vertices.append(zero, 3) && v.normals.append(zero, 3) && v.uvs.append(zero, 2) && v.faces.reserve(1))
        return true;
    ch.ended = Chunk::End::OutOfMemory;
    ch.what = "the arrays";
    return false;
}

// Reads a chunk; running out of memory for its events is a failure of the
// chunk, not an exception leaving a thread.
void readSafely(const Job& job, Chunk& ch)
{
    try {
        readChunk(job, ch);
    } catch (const std::bad_alloc&) {
        ch.ended = Chunk::End::OutOfMemory;
        ch.what = "the reader's bookkeeping";
    }
}

// Appends what a chunk read to the whole text's, in file order: its values,
// its events with its face offset, its line references with their offset,
// its skipped keywords, counts and findings.  False when an array cannot
// grow.
bool append(Chunk& whole, Chunk& ch)
{
    Values &all = whole.values, &part = ch.values;
    const std::size_t faceBase = all.faces.size;
    bool ok = true;
    // Colours and line texture references begun on either side cover both.
    if (part.colors.size || all.colors.size)
        ok = (all.colors.size || all.colors.fill(all.vertices.size, 1.0f)) &&
             (part.colors.size ? all.colors.append(part.colors.data, part.colors.size)
                               : all.colors.fill(part.vertices.size, 1.0f));
    if (part.lineUvRefs.size || all.lineUvRefs.size)
        ok = ok && (all.lineUvRefs.size || all.lineUvRefs.fill(all.lineVertexRefs.size, 0)) &&
             (part.lineUvRefs.size ? all.lineUvRefs.append(part.lineUvRefs.data, part.lineUvRefs.size)
                                   : all.lineUvRefs.fill(part.lineVertexRefs.size, 0));
    for (std::size_t i = 0; i < part.lines.size; i++)
        part.lines.data[i].first += static_cast<unsigned>(all.lineVertexRefs.size);
    ok = ok && all.vertices.append(part.vertices.data, part.vertices.size) &&
         all.normals.append(part.normals.data, part.normals.size) && all.uvs.append(part.uvs.data, part.uvs.size) &&
         all.faces.append(part.faces.data, part.faces.size) && all.lines.append(part.lines.data, part.lines.size) &&
         all.lineVertexRefs.append(part.lineVertexRefs.data, part.lineVertexRefs.size) &&
         all.pointRefs.append(part.pointRefs.data, part.pointRefs.size);
    all.maxVertex = std::max(all.maxVertex, part.maxVertex);
    all.maxUv = std::max(all.maxUv, part.maxUv);
    all.maxNormal = std::max(all.maxNormal, part.maxNormal);
    for (Event event : ch.events) {
        event.face += faceBase;
        whole.events.push_back(event);
    }
    for (const auto& entry : ch.skipped) {
        auto seen =
            std::find_if(whole.skipped.begin(), whole.skipped.end(), [&](auto& s) { return s.first == entry.first; });
        if (seen == whole.skipped.end())
            whole.skipped.push_back(entry);
        else
            seen->second += entry.second;
    }
    whole.uvsUsedAt = whole.uvsUsedAt ? whole.uvsUsedAt : ch.uvsUsedAt;
    whole.normalsUsedAt = whole.normalsUsedAt ? whole.normalsUsedAt : ch.normalsUsedAt;
    whole.vertices += ch.vertices, whole.normals += ch.normals, whole.uvs += ch.uvs;
    return ok;
}

// The text as one chunk on this thread.
const Chunk* readWhole(Job& job)
{
    Chunk& ch = job.chunks[0];
    ch.basesKnown = true;
    ch.releasesPages = job.mapped;
    if (startWhole(ch, static_cast<std::size_t>(job.textEnd - job.text)))
        readSafely(job, ch);
    job.whole = std::move(ch);  // the chunk's arrays are the model's
    ch.values = Values{};
    return job.whole.ended == Chunk::End::Read ? nullptr : &job.whole;
}

// The chunks on job.threads threads.  Sets `split` when a statement ran
// across a cut (a chunk did not start where the one before it stopped).
const Chunk* readChunks(Job& job, bool& split)
{
    const std::size_t count = job.chunks.size();
    const std::size_t window = std::size_t{job.threads} + 2;  // chunks read but not yet appended, at most
    if (!startWhole(job.whole, static_cast<std::size_t>(job.textEnd - job.text)))
        return &job.whole;
    job.chunks[0].basesKnown = true;
    std::vector<char> done(count, 0);
    std::vector<Values> spare;  // arrays of appended chunks, kept for the next ones
    std::mutex lock;
    std::condition_variable moved;
    std::size_t next = 0, appended = 0;
    const Chunk* failed = nullptr;
    // The text of appended chunks is given back in file order, DROP_STEP at
    // a time, rather than chunk by chunk: each release interrupts the other
    // threads to flush their address translations.
    const char* releasedTo = job.text;

    // Appends the chunks that are done, in order (under the lock).  A chunk
    // that met a relative reference is read again, now that the entries
    // before it are known.
    auto appendDone = [&] {
        for (; appended < count && done[appended] && !failed && !split; appended++) {
            Chunk& ch = job.chunks[appended];
            if (appended > 0 && job.chunks[appended - 1].stop != ch.firstToken) {
                split = true;
                break;
            }
            if (ch.ended == Chunk::End::NeedsBases) {
                Chunk again(ch.begin, ch.end);
                again.values = ch.values;
                again.values.empty();
                ch = std::move(again);
                ch.basesKnown = true;
                ch.vertexBase = job.whole.vertices, ch.normalBase = job.whole.normals, ch.uvBase = job.whole.uvs;
                readSafely(job, ch);
            }
            if (!append(job.whole, ch) && ch.ended == Chunk::End::Read) {
                ch.ended = Chunk::End::OutOfMemory;
                ch.what = "the arrays";
            }
            if (ch.ended != Chunk::End::Read)
                failed = &ch;
            ch.values.empty();
            spare.push_back(ch.values);
            ch.values = Values{};
            if (job.mapped && static_cast<std::size_t>(ch.end - releasedTo) >= DROP_STEP) {
                tuning::releasePages(releasedTo, ch.end);
                releasedTo = ch.end;
            }
        }
        moved.notify_all();
    };
    auto worker = [&] {
        std::unique_lock<std::mutex> guard(lock);
        for (;;) {
            moved.wait(guard, [&] { return failed || split || next >= count || next < appended + window; });
            if (failed || split || next >= count)
                return;
            Chunk& ch = job.chunks[next++];
            if (!spare.empty()) {
                ch.values = spare.back();
                spare.pop_back();
            }
            guard.unlock();
            readSafely(job, ch);
            guard.lock();
            done[&ch - job.chunks.data()] = 1;
            appendDone();
        }
    };
    runWorkers(worker, std::min<std::size_t>(job.threads, count));
    for (Chunk& ch : job.chunks)
        ch.values.release();
    for (Values& values : spare)
        values.release();
    return failed;
}

}  // namespace

const Chunk* readText(Job& job)
{
    splitChunks(job);
    if (job.chunks.size() == 1)
        return readWhole(job);
    bool split = false;
    const Chunk* failed = readChunks(job, split);
    if (!split)
        return failed;
    // A statement ran across a cut: read the text in one piece.
    job.whole.values.release();
    job.whole = Chunk(nullptr, nullptr);
    job.threads = 1;
    splitChunks(job);
    return readWhole(job);
}

}  // namespace glmobj

unsigned glmReaderThreads()
{
    unsigned cpus = 0;
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        cpus = static_cast<unsigned>(CPU_COUNT(&set));
    if (cpus == 0)
        cpus = std::max(1u, std::thread::hardware_concurrency());
    unsigned quota = tuning::cgroupQuotaCpus();
    if (quota != 0 && quota < cpus)
        cpus = quota;
    return cpus;
}
