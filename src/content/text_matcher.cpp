// The matcher behind the match options: the program's own finders for the plain rule, a
// regular expression for everything else.
#include "content/text_matcher.h"

#include "content/content_matching.h"

namespace {

// What may not touch a whole word: a letter, a digit or "_" (Unicode properties).
const QString kWordBefore = QStringLiteral("(?<![\\p{L}\\p{N}_])");
const QString kWordAfter = QStringLiteral("(?![\\p{L}\\p{N}_])");

// The needle as a pattern that matches it literally; with aSpaced each run of white space
// stands for any run.
QString LiteralPattern(const QString &aNeedle, bool aSpaced)
{
    if (!aSpaced)
        return QRegularExpression::escape(aNeedle);
    QStringList words;
    QString word;
    for (QChar unit : aNeedle) {
        if (IsRunSpace(unit.unicode())) {
            if (!word.isEmpty())
                words << QRegularExpression::escape(word);
            word.clear();
        } else {
            word += unit;
        }
    }
    if (!word.isEmpty())
        words << QRegularExpression::escape(word);
    return words.join(QStringLiteral("\\s+"));
}

} // namespace

TTextMatcher::TTextMatcher(const QString &aNeedle, const TMatchOptions &aOptions, bool aSpaced)
    : fNeedle(aNeedle), fPlain(aOptions.IsDefault()), fSpaced(aSpaced)
{
    if (fPlain) {
        if (fSpaced)
            fSpacedFinder.emplace(aNeedle);
        return;
    }
    QString pattern = aOptions.fRegex ? aNeedle : LiteralPattern(aNeedle, aSpaced);
    if (aOptions.fWholeWords)
        pattern = kWordBefore + QStringLiteral("(?:") + pattern + u')' + kWordAfter;
    QRegularExpression::PatternOptions options = QRegularExpression::UseUnicodePropertiesOption;
    if (!aOptions.fMatchCase)
        options |= QRegularExpression::CaseInsensitiveOption;
    fExpression = QRegularExpression(pattern, options);
    if (!fExpression.isValid()) {
        // The offset is the pattern's own where the needle is the pattern.
        fError = fExpression.errorString();
        if (aOptions.fRegex && !aOptions.fWholeWords)
            fError += QStringLiteral(" (at %1)").arg(fExpression.patternErrorOffset());
        return;
    }
    fExpression.optimize();
}

std::optional<TTextSpan> TTextMatcher::Find(QStringView aText, qsizetype aFrom) const
{
    if (!IsValid() || fNeedle.isEmpty() || aFrom > aText.size())
        return std::nullopt;
    aFrom = std::max<qsizetype>(aFrom, 0);
    if (fPlain && fSpaced)
        return fSpacedFinder->Find(aText, aFrom);
    if (fPlain) {
        const int32_t at = PosIgnoreCase(aText.mid(aFrom), fNeedle);
        if (at <= 0)
            return std::nullopt;
        return TTextSpan{aFrom + at - 1, fNeedle.size()};
    }
    const QString copy = aText.toString();
    return FindInCopy(copy, aFrom, copy.isValidUtf16());
}

std::optional<TTextSpan> TTextMatcher::FindInCopy(const QString &aText, qsizetype aFrom, bool aValid) const
{
    // The library would check the whole text again at every call.
    const QRegularExpression::MatchOptions options =
        aValid ? QRegularExpression::DontCheckSubjectStringMatchOption : QRegularExpression::NoMatchOption;
    for (qsizetype from = aFrom; from <= aText.size();) {
        const QRegularExpressionMatch match =
            fExpression.match(aText, from, QRegularExpression::NormalMatch, options);
        if (!match.hasMatch())
            return std::nullopt;
        if (match.capturedLength() > 0)
            return TTextSpan{match.capturedStart(), match.capturedLength()};
        from = match.capturedStart() + 1;
    }
    return std::nullopt;
}

std::optional<TTextSpan> TTextMatcher::FindLast(QStringView aText, qsizetype aLimit) const
{
    if (aLimit < 0 || aLimit > aText.size())
        aLimit = aText.size();
    if (fPlain && fSpaced)
        return aLimit == 0 ? std::nullopt : fSpacedFinder->FindLast(aText, aLimit - 1);
    // The regular expression gets one copy of the text for the whole walk.
    const QString copy = fPlain ? QString() : aText.toString();
    const bool valid = !fPlain && copy.isValidUtf16();
    const auto next = [&](qsizetype aFrom) {
        return fPlain ? Find(aText, aFrom) : FindInCopy(copy, aFrom, valid);
    };
    std::optional<TTextSpan> last;
    if (!IsValid() || fNeedle.isEmpty())
        return last;
    for (std::optional<TTextSpan> match = next(0); match && match->Start < aLimit;
         match = next(match->Start + 1))
        last = match;
    return last;
}

void TTextMatcher::ForEachMatch(QStringView aText, qsizetype aStartsBefore,
                                const std::function<bool(const TTextSpan &)> &aVisit) const
{
    if (!IsValid() || fNeedle.isEmpty())
        return;
    if (aStartsBefore < 0 || aStartsBefore > aText.size())
        aStartsBefore = aText.size();
    const QString copy = fPlain ? QString() : aText.toString();
    const bool valid = !fPlain && copy.isValidUtf16();
    const auto next = [&](qsizetype aFrom) {
        return fPlain ? Find(aText, aFrom) : FindInCopy(copy, aFrom, valid);
    };
    for (std::optional<TTextSpan> match = next(0); match && match->Start < aStartsBefore;
         match = next(match->Start + match->Length))
        if (!aVisit(*match))
            return;
}

TTextMatcher::TTally TTextMatcher::Tally(QStringView aText, qsizetype aStartsBefore) const
{
    TTally tally;
    ForEachMatch(aText, aStartsBefore, [&](const TTextSpan &aMatch) {
        if (!tally.fFirst)
            tally.fFirst = aMatch;
        ++tally.fCount;
        return true;
    });
    return tally;
}

std::vector<TTextSpan> TTextMatcher::FindAll(QStringView aText, qsizetype aMost) const
{
    std::vector<TTextSpan> spans;
    ForEachMatch(aText, -1, [&](const TTextSpan &aMatch) {
        spans.push_back(aMatch);
        return qsizetype(spans.size()) < aMost;
    });
    return spans;
}
