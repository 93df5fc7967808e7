#include "cli/sheet_export.h"

#include "app/file_helpers.h"
#include "app/settings_store.h"
#include "phonelist/list_commands.h"
#include "phonelist/list_persistence.h"
#include "phonelist/phone_list_table.h"
#include "sheet/engine/spreadsheet_app.h"
#include "sheet/render/page_print.h"
#include "sheet/render/sheet_render.h"
#include "sheet/report/font_notes.h"
#include "sheet/report/report_driver.h"
#include "sheet/report/sheet_layout.h"
#include "sheet/xls/xls_io.h"
#include "sheet/xlsx/xlsx_io.h"

#include <QBuffer>
#include <QSaveFile>
#include <QScopeGuard>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <future>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

namespace otl = OrganizationalTelephoneList;

static_assert(kMaxListRows == PhoneListTable::kMaxRows, "the readers refuse what the table cannot hold");

std::runtime_error cannotWrite(const QString& path, const QString& why) {
    const QString name = isStandardStream(path) ? QStringLiteral("standard output") : path;
    return std::runtime_error((name + QStringLiteral(": cannot be written: ") + why).toStdString());
}

void writeStandardOutput(const QByteArray& bytes) {
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()) ||
        std::fflush(stdout) != 0)
        throw cannotWrite(QLatin1String(kStandardStream), QString::fromLocal8Bit(std::strerror(errno)));
}

// The requested files, written all or none: every file is opened (as a temporary
// beside its name) and filled before any is committed, so an unwritable path
// leaves nothing. Standard output, which cannot be taken back, gets its bytes
// after every temporary is filled, so that a full disk or a bad folder stops it too.
void writeAll(const std::vector<std::pair<QString, QByteArray>>& outputs) {
    std::vector<std::unique_ptr<QSaveFile>> files;
    std::vector<QString> names;
    const QByteArray* toStandardOutput = nullptr;
    for (const auto& [path, bytes] : outputs) {
        if (isStandardStream(path)) {
            if (toStandardOutput)
                throw std::logic_error("two outputs to standard output");
            toStandardOutput = &bytes;
        } else {
            refuseSymbolicLink(path);
        }
    }
    for (const auto& [path, bytes] : outputs) {
        if (isStandardStream(path))
            continue;
        auto file = std::make_unique<QSaveFile>(path);
        if (!file->open(QIODevice::WriteOnly))
            throw cannotWrite(path, file->errorString());
        if (file->write(bytes) != bytes.size())
            throw cannotWrite(path, file->errorString());
        files.push_back(std::move(file));
        names.push_back(path);
    }
    if (toStandardOutput)
        writeStandardOutput(*toStandardOutput);
    for (std::size_t i = 0; i < files.size(); ++i)
        if (!files[i]->commit())
            throw cannotWrite(names[i], files[i]->errorString());
}

QByteArray pngOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw std::runtime_error("the picture could not be encoded as PNG");
    return bytes;
}

} // namespace

void fillExportTable(const ExportRequest& request) {
    gPhoneList = CreatePhoneListTable();
    if (request.useStoredList) {
        SettingsStore store;
        LoadPhoneList(*gPhoneList, store);
    } else {
        gPhoneList->reserve(request.rows.size());
        for (const PhoneListRow& row : request.rows) {
            gPhoneList->AddNew();
            for (int k = 0; k < PhoneListTable::kFieldCount; ++k)
                gPhoneList->Fields(k).setValue(row[size_t(k)]);
            gPhoneList->Update();
        }
    }
    if (!gPhoneList->atEof())
        gPhoneList->MoveFirst();
}

void buildExportWorkbook() {
    otl::StartReportApp();
    sheet::SpreadsheetApp& app = *otl::mReportApp;
    app.setScreenUpdating(false);
    app.setDisplayAlerts(false);
    otl::mReportBook = std::make_unique<sheet::om::Workbook>(app.Workbooks().Add());
    while (app.Sheets().Count() > 1)
        app.Sheets().Item(2).Delete();
    app.Sheets().Item(1).setName("Phone List");
    otl::BuildPhoneListSheet(1);
    app.Sheets().Item(1).Select();
    app.Range("B6").Select();
}

void closeExportWorkbook() {
    otl::mReportBook->Close();
    otl::mReportBook.reset();
    otl::mReportApp->Quit();
    otl::ReleaseReportApp();
}

std::vector<PhoneListRow> readListInput(ListKind kind, const QString& path) {
    if (!isStandardStream(path)) {
        switch (kind) {
        case ListKind::Any:
            return readPhoneList(path);
        case ListKind::Csv:
            return readPhoneListCsv(path);
        case ListKind::Xls:
            return readPhoneListXls(path);
        }
    }
    const QString name = QLatin1String(kStandardInputName);
    const QByteArray bytes = readStandardInput();
    switch (kind) {
    case ListKind::Any:
        return parsePhoneList(bytes, name);
    case ListKind::Csv:
        return parsePhoneListCsv(bytes, name);
    case ListKind::Xls:
        return parsePhoneListXls(bytes, name);
    }
    return {};
}

QStringList exportPhoneList(const ExportRequest& request) {
    fillExportTable(request);
    otl::gSheetTitle = request.title;
    const auto restoreTitle = qScopeGuard([] { otl::gSheetTitle.reset(); });
    buildExportWorkbook();
    sheet::SpreadsheetApp& app = *otl::mReportApp;
    const sheet::om::Range used = app.ActiveSheet().UsedRange();
    const sheet::CellRange range = used.areas().front();
    const sheet::Workbook& model = app.ActiveSheet().workbookModel();
    const sheet::Sheet& sheetModel = app.ActiveSheet().model();
    // Characters no font shows are looked for on a second thread while this one
    // makes the outputs (or at get() when no thread can be started). The
    // workbook's bytes are made here, where the memory they need comes fastest
    // (app/heap_tuning).
    std::future<QStringList> notes = std::async(std::launch::async | std::launch::deferred,
                                                [&] { return missingFontNotes(model, sheetModel, range); });

    // Everything is made in memory first, so bad input or a sheet too large for a
    // picture leaves no file behind.
    QByteArray png;
    if (!request.pngPath.isEmpty()) {
        try {
            png = pngOf(sheet::renderImage(model, sheetModel, range));
        } catch (const std::length_error&) {
            throw std::runtime_error(
                (request.pngPath + QStringLiteral(": the sheet is too long for one picture; use --pdf")).toStdString());
        }
    }
    QByteArray pdf;
    if (!request.pdfPath.isEmpty())
        pdf = sheet::pdfOf(model, sheetModel, range, otl::SheetTitle());

    // The workbook's bytes are handed to the writing without a copy: book outlives outputs.
    std::vector<std::uint8_t> book;
    std::vector<std::pair<QString, QByteArray>> outputs;
    if (!request.xlsPath.isEmpty()) {
        const bool xlsx = request.xlsPath.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
        book = xlsx ? sheet::xlsx::writeBytes(model) : sheet::xls::writeBytes(model);
        outputs.emplace_back(request.xlsPath, QByteArray::fromRawData(reinterpret_cast<const char*>(book.data()),
                                                                      qsizetype(book.size())));
    }
    if (!request.csvPath.isEmpty())
        outputs.emplace_back(request.csvPath, phoneListCsv(FilledRows(*gPhoneList)));
    if (!request.pngPath.isEmpty())
        outputs.emplace_back(request.pngPath, png);
    if (!request.pdfPath.isEmpty())
        outputs.emplace_back(request.pdfPath, pdf);
    const QStringList found = notes.get();
    writeAll(outputs);
    closeExportWorkbook();
    return found;
}
