#include "platform/memory_tuning.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tuning {

void releasePages(const char* from, const char* to)
{
    const std::uintptr_t page = 4096;
    std::uintptr_t a = (reinterpret_cast<std::uintptr_t>(from) + page - 1) & ~(page - 1);
    std::uintptr_t b = reinterpret_cast<std::uintptr_t>(to) & ~(page - 1);
    if (a < b)
        ::madvise(reinterpret_cast<void*>(a), b - a, MADV_DONTNEED);
}

void preferHugePages(void* block, std::size_t bytes)
{
    const std::uintptr_t huge = std::uintptr_t{2} << 20;
    std::uintptr_t a = (reinterpret_cast<std::uintptr_t>(block) + huge - 1) & ~(huge - 1);
    std::uintptr_t b = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(huge - 1);
    if (a < b)
        ::madvise(reinterpret_cast<void*>(a), b - a, MADV_HUGEPAGE);
}

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

}  // namespace tuning
