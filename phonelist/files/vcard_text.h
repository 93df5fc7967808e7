#pragma once

// vCard files (2.1, 3.0 and 4.0, RFC 2426 and RFC 6350), as phones and address books
// export contacts: one row of the list per card.

#include "phonelist/files/list_input.h"

#include <QString>

#include <vector>

namespace listfiles {

// Whether decoded text is a vCard file: its first line that is not blank is BEGIN:VCARD.
bool isVCardText(const QString& text);

// A card's N gives Last and First Name (FN when N is missing); its first TEL of each kind
// (home, work, cell; one of no kind is the Home Number); its first EMAIL; its home ADR, or
// its first, on one line; RELATED spouse and children. Lines may be folded; values may be
// quoted-printable in a named CHARSET (2.1) or carry backslash escapes (3.0, 4.0).
std::vector<PhoneListRow> phoneListFromVCards(const QString& text, const QString& fileName);

} // namespace listfiles
