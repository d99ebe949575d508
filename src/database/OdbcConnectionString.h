// SPDX-License-Identifier: GPL-3.0-or-later
// The program's connection strings are written for the OLE DB provider "SQLOLEDB.1"; the client
// here is ODBC. This turns such a string into one for a SQL Server ODBC driver registered with
// the driver manager, and lets ODBC strings through as they stand.
#pragma once

#include <QString>
#include <QStringList>

// Names of the drivers registered with unixODBC (its odbcinst.ini, or the one that ODBCSYSINI
// points to), in the order the driver manager gives them.
QStringList InstalledOdbcDrivers();

// The SQL Server driver to use among the registered ones: Microsoft's newest
// "ODBC Driver N for SQL Server" (N >= 17), else "FreeTDS"; empty when neither is registered.
QString PickSqlServerDriver(const QStringList &installedDrivers);

// The ODBC connection string for `connectionString`:
// - a string naming DRIVER=, DSN= or FILEDSN= is already an ODBC string and is returned as is;
// - a string whose Provider is a SQL Server provider (SQLOLEDB, SQLNCLI, MSOLEDBSQL) is
//   translated for the driver that PickSqlServerDriver chooses among `installedDrivers`;
// - a string without a Provider is returned as is (the ODBC provider is what OLE DB takes then).
// Throws EDatabaseError for another provider, or when no SQL Server driver is registered.
QString OdbcConnectionString(const QString &connectionString, const QStringList &installedDrivers);
// The same, with the drivers that unixODBC has registered.
QString OdbcConnectionString(const QString &connectionString);

// A value as an ODBC connection string carries it: in braces (with "}" doubled) when it holds
// ";" or "}", begins with "{", or begins or ends with a blank.
QString OdbcValue(const QString &value);
