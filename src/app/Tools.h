// SPDX-License-Identifier: GPL-3.0-or-later
// Program-wide folder texts and the small helpers that the start-up and the windows share.
#pragma once

#include <QString>
#include <QWidget>

class QTableWidget;

// Set once by InitApplicationFolders; every folder text ends with "/".
extern QString AppName;
extern QString SystemPath;
extern QString StylePath;
extern QString BackupPath;
// Title of every exception window, and its context text (never set, so always empty).
extern QString ExceptionTitle;
extern QString ExceptionContext;

// The folder number of the machine-wide application-data folder.
constexpr int CSIDL_COMMON_APPDATA = 35;

QString PickText(bool flag, const QString &whenTrue, const QString &whenFalse);

// Grid rows are numbered as in a string grid whose row 0 is the fixed header: on a QTableWidget
// the header is the horizontal header, and data row r (r >= 1) is the widget's row r - 1.
// Removes data row `index`; false (and nothing changed) when index is 0 or past the last row.
bool DeleteGridRow(int index, QTableWidget *grid);

// Clears the variable first, then asks the window to be destroyed once control is back in the
// event loop.
template <typename Form> void ReleaseForm(Form *&form)
{
    QWidget *window = form;
    form = nullptr;
    if (window)
        window->deleteLater();
}

// Text with the suffix appended, unless the text is empty or its last character equals the
// whole suffix.
QString IncludeTrailingText(const QString &text, const QString &suffix);

// 35 gives the user's data folder; any other number, or a platform without one, the empty text.
QString GetSpecialFolderPath(int number);

// The file-name part of a path: the text after its last "/", "\" or ":".
QString FileNamePart(const QString &path);

// AppName of a program file: its name without the extension, cut at the first place where the
// extension occurs (so "Saver.exe.exe" gives "Saver").
QString ApplicationNameOf(const QString &programFile);

// Computes AppName and the folders from the running program and the user's data folder, and
// creates the folders. The second form takes both from the caller.
void InitApplicationFolders();
void InitApplicationFolders(const QString &programFile, const QString &commonDataFolder);

// Shut-down: releases the texts above.
void ReleaseApplicationTexts();
