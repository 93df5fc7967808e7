#pragma once

// The temporary files of a generation: where they go and how a name is taken,
// so that a file or link someone else planted is never written through.

#include <QString>

// The folder for temporary files: TEMP when set, otherwise a folder private to
// this user (created 0700 and checked to be ours). Throws when neither is usable.
QString temporaryFolder();

// Creates "velmar" + eight random digits 1..9 + ".xls" in folder exclusively
// (never through a file or link someone else put there) and returns its path. The
// file is private to this user, and a save over it keeps it so.
QString createTemporaryWorkbookPath(const QString& folder);
