// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Startup.h"

#include "app/MessageBox.h"
#include "app/Styles.h"
#include "app/TApplication.h"
#include "app/TForORVELMain.h"
#include "app/Tools.h"
#include "config/cConfiguration.h"
#include "database/TModule.h"
#include "errors/Exceptions.h"

#include <QTextStream>

#include <memory>

namespace
{
void ReportFatal(const QString &text)
{
    QTextStream(stderr) << text << Qt::endl;
    MessageBox::error(text);
}
} // namespace

int RunApplication(int argc, char *argv[])
{
    TApplication application(argc, argv);
    TApplication::setApplicationName(QStringLiteral("ORVEL BACKUP"));
    Styles::RememberSystemLook();

    InitApplicationFolders();

    auto configuration =
        std::make_unique<cConfiguration>(SystemPath + AppName + QStringLiteral(".config"));
    try {
        configuration->Read();
    } catch (const std::exception &error) {
        ReportFatal(ExceptionMessage(error));
        return 1;
    }
    AppConfiguration = configuration.get();

    // Before any window, so that every window is created in the chosen look.
    Styles::ApplyStartupStyle(AppConfiguration->FAppearence.skin);

    // Creating the data module installs the handler of exceptions that no code catches; it lives
    // until the windows are gone.
    auto dataModule = std::make_unique<TModule>();
    Module = dataModule.get();

    int status = 0;
    {
        TForORVELMain mainWindow;
        mainWindow.show();
        status = TApplication::exec();
    }

    try {
        AppConfiguration->Write();
    } catch (const std::exception &error) {
        ReportFatal(ExceptionMessage(error));
        status = 1;
    }
    AppConfiguration = nullptr;
    configuration.reset();
    ReleaseApplicationTexts();
    dataModule.reset();
    return status;
}
