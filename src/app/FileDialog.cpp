// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FileDialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace
{
QList<QString> &queuedAnswers()
{
    static QList<QString> answers;
    return answers;
}

QList<FileDialog::Request> &madeRequests()
{
    static QList<FileDialog::Request> requests;
    return requests;
}

QString bareSuffix(const QString &suffix)
{
    return suffix.startsWith(QLatin1Char('.')) ? suffix.mid(1) : suffix;
}
} // namespace

QString FileDialog::withDefaultSuffix(const QString &fileName, const QString &defaultSuffix)
{
    if (fileName.isEmpty() || defaultSuffix.isEmpty() || !QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    return fileName + QLatin1Char('.') + bareSuffix(defaultSuffix);
}

QString FileDialog::getSaveFileName(QWidget *parent, const QString &title, const QString &folder,
                                    const QString &defaultSuffix)
{
    madeRequests().append({QStringLiteral("save"), title, folder, defaultSuffix});
    if (!queuedAnswers().isEmpty())
        return withDefaultSuffix(queuedAnswers().takeFirst(), defaultSuffix);

    QFileDialog dialog(parent, title, folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(bareSuffix(defaultSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString FileDialog::getExistingDirectory(QWidget *parent, const QString &title,
                                         const QString &folder)
{
    madeRequests().append({QStringLiteral("folder"), title, folder, QString()});
    if (!queuedAnswers().isEmpty())
        return queuedAnswers().takeFirst();
    return QFileDialog::getExistingDirectory(parent, title, folder);
}

void FileDialog::setNextAnswers(const QList<QString> &answers)
{
    queuedAnswers() = answers;
}

QList<FileDialog::Request> FileDialog::requests()
{
    return madeRequests();
}

void FileDialog::resetSeam()
{
    queuedAnswers().clear();
    madeRequests().clear();
}
