#pragma once

#include <QString>

// Copies source byte for byte to target, replacing target if it exists.
//
// The bytes go to a new file beside target first, which then takes target's
// name in one rename: whatever fails, an existing target is either wholly the
// old file or wholly the copy, and no half-written file is left behind.
// Throws std::runtime_error with a readable description on failure.
void copyFileReplacing(const QString& source, const QString& target);

// Writes bytes to target in the same way: all of them or, on failure, nothing,
// with an existing target left as it was. Throws std::runtime_error on failure.
void writeFileReplacing(const QString& target, const QByteArray& bytes);
