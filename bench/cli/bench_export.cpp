// The export command's work in-process, without the process start: the list
// into the table, the laid-out sheet, and the .xls bytes written to a file.
// bench_export.sh times the whole command beside other writers.

#include "cli/sheet_export.h"

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
