#include "phonelist/main_window.h"
#include "sheet/report/sheet_snapshot.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    installCopyPicture();
    Form1 form;
    form.show();
    return QApplication::exec();
}
