#include "phonelist/main_window.h"
#include "sheet/report/sheet_snapshot.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    installCopyPicture();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quorvel-tabwright.svg")));
    Form1 form;
    form.show();
    return QApplication::exec();
}
