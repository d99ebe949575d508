// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers that several tests share.
#pragma once

#include <QByteArray>
#include <QString>
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

// Top-level widgets that are visible; a window test's cleanup expects none.
int VisibleTopLevelCount();
} // namespace TestSupport
