// SPDX-License-Identifier: GPL-3.0-or-later
// One export or import of a list of configured tables, without any widget: the row records, the
// report, the questions and the run itself. The transfer dialog shows this state; tests drive it
// directly with their own bulk-copy and truncation steps.
#pragma once

#include "app/CommandRunner.h"
#include "config/cConfiguration.h"

#include <QList>
#include <QString>
#include <QStringList>

// One row of the transfer dialog.
struct rInfoCheck {
    bool selected = true;
    QString tableName;
    QString script;
    QString FileName;
    bool Complete = false;
    // Set when the row was processed and its bulk copy or truncation did not work; the first
    // error line explains why.
    bool Failed = false;
    QString FailureLine;
};

using tbInfoCheck = QList<rInfoCheck>;

// What a run does to the database and the data files; the program's own steps run bcp and empty
// tables through the data module.
class cTransferSteps
{
public:
    virtual ~cTransferSteps() = default;
    virtual CommandResult ExportTable(const QString &tableName, const QString &filePath) = 0;
    virtual CommandResult ExportQuery(const QString &query, const QString &filePath) = 0;
    virtual CommandResult ImportTable(const QString &tableName, const QString &filePath) = 0;
    // False when the table could not be emptied because the connection was not open.
    virtual bool TruncateTable(const QString &tableName) = 0;
};

// What the window does while a run goes on.
class cTransferView
{
public:
    virtual ~cTransferView() = default;
    virtual void RangeChanged(int range) = 0;
    // Before the row's bulk copy starts.
    virtual void RowStarting(int index) = 0;
    // After the row is ticked Complete and the progress has grown.
    virtual void RowDone(int index) = 0;
    // After the last row, before the final question.
    virtual void RunFinished() = 0;
    // Waits until the user has closed the report.
    virtual void ShowReport(const QStringList &report) = 0;
};

class cTransfer
{
public:
    explicit cTransfer(cTransferSteps &steps);

    // Title, mode and one record per entry; every data-file path is the folder (with a final
    // "/" where it lacks one) followed by the file-name part of the entry's file name.
    void Load(const tTableNames &tablist, bool exportation, const QString &folder);

    // Flips `selected` of the record.
    void FlipSelected(int index);

    // Asks the questions and processes every selected row in list order. A call while a run is
    // going on does nothing. An exception from a step ends the run at that row and passes on.
    void Run(cTransferView &view);

    bool Running() const { return FRunning; }
    int Progress() const { return FProgress; }
    int Range() const { return FRange; }
    // The progress times 100 divided by the range, truncated; 0 for an empty range.
    static int Percent(int progress, int range);

    // The first line that shows a bulk copy did not work, or empty when it worked: a run that
    // could not start or did not exit with 0 has failed, and so has one whose output holds an
    // error line of bcp, whatever its exit status.
    static QString FailureOf(const CommandResult &result);

    // Whether the file system holds an entry matching the path, whose last part may contain the
    // wildcards * and ?. Files, folders, hidden entries and dangling links count; letter case
    // counts as the file system's does (it must: bcp opens the file by this very name).
    static bool DataFileFound(const QString &path);
    // The entries whose data file is found: the folder text run together with the file name.
    static tTableNames PresentEntries(const tTableNames &tables, const QString &backupFolder);

    QString fTitle;
    bool FExportation = true;
    tbInfoCheck InfosCheck;
    QStringList Rapport;

private:
    void ProcessRow(int index, bool truncate);

    cTransferSteps &m_steps;
    int FProgress = 0;
    int FRange = 0;
    bool FRunning = false;
};
