#pragma once

#include <QString>

// Every message box and file dialog goes through this seam, so tests can
// script the answers and read back what the user would have seen.
class Prompt {
public:
    enum class Icon { None, Warning, Question, Information };
    enum class Buttons { Ok, YesNo, YesNoCancel };
    enum class Answer { Ok, Yes, No, Cancel };

    virtual ~Prompt() = default;

    // Shows a modal message box. An empty title means the application title.
    // defaultButton names the button that Enter presses.
    virtual Answer message(const QString& text, const QString& title, Icon icon, Buttons buttons,
                           Answer defaultButton) = 0;

    // Shows the save dialog; returns the chosen path, or an empty text when cancelled.
    // filter is in the "Name (*.ext)|*.ext|" form the program passes around. A name
    // typed without a suffix gets the one of the type chosen. The dialog itself
    // never asks about replacing a file: the caller asks, once.
    virtual QString saveFileName(const QString& title, const QString& filter) = 0;

    // Shows the open dialog; returns the chosen path, or an empty text when cancelled.
    virtual QString openFileName(const QString& title, const QString& filter) = 0;
};

// name with the suffix of the type filterIndex picks from filter ("Excel Files
// (*.xls)|*.xls|..." gives ".xls" for 0) when name has no suffix of its own.
QString withChosenSuffix(const QString& name, const QString& filter, int filterIndex);

// The prompt the program uses: the one installed last, or, when none is, one
// that writes each message to standard error and gives its default answer, so
// that code without windows never blocks on a question nobody can see. The
// window program installs QtPrompt (app/widgets/qt_prompt.h); tests install their own.
Prompt& prompt();
// Installs p (not owned) as the program's prompt; nullptr restores the default.
void setPrompt(Prompt* p);

// The application title: the caption of every message box shown without one of its own.
QString appTitle();
void setAppTitle(const QString& title);
