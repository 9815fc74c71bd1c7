// Starts ordwell-extractd on a free loopback port for a test and stops it again.
#include "server_process.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <fstream>
#include <gtest/gtest.h>
#include <signal.h>
#include <sstream>

TServerProcess::TServerProcess(const QStringList &aExtraArgs)
{
    fProcess.setStandardErrorFile(fDir.filePath(QStringLiteral("server.log")));
    fProcess.setStandardOutputFile(QProcess::nullDevice());
    fProcess.start(QStringLiteral(ORDWELL_EXTRACTD_PATH),
                   QStringList{QStringLiteral("--port"), QStringLiteral("0")} + aExtraArgs);
    if (!fProcess.waitForStarted(5000)) {
        ADD_FAILURE() << "ordwell-extractd did not start";
        return;
    }
    for (int i = 0; i < 500 && fPort < 0; ++i) {
        std::string log = Log();
        std::size_t at = log.find(" port ");
        if (at != std::string::npos)
            fPort = std::atoi(log.c_str() + at + 6);
        else
            QThread::msleep(10);
    }
    if (fPort <= 0)
        ADD_FAILURE() << "ordwell-extractd did not report its port: " << Log();
}

TServerProcess::~TServerProcess()
{
    if (fProcess.state() != QProcess::NotRunning) {
        fProcess.terminate();
        if (!fProcess.waitForFinished(5000)) {
            fProcess.kill();
            fProcess.waitForFinished(2000);
        }
    }
}

bool TServerProcess::Running() const
{
    return fProcess.state() == QProcess::Running;
}

qint64 TServerProcess::Pid() const
{
    return fProcess.processId();
}

std::unique_ptr<httplib::Client> TServerProcess::Client() const
{
    auto client = std::make_unique<httplib::Client>("127.0.0.1", fPort);
    client->set_read_timeout(120, 0);
    client->set_write_timeout(120, 0);
    return client;
}

httplib::Result TServerProcess::Put(const std::string &aBody, const httplib::Headers &aHeaders) const
{
    httplib::Headers headers = aHeaders;
    headers.emplace("Accept", "text/plain; charset=utf-8");
    return Client()->Put("/tika", headers, aBody, "application/octet-stream");
}

namespace {

// The pids of the live processes whose parent is one of aParents.
QStringList ChildrenOf(const QStringList &aParents)
{
    QStringList children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        QString line = QString::fromLatin1(stat.readAll());
        // Fields after the command name (which may hold spaces) start after the last ')':
        // state, then the parent's pid. Zombies have already ended.
        QStringList fields = line.mid(line.lastIndexOf(u')') + 2).split(u' ');
        if (fields.size() > 1 && fields[0] != QStringLiteral("Z") && aParents.contains(fields[1]))
            children << entry;
    }
    return children;
}

} // namespace

int TServerProcess::ChildCount() const
{
    return static_cast<int>(ChildrenOf({QString::number(Pid())}).size());
}

int TServerProcess::GrandchildCount() const
{
    return static_cast<int>(ChildrenOf(ChildrenOf({QString::number(Pid())})).size());
}

std::string TServerProcess::Log() const
{
    return ReadFileBytes(fDir.filePath(QStringLiteral("server.log")).toStdString());
}

void ExpectNothingLeftBehind(const TServerProcess &aServer, int aWorkers)
{
    // Finished children are reaped in the background: give them a moment.
    for (int i = 0; i < 100 && (aServer.ChildCount() > aWorkers || aServer.GrandchildCount() > 0); ++i)
        QThread::msleep(20);
    EXPECT_LE(aServer.ChildCount(), aWorkers);
    EXPECT_EQ(aServer.GrandchildCount(), 0);
}

std::string CorpusDir()
{
    // ctest sets ORDWELL_SOURCE_DIR for a test's run but not while it lists the tests.
    QString source = qEnvironmentVariable("ORDWELL_SOURCE_DIR", QStringLiteral(ORDWELL_TEST_SOURCE_DIR));
    QString dir = source + QStringLiteral("/../shared/corpus");
    if (!QFile::exists(dir + QStringLiteral("/expected.tsv")))
        return {};
    return QDir(dir).canonicalPath().toStdString();
}

std::string ReadFileBytes(const std::string &aPath)
{
    std::ifstream in(aPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string CollapseSpaces(const std::string &aText)
{
    std::string out;
    bool space = false;
    for (char c : aText) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            space = true;
            continue;
        }
        if (space && !out.empty())
            out += ' ';
        space = false;
        out += c;
    }
    return out;
}
