// Feeds arbitrary bytes to the reader of list files of every kind (CSV and TSV, vCard,
// .xls, .xlsx, .ods). InputError is the expected answer to bad input; anything else is a
// finding, and so is a list that does not read back the same from the CSV it writes.

#include "phonelist/files/list_input.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<PhoneListRow> rows;
    try {
        rows = parsePhoneList(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                              QStringLiteral("fuzz.list"));
    } catch (const InputError&) {
        return 0;
    }
    if (rows.size() > std::size_t(kMaxListRows))
        std::abort();
    for (const PhoneListRow& row : rows)
        for (const QString& field : row)
            if (field.size() > kMaxFieldLength)
                std::abort();
    try {
        if (parsePhoneList(phoneListCsv(rows), QStringLiteral("fuzz.csv")) != rows)
            std::abort();
    } catch (const InputError&) {
        std::abort();
    }
    return 0;
}
