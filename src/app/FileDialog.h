// SPDX-License-Identifier: GPL-3.0-or-later
// Every file and folder dialog of the program goes through this class, so tests can give the
// next answer instead of a person.
#pragma once

#include <QList>
#include <QString>

class QWidget;

class FileDialog
{
public:
    struct Request {
        QString kind; // "save" or "folder"
        QString title;
        QString folder;
        QString defaultSuffix;
    };

    // A save dialog without a type filter that asks nothing before replacing a file. A chosen
    // name without an extension gets the default suffix (given with or without its dot).
    // Empty when the user cancels.
    static QString getSaveFileName(QWidget *parent, const QString &title, const QString &folder,
                                   const QString &defaultSuffix);
    // A folder chooser; empty when the user cancels.
    static QString getExistingDirectory(QWidget *parent, const QString &title,
                                        const QString &folder);

    // Test seam: while answers are queued, no dialog opens; an empty answer stands for Cancel.
    static void setNextAnswers(const QList<QString> &answers);
    static QList<Request> requests();
    static void resetSeam();

    static QString withDefaultSuffix(const QString &fileName, const QString &defaultSuffix);
};
