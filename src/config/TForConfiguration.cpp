// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/TForConfiguration.h"

#include "app/MessageBox.h"
#include "app/Styles.h"
#include "app/Tools.h"
#include "config/ConnectionTemplates.h"
#include "config/TForTableInfo.h"
#include "config/TableKeys.h"
#include "database/TModule.h"
#include "errors/Exceptions.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>

// Outside any namespace, as Qt's resource initialiser requires.
static void InitConfigurationResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(configuration);
        return true;
    }();
    Q_UNUSED(registered);
}

TForConfiguration *ForConfiguration = nullptr;

namespace
{
const QString ImportHint = QStringLiteral("Check Database for active this option");
const char *const TagProperty = "Tag";

// The grid shows horizontal lines only.
class RowLineDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }
};

QLabel *BoldLabel(const QString &text, const QWidget *form)
{
    auto *label = new QLabel(text);
    QFont font = form->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QPushButton *Button(const QString &caption, const char *name)
{
    auto *button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    button->setFixedSize(75, 25);
    button->setCursor(Qt::PointingHandCursor);
    button->setAutoDefault(false);
    return button;
}

QToolButton *TableButton(const char *name, int tag, const QString &picture)
{
    auto *button = new QToolButton;
    button->setObjectName(QLatin1String(name));
    button->setProperty(TagProperty, tag);
    button->setIcon(QIcon(picture));
    button->setIconSize(QSize(32, 32));
    button->setFixedSize(34, 34);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

// The system's text for the last error, without the trailing blanks, line breaks and full stops
// that would sit badly after "Connection error : ".
QString LastErrorText()
{
    QString text = QString::fromLocal8Bit(std::strerror(errno));
    while (!text.isEmpty() && (text.back().isSpace() || text.back() == QLatin1Char('.')))
        text.chop(1);
    return text;
}
} // namespace

TForConfiguration::TForConfiguration(QWidget *parent) : QDialog(parent)
{
    InitConfigurationResources();
    setObjectName(QStringLiteral("ForConfiguration"));
    setWindowTitle(QStringLiteral("Configuration"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(620, 502);

    // Connection page.
    tbConnection = new QWidget;
    tbConnection->setObjectName(QStringLiteral("tbConnection"));
    edServer = new QLineEdit;
    edServer->setObjectName(QStringLiteral("edServer"));
    edUser = new QLineEdit;
    edUser->setObjectName(QStringLiteral("edUser"));
    edPassword = new QLineEdit;
    edPassword->setObjectName(QStringLiteral("edPassword"));
    edPassword->setEchoMode(QLineEdit::Password);
    // An asterisk for every character, in every look.
    edPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    edCatalog = new QLineEdit;
    edCatalog->setObjectName(QStringLiteral("edCatalog"));
    for (QLineEdit *field : {edServer, edUser, edPassword, edCatalog})
        field->setFixedWidth(121);
    btnCheck = Button(QStringLiteral("Check"), "btnCheck");

    auto *fields = new QGridLayout;
    fields->setHorizontalSpacing(0);
    fields->setVerticalSpacing(11);
    fields->setColumnMinimumWidth(0, 138);
    fields->addWidget(BoldLabel(QStringLiteral("Serveur / Instance"), this), 0, 0);
    fields->addWidget(edServer, 0, 1);
    fields->addWidget(BoldLabel(QStringLiteral("User"), this), 1, 0);
    fields->addWidget(edUser, 1, 1);
    fields->addWidget(BoldLabel(QStringLiteral("Password"), this), 2, 0);
    fields->addWidget(edPassword, 2, 1);
    fields->addWidget(BoldLabel(QStringLiteral("DataBase"), this), 3, 0);
    fields->addWidget(edCatalog, 3, 1);
    fields->setColumnMinimumWidth(2, 31);
    fields->addWidget(btnCheck, 3, 3);
    auto *fieldsRow = new QHBoxLayout;
    fieldsRow->addSpacing(158);
    fieldsRow->addLayout(fields);
    fieldsRow->addStretch();
    auto *hintRow = new QHBoxLayout;
    hintRow->addSpacing(56);
    hintRow->addWidget(new QLabel(QStringLiteral("Do not write login and password for Windows "
                                                 "Authentication")));
    hintRow->addStretch();
    auto *connectionLayout = new QVBoxLayout(tbConnection);
    connectionLayout->addSpacing(90);
    connectionLayout->addLayout(fieldsRow);
    connectionLayout->addSpacing(50);
    connectionLayout->addLayout(hintRow);
    connectionLayout->addStretch();

    // Appearence page.
    tbAppearence = new QWidget;
    tbAppearence->setObjectName(QStringLiteral("tbAppearence"));
    auto *skinBox = new QGroupBox(QStringLiteral(" Skin "));
    cmbStyle = new QComboBox;
    cmbStyle->setObjectName(QStringLiteral("cmbStyle"));
    cmbStyle->setEditable(false);
    cmbStyle->setMaxVisibleItems(28);
    cmbStyle->setMinimumWidth(220);
    auto *skinLayout = new QVBoxLayout(skinBox);
    skinLayout->setContentsMargins(16, 16, 16, 16);
    skinLayout->addWidget(cmbStyle);
    auto *appearenceLayout = new QVBoxLayout(tbAppearence);
    appearenceLayout->setContentsMargins(24, 24, 24, 24);
    auto *skinRow = new QHBoxLayout;
    skinRow->addWidget(skinBox);
    skinRow->addStretch();
    appearenceLayout->addLayout(skinRow);
    appearenceLayout->addStretch();

    // Tables page.
    tbTables = new QWidget;
    tbTables->setObjectName(QStringLiteral("tbTables"));
    spbImport = TableButton("spbImport", ImportTables, QStringLiteral(":/images/table-import.svg"));
    spbAdd = TableButton("spbAdd", AddTable, QStringLiteral(":/images/table-add.svg"));
    spbUpdate = TableButton("spbUpdate", UpdateTable, QStringLiteral(":/images/table-update.svg"));
    spbDelete = TableButton("spbDelete", DeleteTable, QStringLiteral(":/images/table-delete.svg"));
    auto *toolBar = new QWidget;
    toolBar->setFixedHeight(41);
    auto *toolLayout = new QHBoxLayout(toolBar);
    toolLayout->setContentsMargins(5, 3, 5, 4);
    toolLayout->setSpacing(2);
    for (QToolButton *button : {spbImport, spbAdd, spbUpdate, spbDelete}) {
        toolLayout->addWidget(button);
        connect(button, &QToolButton::clicked, this, &TForConfiguration::action_tables_click);
    }
    toolLayout->addStretch();

    sgTables = new QTableWidget(0, 3);
    sgTables->setObjectName(QStringLiteral("sgTables"));
    sgTables->verticalHeader()->hide();
    sgTables->setShowGrid(false);
    sgTables->setItemDelegate(new RowLineDelegate(sgTables));
    sgTables->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgTables->setSelectionMode(QAbstractItemView::ExtendedSelection);
    sgTables->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgTables->setWordWrap(false);
    sgTables->horizontalHeader()->setHighlightSections(false);
    sgTables->horizontalHeader()->setSectionsClickable(false);
    sgTables->setColumnWidth(0, 127);
    sgTables->setColumnWidth(1, 209);
    sgTables->setColumnWidth(2, 245);
    sgTables->viewport()->installEventFilter(this);
    sgTables->horizontalHeader()->viewport()->installEventFilter(this);
    auto *tablesLayout = new QVBoxLayout(tbTables);
    tablesLayout->setContentsMargins(0, 0, 0, 0);
    tablesLayout->setSpacing(0);
    tablesLayout->addWidget(toolBar);
    tablesLayout->addWidget(sgTables);

    pgControl = new QTabWidget;
    pgControl->setObjectName(QStringLiteral("pgControl"));
    pgControl->addTab(tbConnection, QStringLiteral("Connection"));
    pgControl->addTab(tbAppearence, QStringLiteral("Appearence"));
    pgControl->addTab(tbTables, QStringLiteral("Tables"));

    // Bottom bar.
    btnSave = Button(QStringLiteral("Save"), "btnSave");
    btnSave->setDefault(true);
    btnCancel = Button(QStringLiteral("Cancel"), "btnCancel");
    auto *bottomBar = new QWidget;
    bottomBar->setObjectName(QStringLiteral("pnBottom"));
    bottomBar->setFixedHeight(49);
    auto *bottomLayout = new QHBoxLayout(bottomBar);
    bottomLayout->setContentsMargins(8, 8, 8, 16);
    bottomLayout->setSpacing(5);
    bottomLayout->addWidget(btnSave);
    bottomLayout->addWidget(btnCancel);
    bottomLayout->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pgControl, 1);
    layout->addWidget(bottomBar);

    connect(btnSave, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnCheck, &QPushButton::clicked, this, &TForConfiguration::btnCheckClick);
    // Only a pick by the user applies a style; filling the list selects without applying.
    connect(cmbStyle, &QComboBox::activated, this, &TForConfiguration::cmbStyleChange);

    FormCreate();
    Styles::KeepFormFont(this);
}

void TForConfiguration::FormCreate()
{
    LoadFromConfiguration();
}

void TForConfiguration::LoadFromConfiguration()
{
    pgControl->setCurrentWidget(tbConnection);

    const QString skin = AppConfiguration->FAppearence.skin;
    cmbStyle->clear();
    const QStringList names = Styles::StyleNames();
    cmbStyle->addItems(names);
    int selected = -1;
    for (int i = 0; i < names.size() && selected < 0; ++i)
        if (Styles::SameStyleName(names.at(i), skin))
            selected = i;
    cmbStyle->setCurrentIndex(selected);

    const cParameters *parameters = AppConfiguration->FConnection.parameters;
    auto value = [parameters](const char *name) {
        return parameters ? parameters->Value(QLatin1String(name)) : QString();
    };
    edServer->setText(value("server"));
    edUser->setText(value("user"));
    edPassword->setText(value("password"));
    edCatalog->setText(value("catalog"));

    sgTables->setHorizontalHeaderLabels(
        {QStringLiteral("Table Name"), QStringLiteral("Script"), QStringLiteral("File Name")});
    sgTables->setRowCount(0);
    for (const rTableInformation &entry : AppConfiguration->FTables)
        AppendRow(entry);
    if (sgTables->rowCount() > 0)
        sgTables->setCurrentCell(0, 0);

    spbImport->setEnabled(false);
    spbImport->setToolTip(ImportHint);
}

void TForConfiguration::SaveToConfiguration()
{
    rAppearence appearence = AppConfiguration->FAppearence;
    // The copy shares the configuration's parameter list, which is refilled in place.
    rConnection connection = AppConfiguration->FConnection;
    appearence.skin = cmbStyle->currentText();
    SaveConnectionFields(connection,
                         {edServer->text(), edCatalog->text(), edUser->text(), edPassword->text()});
    const tTableNames tables = GridEntries();

    AppConfiguration->FTables = tables;
    AppConfiguration->FConnection = connection;
    AppConfiguration->FAppearence = appearence;
    AppConfiguration->Write();
}

void TForConfiguration::btnCheckClick()
{
    const QString connectionString = CheckConnectionString(
        {edServer->text(), edCatalog->text(), edUser->text(), edPassword->text()});
    try {
        if (Module->CheckConnection(connectionString))
            MessageBox::information(QStringLiteral("Connection successfull"));
        else
            MessageBox::warning(QStringLiteral("Connection error : ") + LastErrorText());
    } catch (const std::exception &error) {
        MessageBox::error(QStringLiteral("Connection error : ") + ExceptionMessage(error));
        return;
    }
    spbImport->setEnabled(true);
    spbImport->setToolTip(QString());
}

void TForConfiguration::cmbStyleChange()
{
    Styles::TrySetStyle(cmbStyle->currentText(), true);
}

void TForConfiguration::action_tables_click()
{
    const QObject *button = sender();
    if (!button)
        return;
    RunTableAction(button->property(TagProperty).toInt());
}

void TForConfiguration::sgTablesDblClick()
{
    RunTableAction(UpdateTable);
}

void TForConfiguration::RunTableAction(int Tag)
{
    switch (Tag) {
    case ImportTables:
        ImportAllUserTables();
        break;
    case AddTable:
        AddEntry();
        break;
    case UpdateTable:
        UpdateEntry();
        break;
    case DeleteTable:
        DeleteEntry();
        break;
    default:
        break;
    }
}

bool TForConfiguration::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick &&
        (watched == sgTables->viewport() || watched == sgTables->horizontalHeader()->viewport())) {
        sgTablesDblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForConfiguration::ImportAllUserTables()
{
    if (!MessageBox::confirm(QStringLiteral("Do you Want to import all user tables ?")))
        return;
    QStringList names;
    Module->ListUserTables(names);
    sgTables->setRowCount(0);
    for (const QString &name : names)
        AppendRow({name, QString(), name + QStringLiteral(".dat")});
    if (sgTables->rowCount() > 0)
        sgTables->setCurrentCell(0, 0);
}

void TForConfiguration::AddEntry()
{
    rTableInformation entry;
    if (!TForTableInfo::Execute(entry))
        return;
    const QString key = PickText(entry.tablename.isEmpty(), entry.script, entry.tablename);
    if (TableExists(key)) {
        MessageBox::warning(QStringLiteral("there is allready exists this table information in "
                                           "this grid"));
        return;
    }
    AppendRow(entry);
    if (sgTables->currentRow() < 0)
        sgTables->setCurrentCell(sgTables->rowCount() - 1, 0);
}

void TForConfiguration::UpdateEntry()
{
    const int row = CurrentDataRow();
    if (row == 0)
        return;
    rTableInformation entry = GridEntries().at(row - 1);
    if (TForTableInfo::Execute(entry))
        SetRow(row, entry);
}

void TForConfiguration::DeleteEntry()
{
    const int row = CurrentDataRow();
    if (row == 0)
        return;
    if (!MessageBox::confirm(QStringLiteral("Do you want to delete this table information ?")))
        return;
    DeleteGridRow(row, sgTables);
    const int remaining = sgTables->rowCount();
    if (remaining > 0 && sgTables->currentRow() < 0)
        sgTables->setCurrentCell(std::min(row - 1, remaining - 1), 0);
}

bool TForConfiguration::TableExists(const QString &key) const
{
    return TableKeyExists(GridEntries(), key);
}

void TForConfiguration::AppendRow(const rTableInformation &entry)
{
    const int row = sgTables->rowCount();
    sgTables->insertRow(row);
    SetRow(row + 1, entry);
}

void TForConfiguration::SetRow(int dataRow, const rTableInformation &entry)
{
    const QString cells[] = {entry.tablename, entry.script, entry.filename};
    for (int column = 0; column < 3; ++column) {
        QTableWidgetItem *item = sgTables->item(dataRow - 1, column);
        if (!item) {
            item = new QTableWidgetItem;
            sgTables->setItem(dataRow - 1, column, item);
        }
        item->setText(cells[column]);
    }
}

tTableNames TForConfiguration::GridEntries() const
{
    tTableNames entries;
    for (int row = 0; row < sgTables->rowCount(); ++row) {
        auto cell = [this, row](int column) {
            const QTableWidgetItem *item = sgTables->item(row, column);
            return item ? item->text() : QString();
        };
        entries.append({cell(0), cell(1), cell(2)});
    }
    return entries;
}

int TForConfiguration::CurrentDataRow() const
{
    const int row = sgTables->currentRow();
    return row >= 0 && row < sgTables->rowCount() ? row + 1 : 0;
}

bool TForConfiguration::Execute()
{
    ForConfiguration = new TForConfiguration;
    try {
        const bool saved = ForConfiguration->exec() == QDialog::Accepted;
        if (saved)
            ForConfiguration->SaveToConfiguration();
        ReleaseForm(ForConfiguration);
        return saved;
    } catch (...) {
        ReleaseForm(ForConfiguration);
        throw;
    }
}
