#pragma once

// Form2, the preview window: shows the picture of the generated sheet with zoom,
// scroll bars, drag-to-pan and the page breaks of its print, prints it or saves
// it as PDF, saves the temporary workbook under a name the user picks, or goes
// back to the main window.
//
//     Form2 preview;                          // Form_Load
//     preview.setMainWindow(&mainWindow);
//     preview.beforeProgramEnds = [] { ... }; // e.g. store the phone list
//     preview.setPicture(sheetPicture);       // or loadPictureFile(path)
//     preview.mExcelFile = workbookPath;
//     preview.show();                         // Form_Activate sets up the view
//
// Every position and size is kept in twips in a PreviewGeometry; the widgets
// follow it. Keys: Ctrl+plus, Ctrl+minus and Ctrl+0 zoom in, out and to 100 %,
// as Ctrl+wheel does about the pointer; the wheel, the arrow keys, Page Up and
// Page Down, Home and End scroll; Ctrl+P prints.

#include "app/mouse_pointer.h"
#include "app/widgets/window_pointer.h"
#include "preview/preview_geometry.h"
#include "preview/twips.h"
#include "sheet/render/vector_picture.h"

#include <QCursor>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class PictureBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPrinter;
class QPushButton;
class QScrollBar;

class Form2 : public QWidget {
    Q_OBJECT
public:
    // programFolder is where the hand pointer "HAND-M.CUR" is looked for first,
    // then the install's data folder seen from there; empty means the folder of
    // the executable.
    explicit Form2(const QString& programFolder = QString(), QWidget* parent = nullptr);
    ~Form2() override;

    // Full path of the temporary workbook that save, back and close work on.
    QString mExcelFile;

    // Runs when closing this window ends the program, before it ends.
    std::function<void()> beforeProgramEnds;
    // Ends the program; by default leaves the application's event loop.
    std::function<void()> endProgram;

    // Asks which printer to print to and how; false when the user cancels. By
    // default the system print dialog; tests print to a file instead.
    std::function<bool(QPrinter&)> choosePrinter;

    // The window "< Back" shows.
    void setMainWindow(QWidget* window) { mMainWindow = window; }

    // Puts a new picture in Picture1, as loaded: the view is set up for it at the
    // window's next activation (zoom 1.0, scroll ranges for its size).
    void setPicture(const sheet::VectorPicture& picture);
    // The same from a picture file (a picture's bytes as VectorPicture::data() gives them, or any image Qt reads).
    // Throws std::runtime_error when the file holds no picture.
    void loadPictureFile(const QString& path);

    void RedrawImage();
    void SetHScrollbarByPercent(QScrollBar* HScrollbar, int percent);
    void SetVScrollbarByPercent(QScrollBar* VScrollbar, int percent);

    MousePointer mousePointer() const { return mPointer->current(); }
    void setMousePointer(MousePointer pointer) { mPointer->set(pointer); }
    // The pointer loaded from HAND-M.CUR, if there was one.
    const std::optional<QCursor>& handCursor() const { return mPointer->handCursor(); }

    const PreviewGeometry& previewGeometry() const { return mGeometry; }
    // Where printed pages after the first begin, in pixels of the unscaled picture.
    const std::vector<int>& pageBreaks() const { return mPageBreaks; }
    const TwipsScale& twipsScale() const { return mScale; }

    // --- event handlers ---
    void Form_Activate();
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton6_Click();
    void PushButton8_Click();
    void FitWidthButton_Click();
    void FitPageButton_Click();
    void PrintButton_Click();
    void SavePdfButton_Click();
    void PageLayoutBox_Change();
    void HScroll1_Change();
    void VScroll1_Change();
    // button and shift are bit sets (left 1, right 2, middle 4; shift 1, ctrl 2,
    // alt 4); x, y in twips, in Picture1's coordinates.
    void picture1_MouseDown(int button, int shift, float x, float y);
    void picture1_MouseMove(int button, int shift, float x, float y);
    void Picture1_MouseUp(int button, int shift, float x, float y);
    void Form_QueryUnload();
    void Form_Unload();

    // Controls.
    QFrame* Picture2 = nullptr;
    PictureBox* Picture1 = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QScrollBar* VScroll1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton8 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* FitWidthButton = nullptr;
    QPushButton* FitPageButton = nullptr;
    QLabel* ZoomLevelLabel = nullptr;   // the zoom factor in per cent
    QComboBox* PageLayoutBox = nullptr; // "One page" or "Fit to page width", kept in the settings
    QPushButton* PrintButton = nullptr;
    QPushButton* SavePdfButton = nullptr;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void buildControls();
    // Zooms about anchor (viewport twips); none keeps the viewport's centre.
    void RedrawImage(std::optional<TwipsSize> anchor);
    void SetupScrollBars();
    void ZoomStep(int direction, std::optional<TwipsSize> anchor = std::nullopt);
    void SetZoom(float factor, std::optional<TwipsSize> anchor = std::nullopt);
    void showZoomLevel();
    // The page breaks of the workbook's print, read from mExcelFile; none when it
    // cannot be read.
    void updatePageBreaks();
    // Scrolls by whole wheel notches of delta (120 each), three rows a notch.
    void wheelScroll(QScrollBar* bar, int delta);
    // Zooms one step a notch about the pointer, at pointer (viewport pixels).
    void wheelZoom(int delta, QPointF pointer);
    // Asks before a save replaces an existing file; true when the save may go on.
    bool mayOverwrite(const QString& name);

    // Moves Picture1 and sets the bars to what mGeometry holds.
    void syncPicture1Position();
    void syncScrollBars();

    QRect pixels(double left, double top, double width, double height) const;

    QString mProgramFolder;
    TwipsScale mScale;
    PreviewGeometry mGeometry;
    sheet::VectorPicture mZoomOri; // the unscaled picture that every zoom step is drawn from
    bool mSetupPending = false;
    bool mCentred = false;
    WindowPointer* mPointer = nullptr; // owned by the window
    QWidget* mViewportArea = nullptr;  // Picture2's inside, where Picture1 moves
    QPointer<QWidget> mMainWindow;
    std::vector<int> mPageBreaks;
    int mTallestPage = 0;    // pixels of the unscaled picture; 0 when no pages are known
    int mWheelZoomDelta = 0; // wheel turns towards the next zoom step
};
