// SPDX-License-Identifier: GPL-3.0-or-later
// The program's visual styles: the look Qt starts with, named "Windows", and the 27 looks that
// the program carries as data in its resources (a palette each, one shared style sheet).
#pragma once

#include <QByteArray>
#include <QMap>
#include <QPalette>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// One carried look, as its resource file describes it.
struct StyleDescription {
    QString name;
    bool dark = false;
    QString baseStyle;
    QPalette palette;
    // Every colour the file gave, by its key ("Window", "DisabledText", ...).
    QMap<QString, QColor> colours;
};

class Styles
{
public:
    static const QString SystemStyleName;  // "Windows"
    static const QString DefaultStyleName; // "Amakrits", for an empty skin
    static const QStringList CarriedNames; // the 27 carried names, in the program's order
    static const QStringList PaletteKeys;  // one key per colour role a style file must give
    static const QStringList StateKeys;    // the disabled and inactive colours it must give

    // "Windows" first, then every carried name once.
    static QStringList StyleNames();

    // Sets the style whose name equals `name` regardless of case (by the user's locale): every
    // open window is redrawn in it. When none has that name, the active style stays and, with
    // `showError`, the error box "Style '<name>' non trouvé" with the single button "Close" shows.
    static bool TrySetStyle(const QString &name, bool showError = true);

    // The start-up step: the configured skin, or "Amakrits" when it is empty. The program runs
    // on with the system look when no style has the name.
    static bool ApplyStartupStyle(const QString &skin);

    // Style names compare without regard to case, by the rules of the user's locale.
    static bool SameStyleName(const QString &left, const QString &right);

    // Gives every control of the form that has no font of its own the form's font. A style sheet
    // keeps a form's font from reaching its controls, so forms with a font of their own call
    // this once their controls exist.
    static void KeepFormFont(QWidget *form);

    // The name of the active style as the list spells it.
    static QString ActiveStyleName();

    // Remembers the look Qt starts with. Runs on first use of this class; start-up calls it
    // before any window exists so that nothing can have changed that look yet.
    static void RememberSystemLook();

    // The carried look of that exact name, read from the resources; none for another name.
    static std::optional<StyleDescription> CarriedStyle(const QString &name);
    // Reads a style file; none when it lacks a colour or holds one that is no colour. `problem`
    // then says what is wrong.
    static std::optional<StyleDescription> ParseStyle(const QByteArray &json,
                                                      QString *problem = nullptr);
    // The style sheet that every carried look shares.
    static QString SharedStyleSheet();
};
