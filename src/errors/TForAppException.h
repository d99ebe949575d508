// SPDX-License-Identifier: GPL-3.0-or-later
// The window that shows an exception that no code caught: its class, a stack line and its
// message under a title band. The details can be saved as a text file.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <exception>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TForAppException : public QDialog
{
    Q_OBJECT
public:
    enum Result { SaveResult = 1, ExitResult = 2, SendResult = 4 };

    explicit TForAppException(QWidget *parent = nullptr);

    // Shows the window modally for the exception and returns the result it closed with
    // (4 Send, 1 Save, 2 Exit, Esc or close box). The window is released on every path.
    static int Execute(const QString &Title, const std::exception &E, const QString &context);

    // The details text, line by line: class, empty line, stack, "informations", the message (one
    // line per line of it), and the hyphen and context lines when the context is not empty.
    static QStringList DetailsLines(const std::exception &E, const QString &context);
    // Writes every line followed by CR LF, in UTF-8 without byte-order mark. Throws
    // EFileSystemError with the system's message when the file cannot be written.
    static void SaveDetails(const QString &fileName, const QStringList &lines);

    // Asks for a file name and saves the details there; a failure shows an error box.
    void btnSaveClick();

    QLabel *pnTitle = nullptr;
    QPlainTextEdit *mmDetails = nullptr;
    QPushButton *btnSend = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnExit = nullptr;

public Q_SLOTS:
    // Esc and the close box end here: they close the window as Exit does.
    void reject() override;
};
