// The text to find with the user's match options (case, whole words, regular expression), as
// one matcher that the content check, the columns and the preview all use.
#pragma once

#include "content/spaced_text_match.h"

#include <functional>
#include <optional>
#include <QRegularExpression>
#include <QString>
#include <QStringView>
#include <vector>

struct TMatchOptions
{
    bool fMatchCase = false;
    bool fWholeWords = false;
    bool fRegex = false;
    // All off: the program's plain rule, without regard to case, anywhere in the text.
    bool IsDefault() const { return !fMatchCase && !fWholeWords && !fRegex; }
    friend bool operator==(const TMatchOptions &, const TMatchOptions &) = default;
};

// Built once per search (or preview) and const afterwards, so one matcher serves any number of
// threads. With the default options it is the plain rule: PosIgnoreCase for plain text, the
// white-space-run rule of TSpacedTextFinder for a document's text (aSpaced). Otherwise a
// regular expression (PCRE2 through QRegularExpression, in UTF mode with Unicode properties; its
// match limit stops a pattern that would backtrack without end): the needle itself with
// "Regular expression", else the needle's words with white space between them (any run of
// white space for aSpaced); "Whole words only" wants no letter, digit or "_" on either side; without
// "Match case" case is ignored. An empty match never counts.
class TTextMatcher
{
public:
    TTextMatcher(const QString &aNeedle, const TMatchOptions &aOptions, bool aSpaced);

    // False for a regular expression that does not compile; ErrorText then has the library's
    // message and where it stopped. A matcher that is not valid finds nothing.
    bool IsValid() const { return fError.isEmpty(); }
    const QString &ErrorText() const { return fError; }

    // The first match starting at or after aFrom; none when there is none. Pure.
    std::optional<TTextSpan> Find(QStringView aText, qsizetype aFrom = 0) const;
    // The last match starting before aLimit (the end when negative); none when there is none.
    std::optional<TTextSpan> FindLast(QStringView aText, qsizetype aLimit = -1) const;
    bool Contains(QStringView aText) const { return Find(aText).has_value(); }

    // The matches of a text, one after the other without overlap: how many, and the first.
    struct TTally
    {
        qsizetype fCount = 0;
        std::optional<TTextSpan> fFirst;
    };
    // The matches that start before aStartsBefore (the end of the text when negative).
    TTally Tally(QStringView aText, qsizetype aStartsBefore = -1) const;
    qsizetype Count(QStringView aText) const { return Tally(aText).fCount; }
    // The matches of a text, one after the other without overlap, at most aMost of them.
    std::vector<TTextSpan> FindAll(QStringView aText, qsizetype aMost) const;

private:
    // Calls aVisit for each match, one after the other without overlap, that starts before
    // aStartsBefore (the end when negative), until it returns false.
    void ForEachMatch(QStringView aText, qsizetype aStartsBefore,
                      const std::function<bool(const TTextSpan &)> &aVisit) const;
    // Find of the regular expression in a copy made once by the caller; aValid when the caller
    // has found the copy to be valid UTF-16 (the library then does not check it again).
    std::optional<TTextSpan> FindInCopy(const QString &aText, qsizetype aFrom, bool aValid) const;

    QString fNeedle;
    bool fPlain = true;
    bool fSpaced = false;
    std::optional<TSpacedTextFinder> fSpacedFinder;
    QRegularExpression fExpression;
    QString fError;
};
