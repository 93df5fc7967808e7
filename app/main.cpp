// quorvel-tabwright: the window program. It stands above every layer and only wires them.

#include "app/command_line.h"
#include "app/heap_tuning.h"
#include "app/quiet_messages.h"
#include "app/startup.h"
#include "app/widgets/qt_prompt.h"
#include "phonelist/files/list_input.h"
#include "phonelist/window/main_window.h"
#include "sheet/report/sheet_snapshot.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <QTextStream>
#include <QTimer>

int main(int argc, char* argv[]) {
    // Read before QApplication, which needs a display: --help, --version and a
    // wrong command line are answered without one.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const WindowCommandLine command = parseWindowCommandLine(arguments);
    switch (command.action) {
    case WindowCommandLine::Action::ShowHelp:
        QTextStream(stdout) << windowUsage();
        return 0;
    case WindowCommandLine::Action::ShowVersion:
        QTextStream(stdout) << "quorvel-tabwright " << productVersion() << '\n';
        return 0;
    case WindowCommandLine::Action::Refuse:
        QTextStream(stderr) << "quorvel-tabwright: " << command.error << " (see --help)\n";
        return 2;
    case WindowCommandLine::Action::Run:
        break;
    }

    // '-' is standard input, read whole before the window shows: a pipe gives it at once.
    QByteArray standardInput;
    if (command.listFile == QLatin1String("-")) {
        try {
            standardInput = readStandardInput();
        } catch (const InputError& e) {
            QTextStream(stderr) << "quorvel-tabwright: " << e.what() << '\n';
            return 1;
        }
    }

    tuneHeapForBatchWork(); // "Start Creating Template" builds one large sheet at a time
    installQuietQtMessages();
    QApplication app(argc, argv);
    // The desktop entry's name, so that the desktop pairs the window with its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvel.tabwright"));
    QtPrompt qtPrompt;
    setPrompt(&qtPrompt);
    installCopyPicture();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quorvel-tabwright.svg")));
    Form1 form;
    form.show();
    if (command.listFile == QLatin1String("-"))
        QTimer::singleShot(
            0, &form, [&form, &standardInput] { form.importBytes(standardInput, QLatin1String(kStandardInputName)); });
    else if (!command.listFile.isEmpty())
        QTimer::singleShot(0, &form, [&form, path = command.listFile] { form.importFile(path); });
    const int status = QApplication::exec();
    setPrompt(nullptr);
    return status;
}
