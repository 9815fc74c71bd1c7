// Starts ordwell-extractd on a free loopback port for a test and stops it again.
#include "server_process.h"

#include <fstream>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QThread>
#include <signal.h>
#include <sstream>

TServerProcess::TServerProcess(const QStringList &aExtraArgs, const QString &aGatePath)
{
    if (!aGatePath.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ORDWELL_EXTRACTD_GATE"), aGatePath);
        fProcess.setProcessEnvironment(environment);
    }
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

struct TProcessEntry
{
    QString Pid;
    QString Name;
    QString State;
};

// The processes whose parent is one of aParents, zombies included.
std::vector<TProcessEntry> ChildEntries(const QStringList &aParents)
{
    std::vector<TProcessEntry> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        QString line = QString::fromLatin1(stat.readAll());
        // Fields after the command name (which may hold spaces) start after the last ')':
        // state, then the parent's pid.
        int open = line.indexOf(u'(');
        int close = line.lastIndexOf(u')');
        QStringList fields = line.mid(close + 2).split(u' ');
        if (open > 0 && fields.size() > 1 && aParents.contains(fields[1]))
            children.push_back({entry, line.mid(open + 1, close - open - 1), fields[0]});
    }
    return children;
}

// The pids of the live processes whose parent is one of aParents (zombies have ended).
QStringList ChildrenOf(const QStringList &aParents)
{
    QStringList children;
    for (const TProcessEntry &entry : ChildEntries(aParents))
        if (entry.State != QStringLiteral("Z"))
            children << entry.Pid;
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

QList<qint64> TServerProcess::ChildPids() const
{
    QList<qint64> pids;
    for (const QString &pid : ChildrenOf({QString::number(Pid())}))
        pids << pid.toLongLong();
    return pids;
}

qint64 TServerProcess::ZygotePid() const
{
    for (const TProcessEntry &entry : ChildEntries({QString::number(Pid())}))
        if (entry.Name == QStringLiteral("ordwell-zygote") && entry.State != QStringLiteral("Z"))
            return entry.Pid.toLongLong();
    return 0;
}

int TServerProcess::ZombieCount() const
{
    int zombies = 0;
    for (const TProcessEntry &entry : ChildEntries({QString::number(Pid())}))
        zombies += entry.State == QStringLiteral("Z") ? 1 : 0;
    return zombies;
}

bool TServerProcess::Stop(int aSignal)
{
    ::kill(static_cast<pid_t>(Pid()), aSignal);
    return fProcess.waitForFinished(10000) && fProcess.exitStatus() == QProcess::NormalExit &&
           fProcess.exitCode() == 0;
}

std::string TServerProcess::Log() const
{
    return ReadFileBytes(fDir.filePath(QStringLiteral("server.log")).toStdString());
}

void ExpectNothingLeftBehind(const TServerProcess &aServer, int aWorkers)
{
    // Finished children are reaped in the background: give them a moment. The zygote that
    // forks the children is one more child of the server.
    const int most = aWorkers + 1;
    auto settled = [&] {
        return aServer.ChildCount() <= most && aServer.GrandchildCount() == 0 && aServer.ZombieCount() == 0;
    };
    for (int i = 0; i < 100 && !settled(); ++i)
        QThread::msleep(20);
    EXPECT_LE(aServer.ChildCount(), most);
    EXPECT_EQ(aServer.GrandchildCount(), 0);
    EXPECT_EQ(aServer.ZombieCount(), 0);
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
