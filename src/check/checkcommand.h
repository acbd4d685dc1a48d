// "scriba --check FILE.lua...": the script check without a window, for editors and CI jobs.
#pragma once

#include <QStringList>

// Checks every file named after "--check" against the function table of the configuration file
// at iniPath (the built-in table when there is none) and the Tarn reference beside it, and prints one line per problem on
// standard output. Returns 0 when no file has a problem, 1 when some has, 2 when a file cannot
// be read or the command is malformed; those messages go to standard error.
int RunCheckCommand(const QStringList &arguments, const QString &iniPath);
