// Runs ordwell-find as a user would, without a display: its own configuration and cache folders,
// no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM, and what it wrote and how it ended.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// How one run ended.
struct TFindResult
{
    QProcess::ExitStatus fExitStatus = QProcess::CrashExit;
    int fExitCode = -1;
    QByteArray fOut;
    QByteArray fErr;
    bool fFinished = false;

    // stdout split at aSeparator, without the empty piece after the last one.
    QByteArrayList Records(char aSeparator = '\n') const;
    // The records sorted, as text.
    QStringList SortedLines(char aSeparator = '\n') const;
};

// The environment and the runs of one test.
class TFindLauncher
{
public:
    TFindLauncher();

    // The environment the program runs in (changeable before Start or Run).
    QProcessEnvironment &Environment() { return fEnvironment; }
    // The program's folders for its settings and cache.
    QString HomeFolder() const { return fHome.path(); }

    // Runs ordwell-find with aArguments in aWorkingFolder until it ends (at most 120 s).
    TFindResult Run(const QStringList &aArguments, const QString &aWorkingFolder = QString()) const;
    // Starts it and returns at once; aProcess is then the caller's to wait for.
    void Start(QProcess &aProcess, const QStringList &aArguments) const;
    // Runs a shell command line (bash, with pipefail) in which "FIND" stands for the program.
    TFindResult RunShell(const QString &aCommandLine) const;

private:
    QTemporaryDir fHome;
    QProcessEnvironment fEnvironment;
};

// The paths of the found files, relative to aRoot (ending without "/"), sorted.
QStringList RelativeSorted(const QStringList &aPaths, const QString &aRoot);
