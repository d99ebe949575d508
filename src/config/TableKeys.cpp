// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/TableKeys.h"

QString FoldAsciiLetters(const QString &text)
{
    QString folded = text;
    for (QChar &character : folded)
        if (character >= QLatin1Char('A') && character <= QLatin1Char('Z'))
            character = QChar(character.unicode() + ('a' - 'A'));
    return folded;
}

bool TableKeyExists(const tTableNames &entries, const QString &key)
{
    const QString folded = FoldAsciiLetters(key);
    for (const rTableInformation &entry : entries)
        if (FoldAsciiLetters(entry.tablename) == folded || FoldAsciiLetters(entry.script) == folded)
            return true;
    return false;
}
