// SPDX-License-Identifier: GPL-3.0-or-later
// The main window end to end: its menu opens the transfer dialog, which runs the stand-in bcp
// for every row; the close question; the decorative picture.
#include "TestSupport.h"
#include "app/FileDialog.h"
#include "app/MessageBox.h"
#include "app/TApplication.h"
#include "app/TForAbout.h"
#include "app/TForORVELMain.h"
#include "app/Tools.h"
#include "config/TForConfiguration.h"
#include "config/cConfiguration.h"
#include "transfer/TForReporting.h"
#include "transfer/TforBackup.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <functional>

namespace
{
struct BcpRun {
    QStringList args;
    QString cwd;
    qint64 pid = 0;
};

QList<BcpRun> ReadLog(const QString &path)
{
    QList<BcpRun> runs;
    const QList<QByteArray> lines = TestSupport::ReadFile(path).split('\n');
    for (const QByteArray &line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        BcpRun run;
        for (const QJsonValue &value : object.value(QStringLiteral("args")).toArray())
            run.args.append(value.toString());
        run.cwd = object.value(QStringLiteral("cwd")).toString();
        run.pid = object.value(QStringLiteral("pid")).toInteger();
        runs.append(run);
    }
    return runs;
}

QString XmlText(const QString &text)
{
    return text.toHtmlEscaped();
}

// Sets variables for one test and gives every one its former value (or absence) back.
class ScopedEnvironment
{
public:
    void Set(const char *name, const QByteArray &value)
    {
        m_saved.append({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
        qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it) {
            if (it->wasSet)
                qputenv(it->name, it->value);
            else
                qunsetenv(it->name);
        }
    }

private:
    struct Saved {
        const char *name;
        bool wasSet;
        QByteArray value;
    };
    QList<Saved> m_saved;
};
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void menuHoldsEveryItemWithItsMnemonic();
    void pictureStaysInTheLowerRightCorner();
    void closeQuestionComesOnEveryWayOfClosing();
    void configurationAndAboutOpenTheirWindows();
    void exportRunsEveryConfiguredTable();
    void importListsOnlyEntriesWhoseDataFileIsFound();
    void importWithABackupFolderWithoutFinalSlash();
    void importOfAnEmptyListOffersAnEmptyReport();
    void failuresOfBcpAreFlagged_data();
    void failuresOfBcpAreFlagged();
    void gaugeShowsTheTableWhileItsBcpRuns();

private:
    // Writes the configuration file with these table lines and reads it into AppConfiguration.
    void Configure(const QString &backupPath, const QList<rTableInformation> &tables);
    // Opens Files with Alt+F and presses the keys in its menu.
    void ChooseFromFiles(TForORVELMain &window, const QList<Qt::Key> &keys);
    void ShowMainWindow(TForORVELMain &window);

    QTemporaryDir m_folder;
    QString m_backup;
    QString m_log;
    std::unique_ptr<cConfiguration> m_configuration;
};

void TestMainWindow::initTestCase()
{
    QVERIFY(m_folder.isValid());
    m_backup = m_folder.path() + QStringLiteral("/backup/");
    BackupPath = m_backup;
    m_log = m_folder.path() + QStringLiteral("/bcp.log");
    qputenv("FAKE_BCP_LOG", m_log.toLocal8Bit());
}

void TestMainWindow::init()
{
    QDir(m_backup).removeRecursively();
    QVERIFY(QDir().mkpath(m_backup));
    QFile::remove(m_log);
}

void TestMainWindow::cleanup()
{
    MessageBox::resetSeam();
    FileDialog::resetSeam();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    AppConfiguration = nullptr;
    m_configuration.reset();
    QCOMPARE(TestSupport::VisibleTopLevelCount(), 0);
}

void TestMainWindow::Configure(const QString &backupPath, const QList<rTableInformation> &tables)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<configuration>\n"
                                 "  <connection password=\"pw\" user=\"sa\" catalog=\"shop\" "
                                 "server=\"SRV\">x</connection>\n"
                                 "  <tables path=\"%1\">\n")
                      .arg(XmlText(backupPath));
    for (const rTableInformation &table : tables)
        xml += QStringLiteral("    <table tablename=\"%1\" filename=\"%2\">%3</table>\n")
                   .arg(XmlText(table.tablename), XmlText(table.filename), XmlText(table.script));
    xml += QStringLiteral("  </tables>\n</configuration>\n");
    const QString file = m_folder.path() + QStringLiteral("/orvel.config");
    TestSupport::WriteFile(file, xml.toUtf8());
    m_configuration = std::make_unique<cConfiguration>(file);
    m_configuration->Read();
    AppConfiguration = m_configuration.get();
    QCOMPARE(AppConfiguration->FTables.size(), tables.size());
}

void TestMainWindow::ShowMainWindow(TForORVELMain &window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

void TestMainWindow::ChooseFromFiles(TForORVELMain &window, const QList<Qt::Key> &keys)
{
    QTest::keyClick(&window, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QWidget *popup = QApplication::activePopupWidget();
    QCOMPARE(popup->objectName(), QStringLiteral("Fichiers1"));
    for (const Qt::Key key : keys)
        QTest::keyClick(popup, key);
}

void TestMainWindow::menuHoldsEveryItemWithItsMnemonic()
{
    TForORVELMain window;
    ShowMainWindow(window);
    QCOMPARE(window.windowTitle(), QStringLiteral("ORVEL BACKUP"));
    QMenuBar *bar = window.findChild<QMenuBar *>(QStringLiteral("MainMenuApp"));
    QVERIFY(bar);
    QStringList top;
    for (QAction *action : bar->actions())
        top.append(action->menu()->objectName() + QLatin1Char('=') + action->text());
    QCOMPARE(top, (QStringList{"Fichiers1=&Files", "Aide1=&Help"}));
    const auto items = [&](const char *menu) {
        QStringList texts;
        for (QAction *action : window.findChild<QMenu *>(QLatin1String(menu))->actions())
            texts.append(action->objectName() + QLatin1Char('=') +
                         (action->isSeparator() ? QStringLiteral("-") : action->text()));
        return texts;
    };
    QCOMPARE(items("Fichiers1"),
             (QStringList{"Sauvegarder1=&Export", "Restaurer1=&Import", "N1=-",
                          "Configuration1=&Configuration", "N2=-", "Quitter1=&Close"}));
    QCOMPARE(items("Aide1"), QStringList{"Apropos1=&About..."});
    QCOMPARE(window.centralWidget()->size(), QSize(1081, 688));
    TestSupport::SaveScreenshot(&window, QStringLiteral("main-window"));
    MessageBox::setNextAnswers({MessageBox::Yes});
    window.close();
}

void TestMainWindow::configurationAndAboutOpenTheirWindows()
{
    Configure(m_backup, {{QStringLiteral("dbo.Orders"), QString(), QStringLiteral("orders.dat")}});
    TForORVELMain window;
    ShowMainWindow(window);

    bool configurationShown = false;
    TestSupport::OnNextModalOf<TForConfiguration>([&](TForConfiguration *dialog) {
        configurationShown = true;
        dialog->btnCancel->click();
    });
    window.findChild<QAction *>(QStringLiteral("Configuration1"))->trigger();
    QVERIFY(configurationShown);
    QCOMPARE(AppConfiguration->FTables.size(), 1);

    bool aboutShown = false;
    TestSupport::OnNextModalOf<TForAbout>([&](TForAbout *about) {
        aboutShown = true;
        about->Button1->click();
    });
    window.findChild<QAction *>(QStringLiteral("Apropos1"))->trigger();
    QVERIFY(aboutShown);

    MessageBox::setNextAnswers({MessageBox::Yes});
    window.close();
}

void TestMainWindow::pictureStaysInTheLowerRightCorner()
{
    TForORVELMain window;
    ShowMainWindow(window);
    QWidget *picture = window.findChild<QWidget *>(QStringLiteral("Image1"));
    QVERIFY(picture);
    QCOMPARE(picture->size(), QSize(273, 136));
    QCOMPARE(picture->geometry(), QRect(808, 552, 273, 136));
    const QImage before = picture->grab().toImage();
    // Something is drawn: not every pixel has the window's colour.
    QVERIFY(before.pixelColor(136, 68) != window.palette().color(QPalette::Window) ||
            before.pixelColor(50, 70) != window.palette().color(QPalette::Window));
    window.resize(700, 500);
    QTRY_COMPARE(picture->geometry().bottomRight(), window.centralWidget()->rect().bottomRight());
    QCOMPARE(picture->size(), QSize(273, 136));
    MessageBox::setNextAnswers({MessageBox::Yes});
    window.close();
}

void TestMainWindow::closeQuestionComesOnEveryWayOfClosing()
{
    // "&Configuration" and "&Close" share their mnemonic: the first C selects Configuration,
    // the second Close, and Enter chooses it.
    const QList<Qt::Key> CloseKeys{Qt::Key_C, Qt::Key_C, Qt::Key_Return};
    TForORVELMain window;
    ShowMainWindow(window);
    MessageBox::setNextAnswers({MessageBox::No});
    window.close();
    QVERIFY(window.isVisible());
    MessageBox::setNextAnswers({MessageBox::No});
    ChooseFromFiles(window, CloseKeys);
    QVERIFY(window.isVisible());
    QCOMPARE(MessageBox::shown().size(), 2);
    for (const MessageBox::Shown &box : MessageBox::shown()) {
        QCOMPARE(box.kind, MessageBox::Confirmation);
        QCOMPARE(box.text, QStringLiteral("Do you want to leave ORVEL Backup ?"));
        QCOMPARE(box.buttons, (QStringList{"&Oui", "&Non"}));
    }
    MessageBox::setNextAnswers({MessageBox::Yes});
    ChooseFromFiles(window, CloseKeys);
    QVERIFY(!window.isVisible());
    QCOMPARE(MessageBox::shown().size(), 3);
}

void TestMainWindow::exportRunsEveryConfiguredTable()
{
    Configure(m_backup, {{"dbo.Orders", "", "orders.bak"},
                         {"dbo.Lines", "\"select * from dbo.Lines\"", "lines.bak"},
                         {"dbo.Customers", "", "C:\\old\\customers.bak"}});
    // Export lists every entry, whether a data file exists or not.
    TestSupport::WriteFile(m_backup + QStringLiteral("orders.bak"), "old");
    TForORVELMain window;
    ShowMainWindow(window);

    QStringList report;
    QList<bool> complete;
    QString gauge;
    QString reportText;
    bool opened = false;
    TestSupport::OnNextModalOf<TforBackup>([&](TforBackup *form) {
        opened = true;
        QCOMPARE(form->windowTitle(), QStringLiteral("Export"));
        QCOMPARE(form->sgTables->rowCount(), 3);
        TestSupport::OnNextModalOf<TForReporting>([&](TForReporting *shown) {
            reportText = shown->mmReport->toPlainText();
            shown->btnSave->click();
        });
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::Yes});
        QTest::mouseClick(form->btnAction, Qt::LeftButton);
        report = form->Rapport();
        for (const rInfoCheck &row : form->InfosCheck()) {
            complete.append(row.Complete);
            QVERIFY2(!row.Failed, qPrintable(row.FailureLine));
        }
        gauge = form->ggTraitment->text();
    });
    ChooseFromFiles(window, {Qt::Key_E});
    QVERIFY(opened);

    const QList<BcpRun> runs = ReadLog(m_log);
    QCOMPARE(runs.size(), 3);
    const QStringList login{"-Usa", "-Ppw", "-SSRV", "-d", "shop", "-n"};
    QCOMPARE(runs.at(0).args, QStringList({"dbo.Orders", "out", m_backup + "orders.bak"}) + login);
    // A query carrying its own double quotes stays one argument.
    QCOMPARE(runs.at(1).args,
             QStringList({"select * from dbo.Lines", "queryout", m_backup + "lines.bak"}) + login);
    QCOMPARE(runs.at(2).args,
             QStringList({"dbo.Customers", "out", m_backup + "customers.bak"}) + login);
    for (const BcpRun &run : runs)
        QCOMPARE(QDir(run.cwd), QDir(m_backup));
    QCOMPARE(TestSupport::ReadFile(m_backup + "orders.bak"),
             QByteArray("FAKE-BCP-DATA:dbo.Orders\n"));
    QCOMPARE(TestSupport::ReadFile(m_backup + "lines.bak"),
             QByteArray("FAKE-BCP-DATA:select * from dbo.Lines\n"));

    QCOMPARE(report.size(), 3);
    for (const QString &entry : report)
        QVERIFY2(entry.contains(QStringLiteral("\nStarting copy...\n\n1 rows copied.\n")),
                 qPrintable(entry));
    QCOMPARE(complete, (QList<bool>{true, true, true}));
    QCOMPARE(gauge, QStringLiteral("100%"));
    QCOMPARE(reportText.count(QStringLiteral("1 rows copied.")), 3);
    QStringList asked;
    for (const MessageBox::Shown &box : MessageBox::shown())
        asked.append(box.text);
    QCOMPARE(asked, (QStringList{"Do you want to Export datas ?",
                                 "Traitement complete, do you want to consult repport ?"}));
    MessageBox::setNextAnswers({MessageBox::Yes});
    window.close();
}

void TestMainWindow::importListsOnlyEntriesWhoseDataFileIsFound()
{
    Configure(m_backup, {{"dbo.Orders", "", "orders.bak"},
                         {"dbo.Lines", "select * from dbo.Lines", "lines.bak"},
                         {"dbo.Missing", "", "missing.bak"},
                         {"dbo.Any", "", "ord*.bak"},
                         {"dbo.Folder", "", "archive"},
                         {"dbo.Hidden", "", ".hidden.bak"},
                         {"dbo.Case", "", "ORDERS.BAK"}});
    TestSupport::WriteFile(m_backup + "orders.bak", "FAKE-BCP-DATA:dbo.Orders\n");
    TestSupport::WriteFile(m_backup + "lines.bak", "one\ntwo\n");
    TestSupport::WriteFile(m_backup + ".hidden.bak", "h\n");
    QVERIFY(QDir(m_backup).mkpath("archive"));
    TForORVELMain window;
    ShowMainWindow(window);

    QStringList tables;
    QStringList report;
    bool opened = false;
    TestSupport::OnNextModalOf<TforBackup>([&](TforBackup *form) {
        opened = true;
        QCOMPARE(form->windowTitle(), QStringLiteral("Import"));
        for (const rInfoCheck &row : form->InfosCheck())
            tables.append(row.tableName);
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::No, MessageBox::No});
        QTest::mouseClick(form->btnAction, Qt::LeftButton);
        report = form->Rapport();
    });
    ChooseFromFiles(window, {Qt::Key_I});
    QVERIFY(opened);
    QCOMPARE(tables,
             (QStringList{"dbo.Orders", "dbo.Lines", "dbo.Any", "dbo.Folder", "dbo.Hidden"}));
    const QList<BcpRun> runs = ReadLog(m_log);
    QCOMPARE(runs.size(), 5);
    const QStringList login{"-Usa", "-Ppw", "-SSRV", "-d", "shop", "-n"};
    QCOMPARE(runs.at(0).args, QStringList({"dbo.Orders", "in", m_backup + "orders.bak"}) + login);
    // The query is never used on import.
    QCOMPARE(runs.at(1).args, QStringList({"dbo.Lines", "in", m_backup + "lines.bak"}) + login);
    QCOMPARE(runs.at(2).args, QStringList({"dbo.Any", "in", m_backup + "ord*.bak"}) + login);
    QCOMPARE(report.size(), 5);
    QVERIFY(report.at(0).contains(QStringLiteral("1 rows copied.")));
    QVERIFY(report.at(1).contains(QStringLiteral("2 rows copied.")));
    // bcp itself cannot open a name with a wildcard in it.
    QVERIFY(report.at(2).contains(QStringLiteral("Unable to open BCP host data-file")));
    QStringList asked;
    for (const MessageBox::Shown &box : MessageBox::shown())
        asked.append(box.text);
    QCOMPARE(asked, (QStringList{"Do you want to Import datas ?",
                                 "Do you want to truncate table before restoring datas ?",
                                 "Traitement complete, do you want to consult repport ?"}));
    MessageBox::setNextAnswers({MessageBox::Yes});
    window.close();
}

void TestMainWindow::importWithABackupFolderWithoutFinalSlash()
{
    const QString folder = m_folder.path() + QStringLiteral("/bk");
    QVERIFY(QDir().mkpath(folder));
    TestSupport::WriteFile(folder + "orders.bak", "x\n"); // the folder text run into the name
    TestSupport::WriteFile(folder + "/lines.bak", "x\n"); // inside the folder: not searched
    Configure(folder, {{"dbo.Orders", "", "orders.bak"}, {"dbo.Lines", "", "lines.bak"}});
    TForORVELMain window;
    ShowMainWindow(window);
    QStringList files;
    TestSupport::OnNextModalOf<TforBackup>([&](TforBackup *form) {
        for (const rInfoCheck &row : form->InfosCheck())
            files.append(row.FileName);
        form->btnCancel->click();
    });
    ChooseFromFiles(window, {Qt::Key_I});
    // The dialog puts the "/" between folder and file name itself.
    QCOMPARE(files, QStringList{folder + "/orders.bak"});
    QVERIFY(ReadLog(m_log).isEmpty());
    MessageBox::setNextAnswers({MessageBox::Yes});
    window.close();
}

void TestMainWindow::importOfAnEmptyListOffersAnEmptyReport()
{
    Configure(m_backup, {{"dbo.Orders", "", "orders.bak"}});
    TForORVELMain window;
    ShowMainWindow(window);
    int rows = -1;
    QString reportText = QStringLiteral("not shown");
    TestSupport::OnNextModalOf<TforBackup>([&](TforBackup *form) {
        rows = form->sgTables->rowCount();
        QVERIFY(form->btnAction->isEnabled());
        TestSupport::OnNextModalOf<TForReporting>([&](TForReporting *shown) {
            reportText = shown->mmReport->toPlainText();
            shown->close();
        });
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::Yes, MessageBox::Yes});
        form->btnAction->click();
    });
    ChooseFromFiles(window, {Qt::Key_I});
    QCOMPARE(rows, 0);
    QCOMPARE(reportText, QString());
    QVERIFY(ReadLog(m_log).isEmpty());
    MessageBox::setNextAnswers({MessageBox::Yes});
    window.close();
}

void TestMainWindow::failuresOfBcpAreFlagged_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<bool>("onlySecond");
    QTest::addColumn<QString>("firstErrorLine");
    QTest::newRow("every row works") << QByteArray() << true << "";
    QTest::newRow("exit status") << QByteArray("exit=3") << true << "bcp exited with status 3.";
    QTest::newRow("SQLState with status 0")
        << QByteArray("sqlstate") << true << "SQLState = 08001, NativeError = 2";
    QTest::newRow("message of level 16")
        << QByteArray("msg=16") << true << "Msg 4060, Level 16, State 1, Server FAKE, Line 1";
    QTest::newRow("message of level 10") << QByteArray("msg=10") << true << "";
    QTest::newRow("rows unable to be copied")
        << QByteArray("unable=2") << true << "2 rows unable to be copied.";
    QTest::newRow("no row unable to be copied") << QByteArray("unable=0") << true << "";
    QTest::newRow("long output") << QByteArray("big=70000") << true << "";
    QTest::newRow("interleaved streams") << QByteArray("interleave") << true << "";
    QTest::newRow("bcp not found") << QByteArray("not-found") << false << "bcp: command not found";
}

void TestMainWindow::failuresOfBcpAreFlagged()
{
    QFETCH(QByteArray, mode);
    QFETCH(bool, onlySecond);
    QFETCH(QString, firstErrorLine);
    Configure(m_backup, {{"dbo.First", "", "first.bak"},
                         {"dbo.Second", "", "second.bak"},
                         {"dbo.Third", "", "third.bak"}});
    ScopedEnvironment environment;
    if (mode == "not-found") {
        environment.Set("PATH", QFile::encodeName(m_folder.path() + "/no-programs-here"));
    } else if (!mode.isEmpty()) {
        environment.Set("FAKE_BCP_MODE", mode);
        environment.Set("FAKE_BCP_ONLY", "dbo.Second");
    }
    TForORVELMain window;
    ShowMainWindow(window);
    QList<bool> failed;
    QList<bool> complete;
    QStringList hints;
    QStringList report;
    TestSupport::OnNextModalOf<TforBackup>([&](TforBackup *form) {
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::No});
        form->btnAction->click();
        for (int row = 1; row <= form->InfosCheck().size(); ++row) {
            failed.append(form->InfosCheck().at(row - 1).Failed);
            complete.append(form->InfosCheck().at(row - 1).Complete);
            hints.append(form->sgTablesHint(1, row));
            QCOMPARE(form->sgTablesHint(2, row), hints.last());
        }
        report = form->Rapport();
        if (mode == "sqlstate")
            TestSupport::SaveScreenshot(form, QStringLiteral("transfer-with-a-flagged-row"));
    });
    ChooseFromFiles(window, {Qt::Key_E});
    QCOMPARE(complete, (QList<bool>{true, true, true}));
    const bool anyFailure = !firstErrorLine.isEmpty();
    const QList<bool> expected{anyFailure && !onlySecond, anyFailure, anyFailure && !onlySecond};
    QCOMPARE(failed, expected);
    QCOMPARE(hints.at(1), firstErrorLine);
    QCOMPARE(report.size(), 3);
    // The report keeps the output as it came.
    if (mode == "sqlstate")
        QVERIFY(report.at(1).startsWith(QStringLiteral("SQLState = 08001, NativeError = 2\n")));
    if (mode == "big=70000")
        QVERIFY(report.at(1).size() > 70000);
    MessageBox::setNextAnswers({MessageBox::Yes});
    window.close();
}

void TestMainWindow::gaugeShowsTheTableWhileItsBcpRuns()
{
    Configure(m_backup, {{"dbo.First", "", "first.bak"},
                         {"dbo.Slow", "", "slow.bak"},
                         {"dbo.Third", "", "third.bak"}});
    ScopedEnvironment environment;
    environment.Set("FAKE_BCP_MODE", "hang");
    environment.Set("FAKE_BCP_ONLY", "dbo.Slow");
    TForORVELMain window;
    ShowMainWindow(window);
    QString gaugeWhileRunning;
    QList<bool> completeWhileRunning;
    QList<bool> failed;
    bool killed = false;
    TestSupport::OnNextModalOf<TforBackup>([&](TforBackup *form) {
        // While the hanging child runs, timers and painting go on: look, then end the child.
        auto *watch = new QTimer(form);
        connect(watch, &QTimer::timeout, form, [&, form, watch] {
            const QList<BcpRun> runs = ReadLog(m_log);
            // The gauge catches up within a moment, while the child still runs.
            if (runs.size() < 2 || killed || form->ggTraitment->value() != 1)
                return;
            watch->stop();
            gaugeWhileRunning = form->ggTraitment->text();
            for (const rInfoCheck &row : form->InfosCheck())
                completeWhileRunning.append(row.Complete);
            TestSupport::SaveScreenshot(form, QStringLiteral("transfer-while-bcp-runs"));
            killed = ::kill(pid_t(runs.at(1).pid), SIGKILL) == 0;
        });
        watch->start(20);
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::No});
        form->btnAction->click();
        for (const rInfoCheck &row : form->InfosCheck())
            failed.append(row.Failed);
    });
    ChooseFromFiles(window, {Qt::Key_E});
    QVERIFY(killed);
    QCOMPARE(gaugeWhileRunning, QStringLiteral("33% - dbo.Slow"));
    QCOMPARE(completeWhileRunning, (QList<bool>{true, false, false}));
    QCOMPARE(failed, (QList<bool>{false, true, false}));
    QCOMPARE(ReadLog(m_log).size(), 3);
    MessageBox::setNextAnswers({MessageBox::Yes});
    window.close();
}

int main(int argc, char *argv[])
{
    TApplication application(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
