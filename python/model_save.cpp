// Mesh.save.  With the model library's checked writer glmSaveOBJ the files
// are replaced whole or not at all and a failure comes back as an error.
// Libraries that lack it (SOLAR_HAVE_GLM_SAVE_OBJ unset by the build's
// check) write through glmWriteOBJ in a child process, which may end itself
// on a failure; its output tells the warnings and the failure.
#include <pybind11/pybind11.h>

#include <cstdio>
#include <string>

#include "model/glm.h"
#include "model/glm_core.h"
#include "python/model_module.h"

#ifndef SOLAR_HAVE_GLM_SAVE_OBJ
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace py = pybind11;

namespace {

constexpr unsigned WRITE_MODES = MODE_FLAT | MODE_SMOOTH | MODE_TEXTURE | MODE_COLOR | MODE_MATERIAL | MODE_KEEP_ALL;

#ifndef SOLAR_HAVE_GLM_SAVE_OBJ
// Runs glmWriteOBJ in a child whose standard output and error come back in
// `output`; true when it ended with status 0.
bool writeInChild(GlmMesh* model, const char* path, unsigned mode, std::string& output)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        raiseModelError("cant_write", std::string("can't start the writer: ") + std::strerror(errno));
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        raiseModelError("cant_write", std::string("can't start the writer: ") + std::strerror(errno));
    }
    if (child == 0) {
        ::dup2(pipeEnds[1], 1);
        ::dup2(pipeEnds[1], 2);
        ::close(pipeEnds[0]);
        glmSetMessageHandler(nullptr, nullptr);
        glmWriteOBJ(model, path, mode);
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            output.append(buffer, static_cast<std::size_t>(n));
        else if (errno != EINTR)
            break;
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
#endif

}  // namespace

void saveMesh(GlmMesh* model, const py::object& path, unsigned mode)
{
    if (mode & ~WRITE_MODES)
        throw py::value_error("mode holds flags the writer does not know (use the MODE_* constants but MODE_OUTLINE)");
    const std::string file = fileSystemPath(path, "path");
    if (file.empty())
        throw py::value_error("path is empty");
    LibraryCall call;
#ifdef SOLAR_HAVE_GLM_SAVE_OBJ
    GlmWriteError error;
    if (!glmSaveOBJ(model, file.c_str(), mode, nullptr, &error)) {
        call.warn();
        raiseModelError("cant_write", error.message);
    }
    call.warn();
#else
    std::string output;
    const bool ok = writeInChild(model, file.c_str(), mode, output);
    // Every line is a warning, but the failure a failed child ends with.
    std::string failure;
    py::object category = py::module_::import("solar_system").attr("ModelWarning");
    for (std::size_t start = 0; start < output.size();) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        std::string line = output.substr(start, end - start);
        start = end + 1;
        if (!ok && line.find("failed") != std::string::npos)
            failure = line;
        else if (!line.empty() && PyErr_WarnEx(category.ptr(), line.c_str(), 1) < 0)
            throw py::error_already_set();
    }
    if (!ok)
        raiseModelError("cant_write",
                        failure.empty() ? "glmWriteOBJ() failed: \"" + file + "\" was not written." : failure);
#endif
}
