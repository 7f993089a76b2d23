// Loading an OBJ file: glmLoadOBJ on one and on two threads, fast_obj (the
// fastest single-threaded reader we compare with, built only when its
// source was found at configure time) and the stdio reference reader, on
// three generated files.  Every load runs in a child process of its own, so
// that the peak memory each loader reports is its own and not what an
// earlier load left behind.  After the runs a table gives, per file and
// loader, the best time (and CPU time, steadier on a busy machine), MB/s,
// the peak memory growth and the ratio to fast_obj; glmLoadOBJ's peak is
// also checked against its arrays + 32 MiB.  Figures differ from machine to
// machine (page faults cost little on some and much on others), so the table
// names the processor and gives each load's thread count and page faults.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/sphere_file.h"
#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/obj_oracle.h"

#ifdef MODEL_BENCH_FAST_OBJ
#include "fast_obj.h"
#endif

namespace {

struct File {
    const char* label;
    std::string (*make)(const std::string& path);
};

const File FILES[] = {
    {"sphere 105 MB v/vt/vn", [](const std::string& p) { return writeSphereFile(p, SphereForm::Triangles); }},
    {"sphere 38 MB v only", [](const std::string& p) { return writeSphereFile(p, SphereForm::Plain); }},
    {"torus 107 MB quads", [](const std::string& p) { return writeTorusFile(p); }},
};

std::string filePath(int file)
{
    static const char* const names[] = {"sphere-triangles.obj", "sphere-plain.obj", "torus-quads.obj"};
    std::filesystem::create_directories(MODEL_BENCH_DATA);
    return FILES[file].make(std::string(MODEL_BENCH_DATA) + "/" + names[file]);
}

// What one child reports: the load's time, the growth of its peak resident
// memory, and the bytes of the model's own arrays (glm loaders only).
struct Report {
    bool ok;
    double seconds;
    long long peakGrowth;
    long long arrays;
    double cpuSeconds;  // user and system time of all the child's threads
    long faults;        // page faults of the load (minor and major)
};

long faultsNow()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

// The processor's name as the system gives it ("model name" in /proc/cpuinfo).
std::string processorName()
{
    std::ifstream info("/proc/cpuinfo");
    for (std::string line; std::getline(info, line);)
        if (line.rfind("model name", 0) == 0) {
            std::size_t colon = line.find(':');
            if (colon != std::string::npos)
                return line.substr(line.find_first_not_of(" \t", colon + 1));
        }
    return "unknown processor";
}

double cpuNow()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

long long peakBytes()
{
    long long kib = -1;
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::strncmp(line, "VmHWM:", 6) == 0)
                kib = std::strtoll(line + 6, nullptr, 10);
        std::fclose(status);
    }
    return kib * 1024;
}

long long arrayBytes(const GlmMesh* m)
{
    long long bytes =
        12ll * (m->vertexCount + 1) + 4ll * m->faceCount + static_cast<long long>(sizeof(GlmFace)) * m->faceCount;
    if (m->normals)
        bytes += 12ll * (m->normalCount + 1);
    if (m->uvs)
        bytes += 8ll * (m->uvCount + 1);
    return bytes;
}

Report loadGlm(const char* path, unsigned threads)
{
    GlmReadOptions options;
    options.threads = threads;
    GlmReadError error;
    long long before = peakBytes();
    double cpu = cpuNow();
    long faults = faultsNow();
    auto start = std::chrono::steady_clock::now();
    GlmMesh* model = glmLoadOBJ(path, &options, &error);
    auto stop = std::chrono::steady_clock::now();
    if (!model)
        return {false, 0, 0, 0, 0, 0};
    return {true,
            std::chrono::duration<double>(stop - start).count(),
            peakBytes() - before,
            arrayBytes(model),
            cpuNow() - cpu,
            faultsNow() - faults};
}

Report loadReference(const char* path)
{
    std::string error;
    long long before = peakBytes();
    double cpu = cpuNow();
    long faults = faultsNow();
    auto start = std::chrono::steady_clock::now();
    GlmMesh* model = oracleReadOBJ(path, &error);
    auto stop = std::chrono::steady_clock::now();
    if (!model)
        return {false, 0, 0, 0, 0, 0};
    return {true,
            std::chrono::duration<double>(stop - start).count(),
            peakBytes() - before,
            arrayBytes(model),
            cpuNow() - cpu,
            faultsNow() - faults};
}

#ifdef MODEL_BENCH_FAST_OBJ
Report loadFastObj(const char* path)
{
    long long before = peakBytes();
    double cpu = cpuNow();
    long faults = faultsNow();
    auto start = std::chrono::steady_clock::now();
    fastObjMesh* mesh = fast_obj_read(path);
    auto stop = std::chrono::steady_clock::now();
    if (!mesh)
        return {false, 0, 0, 0, 0, 0};
    return {true,
            std::chrono::duration<double>(stop - start).count(),
            peakBytes() - before,
            0,
            cpuNow() - cpu,
            faultsNow() - faults};
}
#endif

enum Loader { GLM_ONE, GLM_TWO, FAST_OBJ, REFERENCE, LOADERS };
const char* const LOADER_NAMES[] = {"glmLoadOBJ 1 thread", "glmLoadOBJ 2 threads", "fast_obj 1 thread",
                                    "reference (stdio)"};
const unsigned LOADER_THREADS[] = {1, 2, 1, 1};

// Runs one load in a child process and hands back its report.
Report inChild(Loader loader, const std::string& path)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {false, 0, 0, 0, 0, 0};
    pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        Report r{false, 0, 0, 0, 0, 0};
        switch (loader) {
        case GLM_ONE:
            r = loadGlm(path.c_str(), 1);
            break;
        case GLM_TWO:
            r = loadGlm(path.c_str(), 2);
            break;
        case REFERENCE:
            r = loadReference(path.c_str());
            break;
        case FAST_OBJ:
#ifdef MODEL_BENCH_FAST_OBJ
            r = loadFastObj(path.c_str());
#endif
            break;
        default:
            break;
        }
        ssize_t written = ::write(fds[1], &r, sizeof r);
        ::_exit(written == sizeof r ? 0 : 1);
    }
    ::close(fds[1]);
    Report r{false, 0, 0, 0, 0, 0};
    if (child < 0 || ::read(fds[0], &r, sizeof r) != sizeof r)
        r.ok = false;
    ::close(fds[0]);
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    return r;
}

// Best and median time, largest peak and fewest faults per file and
// loader, for the table.
struct Best {
    double seconds = 0, cpuSeconds = 0;
    long long peak = 0, arrays = 0;
    long faults = -1;
    std::vector<double> all;  // every run's time
    double median() const
    {
        std::vector<double> sorted = all;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
};
std::map<std::pair<int, int>, Best> results;

void BM_Load(benchmark::State& state)
{
    const int file = static_cast<int>(state.range(0));
    const auto loader = static_cast<Loader>(state.range(1));
    std::string path = filePath(file);
    state.SetLabel(std::string(FILES[file].label) + ", " + LOADER_NAMES[loader]);
    const double megabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    Best& best = results[{file, loader}];
    for (auto _ : state) {
        Report r = inChild(loader, path);
        if (!r.ok) {
            state.SkipWithError("the load failed");
            return;
        }
        state.SetIterationTime(r.seconds);
        if (best.seconds == 0 || r.seconds < best.seconds)
            best.seconds = r.seconds;
        if (best.cpuSeconds == 0 || r.cpuSeconds < best.cpuSeconds)
            best.cpuSeconds = r.cpuSeconds;
        best.peak = std::max(best.peak, r.peakGrowth);
        best.all.push_back(r.seconds);
        if (best.faults < 0 || r.faults < best.faults)
            best.faults = r.faults;
        best.arrays = r.arrays;
    }
    state.counters["MB/s"] = megabytes / best.seconds;
    state.counters["cpu_ms"] = best.cpuSeconds * 1e3;
    state.counters["peak_MiB"] = static_cast<double>(best.peak) / (1 << 20);
    state.counters["threads"] = LOADER_THREADS[loader];
    state.counters["faults"] = static_cast<double>(best.faults);
}

void registerLoads()
{
    for (int file = 0; file < 3; file++)
        for (int loader = 0; loader < LOADERS; loader++) {
#ifndef MODEL_BENCH_FAST_OBJ
            if (loader == FAST_OBJ)
                continue;  // the peer's source was not there
#endif
            benchmark::RegisterBenchmark("BM_Load", BM_Load)
                ->Args({file, loader})
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond)
                ->Iterations(loader == REFERENCE ? 1 : 9);
        }
}

// Prints the table; false when glmLoadOBJ went over its memory bound.
bool printTable()
{
    std::printf("\nprocessor: %s, %u CPUs for this process (glmReaderThreads)\n", processorName().c_str(),
                glmReaderThreads());
    std::printf("%-24s %-22s %7s %9s %9s %8s %8s %8s %10s %13s %9s %9s %9s\n", "file", "loader", "threads", "time ms",
                "median", "cpu ms", "faults", "MB/s", "peak MiB", "arrays+32MiB", "/fast_obj", "median/fo", "cpu /f_o");
    bool over = false;
    for (int file = 0; file < 3; file++) {
        auto fast = results.find({file, FAST_OBJ});
        const double megabytes = static_cast<double>(std::filesystem::file_size(filePath(file))) / 1e6;
        for (int loader = 0; loader < LOADERS; loader++) {
            auto found = results.find({file, loader});
            if (found == results.end() || found->second.seconds == 0)
                continue;
            const Best& b = found->second;
            char limit[32] = "-", ratio[32] = "-", cpuRatio[32] = "-", median[32] = "-";
            if (loader == GLM_ONE || loader == GLM_TWO) {
                bool fits = b.peak <= b.arrays + (32ll << 20);
                over |= !fits;
                std::snprintf(limit, sizeof limit, "%.1f %s", static_cast<double>(b.arrays + (32ll << 20)) / (1 << 20),
                              fits ? "ok" : "OVER");
            }
            if (fast != results.end() && fast->second.seconds > 0) {
                std::snprintf(ratio, sizeof ratio, "%.2fx", b.seconds / fast->second.seconds);
                std::snprintf(median, sizeof median, "%.2fx", b.median() / fast->second.median());
                std::snprintf(cpuRatio, sizeof cpuRatio, "%.2fx", b.cpuSeconds / fast->second.cpuSeconds);
            }
            std::printf("%-24s %-22s %7u %9.1f %9.1f %8.1f %8ld %8.0f %10.1f %13s %9s %9s %9s\n", FILES[file].label,
                        LOADER_NAMES[loader], LOADER_THREADS[loader], b.seconds * 1e3, b.median() * 1e3,
                        b.cpuSeconds * 1e3, b.faults, megabytes / b.seconds, static_cast<double>(b.peak) / (1 << 20),
                        limit, ratio, median, cpuRatio);
        }
    }
    if (over)
        std::printf("glmLoadOBJ went over its arrays + 32 MiB\n");
    return !over;
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // Generate the files and bring them into the page cache first.
    for (int file = 0; file < 3; file++) {
        std::string path = filePath(file);
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
            static char buffer[1 << 16];
            while (std::fread(buffer, 1, sizeof buffer, f) > 0) {
            }
            std::fclose(f);
        }
    }
    registerLoads();
    benchmark::RunSpecifiedBenchmarks();
    bool withinBound = printTable();
    benchmark::Shutdown();
    return withinBound ? 0 : 1;
}
