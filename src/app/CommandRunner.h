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

// Runs the line in the working folder and waits for the child, keeping the windows painted.
// The first word is the program: looked for on PATH (and, for "bcp", in Microsoft's tools folders).
CommandResult RunCommandEx(const QString &command, const QString &workingFolder);
// The captured output alone.
QString RunCommand(const QString &command, const QString &workingFolder);
