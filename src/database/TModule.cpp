// SPDX-License-Identifier: GPL-3.0-or-later
#include "database/TModule.h"

#include "app/TApplication.h"
#include "app/Tools.h"
#include "config/ConnectionTemplates.h"
#include "config/cConfiguration.h"
#include "database/OdbcCatalog.h"
#include "database/OdbcConnectionString.h"
#include "errors/Exceptions.h"
#include "errors/TForAppException.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

TModule *Module = nullptr;

namespace
{
// The module whose appException is the installed handler, so that only it uninstalls it.
TModule *handlerOwner = nullptr;

QString ClientMessage(const QSqlError &error)
{
    QString text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("The database client reported an error without a message.");
    return text;
}

// Some drivers report the server's own catalogs as plain tables and views (psqlODBC does when
// its ShowSystemTables option is on); they are never the user's.
bool IsSystemSchema(const QString &schema)
{
    static const QStringList systemSchemas{
        QStringLiteral("pg_catalog"), QStringLiteral("information_schema"), QStringLiteral("sys")};
    return systemSchemas.contains(schema, Qt::CaseInsensitive);
}
} // namespace

const QString TModule::ConnectionName = QStringLiteral("cnx_test");

TModule::TModule(QObject *parent) : TModule(QStringLiteral("QODBC"), parent) {}

TModule::TModule(const QString &sqlDriver, QObject *parent) : QObject(parent)
{
    QSqlDatabase::addDatabase(sqlDriver, ConnectionName);
    if (!Module)
        Module = this;
    DataModuleCreate();
}

TModule::~TModule()
{
    {
        QSqlDatabase connection = QSqlDatabase::database(ConnectionName, false);
        connection.close();
    }
    QSqlDatabase::removeDatabase(ConnectionName);
    if (handlerOwner == this) {
        TApplication::setExceptionHandler({});
        handlerOwner = nullptr;
    }
    if (Module == this)
        Module = nullptr;
}

const QString &TModule::ConnectionString() const
{
    return m_connectionString;
}

bool TModule::IsConnected() const
{
    return QSqlDatabase::database(ConnectionName, false).isOpen();
}

void TModule::Close()
{
    QSqlDatabase connection = QSqlDatabase::database(ConnectionName, false);
    connection.close();
}

void TModule::Open()
{
    QSqlDatabase connection = QSqlDatabase::database(ConnectionName, false);
    if (!connection.isValid())
        throw EDatabaseError(ClientMessage(connection.lastError()));
    // The string is translated at every opening, so that a driver registered meanwhile is used.
    connection.setDatabaseName(OdbcConnectionString(m_connectionString));
    if (!connection.open() && connection.lastError().type() != QSqlError::NoError)
        throw EDatabaseError(ClientMessage(connection.lastError()));
}

void TModule::Execute(const QString &commandText)
{
    QSqlDatabase connection = QSqlDatabase::database(ConnectionName, false);
    QSqlQuery query(connection);
    if (!query.exec(commandText))
        throw EDatabaseError(ClientMessage(query.lastError()));
}

bool TModule::TruncateTable(const QString &TableName)
{
    Close();
    if (!AppConfiguration || !AppConfiguration->FConnection.parameters)
        throw EDatabaseError(QStringLiteral("No configuration is loaded; no connection to open."));
    m_connectionString = getConnectionString(AppConfiguration->FConnection.connection_string,
                                             *AppConfiguration->FConnection.parameters);
    Open();
    bool result = false;
    if (IsConnected()) {
        Execute(QStringLiteral("truncate table ") + TableName);
        result = true;
    }
    Close();
    return result;
}

bool TModule::CheckConnection(const QString &connectionString)
{
    Close();
    m_connectionString = connectionString;
    Open();
    const bool result = IsConnected();
    Close();
    return result;
}

void TModule::ListUserTables(QStringList &list)
{
    Close();
    Open();
    if (!IsConnected())
        throw EDatabaseError(
            QStringLiteral("The connection did not open; no table can be listed."));
    QSqlDatabase connection = QSqlDatabase::database(ConnectionName, false);
    QStringList tables;
    QStringList views;
    const QVariant handle = connection.driver()->handle();
    if (connection.driverName() == QLatin1String("QODBC") && handle.isValid()) {
        for (const OdbcTableEntry &entry :
             ListOdbcTables(*static_cast<void *const *>(handle.constData()))) {
            if (IsSystemSchema(entry.schema))
                continue;
            if (entry.type.compare(QLatin1String("TABLE"), Qt::CaseInsensitive) == 0)
                tables << entry.name;
            else if (entry.type.compare(QLatin1String("VIEW"), Qt::CaseInsensitive) == 0)
                views << entry.name;
        }
    } else {
        tables = connection.tables(QSql::Tables);
        views = connection.tables(QSql::Views);
    }
    // Tables come before views whatever order the driver reports them in.
    list.clear();
    list << tables << views;
}

void TModule::DataModuleCreate()
{
    TApplication::setExceptionHandler(
        [this](QObject *sender, const std::exception &error) { appException(sender, error); });
    handlerOwner = this;
}

void TModule::appException(QObject *sender, const std::exception &error)
{
    Q_UNUSED(sender);
    TForAppException::Execute(ExceptionTitle, error, ExceptionContext);
}
