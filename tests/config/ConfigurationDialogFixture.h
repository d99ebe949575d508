// SPDX-License-Identifier: GPL-3.0-or-later
// What the Configuration dialog tests share: a configuration on a scratch file, and helpers that
// run the real dialog and answer the table entry dialog it opens.
#pragma once

#include "config/TForConfiguration.h"
#include "config/TForTableInfo.h"
#include "config/cConfiguration.h"

#include "TestSupport.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <functional>

namespace ConfigurationDialogFixture
{
// Runs TForConfiguration::Execute while `drive` acts on the open dialog; a dialog that `drive`
// leaves open is cancelled. *driven tells whether the dialog showed at all.
inline bool RunDialog(std::function<void(TForConfiguration *)> drive, bool *driven)
{
    *driven = false;
    TestSupport::OnNextModal([drive, driven](QWidget *modal) {
        auto *dialog = qobject_cast<TForConfiguration *>(modal);
        if (!dialog)
            return;
        *driven = true;
        drive(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    return TForConfiguration::Execute();
}

// Answers the next table entry dialog: fills it with the entry and presses Valid, or Cancel when
// `confirm` is false. *shown receives what the dialog showed when it opened.
inline void AnswerTableInfo(const rTableInformation &entry, bool confirm,
                            rTableInformation *shown = nullptr)
{
    TestSupport::OnNextModal([entry, confirm, shown](QWidget *modal) {
        auto *dialog = qobject_cast<TForTableInfo *>(modal);
        if (!dialog)
            return;
        if (shown)
            *shown = {dialog->edTableName->text(), dialog->mmScript->toPlainText(),
                      dialog->edFileName->text()};
        dialog->edTableName->setText(entry.tablename);
        dialog->mmScript->setPlainText(entry.script);
        dialog->edFileName->setText(entry.filename);
        QTest::mouseClick(confirm ? dialog->btnValid : dialog->btnCancel, Qt::LeftButton);
    });
}

inline QStringList ColumnTexts(const QTableWidget *grid, int column)
{
    QStringList texts;
    for (int row = 0; row < grid->rowCount(); ++row)
        texts.append(grid->item(row, column) ? grid->item(row, column)->text() : QString());
    return texts;
}
} // namespace ConfigurationDialogFixture
