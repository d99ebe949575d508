// SPDX-License-Identifier: GPL-3.0-or-later
// The order of the data module's steps (close, open, command, close), watched through a QtSql
// driver that records what it is asked to do and can fail at each step.
#include "app/TApplication.h"
#include "config/cConfiguration.h"
#include "config/cParameters.h"
#include "database/TModule.h"
#include "errors/Exceptions.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlResult>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{
enum class OpenMode { Opens, ReportsSuccessButStaysClosed, FailsWithoutError, Refuses };

struct FakeState {
    QStringList steps;
    OpenMode openMode = OpenMode::Opens;
    QString commandError;
    QStringList tables;
    QStringList views;
};

FakeState &State()
{
    static FakeState state;
    return state;
}

class FakeResult : public QSqlResult
{
public:
    explicit FakeResult(const QSqlDriver *driver) : QSqlResult(driver) {}

protected:
    QVariant data(int) override { return QVariant(); }
    bool isNull(int) override { return true; }
    bool reset(const QString &query) override
    {
        State().steps << "exec " + query;
        if (!State().commandError.isEmpty()) {
            setLastError(QSqlError(QString(), State().commandError, QSqlError::StatementError));
            return false;
        }
        setActive(true);
        setSelect(false);
        return true;
    }
    bool fetch(int) override { return false; }
    bool fetchFirst() override { return false; }
    bool fetchLast() override { return false; }
    int size() override { return -1; }
    int numRowsAffected() override { return 0; }
};

class FakeDriver : public QSqlDriver
{
public:
    bool hasFeature(DriverFeature) const override { return false; }
    bool open(const QString &db, const QString &, const QString &, const QString &, int,
              const QString &) override
    {
        State().steps << "open " + db;
        setLastError(QSqlError());
        switch (State().openMode) {
        case OpenMode::Opens:
            setOpen(true);
            setOpenError(false);
            return true;
        case OpenMode::ReportsSuccessButStaysClosed:
            return true;
        case OpenMode::FailsWithoutError:
            return false;
        case OpenMode::Refuses:
            setLastError(
                QSqlError(QString(), "login refused by the server", QSqlError::ConnectionError));
            setOpenError(true);
            return false;
        }
        return false;
    }
    void close() override
    {
        State().steps << "close";
        setOpen(false);
    }
    QSqlResult *createResult() const override { return new FakeResult(this); }
    QStringList tables(QSql::TableType type) const override
    {
        State().steps << QString("tables %1").arg(int(type));
        if (type == QSql::Tables)
            return State().tables;
        if (type == QSql::Views)
            return State().views;
        return QStringList();
    }
};

const QString Configured = "DRIVER={Fake};DATABASE=Stock";
} // namespace

class TestModuleSteps : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void truncateSendsTheNameExactlyBetweenTwoCloses_data();
    void truncateSendsTheNameExactlyBetweenTwoCloses();
    void connectionNotOpenAfterOpeningSendsNothing_data();
    void connectionNotOpenAfterOpeningSendsNothing();
    void refusedOpeningRaisesTheClientsMessageAndStops();
    void failedCommandLeavesTheConnectionOpenUntilTheNextOperation();
    void checkConnectionOpensAndClosesAndKeepsTheString();
    void listUserTablesReopensWithTheHeldStringAndStaysOpen();
    void moduleInstallsTheHandlerAndClosesWhenDestroyed();

private:
    QTemporaryDir m_folder;
    cParameters m_parameters;
    std::unique_ptr<cConfiguration> m_configuration;
    std::unique_ptr<TModule> m_module;
};

void TestModuleSteps::initTestCase()
{
    QSqlDatabase::registerSqlDriver("ORVELFAKE", new QSqlDriverCreator<FakeDriver>);
}

void TestModuleSteps::init()
{
    State() = FakeState();
    m_parameters.Clear();
    m_parameters.Add("catalog=Stock");
    m_configuration = std::make_unique<cConfiguration>(m_folder.filePath("test.config"));
    m_configuration->FConnection.connection_string = "DRIVER={Fake};DATABASE=%catalog%";
    m_configuration->FConnection.parameters = &m_parameters;
    AppConfiguration = m_configuration.get();
    m_module = std::make_unique<TModule>("ORVELFAKE", nullptr);
    State().steps.clear();
}

void TestModuleSteps::cleanup()
{
    m_module.reset();
    AppConfiguration = nullptr;
    m_configuration.reset();
}

void TestModuleSteps::truncateSendsTheNameExactlyBetweenTwoCloses_data()
{
    QTest::addColumn<QString>("tableName");
    QTest::newRow("schema and name") << "dbo.Orders";
    QTest::newRow("blank inside, no quoting") << "Order Lines";
    QTest::newRow("blanks around, no trimming") << " Orders ";
    QTest::newRow("empty") << "";
}

void TestModuleSteps::truncateSendsTheNameExactlyBetweenTwoCloses()
{
    QFETCH(QString, tableName);
    QVERIFY(m_module->TruncateTable(tableName));
    QCOMPARE(State().steps, QStringList({"close", "open " + Configured,
                                         "exec truncate table " + tableName, "close"}));
    QCOMPARE(m_module->ConnectionString(), Configured);
}

void TestModuleSteps::connectionNotOpenAfterOpeningSendsNothing_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("opening reports success") << int(OpenMode::ReportsSuccessButStaysClosed);
    QTest::newRow("opening fails without an error") << int(OpenMode::FailsWithoutError);
}

void TestModuleSteps::connectionNotOpenAfterOpeningSendsNothing()
{
    QFETCH(int, mode);
    State().openMode = OpenMode(mode);
    QVERIFY(!m_module->TruncateTable("dbo.Orders"));
    QCOMPARE(State().steps, QStringList({"close", "open " + Configured, "close"}));

    State().steps.clear();
    QVERIFY(!m_module->CheckConnection("DRIVER={Fake};DATABASE=Other"));
    QCOMPARE(State().steps, QStringList({"close", "open DRIVER={Fake};DATABASE=Other", "close"}));

    // Listing needs an open connection; the list stays as it was.
    State().tables = QStringList{"Orders"};
    QStringList list{"left over"};
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, m_module->ListUserTables(list));
    QCOMPARE(list, QStringList{"left over"});
}

void TestModuleSteps::refusedOpeningRaisesTheClientsMessageAndStops()
{
    State().openMode = OpenMode::Refuses;
    try {
        m_module->TruncateTable("dbo.Orders");
        QFAIL("no exception");
    } catch (const EDatabaseError &error) {
        QCOMPARE(error.message(), QString("login refused by the server"));
    }
    QCOMPARE(State().steps, QStringList({"close", "open " + Configured}));

    State().steps.clear();
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, m_module->CheckConnection("DRIVER={Fake};X=1"));
    QCOMPARE(State().steps, QStringList({"close", "open DRIVER={Fake};X=1"}));
    QCOMPARE(m_module->ConnectionString(), QString("DRIVER={Fake};X=1"));
}

void TestModuleSteps::failedCommandLeavesTheConnectionOpenUntilTheNextOperation()
{
    State().commandError = "cannot truncate a table referenced in a foreign key constraint";
    try {
        m_module->TruncateTable("dbo.Orders");
        QFAIL("no exception");
    } catch (const EDatabaseError &error) {
        QCOMPARE(error.message(), State().commandError);
    }
    QCOMPARE(State().steps,
             QStringList({"close", "open " + Configured, "exec truncate table dbo.Orders"}));
    QVERIFY(m_module->IsConnected());

    State().steps.clear();
    QVERIFY(m_module->CheckConnection("DRIVER={Fake};DATABASE=Other"));
    QCOMPARE(State().steps.value(0), QString("close"));
    QVERIFY(!m_module->IsConnected());
}

void TestModuleSteps::checkConnectionOpensAndClosesAndKeepsTheString()
{
    QVERIFY(m_module->CheckConnection("DRIVER={Fake};DATABASE=Other"));
    QCOMPARE(State().steps, QStringList({"close", "open DRIVER={Fake};DATABASE=Other", "close"}));
    QCOMPARE(m_module->ConnectionString(), QString("DRIVER={Fake};DATABASE=Other"));
    QVERIFY(!m_module->IsConnected());
}

void TestModuleSteps::listUserTablesReopensWithTheHeldStringAndStaysOpen()
{
    State().tables = QStringList{"Orders", "Customers"};
    State().views = QStringList{"OpenOrders"};
    QVERIFY(m_module->CheckConnection("DRIVER={Fake};DATABASE=Other"));
    State().steps.clear();
    QStringList list{"left over"};
    m_module->ListUserTables(list);
    QCOMPARE(list, QStringList({"Orders", "Customers", "OpenOrders"}));
    QCOMPARE(State().steps.mid(0, 2), QStringList({"close", "open DRIVER={Fake};DATABASE=Other"}));
    QVERIFY(!State().steps.contains("exec"));
    QVERIFY(State().steps.last() != "close");
    QVERIFY(m_module->IsConnected());
}

void TestModuleSteps::moduleInstallsTheHandlerAndClosesWhenDestroyed()
{
    QCOMPARE(Module, m_module.get());
    QVERIFY(TApplication::hasExceptionHandler());
    QVERIFY(m_module->CheckConnection("DRIVER={Fake};DATABASE=Other"));
    m_module->ListUserTables(*std::make_unique<QStringList>());
    State().steps.clear();
    m_module.reset();
    QVERIFY(!State().steps.isEmpty());
    QCOMPARE(State().steps.count("close"), State().steps.size());
    QCOMPARE(Module, nullptr);
    QVERIFY(!TApplication::hasExceptionHandler());
}

QTEST_GUILESS_MAIN(TestModuleSteps)
#include "tst_modulesteps.moc"
