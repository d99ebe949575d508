// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

namespace TestSupport
{
QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
}

QString OutputFolder()
{
    QString folder = qEnvironmentVariable("ORVEL_TEST_OUTPUT");
    if (folder.isEmpty())
        folder = QDir::currentPath() + QStringLiteral("/test-output");
    QDir().mkpath(folder);
    return folder;
}

QString SaveScreenshot(QWidget *widget, const QString &name)
{
    const QString path = OutputFolder() + QLatin1Char('/') + name + QStringLiteral(".png");
    widget->grab().save(path);
    return path;
}

void OnNextModal(std::function<void(QWidget *)> action, int timeoutMs)
{
    auto *timer = new QTimer(qApp);
    const QDeadlineTimer deadline(timeoutMs);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action, deadline] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        } else if (deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

QList<QJsonObject> BcpLogLines(const QString &path)
{
    QList<QJsonObject> lines;
    for (const QByteArray &line : ReadFile(path).split('\n'))
        if (!line.isEmpty())
            lines.append(QJsonDocument::fromJson(line).object());
    return lines;
}

QStringList BcpArguments(const QJsonObject &logLine)
{
    QStringList arguments;
    for (const QJsonValue &value : logLine.value(QStringLiteral("args")).toArray())
        arguments.append(value.toString());
    return arguments;
}

int VisibleTopLevelCount()
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->isVisible())
            ++count;
    return count;
}
} // namespace TestSupport
