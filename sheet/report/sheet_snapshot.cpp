#include "sheet/report/sheet_snapshot.h"

#include "app/error_trap.h"
#include "sheet/engine/object_model.h"
#include "sheet/render/sheet_render.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace {

const QString kLocation = QStringLiteral("Quorvel2021/08/31.Excel1.saveCellsActivesheet ");
constexpr int kClipboardAttempts = 1000;
// Other programs get a bitmap only while it stays a reasonable size.
constexpr qint64 kMaxClipboardImageBytes = qint64(64) * 1024 * 1024;

std::optional<sheet::VectorPicture> readClipboardPicture() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat(QString::fromLatin1(kSheetPictureMimeType)))
        return std::nullopt;
    sheet::VectorPicture picture;
    if (!picture.setData(data->data(QString::fromLatin1(kSheetPictureMimeType))) || picture.isNull())
        return std::nullopt;
    return picture;
}

ClipboardPictureReader gReader;

// The sheet picture on the clipboard. The bitmap for other programs is painted
// from the vector picture only when one of them asks, so a generation, which
// reads the vector form back, never pays for it.
class SheetPictureMimeData : public QMimeData {
public:
    explicit SheetPictureMimeData(const sheet::VectorPicture& picture) : mPicture(picture) {
        setData(QString::fromLatin1(kSheetPictureMimeType), picture.data());
    }

    QStringList formats() const override {
        QStringList list = QMimeData::formats();
        if (offersImage())
            list << QStringLiteral("application/x-qt-image");
        return list;
    }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override {
        if (mimeType == QLatin1String("application/x-qt-image") && offersImage())
            return doubleSizeImage();
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    bool offersImage() const {
        const QSize size = mPicture.boundingRect().size();
        return qint64(size.width()) * size.height() * 16 <= kMaxClipboardImageBytes;
    }

    QImage doubleSizeImage() const {
        const QRect bounds = mPicture.boundingRect();
        QImage image(bounds.size() * 2, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(2, 2);
        painter.translate(-bounds.topLeft());
        mPicture.play(painter);
        return image;
    }

    sheet::VectorPicture mPicture;
};

void copyRangeToClipboard(const sheet::Workbook& workbook, const sheet::Sheet& sheet, const sheet::CellRange& range) {
    QGuiApplication::clipboard()->setMimeData(new SheetPictureMimeData(sheet::renderPicture(workbook, sheet, range)));
}

} // namespace

void installCopyPicture() {
    sheet::om::setCopyPictureHook(copyRangeToClipboard);
}

void setClipboardPictureReader(ClipboardPictureReader reader) {
    gReader = std::move(reader);
}

std::optional<sheet::VectorPicture> GetClipboardPicture(int /*format*/) {
    std::optional<sheet::VectorPicture> result;
    for (int attempt = 0; attempt < kClipboardAttempts && !result; ++attempt) {
        // A busy clipboard is tried again at once.
        probe([&] {
            if (auto picture = gReader ? gReader() : readClipboardPicture())
                result = std::move(picture);
        });
    }
    return result;
}

void savePictureFile(const sheet::VectorPicture& picture, const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    // Unlinking first means a link planted under the fixed name is removed, not followed.
    if (::unlink(native.constData()) != 0 && errno != ENOENT)
        throw std::runtime_error(
            ("Cannot replace " + path + ": " + QString::fromLocal8Bit(std::strerror(errno))).toStdString());
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        throw std::runtime_error(
            ("Cannot create " + path + ": " + QString::fromLocal8Bit(std::strerror(errno))).toStdString());
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw std::runtime_error(("Cannot write " + path).toStdString());
    }
    const QByteArray bytes = picture.data();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        file.close();
        QFile::remove(path);
        throw std::runtime_error(("Cannot write " + path + ": " + why).toStdString());
    }
}

sheet::VectorPicture loadPictureFile(const QString& path) {
    QFile file(path);
    sheet::VectorPicture picture;
    if (!file.open(QIODevice::ReadOnly) || !picture.setData(file.readAll()) || picture.isNull())
        throw std::runtime_error(("Cannot load the picture " + path).toStdString());
    return picture;
}

void saveCellsActivesheet(sheet::om::Workbook& book, const QString& path) {
    ErrorTrap trap(kLocation);
    std::optional<sheet::om::Worksheet> active;
    int lastRow = 0;
    int lastColumn = 0;
    std::optional<sheet::VectorPicture> picture;

    trap.step(1, [&] { active = book.ActiveSheet(); });
    trap.step(2, [&] {
        const sheet::om::Range used = active.value().UsedRange();
        lastRow = used.Rows().Item(used.Rows().Count()).Row();
    });
    trap.step(3, [&] {
        const sheet::om::Range used = active.value().UsedRange();
        lastColumn = used.Columns().Item(used.Columns().Count()).Column();
    });
    if (lastRow <= 1 || lastColumn <= 1)
        return;
    trap.step(5, [&] { active.value().UsedRange().CopyPicture(); });
    trap.step(6, [&] { picture = GetClipboardPicture(0); });
    trap.step(7, [&] {
        if (!picture)
            throw std::runtime_error("The clipboard holds no picture of the sheet");
        savePictureFile(*picture, path);
    });
}
