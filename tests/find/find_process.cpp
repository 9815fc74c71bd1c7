// Running ordwell-find from the tests.
#include "find/find_process.h"

#include <algorithm>

QByteArrayList TFindResult::Records(char aSeparator) const
{
    QByteArrayList records = fOut.split(aSeparator);
    if (!records.isEmpty() && records.last().isEmpty())
        records.removeLast();
    return records;
}

QStringList TFindResult::SortedLines(char aSeparator) const
{
    QStringList lines;
    for (const QByteArray &record : Records(aSeparator))
        lines.append(QString::fromUtf8(record));
    std::sort(lines.begin(), lines.end());
    return lines;
}

TFindLauncher::TFindLauncher() : fEnvironment(QProcessEnvironment::systemEnvironment())
{
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "ORDWELL_EXTRACTD_GATE"})
        fEnvironment.remove(QString::fromLatin1(name));
    fEnvironment.insert(QStringLiteral("APPDATA"), fHome.filePath(QStringLiteral("config")));
    fEnvironment.insert(QStringLiteral("XDG_CONFIG_HOME"), fHome.filePath(QStringLiteral("config")));
    fEnvironment.insert(QStringLiteral("XDG_CACHE_HOME"), fHome.filePath(QStringLiteral("cache")));
    fEnvironment.insert(QStringLiteral("ORDWELL_EXTRACTD"), QStringLiteral(ORDWELL_EXTRACTD_PROGRAM));
    fEnvironment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
}

void TFindLauncher::Start(QProcess &aProcess, const QStringList &aArguments) const
{
    aProcess.setProcessEnvironment(fEnvironment);
    aProcess.start(QStringLiteral(ORDWELL_FIND_PROGRAM), aArguments);
}

namespace {

// Waits for a started process to end and takes what it left.
TFindResult Collect(QProcess &aProcess)
{
    TFindResult result;
    result.fFinished = aProcess.waitForFinished(120000);
    result.fExitStatus = aProcess.exitStatus();
    result.fExitCode = aProcess.exitCode();
    result.fOut = aProcess.readAllStandardOutput();
    result.fErr = aProcess.readAllStandardError();
    return result;
}

} // namespace

TFindResult TFindLauncher::Run(const QStringList &aArguments, const QString &aWorkingFolder) const
{
    QProcess process;
    if (!aWorkingFolder.isEmpty())
        process.setWorkingDirectory(aWorkingFolder);
    Start(process, aArguments);
    return Collect(process);
}

TFindResult TFindLauncher::RunShell(const QString &aCommandLine) const
{
    QProcess process;
    process.setProcessEnvironment(fEnvironment);
    QString line = aCommandLine;
    line.replace(QStringLiteral("FIND"), QStringLiteral("'" ORDWELL_FIND_PROGRAM "'"));
    process.start(QStringLiteral("bash"), {QStringLiteral("-c"), QStringLiteral("set -o pipefail; ") + line});
    return Collect(process);
}

QStringList RelativeSorted(const QStringList &aPaths, const QString &aRoot)
{
    QStringList relative;
    for (const QString &path : aPaths)
        relative.append(path.startsWith(aRoot + u'/') ? path.mid(aRoot.size() + 1) : path);
    std::sort(relative.begin(), relative.end());
    return relative;
}
