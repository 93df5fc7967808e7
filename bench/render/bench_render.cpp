// Painting the phone-list sheet and auto-fitting its rows, at the sizes a user
// meets: the default 30 rows, a long list of 499 and an extreme 10,000.
//
//   build/bin/bench_render

#include "tests/sheet/render/phone_list_sheet.h"

#include "sheet/render/sheet_render.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

struct PhoneList {
    sheet::Workbook workbook;
    sheet::CellRange range;
};

const PhoneList& phoneList(int rows) {
    static std::map<int, std::unique_ptr<PhoneList>> lists;
    auto& list = lists[rows];
    if (!list) {
        list = std::make_unique<PhoneList>();
        list->range = phone_list_sheet::build(list->workbook, rows);
    }
    return *list;
}

void renderImage(benchmark::State& state) {
    const PhoneList& list = phoneList(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QImage image = sheet::renderImage(list.workbook, list.workbook.sheetAt(0), list.range);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(renderImage)->Arg(30)->Arg(499)->Unit(benchmark::kMillisecond);

void renderPicture(benchmark::State& state) {
    const PhoneList& list = phoneList(static_cast<int>(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        sheet::VectorPicture picture = sheet::renderPicture(list.workbook, list.workbook.sheetAt(0), list.range);
        bytes = picture.data().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["picture_bytes"] = double(bytes);
}
BENCHMARK(renderPicture)->Arg(30)->Arg(10000)->Unit(benchmark::kMillisecond);

void autoFitAllRows(benchmark::State& state) {
    const PhoneList& list = phoneList(static_cast<int>(state.range(0)));
    const sheet::Sheet& s = list.workbook.sheetAt(0);
    for (auto _ : state) {
        double total = 0;
        for (int r = 4; r <= list.range.lastRow; ++r)
            total += sheet::autoFitRowHeight(list.workbook, s, r);
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(autoFitAllRows)->Arg(30)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Fonts need a GUI application; no display is needed for painting into images.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QGuiApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
