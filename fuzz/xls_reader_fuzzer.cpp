// Feeds arbitrary bytes to the .xls reader. A FormatError is the expected
// answer to a bad file; anything else (crash, other exception, leak, hang,
// huge allocation) is a finding.

#include "sheet/xls/xls_io.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        auto wb = sheet::xls::readBytes(std::span<const std::uint8_t>(data, size));
        // Writing what was read must work too: the reader only builds valid models.
        (void)sheet::xls::writeBytes(*wb);
    } catch (const sheet::xls::FormatError&) {
    }
    return 0;
}
