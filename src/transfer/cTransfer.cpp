// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/cTransfer.h"

#include "app/MessageBox.h"
#include "app/Tools.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

namespace
{
const QString Separator = QStringLiteral("/");

// bcp often exits with 0 after an error, so its own error lines decide as much as the status.
bool IsErrorLine(const QString &line)
{
    static const QRegularExpression sqlState(QStringLiteral("\\bSQLState\\s*=\\s*(\\S*)"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression error(QStringLiteral("\\bError\\s*="),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression message(
        QStringLiteral("\\bMsg\\s+\\d+\\s*,\\s*Level\\s+(\\d+)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression unableBefore(
        QStringLiteral("(\\d+)\\s+rows?\\s+unable\\s+to\\s+be\\s+copied"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression unableAfter(
        QStringLiteral("rows?\\s+unable\\s+to\\s+be\\s+copied\\D*(\\d+)"),
        QRegularExpression::CaseInsensitiveOption);

    const QRegularExpressionMatch state = sqlState.match(line);
    // ODBC's class 01 holds warnings, which bcp prints the same way but which stop nothing.
    if (state.hasMatch() && !state.captured(1).startsWith(QStringLiteral("01")))
        return true;
    if (error.match(line).hasMatch())
        return true;
    const QRegularExpressionMatch level = message.match(line);
    if (level.hasMatch() && level.captured(1).toInt() >= 11)
        return true;
    QRegularExpressionMatch unable = unableBefore.match(line);
    if (!unable.hasMatch())
        unable = unableAfter.match(line);
    // A count too long for an integer is above 0 all the same.
    if (unable.hasMatch() &&
        unable.captured(1).contains(QRegularExpression(QStringLiteral("[1-9]"))))
        return true;
    return false;
}

QString FirstNonEmptyLine(const QStringList &lines)
{
    for (const QString &line : lines)
        if (!line.trimmed().isEmpty())
            return line.trimmed();
    return QString();
}

// The wildcards of a file search, * (any run) and ? (one character); everything else literal.
QRegularExpression WildcardPattern(const QString &name)
{
    QString pattern;
    for (const QChar c : name) {
        if (c == QLatin1Char('*'))
            pattern += QStringLiteral(".*");
        else if (c == QLatin1Char('?'))
            pattern += QLatin1Char('.');
        else
            pattern += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern),
                              QRegularExpression::DotMatchesEverythingOption);
}
} // namespace

cTransfer::cTransfer(cTransferSteps &steps) : m_steps(steps) {}

void cTransfer::Load(const tTableNames &tablist, bool exportation, const QString &folder)
{
    FExportation = exportation;
    fTitle = exportation ? QStringLiteral("Export") : QStringLiteral("Import");
    const QString prefix = IncludeTrailingText(folder, Separator);
    InfosCheck.clear();
    InfosCheck.reserve(tablist.size());
    for (const rTableInformation &entry : tablist) {
        rInfoCheck row;
        row.selected = true;
        row.tableName = entry.tablename;
        row.script = entry.script;
        row.FileName = prefix + FileNamePart(entry.filename);
        row.Complete = false;
        InfosCheck.append(row);
    }
}

void cTransfer::FlipSelected(int index)
{
    if (index >= 0 && index < InfosCheck.size())
        InfosCheck[index].selected = !InfosCheck[index].selected;
}

int cTransfer::Percent(int progress, int range)
{
    if (range <= 0)
        return 0;
    return int(qint64(progress) * 100 / range);
}

void cTransfer::Run(cTransferView &view)
{
    // Between rows pending events are processed, so Action can be pressed again mid-run.
    if (FRunning)
        return;
    FRunning = true;
    const auto stopped = qScopeGuard([this] { FRunning = false; });

    if (!MessageBox::confirm(QStringLiteral("Do you want to ") + fTitle +
                             QStringLiteral(" datas ?")))
        return;

    FRange = int(InfosCheck.size());
    view.RangeChanged(FRange);

    bool truncate = false;
    if (!FExportation)
        truncate = MessageBox::confirm(
            QStringLiteral("Do you want to truncate table before restoring datas ?"));

    for (int index = 0; index < InfosCheck.size(); ++index) {
        if (!InfosCheck.at(index).selected)
            continue;
        view.RowStarting(index);
        ProcessRow(index, truncate);
        ++FProgress;
        InfosCheck[index].Complete = true;
        view.RowDone(index);
    }
    view.RunFinished();

    if (MessageBox::confirm(
            QStringLiteral("Traitement complete, do you want to consult repport ?")))
        view.ShowReport(Rapport);
}

void cTransfer::ProcessRow(int index, bool truncate)
{
    // A copy: the steps may process events, and nothing must hold a reference into the list then.
    const rInfoCheck row = InfosCheck.at(index);
    CommandResult result;
    if (FExportation) {
        result = row.script.isEmpty() ? m_steps.ExportTable(row.tableName, row.FileName)
                                      : m_steps.ExportQuery(row.script, row.FileName);
    } else {
        if (truncate && !m_steps.TruncateTable(row.tableName)) {
            const QString entry = QStringLiteral("truncate table ") + row.tableName;
            Rapport.append(entry);
            InfosCheck[index].Failed = true;
            InfosCheck[index].FailureLine = entry;
            return;
        }
        result = m_steps.ImportTable(row.tableName, row.FileName);
    }
    Rapport.append(result.output);
    const QString failure = FailureOf(result);
    InfosCheck[index].Failed = !failure.isEmpty();
    InfosCheck[index].FailureLine = failure;
}

QString cTransfer::FailureOf(const CommandResult &result)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = result.output.split(lineBreak);
    if (!result.started) {
        // The runner says why, when it knows.
        const QString reason = FirstNonEmptyLine(lines);
        return reason.isEmpty() ? QStringLiteral("bcp could not be started.") : reason;
    }
    for (const QString &line : lines)
        if (IsErrorLine(line))
            return line.trimmed();
    if (!result.exitedNormally)
        return QStringLiteral("bcp ended abnormally.");
    if (result.exitCode != 0)
        return QStringLiteral("bcp exited with status %1.").arg(result.exitCode);
    return QString();
}

bool cTransfer::DataFileFound(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    // A path that ends with a separator names no entry, as a search for it finds nothing.
    if (name.isEmpty())
        return false;
    if (!name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?')))
        return info.exists() || info.isSymLink();
    const QRegularExpression pattern = WildcardPattern(name);
    const QDir folder = info.dir();
    const QStringList entries =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries)
        if (pattern.match(entry).hasMatch())
            return true;
    return false;
}

tTableNames cTransfer::PresentEntries(const tTableNames &tables, const QString &backupFolder)
{
    tTableNames present;
    for (const rTableInformation &entry : tables)
        if (DataFileFound(backupFolder + entry.filename))
            present.append(entry);
    return present;
}
