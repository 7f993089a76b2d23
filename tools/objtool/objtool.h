// objtool: the model library as a command.  Shared pieces of the
// subcommands: the option parser, loading a model with its warnings
// captured, safe output files, pictures, the progress line and messages.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/glm.h"

// Exit statuses.
constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;  // a file could not be read or written
constexpr int EXIT_USAGE = 2;   // the command line is wrong

// "objtool: TEXT" on standard error (the terminal's, even while the library's
// output is being captured).
void fail(const std::string& text);
void warn(const std::string& text);
// A message line of the model library without its line break.
std::string libraryMessage(const char* message);

// Warnings on standard error, each text once with its count; `prefix`
// (such as "file.obj: ") goes before each.
void reportWarnings(const std::vector<std::string>& warnings, const std::string& prefix);

// Called once at start: remembers where messages and the progress line go.
void initMessages();

// Runs `work` with the library's message handler collecting its warnings
// (and, for anything still printed directly, the process's standard output
// and standard error sent to a temporary file); returns the lines, without
// their line breaks.
template <class Work>
std::vector<std::string> captureOutput(Work work);
int beginCapture();
std::vector<std::string> endCapture(int token);

template <class Work>
std::vector<std::string> captureOutput(Work work)
{
    int token = beginCapture();
    work();
    return endCapture(token);
}

// A progress line on standard error while a step runs longer than half a
// second, only when standard error is a terminal.
void progressBegin(const std::string& label);
void progressEnd();

// A statement kind the reader skipped without keeping it, with its count.
struct SkippedStatement {
    std::string keyword;
    unsigned long count;
};

// Reads the OBJ file at `path`.  Returns the model, or null after printing
// objtool's own message.  The library's warnings (and objtool's own, such as
// a material library that cannot be read) go into `warnings`; the kinds of
// statement the reader skipped into `skipped` (may be null).  A material
// library that is missing or unreadable leaves only the default material.
GlmMesh* loadModel(const std::string& path, std::vector<std::string>* warnings,
                   std::vector<SkippedStatement>* skipped = nullptr);

// Bounding box of vertices 1..vertexCount; false when there are none.
bool boundingBox(const GlmMesh* model, float min[3], float max[3]);

// Centres the bounding box on the origin and scales the largest side of it
// to 2.  Needs at least one vertex.
void unitize(GlmMesh* model);

// The angle handed to glmVertexNormals for a user's smoothing angle: faces
// meeting at exactly `degrees` keep their hard edge.
float smoothingAngle(float degrees);

// Output files are written beside their final place under a temporary name
// and renamed over it only when complete, so a failed write never leaves a
// half-written file or destroys an existing one.
struct OutputFile {
    std::string finalPath;  // the target, with symbolic links resolved
    std::string tempPath;
    int fd = -1;
};
// Creates the temporary file (platform/atomic_file.h), with the usual
// permissions or the replaced file's; false after a message when the folder
// cannot take it, or when `path` names a folder.
bool outputBegin(const std::string& path, OutputFile* out);
// Syncs the file to disk and renames it into place; false after a message.
bool outputCommit(OutputFile* out);
// Removes the temporary file.
void outputAbandon(OutputFile* out);

// An RGB picture, rows bottom first (as OpenGL takes them), unpadded.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
};
// Reads a BMP, SGI, PPM, PNG or JPEG picture, known by its first bytes;
// false with `why` set when it cannot be read or decoded.  PNG and JPEG go
// through the picture codecs (image/picture.h).
bool loadPicture(const std::string& path, Picture* picture, std::string* why);
// The picture as a PNG file's bytes, through the picture codecs; false when
// they refuse.
bool encodePng(const Picture& picture, std::string* png);

// Parses a number argument; false when `text` is not entirely a finite number.
bool parseFloat(const char* text, float* value);

std::string baseName(const std::string& path);

// The command line of a subcommand, parsed by parseArguments (options.cpp).
// A taker takes one argument; false refuses it, with `problem` set to the
// message to print, or left empty for an option value's usual message.
using Taker = std::function<bool(const char* value, std::string* problem)>;
struct Option {
    const char* name;  // "--size"
    // What the option's value must be ("a number"), for the message when it
    // is not: "COMMAND: --scale wants a number, not "x"".  Null for an
    // option without a value, whose taker gets null.
    const char* wants;
    Taker take;
};
// What a subcommand says of an option that ends the command line without
// its value: "NAME wants WANTS", or "missing value after "NAME"".
enum class MissingValue { SAY_WHAT_IT_WANTS, SAY_MISSING };
// Takes the arguments in order: options through their takers, operands
// (arguments that are not options; "-" is one) through `operand`.  False
// after printing "COMMAND: ..." for the first argument refused: an unknown
// option, a missing value, or what a taker refused (a usage error).
bool parseArguments(const char* command, int argc, char** argv, const std::vector<Option>& options,
                    MissingValue missing, const Taker& operand);
// The operand taker of a subcommand that reads one model: the first operand
// goes into `path`, a second is "one model at a time".
Taker oneModel(const char** path);

int commandInfo(int argc, char** argv);
int commandConvert(int argc, char** argv);
int commandView(int argc, char** argv);
