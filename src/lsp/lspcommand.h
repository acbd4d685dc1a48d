// "scriba --lsp": the language server on standard input and output, without a window.
#pragma once

#include <QStringList>

// Serves until "exit" or the end of the input. Returns 0 after "shutdown" then "exit", 1 for an
// exit without shutdown or an input that ended first, 2 for a malformed command line.
int RunLspCommand(const QStringList &arguments, const QString &iniPath);
