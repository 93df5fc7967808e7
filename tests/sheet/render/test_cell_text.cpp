// Text measurement as auto-fit and painting share it: fonts, the General
// number format, advances and line breaking.

#include "tests/sheet/render/phone_list_sheet.h"

#include "sheet/render/cell_text.h"
#include "sheet/render/sheet_render.h"

#include <QFontInfo>
#include <QtTest>

using namespace sheet;
namespace pls = phone_list_sheet;

namespace {

// The greedy breaking spelled out on Qt's own measurements, as a reference.
QStringList greedyLines(const QString& paragraph, const QFontMetricsF& fm, double width) {
    if (fm.horizontalAdvance(paragraph) <= width)
        return {paragraph};
    QStringList lines;
    QString line;
    const QStringList words = paragraph.split(u' ', Qt::SkipEmptyParts);
    qsizetype pos = 0;
    for (const QString& word : words) {
        const qsizetype at = paragraph.indexOf(word, pos);
        const QString candidate = line.isEmpty() ? word : line + paragraph.mid(pos, at + word.size() - pos);
        pos = at + word.size();
        if (fm.horizontalAdvance(candidate) <= width) {
            line = candidate;
            continue;
        }
        if (!line.isEmpty())
            lines << line;
        line.clear();
        if (fm.horizontalAdvance(word) <= width) {
            line = word;
            continue;
        }
        for (const QChar ch : word) {
            if (!line.isEmpty() && fm.horizontalAdvance(line + ch) > width) {
                lines << line;
                line.clear();
            }
            line += ch;
        }
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines << line;
    return lines;
}

} // namespace

class TestCellText : public QObject {
    Q_OBJECT

private slots:
    void fontsResolveToTheSubstitutes();
    void numbersShowInGeneralFormat_data();
    void numbersShowInGeneralFormat();
    void breaksLinesAtSpacesWithinTheWidth();
    void advanceAgreesWithTheFontMetrics();
    void breaksLikeGreedyBreakingWithQtMetrics();
};

void TestCellText::fontsResolveToTheSubstitutes() {
    Font gothic;
    gothic.name = "Century Gothic";
    gothic.size = 10;
    QVERIFY2(QFontInfo(qtFont(gothic)).family().startsWith(QStringLiteral("URW Gothic")),
             qPrintable(QFontInfo(qtFont(gothic)).family()));
    QCOMPARE(QFontInfo(qtFont(Font{})).family(), QStringLiteral("Liberation Sans"));

    Font title = gothic;
    title.size = 20;
    title.bold = true;
    title.italic = true;
    title.underline = true;
    const QFont f = qtFont(title);
    QCOMPARE(f.pixelSize(), 27); // 20 pt at 96 dpi, whole pixels
    QCOMPARE(qtFont(gothic).pixelSize(), 13);
    // Sizes a sheet cannot hold still give a usable font.
    for (double size : {0.0, -5.0, 1e9, std::numeric_limits<double>::quiet_NaN()}) {
        Font odd = gothic;
        odd.size = size;
        QVERIFY(qtFont(odd).pixelSize() >= 1 && qtFont(odd).pixelSize() <= 546);
    }
    QVERIFY(f.bold() && f.italic() && f.underline() && !f.strikeOut());
    // Measuring uses the very font painting uses.
    QCOMPARE(cellFont(title).font, f);
    QVERIFY(cellFont(title).lineHeight > cellFont(gothic).lineHeight);
}

void TestCellText::numbersShowInGeneralFormat_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("chars");
    QTest::newRow("integer") << 42.0 << "42" << 11;
    QTest::newRow("eleven digits") << 12345678901.0 << "12345678901" << 11;
    QTest::newRow("twelve digits") << 123456789012.0 << "1.23457E+11" << 11;
    QTest::newRow("power of ten") << 1e11 << "1E+11" << 11;
    QTest::newRow("third") << 1.0 / 3 << "0.333333333" << 11;
    QTest::newRow("fraction") << 0.1 << "0.1" << 11;
    QTest::newRow("small") << 0.00001 << "0.00001" << 11;
    QTest::newRow("tiny") << 0.0000012345 << "1.2345E-06" << 11;
    QTest::newRow("huge exponent") << -1.5e200 << "-1.5E+200" << 11;
    QTest::newRow("negative") << -2.5 << "-2.5" << 11;
    QTest::newRow("negative zero") << -0.0 << "0" << 11;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "#NUM!" << 11;
    QTest::newRow("narrow third") << 1.0 / 3 << "0.3333" << 6;
    QTest::newRow("narrow rounds up") << 9.99999 << "10" << 3;
    QTest::newRow("narrow large") << 123456789.0 << "1.2E+08" << 7;
    QTest::newRow("too narrow") << 123456789.0 << "" << 3;
}

void TestCellText::numbersShowInGeneralFormat() {
    QFETCH(double, value);
    QFETCH(QString, shown);
    QFETCH(int, chars);
    QCOMPARE(generalNumber(value, chars), shown);
    if (chars == kGeneralChars)
        QCOMPARE(displayText(Cell{value, 0}), shown);
    QCOMPARE(displayText(Cell{std::string("0123"), 0}), QStringLiteral("0123"));
    QCOMPARE(displayText(Cell{}), QString());
}

void TestCellText::breaksLinesAtSpacesWithinTheWidth() {
    Font f;
    f.name = "Century Gothic";
    const CellFont& font = cellFont(f);
    const QString text = QString::fromUtf8(pls::kLongAddress);
    const double width = textWidth(columnWidthPx(24.71));

    QCOMPARE(breakLines(text, font, width, false), QStringList{text});
    QCOMPARE(breakLines(QStringLiteral("a\nb"), font, width, false), QStringList{QStringLiteral("ab")});

    const QStringList lines = breakLines(text, font, width, true);
    QCOMPARE(lines.size(), 3);
    for (const QString& line : lines) {
        QVERIFY(font.metrics.horizontalAdvance(line) <= width);
        QVERIFY(!line.startsWith(u' ') && !line.endsWith(u' '));
    }
    QCOMPARE(lines.join(u' '), text);

    QCOMPARE(breakLines(QStringLiteral("one\n\ntwo"), font, width, true),
             (QStringList{QStringLiteral("one"), QString(), QStringLiteral("two")}));
    QCOMPARE(breakLines(QString(), font, width, true), QStringList{QString()});

    // A word wider than the column breaks between characters and loses none.
    const QString word(40, u'W');
    const QStringList pieces = breakLines(word, font, 60, true);
    QVERIFY(pieces.size() > 1);
    QCOMPARE(pieces.join(QString()), word);
    for (const QString& piece : pieces)
        QVERIFY(!piece.isEmpty() && font.metrics.horizontalAdvance(piece) <= 60);
    // Even a column narrower than one character shows every character.
    QCOMPARE(breakLines(QStringLiteral("abc"), font, 0, true).join(QString()), QStringLiteral("abc"));
}

void TestCellText::advanceAgreesWithTheFontMetrics() {
    // Every pair of printable ASCII characters (ligature and kerning pairs among
    // them), whole phone-list lines, and text outside the table in all fonts the
    // sheet uses: the sum of advances is the width Qt lays the line out in.
    QStringList texts{QString::fromUtf8(pls::kLongAddress),
                      QStringLiteral("office@fiefdom.example"),
                      QStringLiteral("Fitzgerald-Moore"),
                      QStringLiteral("(989) 923-4508"),
                      QStringLiteral("Zo\u00eb M\u00fcller"),
                      QStringLiteral("tab\there"),
                      QString()};
    QString pairs;
    for (char16_t a = u' '; a <= u'~'; ++a)
        for (char16_t b = u' '; b <= u'~'; ++b) {
            pairs.clear();
            pairs.append(QChar(a)).append(QChar(b));
            texts << pairs;
        }
    for (const auto& [name, size, bold] :
         {std::tuple{"Century Gothic", 10.0, false}, std::tuple{"Century Gothic", 20.0, false},
          std::tuple{"Century Gothic", 8.0, true}, std::tuple{"Arial", 10.0, false}}) {
        Font model;
        model.name = name;
        model.size = size;
        model.bold = bold;
        const CellFont& font = cellFont(model);
        for (const QString& text : std::as_const(texts))
            if (font.advance(text) != font.metrics.horizontalAdvance(text))
                QFAIL(qPrintable(QStringLiteral("%1 %2: \"%3\" is %4 by the table, %5 by Qt")
                                     .arg(QLatin1String(name))
                                     .arg(size)
                                     .arg(text)
                                     .arg(font.advance(text))
                                     .arg(font.metrics.horizontalAdvance(text))));
    }
}

void TestCellText::breaksLikeGreedyBreakingWithQtMetrics() {
    // Random words, long ones among them, with runs of spaces inside and at the
    // ends, broken at random widths: the same lines as the plain greedy rule.
    Font model;
    model.name = "Century Gothic";
    const CellFont& font = cellFont(model);
    unsigned state = 2024;
    const auto next = [&state](unsigned n) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % n;
    };
    for (int round = 0; round < 400; ++round) {
        QString text(int(next(3)), u' ');
        const int words = 1 + int(next(6));
        for (int w = 0; w < words; ++w) {
            const int length = 1 + int(next(next(4) == 0 ? 30 : 9));
            for (int i = 0; i < length; ++i)
                text += QChar(char16_t(u'!' + next(94)));
            text += QString(int(next(4)) + (w + 1 < words ? 1 : 0), u' ');
        }
        const double width = 4 + next(200);
        const QStringList expected = greedyLines(text, font.metrics, width);
        if (breakLines(text, font, width, true) != expected)
            QFAIL(qPrintable(QStringLiteral("\"%1\" at %2 px: %3 instead of %4")
                                 .arg(text)
                                 .arg(width)
                                 .arg(breakLines(text, font, width, true).join(u'|'))
                                 .arg(expected.join(u'|'))));
    }
}

QTEST_MAIN(TestCellText)
#include "test_cell_text.moc"
