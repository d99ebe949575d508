// SPDX-License-Identifier: GPL-3.0-or-later
// 500 exports through ExportTable with the stand-in bcp, which exits at once, against 500
// direct starts of the same program with the same arguments through QProcess.
#include "BenchTiming.h"
#include "app/Tools.h"
#include "config/cConfiguration.h"
#include "database/DBTools.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <utility>

namespace
{
constexpr int Runs = 500;
constexpr int Rounds = 5;

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    qputenv("PATH", QByteArray(ORVEL_FAKE_BCP_DIR) + ':' + qgetenv("PATH"));
    qunsetenv("FAKE_BCP_LOG");
    qunsetenv("FAKE_BCP_MODE");

    QTemporaryDir folder;
    BackupPath = folder.path() + QLatin1Char('/');
    cConfiguration configuration(folder.filePath(QStringLiteral("bench.config")));
    configuration.Read();
    configuration.FConnection.parameters->Clear();
    for (const char *line : {"server=srv", "catalog=Sales", "user=sa", "password=secret"})
        configuration.FConnection.parameters->Add(QString::fromLatin1(line));
    AppConfiguration = &configuration;

    const QString file = BackupPath + QStringLiteral("T.dat");
    const QString program = FindProgram(QStringLiteral("bcp"));
    const QStringList arguments =
        SplitCommandLine(BuildTableExportCommand(QStringLiteral("dbo.T"), FileArgument(file),
                                                 QStringLiteral("sa"), QStringLiteral("secret"),
                                                 QStringLiteral("srv"), QStringLiteral("Sales")))
            .mid(1);

    int failures = 0;
    const auto [baseline, measured] = BenchTiming::BestOfRounds(
        Rounds,
        [&] {
            for (int i = 0; i < Runs; ++i) {
                QProcess process;
                process.setWorkingDirectory(BackupPath);
                process.setProcessChannelMode(QProcess::MergedChannels);
                process.start(program, arguments);
                process.waitForFinished(-1);
                failures += process.readAll().isEmpty();
            }
        },
        [&] {
            for (int i = 0; i < Runs; ++i)
                failures += ExportTable(QStringLiteral("dbo.T"), file).exitCode != 0;
        });
    AppConfiguration = nullptr;

    std::printf("runs: %d of %s (failed runs: %d)\n", Runs, qPrintable(program), failures);
    std::printf("direct QProcess starts: %.1f ms\n", double(baseline) / 1e6);
    std::printf("ExportTable: %.1f ms\n", double(measured) / 1e6);
    std::printf("ratio: %.2f\n", double(measured) / double(baseline));
    return 0;
}
