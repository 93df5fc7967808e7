#pragma once

// A test main that points the per-user settings store at a temporary folder
// before anything can touch it, so no test ever reads or writes a real user's store.

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#define TABWRIGHT_ISOLATED_TEST_MAIN(TestClass)                                                                        \
    int main(int argc, char* argv[]) {                                                                                 \
        QTemporaryDir configHome;                                                                                      \
        qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());                                                        \
        qputenv("QT_QPA_PLATFORM", "offscreen");                                                                       \
        QApplication app(argc, argv);                                                                                  \
        TestClass tc;                                                                                                  \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
