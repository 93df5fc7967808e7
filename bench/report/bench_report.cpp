// "Start Creating Template" end to end without a display: GenerateReport0 builds
// the sheet, saves it, reopens it, takes its picture and hands it to a real
// preview window. Timed from the call until the preview has been painted; the
// process's peak memory so far is reported beside it (the sizes run smallest
// first, so each figure is the peak up to and including that size).
//
//   build/bin/bench_report

#include "scripted_prompt.h"

#include "app/heap_tuning.h"

#include "phonelist/phone_list_table.h"
#include "preview/picture_box.h"
#include "preview/preview_window.h"
#include "sheet/report/report_driver.h"
#include "sheet/report/sheet_snapshot.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <sys/resource.h>

namespace {

// The preview and main window as the main window wires them for the driver.
class BenchWindows : public ReportWindows {
public:
    explicit BenchWindows(Form2& preview, QWidget& main) : mPreview(preview), mMain(main) {}
    void setMainMousePointer(MousePointer) override {}
    void loadPreviewPicture(const QString& path) override { mPreview.loadPictureFile(path); }
    void setPreviewExcelFile(const QString& path) override { mPreview.mExcelFile = path; }
    void showPreview() override { mPreview.show(); }
    void hideMain() override { mMain.hide(); }

private:
    Form2& mPreview;
    QWidget& mMain;
};

// A list as people type it: names of varied length, some families, addresses
// long enough to wrap, a mix of missing numbers.
void fillPhoneList(int rows) {
    static const std::array<const char*, 8> last{"Andersen", "Okafor",    "Nguyen", "Fitzgerald-Moore",
                                                 "Silva",    "Kowalczyk", "Haddad", "MacPherson"};
    static const std::array<const char*, 6> first{"Maria", "John", "Aiyana", "Bartholomew", "Li", "Sofia"};
    static const std::array<const char*, 4> family{"", "Tom, Ann", "Peter (spouse), Lily, Max, Sam", ""};
    static const std::array<const char*, 5> street{"West Hills Dr", "Old Mill Road, Apartment 12B", "Elm St",
                                                   "Lakeshore Boulevard North, Unit 3", "Birch Ln"};
    gPhoneList = CreatePhoneListTable();
    for (int r = 0; r < rows; ++r) {
        gPhoneList->AddNew();
        const auto text = [](const char* s) { return QString::fromLatin1(s); };
        gPhoneList->Fields(0).setValue(text(last[size_t(r) % last.size()]));
        gPhoneList->Fields(1).setValue(text(first[size_t(r) % first.size()]));
        gPhoneList->Fields(2).setValue(text(family[size_t(r) % family.size()]));
        gPhoneList->Fields(3).setValue(QStringLiteral("%1 %2").arg(100 + r % 9000).arg(text(street[size_t(r) % 5])));
        gPhoneList->Fields(4).setValue(r % 3 == 0 ? QString() : QStringLiteral("(989) 923-%1").arg(1000 + r % 9000));
        gPhoneList->Fields(5).setValue(r % 4 == 0 ? QStringLiteral("(989) 555-0100") : QString());
        gPhoneList->Fields(6).setValue(QStringLiteral("(517) 410-%1").arg(2000 + r % 7000));
        gPhoneList->Fields(7).setValue(
            QStringLiteral("%1.%2@example.org").arg(text(first[size_t(r) % first.size()])).arg(r).toLower());
        gPhoneList->Update();
    }
    gPhoneList->MoveFirst();
}

long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void BM_GenerateReportToPreview(benchmark::State& state) {
    const int rows = int(state.range(0));
    fillPhoneList(rows);
    ScriptedPrompt prompt;
    QWidget main;
    Form2 preview;
    preview.setMainWindow(&main);
    BenchWindows windows(preview, main);
    for (auto _ : state) {
        state.PauseTiming();
        main.show();
        preview.hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();

        OrganizationalTelephoneList::GenerateReport0(1, windows);
        if (!QTest::qWaitForWindowExposed(&preview))
            state.SkipWithError("preview not shown");
        // The first paint of the picture is part of opening the preview; the
        // driver's last step usually has it done already.
        QCoreApplication::processEvents();

        state.PauseTiming();
        if (!prompt.shown.empty())
            state.SkipWithError(prompt.shown.front().text.toStdString().c_str());
        QFile::remove(preview.mExcelFile);
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = double(peakMegabytes());
}
BENCHMARK(BM_GenerateReportToPreview)
    ->Arg(30)
    ->Arg(499)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    tuneHeapForBatchWork(); // as the window program does
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The settings store and the temporary workbook go to folders of the run's own.
    QTemporaryDir config;
    QTemporaryDir temp;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("TEMP", QFile::encodeName(temp.path()));
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    installCopyPicture();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gPhoneList.reset();
    return 0;
}
