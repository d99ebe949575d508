// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/XmlWriter.h"

#include <QIODevice>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace
{
// Small enough for a block that the allocator keeps and hands out again, so that no save pays
// for fresh pages.
constexpr qsizetype FlushBytes = qsizetype(64) << 10;

// Length of the UTF-8 sequence that starts with this byte; 1 for a stray byte.
int SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead < 0xF8)
        return 4;
    if (lead >= 0xE0)
        return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

void AppendReference(QByteArray &out, char32_t codePoint)
{
    out += "&#x";
    out += QByteArray::number(uint(codePoint), 16).toUpper();
    out += ';';
}
} // namespace

EncodingWriter::Target EncodingWriter::TargetFor(const QString &encodingName)
{
    const QString name = encodingName.trimmed().toUpper();
    if (name.isEmpty() || name == QLatin1String("UTF-8") || name == QLatin1String("UTF8"))
        return Utf8;
    static const char *const latin1Names[] = {"ISO-8859-1", "ISO8859-1", "ISO_8859-1",
                                              "LATIN1",     "LATIN-1",   "L1",
                                              "ISO-IR-100", "CP819",     "IBM819"};
    for (const char *latin1 : latin1Names)
        if (name == QLatin1String(latin1))
            return Latin1;
    return Ascii;
}

EncodingWriter::EncodingWriter(Target target, QIODevice *device)
    : m_target(target), m_device(device)
{
    // Room for a full piece and the largest chunk pugixml adds to it.
    m_output.reserve(FlushBytes + 16 * 1024);
}

void EncodingWriter::flush()
{
    if (!m_failed && !m_output.isEmpty()) {
        errno = 0;
        if (m_device->write(m_output.constData(), m_output.size()) != m_output.size()) {
            m_failed = true;
            m_writeError = errno;
        }
    }
    // Emptied but kept: its room serves the next piece.
    m_output.resize(0);
}

void EncodingWriter::write(const void *data, size_t size)
{
    const char *bytes = static_cast<const char *>(data);
    if (m_target == Utf8) {
        m_output.append(bytes, qsizetype(size));
    } else if (!m_pending.isEmpty()) {
        m_pending.append(bytes, qsizetype(size));
        const QByteArray joined = std::exchange(m_pending, QByteArray());
        transcode(joined.constData(), size_t(joined.size()));
    } else {
        transcode(bytes, size);
    }
    // pugixml hands over two kilobytes at a time; gathering them spares the file system hundreds
    // of small writes.
    if (m_output.size() >= FlushBytes)
        flush();
}

void EncodingWriter::transcode(const char *data, size_t size)
{
    const unsigned char limit = m_target == Latin1 ? 0xFF : 0x7F;
    size_t i = 0;
    while (i < size) {
        const auto lead = static_cast<unsigned char>(data[i]);
        if (lead < 0x80) {
            // Runs of plain ASCII, by far the most common case, go in one piece.
            size_t end = i + 1;
            // Eight bytes at a time while none has its high bit set.
            while (end + 8 <= size) {
                std::uint64_t word;
                std::memcpy(&word, data + end, sizeof word);
                if (word & 0x8080808080808080u)
                    break;
                end += 8;
            }
            while (end < size && static_cast<unsigned char>(data[end]) < 0x80)
                ++end;
            m_output.append(data + i, qsizetype(end - i));
            i = end;
            continue;
        }
        const int length = SequenceLength(lead);
        if (i + size_t(length) > size) {
            m_pending = QByteArray(data + i, qsizetype(size - i));
            return;
        }
        char32_t codePoint = length == 1 ? lead : char32_t(lead & (0x7F >> length));
        for (int k = 1; k < length; ++k)
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(data[i + k]) & 0x3F);
        if (codePoint <= limit)
            m_output.append(char(codePoint));
        else
            AppendReference(m_output, codePoint);
        i += size_t(length);
    }
}

bool EncodingWriter::finish()
{
    m_output.append(m_pending);
    m_pending.clear();
    flush();
    return !m_failed;
}
