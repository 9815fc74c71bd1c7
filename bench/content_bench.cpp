// Throughput of FileContainsText over a corpus of plain-text files that do not hold the text,
// next to "grep -rli" over the same corpus in the same run.
// Usage: content_bench [files=2000] [kilobytes per file=50]
#include "content/content_matching.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

constexpr int Rounds = 3;
const QString Needle = QStringLiteral("Zebracorn");

// Words of mixed case, punctuation and line breaks; never the needle.
QByteArray MakeText(QRandomGenerator &aRandom, qsizetype aSize)
{
    static const char *const words[] = {"the",   "Quick",  "brown", "FOX",     "jumps", "over",
                                        "lazy",  "dog,",   "lorem", "ipsum",   "Dolor", "sit",
                                        "amet;", "search", "FILE",  "content", "zebra", "corn"};
    QByteArray text;
    text.reserve(aSize + 16);
    while (text.size() < aSize) {
        text += words[aRandom.bounded(int(std::size(words)))];
        text += aRandom.bounded(12) == 0 ? '\n' : ' ';
    }
    text.truncate(aSize);
    return text;
}

// The best of a few rounds, in seconds.
double BestSeconds(const std::function<void()> &aRun)
{
    double best = 1e30;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        aRun();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e9);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;
    const int kilobytes = argc > 2 ? std::max(1, atoi(argv[2])) : 50;

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    QRandomGenerator random(42);
    QStringList paths;
    for (int i = 0; i < files; ++i) {
        const QString path = dir.filePath(QStringLiteral("sub%1/file%2.txt").arg(i % 20).arg(i));
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(MakeText(random, kilobytes * 1024)) < 0)
            return 1;
        paths << path;
    }
    const double megabytes = double(files) * kilobytes / 1024.0;

    int found = 0;
    auto ours = [&] {
        found = 0;
        for (const QString &path : paths)
            found += FileContainsText(path, Needle) ? 1 : 0;
    };
    int grepExit = 0;
    auto grep = [&] { grepExit = QProcess::execute("grep", {"-rli", Needle, dir.path()}); };

    ours(); // fills the page cache
    SearchUnrecognizedFormats() = false;
    const double oursSeconds = BestSeconds(ours);
    const int oursFound = found;
    const double grepSeconds = BestSeconds(grep);
    SearchUnrecognizedFormats() = true;
    const double rawSeconds = BestSeconds(ours);

    std::printf("corpus: %d files of %d KiB (%.1f MiB), page-cached, needle \"%s\" absent\n", files,
                kilobytes, megabytes, qPrintable(Needle));
    std::printf("FileContainsText:            %7.3f s  %8.1f MiB/s  (%d found)\n", oursSeconds,
                megabytes / oursSeconds, oursFound);
    std::printf("FileContainsText, raw search: %6.3f s  %8.1f MiB/s  (%d found)\n", rawSeconds,
                megabytes / rawSeconds, found);
    std::printf("grep -rli:                   %7.3f s  %8.1f MiB/s  (exit %d)\n", grepSeconds,
                megabytes / grepSeconds, grepExit);
    std::printf("ratio ours/grep throughput:  %7.2f\n", grepSeconds / oursSeconds);
    return 0;
}
