#include "preview/preview_geometry.h"

#include <QtTest>

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

// A picture whose outer width is 1000 twips more than the viewport's: bar maximum 100, step 10.
PreviewGeometry wideByThousand() {
    return setUpFor(kOuter.width + 1000 + 2, 5000);
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

    // Picture1's outer width minus the viewport's outer width decides the range.
    void scrollRangeFollowsHowMuchWiderThePictureIs_data() {
        QTest::addColumn<double>("wider");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("step");
        QTest::newRow("narrower") << -500.0 << false << 0 << 0;
        QTest::newRow("as wide") << 0.0 << false << 0 << 0;
        QTest::newRow("1 wider") << 1.0 << true << 1 << 1;
        QTest::newRow("100 wider") << 100.0 << true << 100 << 1;
        QTest::newRow("101 wider") << 101.0 << true << 10 << 10;
        QTest::newRow("1005 wider, 100.5 to even") << 1005.0 << true << 100 << 10;
        QTest::newRow("1015 wider, 101.5 to even") << 1015.0 << true << 102 << 10;
    }
    void scrollRangeFollowsHowMuchWiderThePictureIs() {
        QFETCH(double, wider);
        QFETCH(bool, enabled);
        QFETCH(int, maximum);
        QFETCH(int, step);
        const PreviewGeometry h = setUpFor(kOuter.width + wider + 2, 1000);
        QCOMPARE(h.picture1Width(), float(kOuter.width + wider));
        QCOMPARE(h.hScroll().enabled, enabled);
        QCOMPARE(h.hScroll().maximum, maximum);
        QCOMPARE(h.hScrollStep(), step);
        QVERIFY(!h.vScroll().enabled);

        const PreviewGeometry v = setUpFor(1000, kOuter.height + wider + 2);
        QCOMPARE(v.vScroll().enabled, enabled);
        QCOMPARE(v.vScroll().maximum, maximum);
        QCOMPARE(v.vScrollStep(), step);
        QVERIFY(!v.hScroll().enabled);
    }

    void aPictureTooTallForSixteenBitsMovesFurtherPerUnit() {
        // 392575 twips more than the viewport: 39257.5 units of 10 do not fit.
        const PreviewGeometry g = setUpFor(1000, 400000);
        QCOMPARE(g.vScrollStep(), 100);
        QCOMPARE(g.vScroll().maximum, 3926);
    }

    void zoomStopsAtBothEnds() {
        PreviewGeometry g = setUpFor(2000, 1500);
        QVERIFY(g.setZoom(3.75f));
        g.redrawImage();
        const int width = g.zoomWidth();
        QCOMPARE(width, int(1998 * 3.75));
        QVERIFY(!g.zoomStep(0));
        QCOMPARE(g.zoom(), 3.75f);
        QCOMPARE(g.zoomWidth(), width);

        QVERIFY(g.setZoom(0.25f));
        g.redrawImage();
        QCOMPARE(g.zoomWidth(), 499); // floor(1998 * 0.25)
        QVERIFY(!g.zoomStep(1));
        QCOMPARE(g.zoom(), 0.25f);
        QCOMPARE(g.picture1Width(), 499.0f);

        QVERIFY(!g.setZoom(0.0f));
        QVERIFY(!g.setZoom(4.0f));
    }

    void zoomThatWouldBeTooWideFallsBackToOneAndKeepsTheDisplay() {
        PreviewGeometry g = setUpFor(5000, 3000);
        for (int i = 0; i < 7; ++i) // 1.25 ... 2.75
            zoomButton(g, 0);
        QCOMPARE(g.zoom(), 2.75f);
        QCOMPARE(g.picture1Width(), float(int(4998 * 2.75)));
        const float shownWidth = g.picture1Width();
        const float shownHeight = g.picture1Height();

        QVERIFY(g.zoomStep(0)); // 3.0: 14994 wide
        QVERIFY(!g.redrawImage());
        QCOMPARE(g.zoom(), 1.0f);
        QCOMPARE(g.zoomWidth(), 4998);
        QCOMPARE(g.zoomHeight(), 2998);
        QCOMPARE(g.picture1Width(), shownWidth);
        QCOMPARE(g.picture1Height(), shownHeight);

        QVERIFY(g.zoomStep(0));
        QCOMPARE(g.zoom(), 1.25f);
        QVERIFY(g.redrawImage());
        QCOMPARE(g.picture1Width(), float(int(4998 * 1.25)));
    }

    void zoomThatWouldBeTooHighFallsBackToOne() {
        PreviewGeometry g = setUpFor(3000, 4000);
        QVERIFY(g.setZoom(2.5f));
        QVERIFY(g.redrawImage()); // 9995 high
        QVERIFY(g.setZoom(2.75f));
        QVERIFY(!g.redrawImage()); // 10994 high
        QCOMPARE(g.zoom(), 1.0f);
        QCOMPARE(g.picture1Height(), 9995.0f);
    }

    void aPictureTooLargeAtOneIsNotRedrawnAtSetUp() {
        PreviewGeometry g(kOuter, kInner);
        g.autoSizePicture1({15000, 5000});
        g.copyToZoomOri();
        g.resetZoom();
        QVERIFY(!g.redrawImage());
        g.setupScrollBars();
        QCOMPARE(g.zoom(), 1.0f);
        QCOMPARE(g.picture1Width(), 15000.0f); // as loaded, not 14998
        QCOMPARE(g.hScroll().maximum, 567);    // (15000 - 9330) / 10
        QCOMPARE(g.hScrollStep(), 10);
        QVERIFY(!g.vScroll().enabled);
        QVERIFY(!g.zoomStep(0) || !g.redrawImage()); // 1.25 is too wide as well
        QCOMPARE(g.picture1Width(), 15000.0f);
    }

    void zoomKeepsTheSetUpRangesAndResetsValues() {
        PreviewGeometry g = setUpFor(kOuter.width + 1000 + 2, kOuter.height + 500 + 2);
        g.setScrollValue(O::Horizontal, 50);
        g.setScrollValue(O::Vertical, 20);
        QCOMPARE(g.picture1Left(), -500.0f);
        QCOMPARE(g.picture1Top(), -200.0f);
        zoomButton(g, 1); // 0.75: smaller than the viewport both ways
        QCOMPARE(g.hScroll().value, 0);
        QCOMPARE(g.vScroll().value, 0);
        QCOMPARE(g.picture1Left(), 0.0f);
        QCOMPARE(g.picture1Top(), 0.0f);
        QCOMPARE(g.hScroll().maximum, 100);
        QCOMPARE(g.vScroll().maximum, 50);
        QCOMPARE(g.hScrollStep(), 10);
        QVERIFY(!g.hScroll().enabled);
        QVERIFY(!g.vScroll().enabled);

        // A picture that fitted at set-up gets enabled bars without a range when zoomed in.
        PreviewGeometry small = setUpFor(8000, 6000);
        QVERIFY(!small.hScroll().enabled);
        zoomButton(small, 0); // 9997 x 7497: larger than the inner viewport
        QVERIFY(small.hScroll().enabled);
        QVERIFY(small.vScroll().enabled);
        QCOMPARE(small.hScroll().maximum, 0);
        QCOMPARE(small.hScrollStep(), 0);
    }

    void zoomBringsADroppedPictureBackToTheCorner() {
        // Dragged to the far left, past 100 per cent: the bar stays at 0.
        PreviewGeometry g = wideByThousand();
        g.mouseDown(5000, 100);
        g.mouseMove(true, 0, 100);
        g.mouseUp();
        QCOMPARE(g.hScroll().value, 0);
        QVERIFY(g.picture1Left() < 0);
        zoomButton(g, 1);
        QCOMPARE(g.picture1Left(), 0.0f);
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
        PreviewGeometry g = setUpFor(kOuter.width + 60 + 2, kOuter.height + 5000 + 2);
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
        // Too large to redraw, so at the size it was loaded.
        QCOMPARE(g.picture1Left(), float(kInner.width - 20000));
        QCOMPARE(g.picture1Top(), float(kInner.height - 15000));
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

    void releasePastOneHundredPercentLeavesThePictureWhereDropped() {
        PreviewGeometry g = wideByThousand();
        g.setScrollValue(O::Horizontal, 50);
        g.mouseDown(5000, 100);
        g.mouseMove(true, 0, 100);
        const float limit = float(kInner.width - (kOuter.width + 1000));
        QCOMPARE(g.picture1Left(), limit); // -1060: 106 per cent of the outer difference
        g.mouseUp();
        QCOMPARE(g.hScroll().value, 50);
        QCOMPARE(g.picture1Left(), limit);
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
        // As wide as the outside of the viewport, 60 twips wider than its inside.
        PreviewGeometry g = setUpFor(kOuter.width + 2, kOuter.height + 1000 + 2);
        g.mouseDown(5000, 5000);
        g.mouseMove(true, 4900, 4763);
        QCOMPARE(g.picture1Left(), -60.0f);
        QVERIFY(!g.releasePercent(O::Horizontal));
        g.mouseUp();
        QCOMPARE(g.hScroll().value, 0);
        QCOMPARE(g.picture1Left(), -60.0f);
        QCOMPARE(g.vScroll().value, 24);
        QCOMPARE(g.picture1Top(), -240.0f);
    }
};

QTEST_APPLESS_MAIN(TestPreviewGeometry)
#include "test_preview_geometry.moc"
