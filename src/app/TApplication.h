// SPDX-License-Identifier: GPL-3.0-or-later
// The application object. An exception that an event handler lets escape is handed to the
// installed handler, and the event loop goes on.
#pragma once

#include <QApplication>

#include <exception>
#include <functional>

class TApplication : public QApplication
{
    Q_OBJECT
public:
    using ExceptionHandler = std::function<void(QObject *sender, const std::exception &error)>;

    TApplication(int &argc, char **argv);

    static void setExceptionHandler(ExceptionHandler handler);
    static bool hasExceptionHandler();
    // Hands an exception to the installed handler; false when none is installed.
    static bool handleException(QObject *sender, const std::exception &error);

    bool notify(QObject *receiver, QEvent *event) override;
};
