#include "app/command_line.h"
#include "app/file_helpers.h"
#include "app/paper.h"
#include "app/prompt.h"
#include "app/startup.h"
#include "app/widgets/button_face.h"
#include "app/widgets/cursor_file.h"
#include "app/widgets/window_startup.h"
#include "isolated_settings.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <locale.h>
#include <stdexcept>

namespace {

QString makeFile(const QString& path, const QByteArray& bytes = "x") {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

// A .cur header: ICONDIR then one ICONDIRENTRY, little-endian.
QByteArray curHeader(quint16 type, quint16 hotX, quint16 hotY, quint32 offset) {
    QByteArray b;
    auto u16 = [&](quint16 v) { b.append(char(v & 0xff)).append(char(v >> 8)); };
    auto u32 = [&](quint32 v) { u16(quint16(v & 0xffff)), u16(quint16(v >> 16)); };
    u16(0);                                                              // reserved
    u16(type);                                                           // 1 icon, 2 cursor
    u16(1);                                                              // image count
    b.append(char(32)).append(char(32)).append(char(0)).append(char(0)); // width, height, colours, reserved
    u16(hotX);
    u16(hotY);
    u32(0); // bytes in image
    u32(offset);
    return b;
}

} // namespace

class TestAppHelpers : public QObject {
    Q_OBJECT
    QTemporaryDir mDir;

private slots:
    // The save dialog adds the chosen type's suffix to a bare name, and only then.
    void savedNamesGetTheChosenSuffix_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("saved");
        QTest::newRow("bare, first type") << "/t/list" << 0 << "/t/list.xls";
        QTest::newRow("bare, second type") << "/t/list" << 1 << "/t/list.xlsx";
        QTest::newRow("own suffix kept") << "/t/list.xls" << 1 << "/t/list.xls";
        QTest::newRow("dotted folder") << "/t/v1.2/list" << 1 << "/t/v1.2/list.xlsx";
        QTest::newRow("no type chosen") << "/t/list" << -1 << "/t/list";
        QTest::newRow("all files") << "/t/list" << 2 << "/t/list";
        QTest::newRow("cancelled") << "" << 0 << "";
    }
    void savedNamesGetTheChosenSuffix() {
        QFETCH(QString, name);
        QFETCH(int, index);
        const QString filter = QStringLiteral("Excel 97-2003 Workbook (*.xls)|*.xls|Excel Workbook (*.xlsx)|*.xlsx|"
                                              "All Files (*)|*|");
        QTEST(withChosenSuffix(name, filter, index), "saved");
    }

    // The paper follows the user's LC_PAPER, whatever the program's own locale is.
    void paperFollowsTheLocale_data() {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<bool>("letter");
        QTest::newRow("C") << QByteArray("C") << false;
        QTest::newRow("de_DE") << QByteArray("de_DE.UTF-8") << false;
        QTest::newRow("en_US") << QByteArray("en_US.UTF-8") << true;
    }
    void paperFollowsTheLocale() {
        QFETCH(QByteArray, locale);
        QFETCH(bool, letter);
        const locale_t probe = newlocale(LC_PAPER_MASK, locale.constData(), locale_t(nullptr));
        if (probe == locale_t(nullptr))
            QSKIP("the locale is not installed here");
        freelocale(probe);
        const QByteArray saved = qgetenv("LC_ALL");
        const QByteArray savedPaper = qgetenv("LC_PAPER");
        qputenv("LC_ALL", "");
        qputenv("LC_PAPER", locale);
        const bool got = localePrintsOnLetter();
        qputenv("LC_ALL", saved);
        qputenv("LC_PAPER", savedPaper);
        QCOMPARE(got, letter);
    }

    void fileExistsProbesWithoutThrowing() {
        QVERIFY(!FileExists(QString()));
        QVERIFY(!FileExists(mDir.path() + QStringLiteral("/missing.txt")));
        QVERIFY(!FileExists(mDir.path() + QStringLiteral("/*.txt")));
        const QString file = makeFile(mDir.path() + QStringLiteral("/there.txt"));
        QVERIFY(FileExists(file));
        makeFile(mDir.path() + QStringLiteral("/a?b.txt"));
        QVERIFY(!FileExists(mDir.path() + QStringLiteral("/a*.txt")));
    }

    void deleteFileQuietlyAlsoRemovesReadOnlyFiles() {
        DeleteFileQuietly(mDir.path() + QStringLiteral("/never-there"));
        DeleteFileQuietly(QString());
        const QString plain = makeFile(mDir.path() + QStringLiteral("/plain.txt"));
        DeleteFileQuietly(plain);
        QVERIFY(!QFile::exists(plain));
        const QString readOnly = makeFile(mDir.path() + QStringLiteral("/ro.txt"));
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadUser);
        DeleteFileQuietly(readOnly);
        QVERIFY(!QFile::exists(readOnly));
    }

    void forceDeleteFileReportsFailures() {
        QVERIFY_THROWS_EXCEPTION(std::exception, ForceDeleteFile(mDir.path() + QStringLiteral("/missing")));
        const QString readOnly = makeFile(mDir.path() + QStringLiteral("/ro2.txt"));
        QFile::setPermissions(readOnly, QFile::ReadOwner);
        ForceDeleteFile(readOnly);
        QVERIFY(!QFile::exists(readOnly));
    }

    // A link planted under a temporary file's name goes; what it points to keeps its rights.
    void deletingALinkLeavesItsTargetAlone() {
        const QString target = makeFile(mDir.path() + QStringLiteral("/target.txt"));
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner));
        const QString link = mDir.path() + QStringLiteral("/planted.bmp");
        QVERIFY(QFile::link(target, link));
        DeleteFileQuietly(link);
        QVERIFY(!QFileInfo(link).isSymLink());
        QVERIFY(QFile::exists(target));
        QCOMPARE(QFile::permissions(target) & QFile::WriteOwner, QFile::Permissions());
        QVERIFY(QFile::link(target, link));
        ForceDeleteFile(link);
        QVERIFY(!QFileInfo(link).isSymLink());
        QCOMPARE(QFile::permissions(target) & QFile::WriteOwner, QFile::Permissions());
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }

    void buttonFaceReachesPlainControlsOnly() {
        QWidget window;
        auto* label = new QLabel(QStringLiteral("l"), &window);
        auto* frame = new QGroupBox(&window);
        auto* option = new QRadioButton(frame); // nested controls count too
        auto* check = new QCheckBox(&window);
        auto* picture = new QLabel(&window);
        picture->setProperty(kPictureBoxProperty, true);
        auto* button = new QPushButton(&window);
        auto* bar = new QScrollBar(&window);
        const QColor face = QApplication::palette().color(QPalette::Button);
        for (QWidget* w : {static_cast<QWidget*>(picture), static_cast<QWidget*>(button), static_cast<QWidget*>(bar)}) {
            QPalette p = w->palette();
            p.setColor(QPalette::Window, Qt::red);
            w->setPalette(p);
        }
        ApplyButtonFaceColors(window);
        for (QWidget* w : {&window, static_cast<QWidget*>(label), static_cast<QWidget*>(frame),
                           static_cast<QWidget*>(option), static_cast<QWidget*>(check)}) {
            QCOMPARE(w->palette().color(QPalette::Window), face);
            QVERIFY(w->autoFillBackground());
        }
        for (QWidget* w : {static_cast<QWidget*>(picture), static_cast<QWidget*>(button), static_cast<QWidget*>(bar)})
            QCOMPARE(w->palette().color(QPalette::Window), QColor(Qt::red));
    }

    void appTitleLosesWords_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("product") << "Quorvel Tabwright"
                                 << "Quorvel";
        QTest::newRow("41 characters") << "Aaaaaaaaaa Bbbbbbbbbb Cccccccccc Ddddddddd"
                                       << "Aaaaaaaaaa Bbbbbbbbbb Cccccccccc";
        QTest::newRow("long") << "One Two Three Four Five Six Seven Eight Nine Ten"
                              << "One Two Three Four Five Six Seven Eight";
        QTest::newRow("no blank") << QString(50, QLatin1Char('x')) << QString(50, QLatin1Char('x'));
    }
    void appTitleLosesWords() {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QCOMPARE(appTitleFrom(name), title);
        QVERIFY(appTitleFrom(name).size() <= 40 || !name.contains(QLatin1Char(' ')));
    }

    void setAppTitleSetsTheMessageBoxCaption() {
        SetAppTitle();
        QCOMPARE(appTitle(), QStringLiteral("Quorvel"));
    }

    void sideFilesAreFoundBesideTheProgram() {
        setProgramFolder(QString());
        QCOMPARE(programFile(QStringLiteral("\\x\\o.cjs")), QCoreApplication::applicationDirPath() + "/x/o.cjs");
        setProgramFolder(mDir.path());
        QCOMPARE(programFile(QString::fromLatin1(kHandCursorFile)), mDir.path() + "/HAND-M.CUR");
        setProgramFolder(QString());
    }

    // An install keeps the programs in PREFIX/bin and their side files in
    // PREFIX/share/quorvel-tabwright; a copy beside the program is taken first.
    void sideFilesAreFoundBesideTheProgramThenInTheDataFolder() {
        QTemporaryDir prefix;
        const QString bin = prefix.filePath(QStringLiteral("bin"));
        const QString data = prefix.filePath(QStringLiteral("share/quorvel-tabwright"));
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(data + QStringLiteral("/x")));
        setProgramFolder(bin);
        const QString hand = QString::fromLatin1(kHandCursorFile);
        QCOMPARE(findSideFile(hand), QString());

        makeFile(data + QStringLiteral("/HAND-M.CUR"));
        QCOMPARE(findSideFile(hand), data + QStringLiteral("/HAND-M.CUR"));
        QVERIFY(QDir(bin).mkdir(QStringLiteral("HAND-M.CUR"))); // a folder of that name is no side file
        QCOMPARE(findSideFile(hand), data + QStringLiteral("/HAND-M.CUR"));
        QVERIFY(QDir(bin).rmdir(QStringLiteral("HAND-M.CUR")));
        makeFile(bin + QStringLiteral("/HAND-M.CUR"));
        QCOMPARE(findSideFile(hand), bin + QStringLiteral("/HAND-M.CUR"));

        makeFile(data + QStringLiteral("/x/o.cjs"));
        QCOMPARE(findSideFile(QString::fromLatin1(kSkinFile)), data + QStringLiteral("/x/o.cjs"));
        setProgramFolder(QString());
    }

    // The window's command line is read before any window exists; Qt's own options pass.
    void windowCommandLineIsReadBeforeTheWindow_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("file");
        const int run = int(WindowCommandLine::Action::Run);
        const int help = int(WindowCommandLine::Action::ShowHelp);
        const int version = int(WindowCommandLine::Action::ShowVersion);
        const int refuse = int(WindowCommandLine::Action::Refuse);
        QTest::newRow("nothing") << QStringList{} << run << "";
        QTest::newRow("a file") << QStringList{"list.csv"} << run << "list.csv";
        QTest::newRow("'-' is a file name") << QStringList{"-"} << run << "-";
        QTest::newRow("Qt option and its value") << QStringList{"-style", "fusion", "list.csv"} << run << "list.csv";
        QTest::newRow("Qt option, value joined") << QStringList{"-style=fusion", "list.csv"} << run << "list.csv";
        QTest::newRow("Qt option, two dashes") << QStringList{"--platform", "offscreen"} << run << "";
        QTest::newRow("Qt flag") << QStringList{"-reverse", "list.csv"} << run << "list.csv";
        QTest::newRow("file after --") << QStringList{"--", "-odd.csv"} << run << "-odd.csv";
        QTest::newRow("--help after --") << QStringList{"--", "--help"} << run << "--help";
        QTest::newRow("-h") << QStringList{"-h"} << help << "";
        QTest::newRow("help beside a file") << QStringList{"list.csv", "--help"} << help << "";
        QTest::newRow("version") << QStringList{"-style", "fusion", "--version"} << version << "";
        QTest::newRow("unknown long option") << QStringList{"--bogus", "list.csv"} << refuse << "";
        QTest::newRow("unknown short option") << QStringList{"-x"} << refuse << "";
        QTest::newRow("two files") << QStringList{"a.csv", "b.csv"} << refuse << "";
        QTest::newRow("Qt option without its value") << QStringList{"-style"} << refuse << "";
    }
    void windowCommandLineIsReadBeforeTheWindow() {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, file);
        const WindowCommandLine command =
            parseWindowCommandLine(QStringList{QStringLiteral("quorvel-tabwright")} + arguments);
        QCOMPARE(int(command.action), action);
        QCOMPARE(command.listFile, file);
        QCOMPARE(command.error.isEmpty(), action != int(WindowCommandLine::Action::Refuse));
    }

    void skinNeedsTheFileItself() {
        QTemporaryDir folder;
        setProgramFolder(folder.path());
        QWidget window;
        QVERIFY(!ApplyOptionalSkin(window));
        QDir(folder.path()).mkpath(QStringLiteral("x/o.cjs")); // a folder of that name lists no file
        QVERIFY(!ApplyOptionalSkin(window));
        QVERIFY(!window.autoFillBackground());
        QTemporaryDir other;
        setProgramFolder(other.path());
        QDir(other.path()).mkdir(QStringLiteral("x"));
        makeFile(other.path() + QStringLiteral("/x/o.cjs"), QByteArray());
        QVERIFY(ApplyOptionalSkin(window));
        QCOMPARE(window.palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
        setProgramFolder(QString());
    }

    void shippedHandCursorKeepsItsHotSpot() {
        setProgramFolder(QString());
        const auto cursor = loadHandCursor();
        QVERIFY(cursor.has_value());
        QCOMPARE(cursor->hotSpot(), QPoint(9, 0));
        QCOMPARE(cursor->pixmap().size(), QSize(32, 32));
        // Its tip is drawn (opaque) and the corner is see-through.
        const QImage image = cursor->pixmap().toImage();
        QCOMPARE(qAlpha(image.pixel(9, 0)), 255);
        QCOMPARE(qAlpha(image.pixel(31, 31)), 0);
    }

    void brokenCursorFilesLoadNothing() {
        QCOMPARE(loadCursorFile(mDir.path() + QStringLiteral("/none.cur")).has_value(), false);
        QCOMPARE(loadCursorFile(makeFile(mDir.path() + QStringLiteral("/short.cur"), "\0\0\2")).has_value(), false);
        QCOMPARE(
            loadCursorFile(makeFile(mDir.path() + QStringLiteral("/icon.cur"), curHeader(1, 0, 0, 22))).has_value(),
            false);
        QCOMPARE(loadCursorFile(makeFile(mDir.path() + QStringLiteral("/past.cur"), curHeader(2, 3, 3, 1u << 30)))
                     .has_value(),
                 false);
        QByteArray truncated = curHeader(2, 3, 3, 22);
        truncated.append(QByteArray(10, '\x28'));
        QCOMPARE(loadCursorFile(makeFile(mDir.path() + QStringLiteral("/trunc.cur"), truncated)).has_value(), false);
    }
};

TABWRIGHT_ISOLATED_TEST_MAIN(TestAppHelpers)
#include "test_app_helpers.moc"
