// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/cBulkCopySteps.h"

#include "database/DBTools.h"
#include "database/TModule.h"
#include "errors/Exceptions.h"

CommandResult cBulkCopySteps::ExportTable(const QString &tableName, const QString &filePath)
{
    return ::ExportTable(tableName, filePath);
}

CommandResult cBulkCopySteps::ExportQuery(const QString &query, const QString &filePath)
{
    return ::ExportQuery(query, filePath);
}

CommandResult cBulkCopySteps::ImportTable(const QString &tableName, const QString &filePath)
{
    return ::ImportTable(tableName, filePath);
}

bool cBulkCopySteps::TruncateTable(const QString &tableName)
{
    if (!Module)
        throw EDatabaseError(QStringLiteral("The data module does not exist."));
    return Module->TruncateTable(tableName);
}
