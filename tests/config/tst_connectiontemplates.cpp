// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/ConnectionTemplates.h"
#include "config/cConfiguration.h"

#include <QtTest>

class TestConnectionTemplates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lookupIgnoresCaseAndKeepsFurtherEquals_data();
    void lookupIgnoresCaseAndKeepsFurtherEquals();
    void fillingReplacesEachPlaceholderOfTheList_data();
    void fillingReplacesEachPlaceholderOfTheList();
    void checkPicksTheTemplateByTheUserField_data();
    void checkPicksTheTemplateByTheUserField();
    void savingRefillsTheConnectionsOwnList_data();
    void savingRefillsTheConnectionsOwnList();
};

static cParameters ListOf(const QStringList &lines)
{
    cParameters params;
    for (const QString &line : lines)
        params.Add(line);
    return params;
}

void TestConnectionTemplates::lookupIgnoresCaseAndKeepsFurtherEquals_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("exact") << QStringList{"server=alpha"} << "server"
                           << "alpha";
    QTest::newRow("other case") << QStringList{"Server=alpha"} << "server"
                                << "alpha";
    QTest::newRow("first of two") << QStringList{"user=a", "USER=b"} << "user"
                                  << "a";
    QTest::newRow("value with equals") << QStringList{"password=a=b=c"} << "password"
                                       << "a=b=c";
    QTest::newRow("missing") << QStringList{"server=alpha"} << "user"
                             << "";
    QTest::newRow("line without equals") << QStringList{"server"} << "server"
                                         << "";
    QTest::newRow("nameless line not found by empty name") << QStringList{"server"} << ""
                                                           << "";
    QTest::newRow("empty value") << QStringList{"password="} << "password"
                                 << "";
}

void TestConnectionTemplates::lookupIgnoresCaseAndKeepsFurtherEquals()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(ListOf(lines).Value(name), expected);
}

void TestConnectionTemplates::fillingReplacesEachPlaceholderOfTheList_data()
{
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty list leaves the template")
        << SqlLoginTemplate << QStringList{} << SqlLoginTemplate;
    QTest::newRow("integrated security")
        << IntegratedSecurityTemplate << QStringList{"catalog=Stock", "server=.\\SQLEXPRESS"}
        << "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
           "Initial Catalog=Stock;Data Source=.\\SQLEXPRESS";
    QTest::newRow("missing user stays")
        << SqlLoginTemplate << QStringList{"password=pw", "catalog=c", "server=s"}
        << "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=%user%;"
           "Initial Catalog=c;Data Source=s";
    QTest::newRow("empty password")
        << QString("Password=%password%;X") << QStringList{"password="} << "Password=;X";
    QTest::newRow("placeholder case must match")
        << QString("Data Source=%server%") << QStringList{"Server=alpha"} << "Data Source=%server%";
    QTest::newRow("duplicate names both use the first value")
        << QString("%a%|%A%") << QStringList{"a=1", "A=2"} << "1|1";
    QTest::newRow("value with separators unchanged")
        << QString("Password=%password%;") << QStringList{"password=a;b=c"} << "Password=a;b=c;";
    QTest::newRow("later parameter fills an earlier value")
        << QString("%first%") << QStringList{"first=<%second%>", "second=2"} << "<2>";
    QTest::newRow("every occurrence") << QString("%x%-%x%%x%") << QStringList{"x=1"} << "1-11";
}

void TestConnectionTemplates::fillingReplacesEachPlaceholderOfTheList()
{
    QFETCH(QString, templateText);
    QFETCH(QStringList, lines);
    QFETCH(QString, expected);
    const cParameters params = ListOf(lines);
    QCOMPARE(getConnectionString(templateText, params), expected);
    QCOMPARE(params.Lines(), lines);
}

void TestConnectionTemplates::checkPicksTheTemplateByTheUserField_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("expected");
    QTest::newRow("sql login") << "sa"
                               << "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;"
                                  "User ID=sa;Initial Catalog=Stock;Data Source=srv";
    QTest::newRow("blank user is a user")
        << " "
        << "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;"
           "User ID= ;Initial Catalog=Stock;Data Source=srv";
    QTest::newRow("integrated security") << ""
                                         << "Provider=SQLOLEDB.1;Integrated Security=SSPI;"
                                            "Persist Security Info=False;Initial Catalog=Stock;"
                                            "Data Source=srv";
}

void TestConnectionTemplates::checkPicksTheTemplateByTheUserField()
{
    QFETCH(QString, user);
    QFETCH(QString, expected);
    QCOMPARE(CheckConnectionString(
                 {QStringLiteral("srv"), QStringLiteral("Stock"), user, QStringLiteral("pw")}),
             expected);
}

void TestConnectionTemplates::savingRefillsTheConnectionsOwnList_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("templateText");
    QTest::newRow("sql login") << "sa"
                               << QStringList{"server=srv", "catalog=db", "user=sa", "password=pw"}
                               << SqlLoginTemplate;
    QTest::newRow("empty user") << "" << QStringList{"server=srv", "catalog=db"}
                                << IntegratedSecurityTemplate;
}

void TestConnectionTemplates::savingRefillsTheConnectionsOwnList()
{
    QFETCH(QString, user);
    QFETCH(QStringList, lines);
    QFETCH(QString, templateText);
    cParameters own = ListOf({"password=old", "user=old", "extra=1"});
    rConnection connection{QStringLiteral("old template"), &own};
    rConnection copy = connection;
    SaveConnectionFields(copy,
                         {QStringLiteral("srv"), QStringLiteral("db"), user, QStringLiteral("pw")});
    QCOMPARE(own.Lines(), lines);
    QCOMPARE(copy.parameters, &own);
    QCOMPARE(copy.connection_string, templateText);
}

QTEST_GUILESS_MAIN(TestConnectionTemplates)
#include "tst_connectiontemplates.moc"
