// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandRunner.h"

#include "app/cOutputDecoder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <unistd.h>

const QStringList BulkCopyToolFolders = {QStringLiteral("/opt/mssql-tools18/bin"),
                                         QStringLiteral("/opt/mssql-tools/bin")};

namespace
{
// Bytes that one read of the pipe takes at most, and the size asked for the pipe.
constexpr int ReadBytes = 256 * 1024;
constexpr int PipeBytes = 1024 * 1024;
// How long the runner goes on reading a child's output before the event loop takes a turn.
constexpr int DrainSliceMs = 10;

// A file descriptor that is closed when it goes out of scope.
class FileDescriptor
{
public:
    explicit FileDescriptor(int descriptor) : m_descriptor(descriptor) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int Get() const { return m_descriptor; }
    void Close()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        m_descriptor = -1;
    }

private:
    int m_descriptor;
};

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

    // The child writes both its streams into one pipe of ours, so that they arrive in the order
    // written; the program's copy of the write end is closed once the child has started, and the
    // pipe ends when every holder of it has ended.
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        result.output = QStringLiteral("%1: could not start: %2\n")
                            .arg(name, QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }
    const FileDescriptor readEnd(ends[0]);
    FileDescriptor writeEnd(ends[1]);
    ::fcntl(readEnd.Get(), F_SETFL, ::fcntl(readEnd.Get(), F_GETFL) | O_NONBLOCK);
    // A larger pipe lets a talkative child run on longer between two turns of the loop below;
    // where the system refuses, the pipe keeps its size.
    ::fcntl(writeEnd.Get(), F_SETPIPE_SZ, PipeBytes);

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    // A tool that asks for a password reads end-of-file instead of waiting for an answer that
    // no one can type.
    process.setStandardInputFile(QProcess::nullDevice());
    const int childOutput = writeEnd.Get();
    process.setChildProcessModifier([childOutput] {
        ::dup2(childOutput, STDOUT_FILENO);
        ::dup2(childOutput, STDERR_FILENO);
    });

    process.start(QIODevice::ReadOnly);
    const bool started = process.waitForStarted(-1);
    writeEnd.Close();
    if (!started) {
        result.output =
            QStringLiteral("%1: could not start: %2\n").arg(name, process.errorString());
        return result;
    }
    result.started = true;

    cOutputDecoder output;
    bool pipeEnded = false;
    // Takes what the pipe holds and what comes in soon after, for at most one time slice, so that
    // a talkative child costs few turns of the event loop and the windows still repaint between
    // slices. The bytes go to the decoder in chunks of at most ChunkSize.
    const auto drain = [&] {
        // One buffer per thread, kept: a fresh one would cost its page faults on every run.
        thread_local const std::unique_ptr<char[]> buffer(new char[ReadBytes]);
        const QDeadlineTimer slice(DrainSliceMs);
        while (!pipeEnded) {
            const ssize_t count = ::read(readEnd.Get(), buffer.get(), ReadBytes);
            if (count > 0) {
                for (ssize_t at = 0; at < count; at += cOutputDecoder::ChunkSize)
                    output.Append(buffer.get() + at,
                                  std::min<ssize_t>(cOutputDecoder::ChunkSize, count - at));
            } else if (count < 0 && errno == EINTR) {
                continue;
            } else if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                const qint64 left = slice.remainingTime();
                pollfd ready = {readEnd.Get(), POLLIN, 0};
                if (left <= 0 || ::poll(&ready, 1, int(left)) <= 0)
                    return;
            } else {
                // End of file, or an error that ends the pipe for us all the same.
                pipeEnded = true;
            }
        }
    };

    QEventLoop loop;
    QSocketNotifier notifier(readEnd.Get(), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
        drain();
        if (pipeEnded) {
            notifier.setEnabled(false);
            if (process.state() == QProcess::NotRunning)
                loop.quit();
        }
    });
    QObject::connect(&process, &QProcess::finished, &loop, [&] {
        if (pipeEnded)
            loop.quit();
    });
    // Paint and timer events go on while the child runs; user input waits until it has ended,
    // so nothing can start a second transfer meanwhile.
    drain();
    if (!pipeEnded || process.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    result.output = output.Finish();
    result.exitedNormally = process.exitStatus() == QProcess::NormalExit;
    result.exitCode = result.exitedNormally ? process.exitCode() : -1;
    return result;
}

QString RunCommand(const QString &command, const QString &workingFolder)
{
    return RunCommandEx(command, workingFolder).output;
}
