#include "phonelist/window/main_window.h"

#include "app/error_trap.h"
#include "app/prompt.h"
#include "app/startup.h"
#include "app/temp_files.h"
#include "app/widgets/window_startup.h"
#include "app/file_helpers.h"
#include "phonelist/files/list_input.h"
#include "phonelist/list_commands.h"
#include "phonelist/list_persistence.h"
#include "phonelist/phone_list_table.h"
#include "phonelist/row_commands.h"
#include "phonelist/sample_data.h"
#include "phonelist/window/phone_list_model.h"
#include "phonelist/window/report_windows.h"
#include "preview/workbook_copy.h"
#include "sheet/report/report_driver.h"
#include "sheet/report/spreadsheet_host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCollator>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QTableView>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

namespace {

const QString kWhere = QStringLiteral("Quorvel2021/08/31.Form1.");

QString location(const char* handler) {
    return kWhere + QString::fromLatin1(handler) + QLatin1Char(' ');
}

QFont arialBold(double points) {
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(points);
    f.setBold(true);
    return f;
}

// A small sheet with a dark-blue header row: what the program makes.
QIcon appIcon() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(Qt::white);
    p.drawRect(3, 2, 25, 28);
    p.fillRect(4, 3, 24, 6, QColor(0x00, 0x00, 0x80));
    p.setPen(QColor(0x99, 0x99, 0x99));
    for (int y = 13; y < 30; y += 4)
        p.drawLine(6, y, 25, y);
    p.drawLine(13, 10, 13, 29);
    return QIcon(pm);
}

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent), mReportWindows(std::make_unique<PreviewHandOver>(*this)) {
    createControls();
    const QSize first(twipsToPixels(kLayoutWidth), twipsToPixels(kLayoutHeight));
    setMinimumSize(first);
    resize(first);
    placeControls();
    Form_Load();
}

Form1::~Form1() {
    // QWidget's destructor hides the window, which can still commit an open
    // in-place edit; this object's members are gone by then.
    if (PhoneListModel* model = phoneListModel(*DataGrid1))
        disconnect(model, nullptr, this, nullptr);
}

int Form1::twipsToPixels(int twips) const {
    const int dpi = logicalDpiX();
    if (dpi == 96 || dpi <= 0)
        return (twips + 7) / 15;
    return qRound(twips * dpi / 1440.0);
}

void Form1::createControls() {
    setObjectName(QStringLiteral("Form1"));
    setFont(arialBold(9));
    // A white ground needs dark text, whatever the desktop's theme says.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    pal.setColor(QPalette::PlaceholderText, QColor(0x80, 0x80, 0x80));
    setPalette(pal);
    setAutoFillBackground(true);

    auto button = [](const char* name, const QString& caption, QWidget* parent) {
        auto* b = new QPushButton(caption, parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(arialBold(11.25));
        return b;
    };
    PushButton22 = button("PushButton22", QStringLiteral("&Start Creating Template"), this);
    PushButton6 = button("PushButton6", QStringLiteral("&Help"), this);
    PushButton7 = button("PushButton7", QStringLiteral("&Load Sample/Example Data"), this);

    Frame2 = new QGroupBox(QStringLiteral("Telephone List data:"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));

    DataGrid1 = new QTableView(Frame2);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setFont(arialBold(9));
    DataGrid1->horizontalHeader()->setFont(arialBold(9));
    DataGrid1->verticalHeader()->setFont(arialBold(9));
    DataGrid1->setToolTip(
        QStringLiteral("To enter Description select row and type Description. Then press Enter to finish changes."));
    QPalette gridPal = DataGrid1->palette();
    gridPal.setColor(QPalette::Base, Qt::white);
    gridPal.setColor(QPalette::AlternateBase, QColor(0xf4, 0xf4, 0xf4));
    gridPal.setColor(QPalette::Text, Qt::black);
    DataGrid1->setPalette(gridPal);
    // Tab leaves the grid for the commands; the arrow keys move inside it.
    DataGrid1->setTabKeyNavigation(false);
    DataGrid1->setWordWrap(false);
    DataGrid1->horizontalHeader()->setHighlightSections(false);
    DataGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DataGrid1->verticalHeader()->setDefaultSectionSize(DataGrid1->fontMetrics().height() + 4);

    PushButton2 = button("PushButton2", QStringLiteral("&Insert Below Selected Row"), Frame2);
    PushButton3 = button("PushButton3", QStringLiteral("Delete &All"), Frame2);
    PushButton1 = button("PushButton1", QStringLiteral("&Delete Selected Row"), Frame2);
    ImportButton = button("ImportButton", QStringLiteral("I&mport..."), Frame2);
    ExportListButton = button("ExportListButton", QStringLiteral("&Export List..."), Frame2);
    SortButton = button("SortButton", QStringLiteral("S&ort"), Frame2);
    ImportButton->setToolTip(QStringLiteral("Bring in a list from a CSV, vCard, .xls, .xlsx or .ods file"));
    SortButton->setToolTip(QStringLiteral("Order the list by Last Name, then First Name"));

    TitleLabel = new QLabel(QStringLiteral("&Title:"), this);
    TitleLabel->setObjectName(QStringLiteral("TitleLabel"));
    TitleEdit = new QLineEdit(this);
    TitleEdit->setObjectName(QStringLiteral("TitleEdit"));
    TitleEdit->setPlaceholderText(QString::fromLatin1(settings::kTitleDefault));
    TitleEdit->setMaxLength(255);
    TitleLabel->setBuddy(TitleEdit);

    // A file dropped on the grid is imported.
    DataGrid1->viewport()->setAcceptDrops(true);
    DataGrid1->viewport()->installEventFilter(this);

    connect(PushButton22, &QPushButton::clicked, this, &Form1::PushButton22_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(ImportButton, &QPushButton::clicked, this, &Form1::ImportButton_Click);
    connect(ExportListButton, &QPushButton::clicked, this, &Form1::ExportListButton_Click);
    connect(SortButton, &QPushButton::clicked, this, &Form1::SortButton_Click);
    connect(TitleEdit, &QLineEdit::editingFinished, this, &Form1::TitleEdit_Change);

    // Keys for the commands a user reaches for most.
    const auto shortcut = [this](const QKeySequence& keys, QPushButton* target) {
        connect(new QShortcut(keys, this), &QShortcut::activated, target, [target] {
            if (target->isEnabled())
                target->click();
        });
    };
    shortcut(QKeySequence(Qt::Key_Insert), PushButton2);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete), PushButton1);
    shortcut(QKeySequence(Qt::Key_F1), PushButton6);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), PushButton22);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Enter), PushButton22);

    // Tab order: grid, then the buttons as the window has always had them.
    DataGrid1->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(DataGrid1, PushButton22);
    setTabOrder(PushButton22, PushButton2);
    setTabOrder(PushButton2, PushButton3);
    setTabOrder(PushButton3, PushButton1);
    setTabOrder(PushButton1, PushButton6);
    setTabOrder(PushButton6, PushButton7);
    setTabOrder(PushButton7, ImportButton);
    setTabOrder(ImportButton, ExportListButton);
    setTabOrder(ExportListButton, SortButton);
    setTabOrder(SortButton, TitleEdit);

    mKeeper = new ListKeeper(mStore, 400, this);
    mPointer = new WindowPointer(*this);
    mPointer->watchButtons({PushButton22, PushButton6, PushButton7, PushButton2, PushButton3, PushButton1, ImportButton,
                            ExportListButton, SortButton});
    // The grid counts as background for the pointer: its cells, its headers and its frame.
    mPointer->watchBackground({Frame2, DataGrid1, DataGrid1->viewport(), DataGrid1->horizontalHeader()->viewport(),
                               DataGrid1->verticalHeader()->viewport()});
}

// The layout in twips at the window's first size (8040 x 6705); a larger window
// gives the grid the room, and the commands keep their places relative to the
// window's edges, widened in proportion.
void Form1::placeControls() {
    const int dx = std::max(0, pixelsToTwips(width()) - kLayoutWidth);
    const int dy = std::max(0, pixelsToTwips(height()) - kLayoutHeight);
    auto place = [this](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
    };
    // Along a row of commands inside the frame: x and width grow with the grid.
    const auto across = [dx](int twips) { return 240 + (twips - 240) * (7290 + dx) / 7290; };
    const auto wide = [dx](int twips) { return twips * (7290 + dx) / 7290; };
    place(PushButton22, 120, 120, 7800 + dx, 400);
    place(PushButton6, 120, 630, 3840 + dx / 2, 405);
    place(PushButton7, 4080 + dx / 2, 630, 3840 + dx - dx / 2, 405);
    place(Frame2, 120, 1110, 7800 + dx, 5010 + dy);
    place(DataGrid1, 255, 300, 7290 + dx, 3540 + dy);
    place(PushButton2, across(240), 3945 + dy, wide(3135), 405);
    place(PushButton3, across(3480), 3945 + dy, wide(1455), 405);
    place(PushButton1, across(5040), 3945 + dy, wide(2505), 405);
    place(ImportButton, across(240), 4455 + dy, wide(2400), 405);
    place(ExportListButton, across(2760), 4455 + dy, wide(2400), 405);
    place(SortButton, across(5280), 4455 + dy, wide(2265), 405);
    place(TitleLabel, 120, 6225 + dy, 840, 345);
    place(TitleEdit, 960, 6210 + dy, 6960 + dx, 375);
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeControls();
}

int Form1::pixelsToTwips(int pixels) const {
    const int dpi = logicalDpiX();
    return dpi > 0 ? qRound(pixels * 1440.0 / dpi) : pixels * 15;
}

// The window's size and the grid's column widths as the user left them.
void Form1::restoreWindowState() {
    const QStringList size = mStore.read(settings::kWindowSize, QString()).split(QLatin1Char('x'));
    if (size.size() == 2) {
        bool okW = false;
        bool okH = false;
        const int w = size[0].toInt(&okW);
        const int h = size[1].toInt(&okH);
        if (okW && okH)
            resize(std::clamp(w, minimumWidth(), 16000), std::clamp(h, minimumHeight(), 16000));
    }
    const QStringList widths = mStore.read(settings::kColumnWidths, QString()).split(QLatin1Char(','));
    if (widths.size() == PhoneListTable::kFieldCount) {
        for (int c = 0; c < PhoneListTable::kFieldCount; ++c) {
            bool ok = false;
            const int w = widths[c].toInt(&ok);
            if (ok && w >= 8 && w <= 4000)
                DataGrid1->setColumnWidth(c, w);
        }
    }
}

void Form1::storeWindowState() {
    mStore.write(settings::kWindowSize, QStringLiteral("%1x%2").arg(width()).arg(height()));
    QStringList widths;
    for (int c = 0; c < PhoneListTable::kFieldCount; ++c)
        widths << QString::number(DataGrid1->columnWidth(c));
    mStore.write(settings::kColumnWidths, widths.join(QLatin1Char(',')));
}

void Form1::Form_Load() {
    ErrorTrap trap(location("Form_Load"));
    trap.step(1, [&] { ApplyOptionalSkin(*this); });
    trap.step(2, [&] { setWindowTitle(QString::fromLatin1(kProductDisplayName)); });
    trap.step(3, [&] { setWindowIcon(appIcon()); });
    trap.step(4, [&] { SetAppTitle(); });
    trap.step(5, [&] { mPointer->setHandCursor(loadHandCursor()); });
    trap.step(5, [&] {
        // Told once, here, rather than as an empty list or at the close.
        mKeeper->reportFailure = [](const QString& text) {
            prompt().message(text, QString(), Prompt::Icon::Warning, Prompt::Buttons::Ok, Prompt::Answer::Ok);
        };
        if (!mKeeper->claim()) {
            prompt().message(ListKeeper::openElsewhereText(), QString(), Prompt::Icon::Information, Prompt::Buttons::Ok,
                             Prompt::Answer::Ok);
            DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
            for (QPushButton* b : {PushButton2, PushButton3, PushButton1, PushButton7, ImportButton, SortButton})
                b->setEnabled(false);
            TitleEdit->setReadOnly(true);
        }
    });
    trap.step(5, [&] {
        try {
            mStore.checkReadable();
        } catch (const std::exception& e) {
            prompt().message(QString::fromUtf8(e.what()) +
                                 QStringLiteral("\r\n\r\nThe list starts empty. Make the file readable and start "
                                                "the program again to see the stored list."),
                             QString(), Prompt::Icon::Warning, Prompt::Buttons::Ok, Prompt::Answer::Ok);
        }
    });
    // Workbooks left behind by a run that was killed hold the user's list.
    probe([] { removeStaleTemporaryWorkbooks(temporaryFolder()); });
    trap.step(6, [&] { gPhoneList = CreatePhoneListTable(); });
    trap.step(7, [&] {
        LoadPhoneList(*gPhoneList, mStore, [&](const std::function<void()>& statement) { trap.step(7, statement); });
    });
    trap.step(8, [&] { bindGrid(); });
    trap.step(8, [&] { TitleEdit->setText(mStore.read(settings::kTitle, QString())); });
    trap.step(8, [&] { restoreWindowState(); });
    trap.step(9, [&] {
        if (!gPhoneList->atEof())
            gPhoneList->MoveFirst();
    });
    trap.step(10, [&] { sheet::CheckExcelInstalled(); });
    trap.step(11, [&] {
        // Centred on the screen when first shown; the grid starts with the focus.
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        DataGrid1->setFocus();
    });
}

void Form1::bindGrid() {
    BindPhoneListGrid(*DataGrid1, gPhoneList);
    PhoneListModel* model = phoneListModel(*DataGrid1);
    if (model && !model->property("stampsConnected").toBool()) {
        connect(model, &PhoneListModel::cellEditStored, this, &Form1::StampLastUpdated);
        connect(model, &PhoneListModel::rowEditStored, this, &Form1::StampLastUpdated);
        connect(model, &PhoneListModel::cellEditStored, mKeeper, &ListKeeper::changed);
        connect(model, &PhoneListModel::rowEditStored, mKeeper, &ListKeeper::changed);
        model->setProperty("stampsConnected", true);
        // Wide enough for each heading.
        const QFontMetrics fm(DataGrid1->horizontalHeader()->font());
        for (int c = 0; c < PhoneListTable::kFieldCount; ++c)
            DataGrid1->setColumnWidth(c, fm.horizontalAdvance(PhoneListTable::fieldNames()[std::size_t(c)]) +
                                             twipsToPixels(360));
    }
}

void Form1::commitPendingEdit() {
    // Text still in the grid's in-place editor counts as leaving the cell.
    for (auto* editor : DataGrid1->viewport()->findChildren<QLineEdit*>()) {
        if (!editor->isVisible())
            continue;
        emit DataGrid1->itemDelegate()->commitData(editor);
        emit DataGrid1->itemDelegate()->closeEditor(editor);
    }
}

void Form1::Form_QueryUnload() {
    commitPendingEdit();
    // The close writes the list itself, and a read-only window leaves the
    // other window's list as that window keeps it.
    mKeeper->stop();
    if (mKeeper->readOnly())
        return;
    ErrorTrap trap(location("Form_QueryUnload"));
    trap.step(1, [&] { storeWindowState(); });
    trap.step(1, [&] {
        SavePhoneList(*gPhoneList, mStore, [&](const std::function<void()>& statement) { trap.step(1, statement); });
    });
}

void Form1::Form_Unload() {
    // Ends the program: other windows go with this one and no further handler runs.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this)
            w->hide();
    QCoreApplication::exit(0);
}

void Form1::closeEvent(QCloseEvent* event) {
    if (!mUnloaded) {
        mUnloaded = true;
        Form_QueryUnload();
        Form_Unload();
    }
    event->accept();
}

void Form1::StampLastUpdated() {
    if (mKeeper->readOnly())
        return;
    mStore.write(settings::kLastUpdated, settings::nowText());
    // Written at once, so the sheet sees it; should that fail, the value stays
    // pending and the close writes it again and reports a failure there.
    probe([&] { mStore.sync(); });
}

// Start Creating Template. The trap lets every later step run after a failure,
// so the pointer and the redraw come back whatever the generation did.
void Form1::PushButton22_Click() {
    ErrorTrap trap(location("PushButton22_Click"));
    bool declined = false;
    trap.step(1, [&] { setUpdatesEnabled(false); });
    trap.step(2, [&] { declined = sheet::CheckExcelMayBeOpen(); });
    if (!declined) {
        trap.step(3, [&] { setMousePointer(MousePointer::Hourglass); });
        trap.step(4, [&] { OrganizationalTelephoneList::GenerateReport0(1, *mReportWindows); });
        trap.step(5, [&] { setMousePointer(MousePointer::Default); });
    }
    trap.step(6, [&] { setUpdatesEnabled(true); });
}

void Form1::PushButton6_Click() {
    ErrorTrap trap(location("PushButton6_Click"));
    trap.step(1, [&] {
        prompt().message(QStringLiteral("Questions? Please contact Team Brenmoor at https://www.brenmoor.com/contact/"),
                         QString(), Prompt::Icon::None, Prompt::Buttons::Ok, Prompt::Answer::Ok);
    });
}

void Form1::PushButton2_Click() {
    ErrorTrap trap(location("PushButton2_Click"));
    InsertBelowSelectedRow(trap, *gPhoneList);
    mKeeper->changed();
}

void Form1::PushButton1_Click() {
    ErrorTrap trap(location("PushButton1_Click"));
    DeleteSelectedRow(trap, listWindow());
    mKeeper->changed();
}

void Form1::PushButton3_Click() {
    ErrorTrap trap(location("PushButton3_Click"));
    DeleteAll(trap, mStore, listWindow());
    mKeeper->changed();
}

void Form1::PushButton7_Click() {
    ErrorTrap trap(location("PushButton7_Click"));
    LoadSampleData(trap, *gPhoneList);
    mKeeper->changed();
}

// --- lists in and out, sort, title ---

void Form1::ImportButton_Click() {
    ErrorTrap trap(location("ImportButton_Click"));
    QString path;
    trap.step(1, [&] {
        path = prompt().openFileName(
            QStringLiteral("Import List"),
            QStringLiteral(
                "Lists (*.csv *.tsv *.txt *.vcf *.xls *.xlsx *.ods)|*.csv;*.tsv;*.txt;*.vcf;*.xls;*.xlsx;*.ods|"
                "All Files (*)|*|"));
    });
    if (!path.isEmpty())
        importFile(path);
}

void Form1::importFile(const QString& path) {
    importList(QFileInfo(path).fileName(), [&path] { return readPhoneList(path); });
}

void Form1::importBytes(const QByteArray& bytes, const QString& name) {
    importList(name, [&] { return parsePhoneList(bytes, name); });
}

void Form1::importList(const QString& name, const std::function<std::vector<PhoneListRow>()>& read) {
    ErrorTrap trap(location("ImportButton_Click"));
    if (mKeeper->readOnly())
        return;
    std::vector<PhoneListRow> rows;
    try {
        rows = read();
    } catch (const InputError& e) {
        // The reader's message says what is wrong with which file; no error report.
        prompt().message(QString::fromUtf8(e.what()), QString(), Prompt::Icon::Warning, Prompt::Buttons::Ok,
                         Prompt::Answer::Ok);
        return;
    }
    if (rows.empty()) {
        prompt().message(QStringLiteral("There are no entries in ") + name + QLatin1Char('.'), QString(),
                         Prompt::Icon::Information, Prompt::Buttons::Ok, Prompt::Answer::Ok);
        return;
    }
    ImportMode mode = ImportMode::Replace;
    if (!FilledRows(*gPhoneList).empty()) {
        const Prompt::Answer answer = prompt().message(
            QStringLiteral("Replace the list with the %1 entries of %2?\r\n\r\n"
                           "Yes replaces the list; No adds the entries after its last one.")
                .arg(rows.size())
                .arg(name),
            QStringLiteral("Question"), Prompt::Icon::Question, Prompt::Buttons::YesNoCancel, Prompt::Answer::No);
        if (answer == Prompt::Answer::Cancel)
            return;
        mode = answer == Prompt::Answer::Yes ? ImportMode::Replace : ImportMode::Add;
    }
    commitPendingEdit();
    trap.step(2, [&] { setUpdatesEnabled(false); });
    trap.step(3, [&] { ImportRows(*gPhoneList, rows, mode); });
    trap.step(4, [&] { setUpdatesEnabled(true); });
    if (trap.failures() > 0)
        return;
    StampLastUpdated();
    mKeeper->changed();
}

void Form1::ExportListButton_Click() {
    ErrorTrap trap(location("ExportListButton_Click"));
    QString name;
    trap.step(1, [&] {
        commitPendingEdit();
        name = prompt().saveFileName(QStringLiteral("Export List"), QStringLiteral("CSV Files (*.csv)|*.csv|"));
    });
    if (name.isEmpty())
        return;
    if (FileExists(name) &&
        prompt().message(QStringLiteral("Are you sure you wish to overwrite ") + name + QStringLiteral(" ?"), QString(),
                         Prompt::Icon::None, Prompt::Buttons::YesNo, Prompt::Answer::Yes) != Prompt::Answer::Yes)
        return;
    trap.step(2, [&] { writeFileReplacing(name, phoneListCsv(FilledRows(*gPhoneList))); });
    if (trap.failures() > 0)
        return;
    trap.step(3, [&] {
        prompt().message(QStringLiteral("Done."), QString(), Prompt::Icon::None, Prompt::Buttons::Ok,
                         Prompt::Answer::Ok);
    });
}

void Form1::SortButton_Click() {
    ErrorTrap trap(location("SortButton_Click"));
    if (mKeeper->readOnly())
        return;
    commitPendingEdit();
    trap.step(1, [&] { setUpdatesEnabled(false); });
    trap.step(2, [&] { SortRows(*gPhoneList, QCollator(QLocale())); });
    trap.step(3, [&] { setUpdatesEnabled(true); });
    StampLastUpdated();
    mKeeper->changed();
}

void Form1::TitleEdit_Change() {
    if (mKeeper->readOnly() || TitleEdit->text() == mStore.read(settings::kTitle, QString()))
        return;
    ErrorTrap trap(location("TitleEdit_Change"));
    trap.step(1, [&] {
        mStore.write(settings::kTitle, TitleEdit->text());
        mStore.sync();
    });
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DataGrid1->viewport() &&
        (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop)) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QList<QUrl> urls = drop->mimeData()->urls();
        const bool oneFile = urls.size() == 1 && urls.front().isLocalFile() && !mKeeper->readOnly();
        if (!oneFile)
            return false;
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop)
            // After the drop has finished, so the question is not asked inside the drag.
            QMetaObject::invokeMethod(
                this, [this, path = urls.front().toLocalFile()] { importFile(path); }, Qt::QueuedConnection);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

ListWindow Form1::listWindow() {
    return {[this](bool on) { setUpdatesEnabled(on); }, [this] { bindGrid(); }};
}
