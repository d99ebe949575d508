// SPDX-License-Identifier: GPL-3.0-or-later
#include "database/DBTools.h"

#include "app/Tools.h"
#include "config/cConfiguration.h"

#include "TestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{
enum class Builder { TableExport, QueryExport, TableImport };

QString Build(Builder builder, const QString &first, const QString &file, const QString &user,
              const QString &password, const QString &server, const QString &catalog)
{
    switch (builder) {
    case Builder::TableExport:
        return BuildTableExportCommand(first, file, user, password, server, catalog);
    case Builder::QueryExport:
        return BuildQueryExportCommand(first, file, user, password, server, catalog);
    case Builder::TableImport:
        return BuildTableImportCommand(first, file, user, password, server, catalog);
    }
    return QString();
}

} // namespace

Q_DECLARE_METATYPE(Builder)

class TestDBTools : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void templatesAreTheExactTexts();
    void buildersFillEveryToken_data();
    void buildersFillEveryToken();
    void valuesWithBlanksOrQuotesStayOneArgument_data();
    void valuesWithBlanksOrQuotesStayOneArgument();
    void tableNameNamesItsDatabase_data();
    void tableNameNamesItsDatabase();
    void fileArgumentIsTheQuotedPath_data();
    void fileArgumentIsTheQuotedPath();
    void maskPasswordHidesOnlyThePasswordValue_data();
    void maskPasswordHidesOnlyThePasswordValue();

    void operationsRunBcpInTheBackupFolder_data();
    void operationsRunBcpInTheBackupFolder();
    void exportThenImportReadsTheDataFileBack();
    void importOfAMissingFileReportsBcpsError();
    void onlyTheNamedTableFails();
    void missingParametersGiveEmptyValues();
    void passwordIsInNoOutput_data();
    void passwordIsInNoOutput();

private:
    void SetParameters(const QStringList &lines);

    QTemporaryDir m_folder;
    QString m_log;
    std::unique_ptr<cConfiguration> m_configuration;
};

void TestDBTools::init()
{
    QVERIFY(m_folder.isValid());
    m_log = m_folder.filePath(QStringLiteral("bcp.log"));
    QFile::remove(m_log);
    qputenv("FAKE_BCP_LOG", m_log.toLocal8Bit());
    qunsetenv("FAKE_BCP_MODE");
    qunsetenv("FAKE_BCP_ONLY");
    QDir(m_folder.path()).mkpath(QStringLiteral("backup"));
    BackupPath = m_folder.filePath(QStringLiteral("backup/"));
    m_configuration = std::make_unique<cConfiguration>(m_folder.filePath("none.config"));
    m_configuration->Read();
    AppConfiguration = m_configuration.get();
    SetParameters({"server=srv", "catalog=Sales", "user=sa", "password=secret"});
}

void TestDBTools::cleanup()
{
    AppConfiguration = nullptr;
    m_configuration.reset();
    BackupPath.clear();
    qunsetenv("FAKE_BCP_MODE");
    qunsetenv("FAKE_BCP_ONLY");
}

void TestDBTools::SetParameters(const QStringList &lines)
{
    cParameters *parameters = m_configuration->FConnection.parameters;
    parameters->Clear();
    for (const QString &line : lines)
        parameters->Add(line);
}

void TestDBTools::templatesAreTheExactTexts()
{
    QCOMPARE(TableExportTemplate,
             "bcp %TABLENAME% out %FILENAME% -U%USER% -P%PASSWORD% -S%SERVER% -n");
    QCOMPARE(QueryExportTemplate,
             "bcp %QUERY% queryout %FILENAME% -U%USER% -P%PASSWORD% -S%SERVER% -n");
    QCOMPARE(TableImportTemplate,
             "bcp %TABLENAME% in %FILENAME% -U%USER% -P%PASSWORD% -S%SERVER% -n");
}

void TestDBTools::buildersFillEveryToken_data()
{
    QTest::addColumn<Builder>("builder");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("catalog");
    QTest::addColumn<QString>("expected");
    const auto T = Builder::TableExport;
    const auto Q = Builder::QueryExport;
    const auto I = Builder::TableImport;
    // The file argument is "\"/b/T.dat\"" in every row.
    QTest::newRow("table export") << T << "dbo.T"
                                  << "sa"
                                  << "secret"
                                  << "srv"
                                  << ""
                                  << "bcp dbo.T out \"/b/T.dat\" -Usa -Psecret -Ssrv -n";
    QTest::newRow("query export") << Q << "\"select * from dbo.T\""
                                  << "sa"
                                  << "secret"
                                  << "srv"
                                  << ""
                                  << "bcp \"select * from dbo.T\" queryout \"/b/T.dat\" -Usa "
                                     "-Psecret -Ssrv -n";
    QTest::newRow("table import") << I << "dbo.T"
                                  << "sa"
                                  << "secret"
                                  << "srv"
                                  << ""
                                  << "bcp dbo.T in \"/b/T.dat\" -Usa -Psecret -Ssrv -n";
    QTest::newRow("empty password leaves -P alone")
        << T << "dbo.T"
        << "sa"
        << ""
        << "srv"
        << ""
        << "bcp dbo.T out \"/b/T.dat\" -Usa -P -Ssrv -n";
    QTest::newRow("empty user gives a trusted connection")
        << T << "dbo.T"
        << ""
        << "secret"
        << "srv"
        << ""
        << "bcp dbo.T out \"/b/T.dat\" -T -Ssrv -n";
    QTest::newRow("empty user on a query line") << Q << "q"
                                                << ""
                                                << ""
                                                << "srv"
                                                << ""
                                                << "bcp q queryout \"/b/T.dat\" -T -Ssrv -n";
    QTest::newRow("empty server") << I << "dbo.T"
                                  << "sa"
                                  << "secret"
                                  << ""
                                  << ""
                                  << "bcp dbo.T in \"/b/T.dat\" -Usa -Psecret -S -n";
    QTest::newRow("everything empty") << T << ""
                                      << ""
                                      << ""
                                      << ""
                                      << ""
                                      << "bcp  out \"/b/T.dat\" -T -S -n";
    QTest::newRow("table name with a blank stays unquoted")
        << T << "dbo.My Table"
        << "sa"
        << "p"
        << "s"
        << ""
        << "bcp dbo.My Table out \"/b/T.dat\" -Usa -Pp -Ss -n";
    QTest::newRow("query keeps its final line break")
        << Q << "select 1\n"
        << "sa"
        << "p"
        << "s"
        << ""
        << "bcp select 1\n queryout \"/b/T.dat\" -Usa -Pp -Ss -n";
    QTest::newRow("shell characters pass unchanged")
        << Q << "\"select '$HOME' & 1; `x` *\""
        << "sa"
        << "p$;&"
        << "s"
        << ""
        << "bcp \"select '$HOME' & 1; `x` *\" queryout \"/b/T.dat\" -Usa -Pp$;& -Ss -n";
    // Replacement order: a later placeholder inside an earlier value is replaced, an earlier
    // one inside a later value is not; matching is case-sensitive.
    QTest::newRow("query holding %USER%")
        << Q << "\"where u = '%USER%'\""
        << "sa"
        << "p"
        << "s"
        << ""
        << "bcp \"where u = 'sa'\" queryout \"/b/T.dat\" -Usa -Pp -Ss -n";
    QTest::newRow("user holding %QUERY%") << Q << "q"
                                          << "a%QUERY%"
                                          << "p"
                                          << "s"
                                          << ""
                                          << "bcp q queryout \"/b/T.dat\" -Ua%QUERY% -Pp -Ss -n";
    QTest::newRow("lower-case placeholder kept")
        << Q << "\"x %user%\""
        << "sa"
        << "p"
        << "s"
        << ""
        << "bcp \"x %user%\" queryout \"/b/T.dat\" -Usa -Pp -Ss -n";
    QTest::newRow("table name holding %FILENAME% and %SERVER%")
        << T << "%FILENAME%.%SERVER%"
        << "sa"
        << "p"
        << "srv"
        << ""
        << "bcp \"/b/T.dat\".srv out \"/b/T.dat\" -Usa -Pp -Ssrv -n";
    QTest::newRow("password holding %SERVER%") << T << "t"
                                               << "sa"
                                               << "x%SERVER%"
                                               << "srv"
                                               << ""
                                               << "bcp t out \"/b/T.dat\" -Usa -Pxsrv -Ssrv -n";
    QTest::newRow("server holding %PASSWORD%")
        << T << "t"
        << "sa"
        << "p"
        << "s%PASSWORD%"
        << ""
        << "bcp t out \"/b/T.dat\" -Usa -Pp -Ss%PASSWORD% -n";
    QTest::newRow("table name holding %TABLENAME% is not searched again")
        << T << "%TABLENAME%"
        << "sa"
        << "p"
        << "s"
        << ""
        << "bcp %TABLENAME% out \"/b/T.dat\" -Usa -Pp -Ss -n";
    QTest::newRow("query holding the login switches with an empty user")
        << Q << "\"-U%USER% -P%PASSWORD%\""
        << ""
        << "p"
        << "s"
        << ""
        << "bcp \"-U -Pp\" queryout \"/b/T.dat\" -T -Ss -n";
    // The catalog.
    QTest::newRow("catalog before -n") << T << "dbo.T"
                                       << "sa"
                                       << "p"
                                       << "srv"
                                       << "Sales"
                                       << "bcp dbo.T out \"/b/T.dat\" -Usa -Pp -Ssrv -d Sales -n";
    QTest::newRow("catalog on an import") << I << "T"
                                          << "sa"
                                          << "p"
                                          << "srv"
                                          << "Sales"
                                          << "bcp T in \"/b/T.dat\" -Usa -Pp -Ssrv -d Sales -n";
    QTest::newRow("catalog on a query naming its database")
        << Q << "\"select * from Other.dbo.T\""
        << "sa"
        << "p"
        << "srv"
        << "Sales"
        << "bcp \"select * from Other.dbo.T\" queryout \"/b/T.dat\" -Usa -Pp -Ssrv -d Sales -n";
    QTest::newRow("catalog with a trusted connection")
        << T << "dbo.T"
        << ""
        << ""
        << "srv"
        << "Sales"
        << "bcp dbo.T out \"/b/T.dat\" -T -Ssrv -d Sales -n";
    QTest::newRow("three-part name keeps its database")
        << T << "Other.dbo.T"
        << "sa"
        << "p"
        << "srv"
        << "Sales"
        << "bcp Other.dbo.T out \"/b/T.dat\" -Usa -Pp -Ssrv -n";
    QTest::newRow("database with the default schema")
        << I << "Other..T"
        << "sa"
        << "p"
        << "srv"
        << "Sales"
        << "bcp Other..T in \"/b/T.dat\" -Usa -Pp -Ssrv -n";
    QTest::newRow("dots inside brackets do not count")
        << T << "[a.b.c].T"
        << "sa"
        << "p"
        << "srv"
        << "Sales"
        << "bcp [a.b.c].T out \"/b/T.dat\" -Usa -Pp -Ssrv -d Sales -n";
    QTest::newRow("catalog holding a placeholder is not searched")
        << T << "t"
        << "sa"
        << "p"
        << "srv"
        << "%SERVER%"
        << "bcp t out \"/b/T.dat\" -Usa -Pp -Ssrv -d %SERVER% -n";
    // Quoting of values with a blank or a double quote.
    QTest::newRow("user with a blank") << T << "t"
                                       << "John Doe"
                                       << "p"
                                       << "s"
                                       << ""
                                       << "bcp t out \"/b/T.dat\" -U\"John Doe\" -Pp -Ss -n";
    QTest::newRow("password with a blank and a quote")
        << T << "t"
        << "sa"
        << "a \"b"
        << "s"
        << ""
        << "bcp t out \"/b/T.dat\" -Usa -P\"a \\\"b\" -Ss -n";
    QTest::newRow("password ending in a backslash and holding a blank")
        << T << "t"
        << "sa"
        << "a b\\"
        << "s"
        << ""
        << "bcp t out \"/b/T.dat\" -Usa -P\"a b\\\\\" -Ss -n";
    QTest::newRow("password with a backslash only is unchanged")
        << T << "t"
        << "sa"
        << "a\\b"
        << "s"
        << ""
        << "bcp t out \"/b/T.dat\" -Usa -Pa\\b -Ss -n";
    QTest::newRow("server with a blank") << T << "t"
                                         << "sa"
                                         << "p"
                                         << "my host"
                                         << ""
                                         << "bcp t out \"/b/T.dat\" -Usa -Pp -S\"my host\" -n";
    QTest::newRow("catalog with a blank")
        << T << "t"
        << "sa"
        << "p"
        << "s"
        << "My Sales"
        << "bcp t out \"/b/T.dat\" -Usa -Pp -Ss -d \"My Sales\" -n";
}

void TestDBTools::buildersFillEveryToken()
{
    QFETCH(Builder, builder);
    QFETCH(QString, first);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, server);
    QFETCH(QString, catalog);
    QFETCH(QString, expected);
    const QString file = QStringLiteral("\"/b/T.dat\"");
    QCOMPARE(Build(builder, first, file, user, password, server, catalog), expected);
    if (catalog.isEmpty())
        QCOMPARE(Build(builder, first, file, user, password, server, QString()),
                 builder == Builder::QueryExport
                     ? BuildQueryExportCommand(first, file, user, password, server)
                 : builder == Builder::TableExport
                     ? BuildTableExportCommand(first, file, user, password, server)
                     : BuildTableImportCommand(first, file, user, password, server));
}

void TestDBTools::valuesWithBlanksOrQuotesStayOneArgument_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("catalog");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("plain") << "sa"
                           << "secret"
                           << "srv"
                           << "Sales"
                           << QStringList{"-Usa", "-Psecret", "-Ssrv", "-d", "Sales", "-n"};
    QTest::newRow("blanks") << "John Doe"
                            << "a b"
                            << "my host"
                            << "My Sales" << QStringList{"-UJohn Doe", "-Pa b",    "-Smy host",
                                                         "-d",         "My Sales", "-n"};
    QTest::newRow("quotes and backslashes")
        << "a\"b"
        << "x\\\" y\\"
        << "s\""
        << "c\"\\" << QStringList{"-Ua\"b", "-Px\\\" y\\", "-Ss\"", "-d", "c\"\\", "-n"};
    QTest::newRow("empty password") << "sa"
                                    << ""
                                    << "srv"
                                    << "" << QStringList{"-Usa", "-P", "-Ssrv", "-n"};
    QTest::newRow("trusted") << ""
                             << "ignored"
                             << "srv"
                             << "" << QStringList{"-T", "-Ssrv", "-n"};
}

void TestDBTools::valuesWithBlanksOrQuotesStayOneArgument()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, server);
    QFETCH(QString, catalog);
    QFETCH(QStringList, expected);
    const QString line = BuildTableExportCommand(QStringLiteral("dbo.T"),
                                                 FileArgument(QStringLiteral("/b/my \"x\".dat")),
                                                 user, password, server, catalog);
    QCOMPARE(SplitCommandLine(line),
             QStringList({"bcp", "dbo.T", "out", "/b/my \"x\".dat"}) + expected);
}

void TestDBTools::tableNameNamesItsDatabase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("namesDatabase");
    QTest::newRow("one part") << "T" << false;
    QTest::newRow("two parts") << "dbo.T" << false;
    QTest::newRow("three parts") << "db.dbo.T" << true;
    QTest::newRow("database and default schema") << "db..T" << true;
    QTest::newRow("four parts") << "srv.db.dbo.T" << true;
    QTest::newRow("bracketed three parts") << "[db].[dbo].[T]" << true;
    QTest::newRow("dots inside brackets") << "[a.b].[c.d]" << false;
    QTest::newRow("dots inside double quotes") << "\"a.b\".\"c.d\"" << false;
    QTest::newRow("escaped bracket inside brackets") << "[a]].b].T" << false;
    QTest::newRow("escaped quote inside quotes") << "\"a\"\".b\".T" << false;
    QTest::newRow("bracketed database with dots") << "[my.db].dbo.T" << true;
    QTest::newRow("empty") << "" << false;
}

void TestDBTools::tableNameNamesItsDatabase()
{
    QFETCH(QString, name);
    QFETCH(bool, namesDatabase);
    QCOMPARE(TableNameNamesDatabase(name), namesDatabase);
}

void TestDBTools::fileArgumentIsTheQuotedPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain path") << "/b/T.dat"
                                << "\"/b/T.dat\"";
    QTest::newRow("path with blanks") << "/b/my file.dat"
                                      << "\"/b/my file.dat\"";
    QTest::newRow("empty path") << ""
                                << "\"\"";
    QTest::newRow("path with a double quote") << "/b/a\"b.dat"
                                              << "\"/b/a\\\"b.dat\"";
    QTest::newRow("path ending in a backslash") << "/b/a\\"
                                                << "\"/b/a\\\\\"";
}

void TestDBTools::fileArgumentIsTheQuotedPath()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(FileArgument(path), expected);
    QCOMPARE(SplitCommandLine("bcp t out " + FileArgument(path) + " -n"),
             (QStringList{"bcp", "t", "out", path, "-n"}));
}

void TestDBTools::maskPasswordHidesOnlyThePasswordValue_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain password") << "bcp dbo.T out \"/b/T.dat\" -Usa -Psecret -Ssrv -n"
                                    << "bcp dbo.T out \"/b/T.dat\" -Usa -P******** -Ssrv -n";
    QTest::newRow("quoted password") << "bcp t out \"/b/T.dat\" -Usa -P\"a \\\"b c\" -Ss -n"
                                     << "bcp t out \"/b/T.dat\" -Usa -P******** -Ss -n";
    QTest::newRow("password with a placeholder-like text") << "bcp t out f -Usa -P-Sx -Ss -n"
                                                           << "bcp t out f -Usa -P******** -Ss -n";
    QTest::newRow("empty password stays empty") << "bcp t out f -Usa -P -Ss -n"
                                                << "bcp t out f -Usa -P -Ss -n";
    QTest::newRow("trusted connection unchanged") << "bcp t out f -T -Ss -n"
                                                  << "bcp t out f -T -Ss -n";
    QTest::newRow("blanks kept as they were") << "bcp  t\tout f   -Pone  -n"
                                              << "bcp  t\tout f   -P********  -n";
    QTest::newRow("two password switches") << "x -Pa -Pb"
                                           << "x -P******** -P********";
}

void TestDBTools::maskPasswordHidesOnlyThePasswordValue()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(MaskPassword(line), expected);
}

void TestDBTools::operationsRunBcpInTheBackupFolder_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<QStringList>("expected");
    const QStringList login = {"server=srv", "catalog=Sales", "user=sa", "password=secret"};
    QTest::newRow("export a table")
        << "ExportTable"
        << "dbo.T" << login
        << QStringList{"dbo.T", "out", "@", "-Usa", "-Psecret", "-Ssrv", "-d", "Sales", "-n"};
    QTest::newRow("export a query") << "ExportQuery"
                                    << "\"select * from dbo.T where n > 1\"" << login
                                    << QStringList{"select * from dbo.T where n > 1",
                                                   "queryout",
                                                   "@",
                                                   "-Usa",
                                                   "-Psecret",
                                                   "-Ssrv",
                                                   "-d",
                                                   "Sales",
                                                   "-n"};
    QTest::newRow("import a three-part table")
        << "ImportTable"
        << "Other.dbo.T" << login
        << QStringList{"Other.dbo.T", "in", "@", "-Usa", "-Psecret", "-Ssrv", "-n"};
    QTest::newRow("names looked up regardless of case")
        << "ExportTable"
        << "T" << QStringList{"SERVER=a", "User=u", "PassWord=p w", "Catalog="}
        << QStringList{"T", "out", "@", "-Uu", "-Pp w", "-Sa", "-n"};
    QTest::newRow("first match wins")
        << "ExportTable"
        << "T" << QStringList{"server=a", "server=b", "user=u", "user=v"}
        << QStringList{"T", "out", "@", "-Uu", "-P", "-Sa", "-n"};
    QTest::newRow("no user: trusted connection")
        << "ExportTable"
        << "T" << QStringList{"server=srv", "catalog=Sales"}
        << QStringList{"T", "out", "@", "-T", "-Ssrv", "-d", "Sales", "-n"};
    QTest::newRow("shell characters in the password")
        << "ExportTable"
        << "T" << QStringList{"server=s", "user=u", "password=$(id);`x`&*"}
        << QStringList{"T", "out", "@", "-Uu", "-P$(id);`x`&*", "-Ss", "-n"};
}

void TestDBTools::operationsRunBcpInTheBackupFolder()
{
    QFETCH(QString, operation);
    QFETCH(QString, first);
    QFETCH(QStringList, parameters);
    QFETCH(QStringList, expected);
    SetParameters(parameters);
    const QString file = BackupPath + QStringLiteral("My T.dat");
    TestSupport::WriteFile(file, "FAKE-BCP-DATA:x\n");
    const CommandResult result = operation == "ExportTable"   ? ExportTable(first, file)
                                 : operation == "ExportQuery" ? ExportQuery(first, file)
                                                              : ImportTable(first, file);
    QVERIFY2(result.started, qPrintable(result.output));
    QVERIFY(result.exitedNormally);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.output.contains("\n1 rows copied.\n"), qPrintable(result.output));
    const QList<QJsonObject> runs = TestSupport::BcpLogLines(m_log);
    QCOMPARE(runs.size(), 1);
    expected.replace(expected.indexOf("@"), file);
    QCOMPARE(TestSupport::BcpArguments(runs.first()), expected);
    QCOMPARE(runs.first().value("cwd").toString() + "/", BackupPath);
}

void TestDBTools::exportThenImportReadsTheDataFileBack()
{
    const QString file = BackupPath + QStringLiteral("T.dat");
    const CommandResult exported = ExportTable(QStringLiteral("dbo.T"), file);
    QVERIFY(exported.started);
    QCOMPARE(TestSupport::ReadFile(file), QByteArray("FAKE-BCP-DATA:dbo.T\n"));
    const CommandResult query = ExportQuery(QStringLiteral("\"select 1\""), file);
    QCOMPARE(TestSupport::ReadFile(file), QByteArray("FAKE-BCP-DATA:select 1\n"));
    QVERIFY(query.output.startsWith("\nStarting copy...\n"));
    const CommandResult imported = ImportTable(QStringLiteral("dbo.T"), file);
    QCOMPARE(imported.exitCode, 0);
    QVERIFY2(imported.output.contains("\n1 rows copied.\n"), qPrintable(imported.output));
    QCOMPARE(TestSupport::BcpLogLines(m_log).size(), 3);
}

void TestDBTools::importOfAMissingFileReportsBcpsError()
{
    const CommandResult result = ImportTable(QStringLiteral("dbo.T"), BackupPath + "none.dat");
    QVERIFY(result.started);
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.output.contains("Unable to open BCP host data-file"),
             qPrintable(result.output));
}

void TestDBTools::onlyTheNamedTableFails()
{
    qputenv("FAKE_BCP_MODE", "sqlstate,exit=1");
    qputenv("FAKE_BCP_ONLY", "dbo.Bad");
    const CommandResult good = ExportTable(QStringLiteral("dbo.Good"), BackupPath + "Good.dat");
    const CommandResult bad = ExportTable(QStringLiteral("dbo.Bad"), BackupPath + "Bad.dat");
    QCOMPARE(good.exitCode, 0);
    QVERIFY(good.output.contains("1 rows copied."));
    QCOMPARE(bad.exitCode, 1);
    QVERIFY(bad.output.contains("SQLState = 08001, NativeError = 2"));
    QVERIFY(!QFile::exists(BackupPath + "Bad.dat"));
}

void TestDBTools::missingParametersGiveEmptyValues()
{
    SetParameters({});
    QVERIFY(ExportTable(QStringLiteral("T"), BackupPath + "T.dat").started);
    AppConfiguration = nullptr;
    QVERIFY(ImportTable(QStringLiteral("T"), BackupPath + "T.dat").started);
    const QList<QJsonObject> runs = TestSupport::BcpLogLines(m_log);
    QCOMPARE(runs.size(), 2);
    QCOMPARE(TestSupport::BcpArguments(runs[0]),
             (QStringList{"T", "out", BackupPath + "T.dat", "-T", "-S", "-n"}));
    QCOMPARE(TestSupport::BcpArguments(runs[1]),
             (QStringList{"T", "in", BackupPath + "T.dat", "-T", "-S", "-n"}));
}

void TestDBTools::passwordIsInNoOutput_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("backupFolder");
    QTest::newRow("success") << ""
                             << "";
    QTest::newRow("connection failure") << "sqlstate,exit=1"
                                        << "";
    QTest::newRow("server message") << "msg=16"
                                    << "";
    QTest::newRow("backup folder missing") << ""
                                           << "/nonexistent/orvel/";
}

void TestDBTools::passwordIsInNoOutput()
{
    QFETCH(QString, mode);
    QFETCH(QString, backupFolder);
    qputenv("FAKE_BCP_MODE", mode.toUtf8());
    if (!backupFolder.isEmpty())
        BackupPath = backupFolder;
    SetParameters({"server=srv", "user=sa", "password=Xy7-secret"});
    const CommandResult result = ExportTable(QStringLiteral("T"), BackupPath + "T.dat");
    QVERIFY(!result.output.isEmpty());
    QVERIFY2(!result.output.contains("Xy7-secret"), qPrintable(result.output));
    QCOMPARE(result.started, backupFolder.isEmpty());
}

QTEST_GUILESS_MAIN(TestDBTools)
#include "tst_dbtools.moc"
