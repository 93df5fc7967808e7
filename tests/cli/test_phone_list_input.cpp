#include "cli/phone_list_input.h"

#include <QtTest>

namespace {
std::vector<PhoneListRow> parse(const char* csv) { return parsePhoneListCsv(QByteArray(csv), QStringLiteral("in.csv")); }

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
        QVERIFY(errorOf("ab\"c\n").startsWith(QStringLiteral("in.csv:1: a quote inside")));
        const QByteArray fits(1024, 'x');
        QCOMPARE(errorOf(fits), QString());
        QVERIFY(errorOf("\"multi\nline\"," + fits + "x").startsWith(QStringLiteral("in.csv:1: field 2 has 1025")));
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
