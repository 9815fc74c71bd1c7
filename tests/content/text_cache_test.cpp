// The text cache: hits and the changes that make a miss, failures kept and not kept, several
// threads at once, damaged and foreign files, a full disk, the size limit and clearing.
#include "content/content_matching.h"
#include "content/extraction_service.h"
#include "content/sqlite_db.h"
#include "content/text_cache.h"
#include "platform/config_location.h"
#include "support/fake_extraction_server.h"
#include "support/temp_tree.h"

#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <QFileInfo>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr char kExtractor[] = "ordwell-extractd 2.3";

QByteArray RandomLetters(int aCount, unsigned aSeed)
{
    std::mt19937 random(aSeed);
    QByteArray bytes(aCount, 'a');
    for (char &c : bytes)
        c = char('a' + random() % 26);
    return bytes;
}

class TextCache : public ::testing::Test
{
protected:
    TTempTree fTree;
    TFakeExtractionServer fServer;
    std::atomic<int64_t> fNow{1000};

    TTextCache::TOptions Options(int64_t aLimit = DefaultTextCacheLimitBytes)
    {
        TTextCache::TOptions options;
        options.fFolder = fTree.Path(QStringLiteral("cache/Ordwell"));
        options.fLimitBytes = aLimit;
        options.fClock = [this] { return fNow.load(); };
        return options;
    }
    // A service bound to the fake server that reads through aCache.
    std::unique_ptr<TExtractionService> Service(std::shared_ptr<TTextCache> aCache)
    {
        TExtractionService::TOptions options;
        options.fFixed = fServer.Address();
        options.fCache = std::move(aCache);
        return std::make_unique<TExtractionService>(std::move(options));
    }
    QString Database() const { return fTree.Path(QStringLiteral("cache/Ordwell/texts.db")); }
};

TEST_F(TextCache, SecondExtractionIsReadFromTheCache)
{
    const QString pdf = fTree.File(QStringLiteral("a.pdf"), "%PDF-1.4 one");
    const auto cache = std::make_shared<TTextCache>(Options());
    auto service = Service(cache);
    TDocumentSource source(*service);
    QString text;
    TDocumentFailure failure;
    ASSERT_TRUE(source.Extract(pdf, text, failure));
    EXPECT_EQ(fServer.RequestCount(), 1u);
    text.clear();
    ASSERT_TRUE(source.Extract(pdf, text, failure));
    EXPECT_EQ(text, QStringLiteral("extracted text"));
    EXPECT_EQ(fServer.RequestCount(), 1u);
    // A later run, with a new service, reads the same entry.
    auto later = Service(cache);
    EXPECT_TRUE(FileContainsText(pdf, QStringLiteral("EXTRACTED"), TDocumentSource(*later)));
    EXPECT_EQ(fServer.RequestCount(), 1u);
    struct stat info
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(Database()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(QFile::encodeName(fTree.Path(QStringLiteral("cache/Ordwell"))).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(TextCache, AnyChangeOfTheFileOrTheExtractorIsAMiss)
{
    TTextCache cache(Options());
    const TFileStamp stamp{10, 20, 300, 4000, 5000};
    ASSERT_TRUE(cache.Store(QStringLiteral("/d/a.pdf"), stamp, kExtractor, QStringLiteral("alpha"), {}));
    struct TCase
    {
        const char *fName;
        QString fPath;
        TFileStamp fStamp;
        std::string fExtractor;
    };
    const TCase cases[] = {
        {"device", "/d/a.pdf", {11, 20, 300, 4000, 5000}, kExtractor},
        {"inode", "/d/a.pdf", {10, 21, 300, 4000, 5000}, kExtractor},
        {"size", "/d/a.pdf", {10, 20, 301, 4000, 5000}, kExtractor},
        {"modified", "/d/a.pdf", {10, 20, 300, 4001, 5000}, kExtractor},
        {"changed", "/d/a.pdf", {10, 20, 300, 4000, 5001}, kExtractor},
        {"path", "/d/b.pdf", {10, 20, 300, 4000, 5000}, kExtractor},
        {"extractor", "/d/a.pdf", {10, 20, 300, 4000, 5000}, "ordwell-extractd 2.4"},
    };
    for (const TCase &c : cases) {
        QString text;
        TDocumentFailure failure;
        EXPECT_FALSE(cache.Find(c.fPath, c.fStamp, c.fExtractor, text, failure)) << c.fName;
        EXPECT_TRUE(text.isEmpty()) << c.fName;
    }
    QString text;
    TDocumentFailure failure;
    EXPECT_TRUE(cache.Find(QStringLiteral("/d/a.pdf"), stamp, kExtractor, text, failure));
    EXPECT_EQ(text, QStringLiteral("alpha"));
}

TEST_F(TextCache, TouchedRewrittenRenamedOrReplacedFilesAreSentAgain)
{
    const QString pdf = fTree.File(QStringLiteral("a.pdf"), "%PDF one");
    auto service = Service(std::make_shared<TTextCache>(Options()));
    TDocumentSource source(*service);
    QString text;
    TDocumentFailure failure;
    size_t expected = 1;
    ASSERT_TRUE(source.Extract(pdf, text, failure));
    const auto sentAgain = [&](const char *aWhat) {
        ASSERT_TRUE(source.Extract(pdf, text, failure)) << aWhat;
        EXPECT_EQ(fServer.RequestCount(), ++expected) << aWhat;
        ASSERT_TRUE(source.Extract(pdf, text, failure)) << aWhat;
        EXPECT_EQ(fServer.RequestCount(), expected) << aWhat << ": the new version is kept";
    };
    const timespec later[2] = {{0, UTIME_OMIT}, {1700000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(pdf).constData(), later, 0), 0);
    sentAgain("touch");
    struct stat before
    {
    };
    ::stat(QFile::encodeName(pdf).constData(), &before);
    fTree.File(QStringLiteral("a.pdf"), "%PDF two");
    const timespec same[2] = {{0, UTIME_OMIT}, before.st_mtim};
    ::utimensat(AT_FDCWD, QFile::encodeName(pdf).constData(), same, 0);
    sentAgain("rewrite with the same size and time");
    // Another file of the same size and time put in its place: another inode.
    ::stat(QFile::encodeName(pdf).constData(), &before);
    const QString other = fTree.File(QStringLiteral("other.pdf"), "%PDF six");
    ::utimensat(AT_FDCWD, QFile::encodeName(other).constData(), same, 0);
    ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(pdf).constData()), 0);
    sentAgain("replacement");
    const QString renamed = fTree.Path(QStringLiteral("b.pdf"));
    ASSERT_EQ(::rename(QFile::encodeName(pdf).constData(), QFile::encodeName(renamed).constData()), 0);
    ASSERT_TRUE(source.Extract(renamed, text, failure));
    EXPECT_EQ(fServer.RequestCount(), ++expected) << "rename";
}

TEST_F(TextCache, AnotherServerVersionIsAMiss)
{
    const QString pdf = fTree.File(QStringLiteral("a.pdf"), "%PDF one");
    const auto cache = std::make_shared<TTextCache>(Options());
    QString text;
    TDocumentFailure failure;
    ASSERT_TRUE(TDocumentSource(*Service(cache)).Extract(pdf, text, failure));
    fServer.SetVersion("fake extraction server 2");
    fServer.SetReply(TFakeReply::frText, "newer text");
    ASSERT_TRUE(TDocumentSource(*Service(cache)).Extract(pdf, text, failure));
    EXPECT_EQ(text, QStringLiteral("newer text"));
    EXPECT_EQ(fServer.RequestCount(), 2u);
    // A server that does not say its version is never cached.
    fServer.SetVersion("");
    auto silent = Service(cache);
    TDocumentSource(*silent).Extract(pdf, text, failure);
    TDocumentSource(*silent).Extract(pdf, text, failure);
    EXPECT_EQ(fServer.RequestCount(), 4u);
}

TEST_F(TextCache, FailuresAboutTheDocumentAreKeptOthersNot)
{
    struct TCase
    {
        TFakeReply fReply;
        TDocumentProblem fProblem;
        size_t fRequests; // after two extractions
    };
    const TCase cases[] = {
        {TFakeReply::frEncrypted, TDocumentProblem::Encrypted, 1},
        {TFakeReply::frUnprocessable, TDocumentProblem::Corrupt, 1},
        {TFakeReply::frEmpty, TDocumentProblem::None, 1},
        {TFakeReply::frCloseMidReply, TDocumentProblem::ServerError, 2},
    };
    int n = 0;
    for (const TCase &c : cases) {
        const QString pdf = fTree.File(QStringLiteral("f%1.pdf").arg(++n), "%PDF");
        fServer.SetReply(c.fReply);
        auto service = Service(std::make_shared<TTextCache>(Options()));
        const size_t start = fServer.RequestCount();
        for (int i = 0; i < 2; ++i) {
            QString text;
            TDocumentFailure failure;
            EXPECT_FALSE(TDocumentSource(*service).Extract(pdf, text, failure));
            EXPECT_EQ(failure.fProblem, c.fProblem) << n;
        }
        EXPECT_EQ(fServer.RequestCount() - start, c.fRequests) << n;
    }
    // Nothing answering is not kept either: the document is sent once the server is back.
    const QString pdf = fTree.File(QStringLiteral("late.pdf"), "%PDF");
    fServer.SetReply(TFakeReply::frText);
    TExtractionService::TOptions options;
    options.fFixed = TExtractionServerAddress{"127.0.0.1", UnusedLoopbackPort(), 2000};
    options.fCache = std::make_shared<TTextCache>(Options());
    TExtractionService nobody(std::move(options));
    QString text;
    TDocumentFailure failure;
    EXPECT_FALSE(TDocumentSource(nobody).Extract(pdf, text, failure));
    EXPECT_EQ(failure.fProblem, TDocumentProblem::NoServer);
}

TEST_F(TextCache, AFileChangedOrACheckCancelledWhileItIsExtractedIsNotKept)
{
    const QString pdf = fTree.File(QStringLiteral("a.pdf"), "%PDF one");
    const auto cache = std::make_shared<TTextCache>(Options());
    auto service = Service(cache);
    TDocumentSource source(*service);
    const std::optional<TFileStamp> before = FileStamp(pdf);
    ASSERT_TRUE(before);
    fServer.SetReply(TFakeReply::frSlowText, "ab");
    std::thread check([&] {
        QString text;
        TDocumentFailure failure;
        EXPECT_TRUE(source.Extract(pdf, text, failure));
    });
    // The server has the file's bytes once it records the request: the file changes meanwhile.
    while (fServer.RequestCount() == 0)
        std::this_thread::yield();
    const timespec later[2] = {{0, UTIME_OMIT}, {1700000000, 5}};
    ::utimensat(AT_FDCWD, QFile::encodeName(pdf).constData(), later, 0);
    check.join();
    QString text;
    TDocumentFailure failure;
    // Neither under the stamp it had when the extraction began nor under the new one.
    EXPECT_FALSE(cache->Find(pdf, *before, service->ServerIdentity(fServer.Address()), text, failure));
    fServer.SetReply(TFakeReply::frText);
    ASSERT_TRUE(source.Extract(pdf, text, failure));
    EXPECT_EQ(fServer.RequestCount(), 2u);

    const QString other = fTree.File(QStringLiteral("b.pdf"), "%PDF two");
    TCustomCancellationToken cancelled;
    cancelled.Cancel();
    EXPECT_FALSE(source.Extract(other, text, failure, &cancelled));
    ASSERT_TRUE(source.Extract(other, text, failure));
    EXPECT_EQ(text, QStringLiteral("extracted text"));
}

TEST_F(TextCache, PlainTextFilesAreNeverCached)
{
    const QString txt = fTree.File(QStringLiteral("a.txt"), "harbour");
    auto service = Service(std::make_shared<TTextCache>(Options()));
    EXPECT_TRUE(FileContainsText(txt, QStringLiteral("harbour"), TDocumentSource(*service)));
    EXPECT_FALSE(QFileInfo::exists(Database()));
}

TEST_F(TextCache, SeveralThreadsFillAndReadAtOnce)
{
    TTextCache cache(Options());
    constexpr int kThreads = 4;
    constexpr int kFiles = 60;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kFiles; ++i) {
                // Every thread stores every file: each sees its own or another's equal entry.
                const int file = (i + t * 15) % kFiles;
                const QString path = QStringLiteral("/d/%1.pdf").arg(file);
                const TFileStamp stamp{1, uint64_t(file), 10, 20, 30};
                const QString expected = QString::fromLatin1(RandomLetters(3000, unsigned(file)));
                QString text;
                TDocumentFailure failure;
                if (cache.Find(path, stamp, kExtractor, text, failure)
                        ? text != expected
                        : !cache.Store(path, stamp, kExtractor, expected, {}))
                    ++wrong;
            }
        });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
    for (int file = 0; file < kFiles; ++file) {
        QString text;
        TDocumentFailure failure;
        ASSERT_TRUE(cache.Find(QStringLiteral("/d/%1.pdf").arg(file), {1, uint64_t(file), 10, 20, 30},
                               kExtractor, text, failure));
        EXPECT_EQ(text, QString::fromLatin1(RandomLetters(3000, unsigned(file))));
    }
}

TEST_F(TextCache, DamagedOrForeignFilesAreSetAsideAndRebuilt)
{
    enum TDamage
    {
        dTruncated,
        dRandomBytes,
        dOtherSchema
    };
    for (const TDamage damage : {dTruncated, dRandomBytes, dOtherSchema}) {
        {
            TTextCache cache(Options());
            for (int i = 0; i < 50; ++i)
                ASSERT_TRUE(cache.Store(QStringLiteral("/d/%1.pdf").arg(i), {1, uint64_t(i), 2, 3, 4},
                                        kExtractor, QString::fromLatin1(RandomLetters(2000, unsigned(i))),
                                        {}));
        }
        const QByteArray name = QFile::encodeName(Database());
        if (damage == dTruncated) {
            ASSERT_EQ(::truncate(name.constData(), QFileInfo(Database()).size() / 3), 0);
        } else if (damage == dRandomBytes) {
            fTree.File(QStringLiteral("cache/Ordwell/texts.db"), RandomLetters(40000, 7));
        } else {
            QFile::remove(Database());
            TSqliteDb foreign(name, true);
            foreign.Execute("CREATE TABLE entries(x); PRAGMA user_version = 9;");
        }
        TTextCache cache(Options());
        for (int i = 0; i < 50; ++i) {
            QString text;
            TDocumentFailure failure;
            // Never a wrong answer: a miss, or the text stored.
            if (cache.Find(QStringLiteral("/d/%1.pdf").arg(i), {1, uint64_t(i), 2, 3, 4}, kExtractor, text,
                           failure)) {
                EXPECT_EQ(text, QString::fromLatin1(RandomLetters(2000, unsigned(i)))) << damage;
            }
        }
        // Usable again at once, the broken file set aside.
        ASSERT_TRUE(
            cache.Store(QStringLiteral("/d/new.pdf"), {9, 9, 9, 9, 9}, kExtractor, QStringLiteral("new"), {}))
            << damage;
        QString text;
        TDocumentFailure failure;
        EXPECT_TRUE(cache.Find(QStringLiteral("/d/new.pdf"), {9, 9, 9, 9, 9}, kExtractor, text, failure))
            << damage;
        if (damage != dTruncated) {
            EXPECT_TRUE(QFileInfo::exists(Database() + QStringLiteral(".broken"))) << damage;
        }
        cache.Clear();
        EXPECT_FALSE(QFileInfo::exists(Database() + QStringLiteral(".broken"))) << damage;
    }
}

TEST_F(TextCache, AFullDiskLeavesTheSearchCorrect)
{
    TTextCache::TOptions options = Options();
    options.fMaxPageCount = 6;
    const auto cache = std::make_shared<TTextCache>(options);
    cache->Store(QStringLiteral("/d/big.pdf"), {1, 2, 3, 4, 5}, kExtractor,
                 QString::fromLatin1(RandomLetters(200000, 1)), {});
    EXPECT_FALSE(cache->Flush());
    QString text;
    TDocumentFailure failure;
    EXPECT_FALSE(cache->Find(QStringLiteral("/d/big.pdf"), {1, 2, 3, 4, 5}, kExtractor, text, failure));
    const QString pdf = fTree.File(QStringLiteral("a.pdf"), "%PDF");
    fServer.SetReply(TFakeReply::frText, RandomLetters(100000, 2).toStdString() + " harbour");
    auto service = Service(cache);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(FileContainsText(pdf, QStringLiteral("harbour"), TDocumentSource(*service)));
        EXPECT_FALSE(cache->Flush());
    }
    EXPECT_EQ(fServer.RequestCount(), 2u);
}

TEST_F(TextCache, TheLeastRecentlyUsedEntriesGoFirst)
{
    constexpr int64_t kLimit = 256 * 1024;
    TTextCache cache(Options(kLimit));
    const auto stamp = [](int i) { return TFileStamp{1, uint64_t(i), 2, 3, 4}; };
    const auto text = [](int i) { return QString::fromLatin1(RandomLetters(16000, unsigned(i))); };
    for (int i = 0; i < 10; ++i) {
        fNow += 1000;
        ASSERT_TRUE(cache.Store(QStringLiteral("/d/%1.pdf").arg(i), stamp(i), kExtractor, text(i), {}));
    }
    // The first entry is used again: it is now the most recent of the old ones.
    fNow += 1000;
    QString found;
    TDocumentFailure failure;
    ASSERT_TRUE(cache.Find(QStringLiteral("/d/0.pdf"), stamp(0), kExtractor, found, failure));
    for (int i = 10; i < 60; ++i) {
        fNow += 1000;
        ASSERT_TRUE(cache.Store(QStringLiteral("/d/%1.pdf").arg(i), stamp(i), kExtractor, text(i), {}));
    }
    ASSERT_TRUE(cache.Flush());
    int kept = 0;
    for (int i = 0; i < 60; ++i)
        kept += cache.Find(QStringLiteral("/d/%1.pdf").arg(i), stamp(i), kExtractor, found, failure) ? 1 : 0;
    EXPECT_FALSE(cache.Find(QStringLiteral("/d/1.pdf"), stamp(1), kExtractor, found, failure));
    EXPECT_TRUE(cache.Find(QStringLiteral("/d/59.pdf"), stamp(59), kExtractor, found, failure));
    // About 10 KB an entry compressed: a limit of 256 KB keeps a bounded number of them.
    EXPECT_LT(kept, 30);
    EXPECT_GT(kept, 5);
    EXPECT_LT(cache.SizeOnDisk(), 3 * kLimit);
}

TEST_F(TextCache, ClearEmptiesItAndSaysWhatItFreed)
{
    TTextCache cache(Options());
    EXPECT_EQ(cache.Clear(), 0);
    EXPECT_FALSE(QFileInfo::exists(Database()));
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(cache.Store(QStringLiteral("/d/%1.pdf").arg(i), {1, uint64_t(i), 2, 3, 4}, kExtractor,
                                QString::fromLatin1(RandomLetters(20000, unsigned(i))), {}));
    ASSERT_TRUE(cache.Flush());
    const int64_t before = cache.SizeOnDisk();
    const int64_t freed = cache.Clear();
    EXPECT_GT(freed, 100000);
    EXPECT_EQ(cache.SizeOnDisk(), before - freed);
    QString text;
    TDocumentFailure failure;
    EXPECT_FALSE(cache.Find(QStringLiteral("/d/3.pdf"), {1, 3, 2, 3, 4}, kExtractor, text, failure));
    EXPECT_TRUE(
        cache.Store(QStringLiteral("/d/3.pdf"), {1, 3, 2, 3, 4}, kExtractor, QStringLiteral("again"), {}));
}

TEST(TextCacheFolder, FollowsXdgCacheHome)
{
    const QByteArray old = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", "/tmp/ordwell-cache-test");
    EXPECT_EQ(TTextCache::DefaultFolder(), QStringLiteral("/tmp/ordwell-cache-test/Ordwell"));
    qputenv("XDG_CACHE_HOME", "relative");
    EXPECT_EQ(TTextCache::DefaultFolder(), UserCacheFolder() + QStringLiteral("/Ordwell"));
    EXPECT_TRUE(UserCacheFolder().endsWith(QStringLiteral("/.cache")));
    if (old.isNull())
        qunsetenv("XDG_CACHE_HOME");
    else
        qputenv("XDG_CACHE_HOME", old);
}

} // namespace
