// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own transfer steps: bcp runs with the configured connection values, and tables
// emptied through the data module.
#pragma once

#include "transfer/cTransfer.h"

class cBulkCopySteps : public cTransferSteps
{
public:
    CommandResult ExportTable(const QString &tableName, const QString &filePath) override;
    CommandResult ExportQuery(const QString &query, const QString &filePath) override;
    CommandResult ImportTable(const QString &tableName, const QString &filePath) override;
    bool TruncateTable(const QString &tableName) override;
};
