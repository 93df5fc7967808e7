#pragma once

// Qt's remarks that tell a user of this program nothing, kept off standard error.

// Installs a message handler that drops them and prints every other message as
// Qt would: the note on a missing runtime folder outside a desktop session, and
// the font engine's note that a cell's face lacks the tables a script needs
// (the text is then shaped in a face that has them, or reported as unshown).
void installQuietQtMessages();
