// A private X server and the windows on it, for tests that drive a program
// the way a user would (xdotool for keys, mouse and menus).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>

// Output and exit status of a shell command.
struct CommandOutput {
    int status;  // -1 when it did not exit normally
    std::string text;
};
CommandOutput runCommand(const std::string& command);

// An Xvfb of its own (1280x1024, 24 bits) on the first free display; DISPLAY
// and LC_ALL are set for this process and its children while it runs.
class PrivateXServer {
public:
    PrivateXServer();
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;
    bool running() const { return !display_.empty(); }
    const std::string& display() const { return display_; }  // ":N"

private:
    pid_t pid_ = 0;
    std::string display_;
};

// First visible window whose name matches the anchored pattern, waiting for
// it up to `patience`; 0 when none appears.
unsigned long findWindow(const std::string& namePattern, std::chrono::milliseconds patience);

// Waits until window `id` is no longer a visible window of that name.
bool windowGone(const std::string& namePattern, unsigned long id, std::chrono::milliseconds patience);
