#pragma once

// The window program's command line. It is read before QApplication exists, since
// that needs a display and --help, --version and a wrong option must not.

#include <QString>
#include <QStringList>

struct WindowCommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Run;
    QString listFile; // imported into the list once the window is up; empty = none, "-" = standard input
    QString error;    // why the command line was refused
};

// Reads the program's arguments, the program name first: -h or --help, --version
// and at most one list file; "--" ends the options, so a file may begin with '-'.
// Qt's own options (-style fusion, -platform offscreen, -reverse, ...) are passed
// over with their values, because QApplication takes them from the same arguments.
WindowCommandLine parseWindowCommandLine(const QStringList& arguments);

// What --help prints, ending in a line break.
QString windowUsage();
