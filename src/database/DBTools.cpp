// SPDX-License-Identifier: GPL-3.0-or-later
#include "database/DBTools.h"

#include "app/Tools.h"
#include "config/cConfiguration.h"

const QString TableExportTemplate =
    QStringLiteral("bcp %TABLENAME% out %FILENAME% -U%USER% -P%PASSWORD% -S%SERVER% -n");
const QString QueryExportTemplate =
    QStringLiteral("bcp %QUERY% queryout %FILENAME% -U%USER% -P%PASSWORD% -S%SERVER% -n");
const QString TableImportTemplate =
    QStringLiteral("bcp %TABLENAME% in %FILENAME% -U%USER% -P%PASSWORD% -S%SERVER% -n");

namespace
{
const QString LoginSwitches = QStringLiteral("-U%USER% -P%PASSWORD%");
const QString TrustedSwitch = QStringLiteral("-T");
const QString LastSwitch = QStringLiteral(" -n");

enum class LineKind { Table, Query };

QString Fill(const QString &templateText, const QString &firstPlaceholder, LineKind kind,
             const QString &first, const QString &fileArgument, const QString &user,
             const QString &password, const QString &server, const QString &catalog)
{
    QString result = templateText;
    // An empty SQL login means Windows authentication: "-U -P" would log in with an empty
    // login and fail.
    if (user.isEmpty())
        result.replace(LoginSwitches, TrustedSwitch);
    result.replace(firstPlaceholder, first);
    result.replace(QStringLiteral("%FILENAME%"), fileArgument);
    result.replace(QStringLiteral("%USER%"), QuoteArgument(user));
    result.replace(QStringLiteral("%PASSWORD%"), QuoteArgument(password));
    result.replace(QStringLiteral("%SERVER%"), QuoteArgument(server));
    // bcp refuses a database given twice, so a three-part table name keeps its own.
    const bool namesDatabase = kind == LineKind::Table && TableNameNamesDatabase(first);
    if (!catalog.isEmpty() && !namesDatabase && result.endsWith(LastSwitch))
        result.insert(result.size() - LastSwitch.size(),
                      QStringLiteral(" -d ") + QuoteArgument(catalog));
    return result;
}

QString Parameter(const char *name)
{
    if (!AppConfiguration || !AppConfiguration->FConnection.parameters)
        return QString();
    return AppConfiguration->FConnection.parameters->Value(QLatin1String(name));
}

struct Login {
    QString user = Parameter("user");
    QString password = Parameter("password");
    QString server = Parameter("server");
    QString catalog = Parameter("catalog");
};
} // namespace

QString BuildTableExportCommand(const QString &tableName, const QString &fileArgument,
                                const QString &user, const QString &password, const QString &server,
                                const QString &catalog)
{
    return Fill(TableExportTemplate, QStringLiteral("%TABLENAME%"), LineKind::Table, tableName,
                fileArgument, user, password, server, catalog);
}

QString BuildQueryExportCommand(const QString &query, const QString &fileArgument,
                                const QString &user, const QString &password, const QString &server,
                                const QString &catalog)
{
    return Fill(QueryExportTemplate, QStringLiteral("%QUERY%"), LineKind::Query, query,
                fileArgument, user, password, server, catalog);
}

QString BuildTableImportCommand(const QString &tableName, const QString &fileArgument,
                                const QString &user, const QString &password, const QString &server,
                                const QString &catalog)
{
    return Fill(TableImportTemplate, QStringLiteral("%TABLENAME%"), LineKind::Table, tableName,
                fileArgument, user, password, server, catalog);
}

QString FileArgument(const QString &filePath)
{
    return QuoteArgument(filePath, true);
}

bool TableNameNamesDatabase(const QString &tableName)
{
    int dots = 0;
    QChar closing;
    for (qsizetype i = 0; i < tableName.size(); ++i) {
        const QChar c = tableName.at(i);
        if (!closing.isNull()) {
            if (c == closing) {
                // A doubled closing character stands for itself inside the name.
                if (i + 1 < tableName.size() && tableName.at(i + 1) == closing)
                    ++i;
                else
                    closing = QChar();
            }
        } else if (c == QLatin1Char('[')) {
            closing = QLatin1Char(']');
        } else if (c == QLatin1Char('"')) {
            closing = QLatin1Char('"');
        } else if (c == QLatin1Char('.')) {
            ++dots;
        }
    }
    return dots >= 2;
}

QString MaskPassword(const QString &commandLine)
{
    QString result;
    qsizetype copied = 0;
    for (const CommandArgument &argument : ParseCommandLine(commandLine)) {
        if (!argument.value.startsWith(QLatin1String("-P")) || argument.value.size() <= 2)
            continue;
        result.append(QStringView(commandLine).mid(copied, argument.start - copied));
        // A fixed mask, so that not even the password's length shows.
        result.append(QLatin1String("-P********"));
        copied = argument.end;
    }
    result.append(QStringView(commandLine).mid(copied));
    return result;
}

CommandResult ExportTable(const QString &tableName, const QString &filePath)
{
    const Login login;
    return RunCommandAtRoot(BuildTableExportCommand(tableName, FileArgument(filePath), login.user,
                                                    login.password, login.server, login.catalog));
}

CommandResult ExportQuery(const QString &query, const QString &filePath)
{
    const Login login;
    return RunCommandAtRoot(BuildQueryExportCommand(query, FileArgument(filePath), login.user,
                                                    login.password, login.server, login.catalog));
}

CommandResult ImportTable(const QString &tableName, const QString &filePath)
{
    const Login login;
    return RunCommandAtRoot(BuildTableImportCommand(tableName, FileArgument(filePath), login.user,
                                                    login.password, login.server, login.catalog));
}

CommandResult RunCommandAtRoot(const QString &commandLine)
{
    return RunCommandEx(commandLine, BackupPath);
}
