#include "phonelist/files/column_mapping.h"

#include <QHash>
#include <QRegularExpression>

#include <array>
#include <map>

namespace listfiles {

namespace {

// Rows of a sheet searched for its column names; a title and a blank row or two come first.
constexpr int kHeaderSearchRows = 10;

enum class Kind : quint8 {
    None,  // a name nobody uses
    Known, // an address book's column the list has no place for
    Last,
    First,
    FullName,
    SpouseKids,
    Spouse,
    Children,
    Phone,
    Email,
    Address,
    // The numbered groups of a Google Contacts export: "Phone 1 - Type", "Phone 1 - Value" ...
    TypedPhoneType,
    TypedPhoneValue,
    TypedEmailValue,
    TypedAddressType,
    TypedAddress,
    TypedRelationType,
    TypedRelationValue,
};

enum class PhoneKind : quint8 { Home, Work, Cell, Other, Unused };
enum class AddressGroup : quint8 { Home, Plain, Work };
// In the order they are joined.
enum AddressItem : quint8 { Street, Street2, Street3, Extended, PoBox, City, Region, Postcode, Country, Formatted };
constexpr int kAddressItems = 10;

struct Role {
    Kind kind = Kind::None;
    PhoneKind phone = PhoneKind::Other;
    AddressGroup group = AddressGroup::Plain;
    AddressItem part = Street;
    int number = 0; // of a typed group
};

// "Téléphone (domicile)" -> "telephonedomicile": no case, accents, blanks or punctuation.
QString keyOf(const QString& name) {
    const QString decomposed = name.normalized(QString::NormalizationForm_KD).toCaseFolded();
    QString key;
    key.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c == QChar(0x00DF))
            key += QStringLiteral("ss");
        else if (c.isLetterOrNumber())
            key += c;
    }
    return key;
}

void addNames(QHash<QString, Role>& table, Role role, std::initializer_list<const char*> names) {
    for (const char* name : names)
        table.insert(keyOf(QString::fromUtf8(name)), role);
}

Role role(Kind kind) {
    Role r;
    r.kind = kind;
    return r;
}
Role phone(PhoneKind kind) {
    Role r;
    r.kind = kind == PhoneKind::Unused ? Kind::Known : Kind::Phone;
    r.phone = kind;
    return r;
}
Role address(AddressGroup group, AddressItem part) {
    Role r;
    r.kind = Kind::Address;
    r.group = group;
    r.part = part;
    return r;
}

const QHash<QString, Role>& nameTable() {
    static const QHash<QString, Role> table = [] {
        QHash<QString, Role> t;
        addNames(t, role(Kind::Last),
                 {"Last Name", "Last", "Lastname", "Surname", "Family Name", "Nachname", "Familienname", "Nom",
                  "Nom de famille", "Apellido", "Apellidos", "Primer apellido"});
        addNames(t, role(Kind::First),
                 {"First Name", "First", "Firstname", "Given Name", "Forename", "Vorname", "Prénom", "Nombre"});
        addNames(t, role(Kind::FullName),
                 {"Name", "Full Name", "Display Name", "Anzeigename", "Vollständiger Name", "Nom complet",
                  "Nom d'affichage", "Nombre completo", "Nombre para mostrar"});
        addNames(t, role(Kind::SpouseKids), {"Spouse/Kids", "Spouse and Kids", "Spouse & Kids"});
        addNames(t, role(Kind::Spouse),
                 {"Spouse", "Partner", "Spouse/Partner", "Husband", "Wife", "Ehepartner", "Ehegatte", "Partnerin",
                  "Conjoint", "Époux", "Épouse", "Cónyuge", "Esposo", "Esposa", "Pareja"});
        addNames(t, role(Kind::Children), {"Children", "Kids", "Child", "Kinder", "Enfants", "Hijos", "Niños"});

        addNames(t, phone(PhoneKind::Home),
                 {"Home Number",      "Home Phone",    "Home Telephone", "Home Tel",
                  "Private Phone",    "Phone",         "Telephone",      "Phone Number",
                  "Telephone Number", "Tel",           "Telefon",        "Telefon privat",
                  "Telefonnummer",    "Privat",        "Téléphone",      "Téléphone domicile",
                  "Téléphone fixe",   "Tél",           "Teléfono",       "Teléfono particular",
                  "Teléfono de casa", "Teléfono casa", "Teléfono fijo"});
        addNames(t, phone(PhoneKind::Work),
                 {"Work Number", "Work Phone", "Work Telephone", "Business Phone", "Office Phone",
                  "Telefon geschäftlich", "Telefon Arbeit", "Telefon dienstlich", "Geschäftlich", "Téléphone travail",
                  "Téléphone bureau", "Téléphone professionnel", "Teléfono trabajo", "Teléfono del trabajo",
                  "Teléfono oficina", "Teléfono de la oficina"});
        addNames(t, phone(PhoneKind::Cell),
                 {"Cell Number", "Cell", "Cell Phone", "Mobile", "Mobile Phone", "Mobile Number", "Handy", "Mobil",
                  "Mobiltelefon", "Mobilnummer", "Portable", "Téléphone portable", "Téléphone mobile", "Móvil",
                  "Teléfono móvil", "Celular", "Teléfono celular"});
        addNames(t, phone(PhoneKind::Other), {"Primary Phone", "Other Phone", "Main Phone", "Company Main Phone"});
        addNames(t, phone(PhoneKind::Unused),
                 {"Fax", "Fax Number", "Telefax", "Business Fax", "Home Fax", "Other Fax", "Pager", "Pager Number",
                  "Car Phone", "Radio Phone", "ISDN", "TTY/TDD Phone", "Telex", "Callback", "Assistant's Phone"});

        addNames(t, role(Kind::Email),
                 {"E-mail", "E-mail Address", "Email Address", "Mail", "E-mail 2 Address", "E-mail 3 Address",
                  "Primary Email", "Secondary Email", "E-Mail-Adresse", "Courriel", "Adresse e-mail",
                  "Adresse électronique", "Correo", "Correo electrónico", "Dirección de correo electrónico"});

        using G = AddressGroup;
        addNames(t, address(G::Plain, Street),
                 {"Address", "Street", "Street Address", "Postal Address", "Mailing Address", "Adresse", "Straße",
                  "Anschrift", "Adresse postale", "Rue", "Dirección", "Calle", "Domicilio"});
        addNames(t, address(G::Plain, Street2), {"Address 2", "Street 2", "Adresszusatz", "Complément d'adresse"});
        addNames(t, address(G::Plain, City),
                 {"City", "Town", "Ort", "Stadt", "Wohnort", "Ville", "Ciudad", "Localidad", "Población"});
        addNames(t, address(G::Plain, Region),
                 {"State", "Province", "Region", "County", "Bundesland", "Région", "Provincia", "Estado"});
        addNames(t, address(G::Plain, Postcode),
                 {"Postcode", "Post Code", "Postal Code", "Zip", "Zip Code", "PLZ", "Postleitzahl", "Code postal",
                  "Código postal"});
        addNames(t, address(G::Plain, Country), {"Country", "Country/Region", "Land", "Pays", "País"});
        addNames(t, address(G::Plain, PoBox), {"PO Box", "Postfach", "Boîte postale", "Apartado"});

        addNames(t, address(G::Home, Street),
                 {"Home Street", "Home Address", "Privatadresse", "Adresse privée", "Adresse domicile"});
        addNames(t, address(G::Home, Street2), {"Home Street 2", "Home Address 2"});
        addNames(t, address(G::Home, Street3), {"Home Street 3"});
        addNames(t, address(G::Home, City), {"Home City"});
        addNames(t, address(G::Home, Region), {"Home State"});
        addNames(t, address(G::Home, Postcode), {"Home Postal Code", "Home ZipCode", "Home Zip"});
        addNames(t, address(G::Home, Country), {"Home Country", "Home Country/Region"});
        addNames(t, address(G::Home, PoBox), {"Home PO Box", "Home Address PO Box"});

        addNames(t, address(G::Work, Street), {"Business Street", "Work Street", "Work Address", "Business Address"});
        addNames(t, address(G::Work, Street2), {"Business Street 2", "Work Address 2"});
        addNames(t, address(G::Work, Street3), {"Business Street 3"});
        addNames(t, address(G::Work, City), {"Business City", "Work City"});
        addNames(t, address(G::Work, Region), {"Business State", "Work State"});
        addNames(t, address(G::Work, Postcode), {"Business Postal Code", "Work ZipCode", "Work Zip"});
        addNames(t, address(G::Work, Country), {"Business Country/Region", "Work Country"});
        addNames(t, address(G::Work, PoBox), {"Business Address PO Box"});

        // Columns of the address books' exports that hold nothing the list keeps.
        addNames(t, role(Kind::Known),
                 {"Title",
                  "Middle Name",
                  "Suffix",
                  "Company",
                  "Department",
                  "Job Title",
                  "Nickname",
                  "Notes",
                  "Birthday",
                  "Anniversary",
                  "Web Page",
                  "Categories",
                  "Organization",
                  "Screen Name",
                  "E-mail Type",
                  "E-mail Display Name",
                  "E-mail 2 Type",
                  "E-mail 2 Display Name",
                  "E-mail 3 Type",
                  "E-mail 3 Display Name",
                  "Account",
                  "Assistant's Name",
                  "Billing Information",
                  "Directory Server",
                  "Gender",
                  "Government ID Number",
                  "Hobby",
                  "Initials",
                  "Internet Free Busy",
                  "Keywords",
                  "Language",
                  "Location",
                  "Manager's Name",
                  "Mileage",
                  "Office Location",
                  "Organizational ID Number",
                  "Priority",
                  "Private",
                  "Profession",
                  "Referred By",
                  "Sensitivity",
                  "User",
                  "Birth Year",
                  "Birth Month",
                  "Birth Day",
                  "Custom",
                  "Additional Name",
                  "Yomi Name",
                  "Given Name Yomi",
                  "Additional Name Yomi",
                  "Family Name Yomi",
                  "Name Prefix",
                  "Name Suffix",
                  "Short Name",
                  "Maiden Name",
                  "Occupation",
                  "Subject",
                  "Photo",
                  "Group Membership",
                  "Labels",
                  "File As",
                  "Phonetic First Name",
                  "Phonetic Middle Name",
                  "Phonetic Last Name",
                  "Organization Name",
                  "Organization Title",
                  "Organization Department",
                  "Other Street",
                  "Other Street 2",
                  "Other Street 3",
                  "Other City",
                  "Other State",
                  "Other Postal Code",
                  "Other Country/Region",
                  "Other Address PO Box",
                  "Work Address 2",
                  "Secondary Email Address",
                  "Webpage",
                  "Website",
                  "Company Name",
                  "Firma",
                  "Anrede",
                  "Titel",
                  "Geburtstag",
                  "Notizen",
                  "Société",
                  "Entreprise",
                  "Civilité",
                  "Anniversaire",
                  "Empresa",
                  "Cumpleaños",
                  "Notas"});
        return t;
    }();
    return table;
}

// The numbered groups of a Google Contacts export, in both its older ("Type") and newer
// ("Label") column names.
Role typedRole(const QString& key) {
    static const QRegularExpression pattern(QStringLiteral(
        "^(phone|email|address|relation)(\\d{1,4})"
        "(type|label|value|formatted|street|city|pobox|region|postalcode|country|extendedaddress|neighborhood)$"));
    const QRegularExpressionMatch m = pattern.match(key);
    Role r;
    if (!m.hasMatch()) {
        // Other numbered groups ("Organization 1 - Name", "Website 1 - Value") are known but unused.
        static const QRegularExpression other(QStringLiteral("^[a-z]+\\d{1,4}(type|label|value|name|title)$"));
        if (other.match(key).hasMatch())
            r.kind = Kind::Known;
        return r;
    }
    const QString what = m.captured(1);
    const QString field = m.captured(3);
    r.number = m.captured(2).toInt();
    const bool isType = field == QLatin1String("type") || field == QLatin1String("label");
    if (what == QLatin1String("phone")) {
        r.kind = isType ? Kind::TypedPhoneType : field == QLatin1String("value") ? Kind::TypedPhoneValue : Kind::Known;
    } else if (what == QLatin1String("email")) {
        r.kind = field == QLatin1String("value") ? Kind::TypedEmailValue : Kind::Known;
    } else if (what == QLatin1String("relation")) {
        r.kind = isType                            ? Kind::TypedRelationType
                 : field == QLatin1String("value") ? Kind::TypedRelationValue
                                                   : Kind::Known;
    } else if (isType) {
        r.kind = Kind::TypedAddressType;
    } else {
        static const QHash<QString, AddressItem> parts = {
            {QStringLiteral("formatted"), Formatted}, {QStringLiteral("street"), Street},
            {QStringLiteral("city"), City},           {QStringLiteral("pobox"), PoBox},
            {QStringLiteral("region"), Region},       {QStringLiteral("postalcode"), Postcode},
            {QStringLiteral("country"), Country},     {QStringLiteral("extendedaddress"), Extended},
        };
        const auto part = parts.constFind(field);
        r.kind = part == parts.constEnd() ? Kind::Known : Kind::TypedAddress;
        if (part != parts.constEnd())
            r.part = *part;
    }
    return r;
}

Role roleOf(const QString& name) {
    const QString key = keyOf(name);
    if (key.isEmpty())
        return {};
    const auto& table = nameTable();
    if (const auto found = table.constFind(key); found != table.constEnd())
        return *found;
    if (const Role typed = typedRole(key); typed.kind != Kind::None)
        return typed;
    // "Home Phone 2", "Business Phone 2", "Custom 1": a second column of a known kind.
    qsizetype end = key.size();
    while (end > 0 && key.at(end - 1).isDigit())
        --end;
    if (end < key.size() && end > 0)
        if (const auto found = table.constFind(key.left(end)); found != table.constEnd())
            return *found;
    return {};
}

bool feedsTheList(Kind kind) {
    return kind != Kind::None && kind != Kind::Known && kind != Kind::TypedPhoneType &&
           kind != Kind::TypedAddressType && kind != Kind::TypedRelationType;
}

bool containsAny(const QString& key, std::initializer_list<const char*> words) {
    for (const char* word : words)
        if (key.contains(QLatin1String(word)))
            return true;
    return false;
}

// What an address book's label ("Mobile", "* Home", "Work Fax") says a phone is.
PhoneKind phoneKindOf(const QString& label) {
    const QString key = keyOf(label);
    if (containsAny(key, {"fax", "pager", "telex"}))
        return PhoneKind::Unused;
    if (containsAny(key, {"mobil", "cell", "handy", "portable", "movil", "celular"}))
        return PhoneKind::Cell;
    if (containsAny(key, {"work", "business", "office", "arbeit", "geschaft", "dienst", "travail", "bureau",
                          "professionnel", "trabajo", "oficina"}))
        return PhoneKind::Work;
    if (containsAny(key, {"home", "privat", "domicile", "casa", "particular"}))
        return PhoneKind::Home;
    return PhoneKind::Other;
}

// 0 home, 1 unlabelled, 2 work: the list's Address is the home one where there is a choice.
int addressRank(const QString& label) {
    const QString key = keyOf(label);
    if (containsAny(key, {"home", "privat", "domicile", "casa", "particular"}))
        return 0;
    if (containsAny(key, {"work", "business", "office", "arbeit", "geschaft", "travail", "bureau", "trabajo"}))
        return 2;
    return 1;
}

enum class Relation { Spouse, Child, Other };
Relation relationOf(const QString& label) {
    const QString key = keyOf(label);
    if (containsAny(key, {"spouse", "partner", "wife", "husband"}))
        return Relation::Spouse;
    if (containsAny(key, {"child", "son", "daughter"}))
        return Relation::Child;
    return Relation::Other;
}

} // namespace

bool namesListColumns(const std::vector<Field>& cells) {
    int feeding = 0;
    int unknown = 0;
    for (const Field& cell : cells) {
        if (cell.blank() || cell.tooLong())
            continue;
        const Kind kind = roleOf(cell.text).kind;
        if (feedsTheList(kind))
            ++feeding;
        else if (kind == Kind::None)
            ++unknown;
    }
    return feeding >= 2 || (feeding == 1 && unknown == 0);
}

struct TableList::Mapping {
    struct PhoneSource {
        int column;
        PhoneKind kind;
        int labelColumn = -1; // a typed group's label, read per row
    };
    struct AddressSource {
        int rank = 1; // as addressRank, unless labelColumn says otherwise per row
        int labelColumn = -1;
        std::array<std::vector<int>, kAddressItems> parts;
    };
    struct RelationSource {
        int column;
        int labelColumn = -1;
    };

    int columns = 0; // names on the first row
    std::vector<int> last, first, fullName, spouseKids, spouse, children, email;
    bool fullNameIsLast = false; // a lone "Name" beside a first-name column is the surname
    std::vector<PhoneSource> phones;
    std::vector<AddressSource> addresses;
    std::vector<RelationSource> relations;
    std::vector<bool> grouped; // a typed group's column: " ::: " separates its several values

    explicit Mapping(const std::vector<Field>& names) {
        columns = int(names.size());
        grouped.assign(names.size(), false);
        std::map<int, int> phoneLabels, addressLabels, relationLabels;       // group number -> column
        std::map<int, size_t> typedAddresses;                                // group number -> addresses index
        std::array<int, 3> groupAddresses = {-1, -1, -1};                    // AddressGroup -> addresses index
        std::vector<std::pair<size_t, int>> pendingPhones, pendingRelations; // (index, group number)
        bool plainName = false;
        for (int c = 0; c < columns; ++c) {
            if (names[size_t(c)].tooLong())
                continue;
            const Role r = roleOf(names[size_t(c)].text);
            switch (r.kind) {
            case Kind::None:
            case Kind::Known:
                break;
            case Kind::Last:
                last.push_back(c);
                break;
            case Kind::First:
                first.push_back(c);
                break;
            case Kind::FullName:
                fullName.push_back(c);
                plainName = plainName || keyOf(names[size_t(c)].text) == QLatin1String("name");
                break;
            case Kind::SpouseKids:
                spouseKids.push_back(c);
                break;
            case Kind::Spouse:
                spouse.push_back(c);
                break;
            case Kind::Children:
                children.push_back(c);
                break;
            case Kind::Phone:
                phones.push_back({c, r.phone});
                break;
            case Kind::Email:
                email.push_back(c);
                break;
            case Kind::Address: {
                int& index = groupAddresses[size_t(r.group)];
                if (index < 0) {
                    index = int(addresses.size());
                    addresses.emplace_back();
                    addresses.back().rank = r.group == AddressGroup::Home ? 0 : r.group == AddressGroup::Work ? 2 : 1;
                }
                addresses[size_t(index)].parts[r.part].push_back(c);
                break;
            }
            case Kind::TypedPhoneType:
                phoneLabels.emplace(r.number, c);
                grouped[size_t(c)] = true;
                break;
            case Kind::TypedPhoneValue:
                pendingPhones.emplace_back(phones.size(), r.number);
                phones.push_back({c, PhoneKind::Other});
                grouped[size_t(c)] = true;
                break;
            case Kind::TypedEmailValue:
                email.push_back(c);
                grouped[size_t(c)] = true;
                break;
            case Kind::TypedAddressType:
            case Kind::TypedAddress: {
                auto [at, added] = typedAddresses.emplace(r.number, addresses.size());
                if (added)
                    addresses.emplace_back();
                if (r.kind == Kind::TypedAddressType)
                    addressLabels.emplace(r.number, c);
                else
                    addresses[at->second].parts[r.part].push_back(c);
                grouped[size_t(c)] = true;
                break;
            }
            case Kind::TypedRelationType:
                relationLabels.emplace(r.number, c);
                grouped[size_t(c)] = true;
                break;
            case Kind::TypedRelationValue:
                pendingRelations.emplace_back(relations.size(), r.number);
                relations.push_back({c});
                grouped[size_t(c)] = true;
                break;
            }
        }
        // A group's label may stand after its value; tie them once all names are read.
        for (auto [index, number] : pendingPhones)
            if (const auto label = phoneLabels.find(number); label != phoneLabels.end())
                phones[index].labelColumn = label->second;
        for (auto [index, number] : pendingRelations)
            if (const auto label = relationLabels.find(number); label != relationLabels.end())
                relations[index].labelColumn = label->second;
        for (auto [number, index] : typedAddresses)
            if (const auto label = addressLabels.find(number); label != addressLabels.end())
                addresses[index].labelColumn = label->second;
        fullNameIsLast = plainName && last.empty() && !first.empty();
    }
};

TableList::TableList(QString fileName, Source source) : mFileName(fileName), mSource(source), mRows(fileName) {}

TableList::~TableList() = default;

void TableList::failTooLong(const TableRow& row, int column) const {
    const Field& f = row.cells[size_t(column)];
    fail(mFileName, row.line,
         tooLongMessage(mSource == Source::TextLines ? QStringLiteral("field %1").arg(column + 1)
                                                     : QStringLiteral("a cell"),
                        f.chars, f.units));
}

void TableList::add(TableRow row) {
    if (row.used == 0)
        return;
    switch (mState) {
    case State::Undecided:
        decide(std::move(row));
        break;
    case State::Plain:
        addPlain(row, false);
        break;
    case State::Mapped:
        addMapped(row);
        break;
    }
}

void TableList::decide(TableRow row) {
    const bool text = mSource == Source::TextLines;
    if (namesListColumns(row.cells)) {
        if (row.count > kMaxTableColumns)
            fail(mFileName, row.line,
                 QStringLiteral("%1 columns; a list's table has at most %2").arg(row.count).arg(kMaxTableColumns));
        mMapping = std::make_unique<Mapping>(row.cells);
        mState = State::Mapped;
        mAbove.clear();
        return;
    }
    if (text) {
        mAbove.push_back(std::move(row));
        becomePlain();
        return;
    }
    mAbove.push_back(std::move(row));
    if (mAbove.size() >= size_t(kHeaderSearchRows))
        becomePlain();
}

void TableList::becomePlain() {
    mState = State::Plain;
    std::vector<TableRow> rows = std::move(mAbove);
    mAbove.clear();
    for (size_t i = 0; i < rows.size(); ++i)
        addPlain(rows[i], i == 0);
}

void TableList::addPlain(const TableRow& row, bool first) {
    const bool text = mSource == Source::TextLines;
    const qsizetype width = text ? row.count : row.used;
    if (first && (text ? width != 8 : width > 8)) {
        QStringList names;
        for (const QString& name : phoneListColumnNames())
            names << name;
        fail(mFileName, row.line,
             QStringLiteral("a table of %1 columns whose first %2 names no column the list has; expected a first %2 "
                            "naming the columns (%3, or names as address books export them) or eight columns of "
                            "data in that order")
                 .arg(width)
                 .arg(text ? QStringLiteral("line") : QStringLiteral("row"))
                 .arg(names.join(QStringLiteral(", "))));
    }
    if (width > 8) {
        if (text)
            fail(mFileName, row.line, QStringLiteral("%1 fields; a line holds at most 8").arg(row.count));
        int column = 8;
        while (row.cells[size_t(column)].blank())
            ++column;
        fail(mFileName, row.line,
             QStringLiteral("a value in column %1; the list has eight columns, A to H").arg(column + 1));
    }
    PhoneListRow out;
    for (size_t k = 0; k < 8 && k < row.cells.size(); ++k) {
        if (row.cells[k].tooLong())
            failTooLong(row, int(k));
        out[k] = row.cells[k].text;
    }
    mRows.add(row.line, std::move(out));
}

void TableList::addMapped(const TableRow& row) {
    const Mapping& m = *mMapping;
    if (mSource == Source::TextLines && row.used > m.columns)
        fail(mFileName, row.line,
             QStringLiteral("a value in field %1; the first line names only %2 columns").arg(row.used).arg(m.columns));

    auto text = [&](int column) -> QString {
        if (column < 0 || size_t(column) >= row.cells.size())
            return {};
        const Field& f = row.cells[size_t(column)];
        if (f.blank())
            return {};
        if (f.tooLong())
            failTooLong(row, column);
        if (m.grouped[size_t(column)]) {
            // Several values of one group share a cell: "+1 555 0100 ::: +1 555 0101".
            const qsizetype more = f.text.indexOf(QLatin1String(" ::: "));
            if (more >= 0)
                return f.text.left(more);
        }
        return f.text;
    };
    auto firstOf = [&](const std::vector<int>& columns) -> QString {
        for (int c : columns)
            if (QString t = text(c); !t.isEmpty())
                return t;
        return {};
    };

    PhoneListRow out;
    out[0] = firstOf(m.last);
    out[1] = firstOf(m.first);
    if (out[0].isEmpty() && (out[1].isEmpty() || m.fullNameIsLast))
        out[0] = firstOf(m.fullName);

    out[2] = firstOf(m.spouseKids);
    if (out[2].isEmpty()) {
        QStringList family;
        QString spouse = firstOf(m.spouse);
        QStringList children;
        for (int c : m.children)
            if (QString t = text(c); !t.isEmpty())
                children << t;
        for (const Mapping::RelationSource& r : m.relations) {
            const QString t = text(r.column);
            if (t.isEmpty())
                continue;
            const Relation relation = relationOf(text(r.labelColumn));
            if (relation == Relation::Spouse && spouse.isEmpty())
                spouse = t;
            else if (relation == Relation::Child)
                children << t;
        }
        if (!spouse.isEmpty())
            family << spouse;
        family << children;
        out[2] = family.join(QStringLiteral(", "));
    }

    int bestRank = 3;
    for (const Mapping::AddressSource& a : m.addresses) {
        const int rank = a.labelColumn >= 0 ? addressRank(text(a.labelColumn)) : a.rank;
        if (rank >= bestRank)
            continue;
        QString value = oneLine(firstOf(a.parts[Formatted]));
        if (value.isEmpty()) {
            QStringList parts;
            for (int p = 0; p < Formatted; ++p)
                parts << firstOf(a.parts[size_t(p)]);
            value = joinAddress(parts);
        }
        if (!value.isEmpty()) {
            out[3] = value;
            bestRank = rank;
        }
    }

    QString other;
    for (const Mapping::PhoneSource& p : m.phones) {
        const QString t = text(p.column);
        if (t.isEmpty())
            continue;
        const PhoneKind kind = p.labelColumn >= 0 ? phoneKindOf(text(p.labelColumn)) : p.kind;
        QString* slot = kind == PhoneKind::Home    ? &out[4]
                        : kind == PhoneKind::Work  ? &out[5]
                        : kind == PhoneKind::Cell  ? &out[6]
                        : kind == PhoneKind::Other ? &other
                                                   : nullptr;
        if (slot && slot->isEmpty())
            *slot = t;
    }
    // A phone of no stated kind is the list's Home Number, its plain "phone".
    if (out[4].isEmpty())
        out[4] = other;

    out[7] = firstOf(m.email);
    mRows.add(row.line, std::move(out));
}

std::vector<PhoneListRow> TableList::finish() {
    if (mState == State::Undecided && !mAbove.empty())
        becomePlain();
    return mRows.take();
}

} // namespace listfiles
