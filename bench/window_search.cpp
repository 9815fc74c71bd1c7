// Whole searches in the real window (offscreen), next to the tools a user would run instead, on
// the same generated data in the same run: rg -li, grep -rli, find -printf, a pdftotext loop.
// Prints the median of five runs of each, the ratio, and the load average. Built, not run by ctest.
//
// Usage: QT_QPA_PLATFORM=offscreen window_search SCENARIO [DATA_DIR]
//   text10k    10,000 text files of 10 KB, the text in 1% of them
//   text20k    the same with 20,000 files (run it under a real X server with accessibility on:
//              dbus-run-session with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 and DISPLAY set)
//   rare20k    20,000 text files of 10 KB of words whose letters the text mostly lacks ("alpha"
//              to "mike"), "quokkaSpeed" in 1% of them
//   The text sets also time the content check alone, on one thread, against rg -j1 -li.
//   empty200k  200,000 empty files, a text that none holds (also: the longest UI stall)
//   empty1m    1,000,000 empty files, a text that none holds
//   first200k  200,000 empty files in 200 folders and one file holding the text in the top
//              folder: how long after Start its row is listed
//   listed100k 100,000 files listed with an empty text: wall time and bytes per listed result
//   utf8       100 MB of UTF-8 text, a non-ASCII text: the content check alone against grep -rli
//   pdf500     500 PDFs without the text, through ordwell-extractd (give its path in ORDWELL_EXTRACTD),
//              the text cache off
//   columns    10,000 text files of 10 KB, the text three times in 10% of them: the window with the
//              Matches and Context columns filled against the window without them, and rg -c
//   cache      500 PDFs and 500 .docx files, through ordwell-extractd: with an empty text cache a
//              first search, then a search for another text (read from the cache), against a first
//              search with the cache off; and the cache's size per document
// DATA_DIR keeps the generated files between runs (made once); by default a temporary folder.
#include "content/content_matching.h"
#include "content/sqlite_db.h"
#include "content/text_cache.h"
#include "gui/main_form/main_form.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int Runs = 5;

double Median(std::vector<double> aValues)
{
    std::sort(aValues.begin(), aValues.end());
    return aValues[aValues.size() / 2];
}

QString LoadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(u' ', 0, 2)
                                          : QStringLiteral("?");
}

int64_t ResidentBytes()
{
    QFile file(QStringLiteral("/proc/self/statm"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return QString::fromLatin1(file.readAll()).section(u' ', 1, 1).toLongLong() * 4096;
}

// Bytes the allocator has handed out and not taken back.
int64_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return int64_t(info.uordblks + info.hblkhd);
}

// Seconds a peer takes, its output thrown away.
double RunPeer(const QString &aProgram, const QStringList &aArguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(aProgram, aArguments);
    if (!process.waitForFinished(-1))
        return -1;
    return double(timer.nsecsElapsed()) / 1e9;
}

// aSize bytes of words that aNextWord picks, with a line break after about every twelfth.
QByteArray WordText(QRandomGenerator &aRandom, qsizetype aSize,
                    const std::function<const char *()> &aNextWord)
{
    QByteArray text;
    text.reserve(aSize + 16);
    while (text.size() < aSize) {
        text += aNextWord();
        text += aRandom.bounded(12) == 0 ? '\n' : ' ';
    }
    text.truncate(aSize);
    return text;
}

QByteArray Words(QRandomGenerator &aRandom, qsizetype aSize, bool aUmlauts)
{
    static const char *const plain[] = {"the",  "Quick", "brown", "FOX",   "jumps",  "over",   "lazy",
                                        "dog,", "lorem", "ipsum", "Dolor", "sit",    "amet;",  "search",
                                        "FILE", "zebra", "corn",  "zwolf", "twelve", "content"};
    static const char *const umlauts[] = {"Straße", "über", "Größe", "Äpfel", "schön", "müde", "Bär"};
    return WordText(aRandom, aSize, [&] {
        return aUmlauts && aRandom.bounded(8) == 0 ? umlauts[aRandom.bounded(int(std::size(umlauts)))]
                                                   : plain[aRandom.bounded(int(std::size(plain)))];
    });
}

// Words of the spelling alphabet from "alpha" to "mike": few of the letters of "quokkaSpeed".
QByteArray RareLetterWords(QRandomGenerator &aRandom, qsizetype aSize)
{
    static const char *const words[] = {"alpha", "bravo", "charlie", "delta", "echo", "foxtrot", "golf",
                                        "hotel", "india", "juliett", "kilo",  "lima", "mike"};
    return WordText(aRandom, aSize, [&] { return words[aRandom.bounded(int(std::size(words)))]; });
}

bool WriteFile(const QString &aPath, const QByteArray &aBytes)
{
    QFile file(aPath);
    return file.open(QIODevice::WriteOnly) && file.write(aBytes) == aBytes.size();
}

// Makes the data once: a marker file says it is complete.
bool MakeOnce(const QString &aRoot, const std::function<bool(const QString &)> &aMake)
{
    const QString marker = aRoot + QStringLiteral("/.complete");
    if (QFile::exists(marker))
        return true;
    QDir(aRoot).removeRecursively();
    if (!QDir().mkpath(aRoot + QStringLiteral("/data")) || !aMake(aRoot + QStringLiteral("/data")))
        return false;
    return WriteFile(marker, "");
}

bool MakeEmptyFiles(const QString &aData, int aCount)
{
    for (int i = 0; i < aCount; ++i) {
        const QString folder = QStringLiteral("%1/d%2").arg(aData).arg(i / 1000);
        if (i % 1000 == 0 && !QDir().mkpath(folder))
            return false;
        if (!WriteFile(QStringLiteral("%1/f%2.txt").arg(folder).arg(i), QByteArray()))
            return false;
    }
    return true;
}

// A one-page PDF whose page shows aText.
QByteArray MakePdf(const QByteArray &aText)
{
    const QByteArray stream = "BT /F1 12 Tf 72 720 Td (" + aText + ") Tj ET";
    const QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /Font << /F1 5 0 "
        "R "
        ">> >> >>",
        "<< /Length " + QByteArray::number(stream.size()) + " >>\nstream\n" + stream + "\nendstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

// A .docx file (a zip archive, stored) whose one paragraph is aText.
QByteArray MakeDocx(const QByteArray &aText)
{
    const QList<std::pair<QByteArray, QByteArray>> parts{
        {"[Content_Types].xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default Extension=\"rels\" "
         "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Default "
         "Extension=\"xml\" "
         "ContentType=\"application/xml\"/><Override PartName=\"/word/document.xml\" "
         "ContentType=\"application/"
         "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>"},
        {"_rels/.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
         "Target=\"word/document.xml\"/></Relationships>"},
        {"word/document.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document "
         "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body><w:p><w:r><w:t>" +
             aText + "</w:t></w:r></w:p></w:body></w:document>"}};
    const auto crc32 = [](const QByteArray &aBytes) {
        uint32_t crc = 0xffffffffu;
        for (const char c : aBytes) {
            crc ^= uint8_t(c);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
        return ~crc;
    };
    const auto le = [](QByteArray &aOut, uint32_t aValue, int aBytes) {
        for (int i = 0; i < aBytes; ++i)
            aOut += char((aValue >> (8 * i)) & 0xff);
    };
    QByteArray zip, directory;
    for (const auto &[name, data] : parts) {
        const uint32_t offset = uint32_t(zip.size()), crc = crc32(data), size = uint32_t(data.size());
        le(zip, 0x04034b50, 4), le(zip, 20, 2), le(zip, 0, 2), le(zip, 0, 2), le(zip, 0, 4);
        le(zip, crc, 4), le(zip, size, 4), le(zip, size, 4), le(zip, uint32_t(name.size()), 2), le(zip, 0, 2);
        zip += name + data;
        le(directory, 0x02014b50, 4), le(directory, 20, 2), le(directory, 20, 2), le(directory, 0, 2);
        le(directory, 0, 2), le(directory, 0, 4), le(directory, crc, 4), le(directory, size, 4);
        le(directory, size, 4), le(directory, uint32_t(name.size()), 2), le(directory, 0, 2);
        le(directory, 0, 2), le(directory, 0, 2), le(directory, 0, 2), le(directory, 0, 4);
        le(directory, offset, 4);
        directory += name;
    }
    const uint32_t start = uint32_t(zip.size());
    zip += directory;
    le(zip, 0x06054b50, 4), le(zip, 0, 2), le(zip, 0, 2), le(zip, uint32_t(parts.size()), 2);
    le(zip, uint32_t(parts.size()), 2), le(zip, uint32_t(directory.size()), 4), le(zip, start, 4),
        le(zip, 0, 2);
    return zip;
}

// The window's whole search of aRoot for aText: seconds from the click on Start to the end, and
// the longest time the event loop did not turn meanwhile.
struct TWindowRun
{
    double fSeconds = 0;
    double fFirstRowSeconds = -1; // none listed: -1
    double fLongestStallMs = 0;
    // Processor time of this process (every thread of the window, not the extraction server).
    double fCpuSeconds = 0;
};

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TWindowRun SearchInWindow(TMainForm &aForm, const QString &aRoot, const QString &aText)
{
    // The same selection again changes nothing: the folder tree does not redo its work meanwhile.
    const QStringList selection{aRoot + QStringLiteral("/*")};
    if (aForm.ZorShellLink1->SelectionList().Paths() != selection)
        aForm.ZorShellLink1->SelectionList().SetPaths(selection);
    aForm.edtTextToFind->setText(aText);
    aForm.SearchField->setText(QStringLiteral("*.*"));
    QElapsedTimer sinceTurn;
    double longest = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, double(sinceTurn.nsecsElapsed()) / 1e6 - 5);
        sinceTurn.restart();
    });
    QElapsedTimer timer;
    const double cpuBefore = ProcessCpuSeconds();
    timer.start();
    sinceTurn.start();
    ticker.start();
    aForm.StartSearchButton->click();
    const QDeadlineTimer deadline(3600 * 1000);
    TWindowRun run;
    while (!aForm.StartSearchButton->isEnabled() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        if (run.fFirstRowSeconds < 0 && aForm.SearchResultList->FileList().Count() > 0)
            run.fFirstRowSeconds = double(timer.nsecsElapsed()) / 1e9;
    }
    run.fSeconds = double(timer.nsecsElapsed()) / 1e9;
    run.fCpuSeconds = ProcessCpuSeconds() - cpuBefore;
    ticker.stop();
    run.fLongestStallMs = longest;
    return run;
}

void Report(const char *aWhat, double aSeconds, const char *aPeer, double aPeerSeconds)
{
    std::printf("%-34s %8.3f s   %-28s %8.3f s   ratio %6.2f\n", aWhat, aSeconds, aPeer, aPeerSeconds,
                aSeconds / aPeerSeconds);
}

// Runs the window and each peer Runs times, alternating, and reports medians.
struct TPeer
{
    QString fLabel;
    QString fProgram;
    QStringList fArguments;
};
void Compare(TMainForm &aForm, const QString &aData, const QString &aText, const std::vector<TPeer> &aPeers,
             bool aShowStall = false)
{
    std::vector<double> window, stalls;
    std::vector<std::vector<double>> peers(aPeers.size());
    SearchInWindow(aForm, aData, aText); // warms the page cache
    for (int run = 0; run < Runs; ++run) {
        const TWindowRun result = SearchInWindow(aForm, aData, aText);
        window.push_back(result.fSeconds);
        stalls.push_back(result.fLongestStallMs);
        for (size_t i = 0; i < aPeers.size(); ++i)
            peers[i].push_back(RunPeer(aPeers[i].fProgram, aPeers[i].fArguments));
    }
    std::printf("listed: %d\n", aForm.SearchResultList->FileList().Count());
    for (size_t i = 0; i < aPeers.size(); ++i)
        Report("window", Median(window), qPrintable(aPeers[i].fLabel), Median(peers[i]));
    if (aShowStall)
        std::printf("longest UI stall: median %.1f ms, worst %.1f ms\n", Median(stalls),
                    *std::max_element(stalls.begin(), stalls.end()));
}

// The content check alone, on this thread, over every file of aData, against aPeer.
void CompareContentCheck(const QString &aData, const QString &aText, int aExpected, const TPeer &aPeer)
{
    QStringList files;
    for (QDirIterator it(aData, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files << it.next();
    std::vector<double> check, peer;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        int found = 0;
        for (const QString &file : files)
            found += FileContainsText(file, aText) ? 1 : 0;
        check.push_back(double(timer.nsecsElapsed()) / 1e9);
        peer.push_back(RunPeer(aPeer.fProgram, aPeer.fArguments));
        if (found != aExpected)
            std::printf("unexpected: %d files hold the text, not %d\n", found, aExpected);
    }
    Report("content check, one thread", Median(check), qPrintable(aPeer.fLabel), Median(peer));
}

TPeer OneThreadRg(const QString &aText, const QString &aData)
{
    return {QStringLiteral("rg -j1 -li"),
            QStringLiteral("rg"),
            {QStringLiteral("-j1"), QStringLiteral("-li"), aText, aData}};
}

// Starts ordwell-extractd from $ORDWELL_EXTRACTD on port 19998, points the window at it and waits
// until it answers for aSample.
bool StartServer(QProcess &aServer, TMainForm &aForm, const QString &aSample)
{
    const QString program = qEnvironmentVariable("ORDWELL_EXTRACTD");
    aServer.setStandardOutputFile(QProcess::nullDevice());
    aServer.setStandardErrorFile(QProcess::nullDevice());
    aServer.start(program, {QStringLiteral("--port"), QStringLiteral("19998")});
    if (program.isEmpty() || !aServer.waitForStarted()) {
        std::fprintf(stderr, "set ORDWELL_EXTRACTD to the path of ordwell-extractd\n");
        return false;
    }
    TExtractionServerAddress server;
    server.fPort = 19998;
    aForm.Session().SetExtractionServer(server);
    for (QDeadlineTimer deadline(10000); !deadline.hasExpired();) {
        QString text, error;
        if (ExtractTextViaServer(aSample, text, error, server))
            return true;
    }
    return false;
}

// The text cache on one folder of documents: per run, an emptied cache, a first search and a
// search for another text; then a first search with the cache off. Medians of Runs.
void CompareCache(TMainForm &aForm, const char *aWhat, const QString &aData, int aCount)
{
    const std::shared_ptr<TTextCache> cache = aForm.Session().TextCache();
    std::vector<double> first, repeat, without, firstCpu, withoutCpu;
    int64_t bytes = 0;
    aForm.chkTextCache->setChecked(false);
    SearchInWindow(aForm, aData, QStringLiteral("Zebracorn")); // warms the page cache and the server
    const auto withoutCache = [&] {
        aForm.chkTextCache->setChecked(false);
        const TWindowRun run = SearchInWindow(aForm, aData, QStringLiteral("Zebracorn"));
        without.push_back(run.fSeconds);
        withoutCpu.push_back(run.fCpuSeconds);
    };
    for (int run = 0; run < Runs; ++run) {
        // The search without the cache comes first in every other run, so neither order wins.
        if (run % 2 == 0)
            withoutCache();
        aForm.chkTextCache->setChecked(true);
        cache->Clear();
        const TWindowRun cached = SearchInWindow(aForm, aData, QStringLiteral("Zebracorn"));
        first.push_back(cached.fSeconds);
        firstCpu.push_back(cached.fCpuSeconds);
        repeat.push_back(SearchInWindow(aForm, aData, QStringLiteral("Kaleidoscope")).fSeconds);
        // The database alone, with every entry and its journal written back.
        cache->Flush();
        TSqliteDb db(QFile::encodeName(cache->FileName()), false);
        int result = 0;
        db.QueryInt("PRAGMA wal_checkpoint(TRUNCATE)", result);
        const int64_t entries = db.QueryInt("SELECT count(*) FROM entries", result);
        if (entries != aCount)
            std::printf("unexpected: %lld entries\n", static_cast<long long>(entries));
        bytes = QFileInfo(cache->FileName()).size();
        if (run % 2 == 1)
            withoutCache();
    }
    aForm.chkTextCache->setChecked(true);
    const auto print = [](const char *aLabel, const std::vector<double> &aValues) {
        std::printf("  %-12s", aLabel);
        for (const double value : aValues)
            std::printf(" %.3f", value);
        std::printf("\n");
    };
    print("first", first);
    print("repeat", repeat);
    print("without", without);
    print("cpu first", firstCpu);
    print("cpu without", withoutCpu);
    std::printf("%s: first search %.3f s, repeat (another text) %.3f s = %.1f%% of the first; without the "
                "cache %.3f s (first/without %.3f); cache on disk %.0f bytes per document\n",
                aWhat, Median(first), Median(repeat), 100 * Median(repeat) / Median(first), Median(without),
                Median(first) / Median(without), double(bytes) / aCount);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (config.path() + QStringLiteral("/cache")).toLocal8Bit());
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_search "
                             "text10k|text20k|rare20k|empty200k|first200k|empty1m|listed100k|utf8|pdf500|"
                             "columns|cache [DATA_DIR]\n");
        return 2;
    }
    const QString scenario = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir temporary;
    const QString root = (argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path()) + u'/' + scenario;
    const QString data = root + QStringLiteral("/data");
    QRandomGenerator random(42);
    std::printf("%s, load average before: %s\n", qPrintable(scenario), qPrintable(LoadAverage()));

    TMainForm form{TCommandLine{}};
    form.show();
    std::printf("platform %s, accessibility %s\n", qPrintable(QGuiApplication::platformName()),
                QAccessible::isActive() ? "on" : "off");
    const QString needle = QStringLiteral("Zebracorn");
    const TPeer findPeer{QStringLiteral("find -printf"), QStringLiteral("find"),
                         QStringList{data, QStringLiteral("-printf"), QStringLiteral("%s %T@ %A@ %C@\\n")}};
    const TPeer rgPeer{QStringLiteral("rg -li"), QStringLiteral("rg"),
                       QStringList{QStringLiteral("-li"), needle, data}};
    const TPeer grepPeer{QStringLiteral("grep -rli"), QStringLiteral("grep"),
                         QStringList{QStringLiteral("-rli"), needle, data}};

    if (scenario == QStringLiteral("text10k") || scenario == QStringLiteral("text20k")) {
        const int count = scenario == QStringLiteral("text20k") ? 20000 : 10000;
        if (!MakeOnce(root, [&](const QString &aData) {
                for (int i = 0; i < count; ++i) {
                    const QString folder = QStringLiteral("%1/d%2").arg(aData).arg(i / 500);
                    QDir().mkpath(folder);
                    QByteArray text = Words(random, 10240, false);
                    if (i % 100 == 0)
                        text.replace(5000, needle.size(), needle.toLatin1());
                    if (!WriteFile(QStringLiteral("%1/f%2.txt").arg(folder).arg(i), text))
                        return false;
                }
                return true;
            }))
            return 1;
        Compare(form, data, needle, {rgPeer, grepPeer});
        CompareContentCheck(data, needle, count / 100, OneThreadRg(needle, data));
    } else if (scenario == QStringLiteral("rare20k")) {
        const QString rare = QStringLiteral("quokkaSpeed");
        if (!MakeOnce(root, [&](const QString &aData) {
                for (int i = 0; i < 20000; ++i) {
                    const QString folder = QStringLiteral("%1/d%2").arg(aData).arg(i / 500);
                    QDir().mkpath(folder);
                    QByteArray text = RareLetterWords(random, 10240);
                    if (i % 100 == 0)
                        text.replace(5000, rare.size(), rare.toLatin1());
                    if (!WriteFile(QStringLiteral("%1/f%2.txt").arg(folder).arg(i), text))
                        return false;
                }
                return true;
            }))
            return 1;
        Compare(form, data, rare,
                {{rgPeer.fLabel, rgPeer.fProgram, {QStringLiteral("-li"), rare, data}},
                 {grepPeer.fLabel, grepPeer.fProgram, {QStringLiteral("-rli"), rare, data}}});
        CompareContentCheck(data, rare, 200, OneThreadRg(rare, data));
    } else if (scenario == QStringLiteral("columns")) {
        if (!MakeOnce(root, [&](const QString &aData) {
                for (int i = 0; i < 10000; ++i) {
                    const QString folder = QStringLiteral("%1/d%2").arg(aData).arg(i / 500);
                    QDir().mkpath(folder);
                    QByteArray text = Words(random, 10240, false);
                    if (i % 10 == 0)
                        for (const qsizetype at : {1000, 5000, 9000})
                            text.replace(at, needle.size(), needle.toLatin1());
                    if (!WriteFile(QStringLiteral("%1/f%2.txt").arg(folder).arg(i), text))
                        return false;
                }
                return true;
            }))
            return 1;
        std::vector<double> with, without, peer;
        SearchInWindow(form, data, needle); // warms the page cache
        for (int run = 0; run < Runs; ++run) {
            // Alternating, so that neither order wins.
            for (const bool fill : {run % 2 == 0, run % 2 != 0}) {
                form.SearchControl().FillMatchColumns = fill;
                (fill ? with : without).push_back(SearchInWindow(form, data, needle).fSeconds);
            }
            peer.push_back(RunPeer(QStringLiteral("rg"), {QStringLiteral("-ci"), needle, data}));
        }
        form.SearchControl().FillMatchColumns = true;
        std::printf("listed: %d\n", form.SearchResultList->FileList().Count());
        std::printf("with the columns %.3f s, without %.3f s: %+.1f%%\n", Median(with), Median(without),
                    100 * (Median(with) / Median(without) - 1));
        Report("window with the columns", Median(with), "rg -ci", Median(peer));
    } else if (scenario == QStringLiteral("empty200k") || scenario == QStringLiteral("empty1m")) {
        const int count = scenario == QStringLiteral("empty1m") ? 1000000 : 200000;
        if (!MakeOnce(root, [&](const QString &aData) { return MakeEmptyFiles(aData, count); }))
            return 1;
        Compare(form, data, needle, {findPeer}, true);
    } else if (scenario == QStringLiteral("first200k")) {
        if (!MakeOnce(root, [&](const QString &aData) {
                return MakeEmptyFiles(aData, 200000) && WriteFile(aData + QStringLiteral("/hit.txt"),
                                                                  "the " + needle.toLatin1() + " is here\n");
            }))
            return 1;
        std::vector<double> first, whole;
        SearchInWindow(form, data, needle); // warms the page cache
        for (int run = 0; run < Runs; ++run) {
            const TWindowRun result = SearchInWindow(form, data, needle);
            first.push_back(result.fFirstRowSeconds);
            whole.push_back(result.fSeconds);
        }
        std::printf("listed: %d\n", form.SearchResultList->FileList().Count());
        std::printf("first row after Start: median %.0f ms (worst %.0f ms); whole search %.3f s\n",
                    1000 * Median(first), 1000 * *std::max_element(first.begin(), first.end()),
                    Median(whole));
    } else if (scenario == QStringLiteral("listed100k")) {
        if (!MakeOnce(root, [&](const QString &aData) { return MakeEmptyFiles(aData, 100000); }))
            return 1;
        // Memory on the first fill, before the allocator holds freed memory of earlier ones.
        const int64_t before = ResidentBytes();
        const int64_t heapBefore = HeapInUse();
        SearchInWindow(form, data, QString());
        const int listed = std::max(form.SearchResultList->FileList().Count(), 1);
        const double bytesPerResult = double(ResidentBytes() - before) / listed;
        const double heapPerResult = double(HeapInUse() - heapBefore) / listed;
        std::vector<double> times;
        for (int run = 0; run < Runs; ++run)
            times.push_back(SearchInWindow(form, data, QString()).fSeconds);
        std::printf("listed: %d\n", form.SearchResultList->FileList().Count());
        std::printf(
            "window, 100k listed: median %.3f s; bytes per result after the first fill: heap in use %.0f, "
            "resident %.0f (with what the walk held meanwhile)\n",
            Median(times), heapPerResult, bytesPerResult);
        std::vector<double> peer;
        for (int run = 0; run < Runs; ++run)
            peer.push_back(RunPeer(findPeer.fProgram, findPeer.fArguments));
        std::printf("find -printf: median %.3f s\n", Median(peer));
    } else if (scenario == QStringLiteral("utf8")) {
        if (!MakeOnce(root, [&](const QString &aData) {
                for (int i = 0; i < 100; ++i)
                    if (!WriteFile(QStringLiteral("%1/f%2.txt").arg(aData).arg(i),
                                   Words(random, 1 << 20, true)))
                        return false;
                return true;
            }))
            return 1;
        const QString text = QString::fromUtf8("Zwölf");
        CompareContentCheck(
            data, text, 0,
            {QStringLiteral("grep -rli"), QStringLiteral("grep"), {QStringLiteral("-rli"), text, data}});
    } else if (scenario == QStringLiteral("pdf500")) {
        if (!MakeOnce(root, [&](const QString &aData) {
                for (int i = 0; i < 500; ++i)
                    if (!WriteFile(QStringLiteral("%1/f%2.pdf").arg(aData).arg(i),
                                   MakePdf("Quarterly report number " + QByteArray::number(i))))
                        return false;
                return true;
            }))
            return 1;
        QProcess extractd;
        if (!StartServer(extractd, form, data + QStringLiteral("/f0.pdf")))
            return 2;
        // Extraction itself is measured: every search sends every document.
        form.chkTextCache->setChecked(false);
        const QString loop =
            QStringLiteral("for f in '%1'/*.pdf; do pdftotext \"$f\" - >/dev/null; done").arg(data);
        Compare(form, data, needle,
                {{QStringLiteral("pdftotext loop"), QStringLiteral("sh"), {QStringLiteral("-c"), loop}}});
        extractd.terminate();
        extractd.waitForFinished();
    } else if (scenario == QStringLiteral("cache")) {
        if (!MakeOnce(root, [&](const QString &aData) {
                QDir().mkpath(aData + QStringLiteral("/pdf"));
                QDir().mkpath(aData + QStringLiteral("/docx"));
                for (int i = 0; i < 500; ++i) {
                    const QByteArray text = "Quarterly report number " + QByteArray::number(i) + ": " +
                                            Words(random, 2000, false).replace('\n', ' ');
                    // The page shows the text in lines of about 80 characters, so all of it is read.
                    QByteArray lines;
                    for (qsizetype at = 0; at < text.size(); at += 80)
                        lines += (at ? ") Tj 0 -14 Td (" : "") + text.mid(at, 80);
                    if (!WriteFile(QStringLiteral("%1/pdf/f%2.pdf").arg(aData).arg(i), MakePdf(lines)) ||
                        !WriteFile(QStringLiteral("%1/docx/f%2.docx").arg(aData).arg(i), MakeDocx(text)))
                        return false;
                }
                return true;
            }))
            return 1;
        QProcess extractd;
        if (!StartServer(extractd, form, data + QStringLiteral("/pdf/f0.pdf")))
            return 2;
        CompareCache(form, "500 PDFs", data + QStringLiteral("/pdf"), 500);
        CompareCache(form, "500 .docx", data + QStringLiteral("/docx"), 500);
        extractd.terminate();
        extractd.waitForFinished();
    } else {
        std::fprintf(stderr, "unknown scenario\n");
        return 2;
    }
    std::printf("load average after: %s; accessibility at the end %s\n", qPrintable(LoadAverage()),
                QAccessible::isActive() ? "on" : "off");
    return 0;
}
