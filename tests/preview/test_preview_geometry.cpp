#include "preview/preview_geometry.h"

#include <QtTest>

#include <cmath>

using O = PreviewGeometry::Orientation;

namespace {

// The window's viewport: 9330 x 7425 twips outside, a 2-pixel border inside.
constexpr TwipsSize kOuter{9330, 7425};
constexpr TwipsSize kInner{9270, 7365};

// A window whose set-up ran for a picture of this natural size. Picture1 then
// is 2 twips smaller than the picture, unless the picture is too large to redraw.
PreviewGeometry setUpFor(double width, double height) {
    PreviewGeometry g(kOuter, kInner);
    g.autoSizePicture1({width, height});
    g.copyToZoomOri();
    g.resetZoom();
    g.redrawImage();
    g.setupScrollBars();
    return g;
}

// "Zoom In" (0) or "Zoom Out" (1) as the window runs it.
void zoomButton(PreviewGeometry& g, int direction) {
    if (g.zoomStep(direction))
        g.redrawImage();
}

// A picture 1000 twips wider than the inside of the viewport: bar maximum 100, step 10.
PreviewGeometry wideByThousand() {
    return setUpFor(kInner.width + 1000 + 2, 5000);
}

} // namespace

class TestPreviewGeometry : public QObject {
    Q_OBJECT
private slots:
    void roundsHalvesToEven_data() {
        QTest::addColumn<double>("in");
        QTest::addColumn<double>("out");
        QTest::newRow("0.5") << 0.5 << 0.0;
        QTest::newRow("1.5") << 1.5 << 2.0;
        QTest::newRow("2.5") << 2.5 << 2.0;
        QTest::newRow("100.5") << 100.5 << 100.0;
        QTest::newRow("101.5") << 101.5 << 102.0;
        QTest::newRow("-1.5") << -1.5 << -2.0;
        QTest::newRow("-2.5") << -2.5 << -2.0;
        QTest::newRow("23.7") << 23.7 << 24.0;
        QTest::newRow("23.2") << 23.2 << 23.0;
    }
    void roundsHalvesToEven() {
        QFETCH(double, in);
        QFETCH(double, out);
        QCOMPARE(roundHalfEven(in), out);
    }

    void setUpStartsAtZoomOneTopLeftBarsAtZero() {
        const PreviewGeometry g = setUpFor(12000, 9000);
        QCOMPARE(g.zoom(), 1.0f);
        QCOMPARE(g.origWidth(), 11998);
        QCOMPARE(g.origHeight(), 8998);
        QCOMPARE(g.zoomWidth(), 11998);
        QCOMPARE(g.picture1Width(), 11998.0f);
        QCOMPARE(g.picture1Left(), 0.0f);
        QCOMPARE(g.picture1Top(), 0.0f);
        QCOMPARE(g.hScroll().value, 0);
        QCOMPARE(g.vScroll().value, 0);
    }

    // What the picture has beyond the inside of the viewport decides the range,
    // and the last value shows the picture's last pixel.
    void scrollRangeFollowsHowMuchWiderThePictureIs_data() {
        QTest::addColumn<double>("wider");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("step");
        QTest::newRow("narrower") << -500.0 << false << 0 << 0;
        QTest::newRow("as wide") << 0.0 << false << 0 << 0;
        QTest::newRow("1 wider") << 1.0 << true << 1 << 1;
        QTest::newRow("100 wider") << 100.0 << true << 100 << 1;
        QTest::newRow("101 wider") << 101.0 << true << 11 << 10;
        QTest::newRow("1005 wider") << 1005.0 << true << 101 << 10;
        QTest::newRow("1010 wider") << 1010.0 << true << 101 << 10;
    }
    void scrollRangeFollowsHowMuchWiderThePictureIs() {
        QFETCH(double, wider);
        QFETCH(bool, enabled);
        QFETCH(int, maximum);
        QFETCH(int, step);
        PreviewGeometry h = setUpFor(kInner.width + wider + 2, 1000);
        QCOMPARE(h.picture1Width(), float(kInner.width + wider));
        QCOMPARE(h.hScroll().enabled, enabled);
        QCOMPARE(h.hScroll().maximum, maximum);
        QCOMPARE(h.hScrollStep(), step);
        QVERIFY(!h.vScroll().enabled);
        h.setScrollValue(O::Horizontal, maximum);
        QCOMPARE(h.picture1Left(), float(enabled ? -wider : 0));

        PreviewGeometry v = setUpFor(1000, kInner.height + wider + 2);
        QCOMPARE(v.vScroll().enabled, enabled);
        QCOMPARE(v.vScroll().maximum, maximum);
        QCOMPARE(v.vScrollStep(), step);
        QVERIFY(!v.hScroll().enabled);
        v.setScrollValue(O::Vertical, maximum);
        QCOMPARE(v.picture1Top() + v.picture1Height(), float(enabled ? kInner.height : v.picture1Height()));
    }

    void aPictureTooTallForSixteenBitsMovesFurtherPerUnit() {
        // 392633 twips beyond the viewport: 39264 units of 10 do not fit.
        PreviewGeometry g = setUpFor(1000, 400000);
        QCOMPARE(g.vScrollStep(), 100);
        QCOMPARE(g.vScroll().maximum, 3927);
        g.setScrollValue(O::Vertical, 3927);
        QCOMPARE(g.picture1Top(), float(kInner.height - 399998));
    }

    // An arrow click moves about one row at the current zoom, a click in the
    // track a viewport.
    void barStepsAreARowAndAPage() {
        PreviewGeometry g = setUpFor(20000, 60000);
        QCOMPARE(g.vScrollStep(), 10);
        QCOMPARE(g.vScroll().singleStep, 26); // 255 twips
        QCOMPARE(g.vScroll().pageStep, 736);  // 7365 twips
        QCOMPARE(g.hScroll().pageStep, 927);
        QVERIFY(g.setZoom(2.0f));
        g.redrawImage();
        QCOMPARE(g.vScroll().singleStep, 51);
        QCOMPARE(g.vScroll().pageStep, 736);
    }

    void zoomStepsThroughTheQuartersFromAQuarterToFour() {
        PreviewGeometry g = setUpFor(2000, 1500);
        QVERIFY(g.setZoom(4.0f));
        g.redrawImage();
        QCOMPARE(g.zoomWidth(), 1998 * 4);
        QVERIFY(!g.zoomStep(0));
        QCOMPARE(g.zoom(), 4.0f);
        QCOMPARE(g.zoomWidth(), 1998 * 4);

        QVERIFY(g.setZoom(0.25f));
        g.redrawImage();
        QCOMPARE(g.zoomWidth(), 499); // floor(1998 * 0.25)
        QVERIFY(!g.zoomStep(1));
        QCOMPARE(g.zoom(), 0.25f);
        QCOMPARE(g.picture1Width(), 499.0f);

        QVERIFY(!g.setZoom(0.0f));
        QVERIFY(!g.setZoom(0.05f));
        QVERIFY(!g.setZoom(4.25f));
    }

    // A phone list is wider than 14000 twips at 1.5 and taller than 10000 past
    // 40 rows: zooming must still work both ways.
    void zoomWorksOnAWideLongList() {
        PreviewGeometry g = setUpFor(12900, 60000);
        for (const float expected : {1.25f, 1.5f, 1.75f, 2.0f}) {
            zoomButton(g, 0);
            QCOMPARE(g.zoom(), expected);
            QCOMPARE(g.zoomWidth(), int(12898 * expected));
            QCOMPARE(g.picture1Height(), float(int(59998 * expected)));
        }
        for (int i = 0; i < 7; ++i)
            zoomButton(g, 1);
        QCOMPARE(g.zoom(), 0.25f);
        QCOMPARE(g.picture1Width(), float(int(12898 * 0.25)));
    }

    void zoomPastTheLargestPictureIsRefused() {
        PreviewGeometry g = setUpFor(2000, PreviewGeometry::kMaxZoomSide / 2.0);
        QVERIFY(g.setZoom(2.0f));
        QVERIFY(!g.setZoom(2.25f));
        QCOMPARE(g.zoom(), 2.0f);
    }

    // Fit Width and Fit Page in whole per cent; a page smaller than the viewport
    // is fitted up to 400 %, a long one down to 10 %, and the next step from
    // there is the next quarter.
    void fitZoomShowsTheAreaWhole() {
        PreviewGeometry g = setUpFor(12900, 60000);
        QCOMPARE(g.fitZoom(12898, 0), 0.71f); // 9270 / 12898 = 0.7187
        QCOMPARE(g.fitZoom(12898, 8000), 0.71f);
        QCOMPARE(g.fitZoom(12898, 20000), 0.36f);
        QCOMPARE(g.fitZoom(1000, 1000), 4.0f);
        QCOMPARE(g.fitZoom(12898, 400000), 0.10f);
        QVERIFY(g.setZoom(g.fitZoom(12898, 20000)));
        QVERIFY(g.zoomStep(0));
        QCOMPARE(g.zoom(), 0.5f);
        QVERIFY(g.setZoom(0.36f));
        QVERIFY(g.zoomStep(1));
        QCOMPARE(g.zoom(), 0.25f);
        QVERIFY(g.setZoom(0.12f));
        QVERIFY(!g.zoomStep(1));
        QVERIFY(g.zoomStep(0));
        QCOMPARE(g.zoom(), 0.25f);
    }

    // The point at the anchor (the viewport's centre unless given) stays there.
    void zoomKeepsTheAnchorInPlace() {
        PreviewGeometry g = setUpFor(20000, 60000);
        g.setScrollValue(O::Horizontal, 300);
        g.setScrollValue(O::Vertical, 2000);
        const double cx = kInner.width / 2, cy = kInner.height / 2;
        const double px = cx - g.picture1Left(), py = cy - g.picture1Top(); // picture point at the centre
        zoomButton(g, 0);
        QVERIFY(std::fabs((cx - g.picture1Left()) - px * 1.25) <= 10);
        QVERIFY(std::fabs((cy - g.picture1Top()) - py * 1.25) <= 10);
        QCOMPARE(g.picture1Left(), -float(g.hScrollStep() * g.hScroll().value));

        // About the pointer, in the top-left corner: the corner stays put.
        PreviewGeometry c = setUpFor(20000, 60000);
        QVERIFY(c.setZoom(2.0f));
        c.redrawImage(TwipsSize{0, 0});
        QCOMPARE(c.picture1Left(), 0.0f);
        QCOMPARE(c.picture1Top(), 0.0f);

        // Zoomed out until it fits: back at the corner, bars off.
        zoomButton(g, 1);
        zoomButton(g, 1);
        zoomButton(g, 1);
        zoomButton(g, 1);
        QCOMPARE(g.zoom(), 0.25f);
        QCOMPARE(g.picture1Left(), 0.0f);
        QVERIFY(!g.hScroll().enabled);
        QVERIFY(g.vScroll().enabled);
    }

    void aSecondSetUpStartsAfresh() {
        PreviewGeometry g = setUpFor(20000, 9000);
        g.setScrollValue(O::Horizontal, 300);
        zoomButton(g, 1);
        g.autoSizePicture1({6000, 4000});
        g.copyToZoomOri();
        g.resetZoom();
        g.redrawImage();
        g.setupScrollBars();
        QCOMPARE(g.zoom(), 1.0f);
        QCOMPARE(g.origWidth(), 5998);
        QCOMPARE(g.picture1Width(), 5998.0f);
        QCOMPARE(g.picture1Left(), 0.0f);
        QCOMPARE(g.hScroll().value, 0);
        QCOMPARE(g.hScroll().maximum, 0);
        QVERIFY(!g.hScroll().enabled);
    }

    void percentOfTheMaximum_data() {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value"); // -1: nothing
        QTest::newRow("0") << 0 << 100 << 0;
        QTest::newRow("24 of 100") << 24 << 100 << 24;
        QTest::newRow("100") << 100 << 567 << 567;
        QTest::newRow("101") << 101 << 100 << -1;
        QTest::newRow("negative") << -1 << 100 << -1;
        QTest::newRow("2.5 to even") << 50 << 5 << 2;
        QTest::newRow("1.5 to even") << 30 << 5 << 2;
        QTest::newRow("no range") << 250 << 0 << 0;
    }
    void percentOfTheMaximum() {
        QFETCH(int, percent);
        QFETCH(int, maximum);
        QFETCH(int, value);
        const std::optional<int> got = scrollValueForPercent(percent, maximum);
        QCOMPARE(got.value_or(-1), value);
    }

    void percentMovesThePictureThroughTheBar() {
        PreviewGeometry g = wideByThousand();
        g.setScrollbarByPercent(O::Horizontal, 37);
        QCOMPARE(g.hScroll().value, 37);
        QCOMPARE(g.picture1Left(), -370.0f);
        g.setScrollbarByPercent(O::Horizontal, 101);
        QCOMPARE(g.hScroll().value, 37);
        g.setScrollbarByPercent(O::Horizontal, -5);
        QCOMPARE(g.hScroll().value, 37);
        g.setScrollbarByPercent(O::Horizontal, 0);
        QCOMPARE(g.hScroll().value, 0);
        QCOMPARE(g.picture1Left(), 0.0f);
    }

    void barValueMovesThePictureByItsStep() {
        PreviewGeometry g = setUpFor(kInner.width + 60 + 2, kInner.height + 5000 + 2);
        QCOMPARE(g.hScrollStep(), 1);
        g.setScrollValue(O::Horizontal, 7);
        QCOMPARE(g.picture1Left(), -7.0f);
        g.setScrollValue(O::Vertical, 500);
        QCOMPARE(g.picture1Top(), -5000.0f);
        g.setScrollValue(O::Vertical, 900); // past the maximum: held at it
        QCOMPARE(g.vScroll().value, 500);
    }

    void pressAndReleaseWithoutMoveSetsBarsFromThePosition() {
        PreviewGeometry g = wideByThousand();
        g.setScrollValue(O::Horizontal, 24);
        g.mouseDown(300, 200);
        QCOMPARE(g.dragStartX(), 300.0f);
        QCOMPARE(g.dragStartY(), 200.0f);
        g.mouseUp();
        QCOMPARE(g.picture1Left(), -240.0f);
        QCOMPARE(g.hScroll().value, 24);
    }

    void moveWithoutButtonDoesNothing() {
        PreviewGeometry g = wideByThousand();
        g.mouseDown(5000, 100);
        QVERIFY(!g.mouseMove(false, 4000, 100));
        QCOMPARE(g.picture1Left(), 0.0f);
    }

    void draggingRightOrDownFromTheCornerStaysThere() {
        PreviewGeometry g = setUpFor(20000, 15000);
        g.mouseDown(100, 100);
        g.mouseMove(true, 900, 800);
        QCOMPARE(g.picture1Left(), 0.0f);
        QCOMPARE(g.picture1Top(), 0.0f);
    }

    void draggingFarStopsAtTheViewportsInnerEdge() {
        PreviewGeometry g = setUpFor(20000, 15000);
        g.mouseDown(15000, 12000);
        g.mouseMove(true, 0, 0);
        QCOMPARE(g.picture1Left(), float(kInner.width - 19998));
        QCOMPARE(g.picture1Top(), float(kInner.height - 14998));
    }

    void pressedPointStaysUnderThePointer() {
        PreviewGeometry g = setUpFor(20000, 15000);
        g.mouseDown(3000, 3000);
        g.mouseMove(true, 2000, 2500); // picture follows: left -1000, top -500
        QCOMPARE(g.picture1Left(), -1000.0f);
        QCOMPARE(g.picture1Top(), -500.0f);
        // The pointer stays on the same picture point, now at 3000, 3000 in its coordinates.
        g.mouseMove(true, 2700, 3000);
        QCOMPARE(g.picture1Left(), -1300.0f);
        QCOMPARE(g.picture1Top(), -500.0f);
    }

    void releaseSnapsToWhatTheBarCanExpress() {
        PreviewGeometry g = wideByThousand();
        g.mouseDown(5000, 100);
        g.mouseMove(true, 4763, 100);
        QCOMPARE(g.picture1Left(), -237.0f);
        QCOMPARE(g.releasePercent(O::Horizontal).value_or(-1), 24);
        g.mouseUp();
        QCOMPARE(g.hScroll().value, 24);
        QCOMPARE(g.hScroll().maximum, 100);
        QCOMPARE(g.picture1Left(), -240.0f);
    }

    void dragToTheFarEndReachesTheLastPixel() {
        PreviewGeometry g = wideByThousand();
        g.setScrollValue(O::Horizontal, 50);
        g.mouseDown(5000, 100);
        g.mouseMove(true, 0, 100);
        QCOMPARE(g.picture1Left(), -1000.0f);
        QCOMPARE(g.releasePercent(O::Horizontal).value_or(-1), 100);
        g.mouseUp();
        QCOMPARE(g.hScroll().value, 100);
        QCOMPARE(g.picture1Left(), -1000.0f);
    }

    void aPictureThatFitsHoldsStillWhileTheOtherWayMoves() {
        PreviewGeometry g = setUpFor(5000, 20000);
        g.mouseDown(1000, 5000);
        g.mouseMove(true, 1900, 4000);
        QCOMPARE(g.picture1Left(), 0.0f);
        QCOMPARE(g.picture1Top(), -1000.0f);
        g.mouseMove(true, 100, 4000);
        QCOMPARE(g.picture1Left(), 0.0f);
        g.mouseUp();
        QCOMPARE(g.hScroll().value, 0);
    }

    void aPictureAsWideAsTheViewportLeavesItsBarAlone() {
        PreviewGeometry g = setUpFor(kInner.width + 2, kInner.height + 1000 + 2);
        g.mouseDown(5000, 5000);
        g.mouseMove(true, 4900, 4763);
        QCOMPARE(g.picture1Left(), 0.0f);
        QVERIFY(!g.releasePercent(O::Horizontal));
        g.mouseUp();
        QCOMPARE(g.hScroll().value, 0);
        QCOMPARE(g.vScroll().value, 24);
        QCOMPARE(g.picture1Top(), -240.0f);
    }
};

QTEST_APPLESS_MAIN(TestPreviewGeometry)
#include "test_preview_geometry.moc"
