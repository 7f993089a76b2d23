// Time to the first frame: from starting a viewer executable to its first
// buffer swap, on a private Xvfb.  The swap is seen by a preloaded shim
// (first_swap.c), so any build of the viewer can be measured unchanged, and
// several builds are measured side by side, their runs interleaved so that
// the machine's load falls on all of them alike.  The processor time each
// took until then (all its threads) is printed beside it: it shows what the
// work costs even when a loaded machine leaves no core idle.
//   bench_first_frame [--runs N] VIEWER [VIEWER...]
// Each viewer runs in an empty working folder, so it takes its pictures from
// beside itself (a build tree with its image/ folder).  Prints every run, the
// median of each viewer and its ratio to the first one's.
#include "tests/support/files.h"
#include "tests/support/x_session.h"

#include <signal.h>
#include <sys/resource.h>
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

struct FirstFrame {
    double wallMs;  // from fork to the first swap; negative when there was none within 60 s
    double cpuMs;   // processor time the viewer took until then (all its threads)
};

// One run of `viewer` up to its first swap.
FirstFrame timeToFirstFrame(const std::string& viewer, const TempDir& work)
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
        return {-1, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return {-1, 0};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    long long swapped = 0;
    std::ifstream in(stamp);
    if (!(in >> swapped))
        return {-1, 0};
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return {static_cast<double>(swapped - start) / 1e6, ms(usage.ru_utime) + ms(usage.ru_stime)};
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

    std::vector<std::vector<double>> wall(viewers.size()), cpu(viewers.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t v = 0; v < viewers.size(); ++v) {
            const FirstFrame frame = timeToFirstFrame(viewers[v], work);
            if (frame.wallMs < 0) {
                std::fprintf(stderr, "bench_first_frame: %s showed no frame\n", viewers[v].c_str());
                return 1;
            }
            wall[v].push_back(frame.wallMs);
            cpu[v].push_back(frame.cpuMs);
            std::printf("run %d  %-56s %8.1f ms  (cpu %6.1f ms)\n", run + 1, viewers[v].c_str(), frame.wallMs,
                        frame.cpuMs);
            std::fflush(stdout);
        }
    }
    const double baseWall = median(wall[0]);
    const double baseCpu = median(cpu[0]);
    std::printf("\nmedian of %d runs, from start to the first buffer swap (processor time beside it):\n", runs);
    for (std::size_t v = 0; v < viewers.size(); ++v) {
        const double w = median(wall[v]);
        const double c = median(cpu[v]);
        std::printf("%-56s %8.1f ms %5.2fx   cpu %6.1f ms %5.2fx\n", viewers[v].c_str(), w, w / baseWall, c,
                    c / baseCpu);
    }
    return 0;
}
