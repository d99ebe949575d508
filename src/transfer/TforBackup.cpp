// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/TforBackup.h"

#include "app/FileDialog.h"
#include "app/TApplication.h"
#include "app/Tools.h"
#include "transfer/TForReporting.h"
#include "transfer/cBulkCopySteps.h"

#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

namespace
{
// The grid reports every cell that becomes current by a click, and every row reached by a
// keyboard move, as a string grid does through its select-cell event.
class TInfoGrid : public QTableWidget
{
public:
    using SelectCell = std::function<void(int ACol, int ARow)>;

    TInfoGrid(SelectCell onSelectCell, QWidget *parent)
        : QTableWidget(parent), m_onSelectCell(std::move(onSelectCell))
    {
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton) {
            const QModelIndex index = indexAt(event->position().toPoint());
            if (index.isValid())
                m_onSelectCell(index.column(), index.row() + 1);
        }
        QTableWidget::mousePressEvent(event);
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        const int before = currentRow();
        QTableWidget::keyPressEvent(event);
        // In whole-row selection the current column stays the first one.
        if (currentRow() >= 0 && currentRow() != before)
            m_onSelectCell(0, currentRow() + 1);
    }

private:
    SelectCell m_onSelectCell;
};

// Data cells hold no texts; the dialog draws them from its row records.
class TInfoDelegate : public QStyledItemDelegate
{
public:
    TInfoDelegate(const TforBackup *form, QObject *parent)
        : QStyledItemDelegate(parent), m_form(form)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        m_form->sgTablesDrawCell(painter, option, index.column(), index.row() + 1);
    }

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        if (event->type() != QEvent::ToolTip || !index.isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString hint = m_form->sgTablesHint(index.column(), index.row() + 1);
        if (hint.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
            return false;
        }
        QToolTip::showText(event->globalPos(), hint, view, option.rect);
        return true;
    }

private:
    const TforBackup *m_form;
};

// The gauge shows its own text: the percentage, and while a row runs, that row's table.
class TGauge : public QProgressBar
{
public:
    using QProgressBar::QProgressBar;
    QString text() const override { return m_text; }
    // Shown at the gauge's next paint.
    void setGaugeText(const QString &text) { m_text = text; }

private:
    QString m_text = QStringLiteral("0%");
};

// The styles carry no colour for errors; a red that stands out from the cell's background.
QColor ErrorColour(const QColor &background)
{
    return background.lightness() < 128 ? QColor(255, 120, 120) : QColor(190, 0, 0);
}

// 25 pictures a second: faster changes are lost on the eye.
constexpr qint64 RefreshInterval = 40;

void CentreOnScreen(QWidget *window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}
} // namespace

TforBackup::TforBackup(cTransferSteps &steps, QWidget *parent) : QDialog(parent), FTransfer(steps)
{
    setObjectName(QStringLiteral("forBackup"));
    setWindowFlag(Qt::Tool);
    setSizeGripEnabled(true);

    auto *Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel2->setFixedHeight(41);
    auto *Label1 = new QLabel(QStringLiteral("Path"), Panel2);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    edPath = new QLineEdit(Panel2);
    edPath->setObjectName(QStringLiteral("edPath"));
    Button1 = new QPushButton(QStringLiteral("..."), Panel2);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedSize(26, 23);
    Button1->setAutoDefault(false);
    auto *top = new QHBoxLayout(Panel2);
    top->setContentsMargins(12, 7, 12, 7);
    top->setSpacing(0);
    top->addWidget(Label1);
    top->addSpacing(16);
    top->addWidget(edPath, 1);
    top->addWidget(Button1);

    sgTables = new TInfoGrid([this](int ACol, int ARow) { sgTablesSelectCell(ACol, ARow); }, this);
    sgTables->setObjectName(QStringLiteral("sgTables"));
    sgTables->setColumnCount(4);
    sgTables->setHorizontalHeaderLabels({QStringLiteral("Select"), QStringLiteral("Table Name"),
                                         QStringLiteral("File Name"), QStringLiteral("Complete")});
    const int widths[] = {51, 274, 304, 64};
    for (int column = 0; column < 4; ++column)
        sgTables->setColumnWidth(column, widths[column]);
    sgTables->verticalHeader()->hide();
    sgTables->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgTables->setSelectionMode(QAbstractItemView::ExtendedSelection);
    sgTables->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgTables->setShowGrid(false);
    sgTables->setWordWrap(false);
    // Tab leaves the grid, as it does a string grid, instead of moving from cell to cell.
    sgTables->setTabKeyNavigation(false);
    sgTables->setItemDelegate(new TInfoDelegate(this, sgTables));

    auto *Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    btnAction = new QPushButton(QStringLiteral("Action"), Panel1);
    btnAction->setObjectName(QStringLiteral("btnAction"));
    btnAction->setFixedSize(75, 25);
    btnAction->setCursor(Qt::PointingHandCursor);
    btnAction->setDefault(true);
    btnAction->setEnabled(false);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), Panel1);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setFixedSize(75, 25);
    btnCancel->setCursor(Qt::PointingHandCursor);
    btnCancel->setAutoDefault(false);
    ggTraitment = new TGauge(Panel1);
    ggTraitment->setObjectName(QStringLiteral("ggTraitment"));
    ggTraitment->setFixedHeight(25);
    ggTraitment->setRange(0, 1);
    ggTraitment->setValue(0);
    ggTraitment->setTextVisible(true);
    auto *bottom = new QHBoxLayout(Panel1);
    bottom->setContentsMargins(8, 8, 24, 8);
    bottom->setSpacing(6);
    bottom->addWidget(btnAction);
    bottom->addWidget(btnCancel);
    bottom->addSpacing(14);
    bottom->addWidget(ggTraitment, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel2);
    layout->addWidget(sgTables, 1);
    layout->addWidget(Panel1);

    FRefreshTimer = new QTimer(this);
    FRefreshTimer->setSingleShot(true);
    connect(FRefreshTimer, &QTimer::timeout, this, [this] { Refresh(false); });

    connect(edPath, &QLineEdit::textChanged, this, [this] { edPathChange(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(btnAction, &QPushButton::clicked, this, [this] { ActionPressed(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    resize(793, 461);
    CentreOnScreen(this);
}

TforBackup::~TforBackup() = default;

bool TforBackup::Execute(const tTableNames &tablist, bool Exportation)
{
    cBulkCopySteps steps;
    return Execute(tablist, Exportation, steps);
}

bool TforBackup::Execute(const tTableNames &tablist, bool Exportation, cTransferSteps &steps)
{
    auto *form = new TforBackup(steps);
    const auto release = qScopeGuard([&form] { ReleaseForm(form); });
    form->FTransfer.FExportation = Exportation;
    form->LoadTables(tablist);
    return form->exec() == QDialog::Accepted;
}

void TforBackup::LoadTables(const tTableNames &tablist)
{
    const bool exportation = FTransfer.FExportation;
    setWindowTitle(exportation ? QStringLiteral("Export") : QStringLiteral("Import"));
    sgTables->setRowCount(int(tablist.size()));
    if (AppConfiguration)
        edPath->setText(AppConfiguration->Fbackup_path);
    FTransfer.Load(tablist, exportation, edPath->text());
    sgTables->viewport()->update();
}

void TforBackup::edPathChange()
{
    const QString path = edPath->text();
    btnAction->setEnabled(!path.isEmpty() && QFileInfo(path).isDir());
}

void TforBackup::Button1Click()
{
    const QString folder =
        FileDialog::getExistingDirectory(this, QStringLiteral("Path"), edPath->text());
    if (!folder.isEmpty())
        edPath->setText(folder);
}

void TforBackup::sgTablesDrawCell(QPainter *painter, const QStyleOptionViewItem &option, int ACol,
                                  int ARow) const
{
    if (ARow < 1 || ARow > FTransfer.InfosCheck.size())
        return;
    const rInfoCheck &row = FTransfer.InfosCheck.at(ARow - 1);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    const bool highlighted = option.state & QStyle::State_Selected;

    painter->save();
    const QColor line = option.palette.color(QPalette::Mid);
    painter->setPen(line);
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());

    if (ACol == 0 || ACol == 3) {
        const bool ticked = ACol == 0 ? row.selected : row.Complete;
        QStyleOptionViewItem glyph = option;
        const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, widget);
        const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, &option, widget);
        glyph.rect = QRect(0, 0, w, h);
        glyph.rect.moveCenter(option.rect.center());
        glyph.state = (option.state & QStyle::State_Enabled) | QStyle::State_Enabled;
        glyph.state |= ticked ? QStyle::State_On : QStyle::State_Off;
        glyph.features |= QStyleOptionViewItem::HasCheckIndicator;
        glyph.checkState = ticked ? Qt::Checked : Qt::Unchecked;
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &glyph, painter, widget);
    } else {
        const QString &text = ACol == 1 ? row.tableName : row.FileName;
        const QColor background =
            option.palette.color(highlighted ? QPalette::Highlight : QPalette::Base);
        QColor colour =
            option.palette.color(highlighted ? QPalette::HighlightedText : QPalette::Text);
        if (row.Failed)
            colour = ErrorColour(background);
        painter->setPen(colour);
        painter->setFont(option.font);
        const QRect area = option.rect.adjusted(2, 2, -2, -2);
        painter->drawText(area, int(Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine),
                          option.fontMetrics.elidedText(text, Qt::ElideRight, area.width()));
    }
    painter->restore();
}

void TforBackup::sgTablesSelectCell(int ACol, int ARow)
{
    if (ACol != 0 || ARow < 1)
        return;
    FTransfer.FlipSelected(ARow - 1);
    sgTables->viewport()->update();
}

QString TforBackup::sgTablesHint(int ACol, int ARow) const
{
    if ((ACol != 1 && ACol != 2) || ARow < 1 || ARow > FTransfer.InfosCheck.size())
        return QString();
    const rInfoCheck &row = FTransfer.InfosCheck.at(ARow - 1);
    return row.Failed ? row.FailureLine : QString();
}

void TforBackup::ActionPressed()
{
    if (FTransfer.Running())
        return;
    // Action carries the result OK, set before its handler runs and used whatever the handler
    // does, unless Cancel was pressed meanwhile.
    setResult(QDialog::Accepted);
    const auto close = qScopeGuard([this] { done(result()); });
    try {
        btnActionClick();
    } catch (const std::exception &error) {
        // The run ends at the failing row; the exception window reports it before the dialog
        // closes.
        if (!TApplication::handleException(this, error))
            throw;
    }
}

void TforBackup::btnActionClick()
{
    FTransfer.Run(*this);
}

void TforBackup::done(int result)
{
    if (FTransfer.Running()) {
        setResult(result);
        return;
    }
    QDialog::done(result);
}

void TforBackup::ShowGauge(const QString &current)
{
    QString text = QString::number(cTransfer::Percent(FTransfer.Progress(), FTransfer.Range())) +
                   QLatin1Char('%');
    if (!current.isEmpty())
        text += QStringLiteral(" - ") + current;
    FGaugeValue = std::min(FTransfer.Progress(), ggTraitment->maximum());
    static_cast<TGauge *>(ggTraitment)->setGaugeText(text);
}

void TforBackup::RequestRefresh(bool now)
{
    if (!FLastRefresh.isValid() || FLastRefresh.elapsed() >= RefreshInterval) {
        Refresh(now);
        return;
    }
    if (!FRefreshTimer->isActive())
        FRefreshTimer->start(int(RefreshInterval - FLastRefresh.elapsed()));
}

void TforBackup::Refresh(bool now)
{
    FRefreshTimer->stop();
    FLastRefresh.restart();
    ggTraitment->setValue(FGaugeValue);
    if (now) {
        ggTraitment->repaint();
        sgTables->viewport()->repaint();
    } else {
        ggTraitment->update();
        sgTables->viewport()->update();
    }
}

void TforBackup::RangeChanged(int range)
{
    // A gauge whose range is empty would show a busy animation instead of 0%.
    ggTraitment->setRange(0, std::max(range, 1));
    ShowGauge(QString());
    Refresh(true);
}

void TforBackup::RowStarting(int index)
{
    // Painted while bcp runs: the command runner keeps handling paint and timer events.
    const rInfoCheck &row = FTransfer.InfosCheck.at(index);
    ShowGauge(row.tableName.isEmpty() ? FileNamePart(row.FileName) : row.tableName);
    // A page at a time: scrolling repaints the whole grid.
    const QModelIndex cell = sgTables->model()->index(index, 0);
    if (cell.isValid() && !sgTables->viewport()->rect().contains(sgTables->visualRect(cell)))
        sgTables->scrollTo(cell, QAbstractItemView::PositionAtTop);
    RequestRefresh(false);
}

void TforBackup::RowDone(int index)
{
    Q_UNUSED(index);
    ShowGauge(QString());
    QCoreApplication::processEvents();
    RequestRefresh(true);
}

void TforBackup::RunFinished()
{
    Refresh(true);
}

void TforBackup::ShowReport(const QStringList &report)
{
    TForReporting::Execute(report);
}
