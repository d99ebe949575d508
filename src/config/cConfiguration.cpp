// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/cConfiguration.h"

#include "app/Tools.h"
#include "config/XmlWriter.h"
#include "errors/Exceptions.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <pugixml.hpp>

#include <cstring>
#include <iterator>
#include <utility>

cConfiguration *AppConfiguration = nullptr;

namespace
{
// Comments, processing instructions and the doctype are kept so that they pass through a save.
constexpr unsigned ParseFlags = pugi::parse_cdata | pugi::parse_escapes |
                                pugi::parse_wconv_attribute | pugi::parse_declaration |
                                pugi::parse_comments | pugi::parse_pi | pugi::parse_doctype;

QString Text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// UTF-8 of a text in a buffer that is reused from call to call, so that writing thousands of
// values allocates nothing; the pointer holds until the next call.
class Utf8
{
public:
    const char *operator()(const QString &text)
    {
        m_buffer.clear();
        const char16_t *unit = reinterpret_cast<const char16_t *>(text.utf16());
        const char16_t *end = unit + text.size();
        for (; unit != end; ++unit) {
            char32_t c = *unit;
            if (c < 0x80) {
                m_buffer.push_back(char(c));
                continue;
            }
            if (QChar::isHighSurrogate(c) && unit + 1 != end && QChar::isLowSurrogate(unit[1]))
                c = QChar::surrogateToUcs4(char16_t(c), *++unit);
            else if (QChar::isSurrogate(c))
                c = QChar::ReplacementCharacter;
            if (c < 0x800) {
                m_buffer.push_back(char(0xC0 | (c >> 6)));
            } else if (c < 0x10000) {
                m_buffer.push_back(char(0xE0 | (c >> 12)));
                m_buffer.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            } else {
                m_buffer.push_back(char(0xF0 | (c >> 18)));
                m_buffer.push_back(char(0x80 | ((c >> 12) & 0x3F)));
                m_buffer.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            }
            m_buffer.push_back(char(0x80 | (c & 0x3F)));
        }
        return m_buffer.c_str();
    }

private:
    std::string m_buffer;
};

QString DeclaredEncoding(const pugi::xml_document &document)
{
    for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling())
        if (node.type() == pugi::node_declaration)
            return Text(node.attribute("encoding").value());
    return QString();
}

QString TextContent(const pugi::xml_node &element)
{
    const pugi::xml_node child = element.first_child();
    if (!child)
        return QString();
    const bool text = child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata;
    if (!text || child.next_sibling())
        throw EXmlFileError(
            QStringLiteral("The element \"%1\" must hold a single text and nothing else")
                .arg(Text(element.name())));
    return Text(child.value());
}

void SetAttribute(pugi::xml_node element, const QString &name, const QString &value)
{
    const QByteArray key = name.toUtf8();
    pugi::xml_attribute attribute = element.attribute(key.constData());
    if (!attribute)
        attribute = element.append_attribute(key.constData());
    attribute.set_value(value.toUtf8().constData());
}

pugi::xml_node ChildOrAppend(pugi::xml_node parent, const char *name)
{
    pugi::xml_node child = parent.child(name);
    return child ? child : parent.append_child(name);
}

// Whether the "tables" element is exactly what Write would build from the values read out of it:
// the last child, a non-empty "path" alone, and only "table" children with the attributes
// "tablename" and "filename" in that order and a non-empty text or nothing.
bool IsAsWritten(const pugi::xml_node &configuration, const pugi::xml_node &tables)
{
    if (configuration.last_child() != tables || !tables.first_child())
        return false;
    const pugi::xml_attribute path = tables.first_attribute();
    if (!path || std::strcmp(path.name(), "path") != 0 || !*path.value() || path.next_attribute())
        return false;
    for (pugi::xml_node table = tables.first_child(); table; table = table.next_sibling()) {
        if (table.type() != pugi::node_element || std::strcmp(table.name(), "table") != 0)
            return false;
        const pugi::xml_attribute name = table.first_attribute();
        const pugi::xml_attribute file = name.next_attribute();
        if (!name || std::strcmp(name.name(), "tablename") != 0 || !file ||
            std::strcmp(file.name(), "filename") != 0 || file.next_attribute())
            return false;
        const pugi::xml_node text = table.first_child();
        if (text && (text.type() != pugi::node_pcdata || !*text.value() || text.next_sibling()))
            return false;
    }
    return true;
}

QString Position(const QByteArray &bytes, ptrdiff_t offset)
{
    const QByteArray before = bytes.left(qsizetype(offset));
    const qsizetype line = before.count('\n') + 1;
    const qsizetype column = offset - (before.lastIndexOf('\n') + 1) + 1;
    return QStringLiteral("line %1, column %2").arg(line).arg(column);
}
} // namespace

cConfiguration::cConfiguration(const QString &fileName)
    : FFileName(fileName), XML(std::make_unique<pugi::xml_document>()),
      m_parameters(std::make_unique<cParameters>())
{
}

cConfiguration::~cConfiguration() = default;

QString cConfiguration::DefaultXML()
{
    return QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
        "<configuration>\r\n"
        "  <connection password=\"WARPE7\" user=\"sa\" catalog=\"qolma\" "
        "server=\".\\SQLEXPRESS\">Provider=SQLOLEDB.1;Password=%password%;Persist Security "
        "Info=True;User ID=%user%;Initial Catalog=%catalog%;Data Source=%server%</connection>\r\n"
        "  <appearence skin=\"Amakrits\"/>\r\n"
        "</configuration>");
}

void cConfiguration::Read()
{
    if (QFileInfo(FFileName).isFile()) {
        const QByteArray path = QFile::encodeName(FFileName);
        pugi::xml_parse_result result = XML->load_file(path.constData(), ParseFlags);
        // pugixml knows the common names of Latin-1 from the declaration; the rarer aliases are
        // read again as what they name.
        if (result && result.encoding != pugi::encoding_latin1 &&
            EncodingWriter::TargetFor(DeclaredEncoding(*XML)) == EncodingWriter::Latin1)
            result = XML->load_file(path.constData(), ParseFlags, pugi::encoding_latin1);
        if (result.status == pugi::status_file_not_found || result.status == pugi::status_io_error)
            throw EFileSystemError(QStringLiteral("Cannot read the configuration file %1: %2")
                                       .arg(FFileName, Text(result.description())));
        if (!result) {
            QFile file(FFileName);
            const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            throw EXmlFileError(
                QStringLiteral("%1 (%2) in %3")
                    .arg(Text(result.description()), Position(bytes, result.offset), FFileName));
        }
    } else {
        const QByteArray bytes = DefaultXML().toUtf8();
        XML->load_buffer(bytes.constData(), size_t(bytes.size()), ParseFlags, pugi::encoding_utf8);
    }

    m_documentTables.reset();
    FConnection = rConnection();
    FAppearence = rAppearence();
    FTables.clear();
    m_parameters->Clear();
    FConnection.parameters = m_parameters.get();

    const pugi::xml_node configuration = XML->child("configuration");
    if (!configuration)
        return;

    if (const pugi::xml_node connection = configuration.child("connection")) {
        FConnection.connection_string = TextContent(connection);
        for (const pugi::xml_attribute &attribute : connection.attributes())
            m_parameters->Add(Text(attribute.name()) + QLatin1Char('=') + Text(attribute.value()));
    }

    if (const pugi::xml_node appearence = configuration.child("appearence"))
        FAppearence.skin = Text(appearence.attribute("skin").value());

    const pugi::xml_node tables = configuration.child("tables");
    if (!tables)
        return;
    Fbackup_path = Text(tables.attribute("path").value());
    if (Fbackup_path.isEmpty())
        Fbackup_path = BackupPath;
    const auto entries = tables.children("table");
    FTables.reserve(std::distance(entries.begin(), entries.end()));
    for (const pugi::xml_node &table : entries) {
        rTableInformation entry;
        entry.tablename = Text(table.attribute("tablename").value());
        entry.script = TextContent(table);
        entry.filename = Text(table.attribute("filename").value());
        FTables.append(std::move(entry));
    }
    if (IsAsWritten(configuration, tables))
        m_documentTables = DocumentTables{Fbackup_path, FTables};
}

void cConfiguration::Write()
{
    pugi::xml_node configuration = XML->child("configuration");
    if (!configuration) {
        if (const pugi::xml_node root = XML->document_element())
            throw EXmlFileError(
                QStringLiteral("The root element of %1 is \"%2\", not \"configuration\"")
                    .arg(FFileName, Text(root.name())));
        configuration = XML->append_child("configuration");
    }

    const pugi::xml_node connection = ChildOrAppend(configuration, "connection");
    for (const QString &line : m_parameters->Lines()) {
        const QString name = cParameters::NameOf(line);
        // A line without a name cannot become an attribute.
        if (!name.isEmpty())
            SetAttribute(connection, name, m_parameters->Value(name));
    }

    SetAttribute(ChildOrAppend(configuration, "appearence"), QStringLiteral("skin"),
                 FAppearence.skin);

    // Rebuilding would give the very element the document holds already when it was written
    // from these same values; a large table list then costs nothing to keep.
    const bool tablesUnchanged = m_documentTables.has_value() &&
                                 m_documentTables->path == Fbackup_path &&
                                 m_documentTables->tables == FTables;
    if (!tablesUnchanged) {
        if (const pugi::xml_node oldTables = configuration.child("tables"))
            configuration.remove_child(oldTables);
        m_documentTables.reset();
        if (!FTables.isEmpty()) {
            Utf8 utf8;
            pugi::xml_node tables = configuration.append_child("tables");
            tables.append_attribute("path").set_value(utf8(Fbackup_path));
            for (const rTableInformation &entry : std::as_const(FTables)) {
                pugi::xml_node table = tables.append_child("table");
                table.append_attribute("tablename").set_value(utf8(entry.tablename));
                if (!entry.script.isEmpty())
                    table.append_child(pugi::node_pcdata).set_value(utf8(entry.script));
                table.append_attribute("filename").set_value(utf8(entry.filename));
            }
            m_documentTables = DocumentTables{Fbackup_path, FTables};
        }
    }

    // Through a temporary file that replaces the old one only once every byte is written, so a
    // failed save leaves the old file whole. Unbuffered, so that a short write (a full disk, a
    // size limit) shows at once. The file holds a password: only its owner may read it.
    QSaveFile file(FFileName);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        EncodingWriter writer(EncodingWriter::TargetFor(DeclaredEncoding(*XML)), &file);
        XML->save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
        if (writer.finish() && file.commit())
            return;
        file.cancelWriting();
        if (writer.writeError() != 0)
            throw EFileSystemError(
                QStringLiteral("Cannot write the configuration file %1: %2")
                    .arg(FFileName, QString::fromLocal8Bit(std::strerror(writer.writeError()))));
    }
    throw EFileSystemError(QStringLiteral("Cannot write the configuration file %1: %2")
                               .arg(FFileName, file.errorString()));
}
