// Times the per-entry test of the search options: ordinary filters, and a hostile mask that would
// make a backtracking matcher take exponential time.
#include "filesearch/search_options.h"
#include "platform/wildcard_match.h"

#include <cstdio>
#include <QElapsedTimer>
#include <vector>

namespace {

void TimeFilter(const char *pLabel, const QString &pFilter, const std::vector<TWin32FindData> &pEntries)
{
    TZorSearchOptions options;
    options.SetFilter(pFilter);
    const QString folder = QStringLiteral("/home/user/Documents/projects/");
    QElapsedTimer timer;
    timer.start();
    int hits = 0;
    for (int round = 0; round < 100; ++round)
        for (const TWin32FindData &entry : pEntries)
            hits += int(options.Matches(entry, folder));
    const double nsPerEntry = double(timer.nsecsElapsed()) / (100.0 * double(pEntries.size()));
    std::printf("%-28s %8.0f ns per entry (%d hits)\n", pLabel, nsPerEntry, hits);
}

} // namespace

int main()
{
    std::vector<TWin32FindData> entries;
    const char *extensions[] = {".txt", ".pdf", ".docx", ".jpg", ".cpp", ""};
    for (int i = 0; i < 10000; ++i) {
        TWin32FindData entry;
        entry.cFileName = QStringLiteral("file name %1%2").arg(i).arg(QLatin1String(extensions[i % 6]));
        entry.nFileSizeLow = uint32_t(i * 37);
        entries.push_back(entry);
    }
    TimeFilter("filter *.*", QStringLiteral("*.*"), entries);
    TimeFilter("filter *.txt;*.pdf;*.docx", QStringLiteral("*.txt;*.pdf;*.docx"), entries);
    TimeFilter("filter report (widened)", QStringLiteral("report"), entries);

    QString hostile;
    for (int i = 0; i < 120; ++i)
        hostile += QStringLiteral("*a");
    const QString name = QString(255, u'a');
    QElapsedTimer timer;
    timer.start();
    const bool fits = PathMatchSpec(name, hostile + QStringLiteral("*b"));
    std::printf("hostile mask (120 stars) on a 255-character name: %lld us, fits %d\n",
                timer.nsecsElapsed() / 1000, int(fits));
    return 0;
}
