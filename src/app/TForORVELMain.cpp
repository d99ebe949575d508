// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TForORVELMain.h"

#include "app/MessageBox.h"

#include <QCloseEvent>
#include <QMenuBar>

TForORVELMain::TForORVELMain(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("ORVEL BACKUP"));
    resize(1081, 688);

    QMenu *files = menuBar()->addMenu(QStringLiteral("&Files"));
    files->setObjectName(QStringLiteral("Fichiers1"));
    QAction *close = files->addAction(QStringLiteral("&Close"));
    close->setObjectName(QStringLiteral("Quitter1"));
    connect(close, &QAction::triggered, this, &TForORVELMain::Quitter1Click);
}

void TForORVELMain::Quitter1Click()
{
    close();
}

bool TForORVELMain::FormCloseQuery()
{
    return MessageBox::confirm(QStringLiteral("Do you want to leave ORVEL Backup ?"));
}

void TForORVELMain::closeEvent(QCloseEvent *event)
{
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}
