// Finding the text to find in the preview text and moving between its occurrences.
#include "preview/match_navigation.h"

#include "content/spaced_text_match.h"
#include "content/text_extraction.h"
#include "platform/lower_case.h"

#include <algorithm>
#include <climits>

namespace {

int ClampToInt(qsizetype aValue)
{
    return aValue > INT_MAX ? INT_MAX : static_cast<int>(aValue);
}

std::optional<TPreviewSelection> SelectionAt(int aPosition, const QString &aNeedle)
{
    if (aPosition <= 0)
        return std::nullopt;
    return TPreviewSelection{aPosition - 1, ClampToInt(aNeedle.size())};
}

std::optional<TPreviewSelection> SelectionOf(const std::optional<TTextSpan> &aMatch)
{
    if (!aMatch || aMatch->Start >= INT_MAX)
        return std::nullopt;
    return TPreviewSelection{static_cast<int>(aMatch->Start), ClampToInt(aMatch->Length)};
}

} // namespace

TMatchRule MatchRuleFor(TTextOrigin aOrigin)
{
    return aOrigin == TTextOrigin::toPlainText ? TMatchRule::mrExact : TMatchRule::mrSpaceRuns;
}

QString NormalizeLineBreaks(const QString &aText)
{
    QString result;
    result.reserve(aText.size());
    const qsizetype count = aText.size();
    for (qsizetype i = 0; i < count; ++i) {
        const QChar unit = aText.at(i);
        if (unit == u'\r') {
            if (i + 1 < count && aText.at(i + 1) == u'\n')
                ++i;
            result.append(u'\n');
        } else {
            result.append(unit);
        }
    }
    return result;
}

namespace {

// A match of pFinder across pPosition, starting within the last half of the piece from pStart,
// moves the break to the match's start; a break within one of its white-space runs stays, as the
// line break only lengthens the run.
qsizetype KeepSpacedMatchWhole(const QString &pText, const TSpacedTextFinder &pFinder, qsizetype pStart,
                               qsizetype pPosition)
{
    if (!pFinder.IsUsable() || IsRunSpace(pText.at(pPosition - 1).unicode()) ||
        (pPosition < pText.size() && IsRunSpace(pText.at(pPosition).unicode())))
        return pPosition;
    qsizetype from = std::max(pStart + 1, pPosition - (pPosition - pStart) / 2);
    while (const std::optional<TTextSpan> match = pFinder.Find(pText, from, pPosition - 1)) {
        if (match->Start + match->Length > pPosition)
            return match->Start;
        from = match->Start + 1;
    }
    return pPosition;
}

// Where to break the piece of pText that starts at pStart and may run up to pEnd (exclusive).
// pSpaced, when set, keeps its matches whole; otherwise pLowerNeedle's occurrences are kept.
qsizetype BreakPosition(const QString &pText, const QString &pLowerText, const QString &pLowerNeedle,
                        const TSpacedTextFinder *pSpaced, qsizetype pStart, qsizetype pEnd)
{
    qsizetype position = pEnd;
    const qsizetype lookBack = (pEnd - pStart) / 8;
    for (qsizetype i = pEnd - 1; i > pEnd - lookBack; --i) {
        if (pText.at(i) == u' ' || pText.at(i) == u'\t') {
            position = i + 1;
            break;
        }
    }
    if (pSpaced) {
        position = KeepSpacedMatchWhole(pText, *pSpaced, pStart, position);
    } else if (!pLowerNeedle.isEmpty() && pLowerNeedle.size() < (pEnd - pStart) / 2) {
        // An occurrence across the break moves the break to its start.
        const qsizetype from = position - pLowerNeedle.size() + 1;
        const qsizetype found = from > pStart ? pLowerText.indexOf(pLowerNeedle, from) : -1;
        if (found > pStart && found < position)
            position = found;
    }
    if (position > pStart + 1 && QChar::isHighSurrogate(pText.at(position - 1).unicode()))
        --position;
    return position;
}

} // namespace

QString BreakLongLines(const QString &pText, int pMaxLine, const QString &pKeepWhole, TMatchRule pRule)
{
    const qsizetype maxLine = qMax(pMaxLine, 64);
    bool anyLong = false;
    for (qsizetype start = 0; start < pText.size() && !anyLong;) {
        qsizetype end = pText.indexOf(u'\n', start);
        if (end < 0)
            end = pText.size();
        anyLong = end - start > maxLine;
        start = end + 1;
    }
    if (!anyLong)
        return pText;
    const bool spaced = pRule == TMatchRule::mrSpaceRuns;
    const QString lowerText = spaced ? QString() : LowerCasePerUnit(pText);
    const QString lowerNeedle = spaced ? QString() : LowerCasePerUnit(pKeepWhole);
    const std::optional<TSpacedTextFinder> finder =
        spaced ? std::optional<TSpacedTextFinder>(pKeepWhole) : std::nullopt;
    QString result;
    result.reserve(pText.size() + pText.size() / maxLine + 1);
    qsizetype start = 0;
    while (start < pText.size()) {
        qsizetype lineEnd = pText.indexOf(u'\n', start);
        if (lineEnd < 0)
            lineEnd = pText.size();
        if (lineEnd - start <= maxLine) {
            result.append(QStringView(pText).mid(start, lineEnd - start + (lineEnd < pText.size() ? 1 : 0)));
            start = lineEnd + 1;
            continue;
        }
        const qsizetype position =
            BreakPosition(pText, lowerText, lowerNeedle, finder ? &*finder : nullptr, start, start + maxLine);
        result.append(QStringView(pText).mid(start, position - start));
        result.append(u'\n');
        start = position;
    }
    return result;
}

int PosIgnoreCaseFrom(const QString &pText, const QString &pNeedle, int pFrom)
{
    if (pText.isEmpty() || pNeedle.isEmpty())
        return 0;
    if (pFrom < 1)
        pFrom = 1;
    if (pFrom > pText.size())
        return 0;
    const qsizetype index = LowerCasePerUnit(pText).indexOf(LowerCasePerUnit(pNeedle), pFrom - 1);
    return index < 0 ? 0 : ClampToInt(index + 1);
}

int LastPosIgnoreCaseBefore(const QString &pText, const QString &pNeedle, int pLimit)
{
    if (pText.isEmpty() || pNeedle.isEmpty() || pLimit <= 1)
        return 0;
    // The last occurrence starting at a 0-based index of at most pLimit - 2. lastIndexOf sees every
    // start position, so overlapping occurrences count as they do when enumerated from the front.
    const qsizetype lastStart = qMin<qsizetype>(qsizetype(pLimit) - 2, pText.size() - 1);
    const qsizetype index = LowerCasePerUnit(pText).lastIndexOf(LowerCasePerUnit(pNeedle), lastStart);
    return index < 0 ? 0 : ClampToInt(index + 1);
}

std::optional<TPreviewSelection> FirstMatch(const QString &pText, const QString &pNeedle, TMatchRule pRule)
{
    if (pRule == TMatchRule::mrSpaceRuns)
        return SelectionOf(TSpacedTextFinder(pNeedle).Find(pText));
    return SelectionAt(PosIgnoreCaseFrom(pText, pNeedle, 1), pNeedle);
}

std::optional<TPreviewSelection> NextMatch(const QString &pText, const QString &pNeedle,
                                           TPreviewSelection pCurrent, TMatchRule pRule)
{
    if (pNeedle.isEmpty())
        return std::nullopt;
    if (pRule == TMatchRule::mrSpaceRuns) {
        const TSpacedTextFinder finder(pNeedle);
        std::optional<TTextSpan> match = finder.Find(pText, qsizetype(pCurrent.Start) + pCurrent.Length);
        return SelectionOf(match ? match : finder.Find(pText));
    }
    const qint64 from = qint64(pCurrent.Start) + pCurrent.Length + 1;
    int position = from > INT_MAX ? 0 : PosIgnoreCaseFrom(pText, pNeedle, static_cast<int>(from));
    if (position == 0)
        position = PosIgnoreCaseFrom(pText, pNeedle, 1);
    return SelectionAt(position, pNeedle);
}

std::optional<TPreviewSelection> PreviousMatch(const QString &pText, const QString &pNeedle,
                                               TPreviewSelection pCurrent, TMatchRule pRule)
{
    if (pNeedle.isEmpty())
        return std::nullopt;
    if (pRule == TMatchRule::mrSpaceRuns) {
        const TSpacedTextFinder finder(pNeedle);
        std::optional<TTextSpan> match;
        if (pCurrent.Start > 0)
            match = finder.FindLast(pText, pCurrent.Start - 1);
        return SelectionOf(match ? match : finder.FindLast(pText));
    }
    const int end = ClampToInt(pText.size() + 1);
    const int limit = pCurrent.Start > 0 ? pCurrent.Start + 1 : end;
    int position = LastPosIgnoreCaseBefore(pText, pNeedle, limit);
    if (position == 0)
        position = LastPosIgnoreCaseBefore(pText, pNeedle, end);
    return SelectionAt(position, pNeedle);
}
