// SPDX-License-Identifier: GPL-3.0-or-later
// The table entry dialog: one entry of the table list (table name, optional script, backup file
// name). The entry comes back only when the user confirms with Valid, which needs a table name
// and a file name.
#pragma once

#include "config/cConfiguration.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TForTableInfo : public QDialog
{
    Q_OBJECT
public:
    explicit TForTableInfo(QWidget *parent = nullptr);

    // Shows the dialog on the entry; true, and the entry replaced by the fields, when it closed
    // with Valid. Any other way out leaves the entry as it was.
    static bool Execute(rTableInformation &TableInfo);

    // The script as the memo shows it: a carriage return with a line feed, a lone carriage return
    // and a lone line feed each become one line break.
    static QString ScriptToMemoText(const QString &script);
    // The memo's text with its lines joined by carriage return and line feed, no break added at
    // the end.
    static QString ScriptFromMemo(const QPlainTextEdit *memo);

    // Closing with OK is refused while a mandatory field is empty; any other result is allowed.
    void done(int result) override;

    QLineEdit *edTableName;
    QPlainTextEdit *mmScript;
    QLineEdit *edFileName;
    QPushButton *Button1;
    QPushButton *btnValid;
    QPushButton *btnCancel;

public Q_SLOTS:
    // "...": picks a file in the backup folder; only its name part goes into the file name field.
    void Button1Click();

private:
    bool FormCloseQuery(int result);
};

// The dialog while Execute shows it.
extern TForTableInfo *ForTableInfo;
