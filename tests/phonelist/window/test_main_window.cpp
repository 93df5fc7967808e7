#include "app/prompt.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "isolated_settings.h"
#include "phonelist/window/main_window.h"
#include "phonelist/window/phone_list_model.h"
#include "phonelist/files/list_input.h"
#include "phonelist/list_commands.h"
#include "phonelist/phone_list_table.h"
#include "scripted_prompt.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSet>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString kNever = QStringLiteral("never");

QString storeFile() {
    return SettingsStore().fileName();
}

QString cell(int row, int field) {
    return gPhoneList->valueAt(row, field).value_or(QString());
}

QPoint cellCentre(QTableView& grid, int row, int column) {
    return grid.visualRect(grid.model()->index(row, column)).center();
}

// Clicks a cell, types text into the in-place editor and presses Enter.
void typeIntoCell(QTableView& grid, int row, int column, const QString& text, bool pressEnter = true) {
    grid.scrollTo(grid.model()->index(row, column));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellCentre(grid, row, column));
    QTest::keyClick(&grid, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    if (pressEnter)
        QTest::keyClick(editor, Qt::Key_Return);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedPrompt> mPrompt;
    QTemporaryDir mEmptyFolder;

    // A file of the given bytes in dir, for the commands that read one.
    static QString writtenFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    std::unique_ptr<Form1> start() {
        auto w = std::make_unique<Form1>();
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            qWarning("window not exposed");
        return w;
    }

private slots:
    void init() {
        QFile::remove(storeFile());
        mPrompt = std::make_unique<ScriptedPrompt>();
        setProgramFolder(mEmptyFolder.path());
    }
    void cleanup() {
        QVERIFY2(mPrompt->errorReports().empty(), qPrintable(mPrompt->texts().join(QStringLiteral(" / "))));
        mPrompt.reset();
        setProgramFolder(QString());
    }

    void firstStartShowsThirtyEmptyRowsFirstSelected() {
        auto w = start();
        QCOMPARE(w->DataGrid1->model()->rowCount(), 30);
        for (int r = 0; r < 30; ++r)
            for (int c = 0; c < 8; ++c)
                QCOMPARE(w->DataGrid1->model()->index(r, c).data().toString(), QString());
        QCOMPARE(w->DataGrid1->currentIndex().row(), 0);
        QCOMPARE(gPhoneList->currentRow(), 0);
        QVERIFY(w->DataGrid1->selectionModel()->isSelected(w->DataGrid1->currentIndex()));
        QCOMPARE(w->windowTitle(), QStringLiteral("Quorvel Tabwright"));
        QCOMPARE(appTitle(), QStringLiteral("Quorvel"));
        QVERIFY(!w->property("skinned").toBool());
        QCOMPARE(w->palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(!w->windowIcon().isNull());
    }

    void layoutFollowsTheTwipGeometry() {
        auto w = start();
        QCOMPARE(w->logicalDpiX(), 96);
        QCOMPARE(w->size(), QSize(536, 447));
        QCOMPARE(w->minimumSize(), w->size()); // the first size is the smallest
        struct Expect {
            QWidget* widget;
            QRect rect;
            QString caption;
        };
        const Expect expected[] = {
            {w->PushButton22, {8, 8, 520, 27}, QStringLiteral("Start Creating Template")},
            {w->PushButton6, {8, 42, 256, 27}, QStringLiteral("Help")},
            {w->PushButton7, {272, 42, 256, 27}, QStringLiteral("Load Sample/Example Data")},
            {w->Frame2, {8, 74, 520, 334}, QStringLiteral("Telephone List data:")},
            {w->DataGrid1, {17, 20, 486, 236}, QString()},
            {w->PushButton2, {16, 263, 209, 27}, QStringLiteral("Insert Below Selected Row")},
            {w->PushButton3, {232, 263, 97, 27}, QStringLiteral("Delete All")},
            {w->PushButton1, {336, 263, 167, 27}, QStringLiteral("Delete Selected Row")},
            {w->ImportButton, {16, 297, 160, 27}, QStringLiteral("Import...")},
            {w->ExportListButton, {184, 297, 160, 27}, QStringLiteral("Export List...")},
            {w->SortButton, {352, 297, 151, 27}, QStringLiteral("Sort")},
            {w->TitleEdit, {64, 414, 464, 25}, QString()},
        };
        for (const Expect& e : expected) {
            QCOMPARE(e.widget->geometry(), e.rect);
            if (auto* b = qobject_cast<QPushButton*>(e.widget)) {
                QCOMPARE(QString(b->text()).remove(QLatin1Char('&')), e.caption);
                QCOMPARE(b->font().family(), QStringLiteral("Arial"));
                QCOMPARE(b->font().pointSizeF(), 11.25);
                QVERIFY(b->font().bold());
            }
        }
        QCOMPARE(w->Frame2->title(), QStringLiteral("Telephone List data:"));
        QCOMPARE(w->DataGrid1->parentWidget(), w->Frame2);
        QCOMPARE(w->PushButton1->parentWidget(), w->Frame2);
        QCOMPARE(w->DataGrid1->font().pointSizeF(), 9.0);
        QVERIFY(w->DataGrid1->font().bold() && w->DataGrid1->horizontalHeader()->font().bold());
        QCOMPARE(w->DataGrid1->toolTip(), QStringLiteral("To enter Description select row and type Description. "
                                                         "Then press Enter to finish changes."));
        for (int c = 0; c < 8; ++c)
            QCOMPARE(w->DataGrid1->model()->headerData(c, Qt::Horizontal).toString(),
                     PhoneListTable::fieldNames()[std::size_t(c)]);
    }

    void gridHasFocusAndTabOrder() {
        auto w = start();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->DataGrid1));
        // Tab leaves the grid and goes through the commands in their order, then back.
        QWidget* expected[] = {w->PushButton22, w->PushButton2, w->PushButton3,  w->PushButton1,
                               w->PushButton6,  w->PushButton7, w->ImportButton, w->ExportListButton,
                               w->SortButton,   w->TitleEdit,   w->DataGrid1};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->TitleEdit));
    }

    // Every command has its own access key, shown in its text, and the common
    // ones have keys of their own.
    void accessKeysAndShortcuts() {
        auto w = start();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QSet<QChar> keys;
        for (QPushButton* b : w->findChildren<QPushButton*>()) {
            const qsizetype amp = b->text().indexOf(QLatin1Char('&'));
            QVERIFY2(amp >= 0 && amp + 1 < b->text().size(), qPrintable(b->text()));
            const QChar key = b->text().at(amp + 1).toLower();
            QVERIFY2(!keys.contains(key), qPrintable(b->text()));
            keys.insert(key);
        }
        QTest::keyClick(w->DataGrid1, Qt::Key_F1);
        QVERIFY(mPrompt->texts().front().startsWith(QStringLiteral("Questions?")));
        const int rows = gPhoneList->RecordCount();
        QTest::keyClick(w->DataGrid1, Qt::Key_Insert);
        QCOMPARE(gPhoneList->RecordCount(), rows + 1);
        mPrompt->answers = {Prompt::Answer::Yes};
        QTest::keyClick(w->DataGrid1, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(gPhoneList->RecordCount(), rows);
        mPrompt->shown.clear();
        QTest::keyClick(w->DataGrid1, Qt::Key_D, Qt::AltModifier); // "Delete Selected Row", pressed for a moment
        QTRY_COMPARE(mPrompt->shown.size(), std::size_t(1));
        QCOMPARE(mPrompt->shown.back().title, QStringLiteral("Question"));
        mPrompt->shown.clear();
    }

    // The window grows: the grid takes the room, the commands keep to the edges,
    // and the next start comes back at that size with the same column widths.
    void aLargerWindowGivesTheGridTheRoomAndIsRemembered() {
        {
            auto w = start();
            const QRect grid = w->DataGrid1->geometry();
            w->resize(900, 700);
            QCOMPARE(w->DataGrid1->width(), grid.width() + 900 - 536);
            QCOMPARE(w->DataGrid1->height(), grid.height() + 700 - 447);
            QCOMPARE(w->width() - w->PushButton22->geometry().right(), 536 - 527); // the right margin stays
            QCOMPARE(w->height() - w->TitleEdit->geometry().bottom(), 447 - 438);  // so does the bottom one
            QVERIFY(w->PushButton1->geometry().right() <= w->DataGrid1->geometry().right() + 1);
            QVERIFY(w->PushButton2->geometry().left() < w->PushButton3->geometry().left());
            QCOMPARE(w->PushButton2->y(), w->Frame2->height() - (334 - 263));
            w->DataGrid1->setColumnWidth(3, 260);
            w->resize(100, 100); // not below the first size
            QCOMPARE(w->size(), QSize(536, 447));
            w->resize(900, 700);
            w->close();
        }
        auto again = start();
        QCOMPARE(again->size(), QSize(900, 700));
        QCOMPARE(again->DataGrid1->columnWidth(3), 260);
    }

    // With a dark desktop theme the white window keeps dark text, and the
    // buttons keep the theme's own pairs.
    void aDarkThemeKeepsTextReadable() {
        const QPalette before = QApplication::palette();
        QPalette dark;
        for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::AlternateBase})
            dark.setColor(role, QColor(0x2b, 0x2b, 0x2b));
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::PlaceholderText})
            dark.setColor(role, QColor(0xe0, 0xe0, 0xe0));
        QApplication::setPalette(dark);
        {
            auto w = start();
            w->PushButton7->click();
            const auto contrast = [](const QColor& a, const QColor& b) {
                return std::abs(qGray(a.rgb()) - qGray(b.rgb()));
            };
            QVERIFY(contrast(w->palette().color(QPalette::Window),
                             w->TitleLabel->palette().color(QPalette::WindowText)) > 120);
            QVERIFY(contrast(w->Frame2->palette().color(QPalette::Window),
                             w->Frame2->palette().color(QPalette::WindowText)) > 120);
            const QPalette grid = w->DataGrid1->palette();
            QVERIFY(contrast(grid.color(QPalette::Base), grid.color(QPalette::Text)) > 120);
            QVERIFY(contrast(grid.color(QPalette::AlternateBase), grid.color(QPalette::Text)) > 120);
            const QPalette button = w->PushButton22->palette();
            QVERIFY(contrast(button.color(QPalette::Button), button.color(QPalette::ButtonText)) > 120);
            // What is painted: the sample's first name is dark on the white grid.
            const QImage shot = w->DataGrid1->viewport()->grab().toImage();
            const QRect cellRect = w->DataGrid1->visualRect(w->DataGrid1->model()->index(0, 0));
            int darkest = 255;
            for (int x = cellRect.left(); x <= cellRect.right(); ++x)
                for (int y = cellRect.top(); y <= cellRect.bottom(); ++y)
                    darkest = std::min(darkest, qGray(shot.pixel(x, y)));
            QVERIFY2(darkest < 100, qPrintable(QString::number(darkest)));
            w->close();
        }
        QApplication::setPalette(before);
    }

    void closingWritesTheStoreAndTheNextStartShowsIt() {
        {
            auto w = start();
            gPhoneList->MoveFirst();
            gPhoneList->Move(4);
            gPhoneList->Fields(0).setValue(QStringLiteral("Darezo"));
            gPhoneList->Fields(7).setValue(QString::fromUtf8("z\xC3\xBC@example.com \xF0\x9F\x93\x9E"));
            w->close();
        }
        SettingsStore store;
        QCOMPARE(store.read(settings::kRowCount, "none"), QStringLiteral("30"));
        for (int r = 1; r <= 30; ++r)
            for (int c = 1; c <= 8; ++c)
                QVERIFY(store.read(settings::rowSourceKey(c, r), kNever) != kNever);
        QCOMPARE(store.read(settings::rowSourceKey(1, 5), kNever), QStringLiteral("Darezo"));

        auto again = start();
        QCOMPARE(again->DataGrid1->model()->rowCount(), 30);
        QCOMPARE(again->DataGrid1->model()->index(4, 0).data().toString(), QStringLiteral("Darezo"));
        QCOMPARE(cell(4, 7), QString::fromUtf8("z\xC3\xBC@example.com \xF0\x9F\x93\x9E"));
        QCOMPARE(again->DataGrid1->currentIndex().row(), 0);
    }

    void storedRowCountShapesTheGrid_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("rows");
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("2.5") << "2.5" << 2;
        QTest::newRow("3.5") << "3.5" << 4;
        QTest::newRow("abc") << "abc" << 0;
        QTest::newRow("huge") << "99999999999" << PhoneListTable::kMaxRows;
    }
    void storedRowCountShapesTheGrid() {
        QFETCH(QString, stored);
        QFETCH(int, rows);
        {
            SettingsStore store;
            store.write(settings::kRowCount, stored);
            store.sync();
        }
        auto w = start();
        QCOMPARE(w->DataGrid1->model()->rowCount(), rows);
        QCOMPARE(w->DataGrid1->currentIndex().row(), rows > 0 ? 0 : -1);
        // The list still works: a row can be added and edited, and it saves.
        if (rows < PhoneListTable::kMaxRows) {
            gPhoneList->AddNew();
            gPhoneList->Fields(0).setValue(QStringLiteral("x"));
            QCOMPARE(w->DataGrid1->model()->rowCount(), rows + 1);
        } else {
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, gPhoneList->AddNew());
        }
        w->close();
        QCOMPARE(SettingsStore().read(settings::kRowCount, "none"),
                 QString::number(std::min(rows + 1, int(PhoneListTable::kMaxRows))));
    }

    void editingACellStoresItAndStampsLastUpdated() {
        auto w = start();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QCOMPARE(SettingsStore().read(QString::fromLatin1(settings::kLastUpdated), kNever), kNever);
        const QString before = settings::nowText();
        typeIntoCell(*w->DataGrid1, 2, 1, QStringLiteral("Zivo"));
        // The delegate commits on Enter through a queued call.
        QTRY_COMPARE(cell(2, 1), QStringLiteral("Zivo"));
        QCOMPARE(gPhoneList->currentRow(), 2);
        const QString stamp = SettingsStore().read(QString::fromLatin1(settings::kLastUpdated), kNever);
        const QString after = settings::nowText();
        QVERIFY2(stamp == before || stamp == after, qPrintable(stamp));

        // Leaving the cell stores it too.
        { SettingsStore().write(settings::kLastUpdated, kNever); }
        typeIntoCell(*w->DataGrid1, 3, 2, QStringLiteral("Jess"), false);
        QTest::mouseClick(w->DataGrid1->viewport(), Qt::LeftButton, {}, cellCentre(*w->DataGrid1, 6, 0));
        QTRY_COMPARE(cell(3, 2), QStringLiteral("Jess"));
        QCOMPARE(gPhoneList->currentRow(), 6);
        QVERIFY(SettingsStore().read(QString::fromLatin1(settings::kLastUpdated), kNever) != kNever);
    }

    // A crash or a kill after the edit loses nothing: the store has it while the window is open.
    void aCommittedEditReachesTheStoreWithoutClosing() {
        auto w = start();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        typeIntoCell(*w->DataGrid1, 4, 0, QStringLiteral("Vivaduvu"));
        QTRY_COMPARE(SettingsStore().read(settings::rowSourceKey(1, 5), kNever), QStringLiteral("Vivaduvu"));
        w->PushButton7->click(); // a row command is stored as well
        QTRY_COMPARE(SettingsStore().read(settings::rowSourceKey(1, 2), kNever), QStringLiteral("Darezo"));
        QVERIFY(w->isVisible());
    }

    void aSecondWindowOnTheListIsReadOnly() {
        auto first = start();
        mPrompt->shown.clear();
        auto second = start();
        QCOMPARE(mPrompt->texts(), QStringList{ListKeeper::openElsewhereText()});
        QVERIFY(second->keeper().readOnly());
        QCOMPARE(second->DataGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!second->PushButton3->isEnabled());
        QVERIFY(!second->ImportButton->isEnabled() && !second->SortButton->isEnabled());
        QVERIFY(second->ExportListButton->isEnabled());
        QVERIFY(second->PushButton22->isEnabled()); // the sheet can still be made
        QVERIFY(!first->keeper().readOnly());
        // Whatever the read-only window holds, its close writes none of it.
        second->DataGrid1->model()->setData(second->DataGrid1->model()->index(0, 0), QStringLiteral("second"));
        second->close();
        QCOMPARE(SettingsStore().read(settings::rowSourceKey(1, 1), kNever), kNever);
        QCOMPARE(SettingsStore().read(QString::fromLatin1(settings::kLastUpdated), kNever), kNever);
    }

    void anUnreadableStoreIsReportedAtStart() {
        QVERIFY(QDir().mkpath(storeFile())); // a folder in the file's place; root reads any file
        auto w = start();
        const QStringList texts = mPrompt->texts();
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts.front().startsWith(QStringLiteral("The settings could not be read from ")),
                 qPrintable(texts.front()));
        QVERIFY(texts.front().contains(QStringLiteral("The list starts empty")));
        w.reset();
        QDir(storeFile()).removeRecursively();
    }

    void closingWithAnOpenEditorKeepsTheText() {
        {
            auto w = start();
            QApplication::setActiveWindow(w.get());
            QVERIFY(QTest::qWaitForWindowActive(w.get()));
            typeIntoCell(*w->DataGrid1, 0, 5, QStringLiteral("(995) 267-8237"), false);
            w->close();
        }
        QCOMPARE(SettingsStore().read(settings::rowSourceKey(6, 1), kNever), QStringLiteral("(995) 267-8237"));
        {
            auto w = start(); // destroyed with an editor open: must not crash
            QApplication::setActiveWindow(w.get());
            QVERIFY(QTest::qWaitForWindowActive(w.get()));
            typeIntoCell(*w->DataGrid1, 1, 1, QStringLiteral("half typed"), false);
        }
        QCoreApplication::processEvents();
    }

    void anOverlongEditIsCut() {
        auto w = start();
        PhoneListModel* model = phoneListModel(*w->DataGrid1);
        QVERIFY(model->setData(model->index(0, 3), QString(3000, QLatin1Char('q'))));
        QCOMPARE(cell(0, 3).size(), 1024);
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        typeIntoCell(*w->DataGrid1, 1, 0, QString(), false);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->maxLength(), 1024);
    }

    void selectionAndCursorMoveTogether() {
        auto w = start();
        QTest::mouseClick(w->DataGrid1->viewport(), Qt::LeftButton, {}, cellCentre(*w->DataGrid1, 5, 2));
        QCOMPARE(gPhoneList->currentRow(), 5);
        const auto mark = gPhoneList->bookmark();
        gPhoneList->MoveFirst();
        QCOMPARE(w->DataGrid1->currentIndex().row(), 0);
        QCOMPARE(w->DataGrid1->currentIndex().column(), 2);
        gPhoneList->Move(7);
        QCOMPARE(w->DataGrid1->currentIndex().row(), 7);
        gPhoneList->setBookmark(mark);
        QCOMPARE(w->DataGrid1->currentIndex().row(), 5);
        QTest::keyClick(w->DataGrid1, Qt::Key_Down);
        QCOMPARE(gPhoneList->currentRow(), 6);
    }

    void gridFollowsChangesMadeInCode() {
        auto w = start();
        QAbstractItemModelTester tester(w->DataGrid1->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        gPhoneList->AddNew();
        QCOMPARE(w->DataGrid1->model()->rowCount(), 31);
        QCOMPARE(w->DataGrid1->currentIndex().row(), 30);
        gPhoneList->Fields(0).setValue(QStringLiteral("Veruzu"));
        QCOMPARE(w->DataGrid1->model()->index(30, 0).data().toString(), QStringLiteral("Veruzu"));
        gPhoneList->MoveFirst();
        gPhoneList->Delete();
        QCOMPARE(w->DataGrid1->model()->rowCount(), 30);
        // The cursor stays on the removed position until it moves.
        QCOMPARE(gPhoneList->currentRow(), -1);
        gPhoneList->MoveNext();
        QCOMPARE(w->DataGrid1->currentIndex().row(), 0);
        auto fresh = CreatePhoneListTable();
        fresh->AddNew();
        gPhoneList = fresh;
        BindPhoneListGrid(*w->DataGrid1, gPhoneList);
        QCOMPARE(w->DataGrid1->model()->rowCount(), 1);
        QCOMPARE(w->DataGrid1->currentIndex().row(), 0);
        PhoneListModel* model = phoneListModel(*w->DataGrid1);
        model->setData(model->index(0, 4), QStringLiteral("555"));
        QCOMPARE(cell(0, 4), QStringLiteral("555"));
    }

    void skinFileSwitchesToButtonFace() {
        QTemporaryDir folder;
        setProgramFolder(folder.path());
        const QColor face = QApplication::palette().color(QPalette::Button);
        {
            QDir(folder.path()).mkdir(QStringLiteral("x")); // an empty folder x does nothing
            auto w = start();
            QVERIFY(!w->property("skinned").toBool());
            QCOMPARE(w->palette().color(QPalette::Window), QColor(Qt::white));
        }
        QFile skin(folder.path() + QStringLiteral("/x/o.cjs"));
        QVERIFY(skin.open(QIODevice::WriteOnly));
        skin.close();
        auto w = start();
        QVERIFY(w->property("skinned").toBool());
        QCOMPARE(w->palette().color(QPalette::Window), face);
        QCOMPARE(w->Frame2->palette().color(QPalette::Window), face);
        QVERIFY(w->Frame2->autoFillBackground());
        QCOMPARE(w->DataGrid1->palette().color(QPalette::Base), QColor(Qt::white));
    }

    void handPointerOverButtons() {
        setProgramFolder(QString()); // the program's own folder, where the build puts HAND-M.CUR
        {
            auto w = start();
            QVERIFY(w->handCursor().has_value());
            QCOMPARE(w->handCursor()->hotSpot(), QPoint(9, 0));
            QEvent enter(QEvent::Enter);
            QApplication::sendEvent(w->PushButton7, &enter);
            QCOMPARE(w->mousePointer(), MousePointer::Custom);
            QCOMPARE(w->cursor().shape(), Qt::BitmapCursor);
            QApplication::sendEvent(w->DataGrid1->viewport(), &enter);
            QCOMPARE(w->mousePointer(), MousePointer::Default);
            // The hourglass stays while busy.
            w->setMousePointer(MousePointer::Hourglass);
            QApplication::sendEvent(w->PushButton2, &enter);
            QCOMPARE(w->mousePointer(), MousePointer::Hourglass);
            QApplication::sendEvent(w->Frame2, &enter);
            QCOMPARE(w->mousePointer(), MousePointer::Hourglass);
        }
        setProgramFolder(mEmptyFolder.path());
        auto w = start();
        QVERIFY(!w->handCursor().has_value());
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(w->PushButton1, &enter);
        QCOMPARE(w->mousePointer(), MousePointer::Custom);
        QCOMPARE(w->cursor().shape(), Qt::ArrowCursor);
    }

    // Moves as the window system delivers them: entering a button, moving on it.
    void theHandStaysOverEveryButton() {
        auto w = start();
        for (QPushButton* b : {w->PushButton22, w->PushButton6, w->PushButton7, w->PushButton2, w->PushButton3,
                               w->PushButton1, w->ImportButton, w->ExportListButton, w->SortButton}) {
            QTest::mouseMove(w->Frame2, QPoint(2, 2));
            QCOMPARE(w->mousePointer(), MousePointer::Default);
            QTest::mouseMove(b, b->rect().center());
            QCOMPARE(w->mousePointer(), MousePointer::Custom);
            QTest::mouseMove(b, b->rect().center() + QPoint(3, 1));
            QCOMPARE(w->mousePointer(), MousePointer::Custom);
        }
    }

    void helpShowsTheContactMessage() {
        auto w = start();
        QTest::mouseClick(w->PushButton6, Qt::LeftButton);
        QCOMPARE(mPrompt->shown.size(), std::size_t(1));
        const ScriptedPrompt::Shown& help = mPrompt->shown.front();
        QCOMPARE(help.text,
                 QStringLiteral("Questions? Please contact Team Brenmoor at https://www.brenmoor.com/contact/"));
        QCOMPARE(help.icon, Prompt::Icon::None);
        QCOMPARE(help.buttons, Prompt::Buttons::Ok);
        QVERIFY(help.title.isEmpty()); // the application title
        QCOMPARE(appTitle(), QStringLiteral("Quorvel"));
        QVERIFY(w->isVisible());
    }

    // A move over a button must not reach the frame or the window behind it,
    // whose rule would take the hand away again at once.
    void theHandStaysWhileThePointerMovesOverAButton() {
        auto w = start();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        for (QPushButton* button : {w->PushButton22, w->PushButton2}) {
            QTest::mouseMove(button, QPoint(10, 5));
            QTest::mouseMove(button, QPoint(20, 8));
            QCOMPARE(w->mousePointer(), MousePointer::Custom);
        }
        QTest::mouseMove(w->DataGrid1->viewport(), QPoint(5, 5));
        QCOMPARE(w->mousePointer(), MousePointer::Default);
    }

    void theGridsHeadersShowTheArrow() {
        auto w = start();
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(w->PushButton22, &enter);
        QCOMPARE(w->mousePointer(), MousePointer::Custom);
        QApplication::sendEvent(w->DataGrid1->horizontalHeader()->viewport(), &enter);
        QCOMPARE(w->mousePointer(), MousePointer::Default);
        QApplication::sendEvent(w->PushButton6, &enter);
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &move);
        QCOMPARE(w->mousePointer(), MousePointer::Default);
    }

    void paintsATidyWhiteWindow() {
        auto w = start();
        const QImage shot = w->grab().toImage();
        QCOMPARE(shot.size(), QSize(536, 447));
        QCOMPARE(QColor(shot.pixel(2, 2)), QColor(Qt::white));
        QCOMPARE(QColor(shot.pixel(530, 443)), QColor(Qt::white));
        const QByteArray out = qgetenv("QUORVEL_SCREENSHOT");
        if (!out.isEmpty())
            shot.save(QString::fromLocal8Bit(out));
    }

    // --- lists in and out, sort, title ---

    // A list comes in from a file; with entries already there the user picks
    // replace (Yes), add (No) or neither (Cancel). The store follows at once.
    void importReplacesOrAddsAsTheUserSays() {
        QTemporaryDir dir;
        const QString file = writtenFile(dir, QStringLiteral("contacts.csv"),
                                         "Surname;Given Name;Mobile\r\nAdams;Anna;0170 1\r\nBaker;Ben;0170 2\r\n");
        auto w = start();
        mPrompt->fileNames = {file};
        w->ImportButton->click(); // the list is empty: no question
        QCOMPARE(mPrompt->dialogs.back().title, QStringLiteral("Import List"));
        QCOMPARE(FilledRows(*gPhoneList).size(), std::size_t(2));
        QCOMPARE(cell(1, 0), QStringLiteral("Baker"));
        QCOMPARE(cell(1, 6), QStringLiteral("0170 2"));
        QVERIFY(SettingsStore().read(QString::fromLatin1(settings::kLastUpdated), kNever) != kNever);

        mPrompt->shown.clear();
        mPrompt->answers = {Prompt::Answer::No};
        w->importFile(file);
        QCOMPARE(mPrompt->shown.front().buttons, Prompt::Buttons::YesNoCancel);
        QCOMPARE(FilledRows(*gPhoneList).size(), std::size_t(4));
        QCOMPARE(cell(3, 0), QStringLiteral("Baker"));

        mPrompt->answers = {Prompt::Answer::Cancel};
        w->importFile(file);
        QCOMPARE(FilledRows(*gPhoneList).size(), std::size_t(4));
        mPrompt->answers = {Prompt::Answer::Yes};
        w->importFile(file);
        QCOMPARE(gPhoneList->RecordCount(), 2);
        w->close();
        QCOMPARE(SettingsStore().read(QString::fromLatin1(settings::kRowCount), kNever), QStringLiteral("2"));
        QCOMPARE(SettingsStore().read(settings::rowSourceKey(1, 2), kNever), QStringLiteral("Baker"));
    }

    void aFileThatIsNoListIsNamedInAWarning() {
        QTemporaryDir dir;
        const QString file = writtenFile(dir, QStringLiteral("notes.txt"), "Colour,Size\nred,10\n");
        auto w = start();
        w->importFile(file);
        QCOMPARE(mPrompt->shown.size(), std::size_t(1));
        QCOMPARE(mPrompt->shown.front().icon, Prompt::Icon::Warning);
        QVERIFY(mPrompt->shown.front().text.contains(file));
        QVERIFY(FilledRows(*gPhoneList).empty());
    }

    // "quorvel-tabwright -" hands the window what it read from standard input.
    void aListReadAlreadyIsImportedAndNamedByItsSource() {
        auto w = start();
        w->importBytes(QByteArrayLiteral("Last Name,E-mail\nDavis,d@example.org\n"), QStringLiteral("standard input"));
        QCOMPARE(FilledRows(*gPhoneList).size(), std::size_t(1));
        QCOMPARE(cell(0, 7), QStringLiteral("d@example.org"));
        QVERIFY(mPrompt->shown.empty());

        w->importBytes(QByteArrayLiteral("Colour,Size\nred,10\n"), QStringLiteral("standard input"));
        QCOMPARE(mPrompt->shown.size(), std::size_t(1));
        QCOMPARE(mPrompt->shown.front().icon, Prompt::Icon::Warning);
        QVERIFY(mPrompt->shown.front().text.startsWith(QStringLiteral("standard input")));
        QCOMPARE(FilledRows(*gPhoneList).size(), std::size_t(1));
    }

    void aFileDroppedOnTheGridIsImported() {
        QTemporaryDir dir;
        const QString file =
            writtenFile(dir, QStringLiteral("list.vcf"),
                        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Clarke;Carla;;;\r\nFN:Carla Clarke\r\nEND:VCARD\r\n");
        auto w = start();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QWidget* target = w->DataGrid1->viewport();
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QTRY_COMPARE(cell(0, 0), QStringLiteral("Clarke"));
        QCOMPARE(cell(0, 1), QStringLiteral("Carla"));
    }

    void exportListWritesTheEntriesAsCsv() {
        auto w = start();
        gPhoneList->setValueAt(0, 0, QStringLiteral("Adams, Jr."));
        gPhoneList->setValueAt(2, 7, QStringLiteral("c@example.org"));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("out.csv"));
        mPrompt->fileNames = {file};
        w->ExportListButton->click();
        QCOMPARE(mPrompt->texts(), QStringList{QStringLiteral("Done.")});
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray csv = f.readAll();
        QVERIFY(csv.startsWith("Last Name,First Name,Spouse/Kids,Address,Home Number,Work Number,Cell Number,E-mail"));
        const std::vector<PhoneListRow> back = parsePhoneList(csv, file);
        QCOMPARE(back.size(), std::size_t(2));
        QCOMPARE(back[0][0], QStringLiteral("Adams, Jr."));
        QCOMPARE(back[1][7], QStringLiteral("c@example.org"));
    }

    void sortOrdersTheGridAndStoresIt() {
        auto w = start();
        const QStringList names = {QStringLiteral("Zander"), QString(), QStringLiteral("Adams")};
        for (int r = 0; r < names.size(); ++r)
            gPhoneList->setValueAt(r, 0, names[r]);
        w->SortButton->click();
        QCOMPARE(cell(0, 0), QStringLiteral("Adams"));
        QCOMPARE(cell(1, 0), QStringLiteral("Zander"));
        QCOMPARE(w->DataGrid1->model()->index(0, 0).data().toString(), QStringLiteral("Adams"));
        w->close();
        QCOMPARE(SettingsStore().read(settings::rowSourceKey(1, 1), kNever), QStringLiteral("Adams"));
    }

    void theTitleIsKeptInTheStore() {
        {
            auto w = start();
            QCOMPARE(w->TitleEdit->placeholderText(), QStringLiteral("Our Organization's Telephone List"));
            w->TitleEdit->setFocus();
            QTest::keyClicks(w->TitleEdit, QStringLiteral("St. Mary's Choir"));
            QTest::keyClick(w->TitleEdit, Qt::Key_Return);
            QCOMPARE(SettingsStore().read(QString::fromLatin1(settings::kTitle), kNever),
                     QStringLiteral("St. Mary's Choir"));
            w->close();
        }
        auto again = start();
        QCOMPARE(again->TitleEdit->text(), QStringLiteral("St. Mary's Choir"));
    }
};

TABWRIGHT_ISOLATED_TEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
