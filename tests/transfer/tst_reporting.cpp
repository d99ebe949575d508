// SPDX-License-Identifier: GPL-3.0-or-later
// The report window: the joined text, the read-only wrapping text area and the ways to close it.
#include "TestSupport.h"
#include "app/MessageBox.h"
#include "transfer/TForReporting.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

class TestReporting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void reportTextEndsEveryEntryWithCrLf_data();
    void reportTextEndsEveryEntryWithCrLf();
    void windowShowsTheReportReadOnly();
    void everyWayOfClosingEndsExecute_data();
    void everyWayOfClosingEndsExecute();
};

void TestReporting::cleanup()
{
    MessageBox::resetSeam();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(TestSupport::VisibleTopLevelCount(), 0);
}

void TestReporting::reportTextEndsEveryEntryWithCrLf_data()
{
    QTest::addColumn<QStringList>("report");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty report") << QStringList() << "";
    QTest::newRow("one empty entry") << QStringList{""} << "\r\n";
    QTest::newRow("truncation line")
        << QStringList{"truncate table dbo.Orders"} << "truncate table dbo.Orders\r\n";
    QTest::newRow("several entries") << QStringList{"a", "b"} << "a\r\nb\r\n";
    QTest::newRow("lone CR and lone LF") << QStringList{"a\rb\nc\r\nd"} << "a\r\nb\r\nc\r\nd\r\n";
    QTest::newRow("LF then CR is two breaks") << QStringList{"a\n\rb"} << "a\r\n\r\nb\r\n";
    QTest::newRow("entry ending with CR LF") << QStringList{"x\r\n", "y"} << "x\r\n\r\ny\r\n";
    QTest::newRow("entry ending with a lone CR") << QStringList{"x\r", "y"} << "x\r\n\r\ny\r\n";
}

void TestReporting::reportTextEndsEveryEntryWithCrLf()
{
    QFETCH(QStringList, report);
    QFETCH(QString, expected);
    QCOMPARE(TForReporting::ReportText(report), expected);
}

void TestReporting::windowShowsTheReportReadOnly()
{
    const QStringList report{
        QStringLiteral("\nStarting copy...\r\n1 rows copied.\rNetwork packet size (bytes): 4096\n"),
        QStringLiteral("truncate table dbo.Lines"), QString(),
        QStringLiteral("A long line that must wrap at the width of the window rather than make "
                       "the text area scroll sideways, because the report window has no scroll "
                       "bars at all.")};
    const QStringList before = report;
    QString shownText;
    bool checked = false;
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TForReporting *>(modal);
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("Report"));
        QVERIFY(form->windowFlags().testFlag(Qt::Tool));
        QCOMPARE(form->size(), QSize(594, 546));
        auto *memo = form->findChild<QPlainTextEdit *>(QStringLiteral("mmReport"));
        QVERIFY(memo);
        QVERIFY(memo->isReadOnly());
        QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(memo->textInteractionFlags() & Qt::TextSelectableByMouse);
        shownText = memo->toPlainText();
        // Typing changes nothing.
        memo->setFocus();
        QTest::keyClicks(memo, QStringLiteral("typed"));
        QCOMPARE(memo->toPlainText(), shownText);
        auto *close = form->findChild<QPushButton *>(QStringLiteral("btnSave"));
        QVERIFY(close);
        QCOMPARE(close->text(), QStringLiteral("Close"));
        QVERIFY(close->isDefault());
        QCOMPARE(close->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(close->size(), QSize(75, 25));
        TestSupport::SaveScreenshot(form, QStringLiteral("report-window"));
        checked = true;
        QTest::mouseClick(close, Qt::LeftButton);
    });
    TForReporting::Execute(report);
    QVERIFY(checked);
    // Every line break shows as a line of its own; each entry starts on a new line.
    QCOMPARE(
        shownText.split(QLatin1Char('\n')),
        (QStringList{"", "Starting copy...", "1 rows copied.", "Network packet size (bytes): 4096",
                     "", "truncate table dbo.Lines", "", report.at(3), ""}));
    QCOMPARE(report, before);

    // The same list shows the same text again.
    QString again;
    TestSupport::OnNextModal([&](QWidget *modal) {
        again = modal->findChild<QPlainTextEdit *>(QStringLiteral("mmReport"))->toPlainText();
        modal->findChild<QPushButton *>(QStringLiteral("btnSave"))->click();
    });
    TForReporting::Execute(report);
    QCOMPARE(again, shownText);
}

void TestReporting::everyWayOfClosingEndsExecute_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Close button") << "button";
    QTest::newRow("Enter key") << "enter";
    QTest::newRow("close box") << "close";
}

void TestReporting::everyWayOfClosingEndsExecute()
{
    QFETCH(QString, way);
    QPointer<QWidget> window;
    QString text = QStringLiteral("unset");
    TestSupport::OnNextModal([&](QWidget *modal) {
        window = modal;
        text = modal->findChild<QPlainTextEdit *>(QStringLiteral("mmReport"))->toPlainText();
        if (way == QStringLiteral("button"))
            QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("btnSave")),
                              Qt::LeftButton);
        else if (way == QStringLiteral("enter"))
            QTest::keyClick(modal, Qt::Key_Return);
        else
            modal->close();
    });
    TForReporting::Execute({});
    QVERIFY(text.isEmpty());
    QVERIFY(window);
    QVERIFY(!window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window);
}

QTEST_MAIN(TestReporting)
#include "tst_reporting.moc"
