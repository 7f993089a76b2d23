// Time to the first frame: from starting a viewer executable to its first
// buffer swap, on a private Xvfb.  The swap is seen by a preloaded shim
// (first_swap.c), so any build of the viewer can be measured unchanged, and
// several builds are measured side by side, their runs interleaved so that
// the machine's load falls on all of them alike.
//   bench_first_frame [--runs N] VIEWER [VIEWER...]
// Each viewer runs in an empty working folder, so it takes its pictures from
// beside itself (a build tree with its image/ folder).  Prints every run, the
// median of each viewer and its ratio to the first one's.
#include "tests/support/files.h"
#include "tests/support/x_session.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Milliseconds from fork to the first swap, or a negative value when the
// viewer did not swap within 60 s (a box waiting for OK, say).
double timeToFirstFrame(const std::string& viewer, const TempDir& work)
{
    const std::string stamp = (work.path / "first-swap").string();
    std::remove(stamp.c_str());
    const long long start = monotonicNs();
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(work.path.c_str()) != 0)
            _exit(126);
        setenv("LD_PRELOAD", FIRST_SWAP_SHIM, 1);
        setenv("FIRST_SWAP_FILE", stamp.c_str(), 1);
        execl(viewer.c_str(), viewer.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (child < 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    long long swapped = 0;
    std::ifstream in(stamp);
    if (!(in >> swapped))
        return -1;
    return static_cast<double>(swapped - start) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 9;
    std::vector<std::string> viewers;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (argv[i][0] == '-')
            viewers.clear(), runs = 0;
        else
            viewers.push_back(std::filesystem::absolute(argv[i]).string());
    }
    if (viewers.empty() || runs < 1) {
        std::fprintf(stderr, "usage: bench_first_frame [--runs N] VIEWER [VIEWER...]\n");
        return 2;
    }
    PrivateXServer xServer;
    if (!xServer.running()) {
        std::fprintf(stderr, "bench_first_frame: Xvfb did not start\n");
        return 1;
    }
    const TempDir work;
    // One run of each first, not counted: it brings the files and libraries
    // into the page cache.
    for (const std::string& viewer : viewers)
        timeToFirstFrame(viewer, work);

    std::vector<std::vector<double>> times(viewers.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t v = 0; v < viewers.size(); ++v) {
            const double ms = timeToFirstFrame(viewers[v], work);
            if (ms < 0) {
                std::fprintf(stderr, "bench_first_frame: %s showed no frame\n", viewers[v].c_str());
                return 1;
            }
            times[v].push_back(ms);
            std::printf("run %d  %-60s %8.1f ms\n", run + 1, viewers[v].c_str(), ms);
            std::fflush(stdout);
        }
    }
    const double base = median(times[0]);
    std::printf("\nmedian of %d runs, time from start to the first buffer swap:\n", runs);
    for (std::size_t v = 0; v < viewers.size(); ++v) {
        const double m = median(times[v]);
        std::printf("%-60s %8.1f ms  %.2fx\n", viewers[v].c_str(), m, m / base);
    }
    return 0;
}
