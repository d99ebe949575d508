// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Tools.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTableWidget>

QString AppName;
QString SystemPath;
QString StylePath;
QString BackupPath;
QString ExceptionTitle = QStringLiteral("ORVEL BACKUP General");
QString ExceptionContext;

QString PickText(bool flag, const QString &whenTrue, const QString &whenFalse)
{
    return flag ? whenTrue : whenFalse;
}

bool DeleteGridRow(int index, QTableWidget *grid)
{
    const int rowCount = grid->rowCount() + 1; // the header row counts as row 0
    if (index < 1 || index >= rowCount)
        return false;
    grid->removeRow(index - 1);
    return true;
}

QString IncludeTrailingText(const QString &text, const QString &suffix)
{
    if (text.isEmpty())
        return text;
    if (text.right(1) == suffix)
        return text;
    return text + suffix;
}

QString GetSpecialFolderPath(int number)
{
    if (number != CSIDL_COMMON_APPDATA)
        return QString();
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString FileNamePart(const QString &path)
{
    qsizetype cut = -1;
    for (QChar separator : {QLatin1Char('/'), QLatin1Char('\\'), QLatin1Char(':')})
        cut = std::max(cut, path.lastIndexOf(separator));
    return path.mid(cut + 1);
}

QString ApplicationNameOf(const QString &programFile)
{
    const QString name = FileNamePart(programFile);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return name;
    const QString extension = name.mid(dot);
    return name.left(name.indexOf(extension));
}

void InitApplicationFolders(const QString &programFile, const QString &commonDataFolder)
{
    const QString separator = QStringLiteral("/");
    AppName = ApplicationNameOf(programFile);
    const QString dataFolder =
        IncludeTrailingText(IncludeTrailingText(commonDataFolder, separator) + AppName, separator);
    QDir here;
    here.mkpath(dataFolder);
    SystemPath = dataFolder + QStringLiteral("system/");
    here.mkpath(SystemPath);
    StylePath = SystemPath + QStringLiteral("style/");
    here.mkpath(StylePath);
    BackupPath = dataFolder + QStringLiteral("backup/");
    here.mkpath(BackupPath);
}

void InitApplicationFolders()
{
    InitApplicationFolders(QCoreApplication::applicationFilePath(),
                           GetSpecialFolderPath(CSIDL_COMMON_APPDATA));
}

void ReleaseApplicationTexts()
{
    AppName.clear();
    SystemPath.clear();
    StylePath.clear();
    BackupPath.clear();
    ExceptionTitle.clear();
    ExceptionContext.clear();
}
