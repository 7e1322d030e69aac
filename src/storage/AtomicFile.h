#pragma once
// Whole-file reads and crash-safe whole-file writes.
#include <cstdio>
#include <string>

namespace rigvane {

// The temporary file a write of `path` goes through: one fixed name, so a
// save interrupted before its rename leaves nothing the next save does not
// replace.
std::string TemporaryPathFor(const std::string& path);

// Writes `contents` to a temporary file in the target's directory, flushes it
// to disk and renames it over `path`, so readers see either the old file or
// the new one, never a mix. A target that exists and is not a regular file (a
// device, a FIFO) is refused. On failure the temporary file is removed, the old
// file stays whole, *error (when given) gets a readable reason, errno keeps
// the cause and the result is false.
bool WriteFileAtomically(const std::string& path, const std::string& contents, std::string* error);

// Reads the whole file into *contents. False when the file does not exist or
// cannot be read (not a regular file, no permission, an I/O error); *missing (when
// given) tells the two apart: true only when there is no such file, which
// callers with defaults need not treat as an error. *error gets the reason,
// errno keeps the cause, and *contents is left empty.
bool ReadWholeFile(const std::string& path, std::string* contents, std::string* error,
                   bool* missing = nullptr);

// Opens a file for reading when it is a regular file of at most `maxBytes`:
// a FIFO, a device (/dev/zero, a terminal) or a directory is refused without
// blocking or reading from it. nullptr with *why (when given) telling the
// reason; *why is left empty for a missing or unopenable file.
std::FILE* OpenRegularFile(const std::string& path, long long maxBytes, std::string* why);

} // namespace rigvane
