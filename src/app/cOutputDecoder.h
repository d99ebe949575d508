// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the bytes that a child process writes, read chunk by chunk, into text.
#pragma once

#include <QString>
#include <QStringDecoder>

class cOutputDecoder
{
public:
    // Bytes arrive from the pipe in chunks of at most this many.
    static constexpr qsizetype ChunkSize = 255;

    // One decoder runs across all chunks, so a character whose bytes fall into two chunks is
    // decoded whole. A zero byte is dropped alone; the bytes after it are kept.
    void Append(const char *bytes, qsizetype size);
    // The text of every chunk so far; each byte of an unfinished character at the very end gives
    // a replacement character, as when the whole output is decoded at once.
    QString Finish();

private:
    // The pending bytes of an unfinished character sit in the converter's protected state.
    class Utf8Decoder : public QStringDecoder
    {
    public:
        Utf8Decoder() : QStringDecoder(QStringDecoder::Utf8) {}
        qsizetype PendingBytes() const { return state.remainingChars; }
    };

    void Decode(const char *bytes, qsizetype size);

    Utf8Decoder m_decoder;
    QString m_text;
    qsizetype m_length = 0;
};
