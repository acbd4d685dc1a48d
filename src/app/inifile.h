// "Scriba.ini" on disk: where it lives and how it is read, the same for the window and for the
// command-line export.
#pragma once

#include "app/settings.h"

#include <QString>

#include <string>

// Beside the executable, or in the per-user configuration folder ($XDG_CONFIG_HOME/Scriba, by
// default ~/.config/Scriba) when the executable's folder is not writable.
QString DefaultIniPath();

enum class IniLoad { Read, Missing, Unreadable };

// Reads the file into settings and header; the tables are emptied first. When the file is
// missing or unreadable, the options and styles stay as they are and the tables get the
// built-in rows (a missing file also the built-in header); cause then says why it could not be
// read. The file is never written here.
IniLoad LoadIniFile(const QString &path, Settings &settings, std::string &header, QString *cause);
// Replaces both tables with the built-in rows.
void InstallDefaultTables(Settings &settings);

enum class IniWrite { Written, Pinned, Failed };
// Replaces the file with text by a rename of a temporary in its folder: never through a link,
// nor in a folder or over a file of another user (Failed, with the cause in error). A file the
// user made read-only pins the configuration and is left alone (Pinned).
IniWrite WriteIniFile(const QString &path, const std::string &text, QString *error);
