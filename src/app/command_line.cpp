// The program's command line: --help and --version, and the folders to tick at start-up.
#include "app/command_line.h"

#include "platform/long_path_access.h"
#include "platform/program_info.h"
#include "selection/selection_list.h"

#include <QDir>

TCommandLine ParseCommandLine(const QStringList &aArguments)
{
    TCommandLine result;
    result.HasArguments = !aArguments.isEmpty();
    for (const QString &argument : aArguments) {
        if (argument == u"--help" || argument == u"--version") {
            result.Action = argument == u"--help" ? caShowHelp : caShowVersion;
            return result;
        }
        if (argument.isEmpty())
            continue;
        // Asked of the system by the name's own bytes; the rest is spelling.
        if (!IsFolder(argument))
            continue;
        const QString folder =
            QDir::cleanPath(argument.startsWith(u'/') ? argument : QDir::currentPath() + u'/' + argument);
        result.FolderEntries.append(FolderEntry(folder));
        result.LastFolder = folder;
    }
    return result;
}

QString UsageText()
{
    return QStringLiteral("Usage: ordwell [FOLDER]...\n"
                          "Finds files whose content holds a given text.\n"
                          "Every FOLDER that exists is ticked in \"Where to search:\".\n"
                          "\n"
                          "  --help     show this text and exit\n"
                          "  --version  show the version and exit\n");
}

QString VersionText()
{
    return ApplicationTitle() + u' ' + ApplicationVersion() + u'\n';
}
