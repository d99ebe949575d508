// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cOutputDecoder.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace
{
// Up to this many characters the text grows the ordinary way; beyond, it takes LargeOutputRoom.
constexpr qsizetype SmallOutputCharacters = qsizetype(64) << 10;
// Below this the output is left to the allocator alone.
constexpr qsizetype HugeOutputBytes = qsizetype(8) << 20;
// How far the text's size runs ahead of its decoded length, in characters.
constexpr qsizetype SizeStep = qsizetype(64) << 10;

// A long output fills hundreds of megabytes; faulting them in as huge pages rather than 4 KiB
// pages makes the capture several times faster. The advice covers whole pages, so that a block
// of its own keeps one set of flags.
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

bool IsContinuation(uchar byte)
{
    return (byte & 0xC0) == 0x80;
}

void AppendCode(char32_t code, char16_t *&target)
{
    if (code < 0x10000) {
        *target++ = char16_t(code);
    } else {
        *target++ = char16_t(0xD800 + ((code - 0x10000) >> 10));
        *target++ = char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
    }
}

// Decodes the complete, well-formed UTF-8 characters at the start of [source, end) into `out` and
// returns where the first byte that does not start one lies (or `end`). `out` has room for one
// character per byte. This is the fast path of DecodeOne below, for the characters it accepts;
// decoding them here in the same loop rather than calling DecodeOne for each keeps a long
// capture about 4% faster.
const uchar *DecodeWellFormed(const uchar *source, const uchar *const end, char16_t *&out)
{
    char16_t *target = out;
    while (source < end) {
#ifdef __SSE2__
        // Sixteen bytes at a time while they are ASCII. A block is widened and stored before it is
        // known to be all ASCII: there are at least as many bytes left as it holds, so it stays in
        // the room, and the characters after its ASCII part are written again below.
        const __m128i zero = _mm_setzero_si128();
        bool stopped = false;
        while (!stopped && end - source >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(source));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(target), _mm_unpacklo_epi8(bytes, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(target + 8),
                             _mm_unpackhi_epi8(bytes, zero));
            const unsigned nonAscii = unsigned(_mm_movemask_epi8(bytes));
            const int ascii = nonAscii == 0 ? 16 : std::countr_zero(nonAscii);
            source += ascii;
            target += ascii;
            stopped = ascii < 16;
        }
        if (!stopped && end - source >= 8) {
            // The same for eight bytes, at the end of a chunk.
            const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(source));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(target), _mm_unpacklo_epi8(bytes, zero));
            const unsigned nonAscii = unsigned(_mm_movemask_epi8(bytes)) & 0xFF;
            const int ascii = nonAscii == 0 ? 8 : std::countr_zero(nonAscii);
            source += ascii;
            target += ascii;
        }
#endif
        while (source < end && *source < 0x80)
            *target++ = *source++;
        if (source == end)
            break;

        // One multi-byte character, by the table of well-formed byte sequences: no overlong form,
        // no surrogate, nothing above U+10FFFF.
        const qsizetype left = end - source;
        const uchar lead = source[0];
        if (lead >= 0xC2 && lead <= 0xDF) {
            if (left < 2 || !IsContinuation(source[1]))
                break;
            *target++ = char16_t((lead & 0x1F) << 6 | (source[1] & 0x3F));
            source += 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            if (left < 3 || source[1] < (lead == 0xE0 ? 0xA0 : 0x80) ||
                source[1] > (lead == 0xED ? 0x9F : 0xBF) || !IsContinuation(source[2]))
                break;
            *target++ =
                char16_t((lead & 0x0F) << 12 | (source[1] & 0x3F) << 6 | (source[2] & 0x3F));
            source += 3;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            if (left < 4 || source[1] < (lead == 0xF0 ? 0x90 : 0x80) ||
                source[1] > (lead == 0xF4 ? 0x8F : 0xBF) || !IsContinuation(source[2]) ||
                !IsContinuation(source[3]))
                break;
            AppendCode(char32_t(lead & 0x07) << 18 | char32_t(source[1] & 0x3F) << 12 |
                           char32_t(source[2] & 0x3F) << 6 | char32_t(source[3] & 0x3F),
                       target);
            source += 4;
        } else {
            break;
        }
    }
    out = target;
    return source;
}

// Decodes the one character at `source`, or gives a replacement character for its first byte when
// the bytes do not form one, as QString::fromUtf8 does; `end` is where the bytes known so far end.
// Returns the number of bytes used, or 0 when they end before the character does and so far
// could begin one.
qsizetype DecodeOne(const uchar *source, const uchar *end, char16_t *&target)
{
    const uchar lead = source[0];
    if (lead < 0x80) {
        *target++ = lead;
        return 1;
    }
    qsizetype length;
    char32_t least;
    char32_t code;
    if (lead < 0xC2 || lead > 0xF4) {
        // A continuation byte, the start of an overlong form, or a byte that never occurs.
        *target++ = QChar::ReplacementCharacter;
        return 1;
    } else if (lead < 0xE0) {
        length = 2;
        least = 0x80;
        code = lead & 0x1F;
    } else if (lead < 0xF0) {
        length = 3;
        least = 0x800;
        code = lead & 0x0F;
    } else {
        length = 4;
        least = 0x10000;
        code = lead & 0x07;
    }
    for (qsizetype at = 1; at < length; ++at) {
        if (source + at == end)
            return 0;
        if (!IsContinuation(source[at])) {
            *target++ = QChar::ReplacementCharacter;
            return 1;
        }
        code = code << 6 | (source[at] & 0x3F);
    }
    if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
        *target++ = QChar::ReplacementCharacter;
        return 1;
    }
    AppendCode(code, target);
    return length;
}
} // namespace

void cOutputDecoder::Append(const char *bytes, qsizetype size)
{
    const char *end = bytes + size;
    while (bytes < end) {
        const auto *zero = static_cast<const char *>(std::memchr(bytes, 0, size_t(end - bytes)));
        const char *stop = zero ? zero : end;
        Decode(reinterpret_cast<const uchar *>(bytes), stop - bytes);
        bytes = zero ? zero + 1 : end;
    }
}

void cOutputDecoder::MakeRoom(qsizetype characters)
{
    if (characters <= m_text.size())
        return;
    if (characters > m_text.capacity() && characters > SmallOutputCharacters &&
        m_text.capacity() < LargeOutputRoom) {
        // A long output takes one large room at once: growing step by step would move the text to
        // a larger block again and again and break its huge pages up each time. The room is a new
        // block, advised before anything is written to it, and address space only until written.
        try {
            QString room;
            room.reserve(std::max(characters, LargeOutputRoom));
            AdviseHugePages(room.data(), room.capacity() * qsizetype(sizeof(QChar)));
            room.append(QStringView(m_text.constData(), m_length));
            m_text.swap(room);
        } catch (const std::bad_alloc &) {
            // No address space for it: the text grows the ordinary way below.
        }
    }
    const qsizetype capacity = m_text.capacity();
    // The size runs ahead of what the next chunks need, so that they find room without a call.
    m_text.resize(std::max(characters, std::min(m_text.capacity(), characters + SizeStep)));
    const qsizetype reserved = m_text.capacity() * qsizetype(sizeof(QChar));
    if (m_text.capacity() != capacity && reserved >= HugeOutputBytes)
        AdviseHugePages(m_text.data(), reserved);
}

void cOutputDecoder::Decode(const uchar *bytes, qsizetype size)
{
    if (size <= 0)
        return;
    // Decoding straight into the tail of the text avoids a temporary string per chunk. No byte
    // gives more than one character, and a 4-byte character gives two.
    if (m_text.size() - m_length < m_carried + size)
        MakeRoom(m_length + m_carried + size);
    QChar *const begin = m_text.data();
    char16_t *target = reinterpret_cast<char16_t *>(begin + m_length);
    const uchar *source = bytes;
    const uchar *const end = bytes + size;

    if (m_carried > 0) {
        // The carried bytes with the first bytes of this chunk: enough to finish any character.
        uchar joined[sizeof m_carry + 4];
        const qsizetype taken = std::min<qsizetype>(size, 4);
        std::memcpy(joined, m_carry, size_t(m_carried));
        std::memcpy(joined + m_carried, bytes, size_t(taken));
        const uchar *at = joined;
        const uchar *const joinedEnd = joined + m_carried + taken;
        while (at < joined + m_carried) {
            const qsizetype used = DecodeOne(at, joinedEnd, target);
            if (used == 0)
                break;
            at += used;
        }
        if (at < joined + m_carried) {
            // Still unfinished: this chunk was too short, and all of it is carried on.
            m_carried = joinedEnd - at;
            std::memmove(m_carry, at, size_t(m_carried));
            source = end;
        } else {
            source += (at - joined) - m_carried;
            m_carried = 0;
        }
    }

    while (source < end) {
        source = DecodeWellFormed(source, end, target);
        if (source == end)
            break;
        const qsizetype used = DecodeOne(source, end, target);
        if (used == 0) {
            m_carried = end - source;
            std::memcpy(m_carry, source, size_t(m_carried));
            break;
        }
        source += used;
    }
    m_length = reinterpret_cast<QChar *>(target) - begin;

    if (!m_headerDone && m_length > 0) {
        // A byte-order mark as the very first character is dropped, as when the whole output is
        // decoded at once.
        if (begin[0] == QChar::ByteOrderMark) {
            std::memmove(begin, begin + 1, size_t(m_length - 1) * sizeof(QChar));
            --m_length;
        }
        m_headerDone = true;
    }
}

QString cOutputDecoder::Finish()
{
    m_text.truncate(m_length);
    // Each byte of a character that the output ends in the middle of gives a replacement character.
    if (m_carried > 0) {
        m_text.append(QString(m_carried, QChar::ReplacementCharacter));
        m_carried = 0;
        m_headerDone = true;
    }
    // The room that a long output took beyond its text goes back.
    if (m_text.capacity() - m_text.size() > SmallOutputCharacters)
        m_text.squeeze();
    m_length = m_text.size();
    return m_text;
}
