// "scriba --export-html FILE.lua [-o OUT.html]": the export without a window.
#pragma once

#include <QStringList>

// True when the arguments ask for an export; the command needs no display.
bool IsExportCommand(const QStringList &arguments);
// Runs the export; returns the process exit status. Messages go to standard error.
int RunExportCommand(const QStringList &arguments, const QString &iniPath);
