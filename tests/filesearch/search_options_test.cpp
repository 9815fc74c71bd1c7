// Search criteria: defaults, filter splitting, the "*." and "*.*" rules, and every test of the
// per-entry decision (kind, masks, size, hidden, file times), including copies used on threads.
#include "filesearch/search_options.h"
#include "support/scoped_time_zone.h"

#include <gtest/gtest.h>
#include <ostream>
#include <QDateTime>
#include <thread>
#include <vector>

namespace {

const QString cFolder = QStringLiteral("/home/user/Data/");

TWin32FindData Entry(const QString &pName, uint64_t pSize = 0, uint32_t pAttributes = 0)
{
    TWin32FindData entry;
    entry.cFileName = pName;
    entry.dwFileAttributes = pAttributes;
    entry.nFileSizeHigh = uint32_t(pSize >> 32);
    entry.nFileSizeLow = uint32_t(pSize);
    return entry;
}

TWin32FindData Folder(const QString &pName)
{
    return Entry(pName, 0, FILE_ATTRIBUTE_DIRECTORY);
}

std::string Masks(const TZorSearchOptions &pOptions)
{
    return pOptions.FilterList().join(u'|').toStdString();
}

TFileTime UtcFileTime(const QDate &pDate, const QTime &pTime)
{
    return *FileTimeFromUnixMSecs(QDateTime(pDate, pTime, Qt::UTC).toMSecsSinceEpoch());
}

// ---- defaults and copies ----

TEST(SearchOptions, ResetRestoresEveryDefault)
{
    TZorSearchOptions options;
    options.SetMaxFileSize(5);
    options.SetMinFileSize(2);
    options.SetRecursiveSearch(false);
    options.SetFilesAndFolders(ffFoldersOnly);
    options.SetIncludeHidden(true);
    options.SetAutoWildcard(false);
    options.SetUseFullPathWhenComparing(true);
    options.SetFilter(QStringLiteral("*.txt"));
    options.SetLastWriteDateMax(46000.5);
    options.Reset();

    EXPECT_EQ(options.MaxFileSize(), -1);
    EXPECT_EQ(options.MinFileSize(), 0);
    EXPECT_TRUE(options.RecursiveSearch());
    EXPECT_EQ(options.FilesAndFolders(), ffFilesAndFolders);
    EXPECT_FALSE(options.IncludeHidden());
    EXPECT_TRUE(options.AutoWildcard());
    EXPECT_FALSE(options.UseFullPathWhenComparing());
    EXPECT_EQ(options.Filter(), QStringLiteral("*"));
    EXPECT_TRUE(options.FilterList().isEmpty());
    EXPECT_EQ(options.LastWriteDateMax(), 0.0);
    EXPECT_EQ(options.LastWriteDateMax_FileTime(), *LocalDateTimeToFileTime(0));
    EXPECT_TRUE(options.Matches(Entry(QStringLiteral("anything at all")), cFolder));
}

TEST(SearchOptions, EmptyFilterLetsEveryNamePass)
{
    TZorSearchOptions options;
    options.SetFilter(QStringLiteral("*.txt"));
    options.SetFilter(QString());
    EXPECT_EQ(options.Filter(), QStringLiteral("*"));
    EXPECT_TRUE(options.FilterList().isEmpty());
    EXPECT_TRUE(options.Matches(Entry(QStringLiteral("README")), cFolder));
}

TEST(SearchOptions, AssignCopiesEveryCriterion)
{
    TScopedTimeZone zone("Europe/Berlin");
    TZorSearchOptions source;
    source.SetMaxFileSize(100);
    source.SetMinFileSize(10);
    source.SetRecursiveSearch(false);
    source.SetFilesAndFolders(ffFilesOnly);
    source.SetIncludeHidden(true);
    source.SetUseFullPathWhenComparing(true);
    source.SetCreationDateMax(46001);
    source.SetCreationDateMin(46002);
    source.SetAccessDateMax(46003);
    source.SetAccessDateMin(46004);
    source.SetLastWriteDateMax(46005);
    source.SetLastWriteDateMin(46006);
    source.SetAutoWildcard(false);
    source.SetFilter(QStringLiteral("report;*.TXT"));

    TZorSearchOptions copy;
    copy.Assign(source);
    EXPECT_EQ(copy.MaxFileSize(), 100);
    EXPECT_EQ(copy.MinFileSize(), 10);
    EXPECT_FALSE(copy.RecursiveSearch());
    EXPECT_EQ(copy.FilesAndFolders(), ffFilesOnly);
    EXPECT_TRUE(copy.IncludeHidden());
    EXPECT_TRUE(copy.UseFullPathWhenComparing());
    EXPECT_FALSE(copy.AutoWildcard());
    EXPECT_EQ(copy.Filter(), source.Filter());
    // split under the copied AutoWildcard, so "report" stays unwidened
    EXPECT_EQ(Masks(copy), "*.TXT|report");
    EXPECT_EQ(copy.CreationDateMax_FileTime(), source.CreationDateMax_FileTime());
    EXPECT_EQ(copy.CreationDateMin_FileTime(), source.CreationDateMin_FileTime());
    EXPECT_EQ(copy.AccessDateMax_FileTime(), source.AccessDateMax_FileTime());
    EXPECT_EQ(copy.AccessDateMin_FileTime(), source.AccessDateMin_FileTime());
    EXPECT_EQ(copy.LastWriteDateMax_FileTime(), source.LastWriteDateMax_FileTime());
    EXPECT_EQ(copy.LastWriteDateMin(), 46006.0);

    // the copy is independent of later changes to its source
    source.SetFilter(QStringLiteral("*.pdf"));
    EXPECT_EQ(Masks(copy), "*.TXT|report");
    const TZorSearchOptions constructed(copy);
    EXPECT_EQ(Masks(constructed), "*.TXT|report");
    EXPECT_EQ(constructed.MinFileSize(), 10);
}

TEST(SearchOptions, CopyOfResetOptionsHasTheOneMaskStar)
{
    TZorSearchOptions source;
    TZorSearchOptions copy;
    copy.Assign(source);
    EXPECT_EQ(Masks(copy), "*");
    EXPECT_TRUE(copy.Matches(Entry(QStringLiteral("README")), cFolder));
    copy = copy;
    EXPECT_EQ(Masks(copy), "*");
}

// ---- filter splitting ----

struct TSplitCase
{
    QString filter;
    bool autoWildcard;
    std::string masks;
};

void PrintTo(const TSplitCase &pCase, std::ostream *aStream)
{
    *aStream << '"' << pCase.filter.toStdString() << "\" auto=" << pCase.autoWildcard;
}

class FilterSplitTest : public ::testing::TestWithParam<TSplitCase>
{
};

TEST_P(FilterSplitTest, GivesSortedDistinctMasks)
{
    const TSplitCase &c = GetParam();
    TZorSearchOptions options;
    options.SetAutoWildcard(c.autoWildcard);
    options.SetFilter(c.filter);
    EXPECT_EQ(options.Filter(), c.filter);
    EXPECT_EQ(Masks(options), c.masks);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterSplitTest,
    ::testing::Values(TSplitCase{" *.txt ;*.DOC; *.TXT", true, "*.DOC|*.txt"},
                      TSplitCase{"report", true, "*report*"}, TSplitCase{"report", false, "report"},
                      TSplitCase{"a;;b", true, "**|*a*|*b*"}, TSplitCase{"a;;b", false, "|a|b"},
                      TSplitCase{"alpha;beta;gamma", true, "*alpha*|*beta*|*gamma*"},
                      TSplitCase{"gamma;Alpha;beta;ALPHA", true, "*Alpha*|*beta*|*gamma*"},
                      TSplitCase{"*X*;x", true, "*X*"}, TSplitCase{"x?;x", true, "*x*|x?"},
                      TSplitCase{"\t*.c\r\n; ", true, "*.c"}, TSplitCase{";", true, "**"},
                      TSplitCase{" ", true, ""}, TSplitCase{"*.*", true, "*.*"}));

TEST(SearchOptions, FilterTextIsCutAtTenThousandCharacters)
{
    TZorSearchOptions options;
    options.SetFilter(QStringLiteral("*.a;") + QString(20000, u'b'));
    ASSERT_EQ(options.FilterList().size(), 2);
    EXPECT_EQ(options.FilterList().at(0), QStringLiteral("*.a"));
    EXPECT_TRUE(options.FilterList().at(1) == u'*' + QString(10000, u'b') + u'*');

    // the 10000 characters after "*.a;" end before ";*.d"
    options.SetFilter(QStringLiteral("*.a;*.b;") + QString(9996, u'c') + QStringLiteral(";*.d"));
    EXPECT_EQ(Masks(options), "*.a|*.b|*" + std::string(9996, 'c') + "*");

    // a single long piece is cut the same way
    options.SetFilter(QString(20000, u'c'));
    ASSERT_EQ(options.FilterList().size(), 1);
    EXPECT_EQ(options.FilterList().at(0).size(), 10002);
}

// ---- masks ----

TEST(SearchOptions, AutoWildcardWidensPlainWords)
{
    TZorSearchOptions options;
    options.SetFilter(QStringLiteral("report"));
    EXPECT_TRUE(options.Matches(Entry(QStringLiteral("Annual report.pdf")), cFolder));
    EXPECT_FALSE(options.Matches(Entry(QStringLiteral("Annual summary.pdf")), cFolder));

    options.SetAutoWildcard(false);
    options.SetFilter(QStringLiteral("report"));
    EXPECT_FALSE(options.Matches(Entry(QStringLiteral("Annual report.pdf")), cFolder));
    EXPECT_TRUE(options.Matches(Entry(QStringLiteral("REPORT")), cFolder));
    EXPECT_TRUE(options.Matches(Entry(QStringLiteral("report")), cFolder));
}

TEST(SearchOptions, AnyMaskOfTheListLetsANamePass)
{
    TZorSearchOptions options;
    options.SetFilter(QStringLiteral("*.doc;*.txt"));
    EXPECT_TRUE(options.Matches(Entry(QStringLiteral("a.TXT")), cFolder));
    EXPECT_TRUE(options.Matches(Entry(QStringLiteral("b.doc")), cFolder));
    EXPECT_FALSE(options.Matches(Entry(QStringLiteral("c.pdf")), cFolder));
    options.SetFilter(QStringLiteral("a;;b"));
    EXPECT_TRUE(options.Matches(Entry(QStringLiteral("c.pdf")), cFolder));
}

TEST(SearchOptions, NoExtensionMask)
{
    EXPECT_TRUE(TZorSearchOptions::MatchesFileMask(QStringLiteral("README"), QStringLiteral("*.")));
    EXPECT_FALSE(TZorSearchOptions::MatchesFileMask(QStringLiteral("notes.txt"), QStringLiteral("*.")));
    EXPECT_TRUE(TZorSearchOptions::MatchesFileMask(QStringLiteral("notes."), QStringLiteral("*.")));
    TZorSearchOptions options;
    options.SetFilter(QStringLiteral("*."));
    EXPECT_TRUE(options.Matches(Entry(QStringLiteral("Makefile")), cFolder));
    EXPECT_FALSE(options.Matches(Entry(QStringLiteral("main.cpp")), cFolder));
}

TEST(SearchOptions, AnyExtensionMaskRewrite)
{
    EXPECT_EQ(TZorSearchOptions::MatcherMask(QStringLiteral("*.*")), QStringLiteral("*.*.*"));
    EXPECT_EQ(TZorSearchOptions::MatcherMask(QStringLiteral("x*.*")), QStringLiteral("x*.*.*"));
    EXPECT_EQ(TZorSearchOptions::MatcherMask(QStringLiteral("report*.*")), QStringLiteral("report*.*.*"));
    EXPECT_EQ(TZorSearchOptions::MatcherMask(QStringLiteral("*.*x")), QStringLiteral("*.*x"));
    EXPECT_EQ(TZorSearchOptions::MatcherMask(QStringLiteral("*.txt")), QStringLiteral("*.txt"));

    // the form's default filter takes every name, with or without an extension
    TZorSearchOptions options;
    options.SetFilter(QStringLiteral("*.*"));
    for (const char *name : {"notes.txt", "README", "archive.tar.gz", ".bashrc"})
        EXPECT_TRUE(options.Matches(Entry(QString::fromUtf8(name)), cFolder)) << name;
    EXPECT_TRUE(TZorSearchOptions::MatchesFileMask(QStringLiteral("a.x"), QStringLiteral("*.*x")));
    EXPECT_FALSE(TZorSearchOptions::MatchesFileMask(QStringLiteral("ax"), QStringLiteral("*.*x")));
}

TEST(SearchOptions, FullPathComparison)
{
    TZorSearchOptions options;
    options.SetFilter(QStringLiteral("/home/user/Data/*"));
    EXPECT_FALSE(options.Matches(Entry(QStringLiteral("a.txt")), cFolder));
    options.SetUseFullPathWhenComparing(true);
    EXPECT_TRUE(options.Matches(Entry(QStringLiteral("a.txt")), cFolder));
    EXPECT_FALSE(options.Matches(Entry(QStringLiteral("a.txt")), QStringLiteral("/home/user/Other/")));
    // the name alone is still tried
    options.SetFilter(QStringLiteral("*.txt"));
    EXPECT_TRUE(options.Matches(Entry(QStringLiteral("a.txt")), QStringLiteral("/elsewhere/")));
}

// ---- special names and kinds ----

TEST(SearchOptions, DotEntriesAreNeverHits)
{
    TZorSearchOptions options;
    options.SetFilesAndFolders(ffFoldersOnly);
    options.SetIncludeHidden(true);
    EXPECT_FALSE(options.Matches(Folder(QStringLiteral(".")), cFolder));
    EXPECT_FALSE(options.Matches(Folder(QStringLiteral("..")), cFolder));
    EXPECT_TRUE(options.Matches(Folder(QStringLiteral("...")), cFolder));
}

struct TKindCase
{
    TFilesFolders kind;
    bool directory;
    bool hit;
};

void PrintTo(const TKindCase &pCase, std::ostream *aStream)
{
    *aStream << "kind " << int(pCase.kind) << (pCase.directory ? " folder" : " file");
}

class ItemKindTest : public ::testing::TestWithParam<TKindCase>
{
};

TEST_P(ItemKindTest, KindDecides)
{
    const TKindCase &c = GetParam();
    TZorSearchOptions options;
    options.SetFilesAndFolders(c.kind);
    options.SetFilter(QStringLiteral("*.txt"));
    const uint32_t attributes = c.directory ? FILE_ATTRIBUTE_DIRECTORY : 0;
    EXPECT_EQ(options.MatchesItemKind(attributes), c.hit);
    // whatever the name, a wrong kind is no hit
    EXPECT_EQ(options.Matches(Entry(QStringLiteral("a.txt"), 0, attributes), cFolder), c.hit);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ItemKindTest,
    ::testing::Values(TKindCase{ffFilesOnly, false, true}, TKindCase{ffFilesOnly, true, false},
                      TKindCase{ffFoldersOnly, false, false}, TKindCase{ffFoldersOnly, true, true},
                      TKindCase{ffFilesAndFolders, false, true}, TKindCase{ffFilesAndFolders, true, true}));

// ---- size ----

struct TSizeCase
{
    int64_t minSize;
    int64_t maxSize;
    uint64_t size;
    bool hit;
};

void PrintTo(const TSizeCase &pCase, std::ostream *aStream)
{
    *aStream << pCase.minSize << ".." << pCase.maxSize << " size " << pCase.size;
}

class SizeBoundsTest : public ::testing::TestWithParam<TSizeCase>
{
};

TEST_P(SizeBoundsTest, BoundsAreInclusive)
{
    const TSizeCase &c = GetParam();
    TZorSearchOptions options;
    options.SetMinFileSize(c.minSize);
    options.SetMaxFileSize(c.maxSize);
    EXPECT_EQ(options.Matches(Entry(QStringLiteral("f.bin"), c.size), cFolder), c.hit);
}

constexpr uint64_t c4GiB = uint64_t(1) << 32;

INSTANTIATE_TEST_SUITE_P(Sizes, SizeBoundsTest,
                         ::testing::Values(TSizeCase{0, 0, 0, true}, TSizeCase{0, 0, 1, false},
                                           TSizeCase{0, -1, 5 * c4GiB, true},
                                           TSizeCase{0, -5, 5 * c4GiB, true}, TSizeCase{10, 20, 10, true},
                                           TSizeCase{10, 20, 20, true}, TSizeCase{10, 20, 9, false},
                                           TSizeCase{10, 20, 21, false},
                                           // both 32-bit halves count
                                           TSizeCase{0, int64_t(c4GiB), c4GiB, true},
                                           TSizeCase{0, int64_t(c4GiB), c4GiB + 1, false},
                                           TSizeCase{int64_t(c4GiB) + 1, -1, c4GiB, false}));

// ---- hidden ----

TEST(SearchOptions, HiddenEntriesNeedIncludeHidden)
{
    TZorSearchOptions options;
    const TWin32FindData hidden = Entry(QStringLiteral(".profile"), 10, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(options.Matches(hidden, cFolder));
    EXPECT_FALSE(options.Matches(
        Entry(QStringLiteral(".cache"), 0, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY), cFolder));
    options.SetIncludeHidden(true);
    EXPECT_TRUE(options.Matches(hidden, cFolder));

    // the system attribute is not examined
    constexpr uint32_t cSystemAttribute = 0x4;
    options.SetIncludeHidden(false);
    EXPECT_TRUE(options.Matches(Entry(QStringLiteral("pagefile"), 10, cSystemAttribute), cFolder));
}

// ---- file times ----

TEST(SearchOptions, DateBoundOfExactlyOneIsOff)
{
    TZorSearchOptions options;
    TWin32FindData entry = Entry(QStringLiteral("a.txt"));
    entry.ftLastWriteTime = UtcFileTime(QDate(2026, 6, 1), QTime(12, 0));
    options.SetLastWriteDateMax(1.0);
    options.SetCreationDateMax(0.5);
    options.SetAccessDateMax(-3);
    EXPECT_TRUE(options.Matches(entry, cFolder));
    options.SetLastWriteDateMax(1.0001); // 1899-12-31 00:00:08.64: in force
    EXPECT_FALSE(options.Matches(entry, cFolder));

    entry.ftLastWriteTime = 0;
    options.Reset();
    options.SetLastWriteDateMin(1.0);
    EXPECT_TRUE(options.Matches(entry, cFolder));
}

enum TTimeField
{
    tfCreation,
    tfAccess,
    tfLastWrite
};

struct TBoundCase
{
    TTimeField field;
    bool upper;
};

void PrintTo(const TBoundCase &pCase, std::ostream *aStream)
{
    const char *names[] = {"creation", "access", "last-write"};
    *aStream << names[pCase.field] << (pCase.upper ? " max" : " min");
}

class DateBoundTest : public ::testing::TestWithParam<TBoundCase>
{
protected:
    // Sets the bound under test to pDate; returns its FILETIME.
    TFileTime SetBound(TZorSearchOptions &aOptions, TDateTime pDate) const
    {
        const TBoundCase &c = GetParam();
        switch (c.field) {
        case tfCreation:
            c.upper ? aOptions.SetCreationDateMax(pDate) : aOptions.SetCreationDateMin(pDate);
            return c.upper ? aOptions.CreationDateMax_FileTime() : aOptions.CreationDateMin_FileTime();
        case tfAccess:
            c.upper ? aOptions.SetAccessDateMax(pDate) : aOptions.SetAccessDateMin(pDate);
            return c.upper ? aOptions.AccessDateMax_FileTime() : aOptions.AccessDateMin_FileTime();
        case tfLastWrite:
            c.upper ? aOptions.SetLastWriteDateMax(pDate) : aOptions.SetLastWriteDateMin(pDate);
            return c.upper ? aOptions.LastWriteDateMax_FileTime() : aOptions.LastWriteDateMin_FileTime();
        }
        return 0;
    }
    // An entry whose tested time is pTime and whose two other times fit any bound.
    TWin32FindData EntryAt(TFileTime pTime) const
    {
        TWin32FindData entry = Entry(QStringLiteral("a.txt"));
        entry.ftCreationTime = entry.ftLastAccessTime = entry.ftLastWriteTime = 0;
        TFileTime *tested[] = {&entry.ftCreationTime, &entry.ftLastAccessTime, &entry.ftLastWriteTime};
        *tested[GetParam().field] = pTime;
        return entry;
    }
};

TEST_P(DateBoundTest, TimeEqualToTheBoundPasses)
{
    TZorSearchOptions options;
    const TFileTime bound = SetBound(options, EncodeDateTime(QDate(2026, 5, 4), QTime(13, 14)));
    const bool upper = GetParam().upper;
    EXPECT_TRUE(options.MatchesFileTimes(EntryAt(bound)));
    EXPECT_TRUE(options.Matches(EntryAt(bound), cFolder));
    EXPECT_EQ(options.Matches(EntryAt(bound + 1), cFolder), !upper);
    EXPECT_EQ(options.Matches(EntryAt(bound - 1), cFolder), upper);
}

// The change to summer time: the day runs from 2026-03-28 23:00 UTC to 2026-03-29 21:59:59.999
// UTC in Berlin, so its bounds carry two different offsets.
TEST_P(DateBoundTest, BoundOnADaylightSavingChangeDay)
{
    TScopedTimeZone zone("Europe/Berlin");
    TZorSearchOptions options;
    const bool upper = GetParam().upper;
    const QTime localTime = upper ? QTime(23, 59, 59, 999) : QTime(0, 0);
    const TFileTime bound = SetBound(options, EncodeDateTime(QDate(2026, 3, 29), localTime));
    const TFileTime expected = upper ? UtcFileTime(QDate(2026, 3, 29), QTime(21, 59, 59, 999))
                                     : UtcFileTime(QDate(2026, 3, 28), QTime(23, 0));
    EXPECT_EQ(bound, expected);
    // 23:30 local summer time, and 00:30 local winter time, are inside the day
    const TFileTime inside = upper ? UtcFileTime(QDate(2026, 3, 29), QTime(21, 30))
                                   : UtcFileTime(QDate(2026, 3, 28), QTime(23, 30));
    const TFileTime outside = upper ? UtcFileTime(QDate(2026, 3, 29), QTime(22, 0))
                                    : UtcFileTime(QDate(2026, 3, 28), QTime(22, 59, 59));
    EXPECT_TRUE(options.Matches(EntryAt(inside), cFolder));
    EXPECT_FALSE(options.Matches(EntryAt(outside), cFolder));
}

INSTANTIATE_TEST_SUITE_P(Bounds, DateBoundTest,
                         ::testing::Values(TBoundCase{tfCreation, true}, TBoundCase{tfCreation, false},
                                           TBoundCase{tfAccess, true}, TBoundCase{tfAccess, false},
                                           TBoundCase{tfLastWrite, true}, TBoundCase{tfLastWrite, false}));

TEST(SearchOptions, UnconvertibleBoundRejectsNothing)
{
    TZorSearchOptions options;
    options.SetLastWriteDateMax(1e300);
    options.SetLastWriteDateMin(1e300);
    TWin32FindData entry = Entry(QStringLiteral("a.txt"));
    entry.ftLastWriteTime = UtcFileTime(QDate(2026, 6, 1), QTime(12, 0));
    EXPECT_TRUE(options.Matches(entry, cFolder));
}

// ---- copies on worker threads ----

TEST(SearchOptions, CopiesMatchOnSeveralThreadsAtOnce)
{
    TZorSearchOptions options;
    options.SetFilter(QStringLiteral("*.txt;report"));
    options.SetMaxFileSize(1000);
    options.SetLastWriteDateMin(EncodeDateTime(QDate(2020, 1, 1), QTime(0, 0)));
    TWin32FindData hit = Entry(QStringLiteral("Annual report.pdf"), 10);
    hit.ftLastWriteTime = UtcFileTime(QDate(2026, 1, 1), QTime(0, 0));
    TWin32FindData miss = hit;
    miss.cFileName = QStringLiteral("photo.jpg");

    std::vector<int> hits(4, 0);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < hits.size(); ++t) {
        threads.emplace_back([copy = TZorSearchOptions(options), &hit, &miss, &hits, t] {
            for (int i = 0; i < 2000; ++i)
                hits[t] += int(copy.Matches(hit, cFolder)) + int(copy.Matches(miss, cFolder));
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (const int count : hits)
        EXPECT_EQ(count, 2000);
}

} // namespace
