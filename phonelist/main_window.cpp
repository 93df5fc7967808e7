#include "phonelist/main_window.h"

#include "app/error_trap.h"
#include "app/prompt.h"
#include "app/startup.h"
#include "phonelist/list_persistence.h"
#include "phonelist/phone_list_model.h"
#include "phonelist/phone_list_table.h"
#include "phonelist/report_windows.h"
#include "sheet/report/report_driver.h"
#include "sheet/report/spreadsheet_host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTableView>

#include <array>
#include <stdexcept>
#include <vector>

namespace {

const QString kWhere = QStringLiteral("Quorvel2021/08/31.Form1.");

// Rows insertBuffer holds: the list plus the inserted row must fit.
constexpr int kInsertBufferRows = 500;

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
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    auto button = [this](const char* name, const QString& caption, QWidget* parent) {
        auto* b = new QPushButton(caption, parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(arialBold(11.25));
        b->setMouseTracking(true);
        b->installEventFilter(this);
        return b;
    };
    PushButton22 = button("PushButton22", QStringLiteral("Start Creating Template"), this);
    PushButton6 = button("PushButton6", QStringLiteral("Help"), this);
    PushButton7 = button("PushButton7", QStringLiteral("Load Sample/Example Data"), this);

    Frame2 = new QGroupBox(QStringLiteral("Telephone List data:"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setMouseTracking(true);
    Frame2->installEventFilter(this);

    DataGrid1 = new QTableView(Frame2);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setFont(arialBold(9));
    DataGrid1->horizontalHeader()->setFont(arialBold(9));
    DataGrid1->verticalHeader()->setFont(arialBold(9));
    DataGrid1->setToolTip(
        QStringLiteral("To enter Description select row and type Description. Then press Enter to finish changes."));
    QPalette gridPal = DataGrid1->palette();
    gridPal.setColor(QPalette::Base, Qt::white);
    gridPal.setColor(QPalette::Text, QApplication::palette().color(QPalette::WindowText));
    DataGrid1->setPalette(gridPal);
    DataGrid1->setMouseTracking(true);
    // The grid counts as background for the pointer: its cells, its headers and its frame.
    for (QWidget* part : {static_cast<QWidget*>(DataGrid1), DataGrid1->viewport(),
                          DataGrid1->horizontalHeader()->viewport(), DataGrid1->verticalHeader()->viewport()}) {
        part->setMouseTracking(true);
        part->installEventFilter(this);
    }
    DataGrid1->setWordWrap(false);
    DataGrid1->horizontalHeader()->setHighlightSections(false);
    DataGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DataGrid1->verticalHeader()->setDefaultSectionSize(DataGrid1->fontMetrics().height() + 4);

    PushButton2 = button("PushButton2", QStringLiteral("Insert Below Selected Row"), Frame2);
    PushButton3 = button("PushButton3", QStringLiteral("Delete All"), Frame2);
    PushButton1 = button("PushButton1", QStringLiteral("Delete Selected Row"), Frame2);

    connect(PushButton22, &QPushButton::clicked, this, &Form1::PushButton22_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);

    // Tab order: grid, then the buttons as the window has always had them.
    setTabOrder(DataGrid1, PushButton22);
    setTabOrder(PushButton22, PushButton2);
    setTabOrder(PushButton2, PushButton3);
    setTabOrder(PushButton3, PushButton1);
    setTabOrder(PushButton1, PushButton6);
    setTabOrder(PushButton6, PushButton7);
    setMouseTracking(true);
    installEventFilter(this);
}

void Form1::placeControls() {
    auto place = [this](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
    };
    place(PushButton22, 120, 120, 7800, 400);
    place(PushButton6, 120, 630, 3840, 405);
    place(PushButton7, 4080, 630, 3840, 405);
    place(Frame2, 120, 1110, 7800, 4500);
    place(DataGrid1, 255, 300, 7290, 3540);
    place(PushButton2, 240, 3945, 3135, 405);
    place(PushButton3, 3480, 3945, 1455, 405);
    place(PushButton1, 5040, 3945, 2505, 405);
    setFixedSize(twipsToPixels(8040), twipsToPixels(5700));
}

void Form1::Form_Load() {
    ErrorTrap trap(location("Form_Load"));
    trap.step(1, [&] { ApplyOptionalSkin(*this); });
    trap.step(2, [&] { setWindowTitle(QString::fromLatin1(kProductDisplayName)); });
    trap.step(3, [&] { setWindowIcon(appIcon()); });
    trap.step(4, [&] { SetAppTitle(); });
    trap.step(5, [&] { mHandCursor = loadHandCursor(); });
    trap.step(6, [&] { gPhoneList = CreatePhoneListTable(); });
    trap.step(7, [&] {
        LoadPhoneList(*gPhoneList, mStore, [&](const std::function<void()>& statement) { trap.step(7, statement); });
    });
    trap.step(8, [&] { bindGrid(); });
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
    ErrorTrap trap(location("Form_QueryUnload"));
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

void Form1::setMousePointer(int code) {
    mMousePointer = code;
    switch (code) {
    case kPointerBusy:
        setCursor(Qt::WaitCursor);
        break;
    case kPointerCustom:
        // A custom pointer without an image shows the standard arrow.
        setCursor(mHandCursor ? *mHandCursor : QCursor(Qt::ArrowCursor));
        break;
    default:
        unsetCursor();
        break;
    }
}

void Form1::SetHandPointer() {
    if (mMousePointer != kPointerBusy)
        setMousePointer(kPointerCustom);
}

void Form1::ResetPointer() {
    if (mMousePointer != kPointerBusy)
        setMousePointer(kPointerDefault);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (qobject_cast<QPushButton*>(watched))
            SetHandPointer();
        else
            ResetPointer();
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::StampLastUpdated() {
    mStore.write(settings::kLastUpdated, settings::nowText());
    // Written at once, so the sheet sees it; should that fail, the value stays
    // pending and the close writes it again and reports a failure there.
    probe(
        [&] {
            mStore.sync();
            return 0;
        },
        0);
}

// Start Creating Template. The trap lets every later step run after a failure,
// so the pointer and the redraw come back whatever the generation did.
void Form1::PushButton22_Click() {
    ErrorTrap trap(location("PushButton22_Click"));
    bool declined = false;
    trap.step(1, [&] { setUpdatesEnabled(false); });
    trap.step(2, [&] { declined = sheet::CheckExcelMayBeOpen(); });
    if (!declined) {
        trap.step(3, [&] { setMousePointer(kPointerBusy); });
        trap.step(4, [&] { OrganizationalTelephoneList::GenerateReport0(1, *mReportWindows); });
        trap.step(5, [&] { setMousePointer(kPointerDefault); });
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

// Insert Below Selected Row. The table cannot insert at a position, so the
// command appends a row and shifts every later row down through insertBuffer.
void Form1::PushButton2_Click() {
    ErrorTrap trap(location("PushButton2_Click"));
    PhoneListTable& t = *gPhoneList;
    std::vector<std::array<FieldValue, PhoneListTable::kFieldCount>> insertBuffer;
    PhoneListTable::Bookmark selected;
    int p = 0;
    auto copyCurrentRow = [&] {
        auto& values = insertBuffer.emplace_back();
        for (int f = 0; f < PhoneListTable::kFieldCount; ++f)
            values[std::size_t(f)] = t.Fields(f).Value();
    };
    // Until the buffer is filled nothing has changed; a failure there ends the
    // command, since going on would write a partial buffer over the list.
    if (!trap.step(1, [&] {
            selected = t.bookmark();
            if (t.RecordCount() >= kInsertBufferRows)
                throw std::runtime_error("A row can be inserted only into a list of at most 499 rows.");
            insertBuffer.reserve(std::size_t(t.RecordCount()) + 1);
        }))
        return;
    if (!trap.step(3, [&] {
            t.MoveFirst();
            while (!(t.bookmark() == selected)) {
                copyCurrentRow();
                t.MoveNext();
            }
            copyCurrentRow();
            p = int(insertBuffer.size());
            t.MoveNext();
            insertBuffer.emplace_back().fill(QString());
            while (!t.atEof()) {
                copyCurrentRow();
                t.MoveNext();
            }
        })) {
        probe(
            [&] {
                t.setBookmark(selected);
                return 0;
            },
            0);
        return;
    }
    trap.step(7, [&] {
        t.AddNew();
        t.Update();
    });
    trap.step(8, [&] {
        t.MoveFirst();
        for (std::size_t i = 0; !t.atEof() && i < insertBuffer.size(); ++i) {
            for (int f = 0; f < PhoneListTable::kFieldCount; ++f)
                t.Fields(f).setValue(insertBuffer[i][std::size_t(f)]);
            t.Update();
            t.MoveNext();
        }
    });
    trap.step(9, [&] {
        t.MoveFirst();
        t.Move(p);
    });
}

// Delete Selected Row, after the user agreed.
void Form1::PushButton1_Click() {
    ErrorTrap trap(location("PushButton1_Click"));
    QString question;
    if (!trap.step(1, [&] {
            question = QStringLiteral("Do you really want delete this row ?\r\n(") + gPhoneList->Fields(0).text() +
                       QLatin1Char(')');
        }))
        return; // no current row: nothing to ask about
    Prompt::Answer answer = Prompt::Answer::No;
    trap.step(2, [&] {
        answer = prompt().message(question, QStringLiteral("Question"), Prompt::Icon::None, Prompt::Buttons::YesNo,
                                  Prompt::Answer::No);
    });
    if (answer != Prompt::Answer::Yes)
        return;
    trap.step(4, [&] { setUpdatesEnabled(false); });
    bool deleted = false;
    int position = -1;
    trap.step(5, [&] {
        position = gPhoneList->currentRow();
        gPhoneList->Delete();
        deleted = true;
    });
    trap.step(6, [&] { setUpdatesEnabled(true); });
    if (!deleted)
        return;
    // The grid now shows the row that took the removed one's place (or the
    // new last row); make it the table's current row too, so the next
    // command works on the row the user sees selected.
    trap.step(6, [&] {
        if (gPhoneList->RecordCount() > 0)
            gPhoneList->setCurrentRow(std::min(position, gPhoneList->RecordCount() - 1));
    });
    trap.step(7, [&] {
        prompt().message(QStringLiteral("Row deleted."), QString(), Prompt::Icon::None, Prompt::Buttons::Ok,
                         Prompt::Answer::Ok);
    });
}

// Delete All: a fresh table of as many empty rows as the last close saved.
void Form1::PushButton3_Click() {
    ErrorTrap trap(location("PushButton3_Click"));
    Prompt::Answer answer = Prompt::Answer::No;
    trap.step(1, [&] {
        answer = prompt().message(QStringLiteral("Do you really want clear ?"), QStringLiteral("Question"),
                                  Prompt::Icon::None, Prompt::Buttons::YesNo, Prompt::Answer::No);
    });
    if (answer != Prompt::Answer::Yes)
        return;
    trap.step(2, [&] { gPhoneList = CreatePhoneListTable(); });
    int rows = 0;
    trap.step(3, [&] { rows = rowCountFromText(mStore.read(settings::kRowCount, settings::kRowCountDefault)); });
    trap.step(4, [&] {
        for (int r = 1; r <= rows; ++r) {
            gPhoneList->AddNew();
            for (int f = 0; f < PhoneListTable::kFieldCount; ++f)
                gPhoneList->Fields(f).setValue(QString());
        }
    });
    trap.step(5, [&] { gPhoneList->MoveFirst(); });
    trap.step(6, [&] { bindGrid(); });
}

bool IsEmptyRow(PhoneListTable& table) {
    for (int i = 0; i < table.Fields().count(); ++i) {
        // A text such as "0" is data the user typed, so it counts as filled.
        const FieldValue v = table.Fields(i).Value();
        if (v && !v->isEmpty())
            return false;
    }
    return true;
}

// Load Sample/Example Data: drop the rows without content, append three examples.
void Form1::PushButton7_Click() {
    static const std::array<std::array<const char*, PhoneListTable::kFieldCount>, 3> examples = {{
        {"Darezo", "Zivo", "Jess", "West Hills dr", "", "", "(989) 923-4508", ""},
        {"Vivaduvu", "Dediz", "", "", "", "", "", "dediz.vivaduvu@example.com"},
        {"Veruzu", "Vorod", "James, Ben, Dana", "", "", "(995) 267-8237", "", ""},
    }};
    ErrorTrap trap(location("PushButton7_Click"));
    PhoneListTable& t = *gPhoneList;
    trap.step(1, [&] { t.MoveFirst(); });
    int n = 0;
    trap.step(2, [&] { n = t.RecordCount(); });
    for (int k = 0; k < n; ++k) {
        trap.step(3, [&] {
            if (IsEmptyRow(t))
                t.Delete();
        });
        trap.step(4, [&] {
            if (!t.atEof())
                t.MoveNext();
        });
    }
    trap.step(5, [&] {
        if (!t.atBof() && !t.atEof())
            t.MoveFirst();
    });
    for (const auto& example : examples) {
        trap.step(6, [&] {
            t.AddNew();
            for (int f = 0; f < PhoneListTable::kFieldCount; ++f)
                t.Fields(f).setValue(QString::fromUtf8(example[std::size_t(f)]));
        });
    }
}
