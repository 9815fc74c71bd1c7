// The search form record: defaults, enabling rules, translation into search criteria (dates,
// the combo, size texts), search roots from selection entries and the where-to-search lines.
#include "search/search_form_values.h"
#include "search/search_roots.h"

#include <gtest/gtest.h>
#include <limits>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

TDateTime Day(int pYear, int pMonth, int pDay, const QTime &pTime = QTime(0, 0))
{
    return EncodeDateTime(QDate(pYear, pMonth, pDay), pTime);
}

TSearchFormValues DefaultValues()
{
    return TSearchFormValues(Day(2024, 5, 31, QTime(14, 30)));
}

TSearchFormValues SizeValues(int pCombo, const QString &pText)
{
    TSearchFormValues values = DefaultValues();
    values.chSize1 = false;
    values.chSize2 = true;
    values.FileSizeCombo = pCombo;
    values.FileSize = pText;
    return values;
}

TZorSearchOptions Filled(const TSearchFormValues &pValues)
{
    TZorSearchOptions options;
    FillSearchOptions(pValues, options);
    return options;
}

// ---- defaults and enabling ----

TEST(SearchFormValues, FirstStartDefaults)
{
    const TSearchFormValues values = DefaultValues();
    EXPECT_EQ(values.SearchField, QStringLiteral("*.*"));
    EXPECT_TRUE(values.edtTextToFind.isEmpty());
    EXPECT_TRUE(values.SearchAllRB);
    EXPECT_FALSE(values.SearchDateRB);
    EXPECT_EQ(values.SearchOptionsCombo, 2);
    EXPECT_DOUBLE_EQ(values.SearchMaxDate, Day(2024, 5, 31, QTime(14, 30)));
    EXPECT_DOUBLE_EQ(values.SearchMinDate, Day(2024, 5, 1, QTime(14, 30)));
    EXPECT_TRUE(values.chSize1);
    EXPECT_FALSE(values.chSize2);
    EXPECT_EQ(values.FileSizeCombo, 0);
    EXPECT_EQ(values.FileSize, QStringLiteral("0"));
    EXPECT_FALSE(values.chkShowHidden);
    EXPECT_TRUE(values.chSearchInSubfolders);
    EXPECT_FALSE(values.CheckBox1);
}

TEST(SearchFormValues, DefaultRangeEndsNow)
{
    const TDateTime before = CurrentDateTime();
    const TSearchFormValues values;
    const TDateTime after = CurrentDateTime();
    EXPECT_GE(values.SearchMaxDate, before);
    EXPECT_LE(values.SearchMaxDate, after);
    EXPECT_DOUBLE_EQ(values.SearchMaxDate - values.SearchMinDate, 30.0);
}

TEST(SearchFormEnabling, BothGroupsStartDisabled)
{
    const TSearchFormEnabling enabling = SearchFormEnabling(DefaultValues());
    EXPECT_FALSE(enabling.DateRange);
    EXPECT_FALSE(enabling.SizeLimit);
}

TEST(SearchFormEnabling, EachGroupFollowsItsRadio)
{
    TSearchFormValues values = DefaultValues();
    values.SearchAllRB = false;
    values.SearchDateRB = true;
    EXPECT_TRUE(SearchFormEnabling(values).DateRange);
    EXPECT_FALSE(SearchFormEnabling(values).SizeLimit);

    values.chSize1 = false;
    values.chSize2 = true;
    EXPECT_TRUE(SearchFormEnabling(values).SizeLimit);

    values.SearchAllRB = true;
    values.SearchDateRB = false;
    EXPECT_FALSE(SearchFormEnabling(values).DateRange);
    EXPECT_TRUE(SearchFormEnabling(values).SizeLimit);
}

// ---- form values to options ----

TEST(FillSearchOptions, DefaultFormGivesNoLimits)
{
    TZorSearchOptions options;
    options.SetMinFileSize(77);
    options.SetLastWriteDateMin(40000);
    options.SetFilesAndFolders(ffFilesAndFolders);
    FillSearchOptions(DefaultValues(), options);

    EXPECT_EQ(options.Filter(), QStringLiteral("*.*"));
    EXPECT_EQ(options.MinFileSize(), 0);
    EXPECT_EQ(options.MaxFileSize(), -1);
    EXPECT_DOUBLE_EQ(options.LastWriteDateMin(), 0);
    EXPECT_DOUBLE_EQ(options.LastWriteDateMax(), 0);
    EXPECT_DOUBLE_EQ(options.AccessDateMin(), 0);
    EXPECT_DOUBLE_EQ(options.CreationDateMax(), 0);
    EXPECT_TRUE(options.RecursiveSearch());
    EXPECT_FALSE(options.IncludeHidden());
    EXPECT_EQ(options.FilesAndFolders(), ffFilesOnly);
}

TEST(FillSearchOptions, FilterAsTypedAndFlags)
{
    TSearchFormValues values = DefaultValues();
    values.SearchField = QStringLiteral(" *.txt; *.md ");
    values.chkShowHidden = true;
    values.chSearchInSubfolders = false;
    const TZorSearchOptions options = Filled(values);
    EXPECT_EQ(options.Filter(), QStringLiteral(" *.txt; *.md "));
    EXPECT_TRUE(options.IncludeHidden());
    EXPECT_FALSE(options.RecursiveSearch());
}

TEST(FillSearchOptions, CreatedRangeCoversWholeDays)
{
    TSearchFormValues values = DefaultValues();
    values.SearchAllRB = false;
    values.SearchDateRB = true;
    values.SearchOptionsCombo = 1;
    values.SearchMinDate = Day(2024, 5, 1, QTime(14, 30, 12, 345));
    values.SearchMaxDate = Day(2024, 5, 3, QTime(8, 5));
    const TZorSearchOptions options = Filled(values);

    EXPECT_DOUBLE_EQ(options.CreationDateMin(), Day(2024, 5, 1));
    EXPECT_DOUBLE_EQ(options.CreationDateMax(), Day(2024, 5, 3, QTime(23, 59, 59, 999)));
    QDate date;
    QTime time;
    ASSERT_TRUE(DecodeDateTime(options.CreationDateMax(), date, time));
    EXPECT_EQ(date, QDate(2024, 5, 3));
    EXPECT_EQ(time, QTime(23, 59, 59, 999));
    EXPECT_DOUBLE_EQ(options.AccessDateMin(), 0);
    EXPECT_DOUBLE_EQ(options.AccessDateMax(), 0);
    EXPECT_DOUBLE_EQ(options.LastWriteDateMin(), 0);
    EXPECT_DOUBLE_EQ(options.LastWriteDateMax(), 0);
}

struct TComboCase
{
    int Combo;
    char Pair; // 'A'ccess, 'C'reation, 'L'ast write
};

class FillSearchOptionsCombo : public ::testing::TestWithParam<TComboCase>
{
};

TEST_P(FillSearchOptionsCombo, SetsOnlyTheChosenPair)
{
    TSearchFormValues values = DefaultValues();
    values.SearchAllRB = false;
    values.SearchDateRB = true;
    values.SearchOptionsCombo = GetParam().Combo;
    values.SearchMinDate = Day(2024, 1, 10, QTime(9, 0));
    values.SearchMaxDate = Day(2024, 1, 20, QTime(9, 0));
    const TZorSearchOptions options = Filled(values);

    const TDateTime first = Day(2024, 1, 10);
    const TDateTime last = Day(2024, 1, 20, QTime(23, 59, 59, 999));
    const char pair = GetParam().Pair;
    EXPECT_DOUBLE_EQ(options.AccessDateMin(), pair == 'A' ? first : 0);
    EXPECT_DOUBLE_EQ(options.AccessDateMax(), pair == 'A' ? last : 0);
    EXPECT_DOUBLE_EQ(options.CreationDateMin(), pair == 'C' ? first : 0);
    EXPECT_DOUBLE_EQ(options.CreationDateMax(), pair == 'C' ? last : 0);
    EXPECT_DOUBLE_EQ(options.LastWriteDateMin(), pair == 'L' ? first : 0);
    EXPECT_DOUBLE_EQ(options.LastWriteDateMax(), pair == 'L' ? last : 0);
}

INSTANTIATE_TEST_SUITE_P(Combo, FillSearchOptionsCombo,
                         ::testing::Values(TComboCase{0, 'A'}, TComboCase{1, 'C'}, TComboCase{2, 'L'},
                                           TComboCase{-1, 'L'}, TComboCase{7, 'L'}));

TEST(FillSearchOptions, DatesIgnoredWithAllFiles)
{
    TSearchFormValues values = DefaultValues();
    values.SearchOptionsCombo = 0;
    const TZorSearchOptions options = Filled(values);
    EXPECT_DOUBLE_EQ(options.AccessDateMin(), 0);
    EXPECT_DOUBLE_EQ(options.LastWriteDateMax(), 0);
}

TEST(FillSearchOptions, SizeLimitInBytes)
{
    EXPECT_EQ(Filled(SizeValues(0, QStringLiteral("10"))).MinFileSize(), 10240);
    EXPECT_EQ(Filled(SizeValues(0, QStringLiteral("10"))).MaxFileSize(), -1);
    EXPECT_EQ(Filled(SizeValues(1, QStringLiteral("10"))).MaxFileSize(), 10240);
    EXPECT_EQ(Filled(SizeValues(1, QStringLiteral("10"))).MinFileSize(), 0);
}

TEST(FillSearchOptions, LargeMaximumTakenIn64Bits)
{
    EXPECT_EQ(Filled(SizeValues(1, QStringLiteral("3000000"))).MaxFileSize(), 3072000000LL);
    EXPECT_EQ(Filled(SizeValues(0, QStringLiteral("2147483647"))).MinFileSize(), 2147483647LL * 1024);
}

TEST(FillSearchOptions, TextThatIsNoNumberGivesNoLimit)
{
    for (const QString &text : {QStringLiteral("abc"), QStringLiteral("12KB"), QStringLiteral("1.5"),
                                QStringLiteral("2147483648"), QStringLiteral("0x10"), QStringLiteral("-")}) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(Filled(SizeValues(0, text)).MinFileSize(), 0);
        EXPECT_EQ(Filled(SizeValues(1, text)).MaxFileSize(), -1);
    }
}

TEST(FillSearchOptions, EmptySizeTextOrOtherComboSetsNothing)
{
    const TZorSearchOptions empty = Filled(SizeValues(1, QString()));
    EXPECT_EQ(empty.MinFileSize(), 0);
    EXPECT_EQ(empty.MaxFileSize(), -1);
    const TZorSearchOptions none = Filled(SizeValues(-1, QStringLiteral("5")));
    EXPECT_EQ(none.MinFileSize(), 0);
    EXPECT_EQ(none.MaxFileSize(), -1);
}

TEST(FillSearchOptions, SizeIgnoredWithAllFiles)
{
    TSearchFormValues values = SizeValues(0, QStringLiteral("5"));
    values.chSize1 = true;
    values.chSize2 = false;
    EXPECT_EQ(Filled(values).MinFileSize(), 0);
}

TEST(KilobyteTextToBytes, SignedDecimalWithinInt32)
{
    EXPECT_EQ(KilobyteTextToBytes(QStringLiteral("0")), 0);
    EXPECT_EQ(KilobyteTextToBytes(QStringLiteral(" 7 ")), 7 * 1024);
    EXPECT_EQ(KilobyteTextToBytes(QStringLiteral("-2")), -2048);
    EXPECT_EQ(KilobyteTextToBytes(QStringLiteral("-2147483648")),
              int64_t(std::numeric_limits<int32_t>::min()) * 1024);
    EXPECT_FALSE(KilobyteTextToBytes(QStringLiteral("99999999999")));
    EXPECT_FALSE(KilobyteTextToBytes(QString()));
}

TEST(WithTimeOfDay, KeepsTheDay)
{
    EXPECT_DOUBLE_EQ(WithTimeOfDay(Day(2024, 2, 29, QTime(23, 0)), QTime(0, 0)), Day(2024, 2, 29));
    // Before 1899-12-30 the fraction still counts forward from midnight.
    EXPECT_DOUBLE_EQ(WithTimeOfDay(-1.25, QTime(0, 0)), -1.0);
    EXPECT_DOUBLE_EQ(WithTimeOfDay(-1.25, QTime(12, 0)), -1.5);
    const TDateTime broken = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(WithTimeOfDay(broken, QTime(0, 0))));
}

// ---- roots and where-to-search lines ----

TEST(FolderOfSelectionEntry, FolderEntriesLoseTheirStar)
{
    EXPECT_EQ(FolderOfSelectionEntry(QStringLiteral("/home/user/Data/*")), QStringLiteral("/home/user/Data"));
    EXPECT_EQ(FolderOfSelectionEntry(QStringLiteral("/a/*")), QStringLiteral("/a"));
}

TEST(FolderOfSelectionEntry, RootEntryGivesTheRootNotEveryVolume)
{
    EXPECT_EQ(FolderOfSelectionEntry(QStringLiteral("/*")), QStringLiteral("/"));
}

TEST(FolderOfSelectionEntry, FileEntriesArePassedOver)
{
    EXPECT_FALSE(FolderOfSelectionEntry(QStringLiteral("/home/user/a.txt")));
    EXPECT_FALSE(FolderOfSelectionEntry(QStringLiteral("/home/user/star*")));
    EXPECT_FALSE(FolderOfSelectionEntry(QStringLiteral("*")));
    EXPECT_FALSE(FolderOfSelectionEntry(QString()));
}

TEST(WhereToSearchLines, ExistingFoldersInOrder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path();
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("B")));
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("A")));
    QFile file(root + QStringLiteral("/file.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/A"), root + QStringLiteral("/LinkToA")));

    const QStringList paths{root + QStringLiteral("/B/*"),       root + QStringLiteral("/file.txt"),
                            root + QStringLiteral("/Gone/*"),    root + QStringLiteral("/A/*"),
                            root + QStringLiteral("/LinkToA/*"), QStringLiteral("/*")};
    const QStringList expected{root + QStringLiteral("/B"), root + QStringLiteral("/A"),
                               root + QStringLiteral("/LinkToA"), QStringLiteral("/")};
    EXPECT_EQ(WhereToSearchLines(paths), expected);
}

TEST(WhereToSearchLines, DeletedFolderDropsOut)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + QStringLiteral("/Data");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QStringList paths{folder + QStringLiteral("/*")};
    EXPECT_EQ(WhereToSearchLines(paths), QStringList{folder});
    ASSERT_TRUE(QDir(folder).removeRecursively());
    EXPECT_TRUE(WhereToSearchLines(paths).isEmpty());
    EXPECT_TRUE(WhereToSearchLines({}).isEmpty());
}

TEST(FolderTreeAcceptsFolder, ArchivesOnlyInLowerCase)
{
    EXPECT_FALSE(FolderTreeAcceptsFolder(QStringLiteral("/d/Backup.zip")));
    EXPECT_FALSE(FolderTreeAcceptsFolder(QStringLiteral("/d/Old.rar")));
    EXPECT_TRUE(FolderTreeAcceptsFolder(QStringLiteral("/d/Backup.ZIP")));
    EXPECT_TRUE(FolderTreeAcceptsFolder(QStringLiteral("/d/Backup.zip.d")));
    EXPECT_TRUE(FolderTreeAcceptsFolder(QStringLiteral("/d.zip/Backup")));
    EXPECT_TRUE(FolderTreeAcceptsFolder(QStringLiteral("/")));
}

} // namespace
