// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cOutputDecoder.h"

#include <cstring>

void cOutputDecoder::Append(const char *bytes, qsizetype size)
{
    const char *end = bytes + size;
    while (bytes < end) {
        const auto *zero = static_cast<const char *>(std::memchr(bytes, 0, size_t(end - bytes)));
        const char *stop = zero ? zero : end;
        Decode(bytes, stop - bytes);
        bytes = zero ? zero + 1 : end;
    }
}

void cOutputDecoder::Decode(const char *bytes, qsizetype size)
{
    if (size <= 0)
        return;
    // Decoding straight into the tail of the text avoids a temporary string per chunk; resize()
    // grows the capacity geometrically, so a long output stays linear.
    const qsizetype needed = m_length + m_decoder.requiredSpace(size);
    if (m_text.size() < needed)
        m_text.resize(needed);
    QChar *begin = m_text.data();
    QChar *stop = m_decoder.appendToBuffer(begin + m_length, QByteArrayView(bytes, size));
    m_length = stop - begin;
}

QString cOutputDecoder::Finish()
{
    m_text.truncate(m_length);
    if (m_decoder.HasPendingBytes()) {
        m_text.append(QChar::ReplacementCharacter);
        m_decoder.resetState();
    }
    m_length = m_text.size();
    return m_text;
}
