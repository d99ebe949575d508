// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/TForReporting.h"

#include "app/Tools.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QVBoxLayout>

TForReporting::TForReporting(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ForReporting"));
    setWindowTitle(QStringLiteral("Report"));
    setWindowFlag(Qt::Tool);
    setSizeGripEnabled(true);

    mmReport = new QPlainTextEdit(this);
    mmReport->setObjectName(QStringLiteral("mmReport"));
    mmReport->setReadOnly(true);
    mmReport->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    mmReport->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mmReport->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mmReport->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto *pn = new QWidget(this);
    pn->setObjectName(QStringLiteral("pn"));
    pn->setFixedHeight(41);
    btnSave = new QPushButton(QStringLiteral("Close"), pn);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnSave->setFixedSize(75, 25);
    btnSave->setCursor(Qt::PointingHandCursor);
    btnSave->setDefault(true);
    btnSave->setAutoDefault(true);
    connect(btnSave, &QPushButton::clicked, this, [this] { done(CloseResult); });
    auto *pnLayout = new QHBoxLayout(pn);
    pnLayout->setContentsMargins(8, 8, 8, 8);
    pnLayout->addWidget(btnSave);
    pnLayout->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mmReport, 1);
    layout->addWidget(pn);

    resize(594, 546);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

QString TForReporting::ReportText(const QStringList &value)
{
    QString joined;
    for (const QString &entry : value)
        joined += entry + QStringLiteral("\r\n");

    QString text;
    text.reserve(joined.size() + joined.size() / 8);
    for (qsizetype i = 0; i < joined.size(); ++i) {
        const QChar c = joined.at(i);
        if (c == QLatin1Char('\r')) {
            text += QStringLiteral("\r\n");
            if (i + 1 < joined.size() && joined.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            text += QStringLiteral("\r\n");
        } else {
            text += c;
        }
    }
    return text;
}

void TForReporting::Execute(const QStringList &value)
{
    auto *form = new TForReporting();
    const auto release = qScopeGuard([&form] { ReleaseForm(form); });
    form->mmReport->setPlainText(ReportText(value));
    form->exec();
}
