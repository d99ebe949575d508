// SPDX-License-Identifier: GPL-3.0-or-later
// The transfer dialog: one row per configured table, a path field, Action, Cancel and a gauge.
// Action exports or imports the selected rows one by one and offers the report at the end.
#pragma once

#include "transfer/cTransfer.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QLineEdit;
class QPainter;
class QProgressBar;
class QPushButton;
class QStyleOptionViewItem;
class QTableWidget;
class QTimer;

class TforBackup : public QDialog, private cTransferView
{
    Q_OBJECT
public:
    explicit TforBackup(cTransferSteps &steps, QWidget *parent = nullptr);
    ~TforBackup() override;

    // Shows the dialog modally on the list; true when it closed with OK. The first form runs bcp
    // and empties tables through the data module.
    static bool Execute(const tTableNames &tablist, bool Exportation);
    static bool Execute(const tTableNames &tablist, bool Exportation, cTransferSteps &steps);

    void LoadTables(const tTableNames &tablist);

    // Draws what a data cell shows from its row record; ARow counts the header as row 0.
    void sgTablesDrawCell(QPainter *painter, const QStyleOptionViewItem &option, int ACol,
                          int ARow) const;
    // A cell becomes the current cell: a cell of column 0 flips its row's selection.
    void sgTablesSelectCell(int ACol, int ARow);
    // The tooltip of a data cell: the first error line of a failed row's Table Name and File Name.
    QString sgTablesHint(int ACol, int ARow) const;

    const QString &fTitle() const { return FTransfer.fTitle; }
    bool FExportation() const { return FTransfer.FExportation; }
    const tbInfoCheck &InfosCheck() const { return FTransfer.InfosCheck; }
    const QStringList &Rapport() const { return FTransfer.Rapport; }
    bool Running() const { return FTransfer.Running(); }

    // While a run goes on, a close request only records its result; the dialog closes with it
    // once the run has ended.
    void done(int result) override;

    QLineEdit *edPath = nullptr;
    QPushButton *Button1 = nullptr;
    QTableWidget *sgTables = nullptr;
    QPushButton *btnAction = nullptr;
    QPushButton *btnCancel = nullptr;
    QProgressBar *ggTraitment = nullptr;

private:
    void edPathChange();
    void Button1Click();
    void ActionPressed();
    void btnActionClick();
    void ShowGauge(const QString &current);
    // Paints the gauge and the grid now when the last time is long enough ago, else a little
    // later: a run of fast rows then costs no paint per row, a slow row still shows at once.
    void RequestRefresh(bool now);
    void Refresh(bool now);

    // What the run asks of the window.
    void RangeChanged(int range) override;
    void RowStarting(int index) override;
    void RowDone(int index) override;
    void RunFinished() override;
    void ShowReport(const QStringList &report) override;

    cTransfer FTransfer;
    int FGaugeValue = 0;
    QTimer *FRefreshTimer = nullptr;
    QElapsedTimer FLastRefresh;
};
