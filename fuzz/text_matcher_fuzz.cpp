// Fuzz target: the text to find with its match options against a text. The first byte holds the
// options (1 match case, 2 whole words, 4 regular expression, 8 a document's text with its
// white-space runs, 16 the text as UTF-16LE rather than UTF-8), the text to find follows in UTF-8
// up to the first zero byte, and the text after it. Besides the matcher itself, the byte scan of
// UTF-8 text is checked against decoding and comparing, and the text is searched as a file.
#include "content/content_matching.h"
#include "content/text_encoding.h"
#include "content/text_extraction.h"
#include "content/text_matcher.h"
#include "content/utf8_text_finder.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

namespace {

void Check(bool aHolds)
{
    if (!aHolds)
        __builtin_trap();
}

QTemporaryDir &Folder()
{
    static QTemporaryDir folder;
    return folder;
}

// Every match lies within the text and is not empty; one after the other, none overlaps.
void CheckSpans(const std::vector<TTextSpan> &aSpans, qsizetype aSize)
{
    qsizetype end = 0;
    for (const TTextSpan &span : aSpans) {
        Check(span.Start >= end && span.Length > 0 && span.Start + span.Length <= aSize);
        end = span.Start + span.Length;
    }
}

void CheckMatcher(const QString &aNeedle, const TMatchOptions &aOptions, bool aSpaced, QStringView aText)
{
    const TTextMatcher matcher(aNeedle, aOptions, aSpaced);
    const std::vector<TTextSpan> all = matcher.FindAll(aText, INT_MAX);
    CheckSpans(all, aText.size());
    const std::optional<TTextSpan> first = matcher.Find(aText);
    const TTextMatcher::TTally tally = matcher.Tally(aText);
    Check(tally.fCount == qsizetype(all.size()) && tally.fFirst == first);
    Check(all.empty() ? !first : first == all.front());
    const std::optional<TTextSpan> last = matcher.FindLast(aText);
    Check(last.has_value() == first.has_value());
    if (last) {
        Check(last->Start >= all.back().Start && last->Start + last->Length <= aText.size());
        MatchContext(aText, *first);
        MatchContext(aText, *last);
    }
    if (aOptions.IsDefault() && !aSpaced) {
        const int32_t at = PosIgnoreCase(aText, aNeedle);
        Check(at > 0 ? first && first->Start == at - 1 : !first);
    }
}

// Any bytes get an encoding decision. The byte scan of valid UTF-8 text answers as the decoded
// text compared in lower case does, also when the bytes come in two parts, and the safe end of
// a part never cuts a character.
void CheckUtf8(const QString &aNeedle, QByteArrayView aBytes)
{
    DecideTextEncoding(aBytes);
    if (!IsValidUtf8(aBytes))
        return;
    // Without a character cut short at the end: such a cut is the writer's, not the text's.
    const QString decoded = QString::fromUtf8(aBytes);
    if (decoded.toUtf8() != aBytes)
        return;
    const qsizetype end = CompleteUnitsEnd(aBytes);
    Check(QString::fromUtf8(aBytes.first(end)) + QString::fromUtf8(aBytes.sliced(end)) == decoded);

    const TUtf8TextFinder finder(aNeedle);
    if (!finder.IsUsable())
        return;
    const bool expected = PosIgnoreCase(decoded, aNeedle) > 0;
    qsizetype carry = 0;
    Check(finder.Find(aBytes, true, carry) == expected);
    const QByteArrayView head = aBytes.first(aBytes.size() / 2);
    bool found = finder.Find(head, false, carry);
    if (!found) {
        Check(carry >= 0 && carry <= head.size());
        found = finder.Find(aBytes.sliced(carry), true, carry);
    }
    Check(found == expected);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (!Folder().isValid())
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *aData, std::size_t aSize)
{
    if (aSize == 0)
        return 0;
    const QByteArrayView input(reinterpret_cast<const char *>(aData) + 1, qsizetype(aSize - 1));
    TMatchOptions options;
    options.fMatchCase = (aData[0] & 1) != 0;
    options.fWholeWords = (aData[0] & 2) != 0;
    options.fRegex = (aData[0] & 4) != 0;
    const bool spaced = (aData[0] & 8) != 0;
    const bool wide = (aData[0] & 16) != 0;
    const qsizetype split = input.indexOf('\0');
    const QString needle = QString::fromUtf8(split < 0 ? input : input.first(split));
    const QByteArrayView bytes = split < 0 ? QByteArrayView() : input.sliced(split + 1);

    QString text;
    if (wide) {
        text.resize(bytes.size() / 2);
        for (qsizetype i = 0; i < text.size(); ++i)
            text[i] = QChar(qFromLittleEndian<char16_t>(bytes.data() + 2 * i));
    } else {
        text = QString::fromUtf8(bytes);
        CheckUtf8(needle, bytes);
    }
    CheckMatcher(needle, options, spaced, text);

    // The bytes as a plain-text file, searched with the same options.
    const QString fileName = Folder().filePath(QStringLiteral("text.txt"));
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), bytes.size()) != bytes.size())
        std::abort();
    file.close();
    TMatchSummary summary;
    TDocumentFailure failure;
    if (FileContainsText(fileName, needle, {}, nullptr, &failure, options, &summary))
        Check(summary.fMatches >= 1);
    return 0;
}
