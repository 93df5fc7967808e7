// quorvel-tabwright-export: builds the phone-list workbook without any window.

#include "app/heap_tuning.h"
#include "app/quiet_messages.h"
#include "app/startup.h"
#include "cli/sheet_export.h"
#include "phonelist/files/list_input.h"
#include "sheet/render/cell_text.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <future>

namespace {

const char* const kUsage =
    "Usage: quorvel-tabwright-export [--list FILE | --csv FILE | --xls FILE] [--title TEXT]\n"
    "                                [--png FILE] [--pdf FILE] [--write-csv FILE] [OUT.xls | OUT.xlsx]\n"
    "       quorvel-tabwright-export --help | --version";

const char* const kIntro = R"(Builds the formatted phone-list workbook that "Start Creating Template" builds,
without opening a window, and saves it as OUT.xls (Excel 97-2003) or OUT.xlsx
(Excel).

Where the list comes from (the list stored by Quorvel Tabwright, as the program
would show it if it started now, when none of these is given):)";

const char* const kOutputs = R"(What it writes (at least one of OUT, --png, --pdf and --write-csv):)";

const char* const kFooter = R"(A FILE or OUT given as '-' is standard input for the list and standard output
for one of the outputs (OUT '-' is an .xls workbook); "./-" names a file called
'-'. Standard output gets its bytes only once every output has been made.

Exit status: 0 when every output was written; 1 for bad input (with a message
naming the file and the line) or an output that cannot be written, and nothing
is written then; 2 for a wrong command line. Existing output files are replaced
only when the new file is complete.)";

// "  --csv FILE    " and the description, wrapped under itself.
QString optionHelp(const QCommandLineOption& option) {
    constexpr int kColumn = 16;
    constexpr int kWidth = 80;
    QStringList names;
    for (const QString& name : option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString head = QStringLiteral("  ") + names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        head += QLatin1Char(' ') + option.valueName();
    QString text;
    QString line = head.size() + 2 > kColumn ? head + QLatin1Char('\n') + QString(kColumn, QLatin1Char(' '))
                                             : head.leftJustified(kColumn);
    int lineStart = int(line.size()) - kColumn;
    bool first = true;
    for (const QString& word : option.description().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!first && line.size() - lineStart + word.size() + 1 > kWidth) {
            text += line + QLatin1Char('\n');
            line = QString(kColumn, QLatin1Char(' '));
            lineStart = 0;
            first = true;
        }
        line += (first ? QString() : QStringLiteral(" ")) + word;
        first = false;
    }
    return text + line + QLatin1Char('\n');
}

// A wrong command line: nothing was read or written.
int usageError(const QString& message) {
    QTextStream(stderr) << "quorvel-tabwright-export: " << message << " (see --help)\n";
    return 2;
}

// Bad input or an output that cannot be written.
int dataError(const QString& message) {
    QTextStream(stderr) << "quorvel-tabwright-export: " << message << '\n';
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    tuneHeapForBatchWork();
    // Painting and measuring text need a GUI application, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    installQuietQtMessages();
    QGuiApplication app(argc, argv);

    QCommandLineParser parser;
    const QCommandLineOption list(
        QStringLiteral("list"),
        QStringLiteral("a list in any form the window's Import reads, told by its content: CSV or TSV (comma, "
                       "semicolon or tab; UTF-8, UTF-16 or Windows-1252) under a row of column names, ours or an "
                       "address book's, or eight columns in the grid's order; vCard; or the first sheet of an .xls, "
                       ".xlsx or .ods workbook"),
        QStringLiteral("FILE"));
    const QCommandLineOption csv(
        QStringLiteral("csv"),
        QStringLiteral("UTF-8 text, one entry a line, eight fields in the grid's order: Last Name, First Name, "
                       "Spouse/Kids, Address, Home Number, Work Number, Cell Number, E-mail. A first line holding "
                       "these eight names is skipped. Fields holding commas, quotes or line breaks are quoted as in "
                       "RFC 4180 (\"say \"\"hi\"\"\"). A line may have fewer than eight fields, not more; a field "
                       "holds at most 1,024 characters."),
        QStringLiteral("FILE"));
    const QCommandLineOption xls(QStringLiteral("xls"),
                                 QStringLiteral("the first sheet of a workbook: one this program made (the list from "
                                                "row 5, columns B to I), or a plain table of eight columns from column "
                                                "A, optionally under a row of the column names"),
                                 QStringLiteral("FILE"));
    const QCommandLineOption png(QStringLiteral("png"),
                                 QStringLiteral("a picture of the sheet as the preview shows it"),
                                 QStringLiteral("FILE"));
    const QCommandLineOption pdf(
        QStringLiteral("pdf"),
        QStringLiteral("the sheet as it prints: landscape, on A4 or on Letter where the locale prints on "
                       "Letter, on one page or one page wide as the stored page layout says"),
        QStringLiteral("FILE"));
    const QCommandLineOption title(QStringLiteral("title"),
                                   QStringLiteral("the title over the list, instead of the stored one (or \"Our "
                                                  "Organization's Telephone List\")"),
                                   QStringLiteral("TEXT"));
    const QCommandLineOption writeCsv(QStringLiteral("write-csv"),
                                      QStringLiteral("the list itself as UTF-8 CSV under a row of the column names"),
                                      QStringLiteral("FILE"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("this text"));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("the version"));
    const QList<QCommandLineOption> inputs{list, csv, xls};
    const QList<QCommandLineOption> valued{list, csv, xls, title, png, pdf, writeCsv};
    parser.addOptions({list, csv, xls, title, png, pdf, writeCsv, help, version});
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText().chopped(parser.errorText().endsWith(QLatin1Char('.')) ? 1 : 0));
    if (parser.isSet(help)) {
        QTextStream out(stdout);
        out << kUsage << "\n\n"
            << kIntro << '\n'
            << optionHelp(list) << optionHelp(csv) << optionHelp(xls) << '\n'
            << optionHelp(title) << '\n'
            << kOutputs << '\n'
            << "  OUT.xls       the workbook; OUT.xlsx writes it as an Excel workbook\n"
            << optionHelp(png) << optionHelp(pdf) << optionHelp(writeCsv) << '\n'
            << optionHelp(help) << optionHelp(version) << '\n'
            << kFooter << '\n';
        return 0;
    }
    if (parser.isSet(version)) {
        QTextStream(stdout) << "quorvel-tabwright-export " << productVersion() << '\n';
        return 0;
    }
    for (const QCommandLineOption& option : valued) {
        const QString name = QStringLiteral("--") + option.names().constFirst();
        // The parser keeps every value and value() gives the last: the first would be dropped unseen.
        if (parser.values(option).size() > 1)
            return usageError(name + QStringLiteral(" is given more than once"));
        if (parser.isSet(option) && parser.value(option).isEmpty() &&
            option.names().constFirst() != QLatin1String("title"))
            return usageError(name + QStringLiteral(" needs a file name"));
    }
    const QStringList outputs = parser.positionalArguments();
    if (std::count_if(inputs.begin(), inputs.end(), [&](const QCommandLineOption& o) { return parser.isSet(o); }) > 1)
        return usageError(QStringLiteral("give one of --list, --csv and --xls"));
    if (outputs.size() > 1)
        return usageError(QStringLiteral("one output workbook at most, got: ") + outputs.join(QLatin1Char(' ')));
    if (outputs.size() == 1 && outputs.front().isEmpty())
        return usageError(QStringLiteral("the output workbook needs a file name"));
    if (outputs.isEmpty() && !parser.isSet(png) && !parser.isSet(pdf) && !parser.isSet(writeCsv))
        return usageError(QStringLiteral("nothing to write: name OUT.xls, --png FILE, --pdf FILE or --write-csv FILE"));
    // One file named twice would be written twice, the last write winning; an
    // input named as an output would be lost. Standard output takes one output only;
    // standard input and output are two streams, so "--list - -" is a filter.
    QStringList named;
    int toStandardOutput = 0;
    for (const QString& path : {outputs.value(0), parser.value(png), parser.value(pdf), parser.value(writeCsv)})
        if (isStandardStream(path) && ++toStandardOutput > 1)
            return usageError(QStringLiteral("'-' is named twice; one output at most may go to standard output"));
    for (const QString& path : {outputs.value(0), parser.value(png), parser.value(pdf), parser.value(writeCsv),
                                parser.value(list), parser.value(csv), parser.value(xls)}) {
        if (path.isEmpty() || isStandardStream(path))
            continue;
        const QString absolute = QFileInfo(path).absoluteFilePath();
        const QString same = QFileInfo(path).exists() ? QFileInfo(path).canonicalFilePath() : absolute;
        if (named.contains(same))
            return usageError(QStringLiteral("%1 is named twice; every file may be read or written once").arg(path));
        named << same;
    }

    try {
        ExportRequest request;
        // Reading the installed fonts' list takes as long as reading a long phone
        // list: the fonts are read on a second thread meanwhile (or at get() when no
        // thread can be started).
        std::future<void> fonts = std::async(std::launch::async | std::launch::deferred, sheet::loadFontDatabase);
        if (parser.isSet(list))
            request.rows = readListInput(ListKind::Any, parser.value(list));
        else if (parser.isSet(csv))
            request.rows = readListInput(ListKind::Csv, parser.value(csv));
        else if (parser.isSet(xls))
            request.rows = readListInput(ListKind::Xls, parser.value(xls));
        else
            request.useStoredList = true;
        fonts.get();
        request.xlsPath = outputs.value(0);
        request.pngPath = parser.value(png);
        request.pdfPath = parser.value(pdf);
        request.csvPath = parser.value(writeCsv);
        if (parser.isSet(title))
            request.title = parser.value(title);
        for (const QString& note : exportPhoneList(request))
            QTextStream(stderr) << "quorvel-tabwright-export: warning: " << note << '\n';
    } catch (const std::exception& e) {
        return dataError(QString::fromUtf8(e.what()));
    }
    // Every output is committed and every message written. Tearing down the
    // application, its fonts and the list would cost more than the rest of a
    // short export and change nothing outside the process.
    std::fflush(nullptr);
    std::_Exit(0);
}
