// SPDX-License-Identifier: GPL-3.0-or-later
// The table catalog of an open ODBC connection, read straight from the driver so that the
// schema of each entry is known and the driver's errors are not lost.
#pragma once

#include <QList>
#include <QString>

struct OdbcTableEntry {
    QString schema;
    QString name;
    QString type; // as the driver reports it: "TABLE", "VIEW", "SYSTEM TABLE" ...
};

// Every table-like object of the connection's current database, in the driver's order.
// `connectionHandle` is the ODBC connection handle (SQLHDBC) of an open connection.
// Throws EDatabaseError with the driver's diagnostics when the catalog cannot be read.
QList<OdbcTableEntry> ListOdbcTables(void *connectionHandle);
