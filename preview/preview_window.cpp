#include "preview/preview_window.h"

#include "app/error_trap.h"
#include "app/file_helpers.h"
#include "app/prompt.h"
#include "app/widgets/button_face.h"
#include "app/widgets/window_startup.h"
#include "app/settings_store.h"
#include "preview/picture_box.h"
#include "preview/workbook_copy.h"
#include "sheet/engine/format_ops.h"
#include "sheet/render/page_print.h"
#include "sheet/render/sheet_geometry.h"
#include "sheet/render/sheet_render.h"
#include "sheet/xls/xls_io.h"
#include "sheet/xlsx/xlsx_io.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>

#include <cmath>
#include <memory>
#include <stdexcept>

namespace {

using Orientation = PreviewGeometry::Orientation;

// Layout of the window, in twips: left, top, width, height.
constexpr double kClientWidth = 9840;
constexpr double kClientHeight = 9900;
constexpr TwipsSize kViewportOuter{9330, 7425};
// Picture2's sunken border, each side.
constexpr int kViewportBorderPx = 2;
// Pictures are recorded in pixels of a 96 dots-per-inch device.
constexpr double kPictureTwipsPerPixel = 15.0;

QString location(const char* handler) {
    return QStringLiteral("Quorvel2021/08/31.Form2.") + QLatin1String(handler) + QLatin1Char(' ');
}

double screenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

TwipsSize viewportInner(const TwipsScale& scale) {
    const QSize outer = scale.toPixels(kViewportOuter);
    return scale.toTwips(outer - QSize(2 * kViewportBorderPx, 2 * kViewportBorderPx));
}

TwipsSize naturalTwips(const sheet::VectorPicture& picture) {
    const QSize px = pictureNaturalSize(picture);
    return {px.width() * kPictureTwipsPerPixel, px.height() * kPictureTwipsPerPixel};
}

// The workbook a generation wrote, with the range its picture shows.
struct PrintedSheet {
    std::unique_ptr<sheet::Workbook> book;
    sheet::CellRange range;
    sheet::Sheet& sheet() const { return book->sheetAt(book->activeSheet); }
};

PrintedSheet readPrintedSheet(const QString& path) {
    if (path.isEmpty())
        throw std::runtime_error("There is no workbook to print.");
    PrintedSheet out{sheet::xls::readFile(path.toStdString()), {}};
    const auto used = sheet::om::usedArea(out.sheet());
    if (!used)
        throw std::runtime_error("The sheet is empty.");
    out.range = *used;
    return out;
}

// A generation's workbook held while the preview shows it, with the layout of its range.
struct ShownSheet {
    explicit ShownSheet(PrintedSheet sheet) : printed(std::move(sheet)), geometry(printed.sheet(), printed.range) {}
    PrintedSheet printed;
    sheet::SheetGeometry geometry;
};

void sayDone() {
    prompt().message(QStringLiteral("Done."), QString(), Prompt::Icon::None, Prompt::Buttons::Ok, Prompt::Answer::Ok);
}

sheet::PageFit storedPageFit() {
    return SettingsStore().read(settings::kPageLayout, settings::kPageLayoutOnePage) == settings::kPageLayoutPageWidth
               ? sheet::PageFit::PageWidth
               : sheet::PageFit::OnePage;
}

int buttonBits(Qt::MouseButtons buttons) {
    int bits = 0;
    if (buttons & Qt::LeftButton)
        bits |= 1;
    if (buttons & Qt::RightButton)
        bits |= 2;
    if (buttons & Qt::MiddleButton)
        bits |= 4;
    return bits;
}

int shiftBits(Qt::KeyboardModifiers modifiers) {
    int bits = 0;
    if (modifiers & Qt::ShiftModifier)
        bits |= 1;
    if (modifiers & Qt::ControlModifier)
        bits |= 2;
    if (modifiers & Qt::AltModifier)
        bits |= 4;
    return bits;
}

} // namespace

Form2::Form2(const QString& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      mProgramFolder(programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder),
      mScale(screenDpi()), mGeometry(kViewportOuter, viewportInner(mScale)) {
    endProgram = [] { QCoreApplication::exit(0); };
    buildControls();
    Form_Load();
}

Form2::~Form2() = default;

QRect Form2::pixels(double left, double top, double width, double height) const {
    return mScale.toPixels(left, top, width, height);
}

void Form2::buildControls() {
    setObjectName(QStringLiteral("Form2"));
    setFixedSize(mScale.toPixels(TwipsSize{kClientWidth, kClientHeight}));
    setMouseTracking(true);

    Picture2 = new QFrame(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture2->setLineWidth(kViewportBorderPx);
    Picture2->setGeometry(pixels(120, 120, kViewportOuter.width, kViewportOuter.height));
    mViewportArea = new QWidget(Picture2);
    mViewportArea->setGeometry(Picture2->contentsRect());

    Picture1 = new PictureBox(mViewportArea);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(0, 0, 0, 0);
    Picture1->installEventFilter(this);

    VScroll1 = new QScrollBar(Qt::Vertical, this);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    VScroll1->setGeometry(pixels(9450, 120, 255, 7425));
    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    HScroll1->setGeometry(pixels(120, 7545, 9330, 255));
    for (QScrollBar* bar : {HScroll1, VScroll1}) {
        bar->setRange(0, 0);
        // Dragging the thumb moves nothing until it is let go.
        bar->setTracking(false);
    }
    connect(HScroll1, &QScrollBar::valueChanged, this, [this] { HScroll1_Change(); });
    connect(VScroll1, &QScrollBar::valueChanged, this, [this] { VScroll1_Change(); });

    Frame1 = new QGroupBox(QStringLiteral("Zoom:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(pixels(120, 7860, 9600, 855));

    PushButton1 = new QPushButton(QStringLiteral("&Zoom In"), Frame1);
    PushButton1->setGeometry(pixels(240, 300, 1800, 405));
    PushButton2 = new QPushButton(QStringLiteral("Zoom &Out"), Frame1);
    PushButton2->setGeometry(pixels(2160, 300, 1800, 405));
    FitWidthButton = new QPushButton(QStringLiteral("Fit &Width"), Frame1);
    FitWidthButton->setGeometry(pixels(4080, 300, 1800, 405));
    FitPageButton = new QPushButton(QStringLiteral("Fit &Page"), Frame1);
    FitPageButton->setGeometry(pixels(6000, 300, 1800, 405));
    ZoomLevelLabel = new QLabel(Frame1);
    ZoomLevelLabel->setObjectName(QStringLiteral("ZoomLevelLabel"));
    ZoomLevelLabel->setGeometry(pixels(7920, 300, 1560, 405));
    ZoomLevelLabel->setAlignment(Qt::AlignCenter);

    auto* pageLayoutLabel = new QLabel(QStringLiteral("Page &layout:"), this);
    pageLayoutLabel->setGeometry(pixels(120, 8850, 1500, 405));
    PageLayoutBox = new QComboBox(this);
    PageLayoutBox->setObjectName(QStringLiteral("PageLayoutBox"));
    PageLayoutBox->addItems(
        {QLatin1String(settings::kPageLayoutOnePage), QLatin1String(settings::kPageLayoutPageWidth)});
    PageLayoutBox->setGeometry(pixels(1680, 8850, 3120, 405));
    pageLayoutLabel->setBuddy(PageLayoutBox);
    PrintButton = new QPushButton(QStringLiteral("P&rint..."), this);
    PrintButton->setGeometry(pixels(4920, 8850, 2340, 405));
    SavePdfButton = new QPushButton(QStringLiteral("Save as P&DF..."), this);
    SavePdfButton->setGeometry(pixels(7380, 8850, 2340, 405));

    PushButton8 = new QPushButton(QStringLiteral("< &Back"), this);
    PushButton8->setGeometry(pixels(120, 9375, 4680, 405));
    PushButton6 = new QPushButton(QStringLiteral("&Save Results To Excel File"), this);
    PushButton6->setGeometry(pixels(4920, 9375, 4800, 405));

    QFont buttonFont(QStringLiteral("Arial"));
    buttonFont.setPointSizeF(11.25);
    buttonFont.setBold(true);
    const std::pair<QPushButton*, const char*> buttons[] = {
        {PushButton1, "PushButton1"}, {PushButton2, "PushButton2"},       {PushButton8, "PushButton8"},
        {PushButton6, "PushButton6"}, {FitWidthButton, "FitWidthButton"}, {FitPageButton, "FitPageButton"},
        {PrintButton, "PrintButton"}, {SavePdfButton, "SavePdfButton"}};
    for (const auto& [button, name] : buttons) {
        button->setObjectName(QLatin1String(name));
        button->setFont(buttonFont);
        // A click leaves the keyboard with the picture, so the arrow keys keep scrolling.
        button->setFocusPolicy(Qt::TabFocus);
    }
    PageLayoutBox->setFocusPolicy(Qt::TabFocus);
    Picture2->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(Picture2);
    Picture2->installEventFilter(this);
    mViewportArea->installEventFilter(this);

    mPointer = new WindowPointer(*this);
    mPointer->watchButtons({PushButton1, PushButton2, PushButton8, PushButton6, FitWidthButton, FitPageButton,
                            PrintButton, SavePdfButton});
    mPointer->watchBackground({Frame1});
    // Moves over the viewport and the bars are not moves over the window's background.
    for (QWidget* child : {static_cast<QWidget*>(Picture2), static_cast<QWidget*>(HScroll1),
                           static_cast<QWidget*>(VScroll1), static_cast<QWidget*>(Frame1)})
        child->setAttribute(Qt::WA_NoMousePropagation);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
    connect(PushButton6, &QPushButton::clicked, this, [this] { PushButton6_Click(); });
    connect(PushButton8, &QPushButton::clicked, this, [this] { PushButton8_Click(); });
    connect(FitWidthButton, &QPushButton::clicked, this, [this] { FitWidthButton_Click(); });
    connect(FitPageButton, &QPushButton::clicked, this, [this] { FitPageButton_Click(); });
    connect(PrintButton, &QPushButton::clicked, this, [this] { PrintButton_Click(); });
    connect(SavePdfButton, &QPushButton::clicked, this, [this] { SavePdfButton_Click(); });
    connect(PageLayoutBox, &QComboBox::activated, this, [this] { PageLayoutBox_Change(); });

    const auto shortcut = [this](const QKeySequence& keys, auto handler) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, handler);
    };
    shortcut(QKeySequence::ZoomIn, [this] { PushButton1_Click(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { PushButton1_Click(); }); // plus without Shift
    shortcut(QKeySequence::ZoomOut, [this] { PushButton2_Click(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { SetZoom(1.0f); });
    shortcut(QKeySequence::Print, [this] { PrintButton_Click(); });

    choosePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
}

// --- load and activation ---

void Form2::Form_Load() {
    ErrorTrap trap(location("Form_Load"));
    trap.step(1, [&] { mSetupPending = true; });
    trap.step(2, [&] { ApplyButtonFaceColors(*this); });
    trap.step(3, [&] { setWindowTitle(QStringLiteral("Quorvel Tabwright")); });
    trap.step(4, [&] {
        if (std::optional<QCursor> hand = loadHandCursor(mProgramFolder))
            mPointer->setHandCursor(std::move(hand));
    });
}

void Form2::setPicture(const sheet::VectorPicture& picture) {
    Picture1->setPicture(picture, mScale.toPixels(naturalTwips(picture)));
    // Every new picture gets the set-up, not only the first one: zoom 1.0 and
    // scroll ranges that fit it, rather than the sizes of an earlier sheet.
    mSetupPending = true;
    if (isVisible())
        Form_Activate();
}

void Form2::loadPictureFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(("File not found: " + path).toStdString());
    const QByteArray bytes = file.readAll();
    file.close();
    sheet::VectorPicture picture;
    if (sheet::VectorPicture::hasMagic(bytes)) {
        if (!picture.setData(bytes))
            throw std::runtime_error("Invalid picture");
    } else {
        const QImage image = QImage::fromData(bytes);
        if (image.isNull())
            throw std::runtime_error("Invalid picture");
        QPainter painter(&picture);
        painter.drawImage(0, 0, image);
    }
    setPicture(picture);
}

void Form2::Form_Activate() {
    if (!mSetupPending)
        return;
    ErrorTrap trap(location("Form_Activate"));
    trap.step(1, [&] {
        mGeometry.autoSizePicture1(naturalTwips(Picture1->picture()));
        syncPicture1Position();
    });
    trap.step(2, [&] {
        mZoomOri = Picture1->picture();
        mGeometry.copyToZoomOri();
    });
    trap.step(3, [&] { mGeometry.resetZoom(); });
    trap.step(6, [&] { RedrawImage(); });
    trap.step(7, [&] {
        SetupScrollBars();
        showZoomLevel();
    });
    // The layout this generation was printed with, and its pages.
    trap.step(8, [&] {
        PageLayoutBox->setCurrentIndex(storedPageFit() == sheet::PageFit::PageWidth ? 1 : 0);
        updatePageBreaks();
    });
    mSetupPending = false;
}

bool Form2::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QWidget::event(event);
}

void Form2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Nothing to save until a generation has handed over its workbook.
    PushButton6->setEnabled(!mExcelFile.isEmpty());
    if (!mCentred) {
        if (const QScreen* screen = this->screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
        mCentred = true;
    }
    // Showing the window activates it; the window manager may deliver the
    // activation late or not at all, and the view must be ready when first seen.
    Form_Activate();
}

// --- zoom and scrolling ---

void Form2::RedrawImage() {
    RedrawImage(std::nullopt);
}

void Form2::RedrawImage(std::optional<TwipsSize> anchor) {
    ErrorTrap trap(location("RedrawImage"));
    bool repaint = false;
    trap.step(1, [&] { repaint = mGeometry.redrawImage(anchor); });
    if (!repaint)
        return;
    trap.step(4, [&] {
        Picture1->drawStretched(
            mZoomOri, mScale.toPixels(TwipsSize{double(mGeometry.zoomWidth()), double(mGeometry.zoomHeight())}));
    });
    trap.step(5, [&] { setMousePointer(MousePointer::Default); });
    trap.step(6, [&] {
        syncScrollBars();
        syncPicture1Position();
        showZoomLevel();
    });
}

void Form2::SetupScrollBars() {
    mGeometry.setupScrollBars();
    syncPicture1Position();
    syncScrollBars();
}

void Form2::ZoomStep(int direction, std::optional<TwipsSize> anchor) {
    if (mGeometry.zoomStep(direction))
        RedrawImage(anchor);
}

void Form2::SetZoom(float factor, std::optional<TwipsSize> anchor) {
    if (mGeometry.setZoom(factor))
        RedrawImage(anchor);
}

void Form2::showZoomLevel() {
    ZoomLevelLabel->setText(QString::number(std::lround(mGeometry.zoom() * 100.0)) + QLatin1Char('%'));
}

void Form2::FitWidthButton_Click() {
    ErrorTrap trap(location("FitWidthButton_Click"));
    trap.step(1, [&] { SetZoom(mGeometry.fitZoom(mGeometry.origWidth(), 0)); });
}

void Form2::FitPageButton_Click() {
    ErrorTrap trap(location("FitPageButton_Click"));
    // One printed page whole; without known pages, the whole sheet.
    trap.step(1, [&] {
        const double height = mTallestPage > 0 ? mTallestPage * kPictureTwipsPerPixel : mGeometry.origHeight();
        SetZoom(mGeometry.fitZoom(mGeometry.origWidth(), height));
    });
}

void Form2::PushButton1_Click() {
    ErrorTrap trap(location("PushButton1_Click"));
    trap.step(1, [&] { ZoomStep(0); });
}

void Form2::PushButton2_Click() {
    ErrorTrap trap(location("PushButton2_Click"));
    trap.step(1, [&] { ZoomStep(1); });
}

void Form2::HScroll1_Change() {
    mGeometry.setScrollValue(Orientation::Horizontal, HScroll1->value());
    syncPicture1Position();
}

void Form2::VScroll1_Change() {
    mGeometry.setScrollValue(Orientation::Vertical, VScroll1->value());
    syncPicture1Position();
}

void Form2::SetHScrollbarByPercent(QScrollBar* HScrollbar, int percent) {
    if (HScrollbar == HScroll1 || HScrollbar == VScroll1) {
        mGeometry.setScrollbarByPercent(HScrollbar == HScroll1 ? Orientation::Horizontal : Orientation::Vertical,
                                        percent);
        syncScrollBars();
        syncPicture1Position();
    } else if (const auto value = scrollValueForPercent(percent, HScrollbar->maximum())) {
        HScrollbar->setValue(*value);
    }
}

void Form2::SetVScrollbarByPercent(QScrollBar* VScrollbar, int percent) {
    SetHScrollbarByPercent(VScrollbar, percent);
}

void Form2::syncPicture1Position() {
    Picture1->setGeometry(pixels(mGeometry.picture1Left(), mGeometry.picture1Top(), mGeometry.picture1Width(),
                                 mGeometry.picture1Height()));
}

void Form2::syncScrollBars() {
    const std::pair<QScrollBar*, const PreviewScrollBar*> bars[] = {{HScroll1, &mGeometry.hScroll()},
                                                                    {VScroll1, &mGeometry.vScroll()}};
    for (const auto& [bar, model] : bars) {
        const QSignalBlocker blocker(bar);
        bar->setRange(0, model->maximum);
        bar->setSingleStep(model->singleStep);
        bar->setPageStep(model->pageStep);
        bar->setValue(model->value);
        bar->setEnabled(model->enabled);
    }
}

// --- drag-to-pan ---

void Form2::picture1_MouseDown(int /*button*/, int /*shift*/, float x, float y) {
    ErrorTrap trap(location("picture1_MouseDown"));
    trap.step(1, [&] { mGeometry.mouseDown(x, y); });
}

void Form2::picture1_MouseMove(int button, int /*shift*/, float x, float y) {
    ErrorTrap trap(location("picture1_MouseMove"));
    trap.step(1, [&] {
        if (mGeometry.mouseMove(button != 0, x, y))
            syncPicture1Position();
    });
}

void Form2::Picture1_MouseUp(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {
    ErrorTrap trap(location("Picture1_MouseUp"));
    std::optional<int> pctX;
    std::optional<int> pctY;
    trap.step(1, [&] { pctX = mGeometry.releasePercent(Orientation::Horizontal); });
    trap.step(2, [&] { pctY = mGeometry.releasePercent(Orientation::Vertical); });
    trap.step(3, [&] {
        if (pctX)
            SetHScrollbarByPercent(HScroll1, *pctX);
    });
    trap.step(4, [&] {
        if (pctY)
            SetVScrollbarByPercent(VScroll1, *pctY);
    });
}

// --- mouse over the picture ---

bool Form2::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Wheel && (watched == Picture1 || watched == Picture2 || watched == mViewportArea)) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint delta = wheel->angleDelta();
        if (wheel->modifiers() & Qt::ControlModifier) {
            const QPointF at = static_cast<QWidget*>(watched)->mapTo(mViewportArea, wheel->position());
            wheelZoom(delta.y(), at);
        } else if (delta.x() != 0 || (wheel->modifiers() & Qt::ShiftModifier)) {
            wheelScroll(HScroll1, delta.x() != 0 ? delta.x() : delta.y());
        } else {
            wheelScroll(VScroll1, delta.y());
        }
        return true;
    }
    if (watched == Picture1 && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
                                type == QEvent::MouseMove || type == QEvent::MouseButtonRelease)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto x = static_cast<float>(mScale.toTwips(mouse->position().x()));
        const auto y = static_cast<float>(mScale.toTwips(mouse->position().y()));
        const int shift = shiftBits(mouse->modifiers());
        if (type == QEvent::MouseMove)
            picture1_MouseMove(buttonBits(mouse->buttons()), shift, x, y);
        else if (type == QEvent::MouseButtonRelease)
            Picture1_MouseUp(buttonBits(mouse->button()), shift, x, y);
        else // a press, or the second press of a double click
            picture1_MouseDown(buttonBits(mouse->button()), shift, x, y);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Form2::wheelScroll(QScrollBar* bar, int delta) {
    // Three rows a notch, as wheels scroll everywhere else.
    const int units = static_cast<int>(std::lround(delta / 120.0 * 3 * bar->singleStep()));
    bar->setValue(bar->value() - units);
}

void Form2::wheelZoom(int delta, QPointF pointer) {
    mWheelZoomDelta += delta;
    const TwipsSize anchor{mScale.toTwips(pointer.x()), mScale.toTwips(pointer.y())};
    // Fine-grained wheels send small turns; a step comes with each whole notch.
    while (std::abs(mWheelZoomDelta) >= 120) {
        const int direction = mWheelZoomDelta > 0 ? 0 : 1;
        mWheelZoomDelta += direction == 0 ? -120 : 120;
        ErrorTrap trap(location(direction == 0 ? "PushButton1_Click" : "PushButton2_Click"));
        trap.step(1, [&] { ZoomStep(direction, anchor); });
    }
}

void Form2::keyPressEvent(QKeyEvent* event) {
    using Action = QAbstractSlider::SliderAction;
    struct KeyAction {
        int key;
        QScrollBar* bar;
        Action action;
    };
    const KeyAction actions[] = {
        {Qt::Key_Up, VScroll1, Action::SliderSingleStepSub},   {Qt::Key_Down, VScroll1, Action::SliderSingleStepAdd},
        {Qt::Key_Left, HScroll1, Action::SliderSingleStepSub}, {Qt::Key_Right, HScroll1, Action::SliderSingleStepAdd},
        {Qt::Key_PageUp, VScroll1, Action::SliderPageStepSub}, {Qt::Key_PageDown, VScroll1, Action::SliderPageStepAdd},
        {Qt::Key_Home, VScroll1, Action::SliderToMinimum},     {Qt::Key_End, VScroll1, Action::SliderToMaximum},
    };
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        for (const KeyAction& a : actions) {
            if (event->key() == a.key) {
                a.bar->triggerAction(a.action);
                return;
            }
        }
    }
    QWidget::keyPressEvent(event);
}

// --- pages, printing and PDF ---

void Form2::updatePageBreaks() {
    mPageBreaks.clear();
    mTallestPage = 0;
    std::shared_ptr<const ShownSheet> shown;
    if (!mExcelFile.isEmpty() && FileExists(mExcelFile)) {
        try {
            PrintedSheet printed = readPrintedSheet(mExcelFile);
            const sheet::Sheet& sh = printed.sheet();
            const sheet::PrintLayout layout = sheet::layoutPages(sh, printed.range, sheet::pageLayoutOf(sh.pageSetup));
            auto sheet = std::make_shared<ShownSheet>(std::move(printed));
            const sheet::SheetGeometry& geometry = sheet->geometry;
            for (const sheet::PrintedPage& page : layout.pages) {
                if (page.firstRow != sheet->printed.range.firstRow)
                    mPageBreaks.push_back(geometry.rowY(page.firstRow) - 1);
                mTallestPage = std::max(mTallestPage, geometry.rowY(page.lastRow + 1) - geometry.rowY(page.firstRow));
            }
            // The workbook is the one the picture was made from when their sizes agree.
            if (geometry.size() == Picture1->picture().boundingRect().size())
                shown = std::move(sheet);
        } catch (const std::exception&) {
            // A workbook that cannot be read has no pages to show; printing says why.
            mPageBreaks.clear();
            mTallestPage = 0;
        }
    }
    Picture1->setPageBreaks(mPageBreaks);
    // Painting from the workbook costs what is in sight; replaying the picture, all of it.
    if (shown)
        Picture1->setBandPainter([shown](QPainter& painter, int top, int bottom) {
            const PrintedSheet& p = shown->printed;
            sheet::paintBand(painter, *p.book, p.sheet(), shown->geometry, top, bottom);
        });
    else
        Picture1->setBandPainter({});
}

void Form2::PrintButton_Click() {
    ErrorTrap trap(location("PrintButton_Click"));
    trap.step(1, [&] {
        const PrintedSheet printed = readPrintedSheet(mExcelFile);
        const sheet::Sheet& sh = printed.sheet();
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(QString::fromStdString(sh.name));
        printer.setCreator(QStringLiteral("Quorvel Tabwright"));
        printer.setPageLayout(sheet::pageLayoutOf(sh.pageSetup));
        if (!choosePrinter || !choosePrinter(printer))
            return;
        // The paper the user chose in the dialog, with the sheet's own fit.
        QPageLayout paper = printer.pageLayout();
        paper.setMode(QPageLayout::StandardMode);
        const sheet::PrintLayout layout = sheet::layoutPages(sh, printed.range, paper);
        if (!sheet::printPages(printer, *printed.book, sh, layout))
            throw std::runtime_error("The printer could not print the sheet.");
    });
}

bool Form2::mayOverwrite(const QString& name) {
    if (!FileExists(name))
        return true;
    return prompt().message(QStringLiteral("Are you sure you wish to overwrite ") + name + QStringLiteral(" ?"),
                            QString(), Prompt::Icon::None, Prompt::Buttons::YesNo,
                            Prompt::Answer::Yes) == Prompt::Answer::Yes;
}

void Form2::SavePdfButton_Click() {
    ErrorTrap trap(location("SavePdfButton_Click"));
    QString name;
    trap.step(1, [&] {
        name = prompt().saveFileName(QStringLiteral("Save as PDF"), QStringLiteral("PDF Files (*.pdf)|*.pdf|"));
        if (!name.isEmpty() && !mayOverwrite(name))
            name.clear();
    });
    if (name.isEmpty())
        return;
    trap.step(2, [&] {
        const PrintedSheet printed = readPrintedSheet(mExcelFile);
        writeFileReplacing(name, sheet::pdfOf(*printed.book, printed.sheet(), printed.range));
    });
    if (trap.failures() > 0)
        return;
    trap.step(3, [&] { sayDone(); });
}

void Form2::PageLayoutBox_Change() {
    ErrorTrap trap(location("PageLayoutBox_Change"));
    const sheet::PageFit fit = PageLayoutBox->currentIndex() == 1 ? sheet::PageFit::PageWidth : sheet::PageFit::OnePage;
    trap.step(1, [&] {
        SettingsStore store;
        store.write(settings::kPageLayout, PageLayoutBox->currentText());
        store.sync();
    });
    // The workbook prints the same way: its page setup changes, nothing else.
    trap.step(2, [&] {
        if (mExcelFile.isEmpty() || !FileExists(mExcelFile))
            return;
        PrintedSheet printed = readPrintedSheet(mExcelFile);
        sheet::applyPageFit(printed.sheet().pageSetup, fit);
        sheet::xls::writeFile(*printed.book, mExcelFile.toStdString());
    });
    trap.step(3, [&] { updatePageBreaks(); });
}

// --- save, back and close ---

void Form2::PushButton6_Click() {
    ErrorTrap trap(location("PushButton6_Click"));
    QString name;
    bool overwrite = false;
    trap.step(4, [&] {
        name = prompt().saveFileName(
            QStringLiteral("Save File"),
            QStringLiteral("Excel 97-2003 Workbook (*.xls)|*.xls|Excel Workbook (*.xlsx)|*.xlsx|"));
    });
    trap.step(6, [&] {
        if (!name.isEmpty())
            overwrite = mayOverwrite(name);
    });
    // The old file is not deleted first: the copy replaces it in one step, so a
    // failed copy leaves it as it was.
    trap.step(7, [&] {
        if (!overwrite)
            return;
        if (name.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
            sheet::xlsx::writeFile(*sheet::xls::readFile(mExcelFile.toStdString()), name.toStdString());
        else
            copyFileReplacing(mExcelFile, name);
    });
    // After an error report, "Done." would claim a save that did not happen.
    if (trap.failures() > 0)
        return;
    trap.step(8, [&] { sayDone(); });
}

void Form2::PushButton8_Click() {
    ErrorTrap trap(location("PushButton8_Click"));
    trap.step(1, [&] { DeleteFileQuietly(mExcelFile); });
    trap.step(2, [&] {
        if (mMainWindow)
            mMainWindow->show();
    });
    trap.step(3, [&] { hide(); });
}

void Form2::Form_QueryUnload() {
    ErrorTrap trap(location("Form_QueryUnload"));
    trap.step(1, [&] { DeleteFileQuietly(mExcelFile); });
    trap.step(2, [&] {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    });
}

void Form2::Form_Unload() {
    ErrorTrap trap(location("Form_Unload"));
    // The hidden main window's own closing never runs when this window ends the
    // program, so the run's edits are kept here.
    trap.step(1, [&] {
        if (beforeProgramEnds)
            beforeProgramEnds();
    });
    trap.step(2, [&] {
        if (endProgram)
            endProgram();
    });
}

void Form2::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
    Form_Unload();
}
