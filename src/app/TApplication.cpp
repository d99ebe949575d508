// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TApplication.h"

#include <QDebug>

namespace
{
TApplication::ExceptionHandler &installedHandler()
{
    static TApplication::ExceptionHandler handler;
    return handler;
}
} // namespace

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {}

void TApplication::setExceptionHandler(ExceptionHandler handler)
{
    installedHandler() = std::move(handler);
}

bool TApplication::hasExceptionHandler()
{
    return bool(installedHandler());
}

bool TApplication::handleException(QObject *sender, const std::exception &error)
{
    if (!installedHandler())
        return false;
    installedHandler()(sender, error);
    return true;
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        if (!handleException(receiver, error))
            qCritical("Unhandled exception: %s", error.what());
    }
    return false;
}
