// SPDX-License-Identifier: GPL-3.0-or-later
#include "database/OdbcConnectionString.h"

#include "errors/Exceptions.h"

#include <QList>
#include <QRegularExpression>

#include <sql.h>
#include <sqlext.h>

#include <functional>
#include <optional>

namespace
{
const QString FreeTdsDriver = QStringLiteral("FreeTDS");

struct KeyValue {
    QString key; // lower case, inner blanks collapsed
    QString value;
};

QString NormalisedKey(const QString &key)
{
    return key.simplified().toLower();
}

int EndOfSegment(const QString &text, int from)
{
    const int semicolon = text.indexOf(QLatin1Char(';'), from);
    return semicolon < 0 ? int(text.size()) : semicolon;
}

// Moves past separators and segments without "=" to the next "key=" pair; the key, normalised,
// with `i` just after its "="; false at the end of the text.
bool NextKey(const QString &text, int &i, QString &key)
{
    const int n = int(text.size());
    while (i < n) {
        while (i < n && (text[i] == QLatin1Char(';') || text[i].isSpace()))
            ++i;
        if (i >= n)
            break;
        const int equals = text.indexOf(QLatin1Char('='), i);
        const int end = EndOfSegment(text, i);
        if (equals < 0 || equals > end) {
            i = end + 1;
            continue;
        }
        key = NormalisedKey(text.mid(i, equals - i));
        i = equals + 1;
        return true;
    }
    return false;
}

// OLE DB reading: pairs separated by ";", blanks around keys and unquoted values dropped, a value
// in single or double quotes read to its closing quote (a doubled quote stands for one).
QList<KeyValue> ParseOleDb(const QString &text)
{
    QList<KeyValue> pairs;
    const int n = int(text.size());
    int i = 0;
    QString key;
    while (NextKey(text, i, key)) {
        KeyValue pair{key, QString()};
        while (i < n && text[i] != QLatin1Char(';') && text[i].isSpace())
            ++i;
        if (i < n && (text[i] == QLatin1Char('"') || text[i] == QLatin1Char('\''))) {
            const QChar quote = text[i++];
            while (i < n) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) {
                        pair.value += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                pair.value += text[i++];
            }
            i = EndOfSegment(text, i) + 1;
        } else {
            const int valueEnd = EndOfSegment(text, i);
            pair.value = text.mid(i, valueEnd - i).trimmed();
            i = valueEnd + 1;
        }
        pairs.append(pair);
    }
    return pairs;
}

// ODBC reading, only as far as the keys go: a value in braces may hold ";" ("}}" stands for "}").
QStringList OdbcKeys(const QString &text)
{
    QStringList keys;
    const int n = int(text.size());
    int i = 0;
    QString key;
    while (NextKey(text, i, key)) {
        keys.append(key);
        while (i < n && text[i].isSpace())
            ++i;
        if (i < n && text[i] == QLatin1Char('{')) {
            ++i;
            while (i < n) {
                if (text[i] == QLatin1Char('}')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('}')) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
        }
        i = EndOfSegment(text, i) + 1;
    }
    return keys;
}

bool IsSqlServerProvider(const QString &provider)
{
    static const QStringList prefixes{QStringLiteral("sqloledb"), QStringLiteral("sqlncli"),
                                      QStringLiteral("msoledbsql")};
    const QString name = provider.trimmed().toLower();
    for (const QString &prefix : prefixes)
        if (name.startsWith(prefix))
            return true;
    return false;
}

bool IsTrue(const QString &value)
{
    const QString v = value.trimmed().toLower();
    return v == QLatin1String("sspi") || v == QLatin1String("true") || v == QLatin1String("yes");
}

struct ServerAddress {
    QString host;
    QString instance;
    QString port;
};

// "host", "host\instance", "host,port" (a port wins over an instance), with an optional "tcp:";
// ".", "(local)" and the empty name stand for this machine.
ServerAddress ParseDataSource(const QString &dataSource)
{
    ServerAddress address;
    QString rest = dataSource.trimmed();
    if (rest.startsWith(QLatin1String("tcp:"), Qt::CaseInsensitive))
        rest = rest.mid(4).trimmed();
    const int comma = rest.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        address.port = rest.mid(comma + 1).trimmed();
        rest = rest.left(comma).trimmed();
    }
    const int backslash = rest.indexOf(QLatin1Char('\\'));
    if (backslash >= 0) {
        if (address.port.isEmpty())
            address.instance = rest.mid(backslash + 1).trimmed();
        rest = rest.left(backslash).trimmed();
    }
    if (rest.isEmpty() || rest == QLatin1String(".") ||
        rest.compare(QLatin1String("(local)"), Qt::CaseInsensitive) == 0)
        rest = QStringLiteral("localhost");
    address.host = rest;
    return address;
}

int MicrosoftDriverVersion(const QString &driver)
{
    static const QRegularExpression pattern(QStringLiteral("^ODBC Driver (\\d+) for SQL Server$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(driver.trimmed());
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QString Attribute(const QString &key, const QString &value)
{
    return key + QLatin1Char('=') + OdbcValue(value);
}
} // namespace

QString OdbcValue(const QString &value)
{
    const bool braced = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('}')) ||
                        value.startsWith(QLatin1Char('{')) ||
                        (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
    if (!braced)
        return value;
    QString escaped = value;
    escaped.replace(QLatin1String("}"), QLatin1String("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

QStringList InstalledOdbcDrivers()
{
    QStringList drivers;
    SQLHENV environment = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment)))
        return drivers;
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                  0);
    SQLCHAR name[512];
    SQLCHAR attributes[2048];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDrivers(environment, direction, name, SQLSMALLINT(sizeof name),
                                    &nameLength, attributes, SQLSMALLINT(sizeof attributes),
                                    &attributesLength))) {
        drivers.append(QString::fromUtf8(reinterpret_cast<const char *>(name)));
        direction = SQL_FETCH_NEXT;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, environment);
    return drivers;
}

QString PickSqlServerDriver(const QStringList &installedDrivers)
{
    QString best;
    int bestVersion = 0;
    for (const QString &driver : installedDrivers) {
        const int version = MicrosoftDriverVersion(driver);
        if (version >= 17 && version > bestVersion) {
            best = driver;
            bestVersion = version;
        }
    }
    if (!best.isEmpty())
        return best;
    for (const QString &driver : installedDrivers)
        if (driver.trimmed().compare(FreeTdsDriver, Qt::CaseInsensitive) == 0)
            return driver;
    return QString();
}

namespace
{
// The registry is read only when a string has to be translated.
QString Translate(const QString &connectionString,
                  const std::function<QStringList()> &installedDrivers)
{
    for (const QString &key : OdbcKeys(connectionString))
        if (key == QLatin1String("driver") || key == QLatin1String("dsn") ||
            key == QLatin1String("filedsn"))
            return connectionString;

    std::optional<QString> provider, server, database, user, password;
    bool integrated = false;
    for (const KeyValue &pair : ParseOleDb(connectionString)) {
        const QString &key = pair.key;
        if (key == QLatin1String("provider"))
            provider = pair.value;
        else if (key == QLatin1String("data source") || key == QLatin1String("server") ||
                 key == QLatin1String("address") || key == QLatin1String("addr") ||
                 key == QLatin1String("network address"))
            server = pair.value;
        else if (key == QLatin1String("initial catalog") || key == QLatin1String("database"))
            database = pair.value;
        else if (key == QLatin1String("user id") || key == QLatin1String("uid"))
            user = pair.value;
        else if (key == QLatin1String("password") || key == QLatin1String("pwd"))
            password = pair.value;
        else if (key == QLatin1String("integrated security") ||
                 key == QLatin1String("trusted_connection"))
            integrated = IsTrue(pair.value);
        // Persist Security Info and the provider's other settings mean nothing to ODBC.
    }
    if (!provider)
        return connectionString;
    if (!IsSqlServerProvider(*provider))
        throw EDatabaseError(
            QStringLiteral("The OLE DB provider \"%1\" is not available; give an ODBC connection "
                           "string (DRIVER=... or DSN=...) instead.")
                .arg(*provider));

    const QString driver = PickSqlServerDriver(installedDrivers());
    if (driver.isEmpty())
        throw EDatabaseError(QStringLiteral(
            "No SQL Server ODBC driver is registered with unixODBC: install Microsoft's \"ODBC "
            "Driver 18 for SQL Server\" or FreeTDS (tdsodbc)."));
    const int microsoftVersion = MicrosoftDriverVersion(driver);
    const ServerAddress address = ParseDataSource(server.value_or(QString()));

    QStringList parts{QStringLiteral("DRIVER={%1}").arg(driver)};
    if (microsoftVersion > 0) {
        QString name = address.host;
        if (!address.port.isEmpty())
            name += QLatin1Char(',') + address.port;
        else if (!address.instance.isEmpty())
            name += QLatin1Char('\\') + address.instance;
        parts << Attribute(QStringLiteral("SERVER"), name);
    } else {
        QString name = address.host;
        if (!address.instance.isEmpty())
            name += QLatin1Char('\\') + address.instance;
        parts << Attribute(QStringLiteral("SERVER"), name);
        if (!address.port.isEmpty())
            parts << Attribute(QStringLiteral("PORT"), address.port);
    }
    if (database && !database->isEmpty())
        parts << Attribute(QStringLiteral("DATABASE"), *database);
    if (integrated) {
        parts << QStringLiteral("Trusted_Connection=yes");
    } else {
        if (user)
            parts << Attribute(QStringLiteral("UID"), *user);
        if (password)
            parts << Attribute(QStringLiteral("PWD"), *password);
    }
    // The OLE DB provider never encrypted unless asked to; Microsoft's driver 18 would by default
    // and then refuse the self-signed certificate that a default SQL Server installation has.
    if (microsoftVersion >= 18)
        parts << QStringLiteral("Encrypt=no");
    return parts.join(QLatin1Char(';'));
}

} // namespace

QString OdbcConnectionString(const QString &connectionString, const QStringList &installedDrivers)
{
    return Translate(connectionString, [&installedDrivers] { return installedDrivers; });
}

QString OdbcConnectionString(const QString &connectionString)
{
    return Translate(connectionString, &InstalledOdbcDrivers);
}
