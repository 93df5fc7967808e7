// How long the engine takes for the calls a phone-list sheet costs: whole-sheet
// formatting and one select-and-set call sequence per cell.

#include "sheet/engine/app_factory.h"
#include "sheet/engine/spreadsheet_app.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <string>

using namespace sheet;
using namespace sheet::om;

namespace {

void wholeSheetFormatting(benchmark::State& state) {
    for (auto _ : state) {
        auto app = engineFactory().create();
        app->Workbooks().Add();
        app->Cells().Select();
        app->Selection().Clear();
        app->Selection().Font().setName("Century Gothic");
        app->Selection().Font().setSize(10);
        app->Selection().Interior().setColorIndex(2);
        app->Selection().setLocked(false);
        app->Selection().setFormulaHidden(false);
        app->Quit();
    }
}
BENCHMARK(wholeSheetFormatting)->Unit(benchmark::kMicrosecond);

void phoneListRows(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        auto app = engineFactory().create();
        app->Workbooks().Add();
        app->Cells().Interior().setColorIndex(2);
        for (int i = 1; i <= rows; ++i) {
            const std::string r = std::to_string(i + 4);
            for (char column = 'B'; column <= 'I'; ++column) {
                app->Range(std::string(1, column) + r).Select();
                app->ActiveCell().setFormulaR1C1("Field text " + r);
                app->Selection().Merge();
                app->ActiveCell().setWrapText(true);
            }
            app->Range("B" + r + ":I" + r).Select();
            for (int edge : {xlEdgeTop, xlEdgeBottom, xlInsideVertical}) {
                app->Selection().Borders(edge).setLineStyle(xlContinuous);
                app->Selection().Borders(edge).setColorIndex(15);
            }
            app->Selection().Interior().setColorIndex(i % 2 == 0 ? 19 : 2);
            app->Rows(r + ":" + r).EntireRow().AutoFit();
        }
        app->Range("B4:I" + std::to_string(rows + 4)).Select();
        for (int edge : {xlEdgeLeft, xlEdgeTop, xlEdgeBottom, xlEdgeRight}) {
            app->Selection().Borders(edge).setLineStyle(xlContinuous);
            app->Selection().Borders(edge).setColorIndex(xlColorIndexAutomatic);
        }
        benchmark::DoNotOptimize(app->ActiveSheet().UsedRange().Address());
        app->Quit();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(phoneListRows)->Arg(30)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Row auto-fit measures text, and fonts need a GUI application; no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QGuiApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
