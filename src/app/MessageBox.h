// SPDX-License-Identifier: GPL-3.0-or-later
// Every message box of the program goes through this class: four kinds with the toolkit's French
// titles, centred on the screen. Tests queue the next answers, and read back what was asked.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class MessageBox
{
public:
    enum Kind { Warning, Error, Information, Confirmation };
    enum Answer { NoAnswer, Ok, Yes, No, Close };

    struct Shown {
        Kind kind;
        QString title;
        QString text;
        QStringList buttons;
    };

    static void warning(const QString &text);
    static void error(const QString &text);
    static void information(const QString &text);
    // Yes / No; true only for Yes.
    static bool confirm(const QString &text);
    // An error box whose single button bears the given caption (in place of "OK").
    static void errorWithButton(const QString &text, const QString &buttonText);

    // Test seam: while answers are queued, no window opens and each box takes the next answer.
    static void setNextAnswers(const QList<Answer> &answers);
    static int pendingAnswers();
    // Every box asked for since the last reset, whether a window opened or an answer was queued.
    static QList<Shown> shown();
    static void resetSeam();

private:
    static QString titleOf(Kind kind);
    static Answer ask(Kind kind, const QString &text, const QStringList &buttons);
};
