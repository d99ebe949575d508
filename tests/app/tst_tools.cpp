// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Tools.h"

#include <QDir>
#include <QHeaderView>
#include <QPointer>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

class TestTools : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pickTextChoosesByFlag_data();
    void pickTextChoosesByFlag();
    void includeTrailingTextAddsOnlyAMissingSuffix_data();
    void includeTrailingTextAddsOnlyAMissingSuffix();
    void applicationNameCutsAtTheFirstExtension_data();
    void applicationNameCutsAtTheFirstExtension();
    void fileNamePartTakesTheTextAfterTheLastSeparator_data();
    void fileNamePartTakesTheTextAfterTheLastSeparator();
    void specialFolderIsTheUserDataFolderOnlyFor35();
    void foldersAreCreatedUnderTheDataFolder();
    void foldersGoUnderTheCurrentFolderWithoutADataFolder();
    void existingFoldersAreNoError();
    void deleteGridRowShiftsRowsUp_data();
    void deleteGridRowShiftsRowsUp();
    void releaseFormClearsTheVariableAndDestroysLater();
};

void TestTools::pickTextChoosesByFlag_data()
{
    QTest::addColumn<bool>("flag");
    QTest::addColumn<QString>("whenTrue");
    QTest::addColumn<QString>("whenFalse");
    QTest::addColumn<QString>("expected");
    QTest::newRow("true") << true << "a"
                          << "b"
                          << "a";
    QTest::newRow("false") << false << "a"
                           << "b"
                           << "b";
    QTest::newRow("false, empty text for false") << false << "a"
                                                 << ""
                                                 << "";
    QTest::newRow("true, empty text for true") << true << ""
                                               << "b"
                                               << "";
}

void TestTools::pickTextChoosesByFlag()
{
    QFETCH(bool, flag);
    QFETCH(QString, whenTrue);
    QFETCH(QString, whenFalse);
    QFETCH(QString, expected);
    QCOMPARE(PickText(flag, whenTrue, whenFalse), expected);
}

void TestTools::includeTrailingTextAddsOnlyAMissingSuffix_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty text") << ""
                                << "/"
                                << "";
    QTest::newRow("missing") << "/data/app"
                             << "/"
                             << "/data/app/";
    QTest::newRow("present") << "/data/app/"
                             << "/"
                             << "/data/app/";
    QTest::newRow("backslash kept as any character") << "C:\\data\\"
                                                     << "/"
                                                     << "C:\\data\\/";
    QTest::newRow("two-character suffix always appended") << "abXY"
                                                          << "XY"
                                                          << "abXYXY";
    QTest::newRow("case-sensitive") << "abx"
                                    << "X"
                                    << "abxX";
}

void TestTools::includeTrailingTextAddsOnlyAMissingSuffix()
{
    QFETCH(QString, text);
    QFETCH(QString, suffix);
    QFETCH(QString, expected);
    QCOMPARE(IncludeTrailingText(text, suffix), expected);
}

void TestTools::applicationNameCutsAtTheFirstExtension_data()
{
    QTest::addColumn<QString>("programFile");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Saver.exe") << "/usr/bin/Saver.exe"
                               << "Saver";
    QTest::newRow("no extension") << "/usr/bin/Saver"
                                  << "Saver";
    QTest::newRow("Saver.old.exe") << "/opt/Saver.old.exe"
                                   << "Saver.old";
    QTest::newRow("Saver.exe.exe") << "/opt/Saver.exe.exe"
                                   << "Saver";
    QTest::newRow("my.exe.tool.exe") << "/opt/my.exe.tool.exe"
                                     << "my";
    QTest::newRow("case-sensitive search") << "/opt/Saver.EXE.exe"
                                           << "Saver.EXE";
    QTest::newRow("the program") << "/usr/local/bin/orvel-backup"
                                 << "orvel-backup";
    QTest::newRow("windows path") << "C:\\Program Files\\Saver.exe"
                                  << "Saver";
    QTest::newRow("drive only") << "C:Saver.exe"
                                << "Saver";
}

void TestTools::applicationNameCutsAtTheFirstExtension()
{
    QFETCH(QString, programFile);
    QFETCH(QString, expected);
    QCOMPARE(ApplicationNameOf(programFile), expected);
}

void TestTools::fileNamePartTakesTheTextAfterTheLastSeparator_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bare") << "orders.dat"
                          << "orders.dat";
    QTest::newRow("slash") << "/backup/orders.dat"
                           << "orders.dat";
    QTest::newRow("backslash") << "sub\\orders.dat"
                               << "orders.dat";
    QTest::newRow("drive") << "D:orders.dat"
                           << "orders.dat";
    QTest::newRow("mixed, last wins") << "D:\\a/b\\c.dat"
                                      << "c.dat";
    QTest::newRow("ends with separator") << "folder/"
                                         << "";
}

void TestTools::fileNamePartTakesTheTextAfterTheLastSeparator()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(FileNamePart(path), expected);
}

void TestTools::specialFolderIsTheUserDataFolderOnlyFor35()
{
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    QCOMPARE(GetSpecialFolderPath(35), data.path());
    QCOMPARE(GetSpecialFolderPath(26), QString());
    QCOMPARE(GetSpecialFolderPath(-1), QString());
    qunsetenv("XDG_DATA_HOME");
}

void TestTools::foldersAreCreatedUnderTheDataFolder()
{
    QTemporaryDir data;
    InitApplicationFolders(QStringLiteral("/opt/bin/Saver.exe"), data.path() + QLatin1Char('/'));
    const QString root = data.path() + QStringLiteral("/Saver/");
    QCOMPARE(AppName, QStringLiteral("Saver"));
    QCOMPARE(SystemPath, root + QStringLiteral("system/"));
    QCOMPARE(StylePath, root + QStringLiteral("system/style/"));
    QCOMPARE(BackupPath, root + QStringLiteral("backup/"));
    for (const QString &folder : {root, SystemPath, StylePath, BackupPath})
        QVERIFY2(QFileInfo(folder).isDir(), qPrintable(folder));
    QCOMPARE(SystemPath + AppName + QStringLiteral(".config"),
             root + QStringLiteral("system/Saver.config"));
}

void TestTools::foldersGoUnderTheCurrentFolderWithoutADataFolder()
{
    QTemporaryDir here;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(here.path());
    InitApplicationFolders(QStringLiteral("/opt/bin/Saver"), QString());
    QDir::setCurrent(previous);
    QCOMPARE(SystemPath, QStringLiteral("Saver/system/"));
    QCOMPARE(BackupPath, QStringLiteral("Saver/backup/"));
    for (const char *folder : {"Saver", "Saver/system", "Saver/system/style", "Saver/backup"})
        QVERIFY2(QFileInfo(here.path() + QLatin1Char('/') + QLatin1String(folder)).isDir(), folder);
}

void TestTools::existingFoldersAreNoError()
{
    QTemporaryDir data;
    const QString marker = data.path() + QStringLiteral("/Saver/backup/kept.dat");
    InitApplicationFolders(QStringLiteral("Saver"), data.path());
    QFile file(marker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    InitApplicationFolders(QStringLiteral("Saver"), data.path());
    QVERIFY(QFileInfo::exists(marker));
    QCOMPARE(BackupPath, data.path() + QStringLiteral("/Saver/backup/"));
}

void TestTools::deleteGridRowShiftsRowsUp_data()
{
    QTest::addColumn<int>("dataRows");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<QStringList>("remaining");
    QTest::newRow("first of three") << 3 << 1 << true << QStringList{"r2", "r3"};
    QTest::newRow("middle") << 3 << 2 << true << QStringList{"r1", "r3"};
    QTest::newRow("last") << 3 << 3 << true << QStringList{"r1", "r2"};
    QTest::newRow("the only row") << 1 << 1 << true << QStringList{};
    QTest::newRow("header") << 3 << 0 << false << QStringList{"r1", "r2", "r3"};
    QTest::newRow("row count") << 3 << 4 << false << QStringList{"r1", "r2", "r3"};
    QTest::newRow("past the end") << 3 << 9 << false << QStringList{"r1", "r2", "r3"};
    QTest::newRow("negative") << 3 << -1 << false << QStringList{"r1", "r2", "r3"};
}

void TestTools::deleteGridRowShiftsRowsUp()
{
    QFETCH(int, dataRows);
    QFETCH(int, index);
    QFETCH(bool, removed);
    QFETCH(QStringList, remaining);

    QTableWidget grid(dataRows, 2);
    grid.setHorizontalHeaderLabels({QStringLiteral("Table"), QStringLiteral("File")});
    for (int row = 0; row < dataRows; ++row) {
        grid.setItem(row, 0, new QTableWidgetItem(QStringLiteral("r%1").arg(row + 1)));
        grid.setItem(row, 1, new QTableWidgetItem(QStringLiteral("f%1").arg(row + 1)));
    }

    QCOMPARE(DeleteGridRow(index, &grid), removed);
    QCOMPARE(grid.rowCount(), int(remaining.size()));
    for (int row = 0; row < grid.rowCount(); ++row) {
        QCOMPARE(grid.item(row, 0)->text(), remaining.at(row));
        QCOMPARE(grid.item(row, 1)->text(), QString(remaining.at(row)).replace('r', 'f'));
    }
    QCOMPARE(grid.horizontalHeaderItem(0)->text(), QStringLiteral("Table"));
    QVERIFY(grid.horizontalHeader()->isVisibleTo(&grid));
}

void TestTools::releaseFormClearsTheVariableAndDestroysLater()
{
    auto *form = new QWidget;
    QPointer<QWidget> watch(form);
    ReleaseForm(form);
    QCOMPARE(form, nullptr);
    QVERIFY(!watch.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(watch.isNull());
}

QTEST_MAIN(TestTools)
#include "tst_tools.moc"
