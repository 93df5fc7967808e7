// quorvel-tabwright: the window program. It stands above every layer and only wires them.

#include "app/quiet_messages.h"
#include "app/widgets/qt_prompt.h"
#include "phonelist/window/main_window.h"
#include "sheet/report/sheet_snapshot.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <QTimer>

int main(int argc, char* argv[]) {
    installQuietQtMessages();
    QApplication app(argc, argv);
    QtPrompt qtPrompt;
    setPrompt(&qtPrompt);
    installCopyPicture();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quorvel-tabwright.svg")));
    Form1 form;
    form.show();
    // A list named on the command line is imported once the window is up.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        QTimer::singleShot(0, &form, [&form, path = arguments.at(1)] { form.importFile(path); });
    const int status = QApplication::exec();
    setPrompt(nullptr);
    return status;
}
