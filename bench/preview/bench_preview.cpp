// Zoom and set-up of the preview window on the picture of a 499-row phone list
// (about 1200 x 11000 pixels at zoom 1.0), and one frame of a scroll, a pan and a
// zoom step on a real generation of 10,000 entries, painted as the window paints.
//
//     build/bin/bench_preview

#include "cli/sheet_export.h"
#include "preview/picture_box.h"
#include "preview/preview_window.h"
#include "sheet/render/sheet_render.h"
#include "sheet/render/vector_picture.h"
#include "sheet/xls/xls_io.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include <memory>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 500; // header and 499 entries
constexpr int kPageRows = 40;
constexpr int kColumns = 9;
constexpr int kRowHeight = 22;
constexpr int kColumnWidth = 133;

// Drawn the way a sheet is: fills, borders and one text per cell.
sheet::VectorPicture sheetPicture(int rows) {
    sheet::VectorPicture picture;
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

const sheet::VectorPicture& sheet() {
    static const sheet::VectorPicture picture = sheetPicture(kRows);
    return picture;
}

// About one printed page of the list.
const sheet::VectorPicture& page() {
    static const sheet::VectorPicture picture = sheetPicture(kPageRows);
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

// A generation of 10,000 entries as "Start Creating Template" leaves it: the
// workbook in a file and the picture of its used range in the preview.
struct LongList {
    QTemporaryDir dir;
    QString workbook;
    sheet::VectorPicture picture;
    LongList() {
        ExportRequest request;
        for (int i = 1; i <= 10000; ++i) {
            const QString k = QString::number(i);
            request.rows.push_back(
                {QStringLiteral("Name") + k, QStringLiteral("Given") + k,
                 i % 3 ? QStringLiteral("Kid A, Kid B") : QString(), k + QStringLiteral(" West Hills Drive, Northside"),
                 QStringLiteral("(555) 010-") + k, QStringLiteral("(555) 020-") + k, QStringLiteral("(555) 030-") + k,
                 QStringLiteral("person") + k + QStringLiteral("@example.com")});
        }
        workbook = dir.filePath(QStringLiteral("list.xls"));
        request.xlsPath = workbook;
        exportPhoneList(request);
        const std::unique_ptr<sheet::Workbook> book = sheet::xls::readFile(workbook.toStdString());
        const sheet::Sheet& s = book->sheetAt(0);
        picture = sheet::renderPicture(*book, s, sheet::CellRange{0, 0, s.rowCount() - 1, 8});
    }
};

const LongList& longList() {
    static const LongList list;
    return list;
}

// The preview of the long list at a zoom of 100 % or 25 % (the benchmark's
// argument), shown and painted once, with the view halfway down. At 25 % four
// times as many rows are in sight.
std::unique_ptr<Form2> longPreview(const benchmark::State& state) {
    auto form = std::make_unique<Form2>();
    form->endProgram = [] {};
    form->mExcelFile = longList().workbook;
    form->setPicture(longList().picture);
    form->show();
    for (int zoom = 100; zoom > state.range(0); zoom -= 25)
        form->PushButton2->click();
    form->VScroll1->setValue(form->VScroll1->maximum() / 2);
    form->grab();
    return form;
}

// Each frame is the window painted into a pixmap (grab), which is what a paint of
// the screen costs: the offscreen platform never exposes a window to paint it.

// One arrow click on the vertical bar, down then up, each painted at once.
void BM_ScrollStep_10000Rows(benchmark::State& state) {
    const std::unique_ptr<Form2> form = longPreview(state);
    int direction = 1;
    for (auto _ : state) {
        form->VScroll1->triggerAction(direction > 0 ? QAbstractSlider::SliderSingleStepAdd
                                                    : QAbstractSlider::SliderSingleStepSub);
        benchmark::DoNotOptimize(form->grab()); // the window painted as it shows
        direction = -direction;
    }
    state.counters["paints_bands"] = form->Picture1->paintsBands();
}
BENCHMARK(BM_ScrollStep_10000Rows)->Arg(100)->Arg(25)->Unit(benchmark::kMillisecond);

// The same step with the whole picture replayed for each frame, as before the
// window painted from the workbook: what painting only the rows in sight saves.
void BM_ReplayedScrollStep_10000Rows(benchmark::State& state) {
    const std::unique_ptr<Form2> form = longPreview(state);
    form->Picture1->setBandPainter({});
    int direction = 1;
    for (auto _ : state) {
        form->VScroll1->triggerAction(direction > 0 ? QAbstractSlider::SliderSingleStepAdd
                                                    : QAbstractSlider::SliderSingleStepSub);
        benchmark::DoNotOptimize(form->grab());
        direction = -direction;
    }
}
BENCHMARK(BM_ReplayedScrollStep_10000Rows)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(4);

// The picture dragged 40 pixels up and to the left and back, a painted frame each way.
void BM_PanStep_10000Rows(benchmark::State& state) {
    const std::unique_ptr<Form2> form = longPreview(state);
    const QPointF at(200, 200);
    QMouseEvent press(QEvent::MouseButtonPress, at, form->Picture1->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(form->Picture1, &press);
    int direction = 1;
    for (auto _ : state) {
        const QPointF to = at - QPointF(40, 40) * (direction > 0 ? 1 : 0);
        QMouseEvent move(QEvent::MouseMove, to, form->Picture1->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(form->Picture1, &move);
        benchmark::DoNotOptimize(form->grab()); // the window painted as it shows
        direction = -direction;
    }
}
BENCHMARK(BM_PanStep_10000Rows)->Arg(100)->Arg(25)->Unit(benchmark::kMillisecond);

// "Zoom In" a step (to 125 %, or 50 %) and "Zoom Out" back, each painted at once.
void BM_ZoomStep_10000Rows(benchmark::State& state) {
    const std::unique_ptr<Form2> form = longPreview(state);
    int direction = 1;
    for (auto _ : state) {
        (direction > 0 ? form->PushButton1 : form->PushButton2)->click();
        benchmark::DoNotOptimize(form->grab()); // the window painted as it shows
        direction = -direction;
    }
}
BENCHMARK(BM_ZoomStep_10000Rows)->Arg(100)->Arg(25)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The generation reads and writes the settings store; keep it away from the user's.
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
