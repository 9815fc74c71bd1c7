// The program's command line: --help and --version, and the folders to tick at start-up.
#pragma once

#include <QString>
#include <QStringList>

enum TCommandLineAction
{
    caRun,
    caShowHelp,
    caShowVersion
};

struct TCommandLine
{
    TCommandLineAction Action = caRun;
    // True when at least one argument was given (start-up then sets the tree's folder).
    bool HasArguments = false;
    // Selection-list entries, one per argument naming an existing folder, in argument order:
    // the folder's absolute, cleaned path followed by "/*" ("/" gives "/*").
    QStringList FolderEntries;
    // The last argument that named an existing folder (absolute, cleaned); empty when none did.
    QString LastFolder;
};

// Reads the arguments after the program name. "--help" or "--version" anywhere selects that
// action (the first of them wins); every other argument that is not empty and names an existing
// folder (links followed) is taken as a folder; anything else is ignored silently. Never throws.
TCommandLine ParseCommandLine(const QStringList &aArguments);

// The usage text printed by "--help", ending in a line break.
QString UsageText();
// "Ordwell 2.3" and a line break, printed by "--version".
QString VersionText();
