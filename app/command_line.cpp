#include "app/command_line.h"

#include <array>

namespace {

// QApplication's documented options; both "-style x" and "-style=x" are accepted,
// and Qt reads "--style" as "-style".
constexpr std::array<QLatin1String, 12> kQtOptionsWithValue = {
    QLatin1String("style"),           QLatin1String("stylesheet"),
    QLatin1String("platform"),        QLatin1String("platformpluginpath"),
    QLatin1String("platformtheme"),   QLatin1String("plugin"),
    QLatin1String("qwindowgeometry"), QLatin1String("qwindowicon"),
    QLatin1String("qwindowtitle"),    QLatin1String("session"),
    QLatin1String("display"),         QLatin1String("geometry"),
};
// "-qmljsdebugger" takes its value only as "-qmljsdebugger=port".
constexpr std::array<QLatin1String, 6> kQtFlags = {
    QLatin1String("reverse"), QLatin1String("widgetcount"), QLatin1String("nograb"),
    QLatin1String("dograb"),  QLatin1String("sync"),        QLatin1String("qmljsdebugger"),
};

template <std::size_t N> bool isOneOf(const QString& name, const std::array<QLatin1String, N>& names) {
    for (const QLatin1String candidate : names)
        if (name == candidate)
            return true;
    return false;
}

WindowCommandLine refused(const QString& why) {
    WindowCommandLine command;
    command.action = WindowCommandLine::Action::Refuse;
    command.error = why;
    return command;
}

} // namespace

WindowCommandLine parseWindowCommandLine(const QStringList& arguments) {
    WindowCommandLine command;
    QStringList files;
    bool options = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (!options || argument == QLatin1String("-") || !argument.startsWith(QLatin1Char('-'))) {
            files << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            command.action = WindowCommandLine::Action::ShowHelp;
            return command;
        }
        if (argument == QLatin1String("--version")) {
            command.action = WindowCommandLine::Action::ShowVersion;
            return command;
        }
        const QString bare = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype equals = bare.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? bare : bare.left(equals);
        if (isOneOf(name, kQtFlags))
            continue;
        if (isOneOf(name, kQtOptionsWithValue)) {
            if (equals < 0 && ++i >= arguments.size())
                return refused(argument + QStringLiteral(" needs a value"));
            continue;
        }
        return refused(QStringLiteral("unknown option ") + argument);
    }
    if (files.size() > 1)
        return refused(QStringLiteral("one list file at most, got: ") + files.join(QLatin1Char(' ')));
    command.listFile = files.value(0);
    return command;
}

QString windowUsage() {
    return QStringLiteral("Usage: quorvel-tabwright [LIST-FILE]\n"
                          "\n"
                          "Opens the phone-list window on the list kept in the settings store (by default\n"
                          "~/.config/Brenmoor.ini). A LIST-FILE is imported into the list once the window\n"
                          "is up, as Import... would: CSV or TSV, an address book's export, vCard, or the\n"
                          "first sheet of an .xls, .xlsx or .ods workbook. The window asks whether to\n"
                          "replace the list or add to it. A LIST-FILE given as '-' is standard input;\n"
                          "\"./-\" names a file called '-'.\n"
                          "\n"
                          "  -h, --help      print this text and exit\n"
                          "  --version       print the version and exit\n"
                          "  --              end of options: the next argument is the file, even if it\n"
                          "                  begins with '-'\n"
                          "\n"
                          "Qt's own options (-style, -platform, -reverse, ...) are passed on to Qt.\n"
                          "\n"
                          "Exit status: 0 when the window was closed, or after --help or --version;\n"
                          "2 for a wrong command line.\n");
}
