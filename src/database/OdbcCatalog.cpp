// SPDX-License-Identifier: GPL-3.0-or-later
#include "database/OdbcCatalog.h"

#include "errors/Exceptions.h"

#include <QStringList>

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <memory>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters are UTF-16 here");

namespace
{
QString FromWide(const SQLWCHAR *text, SQLLEN bytes)
{
    const qsizetype length = bytes / qsizetype(sizeof(SQLWCHAR));
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text), length);
}

QString Diagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    QStringList messages;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
        SQLWCHAR message[SQL_MAX_MESSAGE_LENGTH] = {};
        SQLINTEGER nativeError = 0;
        SQLSMALLINT length = 0;
        const SQLRETURN status =
            SQLGetDiagRecW(handleType, handle, record, state, &nativeError, message,
                           SQLSMALLINT(SQL_MAX_MESSAGE_LENGTH), &length);
        if (!SQL_SUCCEEDED(status))
            break;
        const SQLSMALLINT shown = qMin<SQLSMALLINT>(length, SQL_MAX_MESSAGE_LENGTH - 1);
        messages << FromWide(message, SQLLEN(shown) * SQLLEN(sizeof(SQLWCHAR)));
    }
    if (messages.isEmpty())
        return QStringLiteral("The database client could not read the table catalog.");
    return messages.join(QLatin1Char(' '));
}

// One column of the current row; empty for NULL. Long values are read piece by piece.
QString Column(SQLHSTMT statement, SQLUSMALLINT column)
{
    QString value;
    for (;;) {
        SQLWCHAR buffer[256];
        SQLLEN indicator = 0;
        const SQLRETURN status =
            SQLGetData(statement, column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
        if (status == SQL_NO_DATA || indicator == SQL_NULL_DATA)
            break;
        if (!SQL_SUCCEEDED(status))
            throw EDatabaseError(Diagnostics(SQL_HANDLE_STMT, statement));
        const SQLLEN room = SQLLEN(sizeof buffer) - SQLLEN(sizeof(SQLWCHAR));
        if (status == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator > room)) {
            value += FromWide(buffer, room);
            continue;
        }
        value += FromWide(buffer, indicator);
        break;
    }
    return value;
}

struct StatementDeleter {
    void operator()(void *statement) const { SQLFreeHandle(SQL_HANDLE_STMT, statement); }
};
} // namespace

QList<OdbcTableEntry> ListOdbcTables(void *connectionHandle)
{
    SQLHSTMT raw = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connectionHandle, &raw)))
        throw EDatabaseError(Diagnostics(SQL_HANDLE_DBC, connectionHandle));
    const std::unique_ptr<void, StatementDeleter> statement(raw);

    if (!SQL_SUCCEEDED(SQLTablesW(raw, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0)))
        throw EDatabaseError(Diagnostics(SQL_HANDLE_STMT, raw));

    QList<OdbcTableEntry> entries;
    for (;;) {
        const SQLRETURN status = SQLFetch(raw);
        if (status == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(status))
            throw EDatabaseError(Diagnostics(SQL_HANDLE_STMT, raw));
        OdbcTableEntry entry;
        entry.schema = Column(raw, 2);
        entry.name = Column(raw, 3);
        entry.type = Column(raw, 4);
        entries.append(entry);
    }
    return entries;
}
