#include "app/prompt.h"

#include <QFileInfo>
#include <QStringList>
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
    QString openFileName(const QString&, const QString&) override { return QString(); }
};

} // namespace

Prompt& prompt() {
    static StandardErrorPrompt fallback;
    return gInstalledPrompt ? *gInstalledPrompt : fallback;
}

void setPrompt(Prompt* p) {
    gInstalledPrompt = p;
}

QString withChosenSuffix(const QString& name, const QString& filter, int filterIndex) {
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    const qsizetype patterns = 2 * qsizetype(filterIndex) + 1;
    if (filterIndex < 0 || patterns >= parts.size())
        return name;
    // "*.xls;*.xlt": the first pattern names the type.
    const QString first = parts.at(patterns).split(QLatin1Char(';')).first().trimmed();
    const QString suffix = first.mid(1);
    if (!first.startsWith(QStringLiteral("*.")) || suffix.size() < 2 || suffix.contains(QLatin1Char('*')) ||
        suffix.contains(QLatin1Char('?')))
        return name;
    return name + suffix;
}

QString appTitle() {
    return gAppTitle;
}

void setAppTitle(const QString& title) {
    gAppTitle = title;
}
