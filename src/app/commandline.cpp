#include "commandline.h"

namespace {

using Mode = CommandLine::Mode;

struct Option {
    const char *name;
    Mode mode;
    bool takesTheRest; // a command that reads the remaining arguments itself
};

constexpr Option kOptions[] = {
    {"--help", Mode::Help, false},
    {"-h", Mode::Help, false},
    {"--version", Mode::Version, false},
    {"--export-html", Mode::ExportHtml, true},
    {"--check", Mode::Check, true},
    {"--lsp", Mode::Lsp, true},
    {"--export-reference", Mode::ExportReference, true},
};

const Option *FindOption(const QString &argument)
{
    for (const Option &option : kOptions)
        if (argument == QLatin1String(option.name))
            return &option;
    return nullptr;
}

} // namespace

CommandLine ParseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    bool optionsEnded = false;
    for (const QString &argument : arguments) {
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            line.files.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const Option *option = FindOption(argument);
        if (!option) {
            if (line.error.isEmpty())
                line.error = QStringLiteral("unknown option \"%1\"").arg(argument);
            continue;
        }
        // The first mode named wins; help and version win over an unknown option.
        if (line.mode == Mode::Edit)
            line.mode = option->mode;
        if (option->takesTheRest)
            break;
    }
    if (line.mode == Mode::Edit && !line.error.isEmpty())
        line.mode = Mode::Error;
    return line;
}

QString CommandLineUsage()
{
    return QStringLiteral(
        "Usage: scriba [OPTION...] [--] [FILE.lua...]\n"
        "       scriba --export-html FILE.lua [-o OUT.html | -o -]\n"
        "       scriba --check FILE.lua...\n"
        "       scriba --lsp\n"
        "       scriba --export-reference FILE\n"
        "\n"
        "Opens the named Lua scripts in the editor, or a new untitled script.\n"
        "\n"
        "  -h, --help       show this help and stop\n"
        "  --version        show the version and stop\n"
        "  --export-html    write FILE.lua as a coloured HTML page, without a window,\n"
        "                   to FILE.html beside it, to OUT.html, or with -o - to the\n"
        "                   standard output\n"
        "  --check          check the scripts' syntax and Tarn calls, without a window;\n"
        "                   prints FILE:LINE: error/warning lines and exits 0 when no\n"
        "                   script has a problem, 1 when one has, 2 when one cannot be read\n"
        "  --lsp            serve the Language Server Protocol on standard input and\n"
        "                   output: diagnostics, completion, signature help, hover\n"
        "  --export-reference  write Tarn's functions and their reference as a Lua\n"
        "                   definition file (\"---@meta\"), for editors that use the Lua\n"
        "                   language server; FILE \"-\" is the standard output\n"
        "  --               what follows are file names, even those that start with \"-\"\n"
        "\n"
        "Qt's own options, such as -style NAME or -platform NAME, are understood too.\n");
}

QString VersionText()
{
    return QStringLiteral("Scriba " SCRIBA_VERSION "\n");
}
