// The recorded vector picture: what it replays against what was painted, its
// bytes both ways, and bytes that are not a picture.

#include "sheet/render/vector_picture.h"

#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

#include <functional>

using sheet::VectorPicture;
using Scene = std::function<void(QPainter&)>;
Q_DECLARE_METATYPE(Scene)

namespace {

QImage paintedDirectly(const Scene& scene, QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    scene(painter);
    return image;
}

VectorPicture recorded(const Scene& scene) {
    VectorPicture picture;
    QPainter painter(&picture);
    scene(painter);
    painter.end();
    return picture;
}

QImage replayed(const VectorPicture& picture, QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.play(painter);
    return image;
}

QFont pixelFont(const char* family, int pixels) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    return font;
}

// Every kind of command a painter sends, a scene for each: fills, strokes, text
// in several fonts and directions, clips, transforms, images and state changes.
void fills(QPainter& p) {
    p.fillRect(QRect(0, 0, 120, 30), QColor(0, 0, 128));
    p.fillRect(QRectF(10.5, 35.25, 40.5, 12.75), QColor(230, 230, 230));
    p.setBrush(QBrush(Qt::green, Qt::DiagCrossPattern));
    p.setBrushOrigin(3, 1);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(130, 5), QPointF(190, 20), QPointF(150, 45)}), Qt::WindingFill);
    p.drawRect(QRect(20, 100, 30, 20));
}

void strokes(QPainter& p) {
    p.setPen(QPen(Qt::darkGray, 0, Qt::DashLine));
    p.drawLine(0, 50, 200, 50);
    p.drawLine(QLineF(0.5, 60.5, 199.5, 64.5));
    p.setPen(QPen(Qt::red, 3, Qt::DotLine, Qt::RoundCap));
    p.drawPolyline(QPolygonF({QPointF(5, 70), QPointF(60, 90), QPointF(110, 72)}));
    p.setBrush(Qt::cyan);
    p.drawEllipse(QRectF(140, 55, 40, 25));
    QPainterPath path;
    path.moveTo(5, 100);
    path.cubicTo(40, 80, 80, 130, 120, 100);
    path.closeSubpath();
    p.setRenderHint(QPainter::Antialiasing);
    p.drawPath(path);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawPoints(QPolygonF({QPointF(190, 100), QPointF(192, 102)}));
}

void texts(QPainter& p) {
    p.fillRect(QRect(0, 0, 120, 30), QColor(0, 0, 128));
    p.setPen(Qt::white);
    p.setFont(pixelFont("URW Gothic", 16));
    p.drawText(QPointF(6, 21), QStringLiteral("Last Name"));
    p.setPen(Qt::black);
    QFont underlined = pixelFont("DejaVu Sans", 13);
    underlined.setUnderline(true);
    p.setFont(underlined);
    p.drawText(QRect(0, 40, 200, 20), Qt::AlignRight, QStringLiteral("abc \u05E9\u05DC\u05D5\u05DD"));
    p.setFont(pixelFont("DejaVu Sans", 12));
    p.drawText(QRect(0, 70, 90, 60), Qt::TextWordWrap, QStringLiteral("Peter (spouse), Lily, Max, Sam"));
}

void clips(QPainter& p) {
    p.setFont(pixelFont("DejaVu Sans", 12));
    p.save();
    p.setClipRect(QRect(20, 130, 50, 14));
    p.drawText(QPointF(10, 142), QStringLiteral("clipped on both sides"));
    p.restore();
    p.drawText(QPointF(10, 158), QStringLiteral("after the clip"));
    p.setClipRegion(QRegion(0, 0, 40, 40) + QRegion(60, 0, 40, 40));
    p.fillRect(QRect(0, 10, 120, 10), Qt::red);
}

void transforms(QPainter& p) {
    p.save();
    p.translate(150, 130);
    p.rotate(30);
    p.scale(1.5, 0.75);
    p.setOpacity(0.5);
    p.fillRect(QRect(0, 0, 30, 20), Qt::magenta);
    p.restore();
    p.fillRect(QRect(0, 0, 10, 10), Qt::blue);
}

void images(QPainter& p) {
    QImage tile(4, 4, QImage::Format_RGB32);
    tile.fill(Qt::cyan);
    tile.setPixel(1, 1, qRgb(200, 0, 0));
    p.drawImage(QRectF(100, 160, 16, 8), tile, QRectF(0, 0, 4, 2));
    p.drawPixmap(QRect(120, 160, 8, 8), QPixmap::fromImage(tile));
    p.drawTiledPixmap(QRect(140, 160, 30, 10), QPixmap::fromImage(tile), QPoint(1, 0));
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    p.fillRect(QRect(0, 165, 160, 10), QColor(255, 128, 128));
}

void paintAll(QPainter& p, std::initializer_list<void (*)(QPainter&)> scenes) {
    for (const auto scene : scenes) {
        p.save();
        scene(p);
        p.restore();
    }
}

void everything(QPainter& p) {
    paintAll(p, {fills, strokes, texts, clips, transforms, images});
}

// What a sheet's picture holds. Strokes stay out: a damaged pen or line can be
// thousands of pixels long in dashes, slow to draw though harmless.
void sheetLike(QPainter& p) {
    paintAll(p, {fills, texts, clips, transforms, images});
}

constexpr QSize kSceneSize(200, 180);

} // namespace

class TestVectorPicture : public QObject {
    Q_OBJECT

private slots:
    void replaysWhatWasPaintedPixelForPixel_data() {
        QTest::addColumn<Scene>("scene");
        QTest::newRow("fills") << Scene(fills);
        QTest::newRow("strokes") << Scene(strokes);
        QTest::newRow("texts") << Scene(texts);
        QTest::newRow("clips") << Scene(clips);
        QTest::newRow("transforms") << Scene(transforms);
        QTest::newRow("images") << Scene(images);
        QTest::newRow("everything") << Scene(everything);
    }

    void replaysWhatWasPaintedPixelForPixel() {
        QFETCH(Scene, scene);
        const QImage direct = paintedDirectly(scene, kSceneSize);
        const VectorPicture picture = recorded(scene);
        QCOMPARE(replayed(picture, kSceneSize), direct);

        // Placed and scaled by the painter it is played into.
        QImage moved(kSceneSize * 2, QImage::Format_ARGB32_Premultiplied);
        moved.fill(Qt::white);
        QPainter painter(&moved);
        painter.translate(7, 3);
        painter.scale(1.5, 1.5);
        const QTransform before = painter.worldTransform();
        QVERIFY(picture.play(painter));
        QCOMPARE(painter.worldTransform(), before); // the painter's state is back
        painter.end();
        QImage expected(kSceneSize * 2, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::white);
        QPainter direct2(&expected);
        direct2.translate(7, 3);
        direct2.scale(1.5, 1.5);
        scene(direct2);
        direct2.end();
        QCOMPARE(moved, expected);
    }

    void itsBytesGiveTheSamePicture() {
        const VectorPicture picture = recorded(everything);
        const QByteArray bytes = picture.data();
        QVERIFY(VectorPicture::hasMagic(bytes));
        VectorPicture copy;
        QVERIFY(copy.setData(bytes));
        QCOMPARE(copy.boundingRect(), picture.boundingRect());
        QCOMPARE(replayed(copy, kSceneSize), replayed(picture, kSceneSize));
        QCOMPARE(copy.data(), bytes);
    }

    void recordsPlainTextAsDrawTextDoes() {
        const QStringList lines{QStringLiteral("Last Name"), QStringLiteral("(989) 923-1000"),
                                QStringLiteral("M\u00fcller-L\u00fcdenscheidt, \u0141ukasz \u00d7 2"),
                                QStringLiteral("  spaced  ")};
        const auto scene = [&](bool direct) {
            return [&lines, direct](QPainter& p) {
                p.setFont(pixelFont("URW Gothic", 13));
                p.translate(3, 2);
                for (int i = 0; i < lines.size(); ++i) {
                    p.setPen(i % 2 ? Qt::darkBlue : Qt::black);
                    if (i == 2)
                        p.setClipRect(QRect(0, 0, 90, 200));
                    const QPointF at(4, 14 + 19 * i);
                    if (direct)
                        p.drawText(at, lines[i]);
                    else
                        QVERIFY(VectorPicture::recordText(p, at, lines[i], QRectF(at.x(), at.y() - 12, 80, 16)));
                }
                p.setPen(Qt::NoPen);
                if (direct)
                    p.drawText(QPointF(4, 100), lines[0]);
                else
                    QVERIFY(VectorPicture::recordText(p, QPointF(4, 100), lines[0], QRectF()));
            };
        };
        const auto picture = [](const Scene& s) {
            VectorPicture given;
            given.setBoundingRect(QRect(0, 0, 200, 120));
            QPainter painter(&given);
            s(painter);
            painter.end();
            return given;
        };
        const VectorPicture drawn = picture(scene(true));
        const VectorPicture recorded = picture(scene(false));
        QCOMPARE(replayed(recorded, kSceneSize), replayed(drawn, kSceneSize));
        QCOMPARE(recorded.data(), drawn.data());

        // Where the text would need laying out or decorating, the caller draws it.
        QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
        QPainter onImage(&image);
        QVERIFY(!VectorPicture::recordText(onImage, QPointF(1, 8), lines[0], QRectF()));
        VectorPicture other;
        QPainter p(&other);
        QFont underlined = pixelFont("URW Gothic", 13);
        underlined.setUnderline(true);
        p.setFont(underlined);
        QVERIFY(!VectorPicture::recordText(p, QPointF(1, 8), lines[0], QRectF()));
        p.setFont(pixelFont("URW Gothic", 13));
        p.setLayoutDirection(Qt::RightToLeft);
        QVERIFY(!VectorPicture::recordText(p, QPointF(1, 8), lines[0], QRectF()));
        p.setLayoutDirection(Qt::LeftToRight);
        p.scale(2, 2);
        QVERIFY(!VectorPicture::recordText(p, QPointF(1, 8), lines[0], QRectF()));
    }

    void storesEachFontOnceHoweverManyTexts() {
        const Scene texts = [](QPainter& p) {
            p.setFont(pixelFont("URW Gothic", 13));
            for (int i = 0; i < 1000; ++i)
                p.drawText(QPointF(2, 14 + i * 19), QStringLiteral("(989) 923-%1").arg(1000 + i));
        };
        const QByteArray bytes = recorded(texts).data();
        // Per text: the command, a position, a length and 14 UTF-16 characters.
        QVERIFY2(bytes.size() < 1000 * (1 + 16 + 4 + 28) + 2000, QByteArray::number(bytes.size()).constData());
    }

    void boundsAreWhatWasDrawnUnlessGiven() {
        const VectorPicture away = recorded([](QPainter& p) { p.fillRect(50, 40, 100, 80, Qt::darkGreen); });
        QCOMPARE(away.boundingRect(), QRect(50, 40, 100, 80));
        const VectorPicture moved = recorded([](QPainter& p) {
            p.translate(10, 5);
            p.fillRect(0, 0, 20, 10, Qt::red);
        });
        QCOMPARE(moved.boundingRect(), QRect(10, 5, 20, 10));

        VectorPicture given;
        given.setBoundingRect(QRect(0, 0, 300, 200));
        {
            QPainter p(&given);
            p.fillRect(10, 10, 5, 5, Qt::red);
        }
        QCOMPARE(given.boundingRect(), QRect(0, 0, 300, 200));
        QVERIFY(VectorPicture().isNull());
        QVERIFY(VectorPicture().data().isEmpty());
        QPainter idle;
        QVERIFY(!VectorPicture().play(idle));
    }

    void copiesKeepWhatTheyHadWhenTheOriginalRecordsAgain() {
        VectorPicture picture = recorded([](QPainter& p) { p.fillRect(0, 0, 10, 10, Qt::red); });
        const VectorPicture copy = picture;
        {
            QPainter p(&picture);
            p.fillRect(0, 0, 30, 30, Qt::blue);
        }
        QCOMPARE(copy.boundingRect(), QRect(0, 0, 10, 10));
        QCOMPARE(replayed(copy, QSize(30, 30)).pixelColor(20, 20), QColor(Qt::white));
        QCOMPARE(replayed(picture, QSize(30, 30)).pixelColor(20, 20), QColor(Qt::blue));
    }

    void refusesBytesThatAreNotAWholePicture() {
        const QByteArray bytes = recorded(everything).data();
        VectorPicture picture = recorded([](QPainter& p) { p.fillRect(0, 0, 3, 3, Qt::red); });
        const QRect kept = picture.boundingRect();
        for (qsizetype n = 0; n < bytes.size(); ++n)
            QVERIFY2(!picture.setData(bytes.left(n)), QByteArray::number(n).constData());
        QVERIFY(!picture.setData(bytes + QByteArray(1, '\0')));
        QCOMPARE(picture.boundingRect(), kept); // a refused read changes nothing

        QByteArray otherVersion = bytes;
        otherVersion[8] = 2; // version, after the 8-byte magic
        QVERIFY(!picture.setData(otherVersion));
        QVERIFY(!picture.setData(QByteArrayLiteral("QPIC\0\0\0\0")));
    }

    void refusesCommandsThatNameMissingObjects() {
        // One pen, then a Pen command (code 1) naming pen 0, found at the end.
        QByteArray bytes = recorded([](QPainter& p) {
                               p.setPen(Qt::red);
                               p.drawLine(0, 0, 5, 5);
                           }).data();
        const qsizetype penCommand = bytes.indexOf(QByteArray("\x01\x00\x00\x00\x00", 5), 36);
        QVERIFY(penCommand > 0);
        QByteArray bad = bytes;
        bad[penCommand + 1] = 9; // pen 9 of one
        VectorPicture picture;
        QVERIFY(picture.setData(bytes));
        QVERIFY(!picture.setData(bad));
        bad = bytes;
        bad[penCommand] = char(200); // no such command
        QVERIFY(!picture.setData(bad));
    }

    void damagedCommandsNeverCrashTheReaderOrThePlayer() {
        const QByteArray bytes = recorded(sheetLike).data();
        // The header and the commands are the reader's own to check; the object
        // tables between them are Qt's QDataStream form, read by Qt.
        constexpr qsizetype kHeader = 32; // magic 8, version 4, bounds 16, objects' length 4
        const qsizetype objects = qFromLittleEndian<quint32>(bytes.constData() + kHeader - 4);
        const qsizetype commands = bytes.size() - kHeader - objects;
        QRandomGenerator random(20261209);
        int accepted = 0;
        for (int round = 0; round < 2000; ++round) {
            QByteArray damaged = bytes;
            for (int flips = 1 + int(random.bounded(4)); flips > 0; --flips) {
                qsizetype at = qsizetype(random.bounded(quint32(kHeader + commands)));
                if (at >= kHeader)
                    at += objects;
                damaged[at] = char(random.bounded(256));
            }
            VectorPicture picture;
            if (picture.setData(damaged)) {
                ++accepted;
                replayed(picture, QSize(64, 64));
            }
        }
        QVERIFY(accepted > 0); // most flips land in coordinates, which stay readable
    }
};

QTEST_MAIN(TestVectorPicture)
#include "test_vector_picture.moc"
