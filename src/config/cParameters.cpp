// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/cParameters.h"

QString cParameters::NameOf(const QString &line)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    return equals < 0 ? QString() : line.left(equals);
}

QString cParameters::Value(const QString &name) const
{
    for (const QString &line : m_lines) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        if (QStringView(line).left(equals).compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(equals + 1);
    }
    return QString();
}
