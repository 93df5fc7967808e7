#pragma once

// Start-up steps that belong to no window of their own: the program folder,
// the side files found beside the program or in its install's data folder, the
// version and the application title. The steps
// that touch a window (skin, hand pointer) are in app/widgets/window_startup.h.

#include <QString>

// The product's display name: the main window's caption and the source of the application title.
inline constexpr const char* kProductDisplayName = "Quorvel Tabwright";

// The folder that holds the program, or the one set by setProgramFolder().
QString programFolder();
// Tests point the side files elsewhere; an empty path restores the program's own folder.
void setProgramFolder(const QString& folder);
// programFolder() followed by a side file's relative path, given with
// backslashes as the program has always named them ("\x\o.cjs").
QString programFile(const QString& relativePath);
// Where a side file is: the relative path under folder (programFolder() when
// empty) when that is a file (a build tree, or a copy carrying its files along),
// else the same relative path under the install's data folder,
// <program folder>/../share/quorvel-tabwright as installed. Empty when neither
// holds it; a folder of that name does not count.
QString findSideFile(const QString& relativePath, const QString& folder = QString());

// "1.1.0": the version the build was made as, from the project's one definition.
QString productVersion();

// Cuts words off the end of displayName: at least one, then more while over 40 characters remain.
QString appTitleFrom(const QString& displayName);
// Sets the application title from the product's display name.
void SetAppTitle();

// Relative paths of the side files.
inline constexpr const char* kSkinFile = "\\x\\o.cjs";
inline constexpr const char* kHandCursorFile = "\\HAND-M.CUR";
