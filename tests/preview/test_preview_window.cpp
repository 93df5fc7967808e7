#include "app/widgets/cursor_file.h"
#include "preview/picture_box.h"
#include "preview/preview_window.h"
#include "preview_test_support.h"
#include "isolated_settings.h"
#include "scripted_prompt.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtEndian>
#include <QtTest>

namespace {

// 96 dots per inch under the offscreen platform: 15 twips per pixel.
// Picture1 is 2 twips smaller than the picture at zoom 1.0 (12000 -> 11998 twips
// for 800 pixels); the viewport is 9330 x 7425 twips outside, 9270 x 7365 inside.

// A 32 x 32 monochrome cursor with its hot spot at (hotX, hotY).
QByteArray cursorFile(quint16 hotX, quint16 hotY) {
    QByteArray b;
    const auto u8 = [&b](int v) { b.append(char(v)); };
    const auto u16 = [&b](quint16 v) {
        b.append(char(v & 0xff));
        b.append(char(v >> 8));
    };
    const auto u32 = [&b](quint32 v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xff));
    };
    // header: reserved, type 2 (cursor), one image
    u16(0), u16(2), u16(1);
    // directory entry: 32 x 32, 2 colours, reserved, hot spot, bytes of image, image offset
    u8(32), u8(32), u8(2), u8(0), u16(hotX), u16(hotY), u32(40 + 8 + 128 + 128), u32(6 + 16);
    // BITMAPINFOHEADER: size, width, height (XOR and AND masks), planes, bits, no compression, ...
    u32(40), u32(32), u32(64), u16(1), u16(1), u32(0), u32(256), u32(0), u32(0), u32(2), u32(0);
    // palette: black, white
    u32(0x00000000), u32(0x00ffffff);
    // XOR mask: all black; AND mask: all opaque
    b.append(QByteArray(128, '\0'));
    b.append(QByteArray(128, '\0'));
    return b;
}

QColor drawingColour(const Form2& form, int x, int y) {
    return form.Picture1->drawing().toImage().pixelColor(x, y);
}

} // namespace

class TestPreviewWindow : public QObject {
    Q_OBJECT

    QTemporaryDir mFolder; // program folder without a pointer file

    void open(Form2& form, const sheet::VectorPicture& picture) {
        keepRunningOnClose(form);
        form.setPicture(picture);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }

    // Drag on Picture1 from one point to another, both in Picture2's inner pixels
    // as they were when the drag started.
    static void drag(Form2& form, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton) {
        const QPoint origin = form.Picture1->pos();
        QTest::mousePress(form.Picture1, button, {}, from - origin);
        QTest::mouseMove(form.Picture1, to - form.Picture1->pos());
        QTest::mouseRelease(form.Picture1, button, {}, to - form.Picture1->pos());
    }

private slots:
    void windowHasItsFixedLayout() {
        Form2 form(mFolder.path());
        QCOMPARE(form.windowTitle(), QStringLiteral("Quorvel Tabwright"));
        QCOMPARE(form.size(), QSize(656, 660));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form.Picture2->geometry(), QRect(8, 8, 622, 495));
        QCOMPARE(form.VScroll1->geometry(), QRect(630, 8, 17, 495));
        QCOMPARE(form.HScroll1->geometry(), QRect(8, 503, 622, 17));
        QCOMPARE(form.Frame1->title(), QStringLiteral("Zoom:"));
        QCOMPARE(form.PushButton1->parentWidget(), form.Frame1);
        QCOMPARE(form.PushButton2->geometry(), QRect(144, 20, 120, 27));
        QCOMPARE(form.FitPageButton->parentWidget(), form.Frame1);
        QCOMPARE(form.PageLayoutBox->count(), 2);
        QCOMPARE(form.PageLayoutBox->itemText(0), QStringLiteral("One page"));
        QCOMPARE(form.PageLayoutBox->itemText(1), QStringLiteral("Fit to page width"));
        QCOMPARE(QString(form.PrintButton->text()).remove(u'&'), QStringLiteral("Print..."));
        QCOMPARE(QString(form.SavePdfButton->text()).remove(u'&'), QStringLiteral("Save as PDF..."));
        QCOMPARE(QString(form.PushButton8->text()).remove(u'&'), QStringLiteral("< Back"));
        QCOMPARE(QString(form.PushButton6->text()).remove(u'&'), QStringLiteral("Save Results To Excel File"));
        QCOMPARE(form.PushButton6->geometry(), QRect(328, 625, 320, 27));
        QVERIFY(form.PushButton1->font().bold());
        QCOMPARE(form.PushButton1->font().pointSizeF(), 11.25);
        QCOMPARE(form.previewGeometry().viewportInner().width, 9270.0);
        const QColor face = form.palette().color(QPalette::Button);
        QCOMPARE(form.palette().color(QPalette::Window), face);
        QCOMPARE(form.Frame1->palette().color(QPalette::Window), face);
        QVERIFY(form.Frame1->autoFillBackground());
        QVERIFY(!form.handCursor());
    }

    // The button face the window takes comes with the theme's text colour for it.
    void aDarkThemeKeepsTheWindowReadable() {
        const QPalette before = QApplication::palette();
        QPalette dark;
        dark.setColor(QPalette::Button, QColor(0x30, 0x30, 0x30));
        dark.setColor(QPalette::ButtonText, QColor(0xe8, 0xe8, 0xe8));
        dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
        dark.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0));
        QApplication::setPalette(dark);
        {
            Form2 form(mFolder.path());
            for (QWidget* w : {static_cast<QWidget*>(&form), static_cast<QWidget*>(form.Frame1),
                               static_cast<QWidget*>(form.ZoomLevelLabel)}) {
                const QPalette p = w->palette();
                QVERIFY2(std::abs(qGray(p.color(QPalette::Window).rgb()) - qGray(p.color(QPalette::WindowText).rgb())) >
                             120,
                         qPrintable(w->objectName()));
            }
        }
        QApplication::setPalette(before);
    }

    void firstPreviewOpensAtZoomOneInTheCorner() {
        ScriptedPrompt prompt;
        Form2 form(mFolder.path());
        open(form, twoColourPicture(800, 600));
        QCOMPARE(form.previewGeometry().zoom(), 1.0f);
        QCOMPARE(form.HScroll1->value(), 0);
        QCOMPARE(form.VScroll1->value(), 0);
        QCOMPARE(form.Picture1->pos(), QPoint(0, 0));
        QCOMPARE(form.Picture1->size(), QSize(800, 600));
        // (11998 - 9270) / 10 = 272.8 and (8998 - 7365) / 10 = 163.3, up to the last pixel
        QCOMPARE(form.HScroll1->maximum(), 273);
        QCOMPARE(form.VScroll1->maximum(), 164);
        QCOMPARE(form.ZoomLevelLabel->text(), QStringLiteral("100%"));
        QVERIFY(form.HScroll1->isEnabled());
        QCOMPARE(drawingColour(form, 10, 10), QColor(Qt::red));
        QCOMPARE(drawingColour(form, 790, 590), QColor(Qt::blue));
        QVERIFY(prompt.shown.empty());
    }

    void scrollRangesFollowThePictureWidth_data() {
        QTest::addColumn<int>("widthPx");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("step");
        QTest::newRow("narrower") << 600 << false << 0 << 0;
        QTest::newRow("88 wider") << 624 << true << 88 << 1;   // 9358 - 9270
        QTest::newRow("103 wider") << 625 << true << 11 << 10; // 9373 - 9270
        QTest::newRow("1228 wider") << 700 << true << 123 << 10;
    }
    void scrollRangesFollowThePictureWidth() {
        QFETCH(int, widthPx);
        QFETCH(bool, enabled);
        QFETCH(int, maximum);
        QFETCH(int, step);
        Form2 form(mFolder.path());
        open(form, twoColourPicture(widthPx, 100));
        QCOMPARE(form.HScroll1->isEnabled(), enabled);
        QCOMPARE(form.HScroll1->maximum(), maximum);
        QCOMPARE(form.previewGeometry().hScrollStep(), step);
        QVERIFY(!form.VScroll1->isEnabled());
    }

    void zoomButtonsRedrawAtQuarterSteps() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(400, 300));
        form.PushButton1->click();
        QCOMPARE(form.previewGeometry().zoom(), 1.25f);
        QCOMPARE(form.Picture1->size(), QSize(500, 375)); // 7497 x 5622 twips
        QCOMPARE(form.Picture1->drawingSize(), QSize(500, 375));
        // Drawn from the picture at the new size, not stretched from the last drawing.
        QCOMPARE(drawingColour(form, 247, 100), QColor(Qt::red));
        QCOMPARE(drawingColour(form, 253, 100), QColor(Qt::blue));
        form.PushButton2->click();
        form.PushButton2->click();
        QCOMPARE(form.previewGeometry().zoom(), 0.75f);
        QCOMPARE(form.Picture1->size(), QSize(300, 225));
    }

    void zoomStopsAtBothEnds() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(100, 80));
        for (int i = 0; i < 12; ++i)
            form.PushButton1->click();
        QCOMPARE(form.previewGeometry().zoom(), 4.0f);
        QCOMPARE(form.ZoomLevelLabel->text(), QStringLiteral("400%"));
        const QSize largest = form.Picture1->size();
        form.PushButton1->click();
        QCOMPARE(form.previewGeometry().zoom(), 4.0f);
        QCOMPARE(form.Picture1->size(), largest);
        for (int i = 0; i < 15; ++i)
            form.PushButton2->click();
        QCOMPARE(form.previewGeometry().zoom(), 0.25f);
        const QSize smallest = form.Picture1->size();
        form.PushButton2->click();
        QCOMPARE(form.previewGeometry().zoom(), 0.25f);
        QCOMPARE(form.Picture1->size(), smallest);
    }

    // A real list is wider than 14000 twips at 150 % and taller than 10000 past
    // 40 rows; zoom works on it both ways all the same.
    void zoomWorksOnALongWideList() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(860, 3000));
        form.PushButton1->click();
        QCOMPARE(form.previewGeometry().zoom(), 1.25f);
        QCOMPARE(form.Picture1->size(), QSize(1075, 3750));
        QCOMPARE(form.ZoomLevelLabel->text(), QStringLiteral("125%"));
        for (int i = 0; i < 3; ++i)
            form.PushButton2->click();
        QCOMPARE(form.previewGeometry().zoom(), 0.5f);
        QCOMPARE(form.Picture1->size(), QSize(430, 1500));
    }

    void barsReachTheLastPixel() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(1000, 700));
        form.HScroll1->setValue(form.HScroll1->maximum());
        form.VScroll1->setValue(form.VScroll1->maximum());
        const QRect inside = form.Picture1->parentWidget()->rect();
        QCOMPARE(form.Picture1->geometry().right(), inside.right());
        QCOMPARE(form.Picture1->geometry().bottom(), inside.bottom());
        QCOMPARE(drawingColour(form, 999, 699), QColor(Qt::blue));
    }

    // Zooming keeps the middle of the view in the middle; the ranges follow the
    // new size.
    void zoomKeepsTheMiddleAndRangesFollow() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(800, 600));
        form.HScroll1->setValue(100);
        form.VScroll1->setValue(50);
        QCOMPARE(form.Picture1->pos(), QPoint(-67, -33)); // -1000 and -500 twips
        form.PushButton1->click();
        // The picture point at the middle, (1000 + 4635, 500 + 3682.5) twips, times 1.25.
        QVERIFY(std::abs(form.previewGeometry().picture1Left() - float(4635 - 5635 * 1.25)) <= 10);
        QVERIFY(std::abs(form.previewGeometry().picture1Top() - float(3682.5 - 4182.5 * 1.25)) <= 10);
        QCOMPARE(form.HScroll1->maximum(), 573); // (14997 - 9270) / 10
        form.PushButton2->click();
        form.PushButton2->click(); // 0.75: fits the viewport
        QCOMPARE(form.HScroll1->value(), 0);
        QCOMPARE(form.Picture1->pos(), QPoint(0, 0));
        QVERIFY(!form.HScroll1->isEnabled());
        QVERIFY(!form.VScroll1->isEnabled());
    }

    // The wheel scrolls three rows a notch, Shift+wheel sideways, Ctrl+wheel
    // zooms about the pointer; the keys scroll and zoom as in any viewer.
    void wheelAndKeysScrollAndZoom() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(800, 3000));
        const auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers, QPointF at = {100, 100}) {
            QWheelEvent event(at, form.Picture1->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, modifiers,
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(form.Picture1, &event);
        };
        wheel(-120, Qt::NoModifier);
        QCOMPARE(form.VScroll1->value(), 78); // 3 x 26 units of 10 twips
        wheel(120, Qt::NoModifier);
        QCOMPARE(form.VScroll1->value(), 0);
        wheel(-240, Qt::ShiftModifier);
        QCOMPARE(form.HScroll1->value(), 156);
        QCOMPARE(form.VScroll1->value(), 0);

        QWidget* view = form.Picture2;
        QVERIFY(form.PushButton1->focusPolicy() == Qt::TabFocus); // clicks leave the keys with the view
        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(form.VScroll1->value(), 26);
        QTest::keyClick(view, Qt::Key_PageDown);
        QCOMPARE(form.VScroll1->value(), 26 + 736);
        QTest::keyClick(view, Qt::Key_End);
        QCOMPARE(form.VScroll1->value(), form.VScroll1->maximum());
        QTest::keyClick(view, Qt::Key_Home);
        QCOMPARE(form.VScroll1->value(), 0);
        QTest::keyClick(view, Qt::Key_Left);
        QCOMPARE(form.HScroll1->value(), 130);

        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(view, Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(form.previewGeometry().zoom(), 1.25f);
        QTest::keyClick(view, Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(form.previewGeometry().zoom(), 0.75f);
        QTest::keyClick(view, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(form.previewGeometry().zoom(), 1.0f);
        QCOMPARE(form.ZoomLevelLabel->text(), QStringLiteral("100%"));

        // Ctrl+wheel at the top-left corner of a picture scrolled to the top left:
        // that corner stays where it is.
        form.HScroll1->setValue(0);
        form.VScroll1->setValue(0);
        wheel(120, Qt::ControlModifier, {0, 0});
        QCOMPARE(form.previewGeometry().zoom(), 1.25f);
        QCOMPARE(form.Picture1->pos(), QPoint(0, 0));
        wheel(60, Qt::ControlModifier); // half a notch: not yet
        QCOMPARE(form.previewGeometry().zoom(), 1.25f);
        wheel(60, Qt::ControlModifier);
        QCOMPARE(form.previewGeometry().zoom(), 1.5f);
    }

    void fitWidthAndFitPage() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(1200, 3000)); // no workbook: the whole picture is the page
        form.FitWidthButton->click();
        QCOMPARE(form.previewGeometry().zoom(), 0.51f); // 9270 / 17998
        QVERIFY(form.Picture1->width() <= form.Picture1->parentWidget()->width());
        QVERIFY(form.Picture1->width() >= form.Picture1->parentWidget()->width() - 7);
        QCOMPARE(form.ZoomLevelLabel->text(), QStringLiteral("51%"));
        form.FitPageButton->click();
        QCOMPARE(form.previewGeometry().zoom(), 0.16f); // 7365 / 44998
        QVERIFY(!form.VScroll1->isEnabled());
        form.PushButton1->click();
        QCOMPARE(form.previewGeometry().zoom(), 0.25f);
    }

    void scrollBarsMoveThePicture() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(800, 600));
        // An arrow click is about a row: 255 twips in units of 10.
        form.HScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(form.HScroll1->value(), 26);
        QCOMPARE(form.previewGeometry().picture1Left(), -260.0f);
        form.VScroll1->setValue(30);
        QCOMPARE(form.Picture1->pos(), QPoint(-17, -20));
        // A click in the track is the viewport's height.
        form.VScroll1->setValue(0);
        form.VScroll1->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(form.VScroll1->value(), 164); // a page would be 736, the range ends first

        // Dragging the thumb moves nothing until it is let go.
        form.HScroll1->setSliderDown(true);
        form.HScroll1->setSliderPosition(60);
        QCOMPARE(form.Picture1->x(), -17);
        form.HScroll1->setSliderDown(false);
        QCOMPARE(form.HScroll1->value(), 60);
        QCOMPARE(form.Picture1->x(), -40);
    }

    void percentOperationsSetTheBars() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(800, 600));
        form.SetHScrollbarByPercent(form.HScroll1, 50); // 136.5 to even
        QCOMPARE(form.HScroll1->value(), 136);
        QCOMPARE(form.Picture1->x(), -91); // -1360 twips
        form.SetHScrollbarByPercent(form.HScroll1, 150);
        QCOMPARE(form.HScroll1->value(), 136);
        form.SetHScrollbarByPercent(form.HScroll1, -1);
        QCOMPARE(form.HScroll1->value(), 136);
        form.SetHScrollbarByPercent(form.HScroll1, 0);
        QCOMPARE(form.HScroll1->value(), 0);
        QCOMPARE(form.Picture1->x(), 0);
        form.SetVScrollbarByPercent(form.VScroll1, 100);
        QCOMPARE(form.VScroll1->value(), 164);

        QScrollBar other(Qt::Horizontal);
        other.setRange(0, 10);
        form.SetHScrollbarByPercent(&other, 25);
        QCOMPARE(other.value(), 2); // 2.5 to even
    }

    void draggingMovesThePictureAndReleaseSnaps() {
        ScriptedPrompt prompt;
        Form2 form(mFolder.path());
        open(form, twoColourPicture(800, 600));
        drag(form, {400, 300}, {350, 280});
        // -750 twips is 27.49 per cent of 2728: value 74 of 273, at -740.
        QCOMPARE(form.HScroll1->value(), 74);
        QCOMPARE(form.Picture1->x(), -49);
        // -300 twips is 18.37 per cent of 1633: value 30 of 164, at -300.
        QCOMPARE(form.VScroll1->value(), 30);
        QCOMPARE(form.Picture1->y(), -20);
        QVERIFY(prompt.shown.empty());
    }

    void anyButtonDrags() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(800, 600));
        drag(form, {400, 300}, {300, 300}, Qt::RightButton);
        QVERIFY(form.HScroll1->value() > 0);
    }

    void draggingRightFromTheCornerStaysThere() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(800, 600));
        const QPoint origin = form.Picture1->pos();
        QTest::mousePress(form.Picture1, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(form.Picture1, QPoint(180, 160));
        QCOMPARE(form.Picture1->pos(), origin);
        QTest::mouseRelease(form.Picture1, Qt::LeftButton, {}, QPoint(180, 160));
        QCOMPARE(form.Picture1->pos(), QPoint(0, 0));
        QCOMPARE(form.HScroll1->value(), 0);
    }

    void draggingFarLeftStopsAtTheInnerEdge() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(800, 600));
        QTest::mousePress(form.Picture1, Qt::LeftButton, {}, QPoint(600, 450));
        QTest::mouseMove(form.Picture1, QPoint(-1000, -1000));
        // 9270 - 11998 = -2728 and 7365 - 8998 = -1633 twips
        QCOMPARE(form.previewGeometry().picture1Left(), -2728.0f);
        QCOMPARE(form.Picture1->pos(), QPoint(-182, -109));
        QTest::mouseRelease(form.Picture1, Qt::LeftButton, {}, QPoint(0, 0));
        // 100 per cent both ways: the bars at their ends, the picture where it was dropped.
        QCOMPARE(form.HScroll1->value(), 273);
        QCOMPARE(form.VScroll1->value(), 164);
        QCOMPARE(form.Picture1->pos(), QPoint(-182, -109));
    }

    void pressAndReleaseWithoutMoveSetsTheBarsFromThePosition() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(800, 600));
        form.HScroll1->setValue(40); // -400 twips: 14.66 per cent, 15 per cent of 273 is 40.95
        QTest::mouseClick(form.Picture1, Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(form.HScroll1->value(), 41);
        QCOMPARE(form.previewGeometry().picture1Left(), -410.0f);
    }

    void aPictureThatFitsDoesNotMove() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(400, 300));
        drag(form, {200, 150}, {100, 50});
        QCOMPARE(form.Picture1->pos(), QPoint(0, 0));
        drag(form, {200, 150}, {300, 250});
        QCOMPARE(form.Picture1->pos(), QPoint(0, 0));
    }

    void secondPreviewStartsAfresh() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(800, 600));
        form.HScroll1->setValue(200);
        form.PushButton2->click();
        form.hide();

        form.setPicture(twoColourPicture(300, 600, Qt::green, Qt::yellow));
        form.show();
        QCOMPARE(form.previewGeometry().zoom(), 1.0f);
        QCOMPARE(form.Picture1->pos(), QPoint(0, 0));
        QCOMPARE(form.Picture1->size(), QSize(300, 600));
        QVERIFY(!form.HScroll1->isEnabled());
        QCOMPARE(form.HScroll1->value(), 0);
        QVERIFY(form.VScroll1->isEnabled());
        QCOMPARE(form.VScroll1->maximum(), 164); // (8998 - 7365) / 10
        QCOMPARE(drawingColour(form, 10, 10), QColor(Qt::green));
        form.PushButton2->click(); // drawn from the new picture
        QCOMPARE(form.Picture1->size(), QSize(225, 450));
        QCOMPARE(drawingColour(form, 10, 10), QColor(Qt::green));
    }

    void openingWithoutAPictureShowsAnEmptyViewport() {
        ScriptedPrompt prompt;
        Form2 form(mFolder.path());
        keepRunningOnClose(form);
        form.show();
        form.PushButton1->click();
        drag(form, {5, 5}, {50, 50});
        QVERIFY(!form.HScroll1->isEnabled());
        QCOMPARE(form.Picture1->size(), QSize(0, 0));
        QVERIFY(prompt.shown.empty());
    }

    void aPictureDrawnAwayFromTheOriginFillsPicture1() {
        sheet::VectorPicture picture;
        QPainter painter(&picture);
        painter.fillRect(50, 40, 100, 80, Qt::darkGreen);
        painter.end();
        Form2 form(mFolder.path());
        open(form, picture);
        QCOMPARE(form.Picture1->size(), QSize(100, 80));
        QCOMPARE(drawingColour(form, 0, 0), QColor(Qt::darkGreen));
        QCOMPARE(drawingColour(form, 99, 79), QColor(Qt::darkGreen));
    }

    void doubleClickStartsADragAsWell() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(800, 600));
        QTest::mouseClick(form.Picture1, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseDClick(form.Picture1, Qt::LeftButton, {}, QPoint(400, 300));
        QCOMPARE(form.previewGeometry().dragStartX(), 6000.0f);
        QCOMPARE(form.previewGeometry().dragStartY(), 4500.0f);
        QTest::mouseRelease(form.Picture1, Qt::LeftButton, {}, QPoint(400, 300));
    }

    void laterActivationsChangeNothing() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(800, 600));
        form.HScroll1->setValue(40);
        form.Form_Activate();
        QCOMPARE(form.HScroll1->value(), 40);
    }

    void picturesLoadFromFiles() {
        QTemporaryDir dir;
        Form2 form(mFolder.path());
        keepRunningOnClose(form);
        const QString picturePath = dir.filePath(QStringLiteral("sheet.pic"));
        const QByteArray bytes = twoColourPicture(320, 200).data();
        QFile pictureFile(picturePath);
        QVERIFY(pictureFile.open(QIODevice::WriteOnly));
        pictureFile.write(bytes);
        pictureFile.close();
        form.loadPictureFile(picturePath);
        QCOMPARE(form.Picture1->size(), QSize(320, 200));
        // A picture cut short is refused, not shown in part.
        QVERIFY(pictureFile.open(QIODevice::WriteOnly));
        pictureFile.write(bytes.left(bytes.size() - 3));
        pictureFile.close();
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, form.loadPictureFile(picturePath));

        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        const QString imagePath = dir.filePath(QStringLiteral("sheet.png"));
        QVERIFY(image.save(imagePath));
        form.loadPictureFile(imagePath);
        QCOMPARE(form.Picture1->size(), QSize(64, 48));

        QFile junk(dir.filePath(QStringLiteral("junk.pic")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a picture");
        junk.close();
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, form.loadPictureFile(junk.fileName()));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, form.loadPictureFile(dir.filePath(QStringLiteral("none"))));
    }

    void cursorFilesKeepTheirHotSpot() {
        const std::optional<CursorImage> decoded = decodeCursorFile(cursorFile(5, 3));
        QVERIFY(decoded);
        QCOMPARE(decoded->image.size(), QSize(32, 32));
        QCOMPARE(decoded->hotSpot, QPoint(5, 3));

        QVERIFY(!decodeCursorFile(QByteArray()));
        QVERIFY(!decodeCursorFile(cursorFile(5, 3).left(20)));                 // cut inside the directory
        QVERIFY(!decodeCursorFile(cursorFile(5, 3).left(60)));                 // cut inside the image
        QVERIFY(!decodeCursorFile(QByteArray(400, '\x7f')));                   // not a cursor
        QCOMPARE(decodeCursorFile(cursorFile(900, 3))->hotSpot, QPoint(0, 0)); // outside the image
    }

    void pointerRulesOverButtonsAndBackground() {
        QTemporaryDir programFolder;
        QFile file(programFolder.filePath(QStringLiteral("HAND-M.CUR")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(cursorFile(6, 2));
        file.close();

        Form2 form(programFolder.path());
        QVERIFY(form.handCursor());
        QCOMPARE(form.handCursor()->hotSpot(), QPoint(6, 2));
        open(form, twoColourPicture(400, 300));

        QTest::mouseMove(form.PushButton6);
        QCOMPARE(form.mousePointer(), MousePointer::Custom);
        QCOMPARE(form.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(form.cursor().hotSpot(), QPoint(6, 2));
        QTest::mouseMove(&form, QPoint(3, 3));
        QCOMPARE(form.mousePointer(), MousePointer::Default);
        QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
        QTest::mouseMove(form.PushButton1);
        QCOMPARE(form.mousePointer(), MousePointer::Custom);
        QTest::mouseMove(form.Frame1, QPoint(632, 50));
        QCOMPARE(form.mousePointer(), MousePointer::Default);

        form.setMousePointer(MousePointer::Hourglass);
        QTest::mouseMove(form.PushButton8);
        QCOMPARE(form.mousePointer(), MousePointer::Hourglass);
        QTest::mouseMove(&form, QPoint(3, 3));
        QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
        // A redraw puts the default pointer back.
        form.PushButton1->click();
        QCOMPARE(form.mousePointer(), MousePointer::Default);
    }

    void withoutPointerFileTheCustomPointerIsTheArrow() {
        Form2 form(mFolder.path());
        open(form, twoColourPicture(400, 300));
        QTest::mouseMove(form.PushButton2);
        QCOMPARE(form.mousePointer(), MousePointer::Custom);
        QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    }
};

TABWRIGHT_ISOLATED_TEST_MAIN(TestPreviewWindow)
#include "test_preview_window.moc"
