// The white-space-run match of extracted text: a scan for the first word's first unit, then a
// check of the words and runs from there.
#include "content/spaced_text_match.h"

#include "platform/lower_case.h"

#include <algorithm>

bool IsRunSpace(char16_t aUnit)
{
    if (aUnit <= u' ')
        return aUnit == u' ' || (aUnit >= u'\t' && aUnit <= u'\r');
    if (aUnit < 0x85)
        return false;
    return aUnit == 0x85 || aUnit == 0xA0 || aUnit == 0x1680 || (aUnit >= 0x2000 && aUnit <= 0x200A) ||
           aUnit == 0x2028 || aUnit == 0x2029 || aUnit == 0x202F || aUnit == 0x205F || aUnit == 0x3000;
}

TSpacedTextFinder::TSpacedTextFinder(QStringView aNeedle)
{
    const qsizetype count = aNeedle.size();
    qsizetype i = 0;
    while (i < count) {
        while (i < count && IsRunSpace(aNeedle.at(i).unicode()))
            ++i;
        const qsizetype start = i;
        while (i < count && !IsRunSpace(aNeedle.at(i).unicode()))
            ++i;
        if (i > start) {
            fWords.push_back(LowerCasePerUnit(aNeedle.mid(start, i - start)));
            fMinLength += (fWords.size() > 1 ? 1 : 0) + (i - start);
        }
    }
}

qsizetype TSpacedTextFinder::MatchLengthAt(QStringView aText, qsizetype aStart) const
{
    const char16_t *text = aText.utf16();
    const qsizetype size = aText.size();
    qsizetype at = aStart;
    for (size_t w = 0; w < fWords.size(); ++w) {
        if (w > 0) {
            if (at >= size || !IsRunSpace(text[at]))
                return -1;
            while (at < size && IsRunSpace(text[at]))
                ++at;
        }
        const QString &word = fWords[w];
        const qsizetype length = word.size();
        if (size - at < length)
            return -1;
        const auto *lowered = reinterpret_cast<const char16_t *>(word.utf16());
        for (qsizetype k = 0; k < length; ++k) {
            if (LowerCaseUnit(text[at + k]) != lowered[k])
                return -1;
        }
        at += length;
    }
    return at - aStart;
}

std::optional<TTextSpan> TSpacedTextFinder::Find(QStringView aText, qsizetype aFrom,
                                                 qsizetype aLastStart) const
{
    if (fWords.empty() || aText.size() < fMinLength)
        return std::nullopt;
    qsizetype last = aText.size() - fMinLength;
    if (aLastStart >= 0)
        last = std::min(last, aLastStart);
    const char16_t *text = aText.utf16();
    const char16_t first = fWords.front().front().unicode();
    for (qsizetype i = std::max<qsizetype>(aFrom, 0); i <= last; ++i) {
        if (LowerCaseUnit(text[i]) != first)
            continue;
        const qsizetype length = MatchLengthAt(aText, i);
        if (length > 0)
            return TTextSpan{i, length};
    }
    return std::nullopt;
}

std::optional<TTextSpan> TSpacedTextFinder::FindLast(QStringView aText, qsizetype aLastStart) const
{
    if (fWords.empty() || aText.size() < fMinLength)
        return std::nullopt;
    qsizetype i = aText.size() - fMinLength;
    if (aLastStart >= 0)
        i = std::min(i, aLastStart);
    const char16_t *text = aText.utf16();
    const char16_t first = fWords.front().front().unicode();
    for (; i >= 0; --i) {
        if (LowerCaseUnit(text[i]) != first)
            continue;
        const qsizetype length = MatchLengthAt(aText, i);
        if (length > 0)
            return TTextSpan{i, length};
    }
    return std::nullopt;
}
