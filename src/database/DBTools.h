// SPDX-License-Identifier: GPL-3.0-or-later
// The bulk-copy command lines: one "bcp" run per table, with the configured connection values.
#pragma once

#include "app/CommandRunner.h"

#include <QString>

extern const QString TableExportTemplate;
extern const QString QueryExportTemplate;
extern const QString TableImportTemplate;

// Each fills its template: the first placeholder, then %FILENAME%, %USER%, %PASSWORD% and
// %SERVER%, in that order, every occurrence, case-sensitive. An empty user puts "-T" (trusted
// connection) in place of the user and password switches. A user, password, server or catalog
// holding a blank or a double quote is quoted so that it stays one argument. A catalog adds
// "-d <catalog>" before "-n", except on a table line whose table name names its database.
QString BuildTableExportCommand(const QString &tableName, const QString &fileArgument,
                                const QString &user, const QString &password, const QString &server,
                                const QString &catalog = QString());
QString BuildQueryExportCommand(const QString &query, const QString &fileArgument,
                                const QString &user, const QString &password, const QString &server,
                                const QString &catalog = QString());
QString BuildTableImportCommand(const QString &tableName, const QString &fileArgument,
                                const QString &user, const QString &password, const QString &server,
                                const QString &catalog = QString());

// The file argument of a line: the path between double quotes, with a double quote inside the
// path escaped so that the path stays one argument.
QString FileArgument(const QString &filePath);

// True when a table name has three parts or more ("db.schema.table", "db..table"): dots inside
// [brackets] or "double quotes" do not count.
bool TableNameNamesDatabase(const QString &tableName);

// The line with the value of every "-P" switch replaced by asterisks, for any line shown for
// diagnosis.
QString MaskPassword(const QString &commandLine);

// Each runs its line in the backup folder with the values of AppConfiguration's parameter list;
// the result holds bcp's console output, its exit status and whether it started.
CommandResult ExportTable(const QString &tableName, const QString &filePath);
CommandResult ExportQuery(const QString &query, const QString &filePath);
CommandResult ImportTable(const QString &tableName, const QString &filePath);
CommandResult RunCommandAtRoot(const QString &commandLine);
