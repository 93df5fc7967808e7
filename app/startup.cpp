#include "app/startup.h"

#include "app/prompt.h"

#include <QCoreApplication>

namespace {

QString gProgramFolder;

} // namespace

QString programFolder() {
    return gProgramFolder.isEmpty() ? QCoreApplication::applicationDirPath() : gProgramFolder;
}

void setProgramFolder(const QString& folder) {
    gProgramFolder = folder;
}

QString programFile(const QString& relativePath) {
    QString rel = relativePath;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return programFolder() + rel;
}

QString appTitleFrom(const QString& displayName) {
    QString title = displayName;
    do {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        // A name without blanks cannot lose a word; keep what is left.
        if (blank < 0)
            break;
        title = title.left(blank);
    } while (title.size() > 40);
    return title;
}

void SetAppTitle() {
    setAppTitle(appTitleFrom(QString::fromLatin1(kProductDisplayName)));
}
