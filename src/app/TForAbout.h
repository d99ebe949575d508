// SPDX-License-Identifier: GPL-3.0-or-later
// The About window: the product's name and version, its logo and the maker's identity.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TForAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TForAbout(QWidget *parent = nullptr);

    // Shows the window modally and releases it on every way out.
    static void Execute();

    // The maker's identity: name, rights line, four address and contact lines, web address.
    static const QStringList MakerLines;

    QLabel *imgLogo;
    QLabel *lblProduct;
    QLabel *lblVersion;
    QLabel *lblWebAddress;
    QPushButton *Button1;

public Q_SLOTS:
    void Button1Click();
};

// The window while Execute shows it.
extern TForAbout *ForAbout;
