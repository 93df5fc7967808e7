#include "preview/preview_window.h"

#include "app/error_trap.h"
#include "app/file_helpers.h"
#include "app/prompt.h"
#include "app/widgets/button_face.h"
#include "app/widgets/cursor_file.h"
#include "preview/picture_box.h"
#include "preview/workbook_copy.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

#include <stdexcept>

namespace {

using Orientation = PreviewGeometry::Orientation;

// Layout of the window, in twips: left, top, width, height.
constexpr double kClientWidth = 9840;
constexpr double kClientHeight = 9390;
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

TwipsSize naturalTwips(const QPicture& picture) {
    const QSize px = pictureNaturalSize(picture);
    return {px.width() * kPictureTwipsPerPixel, px.height() * kPictureTwipsPerPixel};
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
        bar->setSingleStep(1);
        bar->setPageStep(1);
        // Dragging the thumb moves nothing until it is let go.
        bar->setTracking(false);
    }
    connect(HScroll1, &QScrollBar::valueChanged, this, [this] { HScroll1_Change(); });
    connect(VScroll1, &QScrollBar::valueChanged, this, [this] { VScroll1_Change(); });

    Frame1 = new QGroupBox(QStringLiteral("Zoom:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(pixels(120, 7860, 9600, 855));

    PushButton1 = new QPushButton(QStringLiteral("Zoom In"), Frame1);
    PushButton1->setGeometry(pixels(240, 300, 4440, 405));
    PushButton2 = new QPushButton(QStringLiteral("Zoom Out"), Frame1);
    PushButton2->setGeometry(pixels(4800, 300, 4560, 405));
    PushButton8 = new QPushButton(QStringLiteral("< Back"), this);
    PushButton8->setGeometry(pixels(120, 8850, 4680, 405));
    PushButton6 = new QPushButton(QStringLiteral("Save Results To Excel File"), this);
    PushButton6->setGeometry(pixels(4920, 8850, 4800, 405));

    QFont buttonFont(QStringLiteral("Arial"));
    buttonFont.setPointSizeF(11.25);
    buttonFont.setBold(true);
    const std::pair<QPushButton*, const char*> buttons[] = {{PushButton1, "PushButton1"},
                                                            {PushButton2, "PushButton2"},
                                                            {PushButton8, "PushButton8"},
                                                            {PushButton6, "PushButton6"}};
    for (const auto& [button, name] : buttons) {
        button->setObjectName(QLatin1String(name));
        button->setFont(buttonFont);
    }
    mPointer = new WindowPointer(*this);
    mPointer->watchButtons({PushButton1, PushButton2, PushButton8, PushButton6});
    mPointer->watchBackground({Frame1});
    // Moves over the viewport and the bars are not moves over the window's background.
    for (QWidget* child : {static_cast<QWidget*>(Picture2), static_cast<QWidget*>(HScroll1),
                           static_cast<QWidget*>(VScroll1), static_cast<QWidget*>(Frame1)})
        child->setAttribute(Qt::WA_NoMousePropagation);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
    connect(PushButton6, &QPushButton::clicked, this, [this] { PushButton6_Click(); });
    connect(PushButton8, &QPushButton::clicked, this, [this] { PushButton8_Click(); });
}

// --- load and activation ---

void Form2::Form_Load() {
    ErrorTrap trap(location("Form_Load"));
    trap.step(1, [&] { mSetupPending = true; });
    trap.step(2, [&] { ApplyButtonFaceColors(*this); });
    trap.step(3, [&] { setWindowTitle(QStringLiteral("Quorvel Tabwright")); });
    trap.step(4, [&] {
        const QString path = mProgramFolder + QStringLiteral("/HAND-M.CUR");
        if (FileExists(path))
            mPointer->setHandCursor(loadCursorFile(path));
    });
}

void Form2::setPicture(const QPicture& picture) {
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
    const bool isQPicture = file.peek(4) == QByteArrayLiteral("QPIC");
    file.close();
    QPicture picture;
    if (isQPicture) {
        if (!picture.load(path))
            throw std::runtime_error("Invalid picture");
    } else {
        const QImage image(path);
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
    trap.step(7, [&] { SetupScrollBars(); });
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
    ErrorTrap trap(location("RedrawImage"));
    bool repaint = false;
    trap.step(1, [&] { repaint = mGeometry.applyZoomToPicture1(); });
    if (!repaint)
        return;
    trap.step(3, [&] { syncPicture1Position(); });
    trap.step(4, [&] {
        Picture1->drawStretched(
            mZoomOri, mScale.toPixels(TwipsSize{double(mGeometry.zoomWidth()), double(mGeometry.zoomHeight())}));
    });
    trap.step(5, [&] { setMousePointer(MousePointer::Default); });
    trap.step(6, [&] {
        mGeometry.resetScrollValues();
        syncScrollBars();
        syncPicture1Position();
    });
    trap.step(7, [&] {
        mGeometry.updateScrollEnabled();
        syncScrollBars();
    });
}

void Form2::SetupScrollBars() {
    mGeometry.setupScrollBars();
    syncPicture1Position();
    syncScrollBars();
}

void Form2::ZoomStep(int direction) {
    const float increment = PreviewGeometry::kZoomIncrement;
    SetZoom(direction == 0 ? mGeometry.zoom() + increment : mGeometry.zoom() - increment);
}

void Form2::SetZoom(float factor) {
    if (mGeometry.setZoom(factor))
        RedrawImage();
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

// --- save, back and close ---

void Form2::PushButton6_Click() {
    ErrorTrap trap(location("PushButton6_Click"));
    QString name;
    bool overwrite = false;
    trap.step(4, [&] {
        name = prompt().saveFileName(QStringLiteral("Save File"), QStringLiteral("Excel Files (*.xls)|*.xls|"));
    });
    trap.step(6, [&] {
        if (name.isEmpty())
            return;
        if (FileExists(name)) {
            overwrite =
                prompt().message(QStringLiteral("Are you sure you wish to overwrite ") + name + QStringLiteral(" ?"),
                                 QString(), Prompt::Icon::None, Prompt::Buttons::YesNo,
                                 Prompt::Answer::Yes) == Prompt::Answer::Yes;
        } else {
            overwrite = true;
        }
    });
    // The old file is not deleted first: the copy replaces it in one step, so a
    // failed copy leaves it as it was.
    trap.step(7, [&] {
        if (overwrite)
            copyFileReplacing(mExcelFile, name);
    });
    // After an error report, "Done." would claim a save that did not happen.
    if (trap.failures() > 0)
        return;
    trap.step(8, [&] {
        prompt().message(QStringLiteral("Done."), QString(), Prompt::Icon::None, Prompt::Buttons::Ok,
                         Prompt::Answer::Ok);
    });
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
