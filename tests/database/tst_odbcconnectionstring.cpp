// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/ConnectionTemplates.h"
#include "config/cParameters.h"
#include "database/OdbcConnectionString.h"
#include "errors/Exceptions.h"

#include <QtTest>

class TestOdbcConnectionString : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void picksNewestMicrosoftDriverElseFreeTds_data();
    void picksNewestMicrosoftDriverElseFreeTds();
    void translatesOleDbStringsForTheChosenDriver_data();
    void translatesOleDbStringsForTheChosenDriver();
    void letsOdbcAndProviderlessStringsThrough_data();
    void letsOdbcAndProviderlessStringsThrough();
    void refusesWhatItCannotServe_data();
    void refusesWhatItCannotServe();
    void translatesFilledTemplates();
    void bracesValuesThatOdbcWouldCut_data();
    void bracesValuesThatOdbcWouldCut();
    void listsTheDriversThatUnixOdbcRegistered();
};

static const QStringList FreeTdsOnly{"PostgreSQL Unicode", "FreeTDS"};
static const QStringList Microsoft18{"FreeTDS", "ODBC Driver 18 for SQL Server",
                                     "ODBC Driver 17 for SQL Server"};
static const QStringList Microsoft17{"ODBC Driver 17 for SQL Server", "FreeTDS"};

void TestOdbcConnectionString::picksNewestMicrosoftDriverElseFreeTds_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("18 and 17 and FreeTDS") << Microsoft18 << "ODBC Driver 18 for SQL Server";
    QTest::newRow("17 and FreeTDS") << Microsoft17 << "ODBC Driver 17 for SQL Server";
    QTest::newRow("FreeTDS only") << FreeTdsOnly << "FreeTDS";
    QTest::newRow("older Microsoft driver is not taken")
        << QStringList{"ODBC Driver 13 for SQL Server", "FreeTDS"} << "FreeTDS";
    QTest::newRow("a later Microsoft driver")
        << QStringList{"ODBC Driver 17 for SQL Server", "ODBC Driver 19 for SQL Server"}
        << "ODBC Driver 19 for SQL Server";
    QTest::newRow("none") << QStringList{"PostgreSQL Unicode", "PostgreSQL ANSI"} << "";
    QTest::newRow("empty registry") << QStringList{} << "";
}

void TestOdbcConnectionString::picksNewestMicrosoftDriverElseFreeTds()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, expected);
    QCOMPARE(PickSqlServerDriver(installed), expected);
}

void TestOdbcConnectionString::translatesOleDbStringsForTheChosenDriver_data()
{
    QTest::addColumn<QString>("oleDb");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("expected");

    const QString login = "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;"
                          "Initial Catalog=Stock;Data Source=%1";
    const QString integrated = "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security "
                               "Info=False;Initial Catalog=Stock;Data Source=%1";

    QTest::newRow("FreeTDS host") << login.arg("alpha") << FreeTdsOnly
                                  << "DRIVER={FreeTDS};SERVER=alpha;DATABASE=Stock;UID=sa;PWD=pw";
    QTest::newRow("FreeTDS host,port")
        << login.arg("alpha,1433") << FreeTdsOnly
        << "DRIVER={FreeTDS};SERVER=alpha;PORT=1433;DATABASE=Stock;UID=sa;PWD=pw";
    QTest::newRow("FreeTDS host\\instance")
        << login.arg("alpha\\SQLEXPRESS") << FreeTdsOnly
        << "DRIVER={FreeTDS};SERVER=alpha\\SQLEXPRESS;DATABASE=Stock;UID=sa;PWD=pw";
    QTest::newRow("FreeTDS .\\instance is this machine")
        << login.arg(".\\SQLEXPRESS") << FreeTdsOnly
        << "DRIVER={FreeTDS};SERVER=localhost\\SQLEXPRESS;DATABASE=Stock;UID=sa;PWD=pw";
    QTest::newRow("FreeTDS (local)") << login.arg("(local)") << FreeTdsOnly
                                     << "DRIVER={FreeTDS};SERVER=localhost;DATABASE=Stock;UID=sa;"
                                        "PWD=pw";
    QTest::newRow("FreeTDS empty server is this machine")
        << login.arg("") << FreeTdsOnly
        << "DRIVER={FreeTDS};SERVER=localhost;DATABASE=Stock;UID=sa;PWD=pw";
    QTest::newRow("FreeTDS tcp: prefix and blanks")
        << login.arg(" tcp:alpha , 1500 ") << FreeTdsOnly
        << "DRIVER={FreeTDS};SERVER=alpha;PORT=1500;DATABASE=Stock;UID=sa;PWD=pw";
    QTest::newRow("FreeTDS port wins over instance")
        << login.arg("alpha\\SQLEXPRESS,1500") << FreeTdsOnly
        << "DRIVER={FreeTDS};SERVER=alpha;PORT=1500;DATABASE=Stock;UID=sa;PWD=pw";
    QTest::newRow("FreeTDS integrated security")
        << integrated.arg("alpha,1433") << FreeTdsOnly
        << "DRIVER={FreeTDS};SERVER=alpha;PORT=1433;DATABASE=Stock;Trusted_Connection=yes";

    QTest::newRow("Microsoft 18 host,port")
        << login.arg("alpha,1433") << Microsoft18
        << "DRIVER={ODBC Driver 18 for SQL Server};SERVER=alpha,1433;DATABASE=Stock;UID=sa;"
           "PWD=pw;Encrypt=no";
    QTest::newRow("Microsoft 18 .\\instance")
        << login.arg(".\\SQLEXPRESS") << Microsoft18
        << "DRIVER={ODBC Driver 18 for SQL Server};SERVER=localhost\\SQLEXPRESS;DATABASE=Stock;"
           "UID=sa;PWD=pw;Encrypt=no";
    QTest::newRow("Microsoft 17 integrated")
        << integrated.arg("alpha") << Microsoft17
        << "DRIVER={ODBC Driver 17 for SQL Server};SERVER=alpha;DATABASE=Stock;"
           "Trusted_Connection=yes";

    QTest::newRow("keys in any case, order and spacing")
        << " data source = alpha ; USER ID=sa;provider=sqloledb;initial catalog=Stock;PASSWORD=pw"
        << FreeTdsOnly << "DRIVER={FreeTDS};SERVER=alpha;DATABASE=Stock;UID=sa;PWD=pw";
    QTest::newRow("empty password stays, empty catalog goes")
        << "Provider=SQLOLEDB.1;Password=;User ID=sa;Initial Catalog=;Data Source=alpha"
        << FreeTdsOnly << "DRIVER={FreeTDS};SERVER=alpha;UID=sa;PWD=";
    QTest::newRow("quoted OLE DB value may hold a semicolon")
        << "Provider=SQLOLEDB.1;Password=\"a;b\"\"c\";User ID='o''neil';Data Source=alpha"
        << FreeTdsOnly << "DRIVER={FreeTDS};SERVER=alpha;UID=o'neil;PWD={a;b\"c}";
    QTest::newRow("closing brace in a value")
        << "Provider=SQLOLEDB.1;Password=x}y;User ID=sa;Data Source=alpha" << FreeTdsOnly
        << "DRIVER={FreeTDS};SERVER=alpha;UID=sa;PWD={x}}y}";
    QTest::newRow("the last of a repeated key wins")
        << "Provider=SQLOLEDB.1;Data Source=alpha;Server=beta;UID=sa;PWD=pw" << FreeTdsOnly
        << "DRIVER={FreeTDS};SERVER=beta;UID=sa;PWD=pw";
    QTest::newRow("integrated security drops login")
        << "Provider=SQLOLEDB.1;Integrated Security=SSPI;User ID=sa;Password=pw;Data Source=a"
        << FreeTdsOnly << "DRIVER={FreeTDS};SERVER=a;Trusted_Connection=yes";
    QTest::newRow("integrated security false keeps login")
        << "Provider=SQLOLEDB.1;Integrated Security=False;User ID=sa;Password=pw;Data Source=a"
        << FreeTdsOnly << "DRIVER={FreeTDS};SERVER=a;UID=sa;PWD=pw";
    QTest::newRow("native client provider")
        << "Provider=SQLNCLI11;Data Source=a;User ID=sa;Password=pw" << FreeTdsOnly
        << "DRIVER={FreeTDS};SERVER=a;UID=sa;PWD=pw";
    QTest::newRow("segment without equals is ignored")
        << "Provider=SQLOLEDB.1;junk;Data Source=a;;User ID=sa;Password=pw" << FreeTdsOnly
        << "DRIVER={FreeTDS};SERVER=a;UID=sa;PWD=pw";
}

void TestOdbcConnectionString::translatesOleDbStringsForTheChosenDriver()
{
    QFETCH(QString, oleDb);
    QFETCH(QStringList, installed);
    QFETCH(QString, expected);
    QCOMPARE(OdbcConnectionString(oleDb, installed), expected);
}

void TestOdbcConnectionString::letsOdbcAndProviderlessStringsThrough_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("DRIVER") << "DRIVER={PostgreSQL Unicode};SERVER=h;PORT=5;DATABASE=d";
    QTest::newRow("driver in lower case, not first")
        << "SERVER=h;driver={FreeTDS};Provider=SQLOLEDB.1";
    QTest::newRow("DSN") << "DSN=Stock;UID=sa;PWD=pw";
    QTest::newRow("FILEDSN") << "FILEDSN=/tmp/stock.dsn";
    QTest::newRow("braced value holding a Provider")
        << "DRIVER={FreeTDS};PWD={x;Provider=SQLOLEDB.1;y};SERVER=h";
    QTest::newRow("no provider") << "Data Source=alpha;Initial Catalog=Stock";
    QTest::newRow("empty") << "";
}

void TestOdbcConnectionString::letsOdbcAndProviderlessStringsThrough()
{
    QFETCH(QString, text);
    QCOMPARE(OdbcConnectionString(text, FreeTdsOnly), text);
    QCOMPARE(OdbcConnectionString(text, QStringList{}), text);
}

void TestOdbcConnectionString::refusesWhatItCannotServe_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("another provider") << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=c.mdb"
                                      << FreeTdsOnly << "Microsoft.Jet.OLEDB.4.0";
    QTest::newRow("no SQL Server driver")
        << "Provider=SQLOLEDB.1;Data Source=a" << QStringList{"PostgreSQL Unicode"}
        << "No SQL Server ODBC driver is registered";
}

void TestOdbcConnectionString::refusesWhatItCannotServe()
{
    QFETCH(QString, text);
    QFETCH(QStringList, installed);
    QFETCH(QString, messagePart);
    try {
        OdbcConnectionString(text, installed);
        QFAIL("no exception");
    } catch (const EDatabaseError &error) {
        QVERIFY2(error.message().contains(messagePart), qPrintable(error.message()));
    }
}

void TestOdbcConnectionString::translatesFilledTemplates()
{
    cParameters login;
    for (const char *line : {"server=.\\SQLEXPRESS", "catalog=Stock", "user=sa", "password=pw"})
        login.Add(QString::fromLatin1(line));
    QCOMPARE(OdbcConnectionString(getConnectionString(SqlLoginTemplate, login), FreeTdsOnly),
             QString("DRIVER={FreeTDS};SERVER=localhost\\SQLEXPRESS;DATABASE=Stock;UID=sa;PWD=pw"));

    cParameters integrated;
    integrated.Add("server=db1,1433");
    integrated.Add("catalog=Stock");
    QCOMPARE(OdbcConnectionString(getConnectionString(IntegratedSecurityTemplate, integrated),
                                  Microsoft17),
             QString("DRIVER={ODBC Driver 17 for SQL Server};SERVER=db1,1433;DATABASE=Stock;"
                     "Trusted_Connection=yes"));
}

void TestOdbcConnectionString::bracesValuesThatOdbcWouldCut_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "secret"
                           << "secret";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("equals needs nothing") << "a=b"
                                          << "a=b";
    QTest::newRow("semicolon") << "a;b"
                               << "{a;b}";
    QTest::newRow("closing brace doubled") << "a}b"
                                           << "{a}}b}";
    QTest::newRow("opening brace first") << "{ab"
                                         << "{{ab}";
    QTest::newRow("leading blank") << " ab"
                                   << "{ ab}";
    QTest::newRow("trailing blank") << "ab "
                                    << "{ab }";
}

void TestOdbcConnectionString::bracesValuesThatOdbcWouldCut()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QCOMPARE(OdbcValue(value), expected);
}

void TestOdbcConnectionString::listsTheDriversThatUnixOdbcRegistered()
{
    // The test machine has psqlODBC and FreeTDS registered (scripts/deps.sh).
    const QStringList drivers = InstalledOdbcDrivers();
    QVERIFY2(drivers.contains("PostgreSQL Unicode"), qPrintable(drivers.join(", ")));
    QVERIFY2(drivers.contains("FreeTDS"), qPrintable(drivers.join(", ")));
}

QTEST_GUILESS_MAIN(TestOdbcConnectionString)
#include "tst_odbcconnectionstring.moc"
