// OBJ reader: chunks of the text and the threads that read them.  A large
// text is cut at line starts into chunks that worker threads take one after
// the other; a statement that runs across a cut is noticed by countPass.
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "model/glm_obj_reader.h"
#include "model/glm_scan.h"

using namespace glmscan;

namespace glmobj {

namespace {

// Runs `worker` on this thread and on up to threads - 1 more, and waits for
// them all.  Each worker takes pieces of the job until none is left, so
// fewer threads than asked for only make the job slower.
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

}  // namespace

// Runs work(chunk) for every chunk on up to job.threads threads.
void forEachChunk(Job& job, void (*work)(Job&, Chunk&))
{
    std::atomic<std::size_t> next{0};
    auto worker = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < job.chunks.size();) {
            // An exception must not leave a thread: the chunk says it failed.
            try {
                work(job, job.chunks[i]);
            } catch (const std::bad_alloc&) {
                job.chunks[i].outOfMemory = true;
            }
        }
    };
    runWorkers(worker, std::min<std::size_t>(job.threads, job.chunks.size()));
}

// Chunk boundaries: line starts whose first character is a letter or "#",
// so that no number line continuing a face is cut off its face.
void splitChunks(Job& job)
{
    job.chunks.clear();
    const std::size_t size = static_cast<std::size_t>(job.textEnd - job.text);
    // Each thread holds a chunk's text and arrays, and a few more wait to be
    // appended.  The arrays of a chunk may well outgrow its text (a line
    // "f 1 2 3" of 8 bytes makes a 44-byte triangle), so chunks are small:
    // 3 MiB / (threads + 1), at most 1 MiB, which also keeps all of it
    // within a few MiB whatever the thread count.
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
                skipLine(p, job.textEnd);
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

// The counting pass: true when the chunks read consistently (every chunk
// stopped where the next one starts, up to the first failure).
bool countPass(Job& job)
{
    forEachChunk(job, countChunk);
    for (std::size_t i = 1; i < job.chunks.size(); i++) {
        if (job.chunks[i - 1].errorAt)
            break;
        if (job.chunks[i - 1].outOfMemory || job.chunks[i - 1].stop != job.chunks[i].firstToken)
            return false;
    }
    return true;
}

// The chunk holding the first failure, or chunks.size().
std::size_t firstFailedChunk(const Job& job)
{
    for (std::size_t i = 0; i < job.chunks.size(); i++)
        if (job.chunks[i].errorAt)
            return i;
    return job.chunks.size();
}

OnePass readChunksInOnePass(Job& job)
{
    const std::size_t count = job.chunks.size();
    const std::size_t window = std::size_t{job.threads} + 2;  // chunks read but not yet appended, at most
    ValueArrays whole;
    whole.boundBy(static_cast<std::size_t>(job.textEnd - job.text));
    if (!whole.startModelArrays()) {
        job.chunks[0].errorText = "the arrays";
        return OnePass::OutOfMemory;
    }
    std::vector<ValueArrays> parts(count);
    std::vector<OnePass> results(count, OnePass::Read);
    std::vector<char> done(count, 0);
    std::vector<ValueArrays> spare;  // arrays of appended chunks, kept for the next ones
    std::mutex lock;
    std::condition_variable moved;
    std::size_t next = 0, appended = 0;
    OnePass outcome = OnePass::Read;
    // The text of appended chunks is given back in file order, DROP_STEP at
    // a time, rather than chunk by chunk: each release interrupts the other
    // threads to flush their address translations.
    const bool dropping = job.dropPages;
    job.dropPages = false;
    const char* droppedTo = job.text;

    // Appends the chunks that are done, in order (under the lock).
    auto appendDone = [&] {
        for (; appended < count && done[appended]; appended++) {
            ValueArrays& part = parts[appended];
            if (outcome == OnePass::Read && results[appended] != OnePass::Read)
                outcome = results[appended];
            // A relative reference in a later chunk needs the entries before the chunk.
            if (outcome == OnePass::Read && appended > 0 && part.relative)
                outcome = OnePass::NeedsTwoPasses;
            if (outcome == OnePass::Read && (!whole.vertices.append(part.vertices.data, part.vertices.size) ||
                                             !whole.normals.append(part.normals.data, part.normals.size) ||
                                             !whole.uvs.append(part.uvs.data, part.uvs.size) ||
                                             !whole.faces.append(part.faces.data, part.faces.size))) {
                job.chunks[appended].errorText = "the arrays";
                outcome = OnePass::OutOfMemory;
            }
            whole.badVertex |= part.badVertex, whole.badNormal |= part.badNormal, whole.badUv |= part.badUv;
            whole.maxVertex = std::max(whole.maxVertex, part.maxVertex);
            whole.maxUv = std::max(whole.maxUv, part.maxUv);
            whole.maxNormal = std::max(whole.maxNormal, part.maxNormal);
            part.vertices.size = part.normals.size = part.uvs.size = part.faces.size = 0;
            part.badVertex = part.badNormal = part.badUv = part.relative = false;
            part.maxVertex = part.maxUv = part.maxNormal = 0;
            spare.push_back(part);
            part = ValueArrays{};
            const char* readTo = job.chunks[appended].end;
            if (dropping && static_cast<std::size_t>(readTo - droppedTo) >= DROP_STEP) {
                releasePages(droppedTo, readTo);
                droppedTo = readTo;
            }
        }
        moved.notify_all();
    };
    auto worker = [&] {
        std::unique_lock<std::mutex> guard(lock);
        for (;;) {
            moved.wait(guard, [&] { return outcome != OnePass::Read || next >= count || next < appended + window; });
            if (outcome != OnePass::Read || next >= count)
                return;
            std::size_t i = next++;
            ValueArrays part;
            if (!spare.empty()) {
                part = spare.back();
                spare.pop_back();
            }
            guard.unlock();
            OnePass result;
            try {
                result = readValues(job, job.chunks[i], part);
            } catch (const std::bad_alloc&) {
                job.chunks[i].errorText = "the reader's bookkeeping";
                result = OnePass::OutOfMemory;
            }
            guard.lock();
            parts[i] = part;
            results[i] = result;
            done[i] = 1;
            appendDone();
        }
    };
    runWorkers(worker, std::min<std::size_t>(job.threads, count));
    job.dropPages = dropping;
    for (ValueArrays& part : parts)
        part.release();
    for (ValueArrays& part : spare)
        part.release();

    if (outcome == OnePass::Read)
        for (std::size_t i = 1; i < count; i++)
            if (job.chunks[i - 1].stop != job.chunks[i].firstToken)
                outcome = OnePass::NeedsTwoPasses;
    if (outcome == OnePass::Read)
        outcome = settleValues(job, whole);
    whole.release();
    return outcome;
}

namespace {

// The processors a cgroup v2 CPU quota allows ("cpu.max" holds the quota
// and the period in microseconds, or "max"), the tightest along the path
// from the process's cgroup up to the root; 0 without a quota.
unsigned cgroupQuotaCpus()
{
    std::string path;
    if (FILE* file = std::fopen("/proc/self/cgroup", "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, file))
            if (std::strncmp(line, "0::", 3) == 0) {
                path = line + 3;
                while (!path.empty() && (path.back() == '\n' || path.back() == '/'))
                    path.pop_back();
            }
        std::fclose(file);
    }
    unsigned best = 0;
    for (;;) {
        std::string file = "/sys/fs/cgroup" + path + "/cpu.max";
        if (FILE* f = std::fopen(file.c_str(), "r")) {
            char quota[32] = "";
            unsigned long long period = 0;
            if (std::fscanf(f, "%31s %llu", quota, &period) == 2 && std::strcmp(quota, "max") != 0 && period > 0) {
                unsigned long long q = std::strtoull(quota, nullptr, 10);
                auto cpus = static_cast<unsigned>(std::max(1ull, (q + period - 1) / period));
                if (best == 0 || cpus < best)
                    best = cpus;
            }
            std::fclose(f);
        }
        if (path.empty())
            break;
        std::size_t slash = path.rfind('/');
        path.erase(slash == std::string::npos ? 0 : slash);
    }
    return best;
}

}  // namespace

}  // namespace glmobj

unsigned glmReaderThreads()
{
    unsigned cpus = 0;
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        cpus = static_cast<unsigned>(CPU_COUNT(&set));
    if (cpus == 0)
        cpus = std::max(1u, std::thread::hardware_concurrency());
    unsigned quota = glmobj::cgroupQuotaCpus();
    if (quota != 0 && quota < cpus)
        cpus = quota;
    return cpus;
}
