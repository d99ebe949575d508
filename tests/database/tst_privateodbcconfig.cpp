// SPDX-License-Identifier: GPL-3.0-or-later
// A private driver registry in which the SQL Server driver name is served by psqlODBC lets the
// program's own SQL Server connection strings reach the PostgreSQL test server.
#include "PgTestServer.h"

#include "config/ConnectionTemplates.h"
#include "config/cConfiguration.h"
#include "config/cParameters.h"
#include "database/OdbcConnectionString.h"
#include "database/TModule.h"
#include "errors/Exceptions.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestPrivateOdbcConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void registryHoldsOnlyThePrivateDrivers();
    void loginTemplateReachesTheServer_data();
    void loginTemplateReachesTheServer();
    void truncateWithTheConfiguredLoginTemplate();

private:
    cParameters LoginParameters(const QString &password) const;

    QTemporaryDir m_folder;
    std::unique_ptr<PgTestServer::ScratchDatabase> m_database;
};

void TestPrivateOdbcConfig::initTestCase()
{
    ORVEL_REQUIRE_PG_SERVER();
    QVERIFY(m_folder.isValid());
    QString error;
    // Before any ODBC call of this process.
    QVERIFY2(PgTestServer::UsePrivateOdbcConfig(m_folder.filePath("odbc"), &error),
             qPrintable(error));
    m_database = std::make_unique<PgTestServer::ScratchDatabase>("orvel_private_odbc");
    QVERIFY2(m_database->ok(), qPrintable(m_database->error()));
    QString output;
    QVERIFY2(PgTestServer::RunSql(m_database->name(),
                                  "create table orders (id int); create view recent as select id "
                                  "from orders; insert into orders values (1), (2);",
                                  &output),
             qPrintable(output));
}

void TestPrivateOdbcConfig::cleanupTestCase()
{
    m_database.reset();
}

cParameters TestPrivateOdbcConfig::LoginParameters(const QString &password) const
{
    cParameters params;
    params.Add("server=" + PgTestServer::DataSource());
    params.Add("catalog=" + m_database->name());
    params.Add("user=" + PgTestServer::User());
    params.Add("password=" + password);
    return params;
}

void TestPrivateOdbcConfig::registryHoldsOnlyThePrivateDrivers()
{
    QStringList drivers = InstalledOdbcDrivers();
    drivers.sort();
    QCOMPARE(drivers, QStringList({"FreeTDS", "PostgreSQL Unicode"}));
    QCOMPARE(PickSqlServerDriver(drivers), QString("FreeTDS"));
}

void TestPrivateOdbcConfig::loginTemplateReachesTheServer_data()
{
    QTest::addColumn<bool>("rightPassword");
    QTest::newRow("right password") << true;
    QTest::newRow("wrong password") << false;
}

void TestPrivateOdbcConfig::loginTemplateReachesTheServer()
{
    QFETCH(bool, rightPassword);
    TModule module;
    const QString connectionString = getConnectionString(
        SqlLoginTemplate, LoginParameters(rightPassword ? PgTestServer::Password() : "wrong"));
    QVERIFY(connectionString.startsWith("Provider=SQLOLEDB.1;"));
    if (rightPassword) {
        QVERIFY(module.CheckConnection(connectionString));
        QStringList list;
        module.ListUserTables(list);
        QCOMPARE(list, QStringList({"orders", "recent"}));
    } else {
        try {
            module.CheckConnection(connectionString);
            QFAIL("no exception");
        } catch (const EDatabaseError &error) {
            QVERIFY2(error.message().contains("password authentication failed"),
                     qPrintable(error.message()));
        }
    }
}

void TestPrivateOdbcConfig::truncateWithTheConfiguredLoginTemplate()
{
    cParameters params = LoginParameters(PgTestServer::Password());
    cConfiguration configuration(m_folder.filePath("test.config"));
    configuration.FConnection.connection_string = SqlLoginTemplate;
    configuration.FConnection.parameters = &params;
    AppConfiguration = &configuration;
    const auto restore = qScopeGuard([] { AppConfiguration = nullptr; });
    TModule module;
    QVERIFY(module.TruncateTable("orders"));
    QCOMPARE(PgTestServer::QueryValue(m_database->name(), "select count(*) from orders"),
             QString("0"));
}

QTEST_GUILESS_MAIN(TestPrivateOdbcConfig)
#include "tst_privateodbcconfig.moc"
