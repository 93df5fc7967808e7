#include "app/paper.h"

#include <cstdint>
#include <langinfo.h>
#include <locale.h>

bool localePrintsOnLetter() {
    // The user's LC_PAPER, read without changing the program's own locale.
    const locale_t paper = newlocale(LC_PAPER_MASK, "", locale_t(nullptr));
    if (paper == locale_t(nullptr))
        return false;
    // glibc hands the paper's size in millimetres back as a 32-bit word in the
    // pointer's place; the rest of the pointer is not part of it.
    const auto word = [paper](nl_item item) {
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(nl_langinfo_l(item, paper)));
    };
    const std::uint32_t width = word(_NL_PAPER_WIDTH);
    const std::uint32_t height = word(_NL_PAPER_HEIGHT);
    freelocale(paper);
    return width == 216 && height == 279;
}
