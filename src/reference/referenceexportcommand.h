// "scriba --export-reference FILE": Tarn's functions as a Lua definition file, for editors that
// use the Lua language server. Needs no display.
#pragma once

#include <QStringList>

// Writes the function table of the configuration file at iniPath (the built-in one without
// it), documented from the reference beside it, to the file named after the option ("-" for
// standard output). Returns 0 when written, 1 when it could not be, 2 for a malformed command.
// Messages, and the lines of the reference that could not be read, go to standard error.
int RunReferenceExportCommand(const QStringList &arguments, const QString &iniPath);
