#include "tests/support/x_session.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

CommandOutput runCommand(const std::string& command)
{
    CommandOutput out{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    std::array<char, 256> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe))
        out.text += buffer.data();
    const int status = pclose(pipe);
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

PrivateXServer::PrivateXServer()
{
    // Xvfb tells its display number on a pipe once it accepts clients.
    int fds[2];
    if (pipe(fds) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty())
        return;
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
    setenv("LC_ALL", "C.UTF-8", 1);
}

PrivateXServer::~PrivateXServer()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

unsigned long findWindow(const std::string& namePattern, std::chrono::milliseconds patience)
{
    const auto end = Clock::now() + patience;
    do {
        const CommandOutput out = runCommand("xdotool search --onlyvisible --name '" + namePattern + "'");
        if (out.status == 0)
            return std::strtoul(out.text.c_str(), nullptr, 10);
        std::this_thread::sleep_for(50ms);
    } while (Clock::now() < end);
    return 0;
}

bool windowGone(const std::string& namePattern, unsigned long id, std::chrono::milliseconds patience)
{
    const std::string idLine = std::to_string(id) + "\n";
    const auto end = Clock::now() + patience;
    while (Clock::now() < end) {
        const CommandOutput out = runCommand("xdotool search --onlyvisible --name '" + namePattern + "'");
        if (out.status != 0 || ("\n" + out.text).find("\n" + idLine) == std::string::npos)
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}
