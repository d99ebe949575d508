// SPDX-License-Identifier: GPL-3.0-or-later
// The data module against a real PostgreSQL server, reached through psqlODBC, and against a
// closed port through FreeTDS.
#include "PgTestServer.h"

#include "config/ConnectionTemplates.h"
#include "config/cConfiguration.h"
#include "config/cParameters.h"
#include "database/TModule.h"
#include "errors/Exceptions.h"

#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using PgTestServer::ScratchDatabase;

// An ODBC template, so that the configured connection reaches psqlODBC directly.
static const QString PgTemplate =
    "DRIVER={PostgreSQL Unicode};SERVER=%host%;PORT=%port%;DATABASE=%catalog%;UID=%user%;"
    "PWD=%password%";

class TestModule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void checkConnectionKeepsTheGivenString_data();
    void checkConnectionKeepsTheGivenString();
    void listUserTablesGivesTablesThenViewsAndStaysOpen();
    void listUserTablesOfAnEmptyDatabaseIsEmpty();
    void listUserTablesSkipsSystemCatalogs();
    void listUserTablesReopensWithTheStringLastSet();
    void listUserTablesWithoutAStringRaisesTheClientsMessage();
    void truncateTable_data();
    void truncateTable();
    void truncateConnectsWithTheConfigurationNotTheLastCheck();
    void truncateWithAWrongConfiguredPasswordChangesNothing();
    void freeTdsAgainstAClosedPortRaisesTheDriversMessage();

private:
    void resetRows();
    int rowCount(const QString &table) const;

    std::unique_ptr<ScratchDatabase> m_tables;
    std::unique_ptr<ScratchDatabase> m_empty;
    QTemporaryDir m_folder;
    std::unique_ptr<cConfiguration> m_configuration;
    cParameters m_parameters;
    std::unique_ptr<TModule> m_module;
};

void TestModule::initTestCase()
{
    ORVEL_REQUIRE_PG_SERVER();
    m_tables = std::make_unique<ScratchDatabase>("orvel_module");
    QVERIFY2(m_tables->ok(), qPrintable(m_tables->error()));
    m_empty = std::make_unique<ScratchDatabase>("orvel_module_empty");
    QVERIFY2(m_empty->ok(), qPrintable(m_empty->error()));
    QString output;
    // Names chosen so that the driver's own order (by name) mixes the view among the tables.
    QVERIFY2(PgTestServer::RunSql(m_tables->name(),
                                  "create table zeta (id int primary key);"
                                  "create table alpha (id int references zeta (id));"
                                  "create table mid (x int);"
                                  "create view aview as select x from mid;",
                                  &output),
             qPrintable(output));
}

void TestModule::init()
{
    resetRows();
    m_parameters.Clear();
    for (const QString &line : {"host=" + PgTestServer::Host(), "port=" + PgTestServer::Port(),
                                "catalog=" + m_tables->name(), "user=" + PgTestServer::User(),
                                "password=" + PgTestServer::Password()})
        m_parameters.Add(line);
    m_configuration = std::make_unique<cConfiguration>(m_folder.filePath("test.config"));
    m_configuration->FConnection.connection_string = PgTemplate;
    m_configuration->FConnection.parameters = &m_parameters;
    AppConfiguration = m_configuration.get();
    m_module = std::make_unique<TModule>();
    QCOMPARE(Module, m_module.get());
}

void TestModule::cleanup()
{
    m_module.reset();
    QCOMPARE(Module, nullptr);
    AppConfiguration = nullptr;
    m_configuration.reset();
}

void TestModule::resetRows()
{
    QString output;
    QVERIFY2(PgTestServer::RunSql(m_tables->name(),
                                  "truncate alpha, zeta, mid;"
                                  "insert into zeta values (1), (2);"
                                  "insert into alpha values (1);"
                                  "insert into mid values (1), (2), (3);",
                                  &output),
             qPrintable(output));
}

int TestModule::rowCount(const QString &table) const
{
    bool ok = false;
    const QString value =
        PgTestServer::QueryValue(m_tables->name(), "select count(*) from " + table);
    const int count = value.toInt(&ok);
    return ok ? count : -1;
}

void TestModule::checkConnectionKeepsTheGivenString_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("errorPart"); // empty: the connection opens
    QTest::newRow("right password") << PgTestServer::OdbcString(m_tables->name()) << "";
    QTest::newRow("wrong password")
        << PgTestServer::OdbcString(m_tables->name(), PgTestServer::User(), "not-the-password")
        << "password authentication failed";
    QTest::newRow("unknown database")
        << PgTestServer::OdbcString("orvel_no_such_database") << "does not exist";
    QTest::newRow("unknown driver") << "DRIVER={No Such Driver};SERVER=localhost"
                                    << "No Such Driver";
}

void TestModule::checkConnectionKeepsTheGivenString()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, errorPart);
    if (errorPart.isEmpty()) {
        QVERIFY(m_module->CheckConnection(connectionString));
    } else {
        try {
            m_module->CheckConnection(connectionString);
            QFAIL("no exception");
        } catch (const EDatabaseError &error) {
            QVERIFY2(error.message().contains(errorPart), qPrintable(error.message()));
        }
    }
    QCOMPARE(m_module->ConnectionString(), connectionString);
    QVERIFY(!m_module->IsConnected());
}

void TestModule::listUserTablesGivesTablesThenViewsAndStaysOpen()
{
    QVERIFY(m_module->CheckConnection(m_tables->odbcString()));
    QStringList list{"left over"};
    m_module->ListUserTables(list);
    QCOMPARE(list, QStringList({"alpha", "mid", "zeta", "aview"}));
    QVERIFY(m_module->IsConnected());
    // Listing again reopens the connection that was left open.
    m_module->ListUserTables(list);
    QCOMPARE(list, QStringList({"alpha", "mid", "zeta", "aview"}));
}

void TestModule::listUserTablesOfAnEmptyDatabaseIsEmpty()
{
    QVERIFY(m_module->CheckConnection(m_empty->odbcString()));
    QStringList list{"left over"};
    m_module->ListUserTables(list);
    QCOMPARE(list, QStringList());
}

void TestModule::listUserTablesSkipsSystemCatalogs()
{
    // With this option psqlODBC reports pg_catalog's tables as plain tables.
    QVERIFY(m_module->CheckConnection(m_tables->odbcString() + ";ShowSystemTables=1"));
    QStringList list;
    m_module->ListUserTables(list);
    QCOMPARE(list, QStringList({"alpha", "mid", "zeta", "aview"}));
}

void TestModule::listUserTablesReopensWithTheStringLastSet()
{
    QVERIFY(m_module->CheckConnection(m_empty->odbcString()));
    QVERIFY(m_module->CheckConnection(m_tables->odbcString()));
    QStringList list;
    m_module->ListUserTables(list);
    QCOMPARE(list.size(), 4);

    const QString wrong =
        PgTestServer::OdbcString(m_tables->name(), PgTestServer::User(), "not-the-password");
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, m_module->CheckConnection(wrong));
    try {
        m_module->ListUserTables(list);
        QFAIL("no exception");
    } catch (const EDatabaseError &error) {
        QVERIFY2(error.message().contains("password authentication failed"),
                 qPrintable(error.message()));
    }
    QCOMPARE(list.size(), 4); // untouched when listing fails
}

void TestModule::listUserTablesWithoutAStringRaisesTheClientsMessage()
{
    QStringList list{"left over"};
    try {
        m_module->ListUserTables(list);
        QFAIL("no exception");
    } catch (const EDatabaseError &error) {
        QVERIFY2(!error.message().isEmpty(), "no message");
    }
    QCOMPARE(list, QStringList{"left over"});
}

void TestModule::truncateTable_data()
{
    QTest::addColumn<QString>("tableName");
    QTest::addColumn<QString>("errorPart"); // empty: the table is emptied
    QTest::addColumn<QString>("countedTable");
    QTest::addColumn<int>("rowsAfter");
    QTest::newRow("plain table") << "mid"
                                 << ""
                                 << "mid" << 0;
    QTest::newRow("schema and name as given") << "public.mid"
                                              << ""
                                              << "mid" << 0;
    QTest::newRow("referenced by a foreign key") << "zeta"
                                                 << "foreign key"
                                                 << "zeta" << 2;
    QTest::newRow("empty name") << ""
                                << "syntax error"
                                << "mid" << 3;
    QTest::newRow("name with a blank, sent unquoted") << "my table"
                                                      << "syntax error"
                                                      << "mid" << 3;
    QTest::newRow("missing table") << "no_such_table"
                                   << "does not exist"
                                   << "mid" << 3;
}

void TestModule::truncateTable()
{
    QFETCH(QString, tableName);
    QFETCH(QString, errorPart);
    QFETCH(QString, countedTable);
    QFETCH(int, rowsAfter);
    if (errorPart.isEmpty()) {
        QVERIFY(m_module->TruncateTable(tableName));
        QVERIFY(!m_module->IsConnected());
    } else {
        try {
            m_module->TruncateTable(tableName);
            QFAIL("no exception");
        } catch (const EDatabaseError &error) {
            QVERIFY2(error.message().contains(errorPart), qPrintable(error.message()));
        }
        // The failed command left the connection open; the next operation closes it first.
        QVERIFY(m_module->IsConnected());
        QVERIFY(m_module->CheckConnection(m_empty->odbcString()));
        QVERIFY(!m_module->IsConnected());
        QVERIFY(m_module->TruncateTable("alpha"));
        QCOMPARE(rowCount("alpha"), 0);
    }
    QCOMPARE(rowCount(countedTable), rowsAfter);
}

void TestModule::truncateConnectsWithTheConfigurationNotTheLastCheck()
{
    // A Check with other values (then cancelled) leaves its string on the connection.
    QVERIFY(m_module->CheckConnection(m_empty->odbcString()));
    QVERIFY(m_module->TruncateTable("mid"));
    QCOMPARE(rowCount("mid"), 0);
    QCOMPARE(m_module->ConnectionString(),
             getConnectionString(PgTemplate, *AppConfiguration->FConnection.parameters));
}

void TestModule::truncateWithAWrongConfiguredPasswordChangesNothing()
{
    m_parameters.Clear();
    for (const QString &line :
         {"host=" + PgTestServer::Host(), "port=" + PgTestServer::Port(),
          "catalog=" + m_tables->name(), "user=" + PgTestServer::User(), QString("password=wrong")})
        m_parameters.Add(line);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, m_module->TruncateTable("mid"));
    QCOMPARE(rowCount("mid"), 3);
    QVERIFY(!m_module->IsConnected());
}

void TestModule::freeTdsAgainstAClosedPortRaisesTheDriversMessage()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 closedPort = probe.serverPort();
    probe.close();

    cParameters params;
    params.Add("server=127.0.0.1," + QString::number(closedPort));
    params.Add("catalog=Stock");
    params.Add("user=sa");
    params.Add("password=pw");
    const QString connectionString = getConnectionString(SqlLoginTemplate, params);
    QElapsedTimer timer;
    timer.start();
    try {
        m_module->CheckConnection(connectionString);
        QFAIL("no exception");
    } catch (const EDatabaseError &error) {
        QVERIFY2(error.message().contains("[FreeTDS]"), qPrintable(error.message()));
        qInfo("FreeTDS said: %s", qPrintable(error.message()));
    }
    QVERIFY2(timer.elapsed() < 30000, "the program sets no time-out, but this should be quick");
    QCOMPARE(m_module->ConnectionString(), connectionString);
}

QTEST_GUILESS_MAIN(TestModule)
#include "tst_module.moc"
