// SPDX-License-Identifier: GPL-3.0-or-later
// The transfer run without any window: rows, questions, steps, report, progress and failures.
#include "app/MessageBox.h"
#include "transfer/cTransfer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <stdexcept>

namespace
{
CommandResult Worked(const QString &output)
{
    CommandResult result;
    result.output = output;
    result.exitCode = 0;
    result.started = true;
    result.exitedNormally = true;
    return result;
}

// Records every call as one text and answers with prepared results.
class FakeSteps : public cTransferSteps
{
public:
    CommandResult ExportTable(const QString &tableName, const QString &filePath) override
    {
        return Answer(QStringLiteral("out %1 %2").arg(tableName, filePath));
    }
    CommandResult ExportQuery(const QString &query, const QString &filePath) override
    {
        return Answer(QStringLiteral("queryout %1 %2").arg(query, filePath));
    }
    CommandResult ImportTable(const QString &tableName, const QString &filePath) override
    {
        return Answer(QStringLiteral("in %1 %2").arg(tableName, filePath));
    }
    bool TruncateTable(const QString &tableName) override
    {
        calls.append(QStringLiteral("truncate ") + tableName);
        if (tableName == throwingTable)
            throw std::runtime_error("the server rejects the truncation");
        return !refusedTables.contains(tableName);
    }

    CommandResult Answer(const QString &call)
    {
        calls.append(call);
        if (results.contains(call))
            return results.value(call);
        return Worked(QStringLiteral("output of ") + call);
    }

    QStringList calls;
    QHash<QString, CommandResult> results;
    QStringList refusedTables;
    QString throwingTable;
};

class FakeView : public cTransferView
{
public:
    void RangeChanged(int range) override { events.append(QStringLiteral("range %1").arg(range)); }
    void RowStarting(int index) override { events.append(QStringLiteral("start %1").arg(index)); }
    void RowDone(int index) override
    {
        events.append(QStringLiteral("done %1").arg(index));
        if (onRowDone)
            onRowDone(index);
    }
    void RunFinished() override { events.append(QStringLiteral("finished")); }
    void ShowReport(const QStringList &report) override
    {
        events.append(QStringLiteral("report"));
        shownReport = report;
    }

    QStringList events;
    QStringList shownReport;
    std::function<void(int)> onRowDone;
};

rTableInformation Entry(const QString &table, const QString &file, const QString &script = {})
{
    return rTableInformation{table, script, file};
}

const QString ExportQuestion = QStringLiteral("Do you want to Export datas ?");
const QString ImportQuestion = QStringLiteral("Do you want to Import datas ?");
const QString TruncateQuestion =
    QStringLiteral("Do you want to truncate table before restoring datas ?");
const QString ReportQuestion =
    QStringLiteral("Traitement complete, do you want to consult repport ?");

QStringList AskedTexts()
{
    QStringList texts;
    for (const MessageBox::Shown &box : MessageBox::shown()) {
        if (box.kind != MessageBox::Confirmation || box.title != QStringLiteral("Confirmer"))
            texts.append(QStringLiteral("not a confirmation: ") + box.text);
        else
            texts.append(box.text);
    }
    return texts;
}
} // namespace

class TestTransferRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void loadBuildsOneRecordPerEntry_data();
    void loadBuildsOneRecordPerEntry();
    void loadSetsTheTitleFromTheMode();
    void noToTheFirstQuestionRunsNothing();
    void exportRunsEverySelectedRowInListOrder();
    void twoOfFourSelectedRowsEndAtFiftyPercent();
    void importIgnoresQueriesAndTruncatesOnlyWhenAsked_data();
    void importIgnoresQueriesAndTruncatesOnlyWhenAsked();
    void refusedTruncationSkipsTheImportOfThatRow();
    void exceptionEndsTheRunAtThatRow();
    void emptyListAsksTheQuestionsAndOffersAnEmptyReport();
    void secondRunDuringARunDoesNothing();
    void failureIsFoundInStatusAndOutput_data();
    void failureIsFoundInStatusAndOutput();
    void failedRowsAreFlaggedAndTheOthersNot();
    void percentIsTruncated_data();
    void percentIsTruncated();
    void dataFileSearch_data();
    void dataFileSearch();
    void presentEntriesRunFolderAndFileNameTogether();
};

void TestTransferRun::cleanup()
{
    MessageBox::resetSeam();
}

void TestTransferRun::loadBuildsOneRecordPerEntry_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("filename");
    QTest::addColumn<QString>("expected");
    QTest::newRow("folder with final slash") << "/data/backup/"
                                             << "orders.bak"
                                             << "/data/backup/orders.bak";
    QTest::newRow("folder without final slash") << "/data/backup"
                                                << "orders.bak"
                                                << "/data/backup/orders.bak";
    QTest::newRow("file name with folders") << "/data/backup/"
                                            << "old/2020/orders.bak"
                                            << "/data/backup/orders.bak";
    QTest::newRow("file name with a drive and backslashes") << "/b/"
                                                            << "C:\\saves\\orders.bak"
                                                            << "/b/orders.bak";
    QTest::newRow("file name with a drive only") << "/b/"
                                                 << "D:orders.bak"
                                                 << "/b/orders.bak";
    QTest::newRow("empty folder keeps the bare file name") << ""
                                                           << "x/orders.bak"
                                                           << "orders.bak";
}

void TestTransferRun::loadBuildsOneRecordPerEntry()
{
    QFETCH(QString, folder);
    QFETCH(QString, filename);
    QFETCH(QString, expected);
    FakeSteps steps;
    cTransfer transfer(steps);
    transfer.Load({Entry(QStringLiteral("dbo.Orders"), filename, QStringLiteral("select 1")),
                   Entry(QStringLiteral("dbo.Lines"), QStringLiteral("lines.bak"))},
                  true, folder);
    QCOMPARE(transfer.InfosCheck.size(), 2);
    const rInfoCheck &row = transfer.InfosCheck.at(0);
    QVERIFY(row.selected);
    QVERIFY(!row.Complete);
    QVERIFY(!row.Failed);
    QCOMPARE(row.tableName, QStringLiteral("dbo.Orders"));
    QCOMPARE(row.script, QStringLiteral("select 1"));
    QCOMPARE(row.FileName, expected);
    QCOMPARE(transfer.InfosCheck.at(1).tableName, QStringLiteral("dbo.Lines"));
    QVERIFY(transfer.InfosCheck.at(1).script.isEmpty());
    QVERIFY(transfer.Rapport.isEmpty());
    QVERIFY(steps.calls.isEmpty());
}

void TestTransferRun::loadSetsTheTitleFromTheMode()
{
    FakeSteps steps;
    cTransfer transfer(steps);
    transfer.Load({}, true, QString());
    QCOMPARE(transfer.fTitle, QStringLiteral("Export"));
    QVERIFY(transfer.FExportation);
    transfer.Load({}, false, QString());
    QCOMPARE(transfer.fTitle, QStringLiteral("Import"));
    QVERIFY(!transfer.FExportation);
}

void TestTransferRun::noToTheFirstQuestionRunsNothing()
{
    for (const bool exportation : {true, false}) {
        MessageBox::resetSeam();
        FakeSteps steps;
        FakeView view;
        cTransfer transfer(steps);
        transfer.Load({Entry(QStringLiteral("t1"), QStringLiteral("f1"))}, exportation,
                      QStringLiteral("/b"));
        MessageBox::setNextAnswers({MessageBox::No});
        transfer.Run(view);
        QCOMPARE(AskedTexts(), QStringList{exportation ? ExportQuestion : ImportQuestion});
        QVERIFY(steps.calls.isEmpty());
        QVERIFY(view.events.isEmpty());
        QVERIFY(transfer.Rapport.isEmpty());
        QVERIFY(!transfer.InfosCheck.at(0).Complete);
        QCOMPARE(transfer.Progress(), 0);
        QVERIFY(!transfer.Running());
    }
}

void TestTransferRun::exportRunsEverySelectedRowInListOrder()
{
    FakeSteps steps;
    FakeView view;
    cTransfer transfer(steps);
    transfer.Load({Entry(QStringLiteral("t1"), QStringLiteral("f1.bak")),
                   Entry(QStringLiteral("t2"), QStringLiteral("f2.bak"),
                         QStringLiteral("select * from t2 where x = 1")),
                   Entry(QStringLiteral("t3"), QStringLiteral("f3.bak"))},
                  true, QStringLiteral("/b/"));
    MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::Yes});
    transfer.Run(view);

    QCOMPARE(AskedTexts(), (QStringList{ExportQuestion, ReportQuestion}));
    const QStringList expectedCalls{
        QStringLiteral("out t1 /b/f1.bak"),
        QStringLiteral("queryout select * from t2 where x = 1 /b/f2.bak"),
        QStringLiteral("out t3 /b/f3.bak")};
    QCOMPARE(steps.calls, expectedCalls);
    QStringList expectedReport;
    for (const QString &call : expectedCalls)
        expectedReport.append(QStringLiteral("output of ") + call);
    QCOMPARE(transfer.Rapport, expectedReport);
    QCOMPARE(view.shownReport, expectedReport);
    QCOMPARE(view.events, (QStringList{"range 3", "start 0", "done 0", "start 1", "done 1",
                                       "start 2", "done 2", "finished", "report"}));
    for (const rInfoCheck &row : transfer.InfosCheck) {
        QVERIFY(row.Complete);
        QVERIFY(!row.Failed);
    }
    QCOMPARE(transfer.Progress(), 3);
    QCOMPARE(transfer.Range(), 3);
    QVERIFY(!transfer.Running());
}

void TestTransferRun::twoOfFourSelectedRowsEndAtFiftyPercent()
{
    FakeSteps steps;
    FakeView view;
    cTransfer transfer(steps);
    transfer.Load({Entry("t1", "f1"), Entry("t2", "f2"), Entry("t3", "f3"), Entry("t4", "f4")},
                  true, QStringLiteral("/b"));
    transfer.FlipSelected(0);
    transfer.FlipSelected(2);
    transfer.FlipSelected(3);
    transfer.FlipSelected(3);
    MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::No});
    transfer.Run(view);

    QCOMPARE(steps.calls, (QStringList{"out t2 /b/f2", "out t4 /b/f4"}));
    QCOMPARE(transfer.Rapport, (QStringList{"output of out t2 /b/f2", "output of out t4 /b/f4"}));
    QCOMPARE(transfer.Range(), 4);
    QCOMPARE(transfer.Progress(), 2);
    QCOMPARE(cTransfer::Percent(transfer.Progress(), transfer.Range()), 50);
    QVERIFY(!transfer.InfosCheck.at(0).Complete);
    QVERIFY(transfer.InfosCheck.at(1).Complete);
    QVERIFY(!transfer.InfosCheck.at(2).Complete);
    QVERIFY(transfer.InfosCheck.at(3).Complete);
    QVERIFY(!view.events.contains(QStringLiteral("report")));
}

void TestTransferRun::importIgnoresQueriesAndTruncatesOnlyWhenAsked_data()
{
    QTest::addColumn<bool>("truncate");
    QTest::addColumn<QStringList>("expectedCalls");
    QTest::newRow("no truncation") << false << QStringList{"in t1 /b/f1", "in t2 /b/f2"};
    QTest::newRow("truncation") << true
                                << QStringList{"truncate t1", "in t1 /b/f1", "truncate t2",
                                               "in t2 /b/f2"};
}

void TestTransferRun::importIgnoresQueriesAndTruncatesOnlyWhenAsked()
{
    QFETCH(bool, truncate);
    QFETCH(QStringList, expectedCalls);
    FakeSteps steps;
    FakeView view;
    cTransfer transfer(steps);
    transfer.Load({Entry("t1", "f1"), Entry("t2", "f2", "select * from t2")}, false,
                  QStringLiteral("/b"));
    MessageBox::setNextAnswers(
        {MessageBox::Yes, truncate ? MessageBox::Yes : MessageBox::No, MessageBox::No});
    transfer.Run(view);
    QCOMPARE(AskedTexts(), (QStringList{ImportQuestion, TruncateQuestion, ReportQuestion}));
    QCOMPARE(steps.calls, expectedCalls);
    QCOMPARE(transfer.Rapport, (QStringList{"output of in t1 /b/f1", "output of in t2 /b/f2"}));
    QVERIFY(transfer.InfosCheck.at(0).Complete && transfer.InfosCheck.at(1).Complete);
}

void TestTransferRun::refusedTruncationSkipsTheImportOfThatRow()
{
    FakeSteps steps;
    steps.refusedTables = {QStringLiteral("t2")};
    FakeView view;
    cTransfer transfer(steps);
    transfer.Load({Entry("t1", "f1"), Entry("t2", "f2"), Entry("t3", "f3")}, false,
                  QStringLiteral("/b/"));
    MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::Yes, MessageBox::Yes});
    transfer.Run(view);
    QCOMPARE(steps.calls, (QStringList{"truncate t1", "in t1 /b/f1", "truncate t2", "truncate t3",
                                       "in t3 /b/f3"}));
    QCOMPARE(transfer.Rapport,
             (QStringList{"output of in t1 /b/f1", "truncate table t2", "output of in t3 /b/f3"}));
    QCOMPARE(view.shownReport, transfer.Rapport);
    QCOMPARE(transfer.Progress(), 3);
    QVERIFY(transfer.InfosCheck.at(1).Complete);
    QVERIFY(transfer.InfosCheck.at(1).Failed);
    QCOMPARE(transfer.InfosCheck.at(1).FailureLine, QStringLiteral("truncate table t2"));
    QVERIFY(!transfer.InfosCheck.at(0).Failed);
    QVERIFY(!transfer.InfosCheck.at(2).Failed);
}

void TestTransferRun::exceptionEndsTheRunAtThatRow()
{
    FakeSteps steps;
    steps.throwingTable = QStringLiteral("t2");
    FakeView view;
    cTransfer transfer(steps);
    transfer.Load({Entry("t1", "f1"), Entry("t2", "f2"), Entry("t3", "f3")}, false,
                  QStringLiteral("/b/"));
    MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::Yes, MessageBox::Yes});
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, transfer.Run(view));
    QCOMPARE(steps.calls, (QStringList{"truncate t1", "in t1 /b/f1", "truncate t2"}));
    QCOMPARE(AskedTexts(), (QStringList{ImportQuestion, TruncateQuestion}));
    QCOMPARE(transfer.Rapport, QStringList{"output of in t1 /b/f1"});
    QVERIFY(transfer.InfosCheck.at(0).Complete);
    QVERIFY(!transfer.InfosCheck.at(1).Complete);
    QVERIFY(!transfer.InfosCheck.at(2).Complete);
    QCOMPARE(transfer.Progress(), 1);
    QVERIFY(!view.events.contains(QStringLiteral("report")));
    QVERIFY(!transfer.Running());
}

void TestTransferRun::emptyListAsksTheQuestionsAndOffersAnEmptyReport()
{
    FakeSteps steps;
    FakeView view;
    cTransfer transfer(steps);
    transfer.Load({}, false, QStringLiteral("/b/"));
    MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::Yes, MessageBox::Yes});
    transfer.Run(view);
    QCOMPARE(AskedTexts(), (QStringList{ImportQuestion, TruncateQuestion, ReportQuestion}));
    QVERIFY(steps.calls.isEmpty());
    QCOMPARE(view.events, (QStringList{"range 0", "finished", "report"}));
    QVERIFY(view.shownReport.isEmpty());
    QCOMPARE(cTransfer::Percent(transfer.Progress(), transfer.Range()), 0);
}

void TestTransferRun::secondRunDuringARunDoesNothing()
{
    FakeSteps steps;
    FakeView view;
    cTransfer transfer(steps);
    transfer.Load({Entry("t1", "f1"), Entry("t2", "f2")}, true, QStringLiteral("/b/"));
    int nestedCalls = 0;
    view.onRowDone = [&](int) {
        ++nestedCalls;
        QVERIFY(transfer.Running());
        transfer.Run(view);
    };
    MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::No});
    transfer.Run(view);
    QCOMPARE(nestedCalls, 2);
    QCOMPARE(AskedTexts(), (QStringList{ExportQuestion, ReportQuestion}));
    QCOMPARE(steps.calls, (QStringList{"out t1 /b/f1", "out t2 /b/f2"}));
    QCOMPARE(transfer.Progress(), 2);
}

void TestTransferRun::failureIsFoundInStatusAndOutput_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("started");
    QTest::addColumn<bool>("exitedNormally");
    QTest::addColumn<QString>("expected");

    const QString copied =
        QStringLiteral("\nStarting copy...\n\n1 rows copied.\nNetwork packet size (bytes): 4096\n");
    QTest::newRow("worked") << copied << 0 << true << true << "";
    QTest::newRow("worked, nothing written") << "" << 0 << true << true << "";
    QTest::newRow("exit status 1 with an error line")
        << "SQLState = S1000, NativeError = 0\r\nError = [ODBC]Unable to open BCP host "
           "data-file\r\n"
        << 1 << true << true << "SQLState = S1000, NativeError = 0";
    QTest::newRow("exit status 3, normal output")
        << copied << 3 << true << true << "bcp exited with status 3.";
    QTest::newRow("exit status 2, no output")
        << "" << 2 << true << true << "bcp exited with status 2.";
    QTest::newRow("not started") << "" << -1 << false << false << "bcp could not be started.";
    QTest::newRow("not started, with the reason")
        << "\nbcp: command not found\n"
        << -1 << false << false << "bcp: command not found";
    QTest::newRow("killed") << "" << -1 << true << false << "bcp ended abnormally.";
    QTest::newRow("SQLState with status 0")
        << "SQLState = 08001, NativeError = 2\nError = [ODBC]Login timeout expired\n"
        << 0 << true << true << "SQLState = 08001, NativeError = 2";
    QTest::newRow("Error line alone") << "Starting copy...\n  Error = [ODBC]Invalid object name\n"
                                      << 0 << true << true << "Error = [ODBC]Invalid object name";
    QTest::newRow("warning SQLState is no failure")
        << "SQLState = 01000, NativeError = 5701\nWarning = [ODBC]Changed database context\n"
        << 0 << true << true << "";
    QTest::newRow("NativeError alone is no Error line") << "NativeError = 0 reported\n"
                                                        << 0 << true << true << "";
    QTest::newRow("Msg level 16")
        << "Msg 4060, Level 16, State 1, Server FAKE, Line 1\nCannot open\n"
        << 0 << true << true << "Msg 4060, Level 16, State 1, Server FAKE, Line 1";
    QTest::newRow("Msg level 11") << "Msg 1, Level 11, State 1\n"
                                  << 0 << true << true << "Msg 1, Level 11, State 1";
    QTest::newRow("Msg level 10 is information")
        << "Msg 5701, Level 10, State 1\n" + copied << 0 << true << true << "";
    QTest::newRow("rows unable above 0") << "Starting copy...\n3 rows unable to be copied.\n"
                                         << 0 << true << true << "3 rows unable to be copied.";
    QTest::newRow("rows unable 0") << "Starting copy...\n0 rows unable to be copied.\n"
                                   << 0 << true << true << "";
    QTest::newRow("lone carriage returns split lines")
        << "Starting copy...\rSQLState = 37000, NativeError = 4060\r" << 0 << true << true
        << "SQLState = 37000, NativeError = 4060";
}

void TestTransferRun::failureIsFoundInStatusAndOutput()
{
    QFETCH(QString, output);
    QFETCH(int, exitCode);
    QFETCH(bool, started);
    QFETCH(bool, exitedNormally);
    QFETCH(QString, expected);
    CommandResult result;
    result.output = output;
    result.exitCode = exitCode;
    result.started = started;
    result.exitedNormally = exitedNormally;
    QCOMPARE(cTransfer::FailureOf(result), expected);
}

void TestTransferRun::failedRowsAreFlaggedAndTheOthersNot()
{
    FakeSteps steps;
    CommandResult failed = Worked(QStringLiteral("SQLState = 08001, NativeError = 2\nError = x\n"));
    steps.results.insert(QStringLiteral("out t2 /b/f2"), failed);
    CommandResult notStarted;
    steps.results.insert(QStringLiteral("out t3 /b/f3"), notStarted);
    FakeView view;
    cTransfer transfer(steps);
    transfer.Load({Entry("t1", "f1"), Entry("t2", "f2"), Entry("t3", "f3"), Entry("t4", "f4")},
                  true, QStringLiteral("/b/"));
    MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::No});
    transfer.Run(view);
    // The report keeps every output as it came, an empty one for a run that could not start.
    QCOMPARE(transfer.Rapport, (QStringList{"output of out t1 /b/f1", failed.output, QString(),
                                            "output of out t4 /b/f4"}));
    const QList<bool> flagged{false, true, true, false};
    for (int i = 0; i < 4; ++i) {
        QVERIFY(transfer.InfosCheck.at(i).Complete);
        QCOMPARE(transfer.InfosCheck.at(i).Failed, flagged.at(i));
    }
    QCOMPARE(transfer.InfosCheck.at(1).FailureLine,
             QStringLiteral("SQLState = 08001, NativeError = 2"));
    QCOMPARE(transfer.InfosCheck.at(2).FailureLine, QStringLiteral("bcp could not be started."));
}

void TestTransferRun::percentIsTruncated_data()
{
    QTest::addColumn<int>("progress");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty range") << 0 << 0 << 0;
    QTest::newRow("one of three") << 1 << 3 << 33;
    QTest::newRow("two of three") << 2 << 3 << 66;
    QTest::newRow("all") << 7 << 7 << 100;
    QTest::newRow("large") << 999999 << 1000000 << 99;
}

void TestTransferRun::percentIsTruncated()
{
    QFETCH(int, progress);
    QFETCH(int, range);
    QFETCH(int, expected);
    QCOMPARE(cTransfer::Percent(progress, range), expected);
}

void TestTransferRun::dataFileSearch_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<bool>("found");
    QTest::newRow("ordinary file") << "orders.bak" << true;
    QTest::newRow("missing file") << "missing.bak" << false;
    QTest::newRow("hidden file") << ".hidden.bak" << true;
    QTest::newRow("folder") << "archive" << true;
    QTest::newRow("file inside a folder") << "archive/inner.bak" << true;
    QTest::newRow("star wildcard") << "ord*.bak" << true;
    QTest::newRow("question mark wildcard") << "order?.bak" << true;
    QTest::newRow("question mark needs one character") << "orders?.bak" << false;
    QTest::newRow("wildcard without match") << "*.dat" << false;
    QTest::newRow("wildcard matching a hidden file") << ".hid*" << true;
    QTest::newRow("wildcard matching a folder") << "arch*" << true;
    QTest::newRow("brackets are no wildcard") << "[o]rders.bak" << false;
    QTest::newRow("literal brackets") << "[x].bak" << true;
    QTest::newRow("letter case counts") << "ORDERS.BAK" << false;
    QTest::newRow("dangling link") << "dangling.bak" << true;
    QTest::newRow("path ending with a separator") << "archive/" << false;
    QTest::newRow("wildcard in a missing folder") << "nowhere/*" << false;
}

void TestTransferRun::dataFileSearch()
{
    QFETCH(QString, relativePath);
    QFETCH(bool, found);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QDir dir(folder.path());
    for (const QString &name : {QStringLiteral("orders.bak"), QStringLiteral(".hidden.bak"),
                                QStringLiteral("archive/inner.bak"), QStringLiteral("[x].bak")}) {
        QVERIFY(dir.mkpath(QFileInfo(dir.filePath(name)).path()));
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")),
                        dir.filePath(QStringLiteral("dangling.bak"))));
    QCOMPARE(cTransfer::DataFileFound(folder.path() + QLatin1Char('/') + relativePath), found);
}

void TestTransferRun::presentEntriesRunFolderAndFileNameTogether()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString root = folder.path() + QLatin1Char('/');
    QVERIFY(QDir(root).mkpath(QStringLiteral("backup")));
    for (const QString &name : {QStringLiteral("backup/a.bak"), QStringLiteral("backupb.bak")}) {
        QFile file(root + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const tTableNames tables{Entry("ta", "a.bak", "select 1"), Entry("tb", "b.bak"),
                             Entry("tc", "c.bak"), Entry("td", "*.bak")};
    // With a final "/" only the files inside the folder count.
    QCOMPARE(cTransfer::PresentEntries(tables, root + QStringLiteral("backup/")),
             (tTableNames{tables.at(0), tables.at(3)}));
    // Without it the folder text runs into the file name, wildcard included.
    QCOMPARE(cTransfer::PresentEntries(tables, root + QStringLiteral("backup")),
             (tTableNames{tables.at(1), tables.at(3)}));
    QVERIFY(cTransfer::PresentEntries({}, root).isEmpty());
}

QTEST_GUILESS_MAIN(TestTransferRun)
#include "tst_transferrun.moc"
