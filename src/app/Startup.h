// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program from start to end: application object, folders, configuration, style, data module,
// main window, event loop, then the configuration written back. Returns the exit status.
int RunApplication(int argc, char *argv[]);
