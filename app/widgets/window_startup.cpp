#include "app/widgets/window_startup.h"

#include "app/startup.h"
#include "app/widgets/button_face.h"
#include "app/widgets/cursor_file.h"

#include <QFileInfo>
#include <QWidget>

bool ApplyOptionalSkin(QWidget& window) {
    // Only a file counts: an empty folder x, or a folder named o.cjs, lists no name.
    const QFileInfo skin(programFile(QString::fromLatin1(kSkinFile)));
    if (!skin.isFile())
        return false;
    ApplyButtonFaceColors(window);
    window.setProperty("skinned", true);
    return true;
}

std::optional<QCursor> loadHandCursor(const QString& folder) {
    const QString path = findSideFile(QString::fromLatin1(kHandCursorFile), folder);
    if (path.isEmpty())
        return std::nullopt;
    return loadCursorFile(path);
}
