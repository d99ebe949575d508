// SPDX-License-Identifier: GPL-3.0-or-later
// The Configuration dialog through its real window: loading, the style list, the table buttons,
// Save and Cancel, and a connection check that fails against a closed port through FreeTDS.
#include "ConfigurationDialogFixture.h"

#include "app/FileDialog.h"
#include "app/MessageBox.h"
#include "app/Styles.h"
#include "app/Tools.h"
#include "config/ConnectionTemplates.h"
#include "config/cParameters.h"
#include "database/TModule.h"
#include "errors/Exceptions.h"

#include <QComboBox>
#include <QHeaderView>
#include <QTabWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>

using namespace ConfigurationDialogFixture;

class TestConfigurationDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void opensOnTheConfiguredValues();
    void anEmptyTableListShowsTheHeaderAlone();
    void openingSelectsTheConfiguredStyleWithoutApplyingIt_data();
    void openingSelectsTheConfiguredStyleWithoutApplyingIt();
    void aPickAppliesAtOnceAndCancelKeepsIt();
    void aPickIsSavedWithSave();
    void addRefusesDuplicatesFoldingOnlyAToZ_data();
    void addRefusesDuplicatesFoldingOnlyAToZ();
    void addCancelledAddsNothing();
    void updateTakesTheDialogsValuesWithoutDuplicateTest();
    void doubleClickOnARowUpdatesThatRow();
    void deleteAsksAndRemovesTheCurrentRow_data();
    void deleteAsksAndRemovesTheCurrentRow();
    void saveStoresFieldsTablesAndStyleAndWrites_data();
    void saveStoresFieldsTablesAndStyleAndWrites();
    void cancelChangesNothing();
    void aFailingWriteLeavesExecuteAfterTheRelease();
    void checkAgainstAClosedPortShowsTheClientsError_data();
    void checkAgainstAClosedPortShowsTheClientsError();
    void anImportThatRaisesKeepsTheRows();
    void screenshotsOfThePagesInThreeLooks();

private:
    // A configuration read from the default document, on a file that does not exist yet.
    void freshConfiguration();

    QTemporaryDir m_folder;
    std::unique_ptr<TModule> m_module;
    std::unique_ptr<cConfiguration> m_configuration;
    QString m_configFile;
};

void TestConfigurationDialog::initTestCase()
{
    QVERIFY(m_folder.isValid());
    InitApplicationFolders(QStringLiteral("/opt/orvel/orvel-backup"), m_folder.path());
    Styles::RememberSystemLook();
    m_module = std::make_unique<TModule>();
    QCOMPARE(Module, m_module.get());
}

void TestConfigurationDialog::init()
{
    freshConfiguration();
}

void TestConfigurationDialog::freshConfiguration()
{
    m_configFile = SystemPath + QStringLiteral("orvel-backup.config");
    QFile::remove(m_configFile);
    AppConfiguration = nullptr;
    m_configuration = std::make_unique<cConfiguration>(m_configFile);
    m_configuration->Read();
    AppConfiguration = m_configuration.get();
}

void TestConfigurationDialog::cleanup()
{
    MessageBox::resetSeam();
    FileDialog::resetSeam();
    AppConfiguration = nullptr;
    m_configuration.reset();
    QCOMPARE(ForConfiguration, nullptr);
    QCOMPARE(TestSupport::VisibleTopLevelCount(), 0);
}

void TestConfigurationDialog::opensOnTheConfiguredValues()
{
    AppConfiguration->FTables = {{"Orders", "", "orders.dat"},
                                 {"stock", "select *\r\nfrom stock", "stock.dat"}};
    bool driven = false;
    const bool saved = RunDialog(
        [](TForConfiguration *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Configuration"));
            QCOMPARE(dialog->pgControl->currentWidget(), dialog->tbConnection);
            QCOMPARE(dialog->pgControl->count(), 3);
            QCOMPARE(dialog->pgControl->tabText(0), QStringLiteral("Connection"));
            QCOMPARE(dialog->pgControl->tabText(1), QStringLiteral("Appearence"));
            QCOMPARE(dialog->pgControl->tabText(2), QStringLiteral("Tables"));
            QCOMPARE(dialog->edServer->text(), QStringLiteral(".\\SQLEXPRESS"));
            QCOMPARE(dialog->edUser->text(), QStringLiteral("sa"));
            QCOMPARE(dialog->edPassword->text(), QStringLiteral("WARPE7"));
            QCOMPARE(dialog->edPassword->echoMode(), QLineEdit::Password);
            QCOMPARE(dialog->edCatalog->text(), QStringLiteral("qolma"));
            QCOMPARE(dialog->cmbStyle->count(), 28);
            QCOMPARE(dialog->cmbStyle->itemText(0), QStringLiteral("Windows"));
            QCOMPARE(dialog->sgTables->horizontalHeaderItem(0)->text(), "Table Name");
            QCOMPARE(dialog->sgTables->horizontalHeaderItem(1)->text(), "Script");
            QCOMPARE(dialog->sgTables->horizontalHeaderItem(2)->text(), "File Name");
            QCOMPARE(dialog->sgTables->columnWidth(0), 127);
            QCOMPARE(dialog->sgTables->columnWidth(1), 209);
            QCOMPARE(dialog->sgTables->columnWidth(2), 245);
            QCOMPARE(dialog->GridEntries(),
                     (tTableNames{{"Orders", "", "orders.dat"},
                                  {"stock", "select *\r\nfrom stock", "stock.dat"}}));
            QCOMPARE(dialog->CurrentDataRow(), 1);
            QVERIFY(!dialog->spbImport->isEnabled());
            QCOMPARE(dialog->spbImport->toolTip(), "Check Database for active this option");
            const QToolButton *buttons[] = {dialog->spbImport, dialog->spbAdd, dialog->spbUpdate,
                                            dialog->spbDelete};
            for (int i = 0; i < 4; ++i) {
                QCOMPARE(buttons[i]->property("Tag").toInt(), 100 + i);
                QCOMPARE(buttons[i]->size(), QSize(34, 34));
                QVERIFY(!buttons[i]->icon().isNull());
            }
            QVERIFY(dialog->btnSave->isDefault());
            QTest::keyClick(dialog, Qt::Key_Escape);
        },
        &driven);
    QVERIFY(driven);
    QVERIFY(!saved);
}

void TestConfigurationDialog::anEmptyTableListShowsTheHeaderAlone()
{
    bool driven = false;
    RunDialog(
        [](TForConfiguration *dialog) {
            QCOMPARE(dialog->sgTables->rowCount(), 0);
            QCOMPARE(dialog->CurrentDataRow(), 0);
            QVERIFY(!dialog->spbImport->isEnabled());
            // Update and Delete find no current row: no window, no question.
            QTest::mouseClick(dialog->spbUpdate, Qt::LeftButton);
            QTest::mouseClick(dialog->spbDelete, Qt::LeftButton);
            QTest::mouseDClick(dialog->sgTables->viewport(), Qt::LeftButton);
            dialog->RunTableAction(104);
            dialog->RunTableAction(99);
            QCOMPARE(QApplication::activeModalWidget(), dialog);
            QVERIFY(MessageBox::shown().isEmpty());
            QCOMPARE(dialog->sgTables->rowCount(), 0);
        },
        &driven);
    QVERIFY(driven);
}

void TestConfigurationDialog::openingSelectsTheConfiguredStyleWithoutApplyingIt_data()
{
    QTest::addColumn<QString>("skin");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("saved");
    QTest::newRow("as listed") << "Amakrits" << 1 << "Amakrits";
    QTest::newRow("other case") << "aMAKRITS" << 1 << "Amakrits";
    QTest::newRow("system look") << "windows" << 0 << "Windows";
    QTest::newRow("last one") << "Turquoise Gray" << 27 << "Turquoise Gray";
    QTest::newRow("empty") << "" << -1 << "";
    QTest::newRow("unknown") << "Pearl" << -1 << "";
}

void TestConfigurationDialog::openingSelectsTheConfiguredStyleWithoutApplyingIt()
{
    QFETCH(QString, skin);
    QFETCH(int, index);
    QFETCH(QString, saved);
    QVERIFY(Styles::TrySetStyle(QStringLiteral("Silver")));
    const QPalette before = QApplication::palette();
    AppConfiguration->FAppearence.skin = skin;
    bool driven = false;
    // Save without a pick stores what the list shows.
    const bool accepted = RunDialog(
        [index](TForConfiguration *dialog) {
            QCOMPARE(dialog->cmbStyle->currentIndex(), index);
            if (index < 0)
                QCOMPARE(dialog->cmbStyle->currentText(), QString());
            QTest::mouseClick(dialog->btnSave, Qt::LeftButton);
        },
        &driven);
    QVERIFY(driven);
    QVERIFY(accepted);
    QCOMPARE(Styles::ActiveStyleName(), QStringLiteral("Silver"));
    QCOMPARE(QApplication::palette(), before);
    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(AppConfiguration->FAppearence.skin, saved);
}

void TestConfigurationDialog::aPickAppliesAtOnceAndCancelKeepsIt()
{
    QVERIFY(Styles::TrySetStyle(QStringLiteral("Amakrits")));
    bool driven = false;
    QString activeWhileOpen;
    QColor dialogWindowColour;
    const bool saved = RunDialog(
        [&](TForConfiguration *dialog) {
            dialog->pgControl->setCurrentWidget(dialog->tbAppearence);
            const int ruby = dialog->cmbStyle->findText(QStringLiteral("Ruby Graphite"));
            dialog->cmbStyle->setCurrentIndex(ruby - 1);
            dialog->cmbStyle->setFocus();
            QTest::keyClick(dialog->cmbStyle, Qt::Key_Down);
            activeWhileOpen = Styles::ActiveStyleName();
            dialogWindowColour = dialog->palette().color(QPalette::Window);
            QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
        },
        &driven);
    QVERIFY(driven);
    QVERIFY(!saved);
    QCOMPARE(activeWhileOpen, QStringLiteral("Ruby Graphite"));
    QCOMPARE(dialogWindowColour,
             Styles::CarriedStyle(QStringLiteral("Ruby Graphite"))->colours.value("Window"));
    QCOMPARE(Styles::ActiveStyleName(), QStringLiteral("Ruby Graphite"));
    QCOMPARE(AppConfiguration->FAppearence.skin, QStringLiteral("Amakrits"));
    QVERIFY(!QFile::exists(m_configFile));
}

void TestConfigurationDialog::aPickIsSavedWithSave()
{
    bool driven = false;
    const bool saved = RunDialog(
        [](TForConfiguration *dialog) {
            const int windows = dialog->cmbStyle->findText(QStringLiteral("Windows"));
            dialog->cmbStyle->setCurrentIndex(windows + 1);
            dialog->cmbStyle->setFocus();
            QTest::keyClick(dialog->cmbStyle, Qt::Key_Up);
            QCOMPARE(Styles::ActiveStyleName(), QStringLiteral("Windows"));
            QTest::keyClick(dialog, Qt::Key_Return);
        },
        &driven);
    QVERIFY(driven);
    QVERIFY(saved);
    QCOMPARE(AppConfiguration->FAppearence.skin, QStringLiteral("Windows"));
    cConfiguration reread(m_configFile);
    reread.Read();
    QCOMPARE(reread.FAppearence.skin, QStringLiteral("Windows"));
}

void TestConfigurationDialog::addRefusesDuplicatesFoldingOnlyAToZ_data()
{
    QTest::addColumn<QString>("tablename");
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("refused");
    QTest::newRow("same name") << "Orders"
                               << "" << true;
    QTest::newRow("name in other case") << "oRDERS"
                                        << "" << true;
    QTest::newRow("name equals a script") << "SELECT * FROM STOCK"
                                          << "" << true;
    QTest::newRow("accented letter in other case") << "Élan"
                                                   << "" << false;
    QTest::newRow("accented letter, same case") << "éLAN"
                                                << "" << true;
    QTest::newRow("new name") << "Customers"
                              << "select * from customers" << false;
    QTest::newRow("only its script repeats") << "Stock2"
                                             << "select * from stock" << false;
}

void TestConfigurationDialog::addRefusesDuplicatesFoldingOnlyAToZ()
{
    QFETCH(QString, tablename);
    QFETCH(QString, script);
    QFETCH(bool, refused);
    const tTableNames before = {{"Orders", "", "orders.dat"},
                                {"stock_q", "select * from stock", "stock.dat"},
                                {"élan", "", "elan.dat"}};
    AppConfiguration->FTables = before;
    MessageBox::setNextAnswers({MessageBox::Ok});
    bool driven = false;
    tTableNames after;
    int currentAfter = 0;
    rTableInformation shown{"x", "x", "x"};
    RunDialog(
        [&](TForConfiguration *dialog) {
            dialog->pgControl->setCurrentWidget(dialog->tbTables);
            dialog->sgTables->setCurrentCell(1, 0);
            AnswerTableInfo({tablename, script, "new.dat"}, true, &shown);
            QTest::mouseClick(dialog->spbAdd, Qt::LeftButton);
            after = dialog->GridEntries();
            currentAfter = dialog->CurrentDataRow();
        },
        &driven);
    QVERIFY(driven);
    QCOMPARE(shown, (rTableInformation{"", "", ""}));
    QCOMPARE(currentAfter, 2);
    if (refused) {
        QCOMPARE(after, before);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().at(0).kind, MessageBox::Warning);
        QCOMPARE(MessageBox::shown().at(0).text,
                 QStringLiteral("there is allready exists this table information in this grid"));
    } else {
        QCOMPARE(after, before + tTableNames({{tablename, script, "new.dat"}}));
        QVERIFY(MessageBox::shown().isEmpty());
    }
}

void TestConfigurationDialog::addCancelledAddsNothing()
{
    bool driven = false;
    tTableNames after{{"x", "x", "x"}};
    int current = -1;
    RunDialog(
        [&](TForConfiguration *dialog) {
            AnswerTableInfo({"Orders", "", "orders.dat"}, false);
            QTest::mouseClick(dialog->spbAdd, Qt::LeftButton);
            QCOMPARE(dialog->sgTables->rowCount(), 0);
            // Into an empty grid, the added row becomes the current one.
            AnswerTableInfo({"Orders", "", "orders.dat"}, true);
            QTest::mouseClick(dialog->spbAdd, Qt::LeftButton);
            after = dialog->GridEntries();
            current = dialog->CurrentDataRow();
        },
        &driven);
    QVERIFY(driven);
    QCOMPARE(after, (tTableNames{{"Orders", "", "orders.dat"}}));
    QCOMPARE(current, 1);
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestConfigurationDialog::updateTakesTheDialogsValuesWithoutDuplicateTest()
{
    AppConfiguration->FTables = {{"Orders", "", "orders.dat"}, {"Stock", "", "stock.dat"}};
    bool driven = false;
    rTableInformation shown;
    tTableNames afterCancel;
    tTableNames after;
    RunDialog(
        [&](TForConfiguration *dialog) {
            dialog->sgTables->setCurrentCell(1, 2);
            AnswerTableInfo({"Changed", "", "changed.dat"}, false, &shown);
            QTest::mouseClick(dialog->spbUpdate, Qt::LeftButton);
            afterCancel = dialog->GridEntries();
            AnswerTableInfo({"ORDERS", "select 1\nfrom orders", "orders2.dat"}, true);
            QTest::mouseClick(dialog->spbUpdate, Qt::LeftButton);
            after = dialog->GridEntries();
        },
        &driven);
    QVERIFY(driven);
    QCOMPARE(shown, (rTableInformation{"Stock", "", "stock.dat"}));
    const tTableNames unchanged = {{"Orders", "", "orders.dat"}, {"Stock", "", "stock.dat"}};
    QCOMPARE(afterCancel, unchanged);
    QCOMPARE(after, (tTableNames{{"Orders", "", "orders.dat"},
                                 {"ORDERS", "select 1\r\nfrom orders", "orders2.dat"}}));
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestConfigurationDialog::doubleClickOnARowUpdatesThatRow()
{
    AppConfiguration->FTables = {{"Orders", "", "orders.dat"},
                                 {"Stock", "", "stock.dat"},
                                 {"Customers", "", "customers.dat"}};
    bool driven = false;
    rTableInformation shown;
    tTableNames after;
    RunDialog(
        [&](TForConfiguration *dialog) {
            dialog->pgControl->setCurrentWidget(dialog->tbTables);
            QTableWidget *grid = dialog->sgTables;
            const QRect third = grid->visualRect(grid->model()->index(2, 1));
            AnswerTableInfo({"Clients", "", "clients.dat"}, true, &shown);
            // A person's double click: a click, then the double click event.
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, third.center());
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, third.center());
            after = dialog->GridEntries();
        },
        &driven);
    QVERIFY(driven);
    QCOMPARE(shown, (rTableInformation{"Customers", "", "customers.dat"}));
    QCOMPARE(after, (tTableNames{{"Orders", "", "orders.dat"},
                                 {"Stock", "", "stock.dat"},
                                 {"Clients", "", "clients.dat"}}));
}

void TestConfigurationDialog::deleteAsksAndRemovesTheCurrentRow_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("the only row") << 1 << 0 << int(MessageBox::Yes) << QStringList{};
    QTest::newRow("answer no") << 1 << 0 << int(MessageBox::No) << QStringList{"t0"};
    QTest::newRow("a middle row") << 3 << 1 << int(MessageBox::Yes) << QStringList{"t0", "t2"};
    QTest::newRow("the last row") << 3 << 2 << int(MessageBox::Yes) << QStringList{"t0", "t1"};
}

void TestConfigurationDialog::deleteAsksAndRemovesTheCurrentRow()
{
    QFETCH(int, rows);
    QFETCH(int, current);
    QFETCH(int, answer);
    QFETCH(QStringList, left);
    for (int i = 0; i < rows; ++i)
        AppConfiguration->FTables.append({QStringLiteral("t%1").arg(i), "", "f.dat"});
    MessageBox::setNextAnswers({MessageBox::Answer(answer)});
    bool driven = false;
    QStringList names;
    int currentAfter = -1;
    RunDialog(
        [&](TForConfiguration *dialog) {
            dialog->sgTables->setCurrentCell(current, 0);
            QTest::mouseClick(dialog->spbDelete, Qt::LeftButton);
            names = ColumnTexts(dialog->sgTables, 0);
            currentAfter = dialog->CurrentDataRow();
        },
        &driven);
    QVERIFY(driven);
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().at(0).kind, MessageBox::Confirmation);
    QCOMPARE(MessageBox::shown().at(0).text,
             QStringLiteral("Do you want to delete this table information ?"));
    QCOMPARE(names, left);
    // A valid current row remains while data rows exist.
    if (left.isEmpty())
        QCOMPARE(currentAfter, 0);
    else
        QVERIFY(currentAfter >= 1 && currentAfter <= left.size());
}

void TestConfigurationDialog::saveStoresFieldsTablesAndStyleAndWrites_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("templateText");
    QTest::newRow("with a user") << "backup"
                                 << QStringList{"server=db01", "catalog=Stock", "user=backup",
                                                "password=s;e=t"}
                                 << SqlLoginTemplate;
    QTest::newRow("empty user") << "" << QStringList{"server=db01", "catalog=Stock"}
                                << IntegratedSecurityTemplate;
    QTest::newRow("blank user") << " "
                                << QStringList{"server=db01", "catalog=Stock",
                                               "user= ", "password=s;e=t"}
                                << SqlLoginTemplate;
}

void TestConfigurationDialog::saveStoresFieldsTablesAndStyleAndWrites()
{
    QFETCH(QString, user);
    QFETCH(QStringList, lines);
    QFETCH(QString, templateText);
    cParameters *const list = AppConfiguration->FConnection.parameters;
    AppConfiguration->FTables = {{"Orders", "", "orders.dat"}};
    bool driven = false;
    const bool saved = RunDialog(
        [&](TForConfiguration *dialog) {
            dialog->edServer->setText(QStringLiteral("db01"));
            dialog->edCatalog->setText(QStringLiteral("Stock"));
            dialog->edUser->setText(user);
            dialog->edPassword->setText(QStringLiteral("s;e=t"));
            dialog->cmbStyle->setCurrentIndex(-1);
            AnswerTableInfo({"Stock", "select a\nfrom b", "stock.dat"}, true);
            QTest::mouseClick(dialog->spbAdd, Qt::LeftButton);
            QTest::mouseClick(dialog->btnSave, Qt::LeftButton);
        },
        &driven);
    QVERIFY(driven);
    QVERIFY(saved);
    QCOMPARE(AppConfiguration->FConnection.parameters, list);
    QCOMPARE(list->Lines(), lines);
    QCOMPARE(AppConfiguration->FConnection.connection_string, templateText);
    QCOMPARE(AppConfiguration->FAppearence.skin, QString());
    const tTableNames tables = {{"Orders", "", "orders.dat"},
                                {"Stock", "select a\r\nfrom b", "stock.dat"}};
    QCOMPARE(AppConfiguration->FTables, tables);

    cConfiguration reread(m_configFile);
    reread.Read();
    QCOMPARE(reread.FTables, tables);
    QCOMPARE(reread.FConnection.parameters->Value("server"), QStringLiteral("db01"));
    QCOMPARE(reread.FConnection.parameters->Value("catalog"), QStringLiteral("Stock"));
    QCOMPARE(reread.FAppearence.skin, QString());
}

void TestConfigurationDialog::cancelChangesNothing()
{
    AppConfiguration->FTables = {{"Orders", "", "orders.dat"}};
    const QStringList lines = AppConfiguration->FConnection.parameters->Lines();
    MessageBox::setNextAnswers({MessageBox::Yes});
    bool driven = false;
    const bool saved = RunDialog(
        [](TForConfiguration *dialog) {
            dialog->edServer->setText(QStringLiteral("elsewhere"));
            dialog->edUser->clear();
            dialog->sgTables->setCurrentCell(0, 0);
            QTest::mouseClick(dialog->spbDelete, Qt::LeftButton);
            QCOMPARE(dialog->sgTables->rowCount(), 0);
            dialog->close();
        },
        &driven);
    QVERIFY(driven);
    QVERIFY(!saved);
    QCOMPARE(AppConfiguration->FConnection.parameters->Lines(), lines);
    QCOMPARE(AppConfiguration->FTables, (tTableNames{{"Orders", "", "orders.dat"}}));
    QVERIFY(!QFile::exists(m_configFile));

    // The next opening starts again from the configuration.
    RunDialog(
        [](TForConfiguration *dialog) {
            QCOMPARE(dialog->edServer->text(), QStringLiteral(".\\SQLEXPRESS"));
            QCOMPARE(dialog->sgTables->rowCount(), 1);
        },
        &driven);
    QVERIFY(driven);
}

void TestConfigurationDialog::aFailingWriteLeavesExecuteAfterTheRelease()
{
    // The configuration's folder is missing, so the file cannot be written.
    const QString unwritable = m_folder.filePath(QStringLiteral("missing/orvel-backup.config"));
    AppConfiguration = nullptr;
    m_configuration = std::make_unique<cConfiguration>(unwritable);
    m_configuration->Read();
    AppConfiguration = m_configuration.get();
    bool driven = false;
    bool raised = false;
    try {
        RunDialog(
            [](TForConfiguration *dialog) {
                dialog->edCatalog->setText(QStringLiteral("Other"));
                QTest::mouseClick(dialog->btnSave, Qt::LeftButton);
            },
            &driven);
    } catch (const EOrvelError &) {
        raised = true;
    }
    QVERIFY(driven);
    QVERIFY(raised);
    QCOMPARE(ForConfiguration, nullptr);
    QCOMPARE(AppConfiguration->FConnection.parameters->Value("catalog"), QStringLiteral("Other"));
}

void TestConfigurationDialog::checkAgainstAClosedPortShowsTheClientsError_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("templateText");
    QTest::newRow("SQL login") << "sa" << SqlLoginTemplate;
    QTest::newRow("integrated security") << "" << IntegratedSecurityTemplate;
}

void TestConfigurationDialog::checkAgainstAClosedPortShowsTheClientsError()
{
    QFETCH(QString, user);
    QFETCH(QString, templateText);
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const QString server = QStringLiteral("127.0.0.1,") + QString::number(probe.serverPort());
    probe.close();

    MessageBox::setNextAnswers({MessageBox::Ok});
    bool driven = false;
    bool importEnabled = true;
    QString hint;
    const QStringList lines = AppConfiguration->FConnection.parameters->Lines();
    RunDialog(
        [&](TForConfiguration *dialog) {
            dialog->edServer->setText(server);
            dialog->edCatalog->setText(QStringLiteral("Stock"));
            dialog->edUser->setText(user);
            dialog->edPassword->setText(QStringLiteral("typed"));
            QTest::mouseClick(dialog->btnCheck, Qt::LeftButton);
            importEnabled = dialog->spbImport->isEnabled();
            hint = dialog->spbImport->toolTip();
        },
        &driven);
    QVERIFY(driven);
    QCOMPARE(MessageBox::shown().size(), 1);
    const MessageBox::Shown box = MessageBox::shown().at(0);
    QCOMPARE(box.kind, MessageBox::Error);
    QVERIFY2(box.text.startsWith(QStringLiteral("Connection error : [FreeTDS]")),
             qPrintable(box.text));
    QVERIFY(!importEnabled);
    QCOMPARE(hint, QStringLiteral("Check Database for active this option"));

    // The check's own list: catalog, server, then the login when a user is given.
    cParameters expected;
    expected.Add("catalog=Stock");
    expected.Add("server=" + server);
    if (!user.isEmpty()) {
        expected.Add("user=" + user);
        expected.Add("password=typed");
    }
    QCOMPARE(m_module->ConnectionString(), getConnectionString(templateText, expected));
    QCOMPARE(m_module->ConnectionString().contains("typed"), !user.isEmpty());
    // Nothing of the configuration changed.
    QCOMPARE(AppConfiguration->FConnection.parameters->Lines(), lines);
}

void TestConfigurationDialog::anImportThatRaisesKeepsTheRows()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const QString server = QStringLiteral("127.0.0.1,") + QString::number(probe.serverPort());
    probe.close();
    // The connection holds the string of a check that failed; listing with it fails too.
    try {
        m_module->CheckConnection(CheckConnectionString({server, "Stock", "sa", "pw"}));
    } catch (const EDatabaseError &) {
    }
    AppConfiguration->FTables = {{"Orders", "select 1", "orders.dat"}};
    MessageBox::setNextAnswers({MessageBox::Yes});
    bool driven = false;
    bool raised = false;
    tTableNames after;
    RunDialog(
        [&](TForConfiguration *dialog) {
            // Straight to the handler: the application object hands such an exception to the
            // exception window, which this test has not.
            try {
                dialog->RunTableAction(TForConfiguration::ImportTables);
            } catch (const EDatabaseError &) {
                raised = true;
            }
            after = dialog->GridEntries();
        },
        &driven);
    QVERIFY(driven);
    QVERIFY(raised);
    QCOMPARE(after, (tTableNames{{"Orders", "select 1", "orders.dat"}}));
}

void TestConfigurationDialog::screenshotsOfThePagesInThreeLooks()
{
    AppConfiguration->FTables = {{"Orders", "", "orders.dat"},
                                 {"stock_q", "select * from stock where qty > 0", "stock.dat"},
                                 {"Customers", "", "customers.dat"}};
    for (const QString look : {"Sapphire Kamri", "Ruby Graphite", "Windows"}) {
        QVERIFY(Styles::TrySetStyle(look));
        QString slug = look.toLower();
        slug.replace(' ', '-');
        bool driven = false;
        QStringList pictures;
        RunDialog(
            [&](TForConfiguration *dialog) {
                // The form's font reaches its controls whatever the look's style sheet.
                QCOMPARE(dialog->font().pointSize(), 8);
                for (const QWidget *control : std::initializer_list<const QWidget *>{
                         dialog->edServer, dialog->cmbStyle, dialog->sgTables,
                         dialog->sgTables->horizontalHeader(), dialog->btnSave})
                    QCOMPARE(control->font(), dialog->font());
                for (QWidget *page :
                     {dialog->tbConnection, dialog->tbAppearence, dialog->tbTables}) {
                    dialog->pgControl->setCurrentWidget(page);
                    if (page == dialog->tbTables)
                        dialog->sgTables->setCurrentCell(1, 0);
                    QApplication::processEvents();
                    pictures << TestSupport::SaveScreenshot(
                        dialog, "configuration-" + page->objectName() + "-" + slug);
                }
            },
            &driven);
        QVERIFY(driven);
        QCOMPARE(pictures.size(), 3);
        for (const QString &path : pictures) {
            const QImage picture(path);
            QVERIFY2(!picture.isNull(), qPrintable(path));
            QCOMPARE(picture.size(), QSize(620, 502));
        }
    }
    QVERIFY(Styles::TrySetStyle(QStringLiteral("Windows")));
}

QTEST_MAIN(TestConfigurationDialog)
#include "tst_configurationdialog.moc"
