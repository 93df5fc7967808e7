// Zoom and set-up of the preview window on the picture of a 499-row phone list
// (about 1200 x 11000 pixels at zoom 1.0).
//
//     build/bin/bench_preview

#include "preview/picture_box.h"
#include "preview/preview_window.h"

#include <QApplication>
#include <QPainter>
#include <QPicture>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 500; // header and 499 entries
constexpr int kPageRows = 40;
constexpr int kColumns = 9;
constexpr int kRowHeight = 22;
constexpr int kColumnWidth = 133;

// Drawn the way a sheet is: fills, borders and one text per cell.
QPicture sheetPicture(int rows) {
    QPicture picture;
    QPainter p(&picture);
    p.setFont(QFont(QStringLiteral("Arial"), 9));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            const QRect cell(c * kColumnWidth, r * kRowHeight, kColumnWidth, kRowHeight);
            const QColor fill = r == 0 ? QColor(0, 0, 128) : (r % 2 ? QColor(204, 255, 255) : QColor(Qt::white));
            p.fillRect(cell, fill);
            p.setPen(Qt::black);
            p.drawRect(cell.adjusted(0, 0, -1, -1));
            p.setPen(r == 0 ? Qt::white : Qt::black);
            p.drawText(cell.adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft,
                       QStringLiteral("Entry %1 / %2").arg(r).arg(c));
        }
    }
    p.end();
    return picture;
}

const QPicture& sheet() {
    static const QPicture picture = sheetPicture(kRows);
    return picture;
}

// About one printed page of the list.
const QPicture& page() {
    static const QPicture picture = sheetPicture(kPageRows);
    return picture;
}

// "Zoom In" to 125 % and "Zoom Out" back to 100 % (RedrawImage twice), each
// with the drawing of the whole sheet made at its new size.
void BM_ZoomStep_499Rows(benchmark::State& state) {
    Form2 form;
    form.endProgram = [] {};
    form.setPicture(sheet());
    form.show();
    form.Picture1->drawing();
    for (auto _ : state) {
        form.PushButton1->click();
        benchmark::DoNotOptimize(form.Picture1->drawing());
        form.PushButton2->click();
        benchmark::DoNotOptimize(form.Picture1->drawing());
    }
    state.counters["zoom"] = form.previewGeometry().zoom();
}
BENCHMARK(BM_ZoomStep_499Rows)->Unit(benchmark::kMillisecond);

// "Zoom Out" then "Zoom In" on a 40-row sheet (1197 x 880 pixels): the whole
// sheet drawn at 75 %, then at 100 % again.
void BM_ZoomOutThenIn_40Rows(benchmark::State& state) {
    Form2 form;
    form.endProgram = [] {};
    form.setPicture(page());
    form.show();
    for (auto _ : state) {
        form.PushButton2->click();
        benchmark::DoNotOptimize(form.Picture1->drawing());
        form.PushButton1->click();
        benchmark::DoNotOptimize(form.Picture1->drawing());
    }
    state.counters["zoom"] = form.previewGeometry().zoom();
    state.counters["width"] = form.Picture1->drawingSize().width();
}
BENCHMARK(BM_ZoomOutThenIn_40Rows)->Unit(benchmark::kMillisecond);

// Opening the preview: new picture, set-up, first drawing at natural size.
void BM_OpenPreview_499Rows(benchmark::State& state) {
    Form2 form;
    form.endProgram = [] {};
    form.show();
    for (auto _ : state) {
        form.setPicture(sheet());
        benchmark::DoNotOptimize(form.Picture1->drawing());
    }
    const QSize size = form.Picture1->drawingSize();
    state.counters["width"] = size.width();
    state.counters["height"] = size.height();
}
BENCHMARK(BM_OpenPreview_499Rows)->Unit(benchmark::kMillisecond);

// Drawing the whole sheet at a given size: what a zoom step costs.
void BM_DrawScaled_499Rows(benchmark::State& state) {
    const QSize size(int(state.range(0)), int(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(renderScaledPicture(sheet(), size));
}
BENCHMARK(BM_DrawScaled_499Rows)
    ->Args({933, 666})
    ->Args({300, 2750})
    ->Args({1197, 11000})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
