#pragma once

// Small file helpers that several windows share.

#include <QString>

// True when the file system can tell the path's modification time. Never throws.
bool FileExists(const QString& path);

// Deletes the file, falling back to ForceDeleteFile when the ordinary deletion
// fails (a read-only file). Processes pending window events first. Never throws.
void DeleteFileQuietly(const QString& path);

// Makes the file writable, then removes it. Throws std::runtime_error on failure.
void ForceDeleteFile(const QString& path);
