// SPDX-License-Identifier: GPL-3.0-or-later
// The duplicate rule of the table list: a new entry's key (its table name, or its script when
// the name is empty) may not equal the table name or the script of an entry already listed.
#pragma once

#include "config/cConfiguration.h"

#include <QString>

// The letters A to Z in lower case; every other character, accented letters included, unchanged.
QString FoldAsciiLetters(const QString &text);

// True when the key equals, folding only A to Z on both sides, the table name or the script of
// one of the entries.
bool TableKeyExists(const tTableNames &entries, const QString &key);
