// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MessageBox.h"

#include "TestSupport.h"

#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

class TestMessageBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void queuedAnswersAreTakenInOrder();
    void confirmIsTrueOnlyForYes_data();
    void confirmIsTrueOnlyForYes();
    void realBoxesHaveTheFrenchTitlesAndButtons_data();
    void realBoxesHaveTheFrenchTitlesAndButtons();
    void escapeOnAConfirmationAnswersNo();
    void errorWithButtonShowsOnlyThatButton();
};

void TestMessageBox::cleanup()
{
    MessageBox::resetSeam();
    QCOMPARE(TestSupport::VisibleTopLevelCount(), 0);
}

void TestMessageBox::queuedAnswersAreTakenInOrder()
{
    MessageBox::setNextAnswers({MessageBox::Yes, MessageBox::No, MessageBox::Ok});
    QVERIFY(MessageBox::confirm(QStringLiteral("first")));
    QVERIFY(!MessageBox::confirm(QStringLiteral("second")));
    MessageBox::warning(QStringLiteral("third"));
    QCOMPARE(MessageBox::pendingAnswers(), 0);
    const auto shown = MessageBox::shown();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown.at(0).title, QStringLiteral("Confirmer"));
    QCOMPARE(shown.at(0).text, QStringLiteral("first"));
    QCOMPARE(shown.at(0).buttons, (QStringList{"&Oui", "&Non"}));
    QCOMPARE(shown.at(2).title, QStringLiteral("Avertissement"));
    QCOMPARE(shown.at(2).buttons, QStringList{"OK"});
}

void TestMessageBox::confirmIsTrueOnlyForYes_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("expected");
    QTest::newRow("yes") << int(MessageBox::Yes) << true;
    QTest::newRow("no") << int(MessageBox::No) << false;
    QTest::newRow("ok") << int(MessageBox::Ok) << false;
    QTest::newRow("close") << int(MessageBox::Close) << false;
}

void TestMessageBox::confirmIsTrueOnlyForYes()
{
    QFETCH(int, answer);
    QFETCH(bool, expected);
    MessageBox::setNextAnswers({MessageBox::Answer(answer)});
    QCOMPARE(MessageBox::confirm(QStringLiteral("go on ?")), expected);
}

void TestMessageBox::realBoxesHaveTheFrenchTitlesAndButtons_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("click");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("warning") << int(MessageBox::Warning) << "Avertissement" << QStringList{"OK"}
                             << "OK" << false;
    QTest::newRow("error") << int(MessageBox::Error) << "Erreur" << QStringList{"OK"} << "OK"
                           << false;
    QTest::newRow("information") << int(MessageBox::Information) << "Informations"
                                 << QStringList{"OK"} << "OK" << false;
    QTest::newRow("confirmation, yes") << int(MessageBox::Confirmation) << "Confirmer"
                                       << QStringList{"&Oui", "&Non"} << "&Oui" << true;
    QTest::newRow("confirmation, no") << int(MessageBox::Confirmation) << "Confirmer"
                                      << QStringList{"&Oui", "&Non"} << "&Non" << false;
}

void TestMessageBox::realBoxesHaveTheFrenchTitlesAndButtons()
{
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QStringList, buttons);
    QFETCH(QString, click);
    QFETCH(bool, confirmed);

    QString seenTitle;
    QStringList seenButtons;
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        seenTitle = box->windowTitle();
        QPushButton *target = nullptr;
        for (QAbstractButton *button : box->buttons()) {
            seenButtons.append(button->text());
            if (button->text() == click)
                target = qobject_cast<QPushButton *>(button);
        }
        QVERIFY(target);
        target->click();
    });

    bool answer = false;
    switch (MessageBox::Kind(kind)) {
    case MessageBox::Warning:
        MessageBox::warning(QStringLiteral("text"));
        break;
    case MessageBox::Error:
        MessageBox::error(QStringLiteral("text"));
        break;
    case MessageBox::Information:
        MessageBox::information(QStringLiteral("text"));
        break;
    case MessageBox::Confirmation:
        answer = MessageBox::confirm(QStringLiteral("text"));
        break;
    }
    QCOMPARE(seenTitle, title);
    seenButtons.sort();
    buttons.sort();
    QCOMPARE(seenButtons, buttons);
    QCOMPARE(answer, confirmed);
}

void TestMessageBox::escapeOnAConfirmationAnswersNo()
{
    TestSupport::OnNextModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QVERIFY(!MessageBox::confirm(QStringLiteral("leave ?")));
}

void TestMessageBox::errorWithButtonShowsOnlyThatButton()
{
    QStringList seenButtons;
    TestSupport::OnNextModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        for (QAbstractButton *button : box->buttons())
            seenButtons.append(button->text());
        box->buttons().constFirst()->click();
    });
    MessageBox::errorWithButton(QStringLiteral("Style 'x' non trouvé"), QStringLiteral("Close"));
    QCOMPARE(seenButtons, QStringList{"Close"});
    QCOMPARE(MessageBox::shown().constFirst().title, QStringLiteral("Erreur"));
}

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
