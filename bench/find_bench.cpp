// ordwell-find from a shell next to the tools a user would run instead, on the same generated data
// in the same run. Prints the median of five runs of each, the ratio, and the load average. Built,
// not run by ctest.
//
// Usage: find_bench [text|pdf|all] [DATA_DIR]
//   text  20,000 text files of 10 KB, the text in 1% of them, in two sets: a text of rare letters
//         and one of common letters. `ordwell-find -l TEXT DIR > /dev/null` against
//         `rg -li TEXT DIR > /dev/null`, alternating.
//   pdf   100 multi-page PDFs, the text on a late page of 10 of them, through the program's own
//         ordwell-extractd: a first search with the text cache empty against a pdftotext loop piped
//         to grep -l, and a repeat search from the cache.
// ORDWELL_FIND (default: ordwell-find beside this program's build folder) and ORDWELL_EXTRACTD name
// the programs. DATA_DIR keeps the generated files between runs (made once); by default a temporary
// folder.
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

// Seconds a command takes with its output thrown away (as "> /dev/null"), and how many lines it
// printed when aLines is given (then the output is counted instead of thrown away).
double Run(const QString &aProgram, const QStringList &aArguments, const QProcessEnvironment &aEnvironment,
           int *aLines = nullptr)
{
    QProcess process;
    process.setProcessEnvironment(aEnvironment);
    if (!aLines)
        process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(aProgram, aArguments);
    if (!process.waitForFinished(-1))
        return -1;
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (aLines)
        *aLines = int(process.readAllStandardOutput().count('\n'));
    return seconds;
}

// Text of words; the letters of each set are those of its words.
QByteArray Words(QRandomGenerator &aRandom, qsizetype aSize)
{
    static const char *const words[] = {"the",  "Quick", "brown",  "FOX",    "jumps",  "over",    "lazy",
                                        "dog,", "lorem", "ipsum",  "Dolor",  "sit",    "amet;",   "search",
                                        "FILE", "tone",  "orient", "senate", "retain", "content", "station"};
    QByteArray text;
    text.reserve(aSize + 16);
    while (text.size() < aSize) {
        text += words[aRandom.bounded(int(std::size(words)))];
        text += aRandom.bounded(12) == 0 ? '\n' : ' ';
    }
    text.truncate(aSize);
    return text;
}

void Report(const char *aWhat, double aSeconds, const char *aPeer, double aPeerSeconds)
{
    std::printf("%-44s %8.3f s   %-22s %8.3f s   ratio %5.2fx\n", aWhat, aSeconds, aPeer, aPeerSeconds,
                aSeconds / aPeerSeconds);
    std::fflush(stdout);
}

bool TextSet(const QString &aRoot, const QByteArray &aNeedle, const QString &aFind,
             const QProcessEnvironment &aEnv)
{
    QRandomGenerator random(42);
    if (!MakeOnce(aRoot, [&](const QString &aData) {
            for (int i = 0; i < 20000; ++i) {
                const QString folder = QStringLiteral("%1/d%2").arg(aData).arg(i / 500);
                if (i % 500 == 0 && !QDir().mkpath(folder))
                    return false;
                QByteArray text = Words(random, 10240);
                if (i % 100 == 0)
                    text.replace(5000, aNeedle.size(), aNeedle);
                if (!WriteFile(QStringLiteral("%1/f%2.txt").arg(folder).arg(i), text))
                    return false;
            }
            return true;
        }))
        return false;
    const QString data = aRoot + QStringLiteral("/data");
    const QString needle = QString::fromLatin1(aNeedle);
    int found = 0, peerFound = 0;
    // Warms the page cache and checks that both find the same number of files.
    Run(aFind, {QStringLiteral("-l"), needle, data}, aEnv, &found);
    Run(QStringLiteral("rg"), {QStringLiteral("-li"), needle, data}, aEnv, &peerFound);
    std::vector<double> find, rg;
    for (int run = 0; run < Runs; ++run) {
        // Alternating, so that neither order wins.
        find.push_back(Run(aFind, {QStringLiteral("-l"), needle, data}, aEnv));
        rg.push_back(Run(QStringLiteral("rg"), {QStringLiteral("-li"), needle, data}, aEnv));
    }
    std::printf("\"%s\": ordwell-find lists %d files, rg %d; load average %s\n", aNeedle.constData(), found,
                peerFound, qPrintable(LoadAverage()));
    Report(qPrintable(QStringLiteral("ordwell-find -l %1 (20,000 x 10 KB)").arg(needle)), Median(find),
           "rg -li", Median(rg));
    return true;
}

// A PDF of aPages pages of about 40 lines of words each; aNeedle on page aNeedlePage (0: none).
QByteArray MakePdf(QRandomGenerator &aRandom, int aPages, const QByteArray &aNeedle, int aNeedlePage)
{
    QList<QByteArray> objects{"<< /Type /Catalog /Pages 2 0 R >>", QByteArray(),
                              "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    QByteArray kids;
    for (int page = 1; page <= aPages; ++page) {
        QByteArray stream = "BT /F1 10 Tf 50 760 Td 12 TL";
        for (int line = 0; line < 40; ++line) {
            QByteArray words = Words(aRandom, 90).replace('\n', ' ');
            if (page == aNeedlePage && line == 20)
                words.replace(30, aNeedle.size(), aNeedle);
            stream += " (" + words + ") '";
        }
        stream += " ET";
        const qsizetype pageObject = objects.size() + 1;
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents " +
                       QByteArray::number(pageObject + 1) + " 0 R /Resources << /Font << /F1 3 0 R >> >> >>";
        objects << "<< /Length " + QByteArray::number(stream.size()) + " >>\nstream\n" + stream +
                       "\nendstream";
        kids += QByteArray::number(pageObject) + " 0 R ";
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(aPages) + " >>";
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

bool PdfSet(const QString &aRoot, const QString &aFind, QProcessEnvironment aEnv)
{
    const QByteArray needle = "Zebracorn";
    QRandomGenerator random(7);
    if (!MakeOnce(aRoot, [&](const QString &aData) {
            for (int i = 0; i < 100; ++i) {
                const int pages = 5 + i % 11;
                if (!WriteFile(QStringLiteral("%1/f%2.pdf").arg(aData).arg(i),
                               MakePdf(random, pages, needle, i % 10 == 0 ? pages - 1 : 0)))
                    return false;
            }
            return true;
        }))
        return false;
    const QString data = aRoot + QStringLiteral("/data");
    QTemporaryDir cache;
    aEnv.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
    const QStringList arguments = {QStringLiteral("--server"), QStringLiteral("auto"), QStringLiteral("-l"),
                                   QString::fromLatin1(needle), data};
    const QString loop =
        QStringLiteral("for f in '%1'/*.pdf; do pdftotext \"$f\" - | grep -qi '%2' && echo \"$f\"; "
                       "done")
            .arg(data, QString::fromLatin1(needle));
    int found = 0, peerFound = 0;
    Run(aFind, arguments, aEnv, &found);
    Run(QStringLiteral("sh"), {QStringLiteral("-c"), loop}, aEnv, &peerFound);
    std::vector<double> first, repeat, peer;
    for (int run = 0; run < Runs; ++run) {
        QDir(cache.path()).removeRecursively();
        QDir().mkpath(cache.path());
        first.push_back(Run(aFind, arguments, aEnv));
        repeat.push_back(Run(aFind, arguments, aEnv));
        peer.push_back(Run(QStringLiteral("sh"), {QStringLiteral("-c"), loop}, aEnv));
    }
    std::printf("PDFs: ordwell-find lists %d files, the pdftotext loop %d; load average %s\n", found,
                peerFound, qPrintable(LoadAverage()));
    Report("ordwell-find, 100 PDFs, text cache empty", Median(first), "pdftotext | grep -l", Median(peer));
    std::printf("%-44s %8.3f s   (%.0f ms)\n", "ordwell-find, the same search again (cache)", Median(repeat),
                Median(repeat) * 1000);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString scenario = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("text");
    QTemporaryDir temporary;
    const QString root = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path();
    QString find = qEnvironmentVariable("ORDWELL_FIND");
    if (find.isEmpty())
        find = QCoreApplication::applicationDirPath() + QStringLiteral("/../ordwell-find");
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("APPDATA"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    std::printf("find_bench %s, %s, load average before: %s\n", qPrintable(scenario), qPrintable(find),
                qPrintable(LoadAverage()));

    bool ok = true;
    if (scenario == u"text" || scenario == u"all") {
        // A text of letters that are rare in the files, and one of the letters they are made of.
        ok = ok && TextSet(root + QStringLiteral("/find-rare"), "Jukeboxquiz", find, environment);
        ok = ok && TextSet(root + QStringLiteral("/find-common"), "retention", find, environment);
    }
    if (scenario == u"pdf" || scenario == u"all")
        ok = ok && PdfSet(root + QStringLiteral("/find-pdf"), find, environment);
    std::printf("load average after: %s\n", qPrintable(LoadAverage()));
    return ok ? 0 : 1;
}
