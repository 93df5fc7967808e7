#pragma once

#include "app/prompt.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

// A prompt that records everything shown and answers from a script. Installs
// itself for its lifetime. Unscripted questions get their default button;
// unscripted file dialogs are cancelled. Save and open dialogs take their
// answers from the same list of file names.
class ScriptedPrompt : public Prompt {
public:
    struct Shown {
        QString text;
        QString title; // as passed; empty means the application title
        Icon icon;
        Buttons buttons;
        Answer defaultButton;
    };

    ScriptedPrompt() { setPrompt(this); }
    ~ScriptedPrompt() override { setPrompt(nullptr); }

    Answer message(const QString& text, const QString& title, Icon icon, Buttons buttons,
                   Answer defaultButton) override {
        shown.push_back({text, title, icon, buttons, defaultButton});
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        if (answers.empty())
            return defaultButton;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }

    QString openFileName(const QString& title, const QString& filter) override { return saveFileName(title, filter); }

    QString saveFileName(const QString& title, const QString& filter) override {
        dialogs.push_back({title, filter});
        if (fileNames.empty())
            return {};
        const QString name = fileNames.front();
        fileNames.pop_front();
        return name;
    }

    // Texts of every message shown, in order.
    QStringList texts() const {
        QStringList out;
        for (const Shown& s : shown)
            out << s.text;
        return out;
    }
    // Only the standard error reports.
    std::vector<Shown> errorReports() const {
        std::vector<Shown> out;
        for (const Shown& s : shown)
            if (s.title == QLatin1String("Application Error"))
                out.push_back(s);
        return out;
    }
    // The line number each standard error report names ("at line 158"), in order.
    std::vector<int> reportedLines() const {
        static const QRegularExpression at(QStringLiteral("at line (\\d+)"));
        std::vector<int> lines;
        for (const Shown& s : errorReports())
            lines.push_back(at.match(s.text).captured(1).toInt());
        return lines;
    }

    std::vector<Shown> shown;
    std::deque<Answer> answers;
    std::deque<QString> fileNames;
    struct Dialog {
        QString title;
        QString filter;
    };
    std::vector<Dialog> dialogs;
};
