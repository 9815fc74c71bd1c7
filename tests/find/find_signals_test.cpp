// ordwell-find ended from outside: a reader that goes away (| head -1) and Ctrl+C while its own
// extraction server is reading a document. It ends at once, by the signal, and leaves no server.
// And on a terminal, while its server holds a document, the progress line it draws and erases.
#include "find/find_process.h"
#include "platform/file_name.h"
#include "support/server_gate.h"
#include "support/temp_tree.h"

#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>
#include <QDeadlineTimer>
#include <QFile>

namespace {

// True when aPid names no process any more (or only an ended one nobody has collected yet).
bool ProcessGone(pid_t aPid)
{
    QFile status(QStringLiteral("/proc/%1/stat").arg(aPid));
    if (!status.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = status.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) == "Z";
}

// Waits until aPid has gone (at most 30 s).
bool WaitUntilGone(pid_t aPid)
{
    QDeadlineTimer deadline(30000);
    while (!ProcessGone(aPid)) {
        if (deadline.hasExpired())
            return false;
        ::poll(nullptr, 0, 5);
    }
    return true;
}

// Whether the gate has a point waiting to be taken within aMs.
bool GateReady(const TServerGate &aGate, int aMs)
{
    pollfd entry{aGate.Fd(), POLLIN, 0};
    return ::poll(&entry, 1, aMs) == 1;
}

TEST(FindSignals, AReaderThatStopsReadingEndsItAtOnce)
{
    TTempTree tree;
    const QString longName(120, u'n');
    for (int i = 0; i < 3000; ++i)
        tree.File(QStringLiteral("f%1/%2-%3.txt").arg(i % 30).arg(longName).arg(i), "needle\n");
    TFindLauncher launcher;
    const TFindResult result = launcher.RunShell(
        QStringLiteral("FIND needle '%1' | head -1; echo \"status ${PIPESTATUS[0]}\"").arg(tree.Root()));
    ASSERT_TRUE(result.fFinished);
    const QByteArrayList lines = result.Records();
    ASSERT_EQ(lines.size(), 2) << result.fOut.toStdString();
    // One whole record, then the program ended by SIGPIPE (128 + 13) rather than writing on.
    EXPECT_TRUE(lines[0].startsWith(FileNameBytes(tree.Root()) + "/f"));
    EXPECT_TRUE(lines[0].endsWith(".txt"));
    EXPECT_EQ(lines[1], QByteArray("status ") + QByteArray::number(128 + SIGPIPE));
    EXPECT_FALSE(result.fErr.contains("files found")) << result.fErr.toStdString();
}

// Takes every point the server reaches and lets it pass at once, until aProcess has ended.
void PassGateUntilFinished(const TServerGate &aGate, QProcess &aProcess)
{
    QDeadlineTimer deadline(60000);
    while (aProcess.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        if (GateReady(aGate, 0))
            aGate.Accept();
        aProcess.waitForFinished(5);
    }
}

TEST(FindSignals, InterruptEndsItAndTheServerItStarted)
{
    TServerGate gate;
    ASSERT_TRUE(gate.Listening());
    TTempTree tree;
    tree.File(QStringLiteral("report.pdf"), "%PDF-1.4 held by the gate");
    TFindLauncher launcher;
    launcher.Environment().insert(QStringLiteral("ORDWELL_EXTRACTD_GATE"), gate.Path());
    QProcess process;
    launcher.Start(
        process, {QStringLiteral("--server"), QStringLiteral("auto"), QStringLiteral("needle"), tree.Root()});
    ASSERT_TRUE(process.waitForStarted());

    // Lets the server start; holds it while it reads the document.
    pid_t server = -1;
    TServerGate::TPoint extracting;
    while (extracting.fName != "extracting") {
        ASSERT_TRUE(GateReady(gate, 60000)) << "the server never reached the document";
        TServerGate::TPoint point = gate.Accept();
        if (server < 0)
            server = point.fPid;
        if (point.fName == "extracting")
            extracting = std::move(point);
    }
    ASSERT_GT(server, 0);
    ASSERT_FALSE(ProcessGone(server));

    ::kill(pid_t(process.processId()), SIGINT);
    extracting.fConnection = TScopedFd();
    // The server's later points (its stop) pass at once.
    PassGateUntilFinished(gate, process);
    ASSERT_EQ(process.state(), QProcess::NotRunning);
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit); // ended by SIGINT, as the shell expects
    EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(WaitUntilGone(server)) << "ordwell-extractd " << server << " outlived ordwell-find";
}

TEST(FindTerminal, ProgressLineIsDrawnWhileItSearchesAndErasedBeforeEachResult)
{
    TServerGate gate;
    ASSERT_TRUE(gate.Listening());
    TTempTree tree;
    tree.File(QStringLiteral("a.txt"), "needle\n");
    tree.File(QStringLiteral("report.pdf"), "%PDF-1.4 held by the gate");
    TFindLauncher launcher;
    launcher.Environment().insert(QStringLiteral("ORDWELL_EXTRACTD_GATE"), gate.Path());
    QProcess process;
    process.setProcessEnvironment(launcher.Environment());
    // script gives the program a terminal for its stdout and stderr.
    process.start(QStringLiteral("script"), {QStringLiteral("-qefc"),
                                             QStringLiteral("'%1' --server auto needle '%2'")
                                                 .arg(QStringLiteral(ORDWELL_FIND_PROGRAM), tree.Root()),
                                             QStringLiteral("/dev/null")});
    ASSERT_TRUE(process.waitForStarted());
    TServerGate::TPoint extracting;
    while (extracting.fName != "extracting") {
        ASSERT_TRUE(GateReady(gate, 60000)) << "the server never reached the document";
        TServerGate::TPoint point = gate.Accept();
        if (point.fName == "extracting")
            extracting = std::move(point);
    }
    // While the document is held, the line shows what was checked and found.
    QByteArray screen;
    QDeadlineTimer deadline(60000);
    while (!screen.contains(" checked, ") && !deadline.hasExpired()) {
        process.waitForReadyRead(50);
        screen += process.readAllStandardOutput();
    }
    EXPECT_TRUE(screen.contains(" checked, ")) << screen.toStdString();
    extracting.fConnection = TScopedFd();
    PassGateUntilFinished(gate, process);
    ASSERT_EQ(process.state(), QProcess::NotRunning);
    screen += process.readAllStandardOutput();
    EXPECT_EQ(process.exitCode(), 0) << screen.toStdString();
    // The result starts a line of its own, the summary ends the run, and no progress is left.
    const QByteArray result = FileNameBytes(tree.Path(QStringLiteral("a.txt")));
    const qsizetype at = screen.indexOf(result);
    ASSERT_GE(at, 0) << screen.toStdString();
    EXPECT_TRUE(at == 0 || screen.mid(at - 1, 1) == "\n" || screen.mid(at - 3, 3) == "\x1b[K")
        << screen.toStdString();
    EXPECT_LT(screen.lastIndexOf(" checked, "), screen.lastIndexOf("\r\x1b[K"));
    EXPECT_TRUE(screen.trimmed().endsWith("(--unreadable lists them)")) << screen.toStdString();
}

} // namespace
