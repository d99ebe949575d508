// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/TForTableInfo.h"

#include "app/FileDialog.h"
#include "app/MessageBox.h"
#include "app/Styles.h"
#include "app/Tools.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

TForTableInfo *ForTableInfo = nullptr;

namespace
{
const QString CrLf = QStringLiteral("\r\n");

QLabel *BoldLabel(const QString &text, const QWidget *form)
{
    auto *label = new QLabel(text);
    QFont font = form->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}
} // namespace

TForTableInfo::TForTableInfo(QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("ForTableInfo"));
    setWindowTitle(QStringLiteral("Table Import Information"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(645, 309);

    edTableName = new QLineEdit;
    edTableName->setObjectName(QStringLiteral("edTableName"));
    edTableName->setFixedWidth(265);
    mmScript = new QPlainTextEdit;
    mmScript->setObjectName(QStringLiteral("mmScript"));
    QFont scriptFont(QStringLiteral("Courier New"), 9);
    scriptFont.setStyleHint(QFont::Monospace);
    mmScript->setFont(scriptFont);
    mmScript->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    mmScript->setTabChangesFocus(true);
    mmScript->setFixedSize(465, 129);
    edFileName = new QLineEdit;
    edFileName->setObjectName(QStringLiteral("edFileName"));
    edFileName->setFixedWidth(465);
    Button1 = new QPushButton(QStringLiteral("..."));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedSize(26, 25);
    Button1->setCursor(Qt::PointingHandCursor);
    Button1->setAutoDefault(false);
    btnValid = new QPushButton(QStringLiteral("Valid"));
    btnValid->setObjectName(QStringLiteral("btnValid"));
    btnValid->setFixedSize(75, 25);
    btnValid->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setFixedSize(75, 25);
    btnCancel->setCursor(Qt::PointingHandCursor);
    btnCancel->setAutoDefault(false);

    auto *fields = new QGridLayout;
    fields->setContentsMargins(39, 30, 20, 10);
    fields->setHorizontalSpacing(10);
    fields->setVerticalSpacing(10);
    fields->addWidget(BoldLabel(QStringLiteral("Table Name"), this), 0, 0);
    fields->addWidget(edTableName, 0, 1, Qt::AlignLeft);
    auto *scriptLabel = BoldLabel(QStringLiteral("Script"), this);
    fields->addWidget(scriptLabel, 1, 0, Qt::AlignTop);
    fields->addWidget(mmScript, 1, 1, Qt::AlignLeft);
    fields->addWidget(BoldLabel(QStringLiteral("File Name"), this), 2, 0);
    auto *fileRow = new QHBoxLayout;
    fileRow->setSpacing(0);
    fileRow->addWidget(edFileName);
    fileRow->addWidget(Button1);
    fileRow->addStretch();
    fields->addLayout(fileRow, 2, 1);
    fields->setColumnStretch(2, 1);
    fields->setRowStretch(3, 1);

    auto *bottomBar = new QWidget;
    bottomBar->setObjectName(QStringLiteral("pnBottom"));
    bottomBar->setFixedHeight(41);
    auto *buttons = new QHBoxLayout(bottomBar);
    buttons->setContentsMargins(8, 8, 8, 8);
    buttons->setSpacing(5);
    buttons->addWidget(btnValid);
    buttons->addWidget(btnCancel);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(fields, 1);
    layout->addWidget(bottomBar);

    setTabOrder(btnValid, btnCancel);
    setTabOrder(btnCancel, edTableName);
    setTabOrder(edTableName, mmScript);
    setTabOrder(mmScript, edFileName);
    setTabOrder(edFileName, Button1);

    connect(btnValid, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button1, &QPushButton::clicked, this, &TForTableInfo::Button1Click);
    edTableName->setFocus();
    Styles::KeepFormFont(this);
}

QString TForTableInfo::ScriptToMemoText(const QString &script)
{
    QString text = script;
    text.replace(CrLf, QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString TForTableInfo::ScriptFromMemo(const QPlainTextEdit *memo)
{
    // Block by block rather than toPlainText(), which would turn non-breaking spaces into blanks.
    QStringList lines;
    for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next()) {
        QString line = block.text();
        line.replace(QChar::LineSeparator, CrLf);
        lines.append(line);
    }
    return lines.join(CrLf);
}

bool TForTableInfo::FormCloseQuery(int result)
{
    if (result != QDialog::Accepted)
        return true;
    if (edTableName->text().isEmpty()) {
        MessageBox::warning(QStringLiteral("The name of the table is mandatory"));
        edTableName->setFocus();
        return false;
    }
    if (edFileName->text().isEmpty()) {
        MessageBox::warning(QStringLiteral("The file name is mandatory"));
        edFileName->setFocus();
        return false;
    }
    return true;
}

void TForTableInfo::done(int result)
{
    if (FormCloseQuery(result))
        QDialog::done(result);
}

void TForTableInfo::Button1Click()
{
    const QString chosen = FileDialog::getSaveFileName(this, QStringLiteral("Save your file dat"),
                                                       BackupPath, QStringLiteral(".dat"));
    if (!chosen.isEmpty())
        edFileName->setText(FileNamePart(chosen));
}

bool TForTableInfo::Execute(rTableInformation &TableInfo)
{
    ForTableInfo = new TForTableInfo;
    try {
        ForTableInfo->edTableName->setText(TableInfo.tablename);
        ForTableInfo->mmScript->setPlainText(ScriptToMemoText(TableInfo.script));
        ForTableInfo->edFileName->setText(TableInfo.filename);
        const bool confirmed = ForTableInfo->exec() == QDialog::Accepted;
        if (confirmed)
            TableInfo = {ForTableInfo->edTableName->text(), ScriptFromMemo(ForTableInfo->mmScript),
                         ForTableInfo->edFileName->text()};
        ReleaseForm(ForTableInfo);
        return confirmed;
    } catch (...) {
        ReleaseForm(ForTableInfo);
        throw;
    }
}
