// The table the program ships: sixteen languages, English first, a row for every phrase the
// program translates, every cell filled and every "%s" kept.
#include "i18n/interface_texts.h"
#include "i18n/language_choice.h"
#include "i18n/translation.h"
#include "support/i18n_test_support.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QSet>

namespace {

// The source tree's copy: ORDWELL_SOURCE_DIR when ctest sets it, else the tree this test was built from.
QString ShippedTableFileName()
{
    QString source = qEnvironmentVariable("ORDWELL_SOURCE_DIR");
    if (source.isEmpty())
        source = QStringLiteral(ORDWELL_TEST_SOURCE_DIR);
    return source + QStringLiteral("/data/transl.dt");
}

QByteArray ReadShippedTable()
{
    QFile file(ShippedTableFileName());
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    return file.readAll();
}

class ShippedTable : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fTable = ParseTranslationTable(ReadShippedTable());
        ASSERT_EQ(fTable.size(), 16);
    }
    qsizetype RowOf(const QString &aEnglish) const { return fTable.at(0).indexOf(aEnglish); }

    QList<QStringList> fTable;
};

TEST_F(ShippedTable, SixteenLanguagesEnglishFirst)
{
    const QStringList codes = {
        QStringLiteral("en"), QStringLiteral("ar"), QStringLiteral("cn"), QStringLiteral("cs"),
        QStringLiteral("de"), QStringLiteral("el"), QStringLiteral("es"), QStringLiteral("fr"),
        QStringLiteral("hu"), QStringLiteral("it"), QStringLiteral("jp"), QStringLiteral("kr"),
        QStringLiteral("nl"), QStringLiteral("pl"), QStringLiteral("pt"), QStringLiteral("tr")};
    EXPECT_EQ(fTable.at(0).at(0), QStringLiteral("English"));
    QStringList shipped;
    for (const QStringList &column : fTable) {
        shipped.append(column.at(1));
        EXPECT_FALSE(column.at(0).trimmed().isEmpty());
    }
    EXPECT_EQ(shipped, codes);
}

TEST_F(ShippedTable, EveryPhraseHasAFullRow)
{
    for (const QString &phrase : ProgramPhrases()) {
        const qsizetype row = RowOf(phrase);
        ASSERT_GE(row, 2) << "no row for: " << phrase.toStdString();
        for (qsizetype c = 1; c < fTable.size(); ++c)
            EXPECT_FALSE(fTable.at(c).at(row).isEmpty())
                << fTable.at(c).at(1).toStdString() << " has no text for: " << phrase.toStdString();
    }
}

TEST_F(ShippedTable, FormatStringsKeepTheirPlaceholder)
{
    const QString placeholder = QStringLiteral("%s");
    for (qsizetype r = 2; r < fTable.at(0).size(); ++r) {
        const qsizetype wanted = fTable.at(0).at(r).count(placeholder);
        for (qsizetype c = 1; c < fTable.size(); ++c)
            EXPECT_EQ(fTable.at(c).at(r).count(placeholder), wanted)
                << fTable.at(c).at(1).toStdString() << ": " << fTable.at(c).at(r).toStdString();
    }
}

TEST_F(ShippedTable, NoPhraseTwiceAndNoStrayRows)
{
    const QStringList english = fTable.at(0).mid(2);
    EXPECT_EQ(QSet<QString>(english.begin(), english.end()).size(), english.size());
    const QStringList phrases = ProgramPhrases();
    for (const QString &phrase : english)
        EXPECT_TRUE(phrases.contains(phrase)) << "row the program never uses: " << phrase.toStdString();
}

TEST_F(ShippedTable, CellsHaveNoStrayWhiteSpace)
{
    for (const QStringList &column : fTable) {
        for (qsizetype r = 0; r < column.size(); ++r) {
            const QString &cell = column.at(r);
            if (fTable.at(0).at(r) == u" ")
                continue;
            EXPECT_EQ(cell, cell.trimmed()) << column.at(1).toStdString() << " row " << r;
        }
    }
}

class ShippedTableLoaded : public TTempConfigHome
{
protected:
    void TearDown() override
    {
        TranslationTable().clear();
        CurrentLanguageIndex() = 0;
        TTempConfigHome::TearDown();
    }
};

TEST_F(ShippedTableLoaded, EveryStoredCodeSelectsItsColumn)
{
    const QString file = ShippedTableFileName();
    const QStringList codes = {
        QStringLiteral("en"), QStringLiteral("ar"), QStringLiteral("CN"), QStringLiteral("cs"),
        QStringLiteral("de"), QStringLiteral("el"), QStringLiteral("es"), QStringLiteral("fr"),
        QStringLiteral("hu"), QStringLiteral("it"), QStringLiteral("jp"), QStringLiteral("kr"),
        QStringLiteral("nl"), QStringLiteral("pl"), QStringLiteral("pt"), QStringLiteral("tr")};
    for (int c = 0; c < codes.size(); ++c) {
        CurrentLanguageCode() = codes.at(c);
        SaveCurrentLanguage();
        LoadTranslationsFrom({file});
        EXPECT_EQ(CurrentLanguageIndex(), c);
    }
    CurrentLanguageCode() = QStringLiteral("fr");
    SaveCurrentLanguage();
    LoadTranslationsFrom({file});
    EXPECT_EQ(Translate(QStringLiteral("Filter")), QStringLiteral("Filtre"));
    EXPECT_EQ(Translate(QStringLiteral("The new version %s is available")),
              QStringLiteral("La nouvelle version %s est disponible"));
}

TEST(ShippedTableFile, IsCopiedBesideTheExecutables)
{
    QFile copy(QStringLiteral(ORDWELL_BINARY_DIR "/transl.dt"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), ReadShippedTable());
}

} // namespace
