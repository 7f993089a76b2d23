#include "tests/tools/objtool/support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/glm_core.h"

extern char** environ;

bool fileExists(const std::string& path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

namespace {

pid_t spawn(const std::vector<std::string>& args, const std::string& outPath, const std::string& errPath,
            bool withoutDisplay)
{
    std::vector<std::string> words = {OBJTOOL_BINARY};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** e = environ; *e; e++)
        if (!withoutDisplay || std::string(*e).rfind("DISPLAY=", 0) != 0)
            envp.push_back(*e);
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

}  // namespace

int startObjtool(const std::vector<std::string>& args, const std::string& outPath, const std::string& errPath)
{
    return spawn(args, outPath, errPath, false);
}

int waitObjtool(int pid, double seconds)
{
    if (pid <= 0)
        return -1;
    int status = 0;
    for (int waited = 0; waited < seconds * 100; waited++) {
        pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        ::usleep(10000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

RunResult runObjtool(const std::vector<std::string>& args, bool withoutDisplay)
{
    TempDir logs;
    std::string outPath = logs.file("stdout"), errPath = logs.file("stderr");
    RunResult result;
    pid_t pid = spawn(args, outPath, errPath, withoutDisplay);
    if (pid > 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0) {
        }
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

GlmMesh* readBack(const std::string& path)
{
    GlmReadError error;
    return glmLoadOBJ(path.c_str(), nullptr, &error);
}

std::string torusObj(int rings, int sides)
{
    std::ostringstream obj;
    const double pi = 3.14159265358979;
    for (int i = 0; i < rings; i++) {
        for (int j = 0; j < sides; j++) {
            double u = 2 * pi * i / rings, v = 2 * pi * j / sides;
            double r = 1.0 + 0.35 * std::cos(v);
            obj << "v " << r * std::cos(u) << " " << r * std::sin(u) << " " << 0.35 * std::sin(v) << "\n";
        }
    }
    obj << "g torus\n";
    for (int i = 0; i < rings; i++) {
        for (int j = 0; j < sides; j++) {
            int a = i * sides + j + 1, b = ((i + 1) % rings) * sides + j + 1;
            int c = ((i + 1) % rings) * sides + (j + 1) % sides + 1, d = i * sides + (j + 1) % sides + 1;
            obj << "f " << a << " " << b << " " << c << " " << d << "\n";
        }
    }
    return obj.str();
}

void expectOneMessage(const RunResult& r, const std::string& fragment)
{
    EXPECT_EQ(r.err.rfind("objtool: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(fragment), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}
