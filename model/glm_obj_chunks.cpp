// OBJ reader: chunks of the text and the threads that read them.  A large
// text is cut at line starts into chunks that worker threads take one after
// the other; a statement that runs across a cut is noticed by countPass.
#include <sched.h>

#include <algorithm>
#include <atomic>
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

// Runs work(chunk) for every chunk on up to job.threads threads.
void forEachChunk(Job& job, void (*work)(Job&, Chunk&)) {
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
    unsigned extra = std::min<std::size_t>(job.threads, job.chunks.size()) - 1;
    std::vector<std::thread> helpers;
    try {
        for (unsigned i = 0; i < extra; i++) helpers.emplace_back(worker);
    } catch (const std::system_error&) {
        // No more threads to be had: the ones running (and this one) do the rest.
    }
    worker();
    for (auto& t : helpers) t.join();
}

// Chunk boundaries: line starts whose first character is a letter or "#",
// so that no number line continuing a face is cut off its face.
void splitChunks(Job& job) {
    job.chunks.clear();
    const std::size_t size = static_cast<std::size_t>(job.textEnd - job.text);
    const std::size_t chunkSize = job.chunkBytes ? job.chunkBytes : std::size_t{4} << 20;
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
bool countPass(Job& job) {
    forEachChunk(job, countChunk);
    for (std::size_t i = 1; i < job.chunks.size(); i++) {
        if (job.chunks[i - 1].errorAt) break;
        if (job.chunks[i - 1].outOfMemory || job.chunks[i - 1].stop != job.chunks[i].firstToken) return false;
    }
    return true;
}

// The chunk holding the first failure, or chunks.size().
std::size_t firstFailedChunk(const Job& job) {
    for (std::size_t i = 0; i < job.chunks.size(); i++)
        if (job.chunks[i].errorAt) return i;
    return job.chunks.size();
}


namespace {

// The processors a cgroup v2 CPU quota allows ("cpu.max" holds the quota
// and the period in microseconds, or "max"), the tightest along the path
// from the process's cgroup up to the root; 0 without a quota.
unsigned cgroupQuotaCpus() {
    std::string path;
    if (FILE* file = std::fopen("/proc/self/cgroup", "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, file))
            if (std::strncmp(line, "0::", 3) == 0) {
                path = line + 3;
                while (!path.empty() && (path.back() == '\n' || path.back() == '/')) path.pop_back();
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
                if (best == 0 || cpus < best) best = cpus;
            }
            std::fclose(f);
        }
        if (path.empty()) break;
        std::size_t slash = path.rfind('/');
        path.erase(slash == std::string::npos ? 0 : slash);
    }
    return best;
}

}  // namespace

}  // namespace glmobj

unsigned glmReaderThreads() {
    unsigned cpus = 0;
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) cpus = static_cast<unsigned>(CPU_COUNT(&set));
    if (cpus == 0) cpus = std::max(1u, std::thread::hardware_concurrency());
    unsigned quota = glmobj::cgroupQuotaCpus();
    if (quota != 0 && quota < cpus) cpus = quota;
    return cpus;
}
