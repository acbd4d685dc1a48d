// Scriba: a desktop editor for Lua scripts.
#include "app/commandline.h"
#include "app/exportcommand.h"
#include "app/fileio.h"
#include "app/scribaapp.h"
#include "check/checkcommand.h"
#include "lsp/lspcommand.h"
#include "reference/referenceexportcommand.h"

#include <QApplication>

#include <cstdio>

namespace {

QStringList ArgumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(DecodeFileName(argv[i])); // file names are bytes, kept as they are
    return arguments;
}

void Print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// Qt ends the program with an abort when it finds no display; say plainly why instead.
bool HasDisplay(const QStringList &arguments)
{
    for (const char *option : {"-platform", "--platform", "-display", "--display"})
        if (arguments.contains(QLatin1String(option)))
            return true;
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

using Command = int (*)(const QStringList &arguments, const QString &iniPath);

// What a mode that needs no window runs; nullptr for the others.
Command WindowlessCommand(CommandLine::Mode mode)
{
    switch (mode) {
    case CommandLine::Mode::ExportHtml:
        return RunExportCommand;
    case CommandLine::Mode::Check:
        return RunCheckCommand;
    case CommandLine::Mode::Lsp:
        return RunLspCommand;
    case CommandLine::Mode::ExportReference:
        return RunReferenceExportCommand;
    default:
        return nullptr;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    // What needs no window is decided before a display is opened, from the line as it came.
    const QStringList arguments = ArgumentsOf(argc, argv);
    const CommandLine::Mode mode = ParseCommandLine(arguments).mode;
    switch (mode) {
    case CommandLine::Mode::Help:
        Print(stdout, CommandLineUsage());
        return 0;
    case CommandLine::Mode::Version:
        Print(stdout, VersionText());
        return 0;
    default:
        break;
    }
    if (const Command run = WindowlessCommand(mode)) {
        QCoreApplication core(argc, argv);
        return run(arguments, CScribaApp::DefaultIniPath());
    }
    if (!HasDisplay(arguments)) {
        Print(stderr, QStringLiteral("scriba: there is no display to open the window on (neither DISPLAY nor "
                                     "WAYLAND_DISPLAY is set).\nscriba --export-html and scriba --check work "
                                     "without one; see \"scriba --help\".\n"));
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scriba"));
    QApplication::setOrganizationName(QStringLiteral("Scriba"));
    // Qt has taken its own options (-style, -platform, ...) out of argc and argv by now; they
    // are read again from there, as QCoreApplication::arguments() would lose the bytes of names
    // that are not UTF-8.
    const CommandLine line = ParseCommandLine(ArgumentsOf(argc, argv));
    if (line.mode == CommandLine::Mode::Error) {
        Print(stderr, QStringLiteral("scriba: %1\nTry \"scriba --help\".\n").arg(line.error));
        return 2;
    }
    CScribaApp app;
    if (!app.InitInstance(line.files)) {
        app.ExitInstance();
        return 1;
    }
    QApplication::exec();
    return app.ExitInstance();
}
