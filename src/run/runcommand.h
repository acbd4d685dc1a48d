// The run command: a command line with placeholders for the script, split into a program and
// its arguments the way a shell splits words, so that it can be started without a shell.
#pragma once

#include <QString>
#include <QStringList>

// Splits command into words as a POSIX shell does: blanks separate words; '...' keeps
// everything literally; "..." keeps everything but a backslash before $ ` " \ and a line
// break; a backslash outside quotes keeps the next character. Nothing else is special: no
// variables, globs, pipes or redirections, since no shell runs the command.
// The placeholders are replaced in every word, quoted or not: %f the script's full path, %d its
// folder, %n its file name, %% a percent sign; a replaced path is never split again, and one
// that would start a word with '-' is given as ./-name so that no program takes it for an option.
// On a syntax error (an unclosed quote, a backslash at the end) the list is empty and error
// says why; an empty command gives an empty list and an error as well.
QStringList SplitRunCommand(const QString &command, const QString &scriptPath, QString *error);
