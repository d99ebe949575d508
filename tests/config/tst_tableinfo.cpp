// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FileDialog.h"
#include "app/MessageBox.h"
#include "app/Tools.h"
#include "config/TForTableInfo.h"
#include "config/TableKeys.h"

#include "TestSupport.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

Q_DECLARE_METATYPE(rTableInformation)

class TestTableInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void fieldsShowTheEntry();
    void validNeedsTableNameAndFileName_data();
    void validNeedsTableNameAndFileName();
    void cancelLeavesTheEntry_data();
    void cancelLeavesTheEntry();
    void scriptLineBreaksComeBackAsCrLf_data();
    void scriptLineBreaksComeBackAsCrLf();
    void fileButtonKeepsOnlyTheNamePart_data();
    void fileButtonKeepsOnlyTheNamePart();
    void enterInTheScriptStartsANewLine();
    void keysFoldOnlyAToZ_data();
    void keysFoldOnlyAToZ();

private:
    // Runs Execute on the entry while `drive` acts on the open dialog.
    bool Run(rTableInformation &entry, std::function<void(TForTableInfo *)> drive);

    QTemporaryDir m_folder;
};

void TestTableInfo::initTestCase()
{
    QVERIFY(m_folder.isValid());
    InitApplicationFolders(QStringLiteral("/opt/orvel/orvel-backup"), m_folder.path());
}

void TestTableInfo::cleanup()
{
    MessageBox::resetSeam();
    FileDialog::resetSeam();
    QCOMPARE(TestSupport::VisibleTopLevelCount(), 0);
}

bool TestTableInfo::Run(rTableInformation &entry, std::function<void(TForTableInfo *)> drive)
{
    bool driven = false;
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<TForTableInfo *>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog, ForTableInfo);
        driven = true;
        drive(dialog);
        // Whatever the test did, the dialog must not stay open.
        if (dialog->isVisible())
            dialog->reject();
    });
    const bool confirmed = TForTableInfo::Execute(entry);
    [&] {
        QVERIFY2(driven, "the dialog never showed");
        QCOMPARE(ForTableInfo, nullptr);
    }();
    return confirmed;
}

void TestTableInfo::fieldsShowTheEntry()
{
    rTableInformation entry{"orders", "select *\r\nfrom orders", "orders.dat"};
    Run(entry, [](TForTableInfo *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Table Import Information"));
        QCOMPARE(dialog->size(), QSize(645, 309));
        QCOMPARE(dialog->edTableName->text(), QStringLiteral("orders"));
        QCOMPARE(dialog->mmScript->document()->blockCount(), 2);
        QCOMPARE(dialog->edFileName->text(), QStringLiteral("orders.dat"));
        QVERIFY(dialog->btnValid->isDefault());
        TestSupport::SaveScreenshot(dialog, QStringLiteral("table-info"));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
}

void TestTableInfo::validNeedsTableNameAndFileName_data()
{
    QTest::addColumn<QString>("tablename");
    QTest::addColumn<QString>("filename");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("focused");
    QTest::newRow("all empty") << ""
                               << ""
                               << "The name of the table is mandatory"
                               << "edTableName";
    QTest::newRow("no table name") << ""
                                   << "orders.dat"
                                   << "The name of the table is mandatory"
                                   << "edTableName";
    QTest::newRow("no file name") << "orders"
                                  << ""
                                  << "The file name is mandatory"
                                  << "edFileName";
    QTest::newRow("both given, no script") << "orders"
                                           << "orders.dat"
                                           << ""
                                           << "";
    QTest::newRow("a blank is a name") << " "
                                       << " "
                                       << ""
                                       << "";
}

void TestTableInfo::validNeedsTableNameAndFileName()
{
    QFETCH(QString, tablename);
    QFETCH(QString, filename);
    QFETCH(QString, warning);
    QFETCH(QString, focused);
    MessageBox::setNextAnswers({MessageBox::Ok});
    rTableInformation entry{"old", "old script", "old.dat"};
    bool stayedOpen = false;
    QString focus;
    const bool confirmed = Run(entry, [&](TForTableInfo *dialog) {
        dialog->activateWindow();
        dialog->edTableName->setText(tablename);
        dialog->mmScript->clear();
        dialog->edFileName->setText(filename);
        dialog->edTableName->setFocus(); // away from the field the warning should choose
        if (focused == QLatin1String("edTableName"))
            dialog->edFileName->setFocus();
        QTest::mouseClick(dialog->btnValid, Qt::LeftButton);
        stayedOpen = dialog->isVisible();
        focus = dialog->focusWidget() ? dialog->focusWidget()->objectName() : QString();
    });

    if (warning.isEmpty()) {
        QVERIFY(confirmed);
        QVERIFY(!stayedOpen);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(entry, (rTableInformation{tablename, QString(), filename}));
    } else {
        QVERIFY(!confirmed);
        QVERIFY(stayedOpen);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().at(0).kind, MessageBox::Warning);
        QCOMPARE(MessageBox::shown().at(0).text, warning);
        QCOMPARE(focus, focused);
        QCOMPARE(entry, (rTableInformation{"old", "old script", "old.dat"}));
    }
}

void TestTableInfo::cancelLeavesTheEntry_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("Cancel button") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("close box") << 2;
}

void TestTableInfo::cancelLeavesTheEntry()
{
    QFETCH(int, way);
    rTableInformation entry{"orders", "select 1", "orders.dat"};
    const bool confirmed = Run(entry, [way](TForTableInfo *dialog) {
        dialog->edTableName->clear();
        dialog->edFileName->clear();
        dialog->mmScript->setPlainText(QStringLiteral("changed"));
        if (way == 0)
            QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
        else if (way == 1)
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            dialog->close();
        QVERIFY(!dialog->isVisible());
    });
    QVERIFY(!confirmed);
    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(entry, (rTableInformation{"orders", "select 1", "orders.dat"}));
}

void TestTableInfo::scriptLineBreaksComeBackAsCrLf_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("expected");
    QTest::newRow("line feeds") << "select *\nfrom t\nwhere a = 1" << 3
                                << "select *\r\nfrom t\r\nwhere a = 1";
    QTest::newRow("carriage returns") << "select *\rfrom t" << 2 << "select *\r\nfrom t";
    QTest::newRow("both kinds") << "a\r\nb\nc\rd" << 4 << "a\r\nb\r\nc\r\nd";
    QTest::newRow("break at the end kept, none added") << "a\r\n" << 2 << "a\r\n";
    QTest::newRow("one line") << "select 1" << 1 << "select 1";
    QTest::newRow("no-break space kept") << QString("a\u00a0b") << 1 << QString("a\u00a0b");
}

void TestTableInfo::scriptLineBreaksComeBackAsCrLf()
{
    QFETCH(QString, script);
    QFETCH(int, lines);
    QFETCH(QString, expected);
    rTableInformation entry{"orders", script, "orders.dat"};
    const bool confirmed = Run(entry, [&](TForTableInfo *dialog) {
        QCOMPARE(dialog->mmScript->document()->blockCount(), lines);
        dialog->btnValid->click();
    });
    QVERIFY(confirmed);
    QCOMPARE(entry.script, expected);
}

void TestTableInfo::fileButtonKeepsOnlyTheNamePart_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("expected");
    QTest::newRow("another folder") << "/srv/elsewhere/orders.dat"
                                    << "orders.dat";
    QTest::newRow("no extension typed") << "/srv/elsewhere/orders"
                                        << "orders.dat";
    QTest::newRow("backslashes") << "C:\\data\\stock.dat"
                                 << "stock.dat";
    QTest::newRow("cancelled") << ""
                               << "kept.dat";
}

void TestTableInfo::fileButtonKeepsOnlyTheNamePart()
{
    QFETCH(QString, answer);
    QFETCH(QString, expected);
    FileDialog::setNextAnswers({answer});
    rTableInformation entry{"orders", "", "kept.dat"};
    QString shown;
    Run(entry, [&](TForTableInfo *dialog) {
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
        shown = dialog->edFileName->text();
        QVERIFY(dialog->isVisible());
    });
    QCOMPARE(shown, expected);
    const auto requests = FileDialog::requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.at(0).kind, QStringLiteral("save"));
    QCOMPARE(requests.at(0).title, QStringLiteral("Save your file dat"));
    QCOMPARE(requests.at(0).folder, BackupPath);
    QCOMPARE(requests.at(0).defaultSuffix, QStringLiteral(".dat"));
    QVERIFY(!QFileInfo::exists(BackupPath + expected));
}

void TestTableInfo::enterInTheScriptStartsANewLine()
{
    rTableInformation entry{"orders", "", "orders.dat"};
    bool stayedOpen = false;
    const bool confirmed = Run(entry, [&](TForTableInfo *dialog) {
        dialog->activateWindow();
        dialog->mmScript->setFocus();
        QTest::keyClicks(dialog->mmScript, QStringLiteral("select *"));
        QTest::keyClick(dialog->mmScript, Qt::Key_Return);
        QTest::keyClicks(dialog->mmScript, QStringLiteral("from orders"));
        stayedOpen = dialog->isVisible();
        // Enter in a one-line field presses the default button, Valid.
        dialog->edTableName->setFocus();
        QTest::keyClick(dialog->edTableName, Qt::Key_Return);
    });
    QVERIFY(stayedOpen);
    QVERIFY(confirmed);
    QCOMPARE(entry.script, QStringLiteral("select *\r\nfrom orders"));
}

void TestTableInfo::keysFoldOnlyAToZ_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("exists");
    QTest::newRow("same table name") << "Orders" << true;
    QTest::newRow("table name, other case") << "ORDERS" << true;
    QTest::newRow("equals a script, other case") << "SELECT * FROM STOCK" << true;
    QTest::newRow("accented capital is not folded") << "Élan" << false;
    QTest::newRow("accented, same case") << "élan" << true;
    QTest::newRow("part of a name") << "Order" << false;
    QTest::newRow("empty key equals an empty script") << "" << true;
}

void TestTableInfo::keysFoldOnlyAToZ()
{
    QFETCH(QString, key);
    QFETCH(bool, exists);
    const tTableNames entries = {{"orders", "", "orders.dat"},
                                 {"stock_query", "select * from stock", "stock.dat"},
                                 {"élan", "x", "elan.dat"}};
    QCOMPARE(TableKeyExists(entries, key), exists);
    QCOMPARE(TableKeyExists({}, key), false);
    QCOMPARE(FoldAsciiLetters(QStringLiteral("ABC-Éé-xyz")), QStringLiteral("abc-Éé-xyz"));
}

QTEST_MAIN(TestTableInfo)
#include "tst_tableinfo.moc"
