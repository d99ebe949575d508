// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace
{
QList<MessageBox::Answer> &queuedAnswers()
{
    static QList<MessageBox::Answer> answers;
    return answers;
}

QList<MessageBox::Shown> &shownBoxes()
{
    static QList<MessageBox::Shown> boxes;
    return boxes;
}

const QString OkCaption = QStringLiteral("OK");
const QString YesCaption = QStringLiteral("&Oui");
const QString NoCaption = QStringLiteral("&Non");

QMessageBox::Icon iconOf(MessageBox::Kind kind)
{
    switch (kind) {
    case MessageBox::Warning:
        return QMessageBox::Warning;
    case MessageBox::Error:
        return QMessageBox::Critical;
    case MessageBox::Information:
        return QMessageBox::Information;
    case MessageBox::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

MessageBox::Answer answerOfCaption(const QString &caption)
{
    if (caption == YesCaption)
        return MessageBox::Yes;
    if (caption == NoCaption)
        return MessageBox::No;
    if (caption == OkCaption)
        return MessageBox::Ok;
    return MessageBox::Close;
}
} // namespace

QString MessageBox::titleOf(Kind kind)
{
    switch (kind) {
    case Warning:
        return QStringLiteral("Avertissement");
    case Error:
        return QStringLiteral("Erreur");
    case Information:
        return QStringLiteral("Informations");
    case Confirmation:
        return QStringLiteral("Confirmer");
    }
    return QString();
}

void MessageBox::warning(const QString &text)
{
    ask(Warning, text, {OkCaption});
}

void MessageBox::error(const QString &text)
{
    ask(Error, text, {OkCaption});
}

void MessageBox::information(const QString &text)
{
    ask(Information, text, {OkCaption});
}

bool MessageBox::confirm(const QString &text)
{
    return ask(Confirmation, text, {YesCaption, NoCaption}) == Yes;
}

void MessageBox::errorWithButton(const QString &text, const QString &buttonText)
{
    ask(Error, text, {buttonText});
}

MessageBox::Answer MessageBox::ask(Kind kind, const QString &text, const QStringList &buttons)
{
    shownBoxes().append({kind, titleOf(kind), text, buttons});
    if (!queuedAnswers().isEmpty())
        return queuedAnswers().takeFirst();

    QMessageBox box(iconOf(kind), titleOf(kind), text);
    QList<QPushButton *> pushButtons;
    for (const QString &caption : buttons) {
        const auto role = caption == NoCaption ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
        pushButtons.append(box.addButton(caption, role));
    }
    box.setDefaultButton(pushButtons.first());
    box.setEscapeButton(pushButtons.last());
    box.adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = box.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        box.move(frame.topLeft());
    }
    box.exec();
    const auto *clicked = qobject_cast<QPushButton *>(box.clickedButton());
    if (!clicked)
        return kind == Confirmation ? No : answerOfCaption(buttons.first());
    return answerOfCaption(clicked->text());
}

void MessageBox::setNextAnswers(const QList<Answer> &answers)
{
    queuedAnswers() = answers;
}

int MessageBox::pendingAnswers()
{
    return int(queuedAnswers().size());
}

QList<MessageBox::Shown> MessageBox::shown()
{
    return shownBoxes();
}

void MessageBox::resetSeam()
{
    queuedAnswers().clear();
    shownBoxes().clear();
}
