// Text measurement as auto-fit and painting share it: fonts, the General
// number format, advances and line breaking.

#include "tests/sheet/render/phone_list_sheet.h"
#include "tests/sheet/render/pixel_model.h"

#include "sheet/render/cell_text.h"
#include "sheet/render/sheet_render.h"

#include <QFontInfo>
#include <QRandomGenerator>
#include <QTextBoundaryFinder>
#include <QGlyphRun>
#include <QTextLayout>
#include <QtTest>

using namespace sheet;
using pixel_model::PixelModel;
using pixel_model::referenceLines;
namespace pls = phone_list_sheet;

namespace {

Font face(const char* name, double size = 10, bool bold = false) {
    Font f;
    f.name = name;
    f.size = size;
    f.bold = bold;
    return f;
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
    void breaksLikeTheReferenceOnWholePixels();
    void advancesAreWholePixelsOfTheOutline();
    void breaksWhereTheRulesAllow();
    void plainTextBreaksOnlyAfterBlanksAsQtDoes();
    void shapesTheScriptsThatNeedIt();
    void findsCharactersNoFontShows();
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
    // Counted as made: line feeds, blank paragraphs, a tab and controls, the empty text.
    for (const QString& counted :
         {text, QStringLiteral("one\n\ntwo"), QStringLiteral("Room\t12\u0007 North\n"), QString()})
        QCOMPARE(lineCount(counted, font, width), int(breakLines(counted, font, width, true).size()));

    // A word wider than the column breaks between characters and loses none.
    const QString word(40, u'W');
    const QStringList pieces = breakLines(word, font, 60, true);
    QVERIFY(pieces.size() > 1);
    QCOMPARE(pieces.join(QString()), word);
    for (const QString& piece : pieces)
        QVERIFY(!piece.isEmpty() && font.metrics.horizontalAdvance(piece) <= 60);
    // A mark stays with its letter when such a word breaks.
    const QString marked = QString(20, u'W') + QStringLiteral("e\u0301") + QString(20, u'W');
    const QStringList markedPieces = breakLines(marked, font, 60, true);
    QCOMPARE(markedPieces.join(QString()), marked);
    for (const QString& piece : markedPieces)
        QVERIFY(!piece.startsWith(u'\u0301'));
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

void TestCellText::breaksLikeTheReferenceOnWholePixels() {
    // Random words of letters and digits, hyphenated ones and long ones among
    // them, with runs of blanks inside and at the ends, broken at random widths
    // in the regular and the bold face: the lines of the reference, measured
    // on the pixel model.
    unsigned state = 2024;
    const auto next = [&state](unsigned n) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % n;
    };
    const QString letters =
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\u00fc\u0141");
    for (const Font& model : {face("Century Gothic"), face("Century Gothic", 10, true), face("Arial")}) {
        const CellFont& font = cellFont(model);
        const PixelModel px(font.font);
        for (int round = 0; round < 400; ++round) {
            QString text(int(next(3)), u' ');
            const int words = 1 + int(next(6));
            for (int w = 0; w < words; ++w) {
                const int length = 1 + int(next(next(4) == 0 ? 30 : 9));
                for (int i = 0; i < length; ++i) {
                    if (i > 0 && next(8) == 0 && !text.endsWith(u'-'))
                        text += u'-';
                    text += letters[next(unsigned(letters.size()))];
                }
                text += QString(int(next(4)) + (w + 1 < words ? 1 : 0), u' ');
            }
            const int width = 4 + int(next(200));
            const QStringList expected = referenceLines(text, px, width);
            const QStringList lines = breakLines(text, font, width, true);
            QCOMPARE(lineCount(text, font, width), int(lines.size()));
            if (lines != expected)
                QFAIL(qPrintable(QStringLiteral("%1: \"%2\" at %3 px: %4 instead of %5")
                                     .arg(font.font.family(), text)
                                     .arg(width)
                                     .arg(lines.join(u'|'), expected.join(u'|'))));
        }
    }
}

void TestCellText::advancesAreWholePixelsOfTheOutline() {
    // Every character of the table in every face the sheet uses, and a whole
    // phone number: the hinted advances are the outline's, rounded.
    for (const Font& model : {face("Century Gothic"), face("Century Gothic", 10, true),
                              face("Century Gothic", 20, true), face("Arial"), face("Arial", 10, true)}) {
        const CellFont& font = cellFont(model);
        const PixelModel px(font.font);
        for (char16_t c = u' '; c <= u'\u017f'; ++c) {
            const QChar ch(c);
            if (ch.category() == QChar::Other_Control || ch.category() == QChar::Other_Format)
                continue; // never shown, so measured as nothing
            if (!px.has(ch))
                continue;
            if (font.advance(QString(ch)) != px.advance(ch))
                QFAIL(qPrintable(QStringLiteral("%1 %2 px: U+%3 is %4, the outline says %5")
                                     .arg(font.font.family())
                                     .arg(font.font.pixelSize())
                                     .arg(uint(c), 4, 16, QLatin1Char('0'))
                                     .arg(font.advance(QString(ch)))
                                     .arg(px.advance(ch))));
        }
    }
    // The layout's number columns were made for "(ddd) ddd-dddd" on one line.
    const CellFont& gothic = cellFont(face("Century Gothic"));
    const QString phone = QStringLiteral("(760) 990-9437");
    QCOMPARE(gothic.advance(phone), double(PixelModel(gothic.font).width(phone)));
    QVERIFY(gothic.advance(phone) <= textWidth(columnWidthPx(12.43)));
    QCOMPARE(breakLines(phone, gothic, textWidth(columnWidthPx(12.43)), true), QStringList{phone});

    // Bold is the family's own bold face, not one made by thickening the
    // regular strokes, which would also widen every advance.
    const QFont bold = cellFont(face("Century Gothic", 10, true)).font;
    QCOMPARE(QFontInfo(bold).styleName(), QStringLiteral("Demi"));
    QCOMPARE(QFontInfo(bold).weight(), bold.weight());
    QVERIFY(QFontInfo(cellFont(face("Arial", 10, true)).font).bold());
}

void TestCellText::breaksWhereTheRulesAllow() {
    const CellFont& font = cellFont(face("Century Gothic"));
    const auto lines = [&](const QString& text, double width) { return breakLines(text, font, width, true); };
    const auto widthOf = [&](const QString& text) { return font.advance(text); };

    // After a hyphen, but not before a digit (a phone number stays whole).
    const QString name = QStringLiteral("M\u00fcller-\u0141uka / sz");
    QCOMPARE(lines(name, widthOf(QStringLiteral("M\u00fcller-\u0141uka"))),
             (QStringList{QStringLiteral("M\u00fcller-\u0141uka"), QStringLiteral("/ sz")}));
    QCOMPARE(lines(name, widthOf(QStringLiteral("M\u00fcller-\u0141"))),
             (QStringList{QStringLiteral("M\u00fcller-"), QStringLiteral("\u0141uka /"), QStringLiteral("sz")}));
    QCOMPARE(lines(QStringLiteral("990-9437"), widthOf(QStringLiteral("990-9"))),
             (QStringList{QStringLiteral("990-9"), QStringLiteral("437")}));
    // At a zero-width space, which takes no room; between CJK characters.
    QCOMPARE(lines(QStringLiteral("Haupt\u200bstra\u00dfe"), widthOf(QStringLiteral("Hauptstr"))),
             (QStringList{QStringLiteral("Haupt"), QStringLiteral("stra\u00dfe")}));
    const QString tokyo = QStringLiteral("\u6771\u4eac\u90fd\u5343\u4ee3\u7530\u533a");
    const QStringList tokyoLines = lines(tokyo, widthOf(tokyo.left(3)));
    QCOMPARE(tokyoLines, (QStringList{tokyo.left(3), tokyo.mid(3, 3), tokyo.mid(6)}));

    // A tab is one blank, with no tab stops; other controls show as nothing.
    QCOMPARE(breakLines(QStringLiteral("a\tb\u0007c"), font, 500, false), QStringList{QStringLiteral("a bc")});
    QCOMPARE(widthOf(breakLines(QStringLiteral("Room\t12"), font, 500, true).front()),
             widthOf(QStringLiteral("Room 12")));
    // Blanks that start the text stay when it wraps.
    QCOMPARE(lines(QStringLiteral("   Apt 4, Elm Road"), widthOf(QStringLiteral("   Apt 4, Elm")) - 1),
             (QStringList{QStringLiteral("   Apt 4,"), QStringLiteral("Elm Road")}));
}

// Text the shortcut takes must be text Qt's rules break only after blanks: every
// string of up to five characters of a small alphabet that holds each kind, every
// string of up to three of all of them, and longer random ones.
void TestCellText::plainTextBreaksOnlyAfterBlanksAsQtDoes() {
    int taken = 0;
    const auto check = [&](const QString& text) {
        if (!breaksOnlyAfterBlanks(text))
            return;
        ++taken;
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
        for (qsizetype at = finder.toNextBoundary(); at > 0 && at < text.size(); at = finder.toNextBoundary())
            QVERIFY2(text[at - 1] == u' ', qPrintable(QStringLiteral("[%1] breaks at %2").arg(text).arg(at)));
    };
    const auto everyString = [&](const QString& alphabet, int longest) {
        for (int length = 1; length <= longest; ++length) {
            std::vector<qsizetype> digits(static_cast<std::size_t>(length), 0);
            for (;;) {
                QString text(length, u' ');
                for (int i = 0; i < length; ++i)
                    text[i] = alphabet[digits[static_cast<std::size_t>(i)]];
                check(text);
                int k = length - 1;
                while (k >= 0 && ++digits[static_cast<std::size_t>(k)] == alphabet.size())
                    digits[static_cast<std::size_t>(k--)] = 0;
                if (k < 0)
                    break;
            }
        }
    };
    everyString(QStringLiteral("aZ5 ,.@"), 5);
    everyString(QStringLiteral("aZ09 ,.:;@_#&*=<>~^`-()/'!+%$|"), 3);
    const QString pieces[] = {QStringLiteral("Smith"), QStringLiteral(" "),  QStringLiteral("12"),
                              QStringLiteral(","),     QStringLiteral("."),  QStringLiteral("j.doe@mail.com"),
                              QStringLiteral("Apt"),   QStringLiteral("4B"), QStringLiteral(":"),
                              QStringLiteral(";"),     QStringLiteral("_x"), QStringLiteral("  ")};
    QRandomGenerator random(20261209);
    for (int round = 0; round < 3000; ++round) {
        QString text;
        for (int n = 2 + int(random.bounded(14)); n > 0; --n)
            text += pieces[random.bounded(int(std::size(pieces)))];
        check(text);
    }
    QVERIFY(taken > 20000);

    // Text Qt may break elsewhere is left to Qt.
    for (const char* other : {"a,5", "1.5", "(555) 123-4567", "a-b", "a/b", "M\u00fcller", "a\u200bb"})
        QVERIFY2(!breaksOnlyAfterBlanks(QString::fromUtf8(other)), other);
    QVERIFY(breaksOnlyAfterBlanks(u"12 Old Rd, Apt. 4 j.doe@mail.com"));
}

void TestCellText::shapesTheScriptsThatNeedIt() {
    const CellFont& font = cellFont(face("Century Gothic"));
    const QString arabic = QStringLiteral("\u0645\u062d\u0645\u062f");      // Muhammad
    const QString hindi = QStringLiteral("\u0936\u0930\u094d\u092e\u093e"); // Sharma
    const QString thai = QStringLiteral("\u0e2a\u0e21\u0e0a\u0e32\u0e22");
    for (const QString& text : {arabic, hindi, thai, QStringLiteral("Zoe\u0308")}) {
        QVERIFY2(needsShaping(text), qPrintable(text));
        QCOMPARE(&font.fontFor(text), &font.shapingFont);
        QCOMPARE(font.advance(text), font.shapingMetrics.horizontalAdvance(text));
    }
    for (const QString& text : {QStringLiteral("M\u00fcller-\u0141uka"), QStringLiteral("\u5c71\u7530"),
                                QStringLiteral("\u041f\u0435\u0442\u0440\u043e\u0432")}) {
        QVERIFY2(!needsShaping(text), qPrintable(text));
        QCOMPARE(&font.fontFor(text), &font.font);
    }
    // Joined: the letters take their connected forms, not the isolated ones
    // the character map gives.
    QTextLayout layout(arabic, font.shapingFont);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    QCOMPARE(runs.size(), 1);
    QVERIFY(runs.front().glyphIndexes() != runs.front().rawFont().glyphIndexesForString(arabic));
    QVERIFY(arabic.isRightToLeft());
}

void TestCellText::findsCharactersNoFontShows() {
    const CellFont& font = cellFont(face("Century Gothic"));
    // Every script a list is likely to hold has an installed font.
    for (const QString& text :
         {QStringLiteral("\u0645\u062d\u0645\u062f"), QStringLiteral("\u0936\u0930\u094d\u092e\u093e"),
          QStringLiteral("\u0e2a\u0e21\u0e0a\u0e32\u0e22"), QStringLiteral("\u5c71\u7530\u592a\u90ce"),
          QStringLiteral("\u30e4\u30de\u30c0"), QStringLiteral("\uae40\ubbfc\uc900"),
          QStringLiteral("\u05db\u05d4\u05df"), QStringLiteral("\u0395\u03bb\u03bb\u03ac\u03b4\u03b1"),
          QStringLiteral("\t\u200b\u200d\u00a0")})
        QVERIFY2(unshownCharacters(text, font).empty(), qPrintable(text));
    // A private-use character no font has, twice, is named once.
    const QString planeSixteen = QString::fromUcs4(U"a\U0010FFFD b\U0010FFFD \uE000");
    QCOMPARE(unshownCharacters(planeSixteen, font), (std::vector<char32_t>{0x10FFFD, 0xE000}));
}

QTEST_MAIN(TestCellText)
#include "test_cell_text.moc"
