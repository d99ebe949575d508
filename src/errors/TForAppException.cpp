// SPDX-License-Identifier: GPL-3.0-or-later
#include "errors/TForAppException.h"

#include "app/FileDialog.h"
#include "app/MessageBox.h"
#include "app/Styles.h"
#include "app/Tools.h"
#include "errors/Exceptions.h"

#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScreen>
#include <QVBoxLayout>

namespace
{
QFont PixelFont(const QString &family, int pixels, bool bold = false)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QPushButton *BandButton(const QString &caption, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFixedSize(75, 25);
    button->setCursor(Qt::PointingHandCursor);
    button->setAutoDefault(false);
    return button;
}
} // namespace

TForAppException::TForAppException(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("ForAppException"));
    setWindowTitle(QStringLiteral("Application Exception Informations"));
    setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    setSizeGripEnabled(true);
    resize(497, 391);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    pnTitle = new QLabel(this);
    pnTitle->setObjectName(QStringLiteral("pnTitle"));
    pnTitle->setFixedHeight(41);
    pnTitle->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pnTitle->setFont(PixelFont(QStringLiteral("Arial Narrow"), 13, true));
    pnTitle->setFrameShape(QFrame::Panel);
    pnTitle->setFrameShadow(QFrame::Raised);
    pnTitle->setMargin(4);
    layout->addWidget(pnTitle);

    mmDetails = new QPlainTextEdit(this);
    mmDetails->setObjectName(QStringLiteral("mmDetails"));
    mmDetails->setReadOnly(true);
    mmDetails->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    mmDetails->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mmDetails->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mmDetails->setFont(PixelFont(QStringLiteral("Courier New"), 12));
    mmDetails->setFrameShape(QFrame::Panel);
    mmDetails->setFrameShadow(QFrame::Sunken);
    layout->addWidget(mmDetails, 1);

    auto *buttonBand = new QFrame(this);
    buttonBand->setObjectName(QStringLiteral("pnButtons"));
    buttonBand->setFixedHeight(41);
    auto *buttons = new QHBoxLayout(buttonBand);
    buttons->setContentsMargins(8, 8, 8, 8);
    buttons->setSpacing(5);
    btnSend = BandButton(QStringLiteral("Send"), QStringLiteral("btnSend"), buttonBand);
    btnSave = BandButton(QStringLiteral("Save"), QStringLiteral("btnSave"), buttonBand);
    btnExit = BandButton(QStringLiteral("Exit"), QStringLiteral("btnExit"), buttonBand);
    buttons->addWidget(btnSend, 0, Qt::AlignTop);
    buttons->addWidget(btnSave, 0, Qt::AlignTop);
    buttons->addWidget(btnExit, 0, Qt::AlignTop);
    buttons->addStretch(1);
    layout->addWidget(buttonBand);

    connect(btnSend, &QPushButton::clicked, this, [this] { done(SendResult); });
    connect(btnSave, &QPushButton::clicked, this, [this] {
        btnSaveClick();
        done(SaveResult);
    });
    connect(btnExit, &QPushButton::clicked, this, [this] { done(ExitResult); });
    Styles::KeepFormFont(this);
}

void TForAppException::reject()
{
    done(ExitResult);
}

QStringList TForAppException::DetailsLines(const std::exception &E, const QString &context)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines;
    lines << QStringLiteral("Exception class (") + ExceptionClassName(E) + QStringLiteral(") : ");
    lines << QString();
    // The program's exceptions carry no stack trace.
    lines << QStringLiteral("   stack [") + QStringLiteral("]");
    lines << QStringLiteral("   informations : ");
    lines << ExceptionMessage(E).split(lineBreak);
    if (!context.isEmpty()) {
        lines << QString(29, QLatin1Char('-'));
        lines << QStringLiteral("context { ") + context + QStringLiteral("} : ");
    }
    return lines;
}

void TForAppException::SaveDetails(const QString &fileName, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EFileSystemError(file.errorString());
}

void TForAppException::btnSaveClick()
{
    const QString fileName = FileDialog::getSaveFileName(
        this, QStringLiteral("save exception from file"), BackupPath, QStringLiteral(".txt"));
    if (fileName.isEmpty())
        return;
    try {
        SaveDetails(fileName, mmDetails->toPlainText().split(QLatin1Char('\n')));
    } catch (const std::exception &error) {
        MessageBox::error(QStringLiteral("save file exception error: ") + ExceptionMessage(error));
    }
}

int TForAppException::Execute(const QString &Title, const std::exception &E, const QString &context)
{
    auto *form = new TForAppException();
    int result = 0;
    try {
        form->pnTitle->setText(Title);
        for (const QString &line : DetailsLines(E, context))
            form->mmDetails->appendPlainText(line);
        if (QScreen *screen = QGuiApplication::primaryScreen())
            form->move(screen->availableGeometry().center() - form->rect().center());
        result = form->exec();
    } catch (...) {
        ReleaseForm(form);
        throw;
    }
    ReleaseForm(form);
    return result;
}
