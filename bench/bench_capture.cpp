// SPDX-License-Identifier: GPL-3.0-or-later
// Capturing 100 MB of output through RunCommand, against "cat" of the same bytes into a pipe
// read by a bare loop.
#include "BenchTiming.h"
#include "app/CommandRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char **environ;

namespace
{
constexpr qint64 Bytes = 100 * 1000 * 1000;
constexpr int Rounds = 5;

void MakeFile(const QString &path)
{
    QByteArray line = "Starting copy... 1000 rows copied. Données é € 0123456789 abcdefghij\n";
    QByteArray block;
    while (block.size() < 1 << 20)
        block += line;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    for (qint64 left = Bytes; left > 0; left -= block.size())
        file.write(block.constData(), std::min<qint64>(left, block.size()));
}

// cat into a pipe, read to its end in 64 KiB reads; the number of bytes read.
qint64 BareCat(const QString &path)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    const QByteArray file = QFile::encodeName(path);
    char cat[] = "cat";
    char *arguments[] = {cat, const_cast<char *>(file.constData()), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, "cat", &actions, nullptr, arguments, environ) != 0)
        std::abort();
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    static char buffer[65536];
    qint64 total = 0;
    ssize_t n;
    while ((n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        total += n;
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return total;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("output.txt"));
    MakeFile(path);

    qint64 bareBytes = 0;
    qsizetype characters = 0;
    const auto [baseline, measured] = BenchTiming::BestOfRounds(
        Rounds, [&] { bareBytes = BareCat(path); },
        [&] { characters = RunCommand(QStringLiteral("cat output.txt"), folder.path()).size(); });

    std::printf("bytes: %lld (bare loop read %lld; RunCommand gave %lld characters)\n",
                static_cast<long long>(Bytes), static_cast<long long>(bareBytes),
                static_cast<long long>(characters));
    std::printf("cat into a pipe, bare read loop: %.1f ms\n", double(baseline) / 1e6);
    std::printf("RunCommand: %.1f ms\n", double(measured) / 1e6);
    std::printf("ratio: %.2f\n", double(measured) / double(baseline));
    return 0;
}
