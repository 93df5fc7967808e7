#include "app/quiet_messages.h"

#include <QString>
#include <QTextStream>
#include <QtGlobal>

namespace {

void quietQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")) ||
                                 message.trimmed().startsWith(QLatin1String("OpenType support missing for"))))
        return;
    QTextStream(stderr) << qFormatLogMessage(type, context, message) << '\n';
}

} // namespace

void installQuietQtMessages() {
    qInstallMessageHandler(quietQtMessages);
}
