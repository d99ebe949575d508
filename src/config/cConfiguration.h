// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration object: the XML document of the configuration file, kept in memory for the
// object's whole life, and the values read out of it. Whatever the program does not write passes
// through unchanged.
#pragma once

#include "config/cParameters.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace pugi
{
class xml_document;
}

struct rTableInformation {
    QString tablename;
    QString script;
    QString filename;
    bool operator==(const rTableInformation &) const = default;
};

using tTableNames = QList<rTableInformation>;

// Copying a connection copies the reference to its parameter list, not the list.
struct rConnection {
    QString connection_string;
    cParameters *parameters = nullptr;
};

struct rAppearence {
    QString skin;
};

class cConfiguration
{
public:
    // Create: an object on the given file, with an empty document and empty fields.
    explicit cConfiguration(const QString &fileName);
    // Destroy: releases the document without saving it.
    virtual ~cConfiguration();
    cConfiguration(const cConfiguration &) = delete;
    cConfiguration &operator=(const cConfiguration &) = delete;

    // Loads the file, or the default document when no file exists, and reads the values.
    // Throws EXmlFileError when the file cannot be parsed or an element holds more than a text.
    void Read();
    // Puts the values into the document and saves it in the encoding its declaration names.
    // Throws EXmlFileError when the document's root is not "configuration", EFileSystemError
    // when the file cannot be written (the old file then stays whole).
    void Write();

    static QString DefaultXML();

    QString FFileName;
    rConnection FConnection;
    rAppearence FAppearence;
    tTableNames FTables;
    QString Fbackup_path;

    rConnection &connection() { return FConnection; }
    rAppearence &appearence() { return FAppearence; }
    tTableNames &tables() { return FTables; }
    QString &backup_path() { return Fbackup_path; }

private:
    // The values from which the document's "tables" element was built, or was read when it is
    // exactly what Write would build from them; empty when it must be rebuilt.
    struct DocumentTables {
        QString path;
        tTableNames tables;
    };

    std::unique_ptr<pugi::xml_document> XML;
    std::unique_ptr<cParameters> m_parameters;
    std::optional<DocumentTables> m_documentTables;
};

// The one configuration of the running program.
extern cConfiguration *AppConfiguration;
