#include "app/startup.h"

#include "app/file_helpers.h"
#include "app/prompt.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>
#include <QWidget>

namespace {

QString gProgramFolder;

quint16 le16(const QByteArray& b, int at) {
    return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8));
}

quint32 le32(const QByteArray& b, int at) {
    return quint32(le16(b, at)) | (quint32(le16(b, at + 2)) << 16);
}

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

bool ApplyOptionalSkin(QWidget& window) {
    // Only a file counts: an empty folder x, or a folder named o.cjs, lists no name.
    const QFileInfo skin(programFile(QString::fromLatin1(kSkinFile)));
    if (!skin.isFile())
        return false;
    paintButtonFace(window);
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child) || qobject_cast<QGroupBox*>(child) ||
            qobject_cast<QLabel*>(child))
            paintButtonFace(*child);
    }
    window.setProperty("skinned", true);
    return true;
}

std::optional<QCursor> loadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // ICONDIR (reserved 0, type 2 for cursors, count) then the first
    // ICONDIRENTRY, whose two "planes/bit count" words hold the hot spot in a cursor.
    const QByteArray head = file.read(6 + 16);
    if (head.size() < 22 || le16(head, 0) != 0 || le16(head, 2) != 2 || le16(head, 4) == 0)
        return std::nullopt;
    const int hotX = le16(head, 6 + 4);
    const int hotY = le16(head, 6 + 6);
    const quint32 imageOffset = le32(head, 6 + 12);
    if (imageOffset < 22 || imageOffset >= quint32(file.size()))
        return std::nullopt;
    file.seek(0);
    QImageReader reader(&file, "cur");
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    const int x = hotX < image.width() ? hotX : 0;
    const int y = hotY < image.height() ? hotY : 0;
    return QCursor(QPixmap::fromImage(image), x, y);
}

std::optional<QCursor> loadHandCursor() {
    const QString path = programFile(QString::fromLatin1(kHandCursorFile));
    if (!FileExists(path))
        return std::nullopt;
    return loadCursorFile(path);
}
