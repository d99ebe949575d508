// SPDX-License-Identifier: GPL-3.0-or-later
// The report window: the console output of every bulk copy of a finished transfer, read-only.
#pragma once

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;
class QPushButton;

class TForReporting : public QDialog
{
    Q_OBJECT
public:
    // The modal result of the Close button.
    static constexpr int CloseResult = 8;

    explicit TForReporting(QWidget *parent = nullptr);

    // Shows the report modally until the user closes it; the list is only read.
    static void Execute(const QStringList &value);

    // Every entry followed by CR LF, with each lone CR and lone LF turned into CR LF.
    static QString ReportText(const QStringList &value);

    QPlainTextEdit *mmReport = nullptr;
    QPushButton *btnSave = nullptr;
};
