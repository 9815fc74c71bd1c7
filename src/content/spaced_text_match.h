// Finding a text to find in extracted document text, where lines, table cells and columns break
// a phrase at other places than the words: a run of white space in the text to find stands for
// any run of white space in the text.
#pragma once

#include <optional>
#include <QString>
#include <QStringView>
#include <vector>

// True for a UTF-16 unit that counts as white space in a run: space, tab, CR, LF, vertical tab,
// form feed, next line (U+0085), no-break space, the other Unicode space separators and the line
// and paragraph separators (U+2028, U+2029). Pure.
bool IsRunSpace(char16_t aUnit);

// Where a match lies in the searched text: 0-based start and length in UTF-16 units. The length
// is the matched text's, which differs from the needle's where the white space does.
struct TTextSpan
{
    qsizetype Start = 0;
    qsizetype Length = 0;
    friend bool operator==(const TTextSpan &, const TTextSpan &) = default;
};

// A text to find prepared for the white-space-run rule: its words (the pieces between runs of
// white space) are compared without regard to case, unit by unit through LowerCaseUnit, as
// PosIgnoreCase does, and each run between two words matches one or more white-space units of the
// text. A needle without white space is matched exactly as by PosIgnoreCase. White space before the
// first and after the last word is ignored (the caller trims it). Built once per text to find;
// const afterwards, so one finder serves any number of threads.
class TSpacedTextFinder
{
public:
    explicit TSpacedTextFinder(QStringView aNeedle);

    // False when the needle holds no word (empty or only white space): such a finder finds nothing.
    bool IsUsable() const { return !fWords.empty(); }

    // The match that starts first at or after aFrom and at or before aLastStart (the end of the text
    // when negative); none when there is none. Scans for the first word's first unit and checks the
    // rest only there, so a text of megabytes takes one pass. Pure.
    std::optional<TTextSpan> Find(QStringView aText, qsizetype aFrom = 0, qsizetype aLastStart = -1) const;

    // The match that starts last at or before aLastStart (the end of the text when negative); none
    // when there is none. Overlapping matches count. Pure.
    std::optional<TTextSpan> FindLast(QStringView aText, qsizetype aLastStart = -1) const;

private:
    // The length of the match starting at aStart, or -1 when none starts there.
    qsizetype MatchLengthAt(QStringView aText, qsizetype aStart) const;

    // The needle's words, lower case.
    std::vector<QString> fWords;
    // The fewest units a match takes: the words and one unit for each run between them.
    qsizetype fMinLength = 0;
};
