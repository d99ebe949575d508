// SPDX-License-Identifier: GPL-3.0-or-later
#include "PgTestServer.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace PgTestServer
{
namespace
{
const char *const Variables[] = {"ORVEL_PG_HOST", "ORVEL_PG_PORT", "ORVEL_PG_USER",
                                 "ORVEL_PG_PASSWORD", "ORVEL_PG_BIN"};

QString Setting(const char *name)
{
    return qEnvironmentVariable(name);
}

QString QuotedIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// The library behind "PostgreSQL Unicode" in the driver registry in force, or the usual path.
QString PsqlOdbcLibrary()
{
    QString folder = qEnvironmentVariable("ODBCSYSINI");
    if (folder.isEmpty())
        folder = QStringLiteral("/etc");
    QFile registry(folder + QStringLiteral("/odbcinst.ini"));
    if (registry.open(QIODevice::ReadOnly | QIODevice::Text)) {
        bool inSection = false;
        const QStringList lines = QString::fromUtf8(registry.readAll()).split(QLatin1Char('\n'));
        for (const QString &raw : lines) {
            const QString line = raw.trimmed();
            if (line.startsWith(QLatin1Char('['))) {
                inSection =
                    line.compare(QLatin1String("[PostgreSQL Unicode]"), Qt::CaseInsensitive) == 0;
            } else if (inSection && line.startsWith(QLatin1String("Driver"), Qt::CaseInsensitive)) {
                const int equals = line.indexOf(QLatin1Char('='));
                if (equals > 0 && line.left(equals).trimmed().compare(QLatin1String("Driver"),
                                                                      Qt::CaseInsensitive) == 0)
                    return line.mid(equals + 1).trimmed();
            }
        }
    }
    for (const QString &candidate : {QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so"),
                                     QStringLiteral("/usr/lib/aarch64-linux-gnu/odbc/psqlodbcw.so"),
                                     QStringLiteral("/usr/lib/odbc/psqlodbcw.so")})
        if (QFileInfo::exists(candidate))
            return candidate;
    return QStringLiteral("psqlodbcw.so");
}
} // namespace

QString MissingSettings()
{
    QStringList missing;
    for (const char *name : Variables)
        if (Setting(name).isEmpty())
            missing << QString::fromLatin1(name);
    if (missing.isEmpty())
        return QString();
    return QStringLiteral("The PostgreSQL test server is not set up (%1 not set). Run the tests "
                          "through scripts/test.sh, or start the server with "
                          "'scripts/test-services.sh start DIR > DIR/env; source DIR/env'.")
        .arg(missing.join(QStringLiteral(", ")));
}

QString Host()
{
    return Setting("ORVEL_PG_HOST");
}

QString Port()
{
    return Setting("ORVEL_PG_PORT");
}

QString User()
{
    return Setting("ORVEL_PG_USER");
}

QString Password()
{
    return Setting("ORVEL_PG_PASSWORD");
}

QString DataSource()
{
    return Host() + QLatin1Char(',') + Port();
}

QString OdbcString(const QString &database)
{
    return OdbcString(database, User(), Password());
}

QString OdbcString(const QString &database, const QString &user, const QString &password)
{
    return QStringLiteral("DRIVER={PostgreSQL Unicode};SERVER=%1;PORT=%2;DATABASE=%3;UID=%4;PWD=%5")
        .arg(Host(), Port(), database, user, password);
}

QString UniqueDatabaseName(const QString &prefix)
{
    static QAtomicInt counter;
    return QStringLiteral("%1_%2_%3")
        .arg(prefix.toLower())
        .arg(QCoreApplication::applicationPid())
        .arg(counter.fetchAndAddRelaxed(1) + 1);
}

bool RunSql(const QString &database, const QString &sql, QString *output)
{
    QProcess psql;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PGPASSWORD"), Password());
    environment.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("10"));
    psql.setProcessEnvironment(environment);
    psql.setProcessChannelMode(QProcess::MergedChannels);
    psql.start(Setting("ORVEL_PG_BIN") + QStringLiteral("/psql"),
               {QStringLiteral("-h"), Host(), QStringLiteral("-p"), Port(), QStringLiteral("-U"),
                User(), QStringLiteral("-d"), database, QStringLiteral("-X"), QStringLiteral("-q"),
                QStringLiteral("-A"), QStringLiteral("-t"), QStringLiteral("-v"),
                QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-f"), QStringLiteral("-")});
    if (!psql.waitForStarted(10000)) {
        if (output)
            *output = QStringLiteral("psql did not start: ") + psql.errorString();
        return false;
    }
    psql.write(sql.toUtf8());
    psql.closeWriteChannel();
    const bool finished = psql.waitForFinished(60000);
    const QString text = QString::fromUtf8(psql.readAll());
    if (output)
        *output = finished ? text : QStringLiteral("psql did not finish: ") + text;
    return finished && psql.exitStatus() == QProcess::NormalExit && psql.exitCode() == 0;
}

QString QueryValue(const QString &database, const QString &sql)
{
    QString output;
    if (!RunSql(database, sql, &output))
        return QStringLiteral("error: ") + output.trimmed();
    return output.trimmed();
}

bool CreateDatabase(const QString &name, QString *error)
{
    QString output;
    const bool ok =
        RunSql(QStringLiteral("postgres"),
               QStringLiteral("create database %1;").arg(QuotedIdentifier(name)), &output);
    if (!ok && error)
        *error = output;
    return ok;
}

bool DropDatabase(const QString &name, QString *error)
{
    QString output;
    const bool ok = RunSql(
        QStringLiteral("postgres"),
        QStringLiteral("drop database if exists %1 with (force);").arg(QuotedIdentifier(name)),
        &output);
    if (!ok && error)
        *error = output;
    return ok;
}

ScratchDatabase::ScratchDatabase(const QString &prefix) : m_name(UniqueDatabaseName(prefix))
{
    m_error = MissingSettings();
    if (m_error.isEmpty() && !CreateDatabase(m_name, &m_error) && m_error.isEmpty())
        m_error = QStringLiteral("cannot create the database ") + m_name;
}

ScratchDatabase::~ScratchDatabase()
{
    if (MissingSettings().isEmpty())
        DropDatabase(m_name);
}

bool WritePrivateOdbcConfig(const QString &folder, QString *error)
{
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("cannot create ") + folder;
        return false;
    }
    const QString library = PsqlOdbcLibrary();
    QString registry;
    for (const QString &name : {QStringLiteral("FreeTDS"), QStringLiteral("PostgreSQL Unicode")})
        registry += QStringLiteral("[%1]\nDescription=psqlODBC standing in for %1\nDriver=%2\n"
                                   "UsageCount=1\n\n")
                        .arg(name, library);
    const struct {
        QString name;
        QByteArray content;
    } files[] = {{QStringLiteral("odbcinst.ini"), registry.toUtf8()},
                 {QStringLiteral("odbc.ini"), QByteArray()}};
    for (const auto &file : files) {
        QFile out(folder + QLatin1Char('/') + file.name);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(file.content) != file.content.size()) {
            if (error)
                *error = out.fileName() + QStringLiteral(": ") + out.errorString();
            return false;
        }
    }
    return true;
}
bool UsePrivateOdbcConfig(const QString &folder, QString *error)
{
    if (!WritePrivateOdbcConfig(folder, error))
        return false;
    qputenv("ODBCSYSINI", QFile::encodeName(folder));
    qputenv("ODBCINI", QFile::encodeName(folder + QStringLiteral("/odbc.ini")));
    return true;
}
} // namespace PgTestServer
