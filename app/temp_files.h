#pragma once

// The temporary files of a generation: where they go and how a name is taken,
// so that a file or link someone else planted is never written through.

#include <QString>

// The folder for temporary files: TEMP when it is a folder of this user's that
// nobody else can write into; otherwise a folder private to this user (created
// 0700 and checked to be ours, under a random name when someone else holds the
// fixed one). Throws when no such folder can be had.
QString temporaryFolder();

// Creates a new folder only this user can enter, under a random name in parent,
// for the files of one generation; throws when it cannot.
QString createPrivateFolder(const QString& parent);

// Removes this user's temporary workbooks in folder that are more than a day
// old: left by a run that was killed. Never follows a link. Never throws.
void removeStaleTemporaryWorkbooks(const QString& folder);

// Creates "velmar" + eight random digits 1..9 + ".xls" in folder exclusively
// (never through a file or link someone else put there) and returns its path. The
// file is private to this user, and a save over it keeps it so.
QString createTemporaryWorkbookPath(const QString& folder);
