// The translation table, the language choice and Translate.
#include "i18n/interface_texts.h"
#include "i18n/language_choice.h"
#include "i18n/mnemonics.h"
#include "i18n/translation.h"
#include "platform/config_location.h"
#include "support/i18n_test_support.h"

#include <QSettings>

namespace {

const QByteArray kTenLines = "3\nEnglish\nDeutsch\nFran\xC3\xA7"
                             "ais\nen\nde\nfr\nFilter\nFilter\nFiltre\n";

class TranslationTest : public TTempConfigHome
{
protected:
    void TearDown() override
    {
        TranslationTable().clear();
        CurrentLanguageIndex() = 0;
        CurrentLanguageCode().clear();
        TTempConfigHome::TearDown();
    }
    void StoreLanguage(const QString &aCode)
    {
        CurrentLanguageCode() = aCode;
        SaveCurrentLanguage();
    }
    void WriteRegistry(const QByteArray &aIni)
    {
        WriteFile(QStringLiteral("config/Ordwell/Ordwell.conf"), aIni);
    }
    void Load(const QByteArray &aTable)
    {
        LoadTranslationsFrom({WriteFile(QStringLiteral("transl.dt"), aTable)});
    }
};

TEST_F(TranslationTest, TenLineTableWithStoredFrench)
{
    StoreLanguage(QStringLiteral("fr"));
    Load(kTenLines);
    ASSERT_EQ(TranslationTable().size(), 3);
    EXPECT_EQ(TranslationTable().at(0).size(), 3);
    EXPECT_EQ(CurrentLanguageCode(), QStringLiteral("fr"));
    EXPECT_EQ(CurrentLanguageIndex(), 2);
    EXPECT_EQ(Translate(QStringLiteral("Filter")), QStringLiteral("Filtre"));
    EXPECT_EQ(Translate(QStringLiteral("Date")), QStringLiteral("Date"));
    // Rows 0 and 1 are scanned like any other row.
    EXPECT_EQ(Translate(QStringLiteral("English")), QStringLiteral("Français"));
    EXPECT_EQ(Translate(QStringLiteral("en")), QStringLiteral("fr"));
    // Comparison is exact, case included.
    EXPECT_EQ(Translate(QStringLiteral("filter")), QStringLiteral("filter"));
}

TEST_F(TranslationTest, CodesCompareWithoutCase)
{
    StoreLanguage(QStringLiteral("DE"));
    Load(kTenLines);
    EXPECT_EQ(CurrentLanguageIndex(), 1);
    EXPECT_EQ(CurrentLanguageCode(), QStringLiteral("DE"));
    EXPECT_EQ(Translate(QStringLiteral("English")), QStringLiteral("Deutsch"));
}

TEST_F(TranslationTest, EmptyCellFallsBackToEnglish)
{
    StoreLanguage(QStringLiteral("de"));
    Load("2\r\nEnglish\r\nDeutsch\r\nen\r\nde\r\nSize\r\n\r\nDate\r\nDatum\r\n");
    EXPECT_EQ(Translate(QStringLiteral("Size")), QStringLiteral("Size"));
    EXPECT_EQ(Translate(QStringLiteral("Date")), QStringLiteral("Datum"));
}

TEST_F(TranslationTest, ByteOrderMarkAndLoneCarriageReturns)
{
    StoreLanguage(QStringLiteral("de"));
    Load("\xEF\xBB\xBF"
         "2\rEnglish\rDeutsch\ren\rde\rSize\rGr\xC3\xB6\xC3\x9F"
         "e");
    ASSERT_EQ(TranslationTable().size(), 2);
    EXPECT_EQ(Translate(QStringLiteral("Size")), QStringLiteral("Größe"));
}

TEST_F(TranslationTest, IncompleteLastRowIsIgnored)
{
    StoreLanguage(QStringLiteral("fr"));
    Load(kTenLines + "Date\nDatum\n");
    ASSERT_EQ(TranslationTable().size(), 3);
    for (const QStringList &column : TranslationTable())
        EXPECT_EQ(column.size(), 3);
    EXPECT_EQ(Translate(QStringLiteral("Date")), QStringLiteral("Date"));
}

TEST_F(TranslationTest, EnglishCurrentIsIdentity)
{
    StoreLanguage(QStringLiteral("en"));
    Load(kTenLines);
    EXPECT_EQ(CurrentLanguageIndex(), 0);
    EXPECT_EQ(Translate(QStringLiteral("Filter")), QStringLiteral("Filter"));
}

TEST_F(TranslationTest, UnknownCodeKeepsEnglishButKeepsTheCode)
{
    StoreLanguage(QStringLiteral("ru"));
    Load(kTenLines);
    EXPECT_EQ(CurrentLanguageIndex(), 0);
    EXPECT_EQ(CurrentLanguageCode(), QStringLiteral("ru"));
    EXPECT_EQ(TranslationTable().size(), 3);
}

TEST_F(TranslationTest, MissingFileLeavesEnglishAndEmptyTable)
{
    StoreLanguage(QStringLiteral("fr"));
    LoadTranslationsFrom({fDir.filePath(QStringLiteral("nothing/transl.dt"))});
    EXPECT_TRUE(TranslationTable().isEmpty());
    EXPECT_EQ(CurrentLanguageIndex(), 0);
    EXPECT_EQ(Translate(QStringLiteral("Filter")), QStringLiteral("Filter"));
}

TEST_F(TranslationTest, SecondCandidateIsUsedWhenTheFirstIsMissing)
{
    StoreLanguage(QStringLiteral("fr"));
    const QString second = WriteFile(QStringLiteral("share/ordwell/transl.dt"), kTenLines);
    LoadTranslationsFrom({fDir.filePath(QStringLiteral("bin/transl.dt")), second});
    EXPECT_EQ(Translate(QStringLiteral("Filter")), QStringLiteral("Filtre"));
}

TEST_F(TranslationTest, BrokenTablesLeaveAUsableEmptyTable)
{
    StoreLanguage(QStringLiteral("de"));
    const QList<QByteArray> broken = {
        "",                                      // empty file
        "x\nEnglish\nen\n",                      // first line not an integer
        "-2\nEnglish\nDeutsch\nen\nde\n",        // negative count
        "2000000000\nEnglish\nen\nSize\n",       // huge count, four lines
        "99999999999999999999\nEnglish\nen\n",   // count beyond 64 bits
        "2\nEnglish\nDeutsch\nen\n",             // fewer than two complete rows
        "3\nEnglish\nDeutsch\nFrench\nen\nde\n", // broken columns: second row cut
    };
    for (const QByteArray &bytes : broken) {
        Load(bytes);
        EXPECT_TRUE(TranslationTable().isEmpty()) << bytes.constData();
        EXPECT_EQ(CurrentLanguageIndex(), 0) << bytes.constData();
        EXPECT_EQ(Translate(QStringLiteral("Size")), QStringLiteral("Size"));
    }
}

TEST_F(TranslationTest, ZeroLanguagesIsAnEmptyTable)
{
    StoreLanguage(QStringLiteral("de"));
    Load("0\nEnglish\nen\n");
    EXPECT_TRUE(TranslationTable().isEmpty());
    EXPECT_EQ(CurrentLanguageIndex(), 0);
}

TEST_F(TranslationTest, HugeCountIsRejectedBeforeAllocating)
{
    // Parsing directly: the count is checked against the lines before any column is made.
    EXPECT_THROW(ParseTranslationTable("2147483647\na\nb\nc\n"), std::runtime_error);
    EXPECT_THROW(ParseTranslationTable("1\nEnglish\n"), std::runtime_error);
    EXPECT_EQ(ParseTranslationTable("1\nEnglish\nen\n").size(), 1);
}

TEST_F(TranslationTest, OversizedFileIsNotRead)
{
    StoreLanguage(QStringLiteral("fr"));
    QByteArray bytes = kTenLines;
    bytes.append(QByteArray(17 * 1024 * 1024, 'x'));
    Load(bytes);
    EXPECT_TRUE(TranslationTable().isEmpty());
}

TEST_F(TranslationTest, WithoutStoredValueTheSystemLanguageIsUsed)
{
    Load(kTenLines);
    EXPECT_EQ(CurrentLanguageCode(), DetectSystemLanguage());
    // Nothing is created at start-up.
    EXPECT_FALSE(QFileInfo::exists(RegistryFileName()));
}

TEST_F(TranslationTest, StoredValueThatIsNotAStringIsIgnored)
{
    const QList<QByteArray> values = {
        "[General]\nCurrentLanguage=de, fr\n", "[General]\nCurrentLanguage=@ByteArray(fr)\n",
        "[General]\nCurrentLanguage=@Variant(\\0\\0\\0\\x7f\\0\\0)\n", "\xff\xfe garbage = = [\n"};
    for (const QByteArray &ini : values) {
        WriteRegistry(ini);
        Load(kTenLines);
        EXPECT_EQ(CurrentLanguageCode(), DetectSystemLanguage()) << ini.constData();
    }
}

TEST_F(TranslationTest, SaveCurrentLanguageWritesTheIniKey)
{
    StoreLanguage(QStringLiteral("cn"));
    const QString file = ConfigHome() + QStringLiteral("/Ordwell/Ordwell.conf");
    ASSERT_EQ(RegistryFileName(), file);
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value(QStringLiteral("CurrentLanguage")).toString(),
              QStringLiteral("cn"));
    EXPECT_EQ(ReadStoredLanguage().value_or(QString()), QStringLiteral("cn"));
}

TEST_F(TranslationTest, SaveCurrentLanguageWithoutAFolderStoresNothing)
{
    // The config home is a file: the key can be neither opened nor created.
    WriteFile(QStringLiteral("config"), "not a folder");
    CurrentLanguageCode() = QStringLiteral("de");
    EXPECT_NO_THROW(SaveCurrentLanguage());
    EXPECT_FALSE(ReadStoredLanguage().has_value());
}

TEST_F(TranslationTest, UnreadableRegistryFileIsIgnored)
{
    // A folder where the INI file should be.
    QDir().mkpath(ConfigHome() + QStringLiteral("/Ordwell/Ordwell.conf"));
    EXPECT_FALSE(ReadStoredLanguage().has_value());
}

struct TLocaleCase
{
    const char *fLocale;
    const char *fCode;
};

class LocaleMapping : public ::testing::TestWithParam<TLocaleCase>
{
};

TEST_P(LocaleMapping, MapsPrimaryLanguage)
{
    EXPECT_EQ(LanguageCodeForLocale(QString::fromLatin1(GetParam().fLocale)),
              QString::fromLatin1(GetParam().fCode));
}

INSTANTIATE_TEST_SUITE_P(Table, LocaleMapping,
                         ::testing::Values(TLocaleCase{"ar_EG.UTF-8", "ar"}, TLocaleCase{"zh_CN.UTF-8", "cn"},
                                           TLocaleCase{"zh-Hant-TW", "cn"}, TLocaleCase{"cs_CZ", "cs"},
                                           TLocaleCase{"de-DE", "de"}, TLocaleCase{"el_GR", "el"},
                                           TLocaleCase{"es", "es"}, TLocaleCase{"fr_CA.UTF-8", "fr"},
                                           TLocaleCase{"hu_HU", "hu"}, TLocaleCase{"it_IT@euro", "it"},
                                           TLocaleCase{"ja_JP.eucJP", "jp"}, TLocaleCase{"ko-KR", "kr"},
                                           TLocaleCase{"nl_BE", "nl"}, TLocaleCase{"pl_PL", "pl"},
                                           TLocaleCase{"pt_BR", "pt"}, TLocaleCase{"tr_TR", "tr"},
                                           TLocaleCase{"ru_RU.UTF-8", "en"}, TLocaleCase{"en_GB", "en"},
                                           TLocaleCase{"C", "en"}, TLocaleCase{"POSIX", "en"},
                                           TLocaleCase{"", "en"}, TLocaleCase{"DE_de", "de"}));

TEST(SystemLanguage, IsOneOfTheTableCodes)
{
    static const QStringList kCodes = {
        QStringLiteral("en"), QStringLiteral("ar"), QStringLiteral("cn"), QStringLiteral("cs"),
        QStringLiteral("de"), QStringLiteral("el"), QStringLiteral("es"), QStringLiteral("fr"),
        QStringLiteral("hu"), QStringLiteral("it"), QStringLiteral("jp"), QStringLiteral("kr"),
        QStringLiteral("nl"), QStringLiteral("pl"), QStringLiteral("pt"), QStringLiteral("tr")};
    EXPECT_TRUE(kCodes.contains(DetectSystemLanguage()));
}

TEST_F(TranslationTest, InterfaceRowsCarryTheirDecoration)
{
    StoreLanguage(QStringLiteral("de"));
    Load("2\nEnglish\nDeutsch\nen\nde\nWhere to search:\nWo suchen:\nAbout...\n\xC3\x9C"
         "ber...\nReady\nBereit\n"
         "Accessed\nLetzter Zugriff\nCreated\nErstellt\n");
    const std::vector<TInterfaceText> &rows = InterfaceTexts();
    ASSERT_EQ(rows.size(), 29u);
    EXPECT_EQ(TranslatedInterfaceTexts(rows[18]), QStringList{QStringLiteral("  Wo suchen:")});
    EXPECT_EQ(TranslatedInterfaceTexts(rows[22]), QStringList{QStringLiteral("  Bereit")});
    EXPECT_EQ(TranslatedInterfaceTexts(rows[28]), QStringList{QStringLiteral("Über......")});
    EXPECT_EQ(TranslatedInterfaceTexts(rows[7]),
              (QStringList{QStringLiteral("Letzter Zugriff"), QStringLiteral("Erstellt"),
                           QStringLiteral("Modified")}));
    CurrentLanguageIndex() = 0;
    EXPECT_EQ(TranslatedInterfaceTexts(rows[28]), QStringList{QStringLiteral("About......")});
}

TEST_F(TranslationTest, AboutBoxTextIsTranslated)
{
    StoreLanguage(QStringLiteral("de"));
    Load("2\nEnglish\nDeutsch\nen\nde\nVersion:\nVersion:\nWebsite:\nWebseite:\n");
    const QString text = AboutBoxText(2026);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Ordwell\nVersion: 2.3\n\nWebseite: "))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("2026 Brannick Software"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("https://")));
}

// Mnemonics: word starts first, no two alike in a group (or with what is taken already), a
// literal "&" kept, and an added Latin letter where the script offers none; WithoutMnemonic
// gives the caption back.
TEST(Mnemonics, EveryCaptionOfAGroupGetsItsOwn)
{
    struct TCase
    {
        QStringList fCaptions;
        const char *fTaken;
        QStringList fExpected;
    };
    const TCase cases[] = {
        {{"File name:", "Text to find:", "Exclude:"}, "", {"&File name:", "&Text to find:", "&Exclude:"}},
        {{"Match case", "Match words", "Mx"}, "", {"&Match case", "Match &words", "M&x"}},
        {{"Size is:", "Search"}, "s", {"Size &is:", "S&earch"}},
        {{"Tom & Jerry"}, "t", {"Tom && &Jerry"}},
        {{QString::fromUtf8("文件名："), QString::fromUtf8("检索")},
         "a",
         {QString::fromUtf8("文件名(&B)："), QString::fromUtf8("检索(&C)")}},
        {{QString::fromUtf8("Größe:"), QString::fromUtf8("Ändern")},
         "g",
         {QString::fromUtf8("G&röße:"), QString::fromUtf8("&Ändern")}},
        {{QString::fromUtf8("بحث"), ""}, "", {QString::fromUtf8("&بحث"), ""}},
    };
    for (const TCase &test : cases) {
        QString taken = QString::fromUtf8(test.fTaken);
        const QStringList marked = WithMnemonics(test.fCaptions, taken);
        EXPECT_EQ(marked, test.fExpected) << test.fCaptions.join(u'|').toStdString();
        for (qsizetype i = 0; i < marked.size(); ++i)
            EXPECT_EQ(WithoutMnemonic(marked[i]), test.fCaptions[i]) << marked[i].toStdString();
    }
    // More captions than letters: the rest stay as they are rather than clash.
    QString taken = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789");
    EXPECT_EQ(WithMnemonics({QStringLiteral("Zebra 42")}, taken), QStringList{QStringLiteral("Zebra 42")});
}

} // namespace
