#include "sheet/render/vector_picture.h"

#include <QDataStream>
#include <QFont>
#include <QIODevice>
#include <QImage>
#include <QList>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPixmap>
#include <QRegion>
#include <QTransform>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

namespace sheet {

namespace {

constexpr char kMagic[8] = {'T', 'W', 'V', 'P', 'I', 'C', '\r', '\n'};
constexpr quint32 kVersion = 1;
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;
// Interning looks this far back in a table; a picture with more distinct
// objects than that stores some twice rather than searching ever longer.
constexpr qsizetype kInternWindow = 64;

// Command codes and their operands. Numbers are little-endian; f64 is an IEEE
// double, i32/u32 four bytes, u16 two, u8 one.
enum class Op : quint8 {
    Pen = 1,        // u32 pen
    Brush,          // u32 brush
    BrushOrigin,    // f64 x, y
    Font,           // u32 font: the font of the texts that follow
    Background,     // u32 brush
    BackgroundMode, // u8 Qt::BGMode
    Transform,      // 9 x f64, m11 m12 m13 m21 m22 m23 m31 m32 m33
    ClipRegion,     // u8 Qt::ClipOperation, region (below)
    ClipPath,       // u8 Qt::ClipOperation, path (below)
    ClipEnabled,    // u8 0 or 1
    Hints,          // u32 QPainter::RenderHints
    Composition,    // u32 QPainter::CompositionMode
    Opacity,        // f64
    Rects,          // u32 n, n x (i32 x, y, width, height)
    RectsF,         // u32 n, n x (f64 x, y, width, height)
    Lines,          // u32 n, n x (i32 x1, y1, x2, y2)
    LinesF,         // u32 n, n x (f64 x1, y1, x2, y2)
    PointsF,        // u32 n, n x (f64 x, y)
    Polygon,        // u8 QPaintEngine::PolygonDrawMode, u32 n, n x (f64 x, y)
    Path,           // path: u8 Qt::FillRule, u32 n, n x (u8 QPainterPath::ElementType, f64 x, y)
    Ellipse,        // f64 x, y, width, height
    Text,           // f64 x, y of the baseline's start, u32 n, n x u16 (UTF-16)
    Pixmap,         // f64 x4 target, u32 image, f64 x4 source
    Image,          // f64 x4 target, u32 image, f64 x4 source, u32 Qt::ImageConversionFlags
    TiledPixmap,    // f64 x4 target, u32 image, f64 x, y offset
    Last = TiledPixmap,
};
// A region: u32 n, n x (i32 x, y, width, height). Paths and regions are written
// here rather than by QDataStream, whose readers trust the counts they read.

template <typename T> void put(QByteArray& out, T value) {
    if constexpr (std::is_same_v<T, double>) {
        quint64 bits;
        std::memcpy(&bits, &value, sizeof bits);
        put(out, bits);
    } else {
        const T le = qToLittleEndian(value);
        out.append(reinterpret_cast<const char*>(&le), sizeof le);
    }
}

void putRect(QByteArray& out, const QRectF& r) {
    put(out, r.x());
    put(out, r.y());
    put(out, r.width());
    put(out, r.height());
}

void putPath(QByteArray& out, const QPainterPath& path) {
    put(out, quint8(path.fillRule()));
    put(out, quint32(path.elementCount()));
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        put(out, quint8(e.type));
        put(out, e.x);
        put(out, e.y);
    }
}

void putRegion(QByteArray& out, const QRegion& region) {
    put(out, quint32(region.rectCount()));
    for (const QRect& r : region)
        for (const qint32 v : {r.x(), r.y(), r.width(), r.height()})
            put(out, v);
}

// Reads operands; any read past the end sets ok to false and yields zeros.
class Reader {
public:
    Reader(const char* begin, const char* end) : mAt(begin), mEnd(end) {}

    bool ok() const { return mOk; }
    bool atEnd() const { return mAt == mEnd; }
    qsizetype left() const { return mEnd - mAt; }

    template <typename T> T get() {
        if constexpr (std::is_same_v<T, double>) {
            const quint64 bits = get<quint64>();
            double value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        } else {
            if (!take(sizeof(T)))
                return T{};
            T value;
            std::memcpy(&value, mAt - sizeof(T), sizeof value);
            return qFromLittleEndian(value);
        }
    }
    QRectF rectF() { return four<QRectF, double>(); }
    // A shape of four numbers read in order: QRect or QRectF (left, top, width,
    // height), QLine or QLineF (x1, y1, x2, y2).
    template <typename Shape, typename Number> Shape four() {
        const Number a = get<Number>(), b = get<Number>(), c = get<Number>(), d = get<Number>();
        return Shape(a, b, c, d);
    }
    // n items of itemBytes each, checked against what is left before anything is made.
    quint32 count(qsizetype itemBytes) {
        const quint32 n = get<quint32>();
        if (qsizetype(n) > left() / itemBytes)
            mOk = false;
        return mOk ? n : 0;
    }
    const char* raw(qsizetype bytes) { return take(bytes) ? mAt - bytes : nullptr; }

private:
    bool take(qsizetype bytes) {
        if (!mOk || left() < bytes) {
            mOk = false;
            return false;
        }
        mAt += bytes;
        return true;
    }

    const char* mAt;
    const char* mEnd;
    bool mOk = true;
};

template <typename T> qsizetype intern(QList<T>& table, const T& item) {
    const qsizetype from = std::max<qsizetype>(0, table.size() - kInternWindow);
    for (qsizetype i = table.size() - 1; i >= from; --i)
        if (table[i] == item)
            return i;
    table.append(item);
    return table.size() - 1;
}

} // namespace

struct VectorPicture::Content {
    QRect bounds;
    bool boundsGiven = false;
    QList<QFont> fonts;
    QList<QPen> pens;
    QList<QBrush> brushes;
    QList<QImage> images;
    QByteArray ops;
};

// Records into a fresh Content while a painter is active on the picture.
class VectorPicture::Recorder : public QPaintEngine {
public:
    explicit Recorder(VectorPicture& picture) : QPaintEngine(AllFeatures), mPicture(picture) {}

    bool begin(QPaintDevice*) override {
        auto fresh = std::make_shared<Content>();
        if (mPicture.mContent && mPicture.mContent->boundsGiven) {
            fresh->bounds = mPicture.mContent->bounds;
            fresh->boundsGiven = true;
        }
        fresh->ops.reserve(64 * 1024);
        mContent = fresh.get();
        mPicture.mContent = std::move(fresh);
        mDrawn = QRectF();
        mTransform = QTransform();
        mHasTextFont = false;
        mStrokes = true;
        mPenWidth = 1;
        return true;
    }

    bool end() override {
        if (!mContent->boundsGiven)
            mContent->bounds = mDrawn.toAlignedRect();
        mContent->ops.squeeze();
        mContent = nullptr;
        return true;
    }

    Type type() const override { return User; }

    void updateState(const QPaintEngineState& now) override {
        const DirtyFlags dirty = now.state();
        QByteArray& out = mContent->ops;
        if (dirty & DirtyPen) {
            const QPen& pen = now.pen();
            mStrokes = pen.style() != Qt::NoPen;
            mPenWidth = pen.widthF() > 0 ? pen.widthF() : 1;
            op(Op::Pen);
            put(out, quint32(intern(mContent->pens, pen)));
        }
        if (dirty & DirtyBrush) {
            op(Op::Brush);
            put(out, quint32(intern(mContent->brushes, now.brush())));
        }
        if (dirty & DirtyBrushOrigin) {
            op(Op::BrushOrigin);
            put(out, now.brushOrigin().x());
            put(out, now.brushOrigin().y());
        }
        if (dirty & DirtyBackground) {
            op(Op::Background);
            put(out, quint32(intern(mContent->brushes, now.backgroundBrush())));
        }
        if (dirty & DirtyBackgroundMode) {
            op(Op::BackgroundMode);
            put(out, quint8(now.backgroundMode()));
        }
        if (dirty & DirtyTransform) {
            mTransform = now.transform();
            op(Op::Transform);
            const QTransform& t = mTransform;
            for (const double v : {t.m11(), t.m12(), t.m13(), t.m21(), t.m22(), t.m23(), t.m31(), t.m32(), t.m33()})
                put(out, v);
        }
        if (dirty & DirtyClipEnabled) {
            op(Op::ClipEnabled);
            put(out, quint8(now.isClipEnabled()));
        }
        if (dirty & DirtyClipRegion) {
            op(Op::ClipRegion);
            put(out, quint8(now.clipOperation()));
            putRegion(out, now.clipRegion());
        }
        if (dirty & DirtyClipPath) {
            op(Op::ClipPath);
            put(out, quint8(now.clipOperation()));
            putPath(out, now.clipPath());
        }
        if (dirty & DirtyHints) {
            op(Op::Hints);
            put(out, quint32(now.renderHints().toInt()));
        }
        if (dirty & DirtyCompositionMode) {
            op(Op::Composition);
            put(out, quint32(now.compositionMode()));
        }
        if (dirty & DirtyOpacity) {
            op(Op::Opacity);
            put(out, double(now.opacity()));
        }
    }

    void drawRects(const QRect* rects, int count) override { recordRects<qint32>(Op::Rects, rects, count); }
    void drawRects(const QRectF* rects, int count) override { recordRects<double>(Op::RectsF, rects, count); }
    void drawLines(const QLine* lines, int count) override { recordLines<qint32>(Op::Lines, lines, count); }
    void drawLines(const QLineF* lines, int count) override { recordLines<double>(Op::LinesF, lines, count); }

    void drawPoints(const QPointF* points, int count) override {
        if (std::exchange(mStateOnly, false))
            return;
        op(Op::PointsF);
        put(mContent->ops, quint32(count));
        for (int i = 0; i < count; ++i) {
            put(mContent->ops, points[i].x());
            put(mContent->ops, points[i].y());
            drew(QRectF(points[i], QSizeF(0, 0)), true);
        }
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        op(Op::Polygon);
        put(mContent->ops, quint8(mode));
        put(mContent->ops, quint32(count));
        QPolygonF polygon;
        polygon.reserve(count);
        for (int i = 0; i < count; ++i) {
            put(mContent->ops, points[i].x());
            put(mContent->ops, points[i].y());
            polygon.append(points[i]);
        }
        drew(polygon.boundingRect(), mStrokes || mode == PolylineMode);
    }

    void drawPath(const QPainterPath& path) override {
        op(Op::Path);
        putPath(mContent->ops, path);
        drew(path.controlPointRect(), mStrokes);
    }

    void drawEllipse(const QRectF& rect) override {
        op(Op::Ellipse);
        putRect(mContent->ops, rect);
        drew(rect, mStrokes);
    }

    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        // Underline, overline and strike-out are drawn by the painter as lines of
        // their own, which are recorded too.
        QFont font = item.font();
        if (font.underline() || font.overline() || font.strikeOut()) {
            font.setUnderline(false);
            font.setOverline(false);
            font.setStrikeOut(false);
        }
        putText(p, font, item.text(),
                QRectF(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent()));
    }

    // One text command, after the font it is in when that changed; `covers` is
    // the area the text's glyphs take.
    void putText(const QPointF& p, const QFont& font, const QString& text, const QRectF& covers) {
        if (!mHasTextFont || !(font == mTextFont)) {
            op(Op::Font);
            put(mContent->ops, quint32(intern(mContent->fonts, font)));
            mTextFont = font;
            mHasTextFont = true;
        }
        QByteArray& out = mContent->ops;
        op(Op::Text);
        put(out, p.x());
        put(out, p.y());
        put(out, quint32(text.size()));
        // A sheet's picture is mostly texts: their characters go in one piece.
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN)
            out.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        else
            for (const QChar c : text)
                put(out, c.unicode());
        drew(covers, false);
    }

    void drawPixmap(const QRectF& target, const QPixmap& pixmap, const QRectF& source) override {
        image(Op::Pixmap, target, pixmap.toImage());
        putRect(mContent->ops, source);
    }

    void drawImage(const QRectF& target, const QImage& picture, const QRectF& source,
                   Qt::ImageConversionFlags flags) override {
        image(Op::Image, target, picture);
        putRect(mContent->ops, source);
        put(mContent->ops, quint32(flags.toInt()));
    }

    void drawTiledPixmap(const QRectF& target, const QPixmap& pixmap, const QPointF& offset) override {
        image(Op::TiledPixmap, target, pixmap.toImage());
        put(mContent->ops, offset.x());
        put(mContent->ops, offset.y());
    }

    // Set by recordText(): the next point is only the painter handing over its
    // state, and is not drawn.
    bool mStateOnly = false;

private:
    // Whole-pixel rectangles and lines keep their integers; the others their doubles.
    template <typename Number, typename Rect> void recordRects(Op code, const Rect* rects, int count) {
        op(code);
        put(mContent->ops, quint32(count));
        for (int i = 0; i < count; ++i) {
            const Rect& r = rects[i];
            for (const Number v : {Number(r.x()), Number(r.y()), Number(r.width()), Number(r.height())})
                put(mContent->ops, v);
            drew(QRectF(r), mStrokes);
        }
    }

    template <typename Number, typename Line> void recordLines(Op code, const Line* lines, int count) {
        op(code);
        put(mContent->ops, quint32(count));
        for (int i = 0; i < count; ++i) {
            const Line& l = lines[i];
            for (const Number v : {Number(l.x1()), Number(l.y1()), Number(l.x2()), Number(l.y2())})
                put(mContent->ops, v);
            drew(QRectF(QPointF(l.p1()), QPointF(l.p2())).normalized(), true);
        }
    }

    void op(Op code) { mContent->ops.append(char(code)); }

    void image(Op code, const QRectF& target, const QImage& picture) {
        mContent->images.append(picture);
        op(code);
        putRect(mContent->ops, target);
        put(mContent->ops, quint32(mContent->images.size() - 1));
        drew(target, false);
    }

    // Adds what a command covers, in the picture's coordinates, to the drawn area.
    void drew(QRectF area, bool stroked) {
        if (stroked) {
            const double half = mPenWidth / 2;
            area.adjust(-half, -half, half, half);
        }
        mDrawn |= mTransform.isIdentity() ? area : mTransform.mapRect(area);
    }

    VectorPicture& mPicture;
    Content* mContent = nullptr;
    QRectF mDrawn;
    QTransform mTransform;
    QFont mTextFont;
    bool mHasTextFont = false;
    bool mStrokes = true;
    double mPenWidth = 1;
};

namespace {

// Walks the commands: calls visit(code, reader) positioned on each command's
// operands, which visit reads (and, when reading bytes from outside, checks).
// Returns false at an unknown code, a short read or a visit that says false.
template <typename Visit> bool walk(const QByteArray& ops, Visit&& visit) {
    Reader in(ops.constData(), ops.constData() + ops.size());
    while (in.ok() && !in.atEnd()) {
        const quint8 code = in.get<quint8>();
        if (code < quint8(Op::Pen) || code > quint8(Op::Last))
            return false;
        if (!visit(Op(code), in))
            return false;
    }
    return in.ok();
}

bool validIndex(quint32 index, qsizetype size) {
    return qsizetype(index) < size;
}

// Painting time grows with the length of what is drawn (a dashed line is drawn
// dash by dash), so numbers no recorded picture has are refused rather than
// replayed: beyond a hundred million pixels (a sheet's 65,536 rows at their
// tallest reach 36 million), pens wider than a thousand, dashes finer than a
// tenth of a pixel, transforms that scale by more than a thousand.
constexpr double kMaxCoordinate = 1e8;
constexpr double kMaxScale = 1e3;

bool reasonable(double v, double limit = kMaxCoordinate) {
    return std::isfinite(v) && std::abs(v) <= limit;
}

bool coordinates(Reader& r, qsizetype n) {
    bool ok = true;
    for (qsizetype i = 0; i < n; ++i)
        ok = reasonable(r.get<double>()) && ok;
    return ok && r.ok();
}

bool integerCoordinates(Reader& r, qsizetype n) {
    bool ok = true;
    for (qsizetype i = 0; i < n; ++i)
        ok = reasonable(r.get<qint32>()) && ok;
    return ok && r.ok();
}

bool reasonableTransform(Reader& r) {
    std::array<double, 9> m{};
    for (double& v : m)
        v = r.get<double>();
    // m11 m12 m13 / m21 m22 m23 / m31 m32 m33: the last row moves, the rest scales.
    for (const int i : {0, 1, 3, 4, 8})
        if (!reasonable(m[size_t(i)], kMaxScale))
            return false;
    return reasonable(m[2], 1) && reasonable(m[5], 1) && reasonable(m[6]) && reasonable(m[7]) && r.ok();
}

// A path as putPath wrote it: every curve is a CurveTo and two CurveToData.
bool readPath(Reader& r, QPainterPath& path) {
    const quint8 rule = r.get<quint8>();
    const quint32 n = r.count(17);
    if (rule > Qt::WindingFill)
        return false;
    path = QPainterPath();
    path.setFillRule(Qt::FillRule(rule));
    path.reserve(int(n));
    std::array<QPointF, 3> points;
    for (quint32 i = 0; i < n; ++i) {
        const quint8 type = r.get<quint8>();
        const double x = r.get<double>(), y = r.get<double>();
        if (!reasonable(x) || !reasonable(y))
            return false;
        switch (type) {
        case QPainterPath::MoveToElement:
            path.moveTo(x, y);
            break;
        case QPainterPath::LineToElement:
            path.lineTo(x, y);
            break;
        case QPainterPath::CurveToElement:
            points[0] = QPointF(x, y);
            for (int k = 1; k <= 2; ++k, ++i) {
                const bool data = i + 1 < n && r.get<quint8>() == QPainterPath::CurveToDataElement;
                const double px = r.get<double>(), py = r.get<double>();
                if (!data || !reasonable(px) || !reasonable(py))
                    return false;
                points[size_t(k)] = QPointF(px, py);
            }
            path.cubicTo(points[0], points[1], points[2]);
            break;
        default:
            return false;
        }
    }
    return r.ok();
}

// Clip regions are a few rectangles; more than this many is not a recorded one.
constexpr quint32 kMaxRegionRects = 4096;

bool readRegion(Reader& r, QRegion& region) {
    const quint32 n = r.count(16);
    if (n > kMaxRegionRects)
        return false;
    region = QRegion();
    for (quint32 i = 0; i < n; ++i) {
        const qint32 x = r.get<qint32>(), y = r.get<qint32>(), w = r.get<qint32>(), h = r.get<qint32>();
        if (!reasonable(x) || !reasonable(y) || !reasonable(w) || !reasonable(h))
            return false;
        region += QRect(x, y, w, h);
    }
    return r.ok();
}

// Glyphs are drawn at their size, however large.
bool reasonableFont(const QFont& font) {
    return font.pixelSize() <= kMaxScale * 4 && font.pointSizeF() <= kMaxScale * 3;
}

bool reasonablePen(const QPen& pen) {
    if (!reasonable(pen.widthF(), kMaxScale) || !reasonable(pen.dashOffset()))
        return false;
    if (pen.style() == Qt::SolidLine || pen.style() == Qt::NoPen)
        return true;
    double period = 0;
    for (const double dash : pen.dashPattern()) {
        if (!reasonable(dash, kMaxScale) || dash < 0)
            return false;
        period += dash;
    }
    return period >= 0.1;
}

template <typename T> bool readTable(QDataStream& in, QList<T>& table) {
    quint32 n = 0;
    in >> n;
    // Every item takes at least a byte, so a count beyond the bytes left is a lie.
    if (in.status() != QDataStream::Ok || qint64(n) > in.device()->bytesAvailable())
        return false;
    table.reserve(n);
    for (quint32 i = 0; i < n; ++i) {
        T item;
        in >> item;
        if (in.status() != QDataStream::Ok)
            return false;
        table.append(std::move(item));
    }
    return true;
}

template <typename T> void writeTable(QDataStream& out, const QList<T>& table) {
    out << quint32(table.size());
    for (const T& item : table)
        out << item;
}

} // namespace

VectorPicture::VectorPicture() = default;

VectorPicture::VectorPicture(const VectorPicture& other) : QPaintDevice(), mContent(other.mContent) {}

VectorPicture& VectorPicture::operator=(const VectorPicture& other) {
    mContent = other.mContent;
    return *this;
}

VectorPicture::~VectorPicture() = default;

bool VectorPicture::isNull() const {
    return !mContent || (mContent->ops.isEmpty() && !mContent->boundsGiven);
}

QRect VectorPicture::boundingRect() const {
    return mContent ? mContent->bounds : QRect();
}

void VectorPicture::setBoundingRect(const QRect& rect) {
    auto content = mContent ? std::make_shared<Content>(*mContent) : std::make_shared<Content>();
    content->bounds = rect;
    content->boundsGiven = true;
    mContent = std::move(content);
}

bool VectorPicture::hasMagic(QByteArrayView bytes) {
    return bytes.size() >= qsizetype(sizeof kMagic) && std::memcmp(bytes.data(), kMagic, sizeof kMagic) == 0;
}

QByteArray VectorPicture::data() const {
    if (isNull())
        return {};
    const Content& c = *mContent;
    QByteArray objects;
    {
        QDataStream out(&objects, QIODevice::WriteOnly);
        out.setVersion(kStreamVersion);
        writeTable(out, c.fonts);
        writeTable(out, c.pens);
        writeTable(out, c.brushes);
        writeTable(out, c.images);
    }
    QByteArray bytes;
    bytes.reserve(qsizetype(sizeof kMagic) + 28 + objects.size() + c.ops.size());
    bytes.append(kMagic, sizeof kMagic);
    put(bytes, kVersion);
    for (const qint32 v : {c.bounds.left(), c.bounds.top(), c.bounds.width(), c.bounds.height()})
        put(bytes, v);
    put(bytes, quint32(objects.size()));
    bytes.append(objects);
    put(bytes, quint32(c.ops.size()));
    bytes.append(c.ops);
    return bytes;
}

bool VectorPicture::setData(QByteArrayView bytes) try {
    if (!hasMagic(bytes))
        return false;
    Reader in(bytes.data() + sizeof kMagic, bytes.data() + bytes.size());
    if (in.get<quint32>() != kVersion)
        return false;
    auto content = std::make_shared<Content>();
    const qint32 left = in.get<qint32>(), top = in.get<qint32>();
    const qint32 width = in.get<qint32>(), height = in.get<qint32>();
    content->bounds = QRect(left, top, width, height);
    content->boundsGiven = true;
    const quint32 objectBytes = in.get<quint32>();
    const char* objects = in.raw(qsizetype(objectBytes));
    const quint32 opBytes = in.get<quint32>();
    const char* ops = in.raw(qsizetype(opBytes));
    if (!in.ok() || !in.atEnd())
        return false;

    QByteArray objectData = QByteArray::fromRawData(objects, objectBytes);
    QDataStream tables(objectData);
    tables.setVersion(kStreamVersion);
    if (!readTable(tables, content->fonts) || !readTable(tables, content->pens) ||
        !readTable(tables, content->brushes) || !readTable(tables, content->images) || !tables.atEnd())
        return false;
    content->ops = QByteArray(ops, opBytes);

    const Content& c = *content;
    if (!std::all_of(c.fonts.cbegin(), c.fonts.cend(), reasonableFont) ||
        !std::all_of(c.pens.cbegin(), c.pens.cend(), reasonablePen))
        return false;
    const bool wellFormed = walk(c.ops, [&c](Op code, Reader& r) {
        switch (code) {
        case Op::Pen:
            return validIndex(r.get<quint32>(), c.pens.size());
        case Op::Brush:
        case Op::Background:
            return validIndex(r.get<quint32>(), c.brushes.size());
        case Op::Font:
            return validIndex(r.get<quint32>(), c.fonts.size());
        case Op::ClipRegion: {
            QRegion region;
            return r.get<quint8>() <= Qt::IntersectClip && readRegion(r, region);
        }
        case Op::ClipPath: {
            QPainterPath path;
            return r.get<quint8>() <= Qt::IntersectClip && readPath(r, path);
        }
        case Op::Path: {
            QPainterPath path;
            return readPath(r, path);
        }
        case Op::BrushOrigin:
            return coordinates(r, 2);
        case Op::BackgroundMode:
        case Op::ClipEnabled:
            r.get<quint8>();
            return true;
        case Op::Transform:
            return reasonableTransform(r);
        case Op::Hints:
        case Op::Composition:
            r.get<quint32>();
            return true;
        case Op::Opacity:
            return coordinates(r, 1);
        case Op::Rects:
        case Op::Lines:
            return integerCoordinates(r, qsizetype(r.count(16)) * 4);
        case Op::PointsF:
            return coordinates(r, qsizetype(r.count(16)) * 2);
        case Op::RectsF:
        case Op::LinesF:
            return coordinates(r, qsizetype(r.count(32)) * 4);
        case Op::Polygon: {
            const quint8 mode = r.get<quint8>();
            return mode <= QPaintEngine::PolylineMode && coordinates(r, qsizetype(r.count(16)) * 2);
        }
        case Op::Ellipse:
            return coordinates(r, 4);
        case Op::Text:
            if (!coordinates(r, 2))
                return false;
            r.raw(qsizetype(r.count(2)) * 2);
            return true;
        case Op::Pixmap:
            return coordinates(r, 4) && validIndex(r.get<quint32>(), c.images.size()) && coordinates(r, 4);
        case Op::Image:
            return coordinates(r, 4) && validIndex(r.get<quint32>(), c.images.size()) && coordinates(r, 4) && r.raw(4);
        case Op::TiledPixmap:
            return coordinates(r, 4) && validIndex(r.get<quint32>(), c.images.size()) && coordinates(r, 2);
        }
        return false;
    });
    if (!wellFormed)
        return false;
    mContent = std::move(content);
    return true;
} catch (const std::bad_alloc&) {
    return false;
}

bool VectorPicture::play(QPainter& painter) const {
    if (isNull())
        return false;
    const Content& c = *mContent;
    painter.save();
    // Each text was recorded as one run of one direction, at its own place.
    painter.setLayoutDirection(Qt::LeftToRight);
    const QTransform base = painter.worldTransform();
    QString text;
    walk(c.ops, [&](Op code, Reader& r) {
        switch (code) {
        case Op::Pen:
            painter.setPen(c.pens[r.get<quint32>()]);
            break;
        case Op::Brush:
            painter.setBrush(c.brushes[r.get<quint32>()]);
            break;
        case Op::BrushOrigin: {
            const double x = r.get<double>();
            painter.setBrushOrigin(QPointF(x, r.get<double>()));
            break;
        }
        case Op::Font:
            painter.setFont(c.fonts[r.get<quint32>()]);
            break;
        case Op::Background:
            painter.setBackground(c.brushes[r.get<quint32>()]);
            break;
        case Op::BackgroundMode:
            painter.setBackgroundMode(Qt::BGMode(r.get<quint8>()));
            break;
        case Op::Transform: {
            std::array<double, 9> m{};
            for (double& v : m)
                v = r.get<double>();
            painter.setTransform(QTransform(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8]) * base);
            break;
        }
        case Op::ClipRegion: {
            const auto operation = Qt::ClipOperation(r.get<quint8>());
            QRegion region;
            readRegion(r, region);
            painter.setClipRegion(region, operation);
            break;
        }
        case Op::ClipPath: {
            const auto operation = Qt::ClipOperation(r.get<quint8>());
            QPainterPath path;
            readPath(r, path);
            painter.setClipPath(path, operation);
            break;
        }
        case Op::ClipEnabled:
            painter.setClipping(r.get<quint8>() != 0);
            break;
        case Op::Hints: {
            // The viewer's own choices for text and the rest stay.
            const auto hints = QPainter::RenderHints::fromInt(int(r.get<quint32>()));
            painter.setRenderHint(QPainter::Antialiasing, hints.testFlag(QPainter::Antialiasing));
            painter.setRenderHint(QPainter::SmoothPixmapTransform, hints.testFlag(QPainter::SmoothPixmapTransform));
            break;
        }
        case Op::Composition:
            painter.setCompositionMode(QPainter::CompositionMode(r.get<quint32>()));
            break;
        case Op::Opacity:
            painter.setOpacity(r.get<double>());
            break;
        case Op::Rects:
            for (quint32 n = r.count(16); n > 0; --n)
                painter.drawRect(r.four<QRect, qint32>());
            break;
        case Op::RectsF:
            for (quint32 n = r.count(32); n > 0; --n)
                painter.drawRect(r.rectF());
            break;
        case Op::Lines:
            for (quint32 n = r.count(16); n > 0; --n)
                painter.drawLine(r.four<QLine, qint32>());
            break;
        case Op::LinesF:
            for (quint32 n = r.count(32); n > 0; --n)
                painter.drawLine(r.four<QLineF, double>());
            break;
        case Op::PointsF:
            for (quint32 n = r.count(16); n > 0; --n) {
                const double x = r.get<double>();
                painter.drawPoint(QPointF(x, r.get<double>()));
            }
            break;
        case Op::Polygon: {
            const auto mode = QPaintEngine::PolygonDrawMode(r.get<quint8>());
            QPolygonF polygon;
            for (quint32 n = r.count(16); n > 0; --n) {
                const double x = r.get<double>();
                polygon.append(QPointF(x, r.get<double>()));
            }
            if (mode == QPaintEngine::PolylineMode)
                painter.drawPolyline(polygon);
            else
                painter.drawPolygon(polygon, mode == QPaintEngine::WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
            break;
        }
        case Op::Path: {
            QPainterPath path;
            readPath(r, path);
            painter.drawPath(path);
            break;
        }
        case Op::Ellipse:
            painter.drawEllipse(r.rectF());
            break;
        case Op::Text: {
            const double x = r.get<double>(), y = r.get<double>();
            const quint32 n = r.count(2);
            text.resize(n);
            if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN)
                std::memcpy(text.data(), r.raw(qsizetype(n) * 2), size_t(n) * 2);
            else
                for (quint32 i = 0; i < n; ++i)
                    text[i] = QChar(r.get<quint16>());
            painter.drawText(QPointF(x, y), text);
            break;
        }
        case Op::Pixmap: {
            const QRectF target = r.rectF();
            const QImage& picture = c.images[r.get<quint32>()];
            painter.drawPixmap(target, QPixmap::fromImage(picture), r.rectF());
            break;
        }
        case Op::Image: {
            const QRectF target = r.rectF();
            const QImage& picture = c.images[r.get<quint32>()];
            const QRectF source = r.rectF();
            painter.drawImage(target, picture, source, Qt::ImageConversionFlags::fromInt(int(r.get<quint32>())));
            break;
        }
        case Op::TiledPixmap: {
            const QRectF target = r.rectF();
            const QImage& picture = c.images[r.get<quint32>()];
            const double x = r.get<double>();
            painter.drawTiledPixmap(target, QPixmap::fromImage(picture), QPointF(x, r.get<double>()));
            break;
        }
        }
        return true;
    });
    painter.restore();
    return true;
}

bool VectorPicture::recordText(QPainter& painter, const QPointF& baselineStart, const QString& text,
                               const QRectF& covers) {
    auto* recorder = dynamic_cast<Recorder*>(painter.paintEngine());
    const QFont& font = painter.font();
    if (!recorder || font.underline() || font.overline() || font.strikeOut() ||
        painter.layoutDirection() == Qt::RightToLeft || painter.worldTransform().type() > QTransform::TxTranslate)
        return false;
    if (text.isEmpty() || painter.pen().style() == Qt::NoPen)
        return true; // drawText() draws nothing either
    // A painter hands the pen, clip and transform set since its last command to
    // the engine only along with a command: a point, which the recorder drops.
    recorder->mStateOnly = true;
    painter.drawPoint(baselineStart);
    recorder->mStateOnly = false;
    recorder->putText(baselineStart, font, text, covers);
    return true;
}

QPaintEngine* VectorPicture::paintEngine() const {
    if (!mRecorder)
        mRecorder = std::make_unique<Recorder>(const_cast<VectorPicture&>(*this));
    return mRecorder.get();
}

int VectorPicture::metric(PaintDeviceMetric metric) const {
    // Recorded in 96-dpi logical pixels, the sheet renderer's unit.
    constexpr int kDpi = 96;
    const QRect bounds = boundingRect();
    switch (metric) {
    case PdmWidth:
        return bounds.width();
    case PdmHeight:
        return bounds.height();
    case PdmWidthMM:
        return int(25.4 / kDpi * bounds.width());
    case PdmHeightMM:
        return int(25.4 / kDpi * bounds.height());
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return kDpi;
    case PdmNumColors:
        return 16777216;
    case PdmDepth:
        return 24;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    }
    return 0;
}

} // namespace sheet
