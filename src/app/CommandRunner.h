// SPDX-License-Identifier: GPL-3.0-or-later
// Runs one command line as a child process, with no shell, and captures what it writes.
#pragma once

#include <QString>
#include <QStringList>

struct CommandResult {
    // Standard output and standard error, merged in the order written, decoded as UTF-8.
    QString output;
    // The child's exit status; meaningful only when it started and exited normally.
    int exitCode = -1;
    // False when the program could not be found or started.
    bool started = false;
    // True when the child ended normally (not killed by a signal).
    bool exitedNormally = false;
};

// Splits a command line into arguments by the Windows command-line rules: blanks separate,
// double quotes group and are removed, backslashes before a double quote as those rules say.
QStringList SplitCommandLine(const QString &commandLine);

// One argument of a command line and where its text lies on the line: [start, end).
struct CommandArgument {
    QString value;
    qsizetype start = 0;
    qsizetype end = 0;
};
QList<CommandArgument> ParseCommandLine(const QString &commandLine);

// The inverse for one value: wrapped in double quotes, with inner quotes and the backslashes
// before them escaped, when it holds a blank, a tab or a double quote (or always, when asked),
// so that SplitCommandLine gives the value back whole. Otherwise the value unchanged.
QString QuoteArgument(const QString &value, bool always = false);

// Microsoft's tools folders, where "bcp" is looked for when PATH has none.
extern const QStringList BulkCopyToolFolders;

// The executable that a command's first word names: a name with a "/" is taken relative to the
// working folder; a bare name is looked for on PATH, and "bcp" then in the tools folders, in
// order. Empty when there is none.
QString FindProgram(const QString &program, const QString &workingFolder = QString(),
                    const QStringList &bcpFolders = BulkCopyToolFolders);

// Runs the line in the working folder and waits for the child, keeping the windows painted.
// The first word is the program: looked for on PATH (and, for "bcp", in Microsoft's tools folders).
// The child's standard input is empty. A program that cannot be found or started gives one
// output line that names it and says why, and `started` false.
CommandResult RunCommandEx(const QString &command, const QString &workingFolder);
// The captured output alone.
QString RunCommand(const QString &command, const QString &workingFolder);
