// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cOutputDecoder.h"

#include <cstdint>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace
{
// Below this the output is left to the allocator alone.
constexpr qsizetype HugeOutputBytes = qsizetype(8) << 20;

// A long output fills hundreds of megabytes; faulting them in as huge pages rather than 4 KiB
// pages makes the capture several times faster. The advice covers whole pages, so that a block
// of its own keeps one set of flags and the allocator can still grow it in place.
void AdviseHugePages(void *data, qsizetype bytes)
{
#ifdef MADV_HUGEPAGE
    const uintptr_t page = uintptr_t(::sysconf(_SC_PAGESIZE));
    const uintptr_t begin = reinterpret_cast<uintptr_t>(data) & ~(page - 1);
    const uintptr_t end =
        (reinterpret_cast<uintptr_t>(data) + uintptr_t(bytes) + page - 1) & ~(page - 1);
    ::madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(bytes);
#endif
}
} // namespace

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
    if (m_text.size() < needed) {
        // The whole capacity is taken at once, so that the next chunks find room without a call.
        const qsizetype capacity = m_text.capacity();
        m_text.resize(needed);
        m_text.resize(m_text.capacity());
        const qsizetype reserved = m_text.capacity() * qsizetype(sizeof(QChar));
        if (m_text.capacity() != capacity && reserved >= HugeOutputBytes)
            AdviseHugePages(m_text.data(), reserved);
    }
    QChar *begin = m_text.data();
    QChar *stop = m_decoder.appendToBuffer(begin + m_length, QByteArrayView(bytes, size));
    m_length = stop - begin;
}

QString cOutputDecoder::Finish()
{
    m_text.truncate(m_length);
    if (const qsizetype pending = m_decoder.PendingBytes()) {
        m_text.append(QString(pending, QChar::ReplacementCharacter));
        m_decoder.resetState();
    }
    m_length = m_text.size();
    return m_text;
}
