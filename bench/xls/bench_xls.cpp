// Writing and reading a phone-list-shaped sheet: 10,000 rows x 9 text cells,
// wrapped, bordered, two alternating fills.

#include "sheet/xls/xls_io.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace sheet;

namespace {

std::unique_ptr<Workbook> phoneList(int rows) {
    auto wb = std::make_unique<Workbook>();
    Sheet& s = wb->addSheet("Phone List");
    FormatId fills[2];
    for (int i = 0; i < 2; ++i) {
        CellFormat f;
        f.font.name = "Century Gothic";
        f.wrap = true;
        f.locked = false;
        f.vAlign = VAlign::Center;
        for (Border& b : f.borders)
            b = {kLineThin, 15};
        f.fill = i ? 19 : 2;
        fills[i] = wb->formats.intern(f);
    }
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 9; ++c)
            s.cellAt(r, c) = Cell{"Entry " + std::to_string(r) + "/" + std::to_string(c % 3 ? r * 7 : c), fills[r % 2]};
    for (int c = 0; c < 9; ++c)
        s.columns[static_cast<std::size_t>(c)].width = 12.43;
    return wb;
}

void writePhoneList(benchmark::State& state) {
    const auto wb = phoneList(10000);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto out = xls::writeBytes(*wb);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(writePhoneList)->Unit(benchmark::kMillisecond);

void readPhoneList(benchmark::State& state) {
    const auto bytes = xls::writeBytes(*phoneList(10000));
    for (auto _ : state) {
        auto wb = xls::readBytes(bytes);
        benchmark::DoNotOptimize(wb.get());
    }
}
BENCHMARK(readPhoneList)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
