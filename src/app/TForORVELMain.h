// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: a menu and a decorative picture. Every piece of work happens in the modal
// dialogs that the menu opens, and every attempt to close the window asks the user first.
#pragma once

#include <QMainWindow>

class QAction;
class QMenu;

class TForORVELMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForORVELMain(QWidget *parent = nullptr);

    QMenuBar *MainMenuApp = nullptr;
    QWidget *Image1 = nullptr;

public Q_SLOTS:
    // Files > Export: every configured table.
    void Sauvegarder1Click();
    // Files > Import: the configured tables whose data file is found.
    void Restaurer1Click();
    void Configuration1Click();
    // Asks the window to close, exactly as its close box does.
    void Quitter1Click();
    void Apropos1Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Asks "Do you want to leave ORVEL Backup ?"; true only on Yes.
    bool FormCloseQuery();
};
