// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the UTF-8 that pugixml writes into the bytes of the encoding a declaration names.
#pragma once

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

class EncodingWriter : public pugi::xml_writer
{
public:
    enum Target { Utf8, Latin1, Ascii };

    // "ISO-8859-1" and its aliases give Latin1, "UTF-8" or no name gives Utf8; any other name
    // gives Ascii, which every 8-bit encoding reads alike.
    static Target TargetFor(const QString &encodingName);

    explicit EncodingWriter(Target target) : m_target(target) {}

    void write(const void *data, size_t size) override;
    // The bytes written so far; a sequence cut at the end is passed on as it is.
    QByteArray finish();

private:
    void transcode(const char *data, size_t size);

    Target m_target;
    QByteArray m_output;
    QByteArray m_pending; // start of a UTF-8 sequence whose remaining bytes come next
};
