// How solar_system.model calls the model library, and what crosses between
// Python and the library: callLibrary runs one library call with its
// messages collected, turns a failure it reports into a Python exception and
// gives its warnings to Python's warnings module; the rest converts paths and
// names.  Every other source of the module calls the library through here.
#pragma once

#include <pybind11/pybind11.h>

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "model/glm_core.h"

// A library call's failure as Python sees it: the ModelError kind and the
// library's message.  `kind` stays null while the call succeeds.
struct Failure {
    const char* kind = nullptr;
    std::string message;
    // The call's warnings go to Python before the exception.  A failed read
    // leaves no model, and the warnings about it are dropped with it; a
    // failed write still tells what the file would have lost.
    bool warnFirst = false;
};

// The failure a reader reports in `error` (the kind named as ModelError's).
Failure readFailure(const GlmReadError& error);
// The failure glmSaveOBJ reports in `error`.
Failure writeFailure(const GlmWriteError& error);
// The failure a geometry operation of the core reports in `error`.
Failure operationFailure(const GlmError& error);

// Raises the exception of `failure`: MemoryError(message) when the library
// ran out of memory (kind "no_memory"), else solar_system.ModelError(kind,
// message), the message without its line break.  The one place a failure
// becomes an exception.
[[noreturn]] void raiseFailure(const Failure& failure);

// Installs the module's message handler (once, at import): the library's
// messages during callLibrary are collected, and elsewhere go to their
// streams as usual.
void installMessageHandler();

// Collects the library's messages on this thread from construction on,
// while the GIL is released too; warn() needs the GIL.  Used by callLibrary.
class MessageCollector {
public:
    MessageCollector();
    ~MessageCollector();
    MessageCollector(const MessageCollector&) = delete;
    MessageCollector& operator=(const MessageCollector&) = delete;
    // Stops collecting and hands the messages to Python as
    // solar_system.ModelWarning (raising when a filter makes them errors).
    void warn();

private:
    std::vector<std::string> messages;
    std::vector<std::string>* previous;
};

// Runs `work(failure)`, a call into the model library, with its messages
// collected; `work` sets `failure` when the library reports one and may
// release the GIL around the library itself.  Then raises the failure, or
// gives the warnings to Python and returns what `work` returned.  An
// exception `work` throws passes through, its messages dropped.
template <class Work>
auto callLibrary(Work&& work) -> decltype(work(std::declval<Failure&>()))
{
    MessageCollector messages;
    Failure failure;
    auto finish = [&] {
        if (failure.kind) {
            if (failure.warnFirst)
                messages.warn();
            raiseFailure(failure);
        }
        messages.warn();
    };
    if constexpr (std::is_void_v<decltype(work(failure))>) {
        work(failure);
        finish();
    } else {
        auto result = work(failure);
        finish();
        return result;
    }
}

// The bytes of a str, bytes or os.PathLike path (os.fsencode); ValueError
// naming `what` when it holds a NUL character.
std::string fileSystemPath(const pybind11::object& path, const char* what);

// A name the library holds, decoded as the file system's names are; None
// for null.
pybind11::object text(const char* s);
