#pragma once

// A test main that points the per-user settings store at a temporary folder
// before anything can touch it, so no test ever reads or writes a real user's store.

#include <QTemporaryDir>
#include <QtTest>

// As QTEST_MAIN does: the application of the highest layer the test links.
#if defined(QT_WIDGETS_LIB)
#include <QApplication>
using TabwrightTestApplication = QApplication;
#elif defined(QT_GUI_LIB)
#include <QGuiApplication>
using TabwrightTestApplication = QGuiApplication;
#else
#include <QCoreApplication>
using TabwrightTestApplication = QCoreApplication;
#endif

#define TABWRIGHT_ISOLATED_TEST_MAIN(TestClass)                                                                        \
    int main(int argc, char* argv[]) {                                                                                 \
        QTemporaryDir configHome;                                                                                      \
        qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());                                                        \
        qputenv("QT_QPA_PLATFORM", "offscreen");                                                                       \
        TabwrightTestApplication app(argc, argv);                                                                      \
        TestClass tc;                                                                                                  \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
