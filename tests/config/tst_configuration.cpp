// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Tools.h"
#include "config/ConnectionTemplates.h"
#include "config/cConfiguration.h"
#include "errors/Exceptions.h"

#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using TestSupport::ReadFile;
using TestSupport::WriteFile;

// Readable and writable by its owner, nobody else.
static bool IsPrivate(const QString &path)
{
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QFileDevice::Permissions permissions = QFile::permissions(path);
    return !(permissions & others) && (permissions & QFileDevice::ReadOwner) &&
           (permissions & QFileDevice::WriteOwner) && !(permissions & QFileDevice::ExeOwner);
}

class TestConfiguration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void withoutAFileTheDefaultDocumentStandsIn();
    void firstWriteCreatesTheDefaultContentPrivately();
    void everyFieldSurvivesARoundTrip_data();
    void everyFieldSurvivesARoundTrip();
    void charactersOutsideLatin1BecomeCharacterReferences();
    void utf8DeclarationIsWrittenAsUtf8();
    void latin1FileIsReadAsLatin1();
    void backupFolderFromTheTablesElement_data();
    void backupFolderFromTheTablesElement();
    void tablesWithoutEntriesAreDroppedOnWrite();
    void onlyChildrenNamedTableAreRead();
    void unknownContentPassesThroughInOrder();
    void newElementsBearAttributesInWriteOrder();
    void aParameterTakenOutStaysInTheFile();
    void emptyConnectionValuesReadBackEmpty();
    void unreadableFilesRaiseAndStayUnchanged_data();
    void unreadableFilesRaiseAndStayUnchanged();
    void foreignRootReadsEmptyAndRefusesToWrite();
    void saveIntoAMissingFolderRaises();
    void failedSaveLeavesTheOldFileWhole();
    void rewriteKeepsTheFilePrivate();
    void changesAfterReadingAWrittenFileReachTheFile_data();
    void changesAfterReadingAWrittenFileReachTheFile();

private:
    QString configPath() const { return m_dir->path() + QStringLiteral("/Saver.config"); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestConfiguration::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    BackupPath = m_dir->path() + QStringLiteral("/backup/");
}

void TestConfiguration::withoutAFileTheDefaultDocumentStandsIn()
{
    cConfiguration config(configPath());
    config.Read();
    QCOMPARE(config.FConnection.parameters->Lines(),
             (QStringList{"password=WARPE7", "user=sa", "catalog=qolma", "server=.\\SQLEXPRESS"}));
    QCOMPARE(config.FConnection.connection_string, SqlLoginTemplate);
    QCOMPARE(config.FAppearence.skin, QStringLiteral("Amakrits"));
    QVERIFY(config.FTables.isEmpty());
    QCOMPARE(config.Fbackup_path, QString());
    QVERIFY(!QFileInfo::exists(configPath()));
}

void TestConfiguration::firstWriteCreatesTheDefaultContentPrivately()
{
    cConfiguration config(configPath());
    config.Read();
    config.Write();
    QCOMPARE(ReadFile(configPath()),
             QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><configuration>"
                        "<connection password=\"WARPE7\" user=\"sa\" catalog=\"qolma\" "
                        "server=\".\\SQLEXPRESS\">Provider=SQLOLEDB.1;Password=%password%;"
                        "Persist Security Info=True;User ID=%user%;Initial Catalog=%catalog%;"
                        "Data Source=%server%</connection><appearence skin=\"Amakrits\"/>"
                        "</configuration>"));
    QVERIFY(IsPrivate(configPath()));
}

void TestConfiguration::everyFieldSurvivesARoundTrip_data()
{
    QTest::addColumn<tTableNames>("tables");
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<QString>("skin");
    QTest::addColumn<QString>("backup");

    QTest::newRow("plain") << tTableNames{{"dbo.Orders", "", "orders.dat"},
                                          {"Customers", "", "cust.dat"}}
                           << QStringList{"server=srv", "catalog=db", "user=u", "password=p"}
                           << "Ruby Graphite"
                           << "/srv/backup/";
    QTest::newRow("characters XML escapes")
        << tTableNames{{"[a&b]", "select * from t where a < 3 and b > \"x\" and c = 'y' & 1",
                        "a&b<>\"'.dat"}}
        << QStringList{"server=a&b", "password=<\"'>&amp;", "user=x"} << "&<>\"'"
        << "/tmp/a&b/";
    QTest::newRow("latin-1 and beyond")
        << tTableNames{{"Façade", "select 'é', '中文', '😀'", "naïve-中.dat"}}
        << QStringList{"server=Zürich", "password=密码"} << "Émeraude"
        << "/données/中/";
    QTest::newRow("multi-line script")
        << tTableNames{{"t", "select 1\r\nfrom t\r\n", "t.dat"}, {"u", "a\nb\tc", "u.dat"}}
        << QStringList{"server=s"} << ""
        << "/b/";
    QTest::newRow("empty names") << tTableNames{{"", "", ""}, {"t", "", ""}}
                                 << QStringList{"server="} << "Light"
                                 << "/b/";
    QTest::newRow("value with equals and blanks")
        << tTableNames{{"t", "", "t.dat"}} << QStringList{"password= a=b ", "user=  "} << "Light"
        << "/b/";
}

void TestConfiguration::everyFieldSurvivesARoundTrip()
{
    QFETCH(tTableNames, tables);
    QFETCH(QStringList, parameters);
    QFETCH(QString, skin);
    QFETCH(QString, backup);

    {
        cConfiguration config(configPath());
        config.Read();
        config.FConnection.parameters->Clear();
        for (const QString &line : parameters)
            config.FConnection.parameters->Add(line);
        config.FAppearence.skin = skin;
        config.FTables = tables;
        config.Fbackup_path = backup;
        config.Write();
    }
    cConfiguration config(configPath());
    config.Read();
    QCOMPARE(config.FTables, tables);
    QCOMPARE(config.FAppearence.skin, skin);
    QCOMPARE(config.Fbackup_path, backup);
    for (const QString &line : parameters) {
        const QString name = cParameters::NameOf(line);
        QCOMPARE(config.FConnection.parameters->Value(name), line.mid(name.size() + 1));
    }
    QCOMPARE(config.FConnection.connection_string, SqlLoginTemplate);
}

void TestConfiguration::charactersOutsideLatin1BecomeCharacterReferences()
{
    {
        cConfiguration config(configPath());
        config.Read();
        config.FTables = {{QStringLiteral("中"), QStringLiteral("é😀"), QStringLiteral("x.dat")}};
        config.Fbackup_path = QStringLiteral("/b/");
        config.Write();
    }
    const QByteArray bytes = ReadFile(configPath());
    QVERIFY(bytes.contains("tablename=\"&#x4E2D;\""));
    QVERIFY(bytes.contains("\xE9&#x1F600;"));
    QVERIFY(!bytes.contains('?' + QByteArray("\">")));
    QVERIFY(!bytes.contains("\xC3\xA9")); // no UTF-8 in a Latin-1 file
}

void TestConfiguration::utf8DeclarationIsWrittenAsUtf8()
{
    WriteFile(configPath(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<configuration>"
                            "<appearence skin=\"Luna\"/></configuration>");
    {
        cConfiguration config(configPath());
        config.Read();
        config.FAppearence.skin = QStringLiteral("é中");
        config.Write();
    }
    const QByteArray bytes = ReadFile(configPath());
    QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    QVERIFY(bytes.contains("skin=\"\xC3\xA9\xE4\xB8\xAD\""));
    cConfiguration config(configPath());
    config.Read();
    QCOMPARE(config.FAppearence.skin, QStringLiteral("é中"));
}

void TestConfiguration::latin1FileIsReadAsLatin1()
{
    WriteFile(configPath(), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<configuration>"
                            "<appearence skin=\"R\xE9sum\xE9\"/></configuration>");
    cConfiguration config(configPath());
    config.Read();
    QCOMPARE(config.FAppearence.skin, QStringLiteral("Résumé"));
}

void TestConfiguration::backupFolderFromTheTablesElement_data()
{
    QTest::addColumn<QByteArray>("tablesElement");
    QTest::addColumn<bool>("useBackupPath");
    QTest::addColumn<QString>("backup");
    QTest::newRow("path given") << QByteArray("<tables path=\"/data/b/\"><table tablename=\"t\" "
                                              "filename=\"t.dat\"/></tables>")
                                << false << "/data/b/";
    QTest::newRow("empty path") << QByteArray("<tables path=\"\"><table tablename=\"t\" "
                                              "filename=\"t.dat\"/></tables>")
                                << true << "";
    QTest::newRow("missing path") << QByteArray("<tables><table tablename=\"t\" "
                                                "filename=\"t.dat\"/></tables>")
                                  << true << "";
}

void TestConfiguration::backupFolderFromTheTablesElement()
{
    QFETCH(QByteArray, tablesElement);
    QFETCH(bool, useBackupPath);
    QFETCH(QString, backup);
    const QString expected = useBackupPath ? BackupPath : backup;
    WriteFile(configPath(), "<configuration>" + tablesElement + "</configuration>");
    {
        cConfiguration config(configPath());
        config.Read();
        QCOMPARE(config.Fbackup_path, expected);
        QCOMPARE(config.FTables.size(), 1);
        QCOMPARE(config.FTables.at(0).script, QString());
        config.Write();
    }
    QVERIFY(ReadFile(configPath()).contains("path=\"" + expected.toUtf8() + "\""));
    QVERIFY(ReadFile(configPath()).contains("<table tablename=\"t\" filename=\"t.dat\"/>"));
}

void TestConfiguration::tablesWithoutEntriesAreDroppedOnWrite()
{
    WriteFile(configPath(), "<configuration><tables path=\"/data/b/\"/></configuration>");
    {
        cConfiguration config(configPath());
        config.Read();
        QVERIFY(config.FTables.isEmpty());
        QCOMPARE(config.Fbackup_path, QStringLiteral("/data/b/"));
        config.Write();
    }
    QVERIFY(!ReadFile(configPath()).contains("tables"));
    cConfiguration config(configPath());
    config.Read();
    QCOMPARE(config.Fbackup_path, QString());
}

void TestConfiguration::onlyChildrenNamedTableAreRead()
{
    WriteFile(configPath(), "<configuration><tables path=\"/b/\"><Table tablename=\"upper\"/>"
                            "<table tablename=\"one\" filename=\"1.dat\">select 1</table>"
                            "<!-- note --><view tablename=\"v\"/>"
                            "<table tablename=\"two\" filename=\"2.dat\"/></tables>"
                            "</configuration>");
    {
        cConfiguration config(configPath());
        config.Read();
        QCOMPARE(config.FTables, (tTableNames{{"one", "select 1", "1.dat"}, {"two", "", "2.dat"}}));
        config.Write();
    }
    const QByteArray bytes = ReadFile(configPath());
    QVERIFY(!bytes.contains("upper"));
    QVERIFY(!bytes.contains("<view"));
    QVERIFY(bytes.contains("<table tablename=\"one\" filename=\"1.dat\">select 1</table>"));
}

void TestConfiguration::unknownContentPassesThroughInOrder()
{
    const QByteArray original =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><!-- settings -->"
        "<configuration version=\"2\"><extra a=\"1\"><deep>text &amp; more</deep></extra>"
        "<connection zeta=\"z\" server=\"old\" alpha=\"a\">DSN=mine</connection>"
        "<appearence theme=\"x\" skin=\"Luna\" size=\"9\"/><?keep me?>"
        "<tables path=\"/b/\"><table tablename=\"t\" filename=\"t.dat\"/></tables>"
        "<after/></configuration>";
    WriteFile(configPath(), original);
    {
        cConfiguration config(configPath());
        config.Read();
        QCOMPARE(config.FConnection.parameters->Lines(),
                 (QStringList{"zeta=z", "server=old", "alpha=a"}));
        QCOMPARE(config.FConnection.connection_string, QStringLiteral("DSN=mine"));
        SaveConnectionFields(config.FConnection, {"new", "cat", "", ""});
        config.FAppearence.skin = QStringLiteral("Carbon");
        config.Write();
    }
    QCOMPARE(ReadFile(configPath()),
             QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><!-- settings -->"
                        "<configuration version=\"2\"><extra a=\"1\"><deep>text &amp; more</deep>"
                        "</extra><connection zeta=\"z\" server=\"new\" alpha=\"a\" "
                        "catalog=\"cat\">DSN=mine</connection>"
                        "<appearence theme=\"x\" skin=\"Carbon\" size=\"9\"/><?keep me?>"
                        "<after/><tables path=\"/b/\"><table tablename=\"t\" filename=\"t.dat\"/>"
                        "</tables></configuration>"));
}

void TestConfiguration::newElementsBearAttributesInWriteOrder()
{
    WriteFile(configPath(), "<configuration/>");
    {
        cConfiguration config(configPath());
        config.Read();
        QVERIFY(config.FConnection.parameters->Lines().isEmpty());
        for (const char *line : {"user=u", "server=s", "catalog=c", "password=p"})
            config.FConnection.parameters->Add(QLatin1String(line));
        config.FTables = {{QStringLiteral("t"), QStringLiteral("q"), QStringLiteral("f")}};
        config.Fbackup_path = QStringLiteral("/b/");
        config.Write();
    }
    QCOMPARE(ReadFile(configPath()),
             QByteArray("<configuration><connection user=\"u\" server=\"s\" catalog=\"c\" "
                        "password=\"p\"/><appearence skin=\"\"/><tables path=\"/b/\">"
                        "<table tablename=\"t\" filename=\"f\">q</table></tables>"
                        "</configuration>"));
    cConfiguration config(configPath());
    config.Read();
    QCOMPARE(config.FConnection.connection_string, QString());
}

void TestConfiguration::aParameterTakenOutStaysInTheFile()
{
    {
        cConfiguration config(configPath());
        config.Read();
        SaveConnectionFields(config.FConnection, {"srv", "db", "", ""});
        QCOMPARE(config.FConnection.parameters->Count(), 2);
        config.Write();
    }
    cConfiguration config(configPath());
    config.Read();
    QCOMPARE(config.FConnection.parameters->Lines(),
             (QStringList{"password=WARPE7", "user=sa", "catalog=db", "server=srv"}));
    QCOMPARE(config.FConnection.connection_string, SqlLoginTemplate);
}

void TestConfiguration::emptyConnectionValuesReadBackEmpty()
{
    WriteFile(configPath(),
              "<configuration><connection password=\"\" server=\"\"/></configuration>");
    cConfiguration config(configPath());
    config.Read();
    QCOMPARE(config.FConnection.parameters->Lines(), (QStringList{"password=", "server="}));
}

void TestConfiguration::unreadableFilesRaiseAndStayUnchanged_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("empty file") << QByteArray() << "No document element";
    QTest::newRow("not XML") << QByteArray("hello") << "line 1";
    QTest::newRow("unclosed") << QByteArray("<configuration>\n<tables>") << "line 2";
    QTest::newRow("element inside a table")
        << QByteArray("<configuration><tables><table tablename=\"t\">a<b/></table></tables>"
                      "</configuration>")
        << "\"table\"";
    QTest::newRow("comment inside connection")
        << QByteArray("<configuration><connection><!--x--></connection></configuration>")
        << "\"connection\"";
}

void TestConfiguration::unreadableFilesRaiseAndStayUnchanged()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, messagePart);
    WriteFile(configPath(), content);
    cConfiguration config(configPath());
    try {
        config.Read();
        QFAIL("Read raised nothing");
    } catch (const EXmlFileError &error) {
        QVERIFY2(error.message().contains(messagePart), qPrintable(error.message()));
    }
    QCOMPARE(ReadFile(configPath()), content);
}

void TestConfiguration::foreignRootReadsEmptyAndRefusesToWrite()
{
    const QByteArray content = "<settings><connection server=\"s\"/></settings>";
    WriteFile(configPath(), content);
    cConfiguration config(configPath());
    config.Read();
    QCOMPARE(config.FConnection.parameters->Count(), 0);
    QCOMPARE(config.FAppearence.skin, QString());
    QVERIFY_THROWS_EXCEPTION(EXmlFileError, config.Write());
    QCOMPARE(ReadFile(configPath()), content);
}

void TestConfiguration::saveIntoAMissingFolderRaises()
{
    cConfiguration config(m_dir->path() + QStringLiteral("/missing/Saver.config"));
    config.Read();
    QVERIFY_THROWS_EXCEPTION(EFileSystemError, config.Write());
    QCOMPARE(config.FAppearence.skin, QStringLiteral("Amakrits"));
}

void TestConfiguration::failedSaveLeavesTheOldFileWhole()
{
    cConfiguration config(configPath());
    config.Read();
    config.Write();
    const QByteArray before = ReadFile(configPath());

    for (int i = 0; i < 200; ++i)
        config.FTables.append({QStringLiteral("table%1").arg(i), QString(), QStringLiteral("f")});
    config.Fbackup_path = QStringLiteral("/b/");

    // A file size limit makes the write fail half-way, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = 1024;
    setrlimit(RLIMIT_FSIZE, &limited);
    bool raised = false;
    try {
        config.Write();
    } catch (const EFileSystemError &) {
        raised = true;
    }
    setrlimit(RLIMIT_FSIZE, &previous);
    QVERIFY(raised);
    QCOMPARE(ReadFile(configPath()), before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"Saver.config"});
}

void TestConfiguration::rewriteKeepsTheFilePrivate()
{
    cConfiguration config(configPath());
    config.Read();
    config.Write();
    QFile::setPermissions(configPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ReadGroup | QFileDevice::ReadOther);
    config.Write();
    QVERIFY(IsPrivate(configPath()));
}

void TestConfiguration::changesAfterReadingAWrittenFileReachTheFile_data()
{
    QTest::addColumn<int>("change");
    QTest::newRow("nothing") << 0;
    QTest::newRow("a file name") << 1;
    QTest::newRow("a script added") << 2;
    QTest::newRow("an entry removed") << 3;
    QTest::newRow("the backup folder") << 4;
    QTest::newRow("the list emptied") << 5;
}

void TestConfiguration::changesAfterReadingAWrittenFileReachTheFile()
{
    QFETCH(int, change);
    const tTableNames written{{"a", "", "a.dat"}, {"b", "select 1", "b.dat"}};
    {
        cConfiguration config(configPath());
        config.Read();
        config.FTables = written;
        config.Fbackup_path = QStringLiteral("/b/");
        config.Write();
    }
    const QByteArray before = ReadFile(configPath());
    tTableNames expected = written;
    QString expectedPath = QStringLiteral("/b/");
    {
        cConfiguration config(configPath());
        config.Read();
        QCOMPARE(config.FTables, written);
        switch (change) {
        case 1:
            config.FTables[0].filename = QStringLiteral("other.dat");
            break;
        case 2:
            config.FTables[0].script = QStringLiteral("select 2");
            break;
        case 3:
            config.FTables.removeFirst();
            break;
        case 4:
            config.Fbackup_path = QStringLiteral("/elsewhere/");
            break;
        case 5:
            config.FTables.clear();
            break;
        }
        expected = config.FTables;
        expectedPath = expected.isEmpty() ? QString() : config.Fbackup_path;
        config.Write();
    }
    if (change == 0)
        QCOMPARE(ReadFile(configPath()), before);
    cConfiguration config(configPath());
    config.Read();
    QCOMPARE(config.FTables, expected);
    QCOMPARE(config.Fbackup_path, expectedPath);
}

QTEST_GUILESS_MAIN(TestConfiguration)
#include "tst_configuration.moc"
