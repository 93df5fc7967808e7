#pragma once

// The paper this user's locale prints on.

// True when the locale's paper (LC_PAPER) is US Letter, false for A4 and every
// other size. Never throws.
bool localePrintsOnLetter();
