// Feeds arbitrary bytes to the export command's CSV reader. InputError is the
// expected answer to bad input; anything else is a finding.

#include "phonelist/files/list_input.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto rows = parsePhoneListCsv(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                                            QStringLiteral("fuzz.csv"));
        for (const PhoneListRow& row : rows)
            for (const QString& field : row)
                if (field.size() > kMaxFieldLength)
                    std::abort();
    } catch (const InputError&) {
    }
    return 0;
}
