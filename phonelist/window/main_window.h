#pragma once

// Form1: the main window. Loading it runs the whole start-up; closing it saves
// the list and ends the program. Besides the grid and its row commands it
// imports a list from a file (also one dropped on the grid), exports the list
// as CSV, sorts it, and keeps the organisation's title for the sheet.

#include "app/mouse_pointer.h"
#include "app/settings_store.h"
#include "app/widgets/window_pointer.h"
#include "phonelist/list_keeper.h"
#include "phonelist/phone_list_table.h"
#include "phonelist/row_commands.h"

#include <QByteArray>
#include <QCursor>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class PreviewHandOver;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

class Form1 : public QWidget {
    Q_OBJECT
public:
    // Builds the controls and runs Form_Load; show() the window afterwards.
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Twips to pixels at the window's logical DPI (15 twips per pixel at 96 DPI), and back.
    int twipsToPixels(int twips) const;
    int pixelsToTwips(int pixels) const;

    // The window's first and smallest size, in twips.
    static constexpr int kLayoutWidth = 8040;
    static constexpr int kLayoutHeight = 6705;

    MousePointer mousePointer() const { return mPointer->current(); }
    void setMousePointer(MousePointer pointer) { mPointer->set(pointer); }
    // The custom pointer's image, when the hand pointer file was loaded.
    const std::optional<QCursor>& handCursor() const { return mPointer->handCursor(); }

    SettingsStore& store() { return mStore; }
    // Writes the list as it is edited; read-only when another window has it open.
    ListKeeper& keeper() { return *mKeeper; }
    // What a generation uses to reach this window and the preview window.
    PreviewHandOver& reportWindows() { return *mReportWindows; }

    // The close request's steps: the open edit is committed and the whole list stored.
    void Form_QueryUnload();

    QPushButton* PushButton22 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QTableView* DataGrid1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* ImportButton = nullptr;
    QPushButton* ExportListButton = nullptr;
    QPushButton* SortButton = nullptr;
    QLabel* TitleLabel = nullptr;
    QLineEdit* TitleEdit = nullptr; // the sheet's title, kept in the settings store

    // Reads the list in path (any kind the program reads), asks whether to
    // replace the list or add to it, and brings it in. Bad files are named in a warning.
    void importFile(const QString& path);
    // The same for a list read already (standard input), called name in the questions.
    void importBytes(const QByteArray& bytes, const QString& name);

public slots:
    void PushButton22_Click();
    void PushButton6_Click();
    void PushButton7_Click();
    void PushButton2_Click();
    void PushButton1_Click();
    void PushButton3_Click();
    void StampLastUpdated();
    void ImportButton_Click();
    void ExportListButton_Click();
    void SortButton_Click();
    void TitleEdit_Change();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void importList(const QString& name, const std::function<std::vector<PhoneListRow>()>& read);
    void createControls();
    void placeControls();
    void Form_Load();
    void Form_Unload();
    void bindGrid();
    void restoreWindowState();
    void storeWindowState();
    void commitPendingEdit();
    // The redraw lock and the grid, as the row commands reach them.
    ListWindow listWindow();

    SettingsStore mStore;
    ListKeeper* mKeeper = nullptr;     // owned by the window
    WindowPointer* mPointer = nullptr; // owned by the window
    bool mUnloaded = false;
    std::unique_ptr<PreviewHandOver> mReportWindows;
};
