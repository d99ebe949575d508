// SPDX-License-Identifier: GPL-3.0-or-later
// The exception window, its saved details, and the application-wide handler that the data
// module installs.
#include "TestSupport.h"

#include "app/FileDialog.h"
#include "app/MessageBox.h"
#include "app/TApplication.h"
#include "app/Tools.h"
#include "database/TModule.h"
#include "errors/Exceptions.h"
#include "errors/TForAppException.h"

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>
#include <stdexcept>

namespace
{
std::unique_ptr<std::exception> MakeException(const QString &kind, const QString &message)
{
    if (kind == "EDatabaseError")
        return std::make_unique<EDatabaseError>(message);
    if (kind == "EXmlFileError")
        return std::make_unique<EXmlFileError>(message);
    if (kind == "EFileSystemError")
        return std::make_unique<EFileSystemError>(message);
    return std::make_unique<std::runtime_error>(message.toStdString());
}

QByteArray CrLfLines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

TForAppException *AsExceptionWindow(QWidget *modal)
{
    return qobject_cast<TForAppException *>(modal);
}
} // namespace

class TestAppException : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void detailsLines_data();
    void detailsLines();
    void windowShowsTitleAndDetailsInItsLayout();
    void everyWayOutGivesItsResult_data();
    void everyWayOutGivesItsResult();
    void saveWritesEveryLineWithCrLf_data();
    void saveWritesEveryLineWithCrLf();
    void saveCancelledWritesNothing();
    void saveIntoAFolderThatCannotBeWrittenShowsTheErrorBox_data();
    void saveIntoAFolderThatCannotBeWrittenShowsTheErrorBox();
    void handlerShowsEveryExceptionOfAnEventAndTheLoopGoesOn();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QTemporaryDir &Folder() { return *m_dir; }
};

void TestAppException::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    BackupPath = m_dir->path() + "/";
}

void TestAppException::cleanup()
{
    MessageBox::resetSeam();
    FileDialog::resetSeam();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(TestSupport::VisibleTopLevelCount(), 0);
}

void TestAppException::detailsLines_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("context");
    QTest::addColumn<QStringList>("expected");
    const QString stack = "   stack []";
    const QString informations = "   informations : ";
    QTest::newRow("empty message keeps the fifth line")
        << "EDatabaseError"
        << ""
        << "" << QStringList{"Exception class (EDatabaseError) : ", "", stack, informations, ""};
    QTest::newRow("message of several lines")
        << "EXmlFileError"
        << "first\nsecond\r\nthird"
        << "" << QStringList{"Exception class (EXmlFileError) : ",
                             "",
                             stack,
                             informations,
                             "first",
                             "second",
                             "third"};
    QTest::newRow("context adds the hyphen and context lines")
        << "EFileSystemError"
        << "disk full"
        << "while saving"
        << QStringList{"Exception class (EFileSystemError) : ",
                       "",
                       stack,
                       informations,
                       "disk full",
                       "-----------------------------",
                       "context { while saving} : "};
    QTest::newRow("exception of the standard library")
        << "std::runtime_error"
        << "boom"
        << ""
        << QStringList{"Exception class (std::runtime_error) : ", "", stack, informations, "boom"};
}

void TestAppException::detailsLines()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QFETCH(QString, context);
    QFETCH(QStringList, expected);
    const auto error = MakeException(kind, message);
    QCOMPARE(TForAppException::DetailsLines(*error, context), expected);
}

void TestAppException::windowShowsTitleAndDetailsInItsLayout()
{
    const EDatabaseError error("Login failed for user 'sa'.\nSecond line");
    bool inspected = false;
    TestSupport::OnNextModal([&](QWidget *modal) {
        TForAppException *form = AsExceptionWindow(modal);
        QVERIFY(form);
        inspected = true;
        QCOMPARE(form->windowTitle(), QString("Application Exception Informations"));
        QVERIFY(form->windowFlags().testFlag(Qt::Tool));
        QCOMPARE(form->size(), QSize(497, 391));
        QCOMPARE(form->font().family(), QString("Tahoma"));
        QCOMPARE(form->font().pixelSize(), 11);

        QCOMPARE(form->pnTitle->text(), QString("The title"));
        QCOMPARE(form->pnTitle->height(), 41);
        QCOMPARE(form->pnTitle->geometry().top(), 0);
        QCOMPARE(form->pnTitle->width(), form->width());
        QVERIFY(form->pnTitle->alignment().testFlag(Qt::AlignLeft));
        QCOMPARE(form->pnTitle->font().family(), QString("Arial Narrow"));
        QVERIFY(form->pnTitle->font().bold());
        QCOMPARE(form->pnTitle->font().pixelSize(), 13);

        QCOMPARE(form->mmDetails->toPlainText(),
                 TForAppException::DetailsLines(error, "ctx").join('\n'));
        QVERIFY(form->mmDetails->isReadOnly());
        QCOMPARE(form->mmDetails->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(form->mmDetails->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(form->mmDetails->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(form->mmDetails->frameShadow(), QFrame::Sunken);
        QCOMPARE(form->mmDetails->font().family(), QString("Courier New"));
        QCOMPARE(form->mmDetails->font().pixelSize(), 12);
        QCOMPARE(form->mmDetails->geometry().top(), 41);
        QCOMPARE(form->mmDetails->geometry().bottom(), form->height() - 41 - 1);

        const QList<QPushButton *> buttons{form->btnSend, form->btnSave, form->btnExit};
        const QStringList captions{"Send", "Save", "Exit"};
        const int lefts[] = {8, 88, 168};
        for (int i = 0; i < buttons.size(); ++i) {
            QPushButton *button = buttons.at(i);
            QCOMPARE(button->text(), captions.at(i));
            QCOMPARE(button->size(), QSize(75, 25));
            QCOMPARE(button->pos(), QPoint(lefts[i], 8));
            QCOMPARE(button->parentWidget()->height(), 41);
            QCOMPARE(button->mapTo(form, QPoint(0, 0)).y(), form->height() - 41 + 8);
            QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
        }
        TestSupport::SaveScreenshot(form, "exception-window");
        QTest::mouseClick(form->btnExit, Qt::LeftButton);
    });
    const int result = TForAppException::Execute("The title", error, "ctx");
    QVERIFY(inspected);
    QCOMPARE(result, 2);
}

void TestAppException::everyWayOutGivesItsResult_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("expected");
    QTest::newRow("Send") << "Send" << 4;
    QTest::newRow("Save, then Cancel") << "Save" << 1;
    QTest::newRow("Exit") << "Exit" << 2;
    QTest::newRow("Esc") << "Esc" << 2;
    QTest::newRow("close box") << "close" << 2;
}

void TestAppException::everyWayOutGivesItsResult()
{
    QFETCH(QString, way);
    QFETCH(int, expected);
    FileDialog::setNextAnswers({QString()});
    QPointer<TForAppException> shown;
    TestSupport::OnNextModal([&](QWidget *modal) {
        shown = AsExceptionWindow(modal);
        QVERIFY(shown);
        if (way == "Send")
            QTest::mouseClick(shown->btnSend, Qt::LeftButton);
        else if (way == "Save")
            QTest::mouseClick(shown->btnSave, Qt::LeftButton);
        else if (way == "Exit")
            QTest::mouseClick(shown->btnExit, Qt::LeftButton);
        else if (way == "Esc")
            QTest::keyClick(shown, Qt::Key_Escape);
        else
            shown->close();
    });
    QCOMPARE(TForAppException::Execute("Title", EDatabaseError("boom"), QString()), expected);
    QVERIFY(shown);
    QVERIFY(!shown->isVisible());
    // Released: gone once control is back in the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!shown);
}

void TestAppException::saveWritesEveryLineWithCrLf_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("written");
    QTest::newRow("name without extension gets .txt") << "details"
                                                      << "details.txt";
    QTest::newRow("another extension is kept") << "details.log"
                                               << "details.log";
    QTest::newRow("an existing file is replaced") << "existing.txt"
                                                  << "existing.txt";
}

void TestAppException::saveWritesEveryLineWithCrLf()
{
    QFETCH(QString, answer);
    QFETCH(QString, written);
    TestSupport::WriteFile(Folder().filePath("existing.txt"), "old content that is longer\r\n");
    const QString longLine = QString("x").repeated(400);
    const EFileSystemError error("first line\n" + longLine + "\nlast line");
    FileDialog::setNextAnswers({Folder().filePath(answer)});
    TestSupport::OnNextModal([](QWidget *modal) {
        QTest::mouseClick(AsExceptionWindow(modal)->btnSave, Qt::LeftButton);
    });
    QCOMPARE(TForAppException::Execute("Title", error, "ctx"), 1);

    const QByteArray expected = CrLfLines(TForAppException::DetailsLines(error, "ctx"));
    QCOMPARE(TestSupport::ReadFile(Folder().filePath(written)), expected);
    QVERIFY(expected.contains("\r\n" + longLine.toUtf8() + "\r\n"));
    QVERIFY(expected.endsWith("context { ctx} : \r\n"));
    QVERIFY(MessageBox::shown().isEmpty());

    const QList<FileDialog::Request> requests = FileDialog::requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.at(0).kind, QString("save"));
    QCOMPARE(requests.at(0).title, QString("save exception from file"));
    QCOMPARE(requests.at(0).folder, BackupPath);
    QCOMPARE(requests.at(0).defaultSuffix, QString(".txt"));
}

void TestAppException::saveCancelledWritesNothing()
{
    FileDialog::setNextAnswers({QString()});
    TestSupport::OnNextModal([](QWidget *modal) {
        QTest::mouseClick(AsExceptionWindow(modal)->btnSave, Qt::LeftButton);
    });
    QCOMPARE(TForAppException::Execute("Title", EDatabaseError("boom"), QString()), 1);
    QCOMPARE(QDir(Folder().path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(FileDialog::requests().size(), 1);
}

void TestAppException::saveIntoAFolderThatCannotBeWrittenShowsTheErrorBox_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("missing folder") << QDir::temp().filePath(
        QString("orvel-missing-%1/details.txt").arg(QCoreApplication::applicationPid()));
    QTest::newRow("folder of the kernel") << "/proc/orvel-details.txt";
}

void TestAppException::saveIntoAFolderThatCannotBeWrittenShowsTheErrorBox()
{
    QFETCH(QString, fileName);
    FileDialog::setNextAnswers({fileName});
    MessageBox::setNextAnswers({MessageBox::Ok});
    TestSupport::OnNextModal([](QWidget *modal) {
        QTest::mouseClick(AsExceptionWindow(modal)->btnSave, Qt::LeftButton);
    });
    QCOMPARE(TForAppException::Execute("Title", EDatabaseError("boom"), QString()), 1);
    QVERIFY(!QFileInfo::exists(fileName));
    const QList<MessageBox::Shown> boxes = MessageBox::shown();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.at(0).kind, MessageBox::Error);
    QCOMPARE(boxes.at(0).title, QString("Erreur"));
    QCOMPARE(boxes.at(0).buttons, QStringList{"OK"});
    const QString prefix = "save file exception error: ";
    QVERIFY2(boxes.at(0).text.startsWith(prefix), qPrintable(boxes.at(0).text));
    QVERIFY2(boxes.at(0).text.size() > prefix.size(), "the system's message is missing");
}

void TestAppException::handlerShowsEveryExceptionOfAnEventAndTheLoopGoesOn()
{
    TModule module;
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *failing = new QPushButton("Fail", &window);
    auto *working = new QPushButton("Work", &window);
    layout->addWidget(failing);
    layout->addWidget(working);
    int clicks = 0;
    connect(failing, &QPushButton::clicked, &window,
            [] { throw EDatabaseError("cannot truncate\nthe table"); });
    connect(working, &QPushButton::clicked, &window, [&clicks] { ++clicks; });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QStringList titles;
    QStringList details;
    const auto answerWith = [&](int button) {
        TestSupport::OnNextModal([&, button](QWidget *modal) {
            TForAppException *form = AsExceptionWindow(modal);
            QVERIFY(form);
            titles << form->pnTitle->text();
            details << form->mmDetails->toPlainText();
            QPushButton *buttons[] = {form->btnSend, form->btnSave, form->btnExit};
            if (buttons[button] == form->btnSave)
                FileDialog::setNextAnswers({QString()});
            QTest::mouseClick(buttons[button], Qt::LeftButton);
        });
    };

    // Each button of the window ends the same way: nothing further happens.
    for (int button = 0; button < 3; ++button) {
        answerWith(button);
        QTest::mouseClick(failing, Qt::LeftButton);
        QCOMPARE(titles.size(), button + 1);
        QTest::mouseClick(working, Qt::LeftButton);
        QCOMPARE(clicks, button + 1);
    }
    QCOMPARE(titles, QStringList(3, "ORVEL BACKUP General"));
    const QString expected =
        TForAppException::DetailsLines(EDatabaseError("cannot truncate\nthe table"), QString())
            .join('\n');
    QCOMPARE(details, QStringList(3, expected));
    QVERIFY(!expected.contains("-----"));

    // An exception raised by a timer, from the event loop itself.
    answerWith(2);
    QTimer::singleShot(0, &window, [] { throw std::runtime_error("from a timer"); });
    QTRY_COMPARE(titles.size(), 4);
    QVERIFY(details.last().startsWith("Exception class (std::runtime_error) : "));
    QTest::mouseClick(working, Qt::LeftButton);
    QCOMPARE(clicks, 4);
    window.close();
}

int main(int argc, char **argv)
{
    TApplication application(argc, argv);
    TestAppException test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appexception.moc"
