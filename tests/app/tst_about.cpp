// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Styles.h"
#include "app/TForAbout.h"

#include "TestSupport.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <functional>

class TestAbout : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    // Stands in for the desktop's browser: records any address that something tries to open.
    void openUrl(const QUrl &url) { m_opened.append(url); }

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void showsTheProductAndTheMaker();
    void closesBy_data();
    void closesBy();
    void theWebAddressOpensNothing();
    void openingTwiceShowsTheSameContentAndLeavesNoWindow();
    void theTitleBandStaysBlackInEveryLook_data();
    void theTitleBandStaysBlackInEveryLook();

private:
    // Runs Execute while `drive` acts on the open window; *texts receives its label texts.
    void Run(std::function<void(TForAbout *)> drive, QStringList *texts = nullptr);

    QList<QUrl> m_opened;
};

void TestAbout::initTestCase()
{
    Styles::RememberSystemLook();
    for (const char *scheme : {"http", "https", "mailto", "file"})
        QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "openUrl");
}

void TestAbout::cleanup()
{
    QCOMPARE(TestSupport::VisibleTopLevelCount(), 0);
    QCOMPARE(ForAbout, nullptr);
}

void TestAbout::Run(std::function<void(TForAbout *)> drive, QStringList *texts)
{
    bool driven = false;
    bool stillOpen = true;
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *window = qobject_cast<TForAbout *>(modal);
        QVERIFY(window);
        driven = true;
        if (texts) {
            texts->clear();
            for (const QLabel *label : window->findChildren<QLabel *>())
                if (!label->text().isEmpty())
                    texts->append(label->text());
        }
        drive(window);
        stillOpen = window->isVisible();
        if (stillOpen)
            window->reject();
    });
    TForAbout::Execute();
    QVERIFY(driven);
    QVERIFY2(!stillOpen, "the window did not close");
}

void TestAbout::showsTheProductAndTheMaker()
{
    QStringList texts;
    Run(
        [](TForAbout *window) {
            QCOMPARE(window->windowTitle(), QStringLiteral("About"));
            QCOMPARE(window->size(), QSize(402, 370));
            QCOMPARE(window->lblProduct->text(), QStringLiteral("ORVEL BACKUP"));
            QVERIFY(window->lblProduct->font().bold());
            QCOMPARE(window->lblProduct->font().pixelSize(), 21);
            QCOMPARE(window->lblVersion->text(), QStringLiteral("version 1.0"));
            QCOMPARE(window->imgLogo->pixmap().deviceIndependentSize().toSize(), QSize(184, 53));
            QCOMPARE(window->Button1->text(), QStringLiteral("OK"));
            QCOMPARE(window->Button1->cursor().shape(), Qt::PointingHandCursor);
            QCOMPARE(window->lblWebAddress->cursor().shape(), Qt::PointingHandCursor);
            QVERIFY(window->lblWebAddress->isVisible());
            TestSupport::SaveScreenshot(window, QStringLiteral("about"));
            QTest::mouseClick(window->Button1, Qt::LeftButton);
        },
        &texts);
    QCOMPARE(TForAbout::MakerLines.size(), 7);
    for (const QString &line : TForAbout::MakerLines)
        QVERIFY2(texts.contains(line), qPrintable(line));
}

void TestAbout::closesBy_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("OK") << 0;
    QTest::newRow("Enter") << 1;
    QTest::newRow("Escape") << 2;
    QTest::newRow("close box") << 3;
}

void TestAbout::closesBy()
{
    QFETCH(int, way);
    Run([way](TForAbout *window) {
        switch (way) {
        case 0:
            QTest::mouseClick(window->Button1, Qt::LeftButton);
            break;
        case 1:
            QTest::keyClick(window, Qt::Key_Return);
            break;
        case 2:
            QTest::keyClick(window, Qt::Key_Escape);
            break;
        default:
            window->close();
        }
    });
}

void TestAbout::theWebAddressOpensNothing()
{
    m_opened.clear();
    int windowsWhileOpen = 0;
    bool stayedOpen = false;
    Run([&](TForAbout *window) {
        const int before = TestSupport::VisibleTopLevelCount();
        QTest::mouseClick(window->lblWebAddress, Qt::LeftButton);
        QTest::mouseDClick(window->lblWebAddress, Qt::LeftButton);
        QApplication::processEvents();
        windowsWhileOpen = TestSupport::VisibleTopLevelCount() - before;
        stayedOpen = window->isVisible();
        QTest::mouseClick(window->Button1, Qt::LeftButton);
    });
    QVERIFY(stayedOpen);
    QCOMPARE(windowsWhileOpen, 0);
    QVERIFY(m_opened.isEmpty());
}

void TestAbout::openingTwiceShowsTheSameContentAndLeavesNoWindow()
{
    QStringList first;
    QStringList second;
    const auto pressOk = [](TForAbout *window) {
        QTest::mouseClick(window->Button1, Qt::LeftButton);
    };
    Run(pressOk, &first);
    QCOMPARE(TestSupport::VisibleTopLevelCount(), 0);
    Run(pressOk, &second);
    QCOMPARE(first, second);
    QVERIFY(first.contains(QStringLiteral("ORVEL BACKUP")));
    // Released windows are gone once the event loop has run.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(qApp->findChildren<TForAbout *>().isEmpty());
    int aboutWindows = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        aboutWindows += qobject_cast<TForAbout *>(widget) ? 1 : 0;
    QCOMPARE(aboutWindows, 0);
}

void TestAbout::theTitleBandStaysBlackInEveryLook_data()
{
    QTest::addColumn<QString>("look");
    QTest::newRow("system look") << "Windows";
    QTest::newRow("light") << "Light";
    QTest::newRow("dark") << "Cobalt XEMedia";
}

void TestAbout::theTitleBandStaysBlackInEveryLook()
{
    QFETCH(QString, look);
    QVERIFY(Styles::TrySetStyle(look));
    QColor corner;
    Run([&](TForAbout *window) {
        const QImage picture = window->grab().toImage();
        corner = picture.pixelColor(picture.width() - 3, 3);
        QString slug = look.toLower();
        slug.replace(QLatin1Char(' '), QLatin1Char('-'));
        TestSupport::SaveScreenshot(window, QStringLiteral("about-") + slug);
        QTest::keyClick(window, Qt::Key_Escape);
    });
    QCOMPARE(corner, QColor(Qt::black));
    QVERIFY(Styles::TrySetStyle(QStringLiteral("Windows")));
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
