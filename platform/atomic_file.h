// Replacing a file only once its new contents are complete: the new file is
// written under a temporary name beside the old one and renamed over it, so
// a reader sees the old file or the new one, never half of either.  Plain
// system calls: no GL, no GTK; the model library, the tools, the picture
// encoder and the viewer all write their files through it.
#pragma once

#include <cstddef>
#include <string>

// Whether a finished file may take the place of one already there.
enum AtomicFileMode {
    ATOMIC_REPLACE,     // the old file is replaced
    ATOMIC_CREATE_NEW,  // a file already there is kept, and the write fails with EEXIST
};

// A file being written.  Every function below returns 0 or an errno value.
struct AtomicFile {
    std::string path;  // the file written: the path given, a symbolic link followed to its target
    std::string temp;  // the temporary file beside it; empty when `path` is written in place
    int fd = -1;       // open for writing; a caller that closes it itself (fdopen, fclose) sets it to -1
    AtomicFileMode mode = ATOMIC_REPLACE;
};

// Opens a temporary file ".NAME.XXXXXX" beside `path` for writing: created
// with permissions 0666 less the umask, or with the old file's permissions
// (and its owner, where this process may give it) when there is one.  A path
// that names an existing file that is not a regular one (a device, a FIFO)
// is opened and written in place, since renaming over it would put a regular
// file there.  A folder gives EISDIR; ATOMIC_CREATE_NEW on a path that
// exists gives EEXIST.
int atomicFileBegin(const char* path, AtomicFileMode mode, AtomicFile* file);

// Puts the finished file in place: closes the descriptor if still open
// (synced to disk first when `sync`), then renames the temporary file over
// the target.  On failure the temporary file is removed.
int atomicFileCommit(AtomicFile* file, bool sync);

// Closes the descriptor if open and removes the temporary file.
void atomicFileAbandon(AtomicFile* file);

// Syncs the folder that holds `path`, so that a rename into it lasts.
void atomicFileSyncFolder(const std::string& path);

// The whole of `data` written to `path` through the steps above, synced to
// disk when `sync`.
int writeFileAtomically(const char* path, const void* data, std::size_t size, AtomicFileMode mode, bool sync);
