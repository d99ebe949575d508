// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Styles.h"

#include "app/MessageBox.h"

#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QStyle>
#include <QStyleFactory>
#include <QToolTip>
#include <QWidget>

#include <utility>

// Outside any namespace, as Qt's resource initialiser requires.
static void InitStyleResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(styles);
        return true;
    }();
    Q_UNUSED(registered);
}

const QString Styles::SystemStyleName = QStringLiteral("Windows");
const QString Styles::DefaultStyleName = QStringLiteral("Amakrits");

const QStringList Styles::CarriedNames = {
    QStringLiteral("Amakrits"),
    QStringLiteral("Amethyst Kamri"),
    QStringLiteral("Aqua Graphite"),
    QStringLiteral("Aqua Light Slate"),
    QStringLiteral("Auric"),
    QStringLiteral("Carbon"),
    QStringLiteral("Charcoal Dark Slate"),
    QStringLiteral("Cobalt XEMedia"),
    QStringLiteral("Cyan Dusk"),
    QStringLiteral("Cyan Night"),
    QStringLiteral("Emerald Light Slate"),
    QStringLiteral("Golden Graphite"),
    QStringLiteral("Iceberg Classico"),
    QStringLiteral("Lavender Classico"),
    QStringLiteral("Light"),
    QStringLiteral("Luna"),
    QStringLiteral("Metropolis UI Black"),
    QStringLiteral("Metropolis UI Blue"),
    QStringLiteral("Metropolis UI Dark"),
    QStringLiteral("Metropolis UI Green"),
    QStringLiteral("Obsidian"),
    QStringLiteral("Ruby Graphite"),
    QStringLiteral("Sapphire Kamri"),
    QStringLiteral("Silver"),
    QStringLiteral("Slate Classico"),
    QStringLiteral("Smokey Quartz Kamri"),
    QStringLiteral("Turquoise Gray"),
};

namespace
{
struct RoleKey {
    const char *key;
    QPalette::ColorRole role;
};

// Every colour role that Qt 6.4 draws with.
const RoleKey PaletteRoles[] = {
    {"Window", QPalette::Window},
    {"WindowText", QPalette::WindowText},
    {"Base", QPalette::Base},
    {"AlternateBase", QPalette::AlternateBase},
    {"ToolTipBase", QPalette::ToolTipBase},
    {"ToolTipText", QPalette::ToolTipText},
    {"PlaceholderText", QPalette::PlaceholderText},
    {"Text", QPalette::Text},
    {"Button", QPalette::Button},
    {"ButtonText", QPalette::ButtonText},
    {"BrightText", QPalette::BrightText},
    {"Light", QPalette::Light},
    {"Midlight", QPalette::Midlight},
    {"Mid", QPalette::Mid},
    {"Dark", QPalette::Dark},
    {"Shadow", QPalette::Shadow},
    {"Highlight", QPalette::Highlight},
    {"HighlightedText", QPalette::HighlightedText},
    {"Link", QPalette::Link},
    {"LinkVisited", QPalette::LinkVisited},
};

struct StateKey {
    const char *key;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

const StateKey StateColours[] = {
    {"DisabledWindowText", QPalette::Disabled, QPalette::WindowText},
    {"DisabledText", QPalette::Disabled, QPalette::Text},
    {"DisabledButtonText", QPalette::Disabled, QPalette::ButtonText},
    {"DisabledBase", QPalette::Disabled, QPalette::Base},
    {"DisabledButton", QPalette::Disabled, QPalette::Button},
    {"InactiveHighlight", QPalette::Inactive, QPalette::Highlight},
    {"InactiveHighlightedText", QPalette::Inactive, QPalette::HighlightedText},
};

struct SystemLook {
    bool remembered = false;
    QString styleName;
    QPalette palette;
    QPalette toolTipPalette;
};

SystemLook &systemLook()
{
    static SystemLook look;
    return look;
}

QString &activeStyleName()
{
    static QString name = Styles::SystemStyleName;
    return name;
}

// The resource file of a carried name: lower case, blanks as dashes ("ruby-graphite.json").
QString ResourceOf(const QString &name)
{
    QString slug = name.toLower();
    slug.replace(QLatin1Char(' '), QLatin1Char('-'));
    return QStringLiteral(":/styles/") + slug + QStringLiteral(".json");
}

std::optional<QColor> ColourOf(const QJsonObject &object, const char *key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isString())
        return std::nullopt;
    const QColor colour = QColor::fromString(value.toString());
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

void Apply(const QString &styleName, const QPalette &palette, const QPalette &toolTipPalette,
           const QString &styleSheet)
{
    // The old sheet goes first so that the new base style and palette are polished without it.
    qApp->setStyleSheet(QString());
    QApplication::setStyle(QStyleFactory::create(styleName));
    QApplication::setPalette(palette);
    QToolTip::setPalette(toolTipPalette);
    qApp->setStyleSheet(styleSheet);
}
} // namespace

const QStringList Styles::PaletteKeys = [] {
    QStringList keys;
    for (const RoleKey &entry : PaletteRoles)
        keys.append(QLatin1String(entry.key));
    return keys;
}();

const QStringList Styles::StateKeys = [] {
    QStringList keys;
    for (const StateKey &entry : StateColours)
        keys.append(QLatin1String(entry.key));
    return keys;
}();

QStringList Styles::StyleNames()
{
    return QStringList{SystemStyleName} + CarriedNames;
}

void Styles::RememberSystemLook()
{
    SystemLook &look = systemLook();
    if (look.remembered)
        return;
    look.remembered = true;
    look.styleName = QApplication::style()->name();
    look.palette = QApplication::palette();
    look.toolTipPalette = QToolTip::palette();
}

std::optional<StyleDescription> Styles::ParseStyle(const QByteArray &json, QString *problem)
{
    auto fail = [problem](const QString &why) {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject())
        return fail(QStringLiteral("not a JSON object: ") + parseError.errorString());
    const QJsonObject root = document.object();

    StyleDescription style;
    style.name = root.value(QStringLiteral("name")).toString();
    if (style.name.isEmpty())
        return fail(QStringLiteral("no name"));
    style.dark = root.value(QStringLiteral("dark")).toBool();
    style.baseStyle = root.value(QStringLiteral("base")).toString();
    if (!QStyleFactory::keys().contains(style.baseStyle, Qt::CaseInsensitive))
        return fail(QStringLiteral("unknown base style '") + style.baseStyle + QLatin1Char('\''));

    const QJsonObject roles = root.value(QStringLiteral("palette")).toObject();
    for (const RoleKey &entry : PaletteRoles) {
        const auto colour = ColourOf(roles, entry.key);
        if (!colour)
            return fail(QStringLiteral("no colour for ") + QLatin1String(entry.key));
        style.palette.setColor(QPalette::All, entry.role, *colour);
        style.colours.insert(QLatin1String(entry.key), *colour);
    }
    const QJsonObject states = root.value(QStringLiteral("states")).toObject();
    for (const StateKey &entry : StateColours) {
        const auto colour = ColourOf(states, entry.key);
        if (!colour)
            return fail(QStringLiteral("no colour for ") + QLatin1String(entry.key));
        style.palette.setColor(entry.group, entry.role, *colour);
        style.colours.insert(QLatin1String(entry.key), *colour);
    }
    return style;
}

std::optional<StyleDescription> Styles::CarriedStyle(const QString &name)
{
    if (!CarriedNames.contains(name))
        return std::nullopt;
    InitStyleResources();
    QFile file(ResourceOf(name));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    auto style = ParseStyle(file.readAll());
    if (!style || style->name != name)
        return std::nullopt;
    return style;
}

QString Styles::SharedStyleSheet()
{
    InitStyleResources();
    QFile file(QStringLiteral(":/styles/shared.qss"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

bool Styles::TrySetStyle(const QString &name, bool showError)
{
    RememberSystemLook();
    const QStringList names = StyleNames();
    qsizetype found = -1;
    for (qsizetype i = 0; i < names.size() && found < 0; ++i)
        if (SameStyleName(names.at(i), name))
            found = i;

    if (found == 0) {
        const SystemLook &look = systemLook();
        Apply(look.styleName, look.palette, look.toolTipPalette, QString());
        activeStyleName() = SystemStyleName;
        return true;
    }
    std::optional<StyleDescription> style;
    if (found > 0)
        style = CarriedStyle(names.at(found));
    if (!style) {
        if (showError)
            MessageBox::errorWithButton(QStringLiteral("Style '") + name +
                                            QStringLiteral("' non trouvé"),
                                        QStringLiteral("Close"));
        return false;
    }
    Apply(style->baseStyle, style->palette, style->palette, SharedStyleSheet());
    activeStyleName() = style->name;
    return true;
}

void Styles::KeepFormFont(QWidget *form)
{
    const QFont font = form->font();
    for (QWidget *control : form->findChildren<QWidget *>())
        if (!control->testAttribute(Qt::WA_SetFont))
            control->setFont(font);
}

bool Styles::SameStyleName(const QString &left, const QString &right)
{
    const QLocale locale;
    return locale.toLower(left) == locale.toLower(right);
}

bool Styles::ApplyStartupStyle(const QString &skin)
{
    return TrySetStyle(skin.isEmpty() ? DefaultStyleName : skin, true);
}

QString Styles::ActiveStyleName()
{
    return activeStyleName();
}
