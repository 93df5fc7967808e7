// Every kind of file parsePhoneList reads, each written here from the public description
// of its format (RFC 4180, the vCard 2.1 description, RFC 2426, RFC 6350, ECMA-376,
// OpenDocument) and the column names address books are documented to export.

#include "phonelist/files/list_input.h"

#include "sheet/xls/xls_io.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <zip.h>

namespace {

PhoneListRow entry(std::initializer_list<const char*> fields) {
    PhoneListRow row;
    size_t k = 0;
    for (const char* f : fields)
        row[k++] = QString::fromUtf8(f);
    return row;
}

// A refusal where rows were expected shows as a warning and no rows, failing the comparison.
std::vector<PhoneListRow> parse(const QByteArray& bytes, const char* name = "in.csv") {
    try {
        return parsePhoneList(bytes, QString::fromLatin1(name));
    } catch (const InputError& e) {
        qWarning("%s", e.what());
        return {};
    }
}

QString errorOf(const QByteArray& bytes, const char* name = "in.csv") {
    try {
        parsePhoneList(bytes, QString::fromLatin1(name));
    } catch (const InputError& e) {
        return QString::fromUtf8(e.what());
    }
    return QStringLiteral("(no error)");
}

QByteArray utf8(const char* text) {
    return QByteArray(text);
}

// A zip archive made by libzip; "mimetype" is stored, as OpenDocument asks, the rest deflated.
QByteArray zipOf(const std::vector<std::pair<const char*, QByteArray>>& members) {
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("archive.zip")));
    int error = 0;
    zip_t* z = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        return {};
    for (const auto& [name, data] : members) {
        zip_source_t* source = zip_source_buffer(z, data.constData(), zip_uint64_t(data.size()), 0);
        const zip_int64_t index = zip_file_add(z, name, source, ZIP_FL_OVERWRITE);
        if (QByteArrayView(name) == "mimetype")
            zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_STORE, 0);
    }
    zip_close(z);
    QFile file(QString::fromLocal8Bit(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const char* const kSheetNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// A workbook of two sheets whose first (in the workbook's order) is the second file: the
// reader must follow the relationships, not the file names.
QByteArray xlsxOf(const QByteArray& firstSheetData, const QByteArray& sharedStrings) {
    const QByteArray ns = QByteArray("xmlns=\"") + kSheetNs + "\"";
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    return zipOf({
        {"[Content_Types].xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
                                "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
        {"xl/workbook.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook " + ns + " xmlns:r=\"" + rel +
                                "\"><sheets><sheet name=\"Contacts\" sheetId=\"1\" r:id=\"rId2\"/>"
                                "<sheet name=\"Other\" sheetId=\"2\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             rel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" + rel +
             "/worksheet\" Target=\"/xl/worksheets/contacts.xml\"/><Relationship Id=\"rId3\" Type=\"" + rel +
             "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"},
        {"xl/worksheets/sheet1.xml", "<worksheet " + ns +
                                         "><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Wrong "
                                         "sheet</t></is></c></row></sheetData></worksheet>"},
        {"xl/worksheets/contacts.xml",
         "<worksheet " + ns + "><sheetData>" + firstSheetData + "</sheetData></worksheet>"},
        {"xl/sharedStrings.xml", "<sst " + ns + ">" + sharedStrings + "</sst>"},
    });
}

QByteArray odsOf(const QByteArray& tables,
                 const QByteArray& mimetype = "application/vnd.oasis.opendocument.spreadsheet") {
    return zipOf({
        {"mimetype", mimetype},
        {"content.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\"><office:body>"
         "<office:spreadsheet>" +
             tables + "</office:spreadsheet></office:body></office:document-content>"},
    });
}

QByteArray cell(const char* text) {
    return QByteArray("<table:table-cell office:value-type=\"string\"><text:p>") + text +
           "</text:p></table:table-cell>";
}

} // namespace

Q_DECLARE_METATYPE(PhoneListRow)

namespace QTest {
template <> char* toString(const PhoneListRow& row) {
    return qstrdup(QStringList(row.begin(), row.end()).join(QStringLiteral(" | ")).toUtf8().constData());
}
template <> char* toString(const std::vector<PhoneListRow>& rows) {
    QStringList lines;
    for (const PhoneListRow& row : rows)
        lines << QStringList(row.begin(), row.end()).join(QStringLiteral(" | "));
    return qstrdup(("\n    " + lines.join(QStringLiteral("\n    "))).toUtf8().constData());
}
} // namespace QTest

class TestListFiles : public QObject {
    Q_OBJECT
private slots:
    void readsDelimitersAndEncodings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<PhoneListRow>("first");
        const PhoneListRow mueller =
            entry({"Müller", "Jörg", "", "Hauptstr. 1, Köln", "0221 555", "", "0170 555 €", "j@example.de"});
        const QString ours = QStringLiteral("Last Name,First Name,Spouse/Kids,Address,Home Number,Work Number,"
                                            "Cell Number,E-mail\r\n");
        const QString data = QStringLiteral("Müller,Jörg,,\"Hauptstr. 1, Köln\",0221 555,,0170 555 €,j@example.de\r\n");

        QTest::newRow("comma, our names") << (ours + data).toUtf8() << mueller;
        QTest::newRow("UTF-8 with mark") << "\xEF\xBB\xBF" + (ours + data).toUtf8() << mueller;
        QByteArray le = "\xFF\xFE", be = "\xFE\xFF";
        le += QStringEncoder(QStringConverter::Utf16LE)(ours + data);
        be += QStringEncoder(QStringConverter::Utf16BE)(ours + data);
        QTest::newRow("UTF-16 LE") << le << mueller;
        QTest::newRow("UTF-16 BE") << be << mueller;
        // What a German spreadsheet saves: semicolons, Windows-1252 (0xFC ü, 0xF6 ö, 0x80 €).
        QTest::newRow("semicolon, Windows-1252")
            << QByteArray("Nachname;Vorname;Adresse;Telefon privat;Telefon gesch\xE4"
                          "ftlich;Handy;E-Mail\r\n"
                          "M\xFCller;J\xF6rg;Hauptstr. 1, K\xF6ln;0221 555;;0170 555 \x80;j@example.de\r\n")
            << mueller;
        QTest::newRow("sep= line, no names")
            << QByteArray("sep=;\nM\xC3\xBCller;J\xC3\xB6rg;;Hauptstr. 1, K\xC3\xB6ln;0221 555;;0170 555 \xE2\x82\xAC;"
                          "j@example.de\n")
            << mueller;
        QTest::newRow("tab, quotes as text")
            << utf8("Surname\tFirst\tAddress\tMobile\nO\"Hara\t\"Kim\"\t12 \"Old\" Rd\t555\n")
            << entry({"O\"Hara", "Kim", "", "12 \"Old\" Rd", "", "", "555", ""});
    }
    void readsDelimitersAndEncodings() {
        QFETCH(QByteArray, bytes);
        QFETCH(PhoneListRow, first);
        const auto rows = parse(bytes);
        QCOMPARE(rows.size(), size_t(1));
        QCOMPARE(rows[0], first);
    }

    void mapsNamesWhateverTheirLanguageCaseAndAccents() {
        QCOMPARE(parse(utf8("Surname,Given Name,Partner,Street,Phone,Office Phone,Mobile Phone,Email Address\n"
                            "Okafor,Ada,Chidi,1 Bay Rd,111,222,333,ada@example.com\n")),
                 std::vector{entry({"Okafor", "Ada", "Chidi", "1 Bay Rd", "111", "222", "333", "ada@example.com"})});
        QCOMPARE(parse(utf8("NOM;prenom;Conjoint;Adresse;Téléphone (domicile);telephone travail;Portable;Courriel\n"
                            "Lefèvre;Zoé;Luc;2 rue Haute;01;02;06;zoe@example.fr\n")),
                 std::vector{entry({"Lefèvre", "Zoé", "Luc", "2 rue Haute", "01", "02", "06", "zoe@example.fr"})});
        // Address columns join on one line in the order street, city, region, postcode, country.
        QCOMPARE(parse(utf8("Apellidos,Nombre,Hijos,Calle,Ciudad,Código postal,País,Teléfono,Móvil,Correo\n"
                            "García,Lucía,\"Pablo, Inés\",Gran Vía 1,Madrid,28013,España,91,600,l@example.es\n")),
                 std::vector{entry({"García", "Lucía", "Pablo, Inés", "Gran Vía 1, Madrid, 28013, España", "91", "",
                                    "600", "l@example.es"})});
        // Columns the list has no place for are passed over; empty rows are skipped.
        QCOMPARE(parse(utf8("Vorname,Name,Firma,Straße,PLZ,Ort,Mobil\n\n,,ACME,,,,\nEva,Roth,ACME,,,,0171\n")),
                 std::vector{entry({"Roth", "Eva", "", "", "", "", "0171", ""})});
    }

    void takesWhatAddressBooksExport() {
        // Google Contacts: numbered groups, the kind of each phone and address in its own column,
        // several values of one group in a cell.
        const auto google = parse(
            utf8("Name,Given Name,Additional Name,Family Name,Nickname,Notes,Group Membership,"
                 "E-mail 1 - Type,E-mail 1 - Value,Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,"
                 "Phone 3 - Type,Phone 3 - Value,Address 1 - Type,Address 1 - Formatted,Address 1 - Street,"
                 "Address 1 - City,Address 2 - Type,Address 2 - Formatted,Address 2 - Street,Address 2 - City,"
                 "Address 2 - Postal Code,Relation 1 - Type,Relation 1 - Value,Organization 1 - Name\n"
                 "Ann Lee,Ann,,Lee,,,* myContacts,* Home,ann@example.com ::: ann@work.example,Mobile,"
                 "+1 555 0101 ::: +1 555 0109,Work Fax,+1 555 0190,Work,+1 555 0102,Work,\"1 Main St\nTown\",1 Main St,"
                 "Town,Home,,9 Elm Rd,Springfield,12345,Spouse,Sam,ACME\n"
                 "Desk,,,,,,,,,Main,+1 555 0111,,,,,,,,,,,,,,,,\n"));
        QCOMPARE(google.size(), size_t(2));
        QCOMPARE(google[0], entry({"Lee", "Ann", "Sam", "9 Elm Rd, Springfield, 12345", "", "+1 555 0102",
                                   "+1 555 0101", "ann@example.com"}));
        QCOMPARE(google[1], entry({"Desk", "", "", "", "+1 555 0111", "", "", ""})); // a phone of no kind is Home

        // Outlook: a column per kind; the first filled one of each kind counts.
        const auto outlook = parse(
            utf8("Title,First Name,Middle Name,Last Name,Suffix,Company,Department,Job Title,Business Street,"
                 "Business City,Home Street,Home Street 2,Home City,Home State,Home Postal Code,Home Country/Region,"
                 "Business Fax,Business Phone,Home Phone,Home Phone 2,Mobile Phone,Children,E-mail Address,E-mail Type,"
                 "E-mail 2 Address,Spouse\n"
                 "Dr.,Raj,K,Patel,,Initech,,,5 Work Way,Metro,\"12 Elm St\r\nApt 3\",,Springfield,IL,62704,USA,"
                 "555-0190,555-0102,,555-0103,555-0104,\"Mia, Leo\",,SMTP,raj@example.net,Priya\n"));
        QCOMPARE(outlook,
                 std::vector{entry({"Patel", "Raj", "Priya, Mia, Leo", "12 Elm St, Apt 3, Springfield, IL, 62704, USA",
                                    "555-0103", "555-0102", "555-0104", "raj@example.net"})});

        // Thunderbird: the display name stands in for a card without first and last name.
        const auto thunderbird = parse(
            utf8("First Name,Last Name,Display Name,Nickname,Primary Email,Secondary Email,Screen Name,Work Phone,"
                 "Home Phone,Fax Number,Pager Number,Mobile Number,Home Address,Home Address 2,Home City,Home State,"
                 "Home ZipCode,Home Country,Work Address,Work Address 2,Work City\n"
                 "Ola,Nordmann,Ola Nordmann,,ola@example.no,,,22 00,23 00,,,900 00,Storgata 1,,Oslo,,0155,Norway,,,\n"
                 ",,Front Office,,,,,22 10,,,,,,,,,,,Kaigata 2,,Bergen\n"));
        QCOMPARE(thunderbird.size(), size_t(2));
        QCOMPARE(thunderbird[0], entry({"Nordmann", "Ola", "", "Storgata 1, Oslo, 0155, Norway", "23 00", "22 00",
                                        "900 00", "ola@example.no"}));
        QCOMPARE(thunderbird[1], entry({"Front Office", "", "", "Kaigata 2, Bergen", "", "22 10", "", ""}));
    }

    void refusesTablesItCannotPlace() {
        const QString unknown = errorOf("Vendor,Product,Price\n1,2,3\n");
        QVERIFY2(unknown.startsWith(QStringLiteral("in.csv:1: a table of 3 columns whose first line names no column")),
                 qPrintable(unknown));
        QVERIFY(unknown.contains(QStringLiteral(
            "(Last Name, First Name, Spouse/Kids, Address, Home Number, Work Number, Cell Number, E-mail")));
        QVERIFY(errorOf("a,b,c,d,e,f,g\n").startsWith(QStringLiteral("in.csv:1: a table of 7 columns")));
        QCOMPARE(errorOf("Last Name,First Name\nA,B,C\n"),
                 QStringLiteral("in.csv:2: a value in field 3; the first line names only 2 columns"));
        QCOMPARE(parse("Last Name,First Name\nA,B,,\n").size(), size_t(1)); // empty fields past the names are no harm
        QCOMPARE(errorOf("1,2,3,4,5,6,7,8\n1,2,3,4,5,6,7,8,9\n"),
                 QStringLiteral("in.csv:2: 9 fields; a line holds at most 8"));

        const QByteArray longField(kMaxFieldLength + 1, 'x');
        QCOMPARE(errorOf("Surname,Notes\n\"\n" + longField + "\",short\n"),
                 QStringLiteral("in.csv:2: field 1 has 1026 characters; at most 1024 fit"));
        QCOMPARE(parse("Surname,Notes\nKent," + longField + "\n").size(), size_t(1)); // a column nobody reads

        QByteArray many = "Surname\n";
        for (int i = 0; i < kMaxListRows; ++i)
            many += "x\n\n"; // empty lines are no rows
        QCOMPARE(parse(many).size(), size_t(kMaxListRows));
        QCOMPARE(errorOf(many + "y\n"), QStringLiteral("in.csv:20002: more than 10000 rows; the list holds no more"));

        QCOMPARE(errorOf(""), QStringLiteral("in.csv: is empty; there is no list in it"));
        QCOMPARE(errorOf("\xEF\xBB\xBF \r\n\r\n"), QStringLiteral("in.csv: is empty; there is no list in it"));
        QVERIFY(errorOf(QByteArray("GIF89a\x01\x00\x01\x00\x00\xFF", 12))
                    .startsWith(QStringLiteral("in.csv:1: a NUL character")));
        QVERIFY(errorOf("\xFF\xFE\x41").contains(QStringLiteral("not valid UTF-16")));
        QVERIFY(errorOf("Surname\n\"open\n").startsWith(QStringLiteral("in.csv:2: a quoted field is never closed")));
    }

    void readsVCardsOfEveryVersion() {
        // 2.1: bare types, quoted-printable in a named character set, a soft line break.
        const QByteArray v21 = "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                               "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=F6rg;;;\r\n"
                               "TEL;WORK;FAX:+49 221 555 09\r\nTEL;HOME;VOICE:+49 221 555 01\r\n"
                               "TEL;CELL:+49 170 555 02\r\nEMAIL;INTERNET:joerg@example.de\r\n"
                               "ADR;HOME;CHARSET=UTF-8;QUOTED-PRINTABLE:;;Hauptstra=C3=9Fe 5=0D=0A=\r\n"
                               "Hinterhaus;K=C3=B6ln;;50667;Deutschland\r\nEND:VCARD\r\n";
        QCOMPARE(parse(v21, "in.vcf"),
                 std::vector{entry({"Müller", "Jörg", "", "Hauptstraße 5, Hinterhaus, Köln, 50667, Deutschland",
                                    "+49 221 555 01", "", "+49 170 555 02", "joerg@example.de"})});

        // 3.0: escapes, a folded line, the home address preferred, FN where N is missing.
        const QByteArray v30 = "BEGIN:VCARD\nVERSION:3.0\nN:O'Neil\\, Jr.;Se\xC3\xA1n;;;\n"
                               "TEL;TYPE=WORK,VOICE:+353 1 555 0100\nTEL;TYPE=CELL:+353 85 555 0102\n"
                               "EMAIL;TYPE=INTERNET,PREF:sean@exa\n mple.com\n"
                               "ADR;TYPE=WORK:;;1 Office Park;Dublin;;D02;Ireland\n"
                               "ADR;TYPE=HOME:;Apt 4;12 Quay St\\nBack door;Galway;;H91;Ireland\nEND:VCARD\n"
                               "\nBEGIN:VCARD\nVERSION:3.0\nFN:Reception\\; Desk\nTEL:+353 1 555 0199\nEND:VCARD\n";
        const auto cards = parse(v30, "in.vcf");
        QCOMPARE(cards.size(), size_t(2));
        QCOMPARE(cards[0], entry({"O'Neil, Jr.", "Seán", "", "12 Quay St, Back door, Apt 4, Galway, H91, Ireland", "",
                                  "+353 1 555 0100", "+353 85 555 0102", "sean@example.com"}));
        QCOMPARE(cards[1], entry({"Reception; Desk", "", "", "", "+353 1 555 0199", "", "", ""}));

        // 4.0: quoted type lists, tel: URIs, relations by name (a link to another card is no name).
        const QByteArray v40 = "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Nakamura;Yui;;;\r\n"
                               "TEL;VALUE=uri;TYPE=\"voice,home\":tel:+81-3-5555-0100\r\n"
                               "TEL;TYPE=cell:tel:+81-90-5555-0101\r\nEMAIL:yui@example.jp\r\n"
                               "RELATED;TYPE=spouse;VALUE=text:Ken\r\nRELATED;TYPE=child;VALUE=text:Aoi\r\n"
                               "RELATED;TYPE=child:urn:uuid:f81d4fae-7dec-11d0-a765-00a0c91e6bf6\r\n"
                               "ADR;TYPE=home:;;3-1 Chiyoda;Tokyo;;100-0001;Japan\r\nEND:VCARD\r\n";
        QCOMPARE(parse(v40, "in.vcf"),
                 std::vector{entry({"Nakamura", "Yui", "Ken, Aoi", "3-1 Chiyoda, Tokyo, 100-0001, Japan",
                                    "+81-3-5555-0100", "", "+81-90-5555-0101", "yui@example.jp"})});

        QCOMPARE(errorOf("BEGIN:VCARD\nVERSION:3.0\nFN:A\n", "in.vcf"),
                 QStringLiteral("in.vcf:1: a card that never ends: END:VCARD is missing"));
        QCOMPARE(errorOf("BEGIN:VCARD\nFN:A\nEND:VCARD\nFN:B\n", "in.vcf"),
                 QStringLiteral("in.vcf:4: a line outside BEGIN:VCARD ... END:VCARD"));
        QCOMPARE(errorOf("BEGIN:VCARD\nVERSION:3.0\nEMAIL:" + QByteArray(kMaxFieldLength + 1, 'e') + "\nEND:VCARD\n",
                         "in.vcf"),
                 QStringLiteral("in.vcf:1: the E-mail has 1025 characters; at most 1024 fit"));
    }

    void readsTheFirstSheetOfAnXlsxWorkbook() {
        const QByteArray strings = "<si><t>Phone List</t></si><si><t>Family Name</t></si><si><t>Given Name</t></si>"
                                   "<si><r><t>Mobile</t></r><r><rPr><b/></rPr><t xml:space=\"preserve\"> Phone</t></r>"
                                   "</si><si><t>E-mail</t></si>"
                                   "<si><t>\xC3\x98ster</t><rPh sb=\"0\" eb=\"1\"><t>o</t></rPh></si>";
        const QByteArray sheet =
            "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>" // a title above the names
            "<row r=\"3\"><c r=\"B3\" t=\"s\"><v>1</v></c><c r=\"C3\" t=\"s\"><v>2</v></c>"
            "<c r=\"D3\" t=\"s\"><v>3</v></c><c r=\"E3\" t=\"s\"><v>4</v></c></row>"
            "<row r=\"4\"><c r=\"B4\" t=\"s\"><v>5</v></c><c r=\"C4\" t=\"inlineStr\"><is><t>\xC3\x85se</t></is></c>"
            "<c r=\"D4\"><v>4790000001</v></c><c r=\"E4\" t=\"str\"><f>\"a\"&amp;\"@b.no\"</f><v>a@b.no</v></c>"
            "<c r=\"G4\"><v>7</v></c></row>"           // a note beside the table
            "<row r=\"5\"><c r=\"B5\" s=\"1\"/></row>" // formatting only
            "<row><c t=\"inlineStr\"><is><t>x</t></is></c><c t=\"inlineStr\"><is><t>Lone</t></is></c>"
            "<c t=\"inlineStr\"><is><t>Rider</t></is></c><c><v>1.5</v></c></row>";
        const auto rows = parse(xlsxOf(sheet, strings), "in.xlsx");
        QCOMPARE(rows.size(), size_t(2));
        QCOMPARE(rows[0], entry({"Øster", "Åse", "", "", "", "", "4790000001", "a@b.no"}));
        QCOMPARE(rows[1], entry({"Lone", "Rider", "", "", "", "", "1.5", ""}));

        QCOMPARE(errorOf(xlsxOf("<row r=\"2\"><c r=\"A2\" t=\"s\"><v>99</v></c></row>", strings), "in.xlsx"),
                 QStringLiteral("in.xlsx:2: a cell refers to text 99, which the workbook does not hold"));
        const QString broken = errorOf(xlsxOf("<row r=\"1\"><c r=\"A1\"><v>1</v></row>", strings), "in.xlsx");
        QVERIFY2(broken.startsWith(QStringLiteral("in.xlsx: holds xl/worksheets/contacts.xml, which is not "
                                                  "well-formed XML (line 1:")),
                 qPrintable(broken));
    }

    void readsTheFirstTableOfAnOdsSpreadsheet() {
        const QByteArray table =
            "<table:table table:name=\"Adressen\"><table:table-column table:number-columns-repeated=\"16384\"/>"
            "<table:table-row>" +
            cell("Nachname") + cell("Vorname") + cell("Straße") + cell("PLZ") + cell("Ort") + cell("Telefon") +
            "<table:table-cell table:number-columns-repeated=\"16378\"/></table:table-row>"
            "<table:table-row><table:table-cell><text:p>von<text:s/>der<text:s text:c=\"2\"/>Heide</text:p>"
            "<office:annotation><text:p>a comment</text:p></office:annotation></table:table-cell>"
            "<table:table-cell><text:p><text:span>Anna</text:span>-Lena</text:p></table:table-cell>"
            "<table:table-cell><text:p>Am Markt 3</text:p><text:p>Hof links</text:p></table:table-cell>"
            "<table:table-cell office:value-type=\"float\" office:value=\"10115\"><text:p>10115</text:p>"
            "</table:table-cell>" +
            cell("Berlin") +
            "<table:table-cell office:value-type=\"float\" office:value=\"305550100\"/></table:table-row>"
            "<table:table-row table:number-rows-repeated=\"2\">" +
            cell("Klon") +
            "</table:table-row>"
            // The empty rest of the sheet, as spreadsheets write it.
            "<table:table-row table:number-rows-repeated=\"1048570\">"
            "<table:table-cell table:number-columns-repeated=\"16384\"/></table:table-row></table:table>"
            "<table:table table:name=\"Zwei\"><table:table-row>" +
            cell("not this one") + "</table:table-row></table:table>";
        const auto rows = parse(odsOf(table), "in.ods");
        QCOMPARE(rows.size(), size_t(3));
        QCOMPARE(rows[0], entry({"von der  Heide", "Anna-Lena", "", "Am Markt 3, Hof links, Berlin, 10115", "305550100",
                                 "", "", ""}));
        QCOMPARE(rows[2], entry({"Klon", "", "", "", "", "", "", ""}));

        QByteArray tooMany = "<table:table><table:table-row>" + cell("Surname") +
                             "</table:table-row>"
                             "<table:table-row table:number-rows-repeated=\"20000\">" +
                             cell("x") + "</table:table-row></table:table>";
        QCOMPARE(errorOf(odsOf(tooMany), "in.ods"),
                 QStringLiteral("in.ods:10002: more than 10000 rows; the list holds no more"));
        QVERIFY(errorOf(odsOf(table, "application/vnd.oasis.opendocument.text"), "in.odt")
                    .startsWith(QStringLiteral("in.odt: is an OpenDocument file of another kind")));
    }

    // A sheet without column names is eight columns from A; cells beside the list are refused
    // there, as they are ignored beside named columns.
    void readsSheetsWithoutNamesAsColumnsAToH() {
        auto inline_ = [](const char* ref, const QByteArray& text) {
            return "<c r=\"" + QByteArray(ref) + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
        };
        const QByteArray first = "<row r=\"2\">" + inline_("A2", "Kent") + inline_("H2", "k@example.com") + "</row>";
        QCOMPARE(parse(xlsxOf(first, {}), "in.xlsx"),
                 std::vector{entry({"Kent", "", "", "", "", "", "", "k@example.com"})});
        QCOMPARE(errorOf(xlsxOf(first + "<row r=\"3\">" + inline_("I3", "ninth") + "</row>", {}), "in.xlsx"),
                 QStringLiteral("in.xlsx:3: a value in column 9; the list has eight columns, A to H"));
        QVERIFY(errorOf(xlsxOf("<row r=\"1\">" + inline_("J1", "tenth") + "</row>", {}), "in.xlsx")
                    .startsWith(QStringLiteral("in.xlsx:1: a table of 10 columns whose first row names no column")));
        QCOMPARE(
            errorOf(
                xlsxOf(first + "<row r=\"4\">" + inline_("C4", QByteArray(kMaxFieldLength + 1, 'c')) + "</row>", {}),
                "in.xlsx"),
            QStringLiteral("in.xlsx:4: a cell has 1025 characters; at most 1024 fit"));
    }

    void checksWhatItJoinsAndKeepsQuotedDelimiters() {
        // Commas inside quotes do not outvote the semicolons between fields.
        QCOMPARE(parse(utf8("Name;Address;Phone\n\"Lee, Ann\";\"1 Rd, Town, Shire\";5\n")),
                 std::vector{entry({"Lee, Ann", "", "", "1 Rd, Town, Shire", "5", "", "", ""})});
        // Columns that fit alone may not fit joined.
        const QByteArray half(600, 'h');
        QCOMPARE(errorOf("Surname,Street,City\nKent," + half + "," + half + "\n"),
                 QStringLiteral("in.csv:2: the Address has 1202 characters; at most 1024 fit"));
        // Names and nothing under them are an empty list, not an error.
        QCOMPARE(parse("Last Name,First Name,E-mail\r\n").size(), size_t(0));
    }

    void readsXlsThroughTheWorkbookReader() {
        auto bytesOf = [](const sheet::Workbook& wb) {
            const std::vector<std::uint8_t> b = sheet::xls::writeBytes(wb);
            return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
        };
        auto put = [](sheet::Sheet& s, int r, int c, const char* text) { s.cellAt(r, c).value = std::string(text); };

        sheet::Workbook ours;
        sheet::Sheet& s = ours.addSheet("Phone List");
        const auto& names = phoneListColumnNames();
        for (int k = 0; k < 8; ++k)
            put(s, 0, k, names[size_t(k)].toUtf8().constData());
        put(s, 1, 0, "Darezo");
        s.cellAt(3, 4).value = 2678237.0; // row 3 empty between: skipped here, kept by phoneListFromWorkbook
        QCOMPARE(parse(bytesOf(ours), "in.xls"), (std::vector{entry({"Darezo", "", "", "", "", "", "", ""}),
                                                              entry({"", "", "", "", "2678237", "", "", ""})}));

        sheet::Workbook exported;
        sheet::Sheet& g = exported.addSheet("contacts");
        const char* header[] = {"Given Name", "Family Name", "Phone 1 - Type", "Phone 1 - Value", "Notes"};
        const char* values[] = {"Ana", "Ruiz", "Work", "555 0100", "met at the fair"};
        for (int k = 0; k < 5; ++k) {
            put(g, 0, k, header[k]);
            put(g, 1, k, values[k]);
        }
        QCOMPARE(parse(bytesOf(exported), "in.xls"),
                 std::vector{entry({"Ruiz", "Ana", "", "", "", "555 0100", "", ""})});
        QVERIFY(errorOf(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + QByteArray(600, '\0'), "in.xls")
                    .startsWith(QStringLiteral("in.xls: is not a readable Excel 97-2003 workbook: ")));
    }

    void refusesBrokenArchives() {
        QVERIFY(errorOf("PK\x03\x04" + QByteArray(100, 'z'), "in.xlsx")
                    .startsWith(QStringLiteral("in.xlsx: is not a readable zip archive")));
        QCOMPARE(errorOf(zipOf({{"readme.txt", "hello"}}), "in.zip"),
                 QStringLiteral("in.zip: is a zip archive, but neither an .xlsx nor an .ods workbook"));
        QVERIFY(errorOf(zipOf({{"content.xml", "<office:document-content><table:table"}}), "in.ods")
                    .startsWith(QStringLiteral("in.ods: holds content.xml, which is not well-formed XML")));

        // 65 MB of blanks pack into some 64 kB: read no further than the cap.
        const QByteArray bomb = zipOf({{"content.xml", QByteArray(65 << 20, ' ')}});
        QVERIFY(bomb.size() < 200'000);
        QCOMPARE(errorOf(bomb, "in.ods"), QStringLiteral("in.ods: unpacks to more than 64 MB; that is no phone list"));

        // Damage inside the packed content is found, by the inflater or the checksum.
        QByteArray content;
        for (int i = 0; i < 4000; ++i)
            content += "<table:table-row>" + cell(QByteArray::number(i * 7919).constData()) + "</table:table-row>";
        QByteArray damaged = odsOf("<table:table>" + content + "</table:table>");
        for (qsizetype i = damaged.size() / 3; i < damaged.size() / 3 + 64; ++i)
            damaged[i] = char(damaged[i] ^ 0x5A);
        const QString damage = errorOf(damaged, "in.ods");
        QVERIFY2(damage.startsWith(QStringLiteral("in.ods: holds a damaged content.xml")), qPrintable(damage));
    }

    void csvRoundTripsThroughTheReader() {
        const std::vector<PhoneListRow> rows = {
            entry({"Adams, Jr.", "say \"hi\"", "Ann\r\nBen", "1 Road\nFlat 2", " lead", "trail ", "a;b\tc", "x@y"}),
            entry({"Иванов", "王小明", "", "", "📞 555", "", "", ""}),
            entry({"", "", "", "", "", "", "", "only@mail"}),
        };
        const QByteArray csv = phoneListCsv(rows);
        QVERIFY(csv.startsWith("Last Name,First Name,Spouse/Kids,Address,Home Number,Work Number,Cell Number,"
                               "E-mail\r\n\"Adams, Jr.\",\"say \"\"hi\"\"\",\"Ann\r\nBen\","));
        QVERIFY(csv.endsWith(",,,,,,,only@mail\r\n"));
        QCOMPARE(parse(csv), rows);
        QCOMPARE(phoneListCsv({}), QByteArray("Last Name,First Name,Spouse/Kids,Address,Home Number,Work Number,"
                                              "Cell Number,E-mail\r\n"));
    }
};

QTEST_MAIN(TestListFiles)
#include "test_list_files.moc"
