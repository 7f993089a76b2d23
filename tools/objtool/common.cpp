// Messages, capture of the library's output, the progress line, model
// loading and safe output files, shared by objtool's subcommands.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "model/glm_core.h"
#include "platform/atomic_file.h"
#include "platform/win_path.h"
#include "tools/objtool/objtool.h"

namespace {

// Where objtool's own messages go: a copy of the standard error that was
// there at start, so messages still reach the user while fd 2 is captured.
int messageFd = 2;
// The same, but only when it is a terminal: the progress line goes there.
int terminalFd = -1;

FILE* captureFile = nullptr;
int savedStdout = -1;
int savedStderr = -1;

// The library's warnings while a capture runs: handed over by its message
// handler, so they arrive as the texts it would print.
std::vector<std::string>* handedMessages = nullptr;

std::mutex progressMutex;
std::condition_variable progressWake;
std::thread progressThread;
bool progressDone = false;

void writeAll(int fd, const std::string& text)
{
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

// The material loader: a library that cannot be read is a warning, and the
// model goes on with the default material alone.
bool loadMaterialsOrDefault(GlmMesh* model, const char* name, void*, GlmReadError* error)
{
    char* directory = glmDirectoryOf(model->sourcePath ? model->sourcePath : "");
    std::string path = std::string(directory ? directory : "") + name;
    std::free(directory);
    std::string why;
    struct stat info;
    // Found as glmLoadMTL finds it: ".\\Car.MTL" written on Windows is car.mtl.
    if (::stat(resolveWindowsPath(path).c_str(), &info) != 0)
        why = std::strerror(errno);
    else if (S_ISDIR(info.st_mode))
        why = "is a directory";
    else if (!S_ISREG(info.st_mode))
        why = "not a regular file";
    else if (glmLoadMTL(model, name, nullptr, error))
        return true;
    else
        why = "cannot be read";
    // Among the library's own warnings, in the order they come.
    std::string warning = "material library \"" + path + "\": " + why + "; using the default material";
    if (handedMessages)
        handedMessages->push_back(warning);
    else
        std::printf("%s\n", warning.c_str());
    glmParseMTL(model, "", 0);
    return true;
}

std::string withoutLineBreak(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

}  // namespace

void initMessages()
{
    int copy = ::fcntl(2, F_DUPFD_CLOEXEC, 3);
    if (copy >= 0)
        messageFd = copy;
    if (::isatty(2))
        terminalFd = messageFd;
}

std::string libraryMessage(const char* message) { return withoutLineBreak(message); }

void fail(const std::string& text) { writeAll(messageFd, "objtool: " + text + "\n"); }

void warn(const std::string& text) { writeAll(messageFd, "objtool: warning: " + text + "\n"); }

// Library warnings can repeat once per vertex; each text is shown once.
void reportWarnings(const std::vector<std::string>& warnings, const std::string& prefix)
{
    std::vector<std::string> order;
    std::map<std::string, unsigned> counts;
    for (const std::string& line : warnings) {
        if (line.empty())
            continue;
        if (counts[line]++ == 0)
            order.push_back(line);
    }
    for (const std::string& line : order) {
        unsigned n = counts[line];
        warn(prefix + (n > 1 ? line + " (" + std::to_string(n) + " times)" : line));
    }
}

void collectMessage(FILE*, const char* text, void*)
{
    if (!handedMessages)
        return;
    std::string message = text;
    std::size_t start = 0;
    for (std::size_t lf; (lf = message.find('\n', start)) != std::string::npos; start = lf + 1)
        handedMessages->push_back(withoutLineBreak(message.substr(start, lf - start)));
    if (start < message.size())
        handedMessages->push_back(withoutLineBreak(message.substr(start)));
}

int beginCapture()
{
    handedMessages = new std::vector<std::string>;
    glmSetMessageHandler(collectMessage, nullptr);
    // Anything still printed directly goes to a file and is read back too.
    std::fflush(stdout);
    std::fflush(stderr);
    captureFile = std::tmpfile();
    if (!captureFile)
        return -1;
    savedStdout = ::dup(1);
    savedStderr = ::dup(2);
    ::dup2(::fileno(captureFile), 1);
    ::dup2(::fileno(captureFile), 2);
    return 0;
}

std::vector<std::string> endCapture(int token)
{
    glmSetMessageHandler(nullptr, nullptr);
    std::vector<std::string> lines = std::move(*handedMessages);
    delete handedMessages;
    handedMessages = nullptr;
    if (token < 0 || !captureFile)
        return lines;
    std::fflush(stdout);
    std::fflush(stderr);
    ::dup2(savedStdout, 1);
    ::dup2(savedStderr, 2);
    ::close(savedStdout);
    ::close(savedStderr);
    std::rewind(captureFile);
    std::string line;
    for (int c; (c = std::fgetc(captureFile)) != EOF;) {
        if (c == '\n') {
            lines.push_back(withoutLineBreak(line));
            line.clear();
        } else {
            line.push_back(static_cast<char>(c));
        }
    }
    if (!line.empty())
        lines.push_back(withoutLineBreak(line));
    std::fclose(captureFile);
    captureFile = nullptr;
    return lines;
}

void progressBegin(const std::string& label)
{
    if (terminalFd < 0)
        return;
    progressEnd();
    progressDone = false;
    progressThread = std::thread([label] {
        using namespace std::chrono;
        const auto start = steady_clock::now();
        auto elapsed = [&] {
            char text[32];
            std::snprintf(text, sizeof text, "%.1f s", duration<double>(steady_clock::now() - start).count());
            return std::string(text);
        };
        std::unique_lock<std::mutex> lock(progressMutex);
        if (progressWake.wait_for(lock, milliseconds(500), [] { return progressDone; }))
            return;
        do {
            writeAll(terminalFd, "\r\033[Kobjtool: " + label + "... " + elapsed());
        } while (!progressWake.wait_for(lock, milliseconds(200), [] { return progressDone; }));
        writeAll(terminalFd, "\r\033[Kobjtool: " + label + ": done in " + elapsed() + "\n");
    });
}

void progressEnd()
{
    if (!progressThread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(progressMutex);
        progressDone = true;
    }
    progressWake.notify_all();
    progressThread.join();
}

namespace {

void countSkipped(const char* keyword, std::size_t length, unsigned long count, void* context)
{
    static_cast<std::vector<SkippedStatement>*>(context)->push_back({std::string(keyword, length), count});
}

}  // namespace

GlmMesh* loadModel(const std::string& path, std::vector<std::string>* warnings, std::vector<SkippedStatement>* skipped)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        fail(path + ": " + std::strerror(errno));
        return nullptr;
    }
    if (S_ISDIR(info.st_mode)) {
        fail(path + ": is a directory");
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        fail(path + ": not a regular file");
        return nullptr;
    }
    GlmReadOptions options;
    options.loadMaterials = loadMaterialsOrDefault;
    if (skipped) {
        options.countSkipped = countSkipped;
        options.skipContext = skipped;
    }
    GlmReadError error{};
    GlmMesh* model = nullptr;
    progressBegin("reading " + path);
    std::vector<std::string> lines = captureOutput([&] { model = glmLoadOBJ(path.c_str(), &options, &error); });
    progressEnd();
    if (warnings)
        warnings->insert(warnings->end(), lines.begin(), lines.end());
    if (!model) {
        if (error.kind == GLM_READ_CANT_OPEN) {
            fail(path + ": cannot read the file");
        } else if (error.kind == GLM_READ_NOT_TEXT && std::strncmp(error.message, "glmReadOBJ", 10) == 0) {
            fail(path + ": not a text file");
        } else {
            fail(path + ": not a model objtool can read: " + withoutLineBreak(error.message));
        }
        return nullptr;
    }
    return model;
}

bool boundingBox(const GlmMesh* model, float min[3], float max[3])
{
    if (model->vertexCount == 0 || !model->vertices)
        return false;
    for (int k = 0; k < 3; k++)
        min[k] = max[k] = model->vertices[3 + k];
    for (unsigned i = 2; i <= model->vertexCount; i++) {
        for (int k = 0; k < 3; k++) {
            float value = model->vertices[3 * i + k];
            if (value < min[k])
                min[k] = value;
            if (value > max[k])
                max[k] = value;
        }
    }
    return true;
}

// glmCenterAndScale measures an axis as |max| + |min|, which is the side of
// the box only when the box holds the origin: a box from 2 to 10 would be
// scaled as if it were 12 long.  Centring it first makes the two agree.
void unitize(GlmMesh* model)
{
    float min[3], max[3];
    if (!boundingBox(model, min, max))
        return;
    const float offset[3] = {-(min[0] + max[0]) / 2, -(min[1] + max[1]) / 2, -(min[2] + max[2]) / 2};
    glmShift(model, offset);
    glmCenterAndScale(model);
}

// glmVertexNormals joins a face when its dot product with the reference
// exceeds the cosine of the angle, computed with the float nearest pi: at
// 90 degrees that cosine is slightly below 0, so faces meeting at exactly a
// right angle would be averaged.  A user asking for 90 means "edges of 90
// degrees and more stay hard"; the slightly smaller angle gives that.
float smoothingAngle(float degrees) { return degrees * (1.0f - 1e-5f); }

namespace {

AtomicFile atomicOf(const OutputFile& out)
{
    AtomicFile file;
    file.path = out.finalPath;
    file.temp = out.tempPath;
    file.fd = out.fd;
    return file;
}

void keep(const AtomicFile& file, OutputFile* out)
{
    out->finalPath = file.path;
    out->tempPath = file.temp;
    out->fd = file.fd;
}

}  // namespace

bool outputBegin(const std::string& path, OutputFile* out)
{
    AtomicFile file;
    const int why = atomicFileBegin(path.c_str(), ATOMIC_REPLACE, &file);
    if (why == EISDIR) {
        fail(path + ": is a directory");
        return false;
    }
    if (why) {
        fail(path + ": cannot write: " + std::strerror(why));
        return false;
    }
    keep(file, out);
    return true;
}

bool outputCommit(OutputFile* out)
{
    AtomicFile file = atomicOf(*out);
    const int why = atomicFileCommit(&file, true);
    keep(file, out);
    if (why) {
        fail(out->finalPath + ": cannot write: " + std::strerror(why));
        return false;
    }
    return true;
}

void outputAbandon(OutputFile* out)
{
    AtomicFile file = atomicOf(*out);
    atomicFileAbandon(&file);
    keep(file, out);
}

bool parseFloat(const char* text, float* value)
{
    if (!text || !*text)
        return false;
    char* end = nullptr;
    errno = 0;
    double parsed = std::strtod(text, &end);
    if (*end != '\0' || errno == ERANGE || !std::isfinite(parsed))
        return false;
    if (std::fabs(parsed) > 3.4e38)
        return false;
    *value = static_cast<float>(parsed);
    return true;
}

std::string baseName(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
