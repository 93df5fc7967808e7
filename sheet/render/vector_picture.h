#pragma once

// A recorded vector picture: what a QPainter drew, kept as a list of commands
// that replays into any painter at any scale. It stands where a QPicture would
// for the picture of a sheet, which can hold 100,000 texts: the fonts, pens,
// brushes and other objects a picture uses are stored once in tables that the
// commands name by number, so a text costs its position and its characters.
// Bytes read back are checked command by command, with every length and number
// bounded, instead of by a checksum over all of them.
//
//     sheet::VectorPicture picture;
//     QPainter painter(&picture);
//     painter.fillRect(0, 0, 64, 20, Qt::yellow);
//     painter.drawText(QPointF(4, 14), QStringLiteral("Smith"));
//     painter.end();
//     QByteArray bytes = picture.data();          // for the clipboard or a file
//
//     sheet::VectorPicture copy;
//     if (copy.setData(bytes))                    // false for damaged bytes
//         copy.play(otherPainter);
//
// Replaying sets, as they were recorded: pen, brush, brush origin, font,
// background, clip, transform (after the painter's own), opacity, composition
// mode, and the antialiasing and smooth-pixmap hints; the painter's state is
// restored afterwards. Fonts replay as recorded, so pictures meant for another
// resolution give their fonts pixel sizes (the sheet renderer does). Copies
// share the recorded commands; recording again gives the picture new ones.

#include <QByteArray>
#include <QByteArrayView>
#include <QPaintDevice>
#include <QRect>
#include <QString>

#include <memory>

class QPainter;
class QPaintEngine;

namespace sheet {

class VectorPicture : public QPaintDevice {
public:
    VectorPicture();
    VectorPicture(const VectorPicture& other);
    VectorPicture& operator=(const VectorPicture& other);
    ~VectorPicture() override;

    // Nothing recorded, or nothing read.
    bool isNull() const;

    // The area the picture covers, in the painter's units when it was recorded:
    // the one given to setBoundingRect, else the union of what was drawn.
    QRect boundingRect() const;
    void setBoundingRect(const QRect& rect);

    // The picture as bytes (format below), and back. setData() keeps the picture
    // unchanged and returns false when the bytes are not a whole, well-formed
    // picture.
    QByteArray data() const;
    bool setData(QByteArrayView bytes);
    // Whether bytes start like a picture's; says nothing of the rest.
    static bool hasMagic(QByteArrayView bytes);

    // Draws the picture into painter, whose current transform places it.
    // Returns false, drawing nothing, for a null picture.
    bool play(QPainter& painter) const;

    // For a painter on a VectorPicture: records painter.drawText(baselineStart,
    // text) without laying the text out, which the picture does when it plays.
    // Meant for text that lays out as one left-to-right run of the painter's font
    // (Latin letters the face has, say), which drawText() records the same;
    // `covers` is the area its glyphs take. Returns false, recording nothing, for
    // a painter on anything else, an underlined or struck-out font, right-to-left
    // layout or a transform beyond a translation: drawText() is the way then.
    static bool recordText(QPainter& painter, const QPointF& baselineStart, const QString& text, const QRectF& covers);

    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Recorder;
    struct Content;

    std::shared_ptr<Content> mContent;
    mutable std::unique_ptr<Recorder> mRecorder;
};

// The bytes of data(), all numbers little-endian:
//   magic      8 bytes  "TWVPIC\r\n"
//   version    u32      1
//   bounds     4 x i32  left, top, width, height
//   objects    u32      byte count, then a QDataStream (Qt 6.4 format) holding four
//                       tables in this order, each a u32 count and its items:
//                       fonts, pens, brushes, images
//   commands   u32      byte count, then the commands: each a u8 code and its
//                       operands (see the Op list in vector_picture.cpp)

} // namespace sheet
