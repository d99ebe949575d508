// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/ConnectionTemplates.h"

#include "config/cConfiguration.h"
#include "config/cParameters.h"

const QString SqlLoginTemplate =
    QStringLiteral("Provider=SQLOLEDB.1;Password=%password%;Persist Security Info=True;"
                   "User ID=%user%;Initial Catalog=%catalog%;Data Source=%server%");
const QString IntegratedSecurityTemplate =
    QStringLiteral("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
                   "Initial Catalog=%catalog%;Data Source=%server%");

QString getConnectionString(const QString &templateText, const cParameters &params)
{
    QString result = templateText;
    for (const QString &line : params.Lines()) {
        const QString name = cParameters::NameOf(line);
        const QString placeholder = QLatin1Char('%') + name + QLatin1Char('%');
        result.replace(placeholder, params.Value(name), Qt::CaseSensitive);
    }
    return result;
}

namespace
{
// Adds the user and password lines when a user is given, and names the template to use.
const QString &AddLogin(cParameters &params, const ConnectionFields &fields)
{
    if (fields.user.isEmpty())
        return IntegratedSecurityTemplate;
    params.Add(QStringLiteral("user=") + fields.user);
    params.Add(QStringLiteral("password=") + fields.password);
    return SqlLoginTemplate;
}
} // namespace

QString CheckConnectionString(const ConnectionFields &fields)
{
    cParameters params;
    params.Add(QStringLiteral("catalog=") + fields.catalog);
    params.Add(QStringLiteral("server=") + fields.server);
    const QString &templateText = AddLogin(params, fields);
    return getConnectionString(templateText, params);
}

void SaveConnectionFields(rConnection &connection, const ConnectionFields &fields)
{
    cParameters &params = *connection.parameters;
    params.Clear();
    params.Add(QStringLiteral("server=") + fields.server);
    params.Add(QStringLiteral("catalog=") + fields.catalog);
    connection.connection_string = AddLogin(params, fields);
}
