#pragma once

// The prompt of the window program: QMessageBox and QFileDialog.
//
//     QtPrompt qtPrompt;
//     setPrompt(&qtPrompt); // before the first window is shown

#include "app/prompt.h"

class QtPrompt : public Prompt {
public:
    Answer message(const QString& text, const QString& title, Icon icon, Buttons buttons,
                   Answer defaultButton) override;
    QString saveFileName(const QString& title, const QString& filter) override;
    QString openFileName(const QString& title, const QString& filter) override;
};
