#pragma once

// Small file helpers that several windows share.

#include <QString>

// True when the file system can tell the path's modification time. Never throws.
bool FileExists(const QString& path);

// Deletes the file, falling back to ForceDeleteFile when the ordinary deletion
// fails (a read-only file). Processes pending window events first. Never throws.
void DeleteFileQuietly(const QString& path);

// Makes the file writable, then removes it; a link is removed without touching
// what it points to. Throws std::runtime_error on failure.
void ForceDeleteFile(const QString& path);

// Throws std::runtime_error naming path when it is a symbolic link. A file the
// user names is replaced by renaming a new one over it; a link planted under
// that name must not lead the write into the file it points to.
void refuseSymbolicLink(const QString& path);
