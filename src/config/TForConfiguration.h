// SPDX-License-Identifier: GPL-3.0-or-later
// The Configuration dialog: the connection (with its check), the visual style and the table list.
// Its controls are the working copy of the configuration until Save writes them back.
#pragma once

#include "config/cConfiguration.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QToolButton;

class TForConfiguration : public QDialog
{
    Q_OBJECT
public:
    // The Tags of the four table buttons.
    enum TableAction { ImportTables = 100, AddTable = 101, UpdateTable = 102, DeleteTable = 103 };

    // Creating the dialog runs FormCreate, which fills it from AppConfiguration.
    explicit TForConfiguration(QWidget *parent = nullptr);

    // Shows the dialog; on Save stores its values into AppConfiguration and writes the file.
    // True when it closed with Save.
    static bool Execute();

    // The entries of the grid's data rows, in grid order, cells exactly as they stand.
    tTableNames GridEntries() const;
    // The current data row, numbered from 1 below the header row; 0 when there is none.
    int CurrentDataRow() const;

    QTabWidget *pgControl;
    QWidget *tbConnection;
    QWidget *tbAppearence;
    QWidget *tbTables;
    QLineEdit *edServer;
    QLineEdit *edUser;
    QLineEdit *edPassword;
    QLineEdit *edCatalog;
    QPushButton *btnCheck;
    QComboBox *cmbStyle;
    QToolButton *spbImport;
    QToolButton *spbAdd;
    QToolButton *spbUpdate;
    QToolButton *spbDelete;
    QTableWidget *sgTables;
    QPushButton *btnSave;
    QPushButton *btnCancel;

public Q_SLOTS:
    void FormCreate();
    void btnCheckClick();
    void cmbStyleChange();
    // Shared by the four table buttons: acts on the Tag of the button that sent it.
    void action_tables_click();
    void sgTablesDblClick();
    // What a table button with that Tag does; any other Tag does nothing.
    void RunTableAction(int Tag);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void LoadFromConfiguration();
    void SaveToConfiguration();
    bool TableExists(const QString &key) const;
    void AppendRow(const rTableInformation &entry);
    void SetRow(int dataRow, const rTableInformation &entry);
    void ImportAllUserTables();
    void AddEntry();
    void UpdateEntry();
    void DeleteEntry();
};

// The dialog while Execute shows it.
extern TForConfiguration *ForConfiguration;
