#include "app/prompt.h"

#include <QTextStream>

namespace {

QString gAppTitle;
Prompt* gInstalledPrompt = nullptr;

// Nobody is there to answer: say what would have been asked, take the default.
class StandardErrorPrompt : public Prompt {
public:
    Answer message(const QString& text, const QString& title, Icon, Buttons buttons, Answer defaultButton) override {
        QTextStream(stderr) << (title.isEmpty() ? appTitle() : title) << ": " << text << '\n';
        return buttons == Buttons::Ok ? Answer::Ok : defaultButton;
    }
    QString saveFileName(const QString&, const QString&) override { return QString(); }
};

} // namespace

Prompt& prompt() {
    static StandardErrorPrompt fallback;
    return gInstalledPrompt ? *gInstalledPrompt : fallback;
}

void setPrompt(Prompt* p) {
    gInstalledPrompt = p;
}

QString appTitle() {
    return gAppTitle;
}

void setAppTitle(const QString& title) {
    gAppTitle = title;
}
