// The command line: which mode the program runs in, and the scripts to open.
#pragma once

#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Mode {
        Edit,       // the editor window, with the named scripts or a new one
        Help,       // print the usage and stop
        Version,    // print the version and stop
        ExportHtml, // write a coloured page without a window; the export reads its own arguments
        Check,      // check scripts without a window; the check reads its own arguments
        Lsp,        // the language server on standard input and output; it reads its own arguments
        ExportReference, // write Tarn's definition file without a window; reads its own arguments
        Error,      // an unknown option: error says which
    };
    Mode mode = Mode::Edit;
    QStringList files;
    QString error;
};

// arguments: without the program name. "--" ends the options, so a script whose name starts
// with "-" can be named after it.
CommandLine ParseCommandLine(const QStringList &arguments);

QString CommandLineUsage();
QString VersionText();
