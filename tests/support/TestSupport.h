// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers that several tests share.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace TestSupport
{
// The whole content of a file; empty when it cannot be read.
QByteArray ReadFile(const QString &path);
void WriteFile(const QString &path, const QByteArray &bytes);

// Where tests leave pictures and other output for a person to look at.
QString OutputFolder();
// Saves a picture of the widget as <OutputFolder>/<name>.png and returns its path.
QString SaveScreenshot(QWidget *widget, const QString &name);

// Runs `action` on the next modal window once it shows (from the event loop), so that a test can
// answer a real modal dialog that the code under test opens.
void OnNextModal(std::function<void(QWidget *)> action, int timeoutMs = 10000);

// Runs `action` on the next modal window of that class once it shows; other modal windows that
// are up meanwhile are left alone.
template <typename Window> void OnNextModalOf(std::function<void(Window *)> action)
{
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        auto *window = qobject_cast<Window *>(QApplication::activeModalWidget());
        if (window && window->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(window);
        }
    });
    timer->start(10);
}

// The runs that the stand-in bcp logged, one JSON object a run, and the arguments of one.
QList<QJsonObject> BcpLogLines(const QString &path);
QStringList BcpArguments(const QJsonObject &logLine);

// Top-level widgets that are visible; a window test's cleanup expects none.
int VisibleTopLevelCount();
} // namespace TestSupport
