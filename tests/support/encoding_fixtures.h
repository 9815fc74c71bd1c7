// The files of tests/content/encodings/, written by real programs in the encodings users have,
// each with words it must yield (README.md there says how each was made).
#pragma once

#include <ostream>
#include <QString>
#include <vector>

struct TEncodingFixture
{
    const char *fFile;
    // RTF: its text comes from the extraction server.
    bool fDocument;
    // UTF-8; each must be found in the file and shown in its preview.
    std::vector<const char *> fWords;
};

// Names a fixture in a test's parameters.
inline void PrintTo(const TEncodingFixture &aFixture, std::ostream *aOut)
{
    *aOut << aFixture.fFile;
}

inline const std::vector<TEncodingFixture> &EncodingFixtures()
{
    static const std::vector<TEncodingFixture> fixtures = {
        {"ledger_latin1.csv",
         false,
         {"Zwölf Apostel", "summit1813", "Größere Schäferhütte", "Refuge du Géant", "Piz Palü",
          "Hôtel du Pré"}},
        {"harbour_ru_meta.html", false, {"Портовый журнал", "Северянка", "туман рассеялся"}},
        {"ferry_ru.html", false, {"Паром отходит", "Ракушка"}},
        {"garden_ja_meta.html", false, {"桜並木", "茶室の予約"}},
        {"station_ja.html", false, {"始発列車", "忘れ物センター"}},
        {"catalogue_ru.xml", false, {"Лоция северных проливов", "Мурманск"}},
        {"tides_ru_utf16_bom.txt", false, {"Таблица приливов", "бухты Светлой"}},
        {"tides_ru_utf16be.txt", false, {"Высокая вода"}},
        {"tides_ru_utf32.txt", false, {"Высокая вода в четверг"}},
        {"tides_en_utf16be_bom.txt", false, {"Lantern Cove", "low water at dusk"}},
        {"tides_en_utf16le.txt", false, {"Lantern Cove"}},
        {"almanac.rtf",
         true,
         {"Köpenick", "Fußnote über den Pegelstand", "Anmerkung zur Kettenfähre",
          "Schiffshebewerk Niederfinow", "Trogbrücke", "Almanach der Schleusenwärter",
          "Seitenfuß des Kanalbüros", "Paweł Łęcki"}},
        {"memo_wordpad.rtf", true, {"Flößerei am Krähenteich", "Fräulein Müller"}},
    };
    return fixtures;
}

// The path of a fixture in the source tree (ORDWELL_SOURCE_DIR, set by the test mains).
inline QString EncodingFixturePath(const char *aFile)
{
    return qEnvironmentVariable("ORDWELL_SOURCE_DIR") + QStringLiteral("/tests/content/encodings/") +
           QString::fromLatin1(aFile);
}
