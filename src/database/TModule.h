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
    explicit TModule(QObject *parent = nullptr); // runs DataModuleCreate
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
};

// The one data module of the running program.
extern TModule *Module;
