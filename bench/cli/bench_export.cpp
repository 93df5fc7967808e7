// The export command's work in-process, without the process start: the whole
// export, then each of its stages alone (the CSV parsed, the list into the table,
// the sheet laid out, its rows fitted, the font check, the .xls bytes), so that
// each can be set beside what its bytes and characters need.
// bench_export.sh times the whole command beside other writers.

#include "cli/sheet_export.h"
#include "phonelist/phone_list_table.h"
#include "sheet/engine/spreadsheet_app.h"
#include "sheet/report/font_notes.h"
#include "sheet/report/report_driver.h"
#include "sheet/xls/xls_io.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

std::vector<PhoneListRow> listOf(int n) {
    std::vector<PhoneListRow> rows;
    for (int i = 1; i <= n; ++i) {
        const QString k = QString::number(i);
        rows.push_back({QStringLiteral("Name") + k, QStringLiteral("Given") + k,
                        i % 3 ? QStringLiteral("Kid A, Kid B") : QString(),
                        k + QStringLiteral(" West Hills Drive, Northside"), QStringLiteral("(555) 010-") + k,
                        i % 2 ? QStringLiteral("(555) 020-") + k + QStringLiteral(" work") : QString(),
                        QStringLiteral("(555) 030-") + k,
                        QStringLiteral("person") + k + QStringLiteral("@example.com")});
    }
    return rows;
}

void BM_ExportXls(benchmark::State& state) {
    QTemporaryDir dir;
    ExportRequest request;
    request.rows = listOf(static_cast<int>(state.range(0)));
    request.xlsPath = dir.filePath(QStringLiteral("list.xls"));
    for (auto _ : state)
        exportPhoneList(request);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ExportXls)->Arg(30)->Arg(499)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_Stage_ParseCsv(benchmark::State& state) {
    const QByteArray csv = phoneListCsv(listOf(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(parsePhoneListCsv(csv, QStringLiteral("list.csv")));
    state.SetBytesProcessed(state.iterations() * csv.size());
}
BENCHMARK(BM_Stage_ParseCsv)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_Stage_FillTable(benchmark::State& state) {
    ExportRequest request;
    request.rows = listOf(static_cast<int>(state.range(0)));
    for (auto _ : state)
        fillExportTable(request);
}
BENCHMARK(BM_Stage_FillTable)->Arg(10000)->Unit(benchmark::kMillisecond);

// The layout, row heights included, from a filled table.
void BM_Stage_LayOutSheet(benchmark::State& state) {
    ExportRequest request;
    request.rows = listOf(static_cast<int>(state.range(0)));
    fillExportTable(request);
    for (auto _ : state) {
        buildExportWorkbook();
        state.PauseTiming();
        closeExportWorkbook();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Stage_LayOutSheet)->Arg(10000)->Unit(benchmark::kMillisecond);

// The stages that work on the laid-out sheet.
class LaidOut : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State& state) override {
        ExportRequest request;
        request.rows = listOf(static_cast<int>(state.range(0)));
        fillExportTable(request);
        buildExportWorkbook();
    }
    void TearDown(const benchmark::State&) override { closeExportWorkbook(); }
    static sheet::om::Worksheet sheet() { return OrganizationalTelephoneList::mReportApp->ActiveSheet(); }
};

BENCHMARK_DEFINE_F(LaidOut, BM_Stage_AutoFitRows)(benchmark::State& state) {
    const sheet::om::Range rows = sheet().Rows("5:" + std::to_string(state.range(0) + 4));
    for (auto _ : state)
        rows.AutoFit();
}
BENCHMARK_REGISTER_F(LaidOut, BM_Stage_AutoFitRows)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_DEFINE_F(LaidOut, BM_Stage_FontNotes)(benchmark::State& state) {
    const sheet::om::Worksheet s = sheet();
    const sheet::CellRange range = s.UsedRange().areas().front();
    for (auto _ : state)
        benchmark::DoNotOptimize(missingFontNotes(s.workbookModel(), s.model(), range));
}
BENCHMARK_REGISTER_F(LaidOut, BM_Stage_FontNotes)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_DEFINE_F(LaidOut, BM_Stage_WriteXls)(benchmark::State& state) {
    const sheet::Workbook& model = sheet().workbookModel();
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes = sheet::xls::writeBytes(model).size();
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}
BENCHMARK_REGISTER_F(LaidOut, BM_Stage_WriteXls)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The settings store is read for the stamp; keep it away from the user's.
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    benchmark::Initialize(&argc, argv);
    QGuiApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
