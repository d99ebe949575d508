// SPDX-License-Identifier: GPL-3.0-or-later
// An Export of 1,000 configured tables through the transfer dialog, from Action to the last row,
// with a stand-in bcp that exits at once; against 1,000 runs of the same stand-in, with the same
// arguments, in a bare loop.
#include "app/MessageBox.h"
#include "app/Tools.h"
#include "config/cConfiguration.h"
#include "database/DBTools.h"
#include "transfer/TforBackup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace
{
constexpr int Tables = 1000;
constexpr int Rounds = 3;

QString TableName(int i)
{
    return QStringLiteral("dbo.Table%1").arg(i, 4, 10, QLatin1Char('0'));
}

QString FileName(int i)
{
    return QStringLiteral("table%1.dat").arg(i, 4, 10, QLatin1Char('0'));
}

qint64 BareLoop(const QString &program, const QString &folder)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Tables; ++i) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setWorkingDirectory(folder);
        process.start(program, {TableName(i), QStringLiteral("out"), folder + FileName(i),
                                QStringLiteral("-Usa"), QStringLiteral("-Ppw"),
                                QStringLiteral("-SSRV"), QStringLiteral("-n")});
        process.waitForFinished(-1);
        process.readAll();
    }
    return timer.nsecsElapsed();
}

// The same runs through the bulk-copy operation alone, to tell the runner's share from the
// window's.
qint64 RunnerLoop()
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Tables; ++i)
        ExportTable(TableName(i), BackupPath + FileName(i));
    return timer.nsecsElapsed();
}

qint64 Transfer(const tTableNames &tables)
{
    qint64 elapsed = -1;
    QTimer::singleShot(0, [&] {
        auto *form = qobject_cast<TforBackup *>(QApplication::activeModalWidget());
        if (!form) {
            std::fprintf(stderr, "the transfer dialog did not open\n");
            return;
        }
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::No});
        QElapsedTimer timer;
        timer.start();
        form->btnAction->click();
        elapsed = timer.nsecsElapsed();
        if (form->InfosCheck().constLast().Complete != true || form->Rapport().size() != Tables)
            std::fprintf(stderr, "the export did not process every row\n");
    });
    TforBackup::Execute(tables, true);
    return elapsed;
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("PATH", QByteArray(ORVEL_FAKE_BCP_DIR) + ':' + qgetenv("PATH"));
    QApplication application(argc, argv);

    QTemporaryDir folder;
    BackupPath = folder.path() + QStringLiteral("/");
    cConfiguration configuration(folder.filePath(QStringLiteral("bench.config")));
    configuration.Read();
    configuration.FConnection.parameters->Clear();
    for (const char *line : {"server=SRV", "user=sa", "password=pw"})
        configuration.FConnection.parameters->Add(QLatin1String(line));
    configuration.Fbackup_path = BackupPath;
    AppConfiguration = &configuration;
    tTableNames tables;
    for (int i = 0; i < Tables; ++i)
        tables.append({TableName(i), QString(), FileName(i)});

    const QString program = QStringLiteral(ORVEL_FAKE_BCP_DIR) + QStringLiteral("/bcp");
    // Both sides run the same command line.
    const CommandResult probe = ExportTable(TableName(0), BackupPath + FileName(0));
    if (!probe.started || probe.exitCode != 0) {
        std::fprintf(stderr, "the stand-in bcp does not run: %s\n", qPrintable(probe.output));
        return 1;
    }

    qint64 bare = std::numeric_limits<qint64>::max();
    qint64 transfer = std::numeric_limits<qint64>::max();
    qint64 runner = std::numeric_limits<qint64>::max();
    for (int round = 0; round < Rounds; ++round) {
        bare = std::min(bare, BareLoop(program, BackupPath));
        runner = std::min(runner, RunnerLoop());
        const qint64 once = Transfer(tables);
        if (once < 0)
            return 1;
        transfer = std::min(transfer, once);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    AppConfiguration = nullptr;

    std::printf("tables: %d, best of %d rounds\n", Tables, Rounds);
    std::printf("bare loop of the stand-in: %.1f ms (%.3f ms a run)\n", bare / 1e6,
                bare / 1e6 / Tables);
    std::printf("the same through the bulk-copy operation: %.1f ms (%.3f ms a run)\n", runner / 1e6,
                runner / 1e6 / Tables);
    std::printf("export through the dialog: %.1f ms (%.3f ms a row)\n", transfer / 1e6,
                transfer / 1e6 / Tables);
    std::printf("ratio: %.2f\n", double(transfer) / double(bare));
    return 0;
}
