// Memory and processor tuning for programs that read large files: give
// pages of a private file mapping back, ask for huge pages over a large
// array, and find the processors a cgroup CPU quota allows.  Plain system
// calls: no GL, no GTK, nothing else linked.
#pragma once

#include <cstddef>

namespace tuning {

// Gives the whole 4 KiB pages within [from, to) of a private read-only file
// mapping back to the system; touched again, they are read from the file.
void releasePages(const char* from, const char* to);

// Asks for transparent huge pages over the whole 2 MiB pages of a block: an
// array written once front to back then takes one page fault per 2 MiB
// instead of one per 4 KiB.
void preferHugePages(void* block, std::size_t bytes);

// The processors a cgroup v2 CPU quota ("cpu.max": quota and period in
// microseconds, or "max") allows, the tightest along the path from this
// process's cgroup up to the root, rounded up; 0 without a quota.
unsigned cgroupQuotaCpus();

}  // namespace tuning
