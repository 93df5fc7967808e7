#include "app/startup.h"

#include "app/prompt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString gProgramFolder;

// Side files are named with backslashes, as the program has always named them.
QString slashed(const QString& relativePath) {
    QString rel = relativePath;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return rel;
}

} // namespace

QString programFolder() {
    return gProgramFolder.isEmpty() ? QCoreApplication::applicationDirPath() : gProgramFolder;
}

void setProgramFolder(const QString& folder) {
    gProgramFolder = folder;
}

QString programFile(const QString& relativePath) {
    return programFolder() + slashed(relativePath);
}

QString findSideFile(const QString& relativePath, const QString& folder) {
    const QString from = folder.isEmpty() ? programFolder() : folder;
    const QString beside = from + slashed(relativePath);
    if (QFileInfo(beside).isFile())
        return beside;
    // The build tells where its data folder lies as seen from the program's, so a
    // relocated prefix (--prefix at install time, a copied tree) keeps working.
    const QString installed =
        QDir::cleanPath(from + QLatin1Char('/') + QStringLiteral(QUORVEL_DATA_FROM_PROGRAM) + slashed(relativePath));
    return QFileInfo(installed).isFile() ? installed : QString();
}

QString productVersion() {
    return QStringLiteral(QUORVEL_VERSION);
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
