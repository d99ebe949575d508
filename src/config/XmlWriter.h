// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the UTF-8 that pugixml writes into the bytes of the encoding a declaration names, and
// passes them on to the file being written in large pieces.
#pragma once

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

class QIODevice;

class EncodingWriter : public pugi::xml_writer
{
public:
    enum Target { Utf8, Latin1, Ascii };

    // "ISO-8859-1" and its aliases give Latin1, "UTF-8" or no name gives Utf8; any other name
    // gives Ascii, which every 8-bit encoding reads alike.
    static Target TargetFor(const QString &encodingName);

    EncodingWriter(Target target, QIODevice *device);

    void write(const void *data, size_t size) override;
    // Passes on a sequence cut at the end as it is; false when any byte could not be written.
    bool finish();
    // The C library's error of the first write that failed, 0 when none did.
    int writeError() const { return m_writeError; }

private:
    void transcode(const char *data, size_t size);
    // Writes what has gathered in m_output.
    void flush();

    Target m_target;
    QIODevice *m_device;
    QByteArray m_output;  // gathered until it is large enough to write
    QByteArray m_pending; // start of a UTF-8 sequence whose remaining bytes come next
    bool m_failed = false;
    int m_writeError = 0;
};
