// SPDX-License-Identifier: GPL-3.0-or-later
// The connection parameter list: ordered name=value lines with a lookup by name.
#pragma once

#include <QString>
#include <QStringList>

class cParameters
{
public:
    void Add(const QString &line) { m_lines.append(line); }
    void Clear() { m_lines.clear(); }
    int Count() const { return int(m_lines.size()); }
    const QString &Line(int index) const { return m_lines.at(index); }
    const QStringList &Lines() const { return m_lines; }

    // The text before the first "=" of a line; empty for a line without "=".
    static QString NameOf(const QString &line);
    // The value of the first line whose name equals `name` regardless of case; empty when none.
    QString Value(const QString &name) const;

private:
    QStringList m_lines;
};
