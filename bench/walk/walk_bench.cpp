// Walk benchmark: builds a tree of at least 200000 entries, then times the result list's search
// ("*.*", no text) and find(1) printing size and times of every entry, on the page-cached tree.
// Usage: walk_bench [entries] [parent folder of the tree]
#include "filesearch/file_list.h"
#include "threads/ui_thread.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFilesPerFolder = 1000;
constexpr int kRounds = 3;

// Folders of kFilesPerFolder empty files, two levels deep. Returns the number of entries.
long BuildTree(const QString &aRoot, long aEntries)
{
    long made = 0;
    for (int folder = 0; made < aEntries; ++folder) {
        const QString path = QStringLiteral("%1/g%2/d%3").arg(aRoot).arg(folder / 20).arg(folder);
        QDir().mkpath(path);
        made += folder % 20 == 0 ? 2 : 1;
        const QByteArray base = QFile::encodeName(path) + "/file_";
        for (int i = 0; i < kFilesPerFolder && made < aEntries; ++i, ++made) {
            const int fd = ::open((base + QByteArray::number(i) + ".txt").constData(),
                                  O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd >= 0)
                ::close(fd);
        }
    }
    return made;
}

double TimeFind(const QString &aRoot)
{
    QElapsedTimer timer;
    timer.start();
    QProcess find;
    find.setStandardOutputFile(QProcess::nullDevice());
    find.start(QStringLiteral("find"),
               {aRoot, QStringLiteral("-printf"), QStringLiteral("%s %T@ %A@ %C@\\n")});
    find.waitForFinished(-1);
    return timer.nsecsElapsed() / 1e9;
}

struct TWalkResult
{
    double fSeconds = 0;
    long fListed = 0;
    int fHandOvers = 0;
    qint64 fLongestGapMs = 0;
};

// One search of aRoot with the default options; aKeep false refuses every path in OnAddPath.
TWalkResult TimeWalk(const QString &aRoot, bool aKeep)
{
    TZorFileList list;
    // The walk alone: no folder watch is built for the automatic refresh.
    list.SetAutomaticRefresh(false);
    bool ended = false;
    long offered = 0;
    list.OnEndSearch = [&] { ended = true; };
    list.OnAddPath = [&](const QString &, bool &aCanAdd) {
        ++offered;
        aCanAdd = aKeep;
    };
    TWalkResult result;
    QElapsedTimer timer;
    timer.start();
    qint64 lastHandOver = 0;
    long offeredBefore = 0;
    list.Search(aRoot);
    while (!ended) {
        // As the application's event loop: sleep until a walker hands something over.
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        ProcessPendingUiCalls();
        if (offered != offeredBefore) {
            offeredBefore = offered;
            ++result.fHandOvers;
            result.fLongestGapMs = std::max(result.fLongestGapMs, timer.elapsed() - lastHandOver);
            lastHandOver = timer.elapsed();
        }
    }
    result.fSeconds = timer.nsecsElapsed() / 1e9;
    result.fListed = aKeep ? list.Count() : offered;
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const long wanted = argc > 1 ? std::max(atol(argv[1]), 1L) : 200000;
    QTemporaryDir dir(argc > 2 ? QString::fromLocal8Bit(argv[2]) + QStringLiteral("/walk_bench-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/walk_bench-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create the tree folder\n");
        return 1;
    }
    const QString root = dir.path() + QStringLiteral("/tree");
    const long entries = BuildTree(root, wanted);
    std::printf("tree: %ld entries below %s\n", entries, qPrintable(root));

    // Warm the page cache and the dentry cache for both.
    TimeFind(root);
    TimeWalk(root, false);

    std::vector<double> find, keep, refuse;
    TWalkResult keepResult, refuseResult;
    for (int round = 0; round < kRounds; ++round) {
        find.push_back(TimeFind(root));
        keepResult = TimeWalk(root, true);
        keep.push_back(keepResult.fSeconds);
        refuseResult = TimeWalk(root, false);
        refuse.push_back(refuseResult.fSeconds);
    }
    const auto best = [](std::vector<double> &a) { return *std::min_element(a.begin(), a.end()); };
    const double findBest = best(find), keepBest = best(keep), refuseBest = best(refuse);
    std::printf("find -printf '%%s %%T@ %%A@ %%C@':  %.3f s  %10.0f entries/s\n", findBest,
                entries / findBest);
    std::printf("search, every path listed:      %.3f s  %10.0f entries/s  (%ld listed, %d hand-overs, "
                "longest gap %lld ms)\n",
                keepBest, entries / keepBest, keepResult.fListed, keepResult.fHandOvers,
                static_cast<long long>(keepResult.fLongestGapMs));
    std::printf("search, every path refused:     %.3f s  %10.0f entries/s  (%ld offered, %d hand-overs, "
                "longest gap %lld ms)\n",
                refuseBest, entries / refuseBest, refuseResult.fListed, refuseResult.fHandOvers,
                static_cast<long long>(refuseResult.fLongestGapMs));
    return 0;
}
