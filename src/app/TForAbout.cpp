// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TForAbout.h"

#include "app/Styles.h"
#include "app/Tools.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

// Outside any namespace, as Qt's resource initialiser requires.
static void InitLogoResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(configuration);
        return true;
    }();
    Q_UNUSED(registered);
}

TForAbout *ForAbout = nullptr;

const QStringList TForAbout::MakerLines = {
    QStringLiteral("Quillmoor Data Tools"),
    QStringLiteral("\u00a9 2026 Quillmoor Data Tools. All rights reserved."),
    QStringLiteral("7 Imaginary Lane, 00000 Nowhere Town"),
    QStringLiteral("Tel. +00 000 000 001"),
    QStringLiteral("Fax +00 000 000 002"),
    QStringLiteral("contact@quillmoor.example"),
    QStringLiteral("www.quillmoor.example"),
};

namespace
{
QLabel *Line(const QString &text)
{
    auto *label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}
} // namespace

TForAbout::TForAbout(QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    InitLogoResources();
    setObjectName(QStringLiteral("ForAbout"));
    setWindowTitle(QStringLiteral("About"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    setFont(font);
    setFixedSize(402, 370);

    // The band stays black in every look: its own style sheet outranks the application's.
    auto *band = new QWidget;
    band->setObjectName(QStringLiteral("pnTitle"));
    band->setAttribute(Qt::WA_StyledBackground);
    band->setStyleSheet(QStringLiteral("#pnTitle { background-color: black; }"));
    band->setFixedHeight(55);
    imgLogo = new QLabel;
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(QIcon(QStringLiteral(":/images/logo.svg")).pixmap(QSize(184, 53)));
    imgLogo->setFixedSize(184, 53);
    auto *bandLayout = new QHBoxLayout(band);
    bandLayout->setContentsMargins(0, 1, 0, 1);
    bandLayout->addWidget(imgLogo);
    bandLayout->addStretch();

    lblProduct = Line(QStringLiteral("ORVEL BACKUP"));
    lblProduct->setObjectName(QStringLiteral("lblProduct"));
    QFont productFont(QStringLiteral("Tahoma"));
    productFont.setPixelSize(21);
    productFont.setBold(true);
    lblProduct->setFont(productFont);
    lblVersion = Line(QStringLiteral("version 1.0"));
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    auto *maker = new QVBoxLayout;
    maker->setSpacing(2);
    maker->addWidget(Line(MakerLines.at(0)));
    maker->addWidget(Line(MakerLines.at(1)));
    maker->addSpacing(10);
    for (int i = 2; i < 6; ++i)
        maker->addWidget(Line(MakerLines.at(i)));

    // Shown as an address, but it opens nothing: it is no link.
    lblWebAddress = Line(MakerLines.at(6));
    lblWebAddress->setObjectName(QStringLiteral("lblWebAddress"));
    // Blue in every look: a deep blue on light backgrounds, a light one on dark backgrounds.
    const bool darkLook = palette().color(QPalette::Window).lightnessF() < 0.5;
    lblWebAddress->setStyleSheet(
        QStringLiteral("#lblWebAddress { color: %1; text-decoration: "
                       "underline; }")
            .arg(darkLook ? QStringLiteral("#7ab8ff") : QStringLiteral("#0000ee")));
    lblWebAddress->setCursor(Qt::PointingHandCursor);
    lblWebAddress->setTextInteractionFlags(Qt::NoTextInteraction);

    Button1 = new QPushButton(QStringLiteral("OK"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedSize(75, 25);
    Button1->setCursor(Qt::PointingHandCursor);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TForAbout::Button1Click);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(32, 0, 16, 9);
    body->setSpacing(0);
    body->addSpacing(36);
    body->addWidget(lblProduct, 0, Qt::AlignHCenter);
    body->addSpacing(16);
    body->addWidget(lblVersion, 0, Qt::AlignHCenter);
    body->addSpacing(22);
    body->addLayout(maker);
    body->addSpacing(14);
    body->addWidget(lblWebAddress, 0, Qt::AlignLeft);
    body->addStretch();
    body->addWidget(Button1, 0, Qt::AlignHCenter);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(band);
    layout->addLayout(body, 1);
    Styles::KeepFormFont(this);
}

void TForAbout::Button1Click()
{
    accept();
}

void TForAbout::Execute()
{
    ForAbout = new TForAbout;
    try {
        ForAbout->exec();
    } catch (...) {
        ReleaseForm(ForAbout);
        throw;
    }
    ReleaseForm(ForAbout);
}
