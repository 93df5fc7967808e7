#include "phonelist/files/list_input.h"

#include <QtTest>

namespace {
std::vector<PhoneListRow> parse(const char* csv) {
    return parsePhoneListCsv(QByteArray(csv), QStringLiteral("in.csv"));
}

QString errorOf(const QByteArray& csv) {
    try {
        parsePhoneListCsv(csv, QStringLiteral("in.csv"));
    } catch (const InputError& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}
} // namespace

class TestPhoneListInput : public QObject {
    Q_OBJECT
private slots:
    void readsQuotedCommasQuotesAndLineBreaks() {
        const auto rows = parse("Darezo,Zivo,\"James, Ben\",\"12 \"\"Old\"\" Rd\r\nFlat 2\",,,,\n"
                                "Veruzu,,,,,,,\n");
        QCOMPARE(rows.size(), size_t(2));
        QCOMPARE(rows[0][2], QStringLiteral("James, Ben"));
        QCOMPARE(rows[0][3], QStringLiteral("12 \"Old\" Rd\r\nFlat 2"));
        QCOMPARE(rows[1][0], QStringLiteral("Veruzu"));
    }

    void skipsTheHeaderLineAndByteOrderMarkOnly() {
        const auto rows = parse("\xEF\xBB\xBFLast Name,First Name,Spouse/Kids,Address,Home Number,Work Number,"
                                "Cell Number,E-mail\nA,B\nLast Name,First Name,Spouse/Kids,Address,Home Number,"
                                "Work Number,Cell Number,E-mail\n");
        QCOMPARE(rows.size(), size_t(2)); // a header further down is data
        QCOMPARE(rows[0][0], QStringLiteral("A"));
        QCOMPARE(rows[0][7], QString());
    }

    void keepsBlanksAndNonLatinTextExactly() {
        const auto rows = parse("  lead,trail  ,\xF0\x9F\x93\x9E \xD0\x96,\"\"\n\n");
        QCOMPARE(rows.size(), size_t(2)); // the empty line is an empty row
        QCOMPARE(rows[0][0], QStringLiteral("  lead"));
        QCOMPARE(rows[0][1], QStringLiteral("trail  "));
        QCOMPARE(rows[0][2], QString::fromUtf8("\xF0\x9F\x93\x9E \xD0\x96"));
        QCOMPARE(rows[1][0], QString());
    }

    void reportsBadInputWithFileAndLine() {
        QCOMPARE(errorOf("a\nb,c,d,e,f,g,h,i,j\n"), QStringLiteral("in.csv:2: 9 fields; a line holds at most 8"));
        QVERIFY(errorOf("ok\n\"open,\n\nstill open").startsWith(QStringLiteral("in.csv:2: a quoted field")));
        QVERIFY(errorOf("a\nb\n\xC3\x28\n").startsWith(QStringLiteral("in.csv:3: not valid UTF-8")));
        QVERIFY(errorOf("\xED\xA0\x80").contains(QStringLiteral("UTF-8"))); // an encoded surrogate
        // ASCII is passed over in words of eight bytes: a bad byte in or after one is found on its line.
        QVERIFY(errorOf("abcdefgh\nijklmnop\nqrstu\xC3\x28vwxyz\n").startsWith(QStringLiteral("in.csv:3: not valid")));
        QVERIFY(errorOf("a\nbcdefghijklmno\xF0\x9F\x93").startsWith(QStringLiteral("in.csv:2: not valid")));
        QCOMPARE(errorOf("abcdefg\xF0\x9F\x93\x9E\n\xD0\x96xxxxxxxx\xC3\xA9"), QString());
        QVERIFY(errorOf("ab\"c\n").startsWith(QStringLiteral("in.csv:1: a quote inside")));
        // Line breaks inside quotes count for the lines after them.
        QVERIFY(errorOf("\"two\nlines\"x\n").startsWith(QStringLiteral("in.csv:2: text after a closing quote")));
        QVERIFY(errorOf("\"a\r\n\n\",b\nc\"d").startsWith(QStringLiteral("in.csv:4: a quote inside")));
        const QByteArray fits(1024, 'x');
        QCOMPARE(errorOf(fits), QString());
        QVERIFY(errorOf("\"multi\nline\"," + fits + "x").startsWith(QStringLiteral("in.csv:1: field 2 has 1025")));
    }

    void takesOwnSheetFromRowFiveAndPlainTablesFromColumnA() {
        using sheet::Workbook;
        auto put = [](sheet::Sheet& s, int r, int c, const char* text) { s.cellAt(r, c).value = std::string(text); };
        Workbook own;
        sheet::Sheet& s = own.addSheet("Phone List");
        put(s, 1, 1, "Our Organization's Telephone List");
        const auto& names = phoneListColumnNames();
        for (int k = 0; k < 8; ++k)
            put(s, 3, 1 + k, names[size_t(k)].toUtf8().constData());
        put(s, 4, 1, "Darezo");
        s.cellAt(5, 5).value = 2678237.0;
        s.cellAt(6, 8); // a formatted but empty last row still counts as a row of the list
        const auto rows = phoneListFromWorkbook(own, QStringLiteral("own.xls"));
        QCOMPARE(rows.size(), size_t(3));
        QCOMPARE(rows[0][0], QStringLiteral("Darezo"));
        QCOMPARE(rows[1][4], QStringLiteral("2678237"));

        Workbook plain;
        sheet::Sheet& p = plain.addSheet("Sheet1");
        for (int k = 0; k < 8; ++k)
            put(p, 0, k, names[size_t(k)].toUtf8().constData());
        put(p, 1, 0, "A");
        put(p, 3, 7, "h@example.com");
        p.cellAt(9, 3); // formatting alone does not lengthen a plain table
        const auto plainRows = phoneListFromWorkbook(plain, QStringLiteral("plain.xls"));
        QCOMPARE(plainRows.size(), size_t(3));
        QCOMPARE(plainRows[2][7], QStringLiteral("h@example.com"));

        put(p, 4, 8, "ninth");
        try {
            phoneListFromWorkbook(plain, QStringLiteral("plain.xls"));
            QFAIL("no error");
        } catch (const InputError& e) {
            QCOMPARE(QString::fromUtf8(e.what()),
                     QStringLiteral("plain.xls:5: a value in column 9; the list has eight columns, A to H"));
        }
    }

    void refusesTheRowOneTooManyWhereItStands() {
        QByteArray csv = "Last Name,First Name,Spouse/Kids,Address,Home Number,Work Number,Cell Number,E-mail\n";
        for (int i = 0; i < kMaxListRows; ++i)
            csv += "x\n";
        QCOMPARE(parsePhoneListCsv(csv, QStringLiteral("in.csv")).size(), size_t(kMaxListRows));
        QCOMPARE(errorOf(csv + "\"two\nlines\"\n"),
                 QStringLiteral("in.csv:10002: more than 10000 rows; the list holds no more"));

        sheet::Workbook plain;
        sheet::Sheet& p = plain.addSheet("Sheet1");
        p.cellAt(kMaxListRows, 0).value = std::string("last");
        try {
            phoneListFromWorkbook(plain, QStringLiteral("plain.xls"));
            QFAIL("no error");
        } catch (const InputError& e) {
            QCOMPARE(QString::fromUtf8(e.what()),
                     QStringLiteral("plain.xls:10001: more than 10000 rows; the list holds no more"));
        }
    }

    // A line of nothing but separators, or one endless field, is refused
    // without being held whole; the messages still count what was there.
    void countsOverlongLinesWithoutKeepingThem() {
        QCOMPARE(errorOf("a\n" + QByteArray(5'000'000, ',') + "\n"),
                 QStringLiteral("in.csv:2: 5000001 fields; a line holds at most 8"));
        QCOMPARE(errorOf("\"" + QByteArray(3'000'000, 'x') + "\""),
                 QStringLiteral("in.csv:1: field 1 has 3000000 characters; at most 1024 fit"));
        QByteArray emoji;
        for (int k = 0; k < 1024; ++k)
            emoji += "\xF0\x9F\x93\x9E";
        QCOMPARE(errorOf(emoji), QStringLiteral("in.csv:1: field 1 has 1024 characters, which take 2048 of the 1024 "
                                                "places a field has (emoji and other characters beyond U+FFFF take "
                                                "two)"));
    }

    void blankLinesPastAFullListAreNotEntries() {
        QByteArray csv;
        for (int i = 0; i < kMaxListRows; ++i)
            csv += "x\n";
        QCOMPARE(parsePhoneListCsv(csv + "\n\r\n", QStringLiteral("in.csv")).size(), size_t(kMaxListRows));
        QCOMPARE(errorOf(csv + "\n\ny\n"),
                 QStringLiteral("in.csv:10003: more than 10000 rows; the list holds no more"));
    }

    void readsOnlyRegularFiles() {
        for (const char* path : {"/dev/zero", "/tmp"}) {
            for (auto reader : {readPhoneListCsv, readPhoneListXls, readPhoneList}) {
                try {
                    reader(QString::fromLatin1(path));
                    QFAIL("no error");
                } catch (const InputError& e) {
                    QCOMPARE(QString::fromUtf8(e.what()),
                             QString::fromLatin1(path) + QStringLiteral(": cannot be read: not a regular file"));
                }
            }
        }
    }

    void readsAFileWholeAndRefusesOneOverTheLimit() {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("list.csv")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Andersen,Maria\nOkafor,John");
        file.close();
        const std::vector<PhoneListRow> rows = readPhoneListCsv(file.fileName());
        QCOMPARE(rows.size(), std::size_t(2));
        QCOMPARE(rows[1][1], QStringLiteral("John"));

        // A sparse file one byte over 256 MB: no disk needed.
        QVERIFY(file.resize((qint64(256) << 20) + 1));
        try {
            readPhoneListCsv(file.fileName());
            QFAIL("no error");
        } catch (const InputError& e) {
            QCOMPARE(QString::fromUtf8(e.what()),
                     file.fileName() + QStringLiteral(": is larger than 256 MB; that is no phone list"));
        }
    }

    void missingFileNamesTheFile() {
        try {
            readPhoneListCsv(QStringLiteral("/nonexistent/list.csv"));
            QFAIL("no error");
        } catch (const InputError& e) {
            QVERIFY(QString::fromUtf8(e.what()).startsWith(QStringLiteral("/nonexistent/list.csv: cannot be read")));
        }
    }
};

QTEST_MAIN(TestPhoneListInput)
#include "test_phone_list_input.moc"
