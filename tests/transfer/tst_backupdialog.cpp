// SPDX-License-Identifier: GPL-3.0-or-later
// The transfer dialog as a window, over steps that the test controls: loading, the path field,
// the folder chooser, the Select cells, the drawing of rows, closing, and exceptions.
#include "TestSupport.h"
#include "app/FileDialog.h"
#include "app/MessageBox.h"
#include "app/TApplication.h"
#include "app/Tools.h"
#include "transfer/TforBackup.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

#include <functional>
#include <stdexcept>

namespace
{
class ScriptedSteps : public cTransferSteps
{
public:
    CommandResult ExportTable(const QString &tableName, const QString &filePath) override
    {
        return Answer(QStringLiteral("out ") + tableName + QLatin1Char(' ') + filePath);
    }
    CommandResult ExportQuery(const QString &query, const QString &filePath) override
    {
        return Answer(QStringLiteral("queryout ") + query + QLatin1Char(' ') + filePath);
    }
    CommandResult ImportTable(const QString &tableName, const QString &filePath) override
    {
        return Answer(QStringLiteral("in ") + tableName + QLatin1Char(' ') + filePath);
    }
    bool TruncateTable(const QString &tableName) override
    {
        calls.append(QStringLiteral("truncate ") + tableName);
        if (tableName == throwingTable)
            throw std::runtime_error("truncation rejected");
        return true;
    }

    CommandResult Answer(const QString &call)
    {
        calls.append(call);
        if (onCall)
            onCall(int(calls.size()));
        CommandResult result;
        result.started = true;
        result.exitedNormally = true;
        result.exitCode = failingCalls.contains(call) ? 1 : 0;
        result.output = failingCalls.contains(call)
                            ? QStringLiteral("SQLState = 42S02, NativeError = 208\nError = bad\n")
                            : QStringLiteral("copied by ") + call;
        return result;
    }

    QStringList calls;
    QStringList failingCalls;
    QString throwingTable;
    std::function<void(int)> onCall;
};

rTableInformation Entry(const QString &table, const QString &file, const QString &script = {})
{
    return rTableInformation{table, script, file};
}

QRect CellRect(QTableWidget *grid, int ARow, int ACol)
{
    return grid->visualRect(grid->model()->index(ARow - 1, ACol));
}

void ClickCell(QTableWidget *grid, int ARow, int ACol)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                      CellRect(grid, ARow, ACol).center());
}

QImage CellImage(QTableWidget *grid, int ARow, int ACol)
{
    grid->clearSelection();
    grid->viewport()->repaint();
    return grid->viewport()->grab(CellRect(grid, ARow, ACol)).toImage();
}

int ReddishPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 140 && c.green() < 100 && c.blue() < 100)
                ++count;
        }
    return count;
}

struct Caught {
    QStringList messages;
};
Caught caught;
} // namespace

class TestBackupDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void loadShowsOneRowPerEntry();
    void actionIsEnabledExactlyForAnExistingFolder_data();
    void actionIsEnabledExactlyForAnExistingFolder();
    void pathChangesLeaveTheFilePathsAlone();
    void folderChooserStartsAtThePathField();
    void selectCellFlipsOnClickAndKeyboardMoves();
    void glyphsShowSelectAndComplete();
    void noToTheFirstQuestionClosesWithOk();
    void cancelDuringARunDoesNotStopIt();
    void secondActionDuringARunDoesNothing();
    void gaugeShowsTheTableInProgress();
    void failedRowsAreDrawnInTheErrorColourWithTheirErrorLine();
    void exceptionEndsTheRunAndClosesWithOk();

private:
    QTemporaryDir m_folder;
    std::unique_ptr<cConfiguration> m_configuration;
};

void TestBackupDialog::initTestCase()
{
    QVERIFY(m_folder.isValid());
    TApplication::setExceptionHandler(
        [](QObject *, const std::exception &error) { caught.messages.append(error.what()); });
}

void TestBackupDialog::init()
{
    m_configuration = std::make_unique<cConfiguration>(m_folder.filePath("test.config"));
    m_configuration->Fbackup_path = m_folder.path() + QLatin1Char('/');
    AppConfiguration = m_configuration.get();
    caught.messages.clear();
}

void TestBackupDialog::cleanup()
{
    MessageBox::resetSeam();
    FileDialog::resetSeam();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    AppConfiguration = nullptr;
    m_configuration.reset();
    QCOMPARE(TestSupport::VisibleTopLevelCount(), 0);
}

void TestBackupDialog::loadShowsOneRowPerEntry()
{
    ScriptedSteps steps;
    const QString folder = m_folder.path() + QLatin1Char('/');
    bool checked = false;
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TforBackup *>(modal);
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("Import"));
        QCOMPARE(form->fTitle(), QStringLiteral("Import"));
        QVERIFY(!form->FExportation());
        QTableWidget *grid = form->sgTables;
        QCOMPARE(grid->columnCount(), 4);
        QCOMPARE(grid->rowCount(), 2);
        QStringList header;
        for (int column = 0; column < 4; ++column)
            header.append(grid->horizontalHeaderItem(column)->text());
        QCOMPARE(header, (QStringList{"Select", "Table Name", "File Name", "Complete"}));
        QCOMPARE(grid->columnWidth(1), 274);
        QVERIFY(grid->editTriggers() == QAbstractItemView::NoEditTriggers);
        QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
        // The rows hold no texts of their own: everything shown comes from the records.
        QVERIFY(!grid->item(0, 1));
        QCOMPARE(form->edPath->text(), folder);
        QVERIFY(form->btnAction->isEnabled());
        QVERIFY(form->btnAction->isDefault());
        QCOMPARE(form->btnAction->text(), QStringLiteral("Action"));
        QCOMPARE(form->btnCancel->text(), QStringLiteral("Cancel"));
        QCOMPARE(form->btnAction->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(form->ggTraitment->text(), QStringLiteral("0%"));
        QCOMPARE(form->InfosCheck().size(), 2);
        QCOMPARE(form->InfosCheck().at(0).FileName, folder + QStringLiteral("orders.bak"));
        QCOMPARE(form->InfosCheck().at(1).FileName, folder + QStringLiteral("lines.bak"));
        QCOMPARE(form->InfosCheck().at(1).script, QStringLiteral("select 1"));
        QVERIFY(form->Rapport().isEmpty());
        checked = true;
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    const bool result = TforBackup::Execute(
        {Entry("dbo.Orders", "C:\\old\\orders.bak"), Entry("dbo.Lines", "lines.bak", "select 1")},
        false, steps);
    QVERIFY(checked);
    QVERIFY(!result);
    QVERIFY(steps.calls.isEmpty());
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestBackupDialog::actionIsEnabledExactlyForAnExistingFolder_data()
{
    QTest::addColumn<QString>("backupPath");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("existing folder") << "." << true;
    QTest::newRow("missing folder") << "/nonexistent/orvel/backup/" << false;
    QTest::newRow("empty backup folder") << "" << false;
}

void TestBackupDialog::actionIsEnabledExactlyForAnExistingFolder()
{
    QFETCH(QString, backupPath);
    QFETCH(bool, enabled);
    if (backupPath == QStringLiteral("."))
        backupPath = m_folder.path();
    m_configuration->Fbackup_path = backupPath;
    ScriptedSteps steps;
    bool checked = false;
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TforBackup *>(modal);
        QCOMPARE(form->edPath->text(), backupPath);
        QCOMPARE(form->btnAction->isEnabled(), enabled);
        // The bare file name where the folder is empty.
        QCOMPARE(form->InfosCheck().at(0).FileName,
                 backupPath.isEmpty() ? QStringLiteral("t.bak")
                                      : IncludeTrailingText(backupPath, "/") + "t.bak");
        checked = true;
        form->btnCancel->click();
    });
    QVERIFY(!TforBackup::Execute({Entry("t", "t.bak")}, true, steps));
    QVERIFY(checked);
}

void TestBackupDialog::pathChangesLeaveTheFilePathsAlone()
{
    ScriptedSteps steps;
    const QString other = m_folder.path() + QStringLiteral("/other");
    QVERIFY(QDir().mkpath(other));
    QStringList calls;
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TforBackup *>(modal);
        const QString before = form->InfosCheck().at(0).FileName;
        form->edPath->clear();
        QVERIFY(!form->btnAction->isEnabled());
        QTest::keyClicks(form->edPath, QStringLiteral("/no/such/folder"));
        QVERIFY(!form->btnAction->isEnabled());
        form->edPath->setText(other);
        QVERIFY(form->btnAction->isEnabled());
        QCOMPARE(form->InfosCheck().at(0).FileName, before);
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::No});
        QTest::mouseClick(form->btnAction, Qt::LeftButton);
    });
    QVERIFY(TforBackup::Execute({Entry("t", "t.bak")}, true, steps));
    QCOMPARE(steps.calls, QStringList{"out t " + m_folder.path() + "/t.bak"});
}

void TestBackupDialog::folderChooserStartsAtThePathField()
{
    ScriptedSteps steps;
    const QString chosen = m_folder.path() + QStringLiteral("/chosen");
    QVERIFY(QDir().mkpath(chosen));
    m_configuration->Fbackup_path.clear();
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TforBackup *>(modal);
        QVERIFY(!form->btnAction->isEnabled());
        form->edPath->setText(QStringLiteral("/start/here"));
        FileDialog::setNextAnswers({QString()});
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QCOMPARE(form->edPath->text(), QStringLiteral("/start/here"));
        FileDialog::setNextAnswers({chosen});
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QCOMPARE(form->edPath->text(), chosen);
        QVERIFY(form->btnAction->isEnabled());
        // Rows built with an empty folder keep their bare file names.
        QCOMPARE(form->InfosCheck().at(0).FileName, QStringLiteral("t.bak"));
        form->reject();
    });
    TforBackup::Execute({Entry("t", "t.bak")}, true, steps);
    const QList<FileDialog::Request> requests = FileDialog::requests();
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests.at(0).kind, QStringLiteral("folder"));
    QCOMPARE(requests.at(0).folder, QStringLiteral("/start/here"));
}

void TestBackupDialog::selectCellFlipsOnClickAndKeyboardMoves()
{
    ScriptedSteps steps;
    QList<bool> afterClicks;
    QList<bool> afterKeys;
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TforBackup *>(modal);
        QTableWidget *grid = form->sgTables;
        const auto selected = [form] {
            QList<bool> flags;
            for (const rInfoCheck &row : form->InfosCheck())
                flags.append(row.selected);
            return flags;
        };
        ClickCell(grid, 1, 0); // row 1 off
        ClickCell(grid, 2, 0); // row 2 off
        ClickCell(grid, 2, 0); // row 2 on again
        ClickCell(grid, 3, 1); // another column: nothing
        ClickCell(grid, 3, 2);
        afterClicks = selected();
        grid->setFocus();
        ClickCell(grid, 1, 0);               // row 1 on, and row 1 current
        QTest::keyClick(grid, Qt::Key_Down); // reaches row 2: off
        QTest::keyClick(grid, Qt::Key_Down); // reaches row 3: off
        QTest::keyClick(grid, Qt::Key_Down); // no row below: nothing
        afterKeys = selected();
        form->reject();
    });
    TforBackup::Execute({Entry("t1", "f1"), Entry("t2", "f2"), Entry("t3", "f3")}, true, steps);
    QCOMPARE(afterClicks, (QList<bool>{false, true, true}));
    QCOMPARE(afterKeys, (QList<bool>{true, false, false}));
}

void TestBackupDialog::glyphsShowSelectAndComplete()
{
    ScriptedSteps steps;
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TforBackup *>(modal);
        QTableWidget *grid = form->sgTables;
        const QImage ticked = CellImage(grid, 1, 0);
        form->sgTablesSelectCell(0, 1);
        const QImage empty = CellImage(grid, 1, 0);
        QVERIFY(ticked != empty);
        form->sgTablesSelectCell(0, 1);
        QCOMPARE(CellImage(grid, 1, 0), ticked);
        // Row 2 left out: after the run only row 1 is complete.
        form->sgTablesSelectCell(0, 2);
        const QImage notComplete = CellImage(grid, 1, 3);
        QCOMPARE(CellImage(grid, 2, 3), notComplete);
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::No});
        steps.onCall = [&](int) {
            // Still running: not yet complete.
            QCOMPARE(CellImage(grid, 1, 3), notComplete);
        };
        form->btnAction->click();
        QVERIFY(CellImage(grid, 1, 3) != notComplete);
        QCOMPARE(CellImage(grid, 2, 3), notComplete);
        QCOMPARE(form->ggTraitment->text(), QStringLiteral("50%"));
    });
    QVERIFY(TforBackup::Execute({Entry("t1", "f1"), Entry("t2", "f2")}, true, steps));
    QCOMPARE(steps.calls.size(), 1);
}

void TestBackupDialog::noToTheFirstQuestionClosesWithOk()
{
    ScriptedSteps steps;
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TforBackup *>(modal);
        MessageBox::setNextAnswers({MessageBox::No});
        QTest::keyClick(form->sgTables, Qt::Key_Return); // Enter presses the default button
    });
    QVERIFY(TforBackup::Execute({Entry("t1", "f1")}, true, steps));
    QVERIFY(steps.calls.isEmpty());
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().at(0).text, QStringLiteral("Do you want to Export datas ?"));
    QCOMPARE(MessageBox::shown().at(0).title, QStringLiteral("Confirmer"));
}

void TestBackupDialog::cancelDuringARunDoesNotStopIt()
{
    ScriptedSteps steps;
    bool stillVisible = false;
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TforBackup *>(modal);
        steps.onCall = [&](int call) {
            if (call == 1) {
                QTest::mouseClick(form->btnCancel, Qt::LeftButton);
                QTest::keyClick(form, Qt::Key_Escape);
                form->close();
                stillVisible = form->isVisible();
            }
        };
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::No});
        form->btnAction->click();
    });
    QVERIFY(!TforBackup::Execute({Entry("t1", "f1"), Entry("t2", "f2"), Entry("t3", "f3")}, true,
                                 steps));
    QVERIFY(stillVisible);
    QCOMPARE(steps.calls.size(), 3);
    QCOMPARE(MessageBox::shown().size(), 2);
}

void TestBackupDialog::secondActionDuringARunDoesNothing()
{
    ScriptedSteps steps;
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TforBackup *>(modal);
        steps.onCall = [&](int) {
            QVERIFY(form->Running());
            QVERIFY(form->btnAction->isEnabled());
            form->btnAction->click();
        };
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::No});
        form->btnAction->click();
    });
    QVERIFY(TforBackup::Execute({Entry("t1", "f1"), Entry("t2", "f2")}, true, steps));
    QCOMPARE(steps.calls.size(), 2);
    QCOMPARE(MessageBox::shown().size(), 2);
}

void TestBackupDialog::gaugeShowsTheTableInProgress()
{
    ScriptedSteps steps;
    QStringList during;
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TforBackup *>(modal);
        steps.onCall = [&](int call) {
            during.append(form->ggTraitment->text());
            if (call == 2)
                TestSupport::SaveScreenshot(form, QStringLiteral("transfer-during-run"));
        };
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::No, MessageBox::No});
        form->btnAction->click();
        QCOMPARE(form->ggTraitment->text(), QStringLiteral("100%"));
        QCOMPARE(form->ggTraitment->value(), 3);
        QCOMPARE(form->ggTraitment->maximum(), 3);
    });
    QVERIFY(
        TforBackup::Execute({Entry("dbo.Orders", "orders.bak"), Entry("", "query.bak", "select 1"),
                             Entry("dbo.Customers", "customers.bak")},
                            false, steps));
    QCOMPARE(during, (QStringList{"0% - dbo.Orders", "33% - query.bak", "66% - dbo.Customers"}));
}

void TestBackupDialog::failedRowsAreDrawnInTheErrorColourWithTheirErrorLine()
{
    ScriptedSteps steps;
    const QString folder = m_folder.path() + QLatin1Char('/');
    steps.failingCalls = {QStringLiteral("out t2 ") + folder + QStringLiteral("f2.bak")};
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TforBackup *>(modal);
        QTableWidget *grid = form->sgTables;
        for (int row = 1; row <= 3; ++row)
            for (int column = 1; column <= 2; ++column)
                QCOMPARE(ReddishPixels(CellImage(grid, row, column)), 0);
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::No});
        form->btnAction->click();
        for (int row = 1; row <= 3; ++row) {
            for (int column = 1; column <= 2; ++column) {
                const bool failed = row == 2;
                QCOMPARE(ReddishPixels(CellImage(grid, row, column)) > 0, failed);
                QCOMPARE(form->sgTablesHint(column, row),
                         failed ? QStringLiteral("SQLState = 42S02, NativeError = 208")
                                : QString());
            }
            QVERIFY(form->InfosCheck().at(row - 1).Complete);
        }
        // Hovering the cell shows the line as its tooltip.
        const QPoint inside = CellRect(grid, 2, 1).center();
        QHelpEvent hover(QEvent::ToolTip, inside, grid->viewport()->mapToGlobal(inside));
        QApplication::sendEvent(grid->viewport(), &hover);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("SQLState = 42S02, NativeError = 208"));
        QToolTip::hideText();
        QVERIFY(form->sgTablesHint(0, 2).isEmpty());
        QVERIFY(form->sgTablesHint(3, 2).isEmpty());
        TestSupport::SaveScreenshot(form, QStringLiteral("transfer-with-a-failed-row"));
    });
    QVERIFY(TforBackup::Execute(
        {Entry("t1", "f1.bak"), Entry("t2", "f2.bak"), Entry("t3", "f3.bak")}, true, steps));
    QCOMPARE(steps.calls.size(), 3);
}

void TestBackupDialog::exceptionEndsTheRunAndClosesWithOk()
{
    ScriptedSteps steps;
    steps.throwingTable = QStringLiteral("t2");
    QStringList reportAtTheEnd;
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TforBackup *>(modal);
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::Yes, MessageBox::Yes});
        form->btnAction->click();
        reportAtTheEnd = form->Rapport();
        QVERIFY(!form->InfosCheck().at(1).Complete);
        QVERIFY(!form->InfosCheck().at(2).Complete);
    });
    QVERIFY(TforBackup::Execute({Entry("t1", "f1"), Entry("t2", "f2"), Entry("t3", "f3")}, false,
                                steps));
    QCOMPARE(caught.messages, QStringList{"truncation rejected"});
    QCOMPARE(steps.calls.size(), 3); // truncate t1, in t1, truncate t2
    QCOMPARE(reportAtTheEnd.size(), 1);
    // The final question was never asked.
    QCOMPARE(MessageBox::shown().size(), 2);
    QCOMPARE(MessageBox::pendingAnswers(), 1);
}

int main(int argc, char *argv[])
{
    TApplication application(argc, argv);
    TestBackupDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_backupdialog.moc"
