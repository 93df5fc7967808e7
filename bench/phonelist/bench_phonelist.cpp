// Start-up of the main window over a stored list, and saving and loading a
// long list through the settings store.
//
//   build/bin/bench_phonelist

#include "app/settings_store.h"
#include "phonelist/list_persistence.h"
#include "phonelist/window/main_window.h"
#include "phonelist/phone_list_table.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <benchmark/benchmark.h>

#include <utime.h>

namespace {

std::shared_ptr<PhoneListTable> filledTable(int rows) {
    auto t = CreatePhoneListTable();
    for (int r = 0; r < rows; ++r) {
        t->AddNew();
        t->Fields(0).setValue(QStringLiteral("Lastname%1").arg(r));
        t->Fields(1).setValue(QStringLiteral("First"));
        t->Fields(3).setValue(QStringLiteral("%1 West Hills dr").arg(r));
        t->Fields(6).setValue(QStringLiteral("(989) 923-4508"));
        t->Fields(7).setValue(QStringLiteral("someone%1@example.com").arg(r));
        for (int c : {2, 4, 5})
            t->Fields(c).setValue(QString());
    }
    return t;
}

void storeList(int rows) {
    QFile::remove(SettingsStore().fileName());
    SettingsStore store;
    SavePhoneList(*filledTable(rows), store);
}

// Settings files are cached per process; a new time stamp makes the next
// reader parse the file again, as a fresh start of the program would.
void forgetParsedStore() {
    static long stamp = 1000000000;
    const QByteArray path = QFile::encodeName(SettingsStore().fileName());
    utimbuf times{stamp, stamp};
    ++stamp;
    utime(path.constData(), &times);
}

void BM_StartUpWith500Rows(benchmark::State& state) {
    storeList(500);
    for (auto _ : state) {
        state.PauseTiming();
        forgetParsedStore();
        state.ResumeTiming();
        Form1 w;
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            state.SkipWithError("window not shown");
        benchmark::DoNotOptimize(w.isVisible());
        state.PauseTiming();
        w.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpWith500Rows)->Unit(benchmark::kMillisecond);

void BM_SavePhoneList10000(benchmark::State& state) {
    storeList(10000);
    auto table = filledTable(10000);
    // As at a close: the store was opened and read at start.
    SettingsStore store;
    benchmark::DoNotOptimize(store.read(settings::kRowCount, settings::kRowCountDefault));
    for (auto _ : state)
        SavePhoneList(*table, store);
    state.counters["file_bytes"] = double(QFileInfo(SettingsStore().fileName()).size());
}
BENCHMARK(BM_SavePhoneList10000)->Unit(benchmark::kMillisecond);

void BM_LoadPhoneList10000(benchmark::State& state) {
    storeList(10000);
    for (auto _ : state) {
        state.PauseTiming();
        forgetParsedStore();
        state.ResumeTiming();
        SettingsStore store;
        auto table = CreatePhoneListTable();
        LoadPhoneList(*table, store);
        benchmark::DoNotOptimize(table->RecordCount());
    }
}
BENCHMARK(BM_LoadPhoneList10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[]) {
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
