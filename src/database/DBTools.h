// SPDX-License-Identifier: GPL-3.0-or-later
// The bulk-copy command lines: one "bcp" run per table, with the configured connection values.
#pragma once

#include "app/CommandRunner.h"

#include <QString>

extern const QString TableExportTemplate;
extern const QString QueryExportTemplate;
extern const QString TableImportTemplate;

QString BuildTableExportCommand(const QString &tableName, const QString &fileArgument,
                                const QString &user, const QString &password,
                                const QString &server);
QString BuildQueryExportCommand(const QString &query, const QString &fileArgument,
                                const QString &user, const QString &password,
                                const QString &server);
QString BuildTableImportCommand(const QString &tableName, const QString &fileArgument,
                                const QString &user, const QString &password,
                                const QString &server);

// Each runs its line in the backup folder with the values of AppConfiguration's parameter list;
// the result holds bcp's console output, its exit status and whether it started.
CommandResult ExportTable(const QString &tableName, const QString &filePath);
CommandResult ExportQuery(const QString &query, const QString &filePath);
CommandResult ImportTable(const QString &tableName, const QString &filePath);
CommandResult RunCommandAtRoot(const QString &commandLine);
