// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the bytes that a child process writes, read chunk by chunk, into text.
#pragma once

#include <QString>

class cOutputDecoder
{
public:
    // Bytes arrive from the pipe in chunks of at most this many.
    static constexpr qsizetype ChunkSize = 255;

    // The text equals the whole output decoded at once as UTF-8 (QString::fromUtf8), however it is
    // cut into chunks: a character whose bytes fall into two chunks is decoded whole, and each
    // byte that starts no character gives one replacement character. A zero byte is dropped
    // alone; the bytes after it are kept.
    void Append(const char *bytes, qsizetype size);
    // The text of every chunk so far; each byte of an unfinished character at the very end gives
    // a replacement character, as when the whole output is decoded at once.
    QString Finish();

    // The room taken at once when an output outgrows its first 64K characters, in characters.
    // Only what is written of it is ever backed by memory; the rest is given back by Finish().
    static constexpr qsizetype LargeOutputRoom = qsizetype(512) << 20;

private:
    void Decode(const uchar *bytes, qsizetype size);
    void MakeRoom(qsizetype characters);

    QString m_text;
    qsizetype m_length = 0;
    // The first bytes of a character that the next chunk may finish.
    uchar m_carry[3] = {};
    qsizetype m_carried = 0;
    // Whether the first character has been looked at: a leading byte-order mark is dropped.
    bool m_headerDone = false;
};
