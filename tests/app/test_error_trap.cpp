#include "app/error_trap.h"
#include "scripted_prompt.h"

#include <QtTest>

#include <stdexcept>

class TestErrorTrap : public QObject {
    Q_OBJECT
private slots:
    void reportsDescriptionLocationAndLine() {
        ScriptedPrompt p;
        ErrorTrap trap(QStringLiteral("Quorvel2021/08/31.Form1.PushButton22_Click "));
        QVERIFY(!trap.step(4, [] { throw std::runtime_error("Object required"); }));
        QCOMPARE(p.shown.size(), size_t(1));
        QCOMPARE(p.shown[0].text, QStringLiteral("Object required\r\nin Quorvel2021/08/31.Form1.PushButton22_Click "
                                                 "at line 4\r\rPlease email screenshot of this message to "
                                                 "support@brenmoor.com"));
        QCOMPARE(p.shown[0].title, QStringLiteral("Application Error"));
        QCOMPARE(p.shown[0].icon, Prompt::Icon::Warning);
        QCOMPARE(p.shown[0].buttons, Prompt::Buttons::Ok);
    }

    void goesOnAfterAFailingStep() {
        ScriptedPrompt p;
        ErrorTrap trap(QStringLiteral("X.Y.Z "));
        QStringList ran;
        trap.step(1, [&] { ran << QStringLiteral("1"); });
        trap.step(2, [&] { throw 42; });
        trap.step(3, [&] { ran << QStringLiteral("3"); });
        QCOMPARE(ran, (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
        QCOMPARE(trap.failures(), 1);
        QVERIFY(p.shown[0].text.startsWith(QStringLiteral("Unknown error\r\nin X.Y.Z at line 2")));
    }

    void probeSwallowsEveryFailure() {
        ScriptedPrompt p;
        QCOMPARE(probe([]() -> int { throw std::logic_error("x"); }, -7), -7);
        QCOMPARE(probe([]() -> int { return 3; }, -7), 3);
        QVERIFY(p.shown.empty());
    }
};

QTEST_MAIN(TestErrorTrap)
#include "test_error_trap.moc"
