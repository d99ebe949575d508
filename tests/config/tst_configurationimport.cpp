// SPDX-License-Identifier: GPL-3.0-or-later
// Check and the import of all user tables against the PostgreSQL test server. The dialog always
// builds SQL Server connection strings; a private unixODBC configuration has the SQL Server
// driver's name served by psqlODBC, which reads the same connection keywords.
#include "ConfigurationDialogFixture.h"

#include "PgTestServer.h"

#include "app/FileDialog.h"
#include "app/MessageBox.h"
#include "app/Tools.h"
#include "database/TModule.h"

#include <QTemporaryDir>
#include <QToolButton>

#include <memory>

using namespace ConfigurationDialogFixture;
using PgTestServer::ScratchDatabase;

class TestConfigurationImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void checkThenImportListsTablesThenViews();
    void importUsesTheDatabaseOfTheLastCheck();
    void importAnsweredNoChangesNothing();
    void importFromAnEmptyDatabaseLeavesTheHeaderAlone();
    void aWrongPasswordKeepsImportDisabled();

private:
    // Types the server's values into the connection fields, with the given database.
    static void FillConnection(TForConfiguration *dialog, const QString &database,
                               const QString &password = PgTestServer::Password());

    QTemporaryDir m_folder;
    std::unique_ptr<ScratchDatabase> m_tables;
    std::unique_ptr<ScratchDatabase> m_empty;
    std::unique_ptr<TModule> m_module;
    std::unique_ptr<cConfiguration> m_configuration;
};

void TestConfigurationImport::initTestCase()
{
    ORVEL_REQUIRE_PG_SERVER();
    QVERIFY(m_folder.isValid());
    QString error;
    const QString odbcFolder = m_folder.filePath(QStringLiteral("odbc"));
    QVERIFY2(PgTestServer::WritePrivateOdbcConfig(odbcFolder, &error), qPrintable(error));
    // Before the first ODBC call of the process, so that the driver manager reads only these.
    qputenv("ODBCSYSINI", odbcFolder.toLocal8Bit());
    InitApplicationFolders(QStringLiteral("/opt/orvel/orvel-backup"), m_folder.path());

    m_tables = std::make_unique<ScratchDatabase>(QStringLiteral("orvel_dialog"));
    QVERIFY2(m_tables->ok(), qPrintable(m_tables->error()));
    m_empty = std::make_unique<ScratchDatabase>(QStringLiteral("orvel_dialog_empty"));
    QVERIFY2(m_empty->ok(), qPrintable(m_empty->error()));
    QString output;
    QVERIFY2(PgTestServer::RunSql(m_tables->name(),
                                  "create table zeta (id int primary key);"
                                  "create table alpha (id int);"
                                  "create table mid (x int);"
                                  "create view aview as select x from mid;",
                                  &output),
             qPrintable(output));
    m_module = std::make_unique<TModule>();
}

void TestConfigurationImport::init()
{
    AppConfiguration = nullptr;
    m_configuration =
        std::make_unique<cConfiguration>(m_folder.filePath(QStringLiteral("test.config")));
    m_configuration->Read();
    m_configuration->FTables = {{"old_table", "select * from old_table", "old.dat"}};
    AppConfiguration = m_configuration.get();
}

void TestConfigurationImport::cleanup()
{
    MessageBox::resetSeam();
    FileDialog::resetSeam();
    AppConfiguration = nullptr;
    m_configuration.reset();
    QCOMPARE(TestSupport::VisibleTopLevelCount(), 0);
}

void TestConfigurationImport::FillConnection(TForConfiguration *dialog, const QString &database,
                                             const QString &password)
{
    dialog->edServer->setText(PgTestServer::DataSource());
    dialog->edCatalog->setText(database);
    dialog->edUser->setText(PgTestServer::User());
    dialog->edPassword->setText(password);
}

void TestConfigurationImport::checkThenImportListsTablesThenViews()
{
    MessageBox::setNextAnswers({MessageBox::Ok, MessageBox::Yes});
    bool driven = false;
    bool enabled = false;
    QString hint = QStringLiteral("unchanged");
    tTableNames imported;
    RunDialog(
        [&](TForConfiguration *dialog) {
            FillConnection(dialog, m_tables->name());
            QTest::mouseClick(dialog->btnCheck, Qt::LeftButton);
            enabled = dialog->spbImport->isEnabled();
            hint = dialog->spbImport->toolTip();
            dialog->pgControl->setCurrentWidget(dialog->tbTables);
            QTest::mouseClick(dialog->spbImport, Qt::LeftButton);
            imported = dialog->GridEntries();
        },
        &driven);
    QVERIFY(driven);
    QCOMPARE(MessageBox::shown().size(), 2);
    QCOMPARE(MessageBox::shown().at(0).kind, MessageBox::Information);
    QCOMPARE(MessageBox::shown().at(0).text, QStringLiteral("Connection successfull"));
    QCOMPARE(MessageBox::shown().at(1).kind, MessageBox::Confirmation);
    QCOMPARE(MessageBox::shown().at(1).text,
             QStringLiteral("Do you Want to import all user tables ?"));
    QVERIFY(enabled);
    QCOMPARE(hint, QString());

    // Three tables, then the view; every earlier row and script is gone.
    QCOMPARE(imported.size(), 4);
    QStringList tables;
    for (int i = 0; i < 3; ++i)
        tables << imported.at(i).tablename;
    tables.sort();
    QCOMPARE(tables, (QStringList{"alpha", "mid", "zeta"}));
    QCOMPARE(imported.at(3).tablename, QStringLiteral("aview"));
    for (const rTableInformation &entry : imported) {
        QCOMPARE(entry.script, QString());
        QCOMPARE(entry.filename, entry.tablename + QStringLiteral(".dat"));
    }
}

void TestConfigurationImport::importUsesTheDatabaseOfTheLastCheck()
{
    MessageBox::setNextAnswers({MessageBox::Ok, MessageBox::Yes});
    bool driven = false;
    QStringList names;
    RunDialog(
        [&](TForConfiguration *dialog) {
            FillConnection(dialog, m_tables->name());
            QTest::mouseClick(dialog->btnCheck, Qt::LeftButton);
            // Changed fields do not count until the next Check.
            dialog->edCatalog->setText(m_empty->name());
            dialog->edPassword->setText(QStringLiteral("not-the-password"));
            QTest::mouseClick(dialog->spbImport, Qt::LeftButton);
            names = ColumnTexts(dialog->sgTables, 0);
        },
        &driven);
    QVERIFY(driven);
    QCOMPARE(names.size(), 4);
    QCOMPARE(names.last(), QStringLiteral("aview"));
}

void TestConfigurationImport::importAnsweredNoChangesNothing()
{
    MessageBox::setNextAnswers({MessageBox::Ok, MessageBox::No});
    bool driven = false;
    tTableNames after;
    RunDialog(
        [&](TForConfiguration *dialog) {
            FillConnection(dialog, m_tables->name());
            QTest::mouseClick(dialog->btnCheck, Qt::LeftButton);
            QTest::mouseClick(dialog->spbImport, Qt::LeftButton);
            after = dialog->GridEntries();
        },
        &driven);
    QVERIFY(driven);
    QCOMPARE(MessageBox::shown().size(), 2);
    QCOMPARE(after, (tTableNames{{"old_table", "select * from old_table", "old.dat"}}));
}

void TestConfigurationImport::importFromAnEmptyDatabaseLeavesTheHeaderAlone()
{
    MessageBox::setNextAnswers({MessageBox::Ok, MessageBox::Yes});
    bool driven = false;
    int rows = -1;
    int current = -1;
    RunDialog(
        [&](TForConfiguration *dialog) {
            FillConnection(dialog, m_empty->name());
            QTest::mouseClick(dialog->btnCheck, Qt::LeftButton);
            QTest::mouseClick(dialog->spbImport, Qt::LeftButton);
            rows = dialog->sgTables->rowCount();
            current = dialog->CurrentDataRow();
        },
        &driven);
    QVERIFY(driven);
    QCOMPARE(MessageBox::shown().size(), 2);
    QCOMPARE(MessageBox::shown().at(0).text, QStringLiteral("Connection successfull"));
    QCOMPARE(rows, 0);
    QCOMPARE(current, 0);
}

void TestConfigurationImport::aWrongPasswordKeepsImportDisabled()
{
    MessageBox::setNextAnswers({MessageBox::Ok, MessageBox::Ok});
    bool driven = false;
    bool enabledAfterFailure = true;
    bool enabledAfterSuccess = false;
    RunDialog(
        [&](TForConfiguration *dialog) {
            FillConnection(dialog, m_tables->name(), QStringLiteral("not-the-password"));
            QTest::mouseClick(dialog->btnCheck, Qt::LeftButton);
            enabledAfterFailure = dialog->spbImport->isEnabled();
            dialog->edPassword->setText(PgTestServer::Password());
            QTest::mouseClick(dialog->btnCheck, Qt::LeftButton);
            enabledAfterSuccess = dialog->spbImport->isEnabled();
        },
        &driven);
    QVERIFY(driven);
    QCOMPARE(MessageBox::shown().size(), 2);
    const MessageBox::Shown failure = MessageBox::shown().at(0);
    QCOMPARE(failure.kind, MessageBox::Error);
    QVERIFY2(failure.text.startsWith(QStringLiteral("Connection error : ")) &&
                 failure.text.contains(QStringLiteral("password authentication failed")),
             qPrintable(failure.text));
    QVERIFY(!enabledAfterFailure);
    QCOMPARE(MessageBox::shown().at(1).text, QStringLiteral("Connection successfull"));
    QVERIFY(enabledAfterSuccess);
}

QTEST_MAIN(TestConfigurationImport)
#include "tst_configurationimport.moc"
