// SPDX-License-Identifier: GPL-3.0-or-later
// Import with the tables emptied first, through the main window, the data module and a real
// database server: a table that can be emptied, and one whose emptying the server rejects.
#include "PgTestServer.h"
#include "TestSupport.h"
#include "app/MessageBox.h"
#include "app/TApplication.h"
#include "app/TForORVELMain.h"
#include "app/Tools.h"
#include "config/cConfiguration.h"
#include "config/cParameters.h"
#include "database/TModule.h"
#include "errors/TForAppException.h"
#include "transfer/TforBackup.h"

#include <QDir>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using PgTestServer::ScratchDatabase;

namespace
{
// An ODBC template, so that the configured connection reaches the test server's driver directly.
const QString PgTemplate = QStringLiteral(
    "DRIVER={PostgreSQL Unicode};SERVER=%host%;PORT=%port%;DATABASE=%catalog%;UID=%user%;"
    "PWD=%password%");

} // namespace

class TestImportTruncation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void truncationEmptiesEachTableBeforeItsImport();
    void rejectedTruncationEndsTheRunInTheExceptionWindow();
    void noToTruncationLeavesTheTablesAlone();

private:
    int RowCount(const QString &table);
    // Opens Files > Import from the main window's menu.
    void Import(TForORVELMain &window);

    QTemporaryDir m_folder;
    std::unique_ptr<ScratchDatabase> m_database;
    cParameters m_parameters;
    std::unique_ptr<cConfiguration> m_configuration;
    std::unique_ptr<TModule> m_module;
    QString m_log;
};

void TestImportTruncation::initTestCase()
{
    ORVEL_REQUIRE_PG_SERVER();
    QString error;
    QVERIFY2(PgTestServer::UsePrivateOdbcConfig(m_folder.filePath("odbc"), &error),
             qPrintable(error));
    m_database = std::make_unique<ScratchDatabase>(QStringLiteral("orvel_import"));
    QVERIFY2(m_database->ok(), qPrintable(m_database->error()));
    BackupPath = m_folder.path() + QStringLiteral("/backup/");
    QVERIFY(QDir().mkpath(BackupPath));
    m_log = m_folder.filePath("bcp.log");
    qputenv("FAKE_BCP_LOG", m_log.toLocal8Bit());
}

void TestImportTruncation::init()
{
    QString output;
    QVERIFY2(PgTestServer::RunSql(m_database->name(),
                                  "drop table if exists child; drop table if exists parent;"
                                  "drop table if exists plain; drop table if exists other;"
                                  "create table parent (id int primary key);"
                                  "create table child (id int references parent (id));"
                                  "create table plain (x int); create table other (x int);"
                                  "insert into parent values (1), (2);"
                                  "insert into child values (1);"
                                  "insert into plain values (1), (2), (3);"
                                  "insert into other values (7);",
                                  &output),
             qPrintable(output));
    QFile::remove(m_log);
    for (const char *name : {"plain.bak", "parent.bak", "other.bak"})
        TestSupport::WriteFile(BackupPath + QLatin1String(name), "a row\n");

    m_parameters.Clear();
    for (const QString &line :
         {"host=" + PgTestServer::Host(), "port=" + PgTestServer::Port(),
          "catalog=" + m_database->name(), "user=" + PgTestServer::User(),
          "password=" + PgTestServer::Password(), QStringLiteral("server=SRV")})
        m_parameters.Add(line);
    m_configuration = std::make_unique<cConfiguration>(m_folder.filePath("test.config"));
    m_configuration->FConnection.connection_string = PgTemplate;
    m_configuration->FConnection.parameters = &m_parameters;
    m_configuration->Fbackup_path = BackupPath;
    m_configuration->FTables = {{"plain", "", "plain.bak"},
                                {"parent", "", "parent.bak"},
                                {"other", "select x from other", "other.bak"}};
    AppConfiguration = m_configuration.get();
    m_module = std::make_unique<TModule>();
    QCOMPARE(Module, m_module.get());
}

void TestImportTruncation::cleanup()
{
    MessageBox::resetSeam();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_module.reset();
    AppConfiguration = nullptr;
    m_configuration.reset();
    QCOMPARE(TestSupport::VisibleTopLevelCount(), 0);
}

int TestImportTruncation::RowCount(const QString &table)
{
    bool ok = false;
    const int count =
        PgTestServer::QueryValue(m_database->name(), "select count(*) from " + table).toInt(&ok);
    return ok ? count : -1;
}

void TestImportTruncation::Import(TForORVELMain &window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_I);
}

void TestImportTruncation::truncationEmptiesEachTableBeforeItsImport()
{
    // Only the tables that can be emptied take part.
    m_configuration->FTables.removeAt(1);
    TForORVELMain window;
    QStringList report;
    QList<bool> complete;
    TestSupport::OnNextModalOf<TforBackup>([&](TforBackup *form) {
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::Yes, MessageBox::No});
        form->btnAction->click();
        report = form->Rapport();
        for (const rInfoCheck &row : form->InfosCheck())
            complete.append(row.Complete);
    });
    Import(window);
    QCOMPARE(RowCount("plain"), 0);
    QCOMPARE(RowCount("other"), 0);
    QCOMPARE(RowCount("parent"), 2);
    QCOMPARE(complete, (QList<bool>{true, true}));
    QCOMPARE(report.size(), 2);
    for (const QString &entry : report)
        QVERIFY2(entry.contains(QStringLiteral("1 rows copied.")), qPrintable(entry));
    // Imported by table name; the query is not used.
    const QByteArray log = TestSupport::ReadFile(m_log);
    QCOMPARE(log.count('\n'), 2);
    QVERIFY(log.contains("\"args\":[\"other\",\"in\""));
    MessageBox::setNextAnswers({MessageBox::Yes});
    window.close();
}

void TestImportTruncation::rejectedTruncationEndsTheRunInTheExceptionWindow()
{
    TForORVELMain window;
    QString details;
    bool dialogOpenDuringException = false;
    QStringList report;
    QList<bool> complete;
    TestSupport::OnNextModalOf<TforBackup>([&](TforBackup *form) {
        TestSupport::OnNextModalOf<TForAppException>([&](TForAppException *shown) {
            details = shown->mmDetails->toPlainText();
            dialogOpenDuringException = form->isVisible();
            shown->reject();
        });
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::Yes, MessageBox::Yes});
        form->btnAction->click();
        report = form->Rapport();
        for (const rInfoCheck &row : form->InfosCheck())
            complete.append(row.Complete);
    });
    Import(window);
    QVERIFY2(details.contains(QStringLiteral("EDatabaseError")), qPrintable(details));
    QVERIFY2(details.contains(QStringLiteral("truncate"), Qt::CaseInsensitive),
             qPrintable(details));
    QVERIFY(dialogOpenDuringException);
    // The first table was emptied and imported; the run ended at the second.
    QCOMPARE(RowCount("plain"), 0);
    QCOMPARE(RowCount("parent"), 2);
    QCOMPARE(RowCount("other"), 1);
    QCOMPARE(complete, (QList<bool>{true, false, false}));
    QCOMPARE(report.size(), 1);
    QCOMPARE(TestSupport::ReadFile(m_log).count('\n'), 1);
    // The final question never came.
    QCOMPARE(MessageBox::shown().size(), 2);
    QVERIFY(window.isVisible());
    MessageBox::setNextAnswers({MessageBox::Yes});
    window.close();
}

void TestImportTruncation::noToTruncationLeavesTheTablesAlone()
{
    TForORVELMain window;
    TestSupport::OnNextModalOf<TforBackup>([&](TforBackup *form) {
        MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::No, MessageBox::No});
        form->btnAction->click();
    });
    Import(window);
    QCOMPARE(RowCount("plain"), 3);
    QCOMPARE(RowCount("parent"), 2);
    QCOMPARE(RowCount("other"), 1);
    QCOMPARE(TestSupport::ReadFile(m_log).count('\n'), 3);
    MessageBox::setNextAnswers({MessageBox::Yes});
    window.close();
}

int main(int argc, char *argv[])
{
    TApplication application(argc, argv);
    TestImportTruncation test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_importtruncation.moc"
