// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandRunner.h"

#include "app/cOutputDecoder.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <unistd.h>

const QStringList BulkCopyToolFolders = {QStringLiteral("/opt/mssql-tools18/bin"),
                                         QStringLiteral("/opt/mssql-tools/bin")};

namespace
{
bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}
} // namespace

QList<CommandArgument> ParseCommandLine(const QString &commandLine)
{
    const QChar quote = QLatin1Char('"');
    const QChar backslash = QLatin1Char('\\');
    QList<CommandArgument> arguments;
    CommandArgument current;
    bool inArgument = false;
    bool inQuotes = false;
    const qsizetype length = commandLine.size();
    qsizetype i = 0;
    while (i < length) {
        const QChar c = commandLine.at(i);
        if (IsBlank(c) && !inQuotes) {
            if (inArgument) {
                current.end = i;
                arguments.append(current);
                current = CommandArgument();
                inArgument = false;
            }
            ++i;
            continue;
        }
        if (!inArgument) {
            current.start = i;
            inArgument = true;
        }
        if (c == backslash) {
            qsizetype count = 0;
            while (i + count < length && commandLine.at(i + count) == backslash)
                ++count;
            i += count;
            if (i < length && commandLine.at(i) == quote) {
                // 2n backslashes and a quote: n backslashes, and the quote groups;
                // 2n+1: n backslashes and a literal quote.
                current.value.append(QString(count / 2, backslash));
                if (count % 2) {
                    current.value.append(quote);
                    ++i;
                }
            } else {
                current.value.append(QString(count, backslash));
            }
            continue;
        }
        if (c == quote) {
            if (inQuotes && i + 1 < length && commandLine.at(i + 1) == quote) {
                // Two quotes inside a quoted part stand for one, and the part goes on.
                current.value.append(quote);
                i += 2;
                continue;
            }
            inQuotes = !inQuotes;
            ++i;
            continue;
        }
        current.value.append(c);
        ++i;
    }
    if (inArgument) {
        current.end = length;
        arguments.append(current);
    }
    return arguments;
}

QStringList SplitCommandLine(const QString &commandLine)
{
    QStringList values;
    for (const CommandArgument &argument : ParseCommandLine(commandLine))
        values.append(argument.value);
    return values;
}

QString QuoteArgument(const QString &value, bool always)
{
    const QChar quote = QLatin1Char('"');
    const QChar backslash = QLatin1Char('\\');
    const bool needed = value.contains(QLatin1Char(' ')) || value.contains(QLatin1Char('\t')) ||
                        value.contains(quote);
    if (!needed && !always)
        return value;
    QString result = quote;
    qsizetype backslashes = 0;
    for (const QChar c : value) {
        if (c == backslash) {
            ++backslashes;
            continue;
        }
        if (c == quote) {
            result.append(QString(backslashes * 2 + 1, backslash));
            result.append(quote);
        } else {
            result.append(QString(backslashes, backslash));
            result.append(c);
        }
        backslashes = 0;
    }
    // Backslashes before the closing quote are doubled, so that the quote still closes.
    result.append(QString(backslashes * 2, backslash));
    result.append(quote);
    return result;
}

QString FindProgram(const QString &program, const QString &workingFolder,
                    const QStringList &bcpFolders)
{
    if (program.isEmpty())
        return QString();
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo file(QDir(workingFolder).absoluteFilePath(program));
        return file.isFile() ? file.absoluteFilePath() : QString();
    }
    QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty() && program == QLatin1String("bcp"))
        found = QStandardPaths::findExecutable(program, bcpFolders);
    return found;
}

CommandResult RunCommandEx(const QString &command, const QString &workingFolder)
{
    CommandResult result;
    QStringList arguments = SplitCommandLine(command);
    if (arguments.isEmpty()) {
        result.output = QStringLiteral("No program to run: the command line is empty.\n");
        return result;
    }
    const QString name = arguments.takeFirst();
    if (!workingFolder.isEmpty() && !QFileInfo(workingFolder).isDir()) {
        result.output = QStringLiteral("%1: could not start: the working folder \"%2\" does not "
                                       "exist.\n")
                            .arg(name, workingFolder);
        return result;
    }
    const QString program = FindProgram(name, workingFolder);
    if (program.isEmpty()) {
        result.output = QStringLiteral("%1: command not found\n").arg(name);
        return result;
    }
    // Checked here rather than left to the start: Qt 6.4's QProcess keeps a pipe open after
    // every start that fails in exec.
    if (::access(QFile::encodeName(program).constData(), X_OK) != 0) {
        result.output = QStringLiteral("%1: could not start: %2\n")
                            .arg(name, QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    // A tool that asks for a password reads end-of-file instead of waiting for an answer that
    // no one can type.
    process.setStandardInputFile(QProcess::nullDevice());

    cOutputDecoder output;
    char buffer[cOutputDecoder::ChunkSize + 1];
    const auto drain = [&] {
        qint64 count;
        while ((count = process.read(buffer, cOutputDecoder::ChunkSize)) > 0)
            output.Append(buffer, count);
    };

    QEventLoop loop;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, drain);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });

    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(-1)) {
        result.output =
            QStringLiteral("%1: could not start: %2\n").arg(name, process.errorString());
        return result;
    }
    result.started = true;
    // Paint and timer events go on while the child runs; user input waits until it has ended,
    // so nothing can start a second transfer meanwhile.
    if (process.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    drain();
    result.output = output.Finish();
    result.exitedNormally = process.exitStatus() == QProcess::NormalExit;
    result.exitCode = result.exitedNormally ? process.exitCode() : -1;
    return result;
}

QString RunCommand(const QString &command, const QString &workingFolder)
{
    return RunCommandEx(command, workingFolder).output;
}
