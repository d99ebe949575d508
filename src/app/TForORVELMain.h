// SPDX-License-Identifier: GPL-3.0-or-later
// The main window. Every attempt to close it asks the user first.
#pragma once

#include <QMainWindow>

class TForORVELMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForORVELMain(QWidget *parent = nullptr);

public Q_SLOTS:
    // Asks the window to close, exactly as its close box does.
    void Quitter1Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Asks "Do you want to leave ORVEL Backup ?"; true only on Yes.
    bool FormCloseQuery();
};
