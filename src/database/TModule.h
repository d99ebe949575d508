// SPDX-License-Identifier: GPL-3.0-or-later
// The data module: the program's one database connection and the application-wide handler of
// exceptions that no code catches.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <exception>

class TModule : public QObject
{
    Q_OBJECT
public:
    // The name of the one connection, as QSqlDatabase knows it.
    static const QString ConnectionName; // "cnx_test"

    explicit TModule(QObject *parent = nullptr); // runs DataModuleCreate
    // The same over another QtSql driver than "QODBC" (a driver registered by a test, say).
    TModule(const QString &sqlDriver, QObject *parent);
    ~TModule() override;

    // Empties the table over a connection built from AppConfiguration. False when the connection
    // was not open after opening; throws EDatabaseError with the client's message on failure.
    bool TruncateTable(const QString &TableName);
    // Opens the given connection string and closes it again; throws EDatabaseError on failure.
    bool CheckConnection(const QString &connectionString);
    // Reopens the connection with the string it holds; fills the list with tables, then views.
    void ListUserTables(QStringList &list);

    void DataModuleCreate();
    void appException(QObject *sender, const std::exception &error);

    // The connection string last set on cnx_test, as given (before its translation for ODBC).
    const QString &ConnectionString() const;
    bool IsConnected() const;

private:
    void Close();
    // Opens cnx_test with the string it holds; throws EDatabaseError with the client's message.
    void Open();
    // Sends one SQL text as a plain command; throws EDatabaseError with the server's message.
    void Execute(const QString &commandText);

    QString m_connectionString;
};

// The one data module of the running program. The first module created sets it, and clears it
// when destroyed.
extern TModule *Module;
