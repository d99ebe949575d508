// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TForORVELMain.h"

#include "app/MessageBox.h"
#include "app/TForAbout.h"
#include "config/TForConfiguration.h"
#include "config/cConfiguration.h"
#include "transfer/TforBackup.h"
#include "transfer/cTransfer.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

// The resources live in a static library, whose registration the linker would otherwise drop.
static void InitMainResources()
{
    Q_INIT_RESOURCE(main);
}

namespace
{
// Draws its picture as large as fits, in proportion, in the lower right corner.
class TDecorativePicture : public QWidget
{
public:
    TDecorativePicture(const QString &resource, QWidget *parent)
        : QWidget(parent), m_renderer(resource)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (!m_renderer.isValid())
            return;
        QSizeF size = m_renderer.defaultSize();
        size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
        const QRectF target(width() - size.width(), height() - size.height(), size.width(),
                            size.height());
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        m_renderer.render(&painter, target);
    }

private:
    QSvgRenderer m_renderer;
};

QAction *AddItem(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

QAction *AddSeparator(QMenu *menu, const char *name)
{
    QAction *separator = menu->addSeparator();
    separator->setObjectName(QLatin1String(name));
    return separator;
}
} // namespace

TForORVELMain::TForORVELMain(QWidget *parent) : QMainWindow(parent)
{
    InitMainResources();
    setObjectName(QStringLiteral("ForORVELMain"));
    setWindowTitle(QStringLiteral("ORVEL BACKUP"));

    MainMenuApp = menuBar();
    MainMenuApp->setObjectName(QStringLiteral("MainMenuApp"));
    QMenu *Fichiers1 = MainMenuApp->addMenu(QStringLiteral("&Files"));
    Fichiers1->setObjectName(QStringLiteral("Fichiers1"));
    Fichiers1->menuAction()->setObjectName(QStringLiteral("Fichiers1Action"));
    connect(AddItem(Fichiers1, "Sauvegarder1", QStringLiteral("&Export")), &QAction::triggered,
            this, &TForORVELMain::Sauvegarder1Click);
    connect(AddItem(Fichiers1, "Restaurer1", QStringLiteral("&Import")), &QAction::triggered, this,
            &TForORVELMain::Restaurer1Click);
    AddSeparator(Fichiers1, "N1");
    connect(AddItem(Fichiers1, "Configuration1", QStringLiteral("&Configuration")),
            &QAction::triggered, this, &TForORVELMain::Configuration1Click);
    AddSeparator(Fichiers1, "N2");
    connect(AddItem(Fichiers1, "Quitter1", QStringLiteral("&Close")), &QAction::triggered, this,
            &TForORVELMain::Quitter1Click);
    QMenu *Aide1 = MainMenuApp->addMenu(QStringLiteral("&Help"));
    Aide1->setObjectName(QStringLiteral("Aide1"));
    Aide1->menuAction()->setObjectName(QStringLiteral("Aide1Action"));
    connect(AddItem(Aide1, "Apropos1", QStringLiteral("&About...")), &QAction::triggered, this,
            &TForORVELMain::Apropos1Click);

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    Image1 = new TDecorativePicture(QStringLiteral(":/images/main-picture.svg"), client);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(273, 136);
    auto *layout = new QGridLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setRowStretch(0, 1);
    layout->setColumnStretch(0, 1);
    layout->addWidget(Image1, 1, 1, Qt::AlignRight | Qt::AlignBottom);
    setCentralWidget(client);

    resize(1081, 688 + MainMenuApp->sizeHint().height());
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TForORVELMain::Sauvegarder1Click()
{
    if (!AppConfiguration)
        return;
    TforBackup::Execute(AppConfiguration->FTables, true);
}

void TForORVELMain::Restaurer1Click()
{
    if (!AppConfiguration)
        return;
    TforBackup::Execute(
        cTransfer::PresentEntries(AppConfiguration->FTables, AppConfiguration->Fbackup_path),
        false);
}

void TForORVELMain::Configuration1Click()
{
    TForConfiguration::Execute();
}

void TForORVELMain::Quitter1Click()
{
    close();
}

void TForORVELMain::Apropos1Click()
{
    TForAbout::Execute();
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
