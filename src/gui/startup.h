// The program's entry: command line, start-up order, main window and message loop.
#pragma once

#include "gui/new_version_dialog.h"

#include <QString>

// Runs the program and returns its exit code. "--help" and "--version" print their text to
// standard output and return 0 without creating a window. Runs on the main thread.
int RunOrdwell(int argc, char **argv);

// The start-up steps between the application title and the main window: the translation table
// and language choice, the version check against aVendorBaseUrl and, when a newer version is
// announced, the new-version dialog (with aSelfUpdate: by default whether this build updates
// itself). Returns false when the program must end now, before the main window exists and without
// writing settings; never in a build that does not update itself. Blocks while the check runs (at
// most about 10 s of silence per request). UI thread, with the application object.
bool RunStartupSequence(const QString &aVendorBaseUrl, const TSelfUpdate &aSelfUpdate = {});
