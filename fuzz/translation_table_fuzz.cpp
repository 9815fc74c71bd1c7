// Fuzz target: the bytes of a transl.dt file read into the translation table, then the table in
// use: the column of a language chosen by its code, phrases translated through it and the
// mnemonics chosen for its captions.
#include "i18n/mnemonics.h"
#include "i18n/translation.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *aData, std::size_t aSize)
{
    QList<QStringList> table;
    try {
        table = ParseTranslationTable(QByteArray(reinterpret_cast<const char *>(aData), qsizetype(aSize)));
    } catch (const std::runtime_error &) {
        return 0; // not a table: the window stays English
    }
    // Every column has the language names, the codes and the same number of phrases.
    for (const QStringList &column : table)
        if (column.size() < 2 || column.size() != table.first().size())
            __builtin_trap();
    if (table.isEmpty())
        return 0;

    // German, as LoadTranslationsFrom chooses a column by the code in its second row.
    TranslationTable() = table;
    CurrentLanguageIndex() = 0;
    for (int c = 0; c < table.size(); ++c) {
        if (table.at(c).at(1).compare(u"de", Qt::CaseInsensitive) == 0) {
            CurrentLanguageIndex() = c;
            break;
        }
    }
    // The phrases in groups of captions shown together, as the window sets them.
    const qsizetype rows = std::min<qsizetype>(table.first().size(), 200);
    for (qsizetype first = 2; first < rows; first += 8) {
        QStringList captions;
        for (qsizetype row = first; row < std::min(first + 8, rows); ++row)
            captions << Translate(table.first().at(row));
        QString taken;
        for (const QString &caption : WithMnemonics(captions, taken))
            WithoutMnemonic(caption);
    }
    return 0;
}
