// SPDX-License-Identifier: GPL-3.0-or-later
// The PostgreSQL server that the test command starts (scripts/test-services.sh), reached through
// the environment it exports: ORVEL_PG_HOST, ORVEL_PG_PORT, ORVEL_PG_USER (a superuser),
// ORVEL_PG_PASSWORD and ORVEL_PG_BIN (the folder of psql). Each test makes its own databases
// with unique names, so that tests may run side by side.
#pragma once

#include <QString>
#include <QtTest>

namespace PgTestServer
{
// Empty when every variable is set; otherwise which are missing and how to start the server.
QString MissingSettings();

QString Host();
QString Port();
QString User();
QString Password();
// "host,port": the server as a SQL Server "Data Source" names it.
QString DataSource();

// An ODBC string for the psqlODBC driver "PostgreSQL Unicode".
QString OdbcString(const QString &database);
QString OdbcString(const QString &database, const QString &user, const QString &password);

// A database name that no other test process picks: the prefix, the process id and a counter.
QString UniqueDatabaseName(const QString &prefix);

// Runs an SQL script with psql, statement by statement, stopping at the first error. False on
// failure, with psql's output in *output; on success *output holds the rows (unaligned, "|").
bool RunSql(const QString &database, const QString &sql, QString *output = nullptr);
// The output of a query that yields one value, trimmed; an "error: ..." text when it fails.
QString QueryValue(const QString &database, const QString &sql);

bool CreateDatabase(const QString &name, QString *error = nullptr);
// Drops the database even while connections to it are open.
bool DropDatabase(const QString &name, QString *error = nullptr);

// A database made for one test and dropped with the object.
class ScratchDatabase
{
public:
    explicit ScratchDatabase(const QString &prefix = QStringLiteral("orvel"));
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase &) = delete;
    ScratchDatabase &operator=(const ScratchDatabase &) = delete;

    bool ok() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    const QString &name() const { return m_name; }
    QString odbcString() const { return OdbcString(m_name); }

private:
    QString m_name;
    QString m_error;
};

// Writes odbcinst.ini and an empty odbc.ini into `folder` (created when missing): the driver
// names "FreeTDS" and "PostgreSQL Unicode" both served by psqlODBC's Unicode library. A process
// that sets ODBCSYSINI to that folder before its first ODBC call sees exactly these drivers, so
// the program's SQL Server connection strings reach the PostgreSQL server.
bool WritePrivateOdbcConfig(const QString &folder, QString *error = nullptr);
// Writes the folder as above and points ODBCSYSINI (and ODBCINI) of this process at it. unixODBC
// reads these once, at the process's first ODBC call: call this before anything opens a
// connection or lists drivers (in initTestCase, say).
bool UsePrivateOdbcConfig(const QString &folder, QString *error = nullptr);
} // namespace PgTestServer

// Fails the calling test function, with the reason, when the server's settings are missing.
#define ORVEL_REQUIRE_PG_SERVER()                                                                  \
    QVERIFY2(PgTestServer::MissingSettings().isEmpty(), qPrintable(PgTestServer::MissingSettings()))
