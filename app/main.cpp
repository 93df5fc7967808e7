// quorvel-tabwright: the window program. It stands above every layer and only wires them.

#include "app/quiet_messages.h"
#include "app/widgets/qt_prompt.h"
#include "phonelist/window/main_window.h"
#include "sheet/report/sheet_snapshot.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    installQuietQtMessages();
    QApplication app(argc, argv);
    QtPrompt qtPrompt;
    setPrompt(&qtPrompt);
    installCopyPicture();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quorvel-tabwright.svg")));
    Form1 form;
    form.show();
    const int status = QApplication::exec();
    setPrompt(nullptr);
    return status;
}
