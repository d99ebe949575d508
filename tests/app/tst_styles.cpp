// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MessageBox.h"
#include "app/Styles.h"

#include "TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

#include <cmath>

namespace
{
QStringList &capturedWarnings()
{
    static QStringList warnings;
    return warnings;
}

QtMessageHandler previousHandler = nullptr;

// The offscreen platform warns about window hints whatever the look; that is not the look's doing.
bool FromThePlatform(const QString &message)
{
    return message.contains(QStringLiteral("propagateSizeHints"));
}

void CaptureWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if ((type == QtWarningMsg || type == QtCriticalMsg) && !FromThePlatform(message))
        capturedWarnings().append(message);
    if (previousHandler)
        previousHandler(type, context, message);
}

// WCAG relative luminance and contrast ratio, the usual measure of legibility.
double Luminance(const QColor &colour)
{
    auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

double Contrast(const QColor &a, const QColor &b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A window with one control of every kind that the program's windows use.
QWidget *SampleWindow()
{
    auto *window = new QWidget;
    auto *layout = new QVBoxLayout(window);
    auto *tabs = new QTabWidget;
    auto *page = new QWidget;
    auto *pageLayout = new QVBoxLayout(page);
    auto *group = new QGroupBox(QStringLiteral(" Skin "));
    auto *groupLayout = new QVBoxLayout(group);
    auto *combo = new QComboBox;
    combo->addItems(Styles::StyleNames());
    groupLayout->addWidget(combo);
    pageLayout->addWidget(group);
    pageLayout->addWidget(new QLineEdit(QStringLiteral("edit")));
    auto *memo = new QPlainTextEdit(QStringLiteral("select *\nfrom orders"));
    pageLayout->addWidget(memo);
    auto *grid = new QTableWidget(3, 3);
    grid->setHorizontalHeaderLabels({"Table Name", "Script", "File Name"});
    grid->setItem(0, 0, new QTableWidgetItem(QStringLiteral("orders")));
    grid->selectRow(0);
    pageLayout->addWidget(grid);
    auto *disabled = new QToolButton;
    disabled->setText(QStringLiteral("..."));
    disabled->setEnabled(false);
    pageLayout->addWidget(disabled);
    auto *check = new QCheckBox(QStringLiteral("Truncate"));
    check->setChecked(true);
    pageLayout->addWidget(check);
    auto *gauge = new QProgressBar;
    gauge->setValue(40);
    pageLayout->addWidget(gauge);
    tabs->addTab(page, QStringLiteral("Connection"));
    tabs->addTab(new QLabel(QStringLiteral("second")), QStringLiteral("Tables"));
    layout->addWidget(tabs);
    auto *button = new QPushButton(QStringLiteral("Save"));
    button->setDefault(true);
    layout->addWidget(button);
    return window;
}
} // namespace

class TestStyles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void listHoldsWindowsFirstThenTheCarriedNames();
    void everyCarriedLookLoadsAndApplies_data();
    void everyCarriedLookLoadsAndApplies();
    void settingIgnoresCase_data();
    void settingIgnoresCase();
    void unknownNameShowsTheErrorBoxAndKeepsTheLook();
    void windowsBringsBackTheLookQtStartedWith();
    void startupStyle_data();
    void startupStyle();
    void brokenStyleFilesAreRefused_data();
    void brokenStyleFilesAreRefused();

private:
    QString m_systemStyle;
    QPalette m_systemPalette;
};

void TestStyles::initTestCase()
{
    m_systemStyle = QApplication::style()->name();
    m_systemPalette = QApplication::palette();
    Styles::RememberSystemLook();
}

void TestStyles::cleanup()
{
    MessageBox::resetSeam();
    capturedWarnings().clear();
    QCOMPARE(TestSupport::VisibleTopLevelCount(), 0);
}

void TestStyles::listHoldsWindowsFirstThenTheCarriedNames()
{
    const QStringList expected = {
        "Windows",
        "Amakrits",
        "Amethyst Kamri",
        "Aqua Graphite",
        "Aqua Light Slate",
        "Auric",
        "Carbon",
        "Charcoal Dark Slate",
        "Cobalt XEMedia",
        "Cyan Dusk",
        "Cyan Night",
        "Emerald Light Slate",
        "Golden Graphite",
        "Iceberg Classico",
        "Lavender Classico",
        "Light",
        "Luna",
        "Metropolis UI Black",
        "Metropolis UI Blue",
        "Metropolis UI Dark",
        "Metropolis UI Green",
        "Obsidian",
        "Ruby Graphite",
        "Sapphire Kamri",
        "Silver",
        "Slate Classico",
        "Smokey Quartz Kamri",
        "Turquoise Gray",
    };
    QCOMPARE(Styles::StyleNames(), expected);
    QCOMPARE(Styles::StyleNames().removeDuplicates(), 0);
}

void TestStyles::everyCarriedLookLoadsAndApplies_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("dark");
    // The colour that the name promises shows in the selection colour: a hue range in degrees
    // (from > to wraps round red), or none for the grey and neutral looks.
    QTest::addColumn<int>("hueFrom");
    QTest::addColumn<int>("hueTo");
    struct Row {
        const char *name;
        bool dark;
        int hueFrom;
        int hueTo;
    };
    const Row rows[] = {
        {"Amakrits", true, 20, 40},
        {"Amethyst Kamri", false, 260, 300},
        {"Aqua Graphite", true, 175, 200},
        {"Aqua Light Slate", false, 175, 200},
        {"Auric", false, 35, 55},
        {"Carbon", true, -1, -1},
        {"Charcoal Dark Slate", true, -1, -1},
        {"Cobalt XEMedia", true, 205, 235},
        {"Cyan Dusk", true, 175, 200},
        {"Cyan Night", true, 175, 200},
        {"Emerald Light Slate", false, 130, 165},
        {"Golden Graphite", true, 35, 55},
        {"Iceberg Classico", false, 190, 215},
        {"Lavender Classico", false, 245, 290},
        {"Light", false, -1, -1},
        {"Luna", false, -1, -1},
        {"Metropolis UI Black", true, -1, -1},
        {"Metropolis UI Blue", true, 195, 235},
        {"Metropolis UI Dark", true, -1, -1},
        {"Metropolis UI Green", true, 110, 160},
        {"Obsidian", true, -1, -1},
        {"Ruby Graphite", true, 335, 10},
        {"Sapphire Kamri", false, 210, 235},
        {"Silver", false, -1, -1},
        {"Slate Classico", false, -1, -1},
        {"Smokey Quartz Kamri", false, -1, -1},
        {"Turquoise Gray", false, 165, 185},
    };
    QCOMPARE(int(std::size(rows)), int(Styles::CarriedNames.size()));
    for (const Row &row : rows)
        QTest::newRow(row.name) << QString::fromUtf8(row.name) << row.dark << row.hueFrom
                                << row.hueTo;
}

void TestStyles::everyCarriedLookLoadsAndApplies()
{
    QFETCH(QString, name);
    QFETCH(bool, dark);
    QFETCH(int, hueFrom);
    QFETCH(int, hueTo);

    const auto style = Styles::CarriedStyle(name);
    QVERIFY2(style.has_value(), qPrintable(name + " does not load"));
    QCOMPARE(style->name, name);
    QCOMPARE(style->baseStyle, QStringLiteral("Fusion"));
    QCOMPARE(style->dark, dark);
    for (const QString &key : Styles::PaletteKeys + Styles::StateKeys)
        QVERIFY2(style->colours.contains(key), qPrintable(key));

    const auto colour = [&](const char *key) { return style->colours.value(key); };
    // Dark looks are dark and light ones light, whatever their accent.
    if (dark) {
        QVERIFY(Luminance(colour("Window")) < 0.12);
        QVERIFY(Luminance(colour("Base")) < 0.12);
    } else {
        QVERIFY(Luminance(colour("Window")) > 0.55);
        QVERIFY(Luminance(colour("Base")) > 0.55);
    }
    // Every text stays legible on the colour it is drawn on.
    const struct {
        const char *text;
        const char *background;
        double least;
    } pairs[] = {
        {"Text", "Base", 7.0},
        {"WindowText", "Window", 7.0},
        {"ButtonText", "Button", 4.5},
        {"ButtonText", "Midlight", 4.5},
        {"ButtonText", "Mid", 3.0},
        {"HighlightedText", "Highlight", 4.5},
        {"InactiveHighlightedText", "InactiveHighlight", 4.5},
        {"ToolTipText", "ToolTipBase", 4.5},
        {"Text", "AlternateBase", 7.0},
        {"Link", "Base", 3.0},
        {"PlaceholderText", "Base", 2.5},
        {"DisabledText", "DisabledBase", 2.0},
        {"DisabledWindowText", "Window", 2.0},
        {"DisabledButtonText", "DisabledButton", 2.0},
        {"Highlight", "Window", 1.8},
    };
    for (const auto &pair : pairs) {
        const double ratio = Contrast(colour(pair.text), colour(pair.background));
        QVERIFY2(ratio >= pair.least, qPrintable(QStringLiteral("%1 on %2: %3")
                                                     .arg(pair.text, pair.background)
                                                     .arg(ratio, 0, 'f', 2)));
    }
    if (hueFrom >= 0) {
        const int hue = colour("Highlight").hsvHue();
        const bool inRange =
            hueFrom <= hueTo ? hue >= hueFrom && hue <= hueTo : hue >= hueFrom || hue <= hueTo;
        QVERIFY2(inRange, qPrintable(QStringLiteral("highlight hue %1").arg(hue)));
        QVERIFY(colour("Highlight").hsvSaturationF() > 0.45);
    }

    QVERIFY(Styles::TrySetStyle(name));
    QCOMPARE(Styles::ActiveStyleName(), name);
    QVERIFY(MessageBox::shown().isEmpty());
    QVERIFY(!qApp->styleSheet().isEmpty());
    const QPalette applied = QApplication::palette();
    const QStringList keys = Styles::PaletteKeys;
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        if (role == QPalette::NoRole)
            continue;
        const auto colourRole = QPalette::ColorRole(role);
        QCOMPARE(applied.color(QPalette::Active, colourRole),
                 style->palette.color(QPalette::Active, colourRole));
    }
    QCOMPARE(applied.color(QPalette::Disabled, QPalette::Text), colour("DisabledText"));
    QCOMPARE(applied.color(QPalette::Inactive, QPalette::Highlight), colour("InactiveHighlight"));

    previousHandler = qInstallMessageHandler(CaptureWarnings);
    std::unique_ptr<QWidget> window(SampleWindow());
    window->resize(500, 600);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QImage picture = window->grab().toImage();
    QString slug = name.toLower();
    slug.replace(QLatin1Char(' '), QLatin1Char('-'));
    picture.save(TestSupport::OutputFolder() + QStringLiteral("/style-") + slug +
                 QStringLiteral(".png"));
    qInstallMessageHandler(previousHandler);
    QVERIFY2(capturedWarnings().isEmpty(), qPrintable(capturedWarnings().join('\n')));
    // The look reaches the window: its background is the look's own.
    QCOMPARE(picture.pixelColor(2, picture.height() - 2), colour("Window"));
    window->hide();
}

void TestStyles::settingIgnoresCase_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("active");
    QTest::newRow("lower case") << "amakrits"
                                << "Amakrits";
    QTest::newRow("mixed case") << "rUBY gRAPHITE"
                                << "Ruby Graphite";
    QTest::newRow("upper case") << "METROPOLIS UI GREEN"
                                << "Metropolis UI Green";
    QTest::newRow("system look") << "WINDOWS"
                                 << "Windows";
}

void TestStyles::settingIgnoresCase()
{
    QFETCH(QString, asked);
    QFETCH(QString, active);
    QVERIFY(Styles::TrySetStyle(QStringLiteral("Light")));
    QVERIFY(Styles::TrySetStyle(asked));
    QCOMPARE(Styles::ActiveStyleName(), active);
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestStyles::unknownNameShowsTheErrorBoxAndKeepsTheLook()
{
    QVERIFY(Styles::TrySetStyle(QStringLiteral("Cobalt XEMedia")));
    const QPalette before = QApplication::palette();
    const QString sheet = qApp->styleSheet();
    MessageBox::setNextAnswers({MessageBox::Close});

    QVERIFY(!Styles::TrySetStyle(QStringLiteral("Cobalt")));

    QCOMPARE(Styles::ActiveStyleName(), QStringLiteral("Cobalt XEMedia"));
    QCOMPARE(QApplication::palette(), before);
    QCOMPARE(qApp->styleSheet(), sheet);
    const auto shown = MessageBox::shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.at(0).kind, MessageBox::Error);
    QCOMPARE(shown.at(0).text, QStringLiteral("Style 'Cobalt' non trouvé"));
    QCOMPARE(shown.at(0).buttons, QStringList{"Close"});

    QVERIFY(!Styles::TrySetStyle(QStringLiteral("Cobalt"), false));
    QCOMPARE(MessageBox::shown().size(), 1);
}

void TestStyles::windowsBringsBackTheLookQtStartedWith()
{
    QVERIFY(Styles::TrySetStyle(QStringLiteral("Obsidian")));
    QVERIFY(QApplication::palette() != m_systemPalette);

    QVERIFY(Styles::TrySetStyle(QStringLiteral("Windows")));

    QCOMPARE(Styles::ActiveStyleName(), QStringLiteral("Windows"));
    QCOMPARE(QApplication::style()->name(), m_systemStyle);
    QCOMPARE(QApplication::palette(), m_systemPalette);
    QVERIFY(qApp->styleSheet().isEmpty());
}

void TestStyles::startupStyle_data()
{
    QTest::addColumn<QString>("skin");
    QTest::addColumn<QString>("active");
    QTest::addColumn<bool>("errorBox");
    QTest::newRow("empty skin") << ""
                                << "Amakrits" << false;
    QTest::newRow("other case") << "AMAKRITS"
                                << "Amakrits" << false;
    QTest::newRow("configured") << "Sapphire Kamri"
                                << "Sapphire Kamri" << false;
    QTest::newRow("system look") << "Windows"
                                 << "Windows" << false;
    QTest::newRow("unknown") << "Pearl"
                             << "Windows" << true;
}

void TestStyles::startupStyle()
{
    QFETCH(QString, skin);
    QFETCH(QString, active);
    QFETCH(bool, errorBox);
    // Each start begins with the look Qt starts with.
    QVERIFY(Styles::TrySetStyle(QStringLiteral("Windows")));
    MessageBox::setNextAnswers({MessageBox::Close});

    QCOMPARE(Styles::ApplyStartupStyle(skin), !errorBox);

    QCOMPARE(Styles::ActiveStyleName(), active);
    QCOMPARE(MessageBox::shown().size(), errorBox ? 1 : 0);
    if (errorBox)
        QCOMPARE(MessageBox::shown().at(0).text, "Style '" + skin + "' non trouvé");
}

void TestStyles::brokenStyleFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("problem");
    auto file = Styles::CarriedStyle(QStringLiteral("Light"));
    QVERIFY(file.has_value());
    QFile resource(QStringLiteral(":/styles/light.json"));
    QVERIFY(resource.open(QIODevice::ReadOnly));
    const QByteArray good = resource.readAll();
    QByteArray noBase = good;
    noBase.replace("\"Base\":", "\"Basis\":");
    QByteArray badColour = good;
    badColour.replace("\"Highlight\": \"#", "\"Highlight\": \"#zz");
    QByteArray noState = good;
    noState.replace("\"DisabledText\":", "\"DisabledTexts\":");
    QByteArray unknownBase = good;
    unknownBase.replace("\"Fusion\"", "\"Plastique\"");
    QTest::newRow("not JSON") << QByteArray("{ palette") << "not a JSON object";
    QTest::newRow("a role missing") << noBase << "no colour for Base";
    QTest::newRow("no colour") << badColour << "no colour for Highlight";
    QTest::newRow("a state missing") << noState << "no colour for DisabledText";
    QTest::newRow("unknown base style") << unknownBase << "unknown base style 'Plastique'";
}

void TestStyles::brokenStyleFilesAreRefused()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, problem);
    QString why;
    QVERIFY(!Styles::ParseStyle(json, &why).has_value());
    QVERIFY2(why.startsWith(problem), qPrintable(why));
}

QTEST_MAIN(TestStyles)
#include "tst_styles.moc"
