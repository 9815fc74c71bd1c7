// Finding the text to find in the preview text and moving between its occurrences, with
// wrap-around at either end. Pure text logic: the preview pane applies the results to its memo.
#pragma once

#include <optional>
#include <QString>

// A selection in the shown text: 0-based start and length, both in UTF-16 code units.
struct TPreviewSelection
{
    int Start = 0;
    int Length = 0;
    friend bool operator==(const TPreviewSelection &, const TPreviewSelection &) = default;
};

// How the text to find is matched in a shown text.
enum class TMatchRule
{
    // Unit by unit without regard to case (PosIgnoreCaseFrom): the rule for plain-text files.
    mrExact,
    // The same, with a run of white space in the text to find standing for any run of white space
    // (TSpacedTextFinder): the rule for documents, whose extracted text breaks lines anywhere.
    mrSpaceRuns,
};

enum class TTextOrigin; // content/text_extraction.h

// The rule for a text from aOrigin: mrExact for a plain-text file's, mrSpaceRuns for a document's
// (from the extraction server), as FileContainsText decides. Pure.
TMatchRule MatchRuleFor(TTextOrigin aOrigin);

// Replaces every CR LF pair, every lone CR and every lone LF by one line break, so that a text
// shows one line per line break and selection positions refer to the shown text. The line break
// is LF, the one the text widgets use themselves (their positions count it as one unit).
QString NormalizeLineBreaks(const QString &aText);

// The text as the preview shows it: every line longer than pMaxLine units (at least 64) is broken
// onto several lines, preferably after a space within the last eighth of each piece, never inside
// a surrogate pair nor, where the piece allows, inside an occurrence of pKeepWhole (by pRule; with
// mrSpaceRuns a break within a white-space run keeps the match). The text widget lays out a line as
// a whole, so a single line of megabytes would hold the window for seconds. Text without such lines
// is returned unchanged. Pure.
QString BreakLongLines(const QString &pText, int pMaxLine, const QString &pKeepWhole,
                       TMatchRule pRule = TMatchRule::mrExact);

// 1-based position of the first occurrence of pNeedle in pText that starts at or after pFrom
// (raised to 1 when below 1); 0 when either text is empty or there is none. Comparison is without
// regard to case, mapping each UTF-16 unit to its lower case (one unit for one). Never throws.
int PosIgnoreCaseFrom(const QString &pText, const QString &pNeedle, int pFrom);

// 1-based position of the last occurrence of pNeedle in pText that starts before pLimit (raised
// to 1 when below 1); occurrences may overlap. 0 when either text is empty or there is none.
// Same comparison as PosIgnoreCaseFrom. Never throws.
int LastPosIgnoreCaseBefore(const QString &pText, const QString &pNeedle, int pLimit);

// The selection of the first occurrence of pNeedle in pText by pRule, or none (also when pNeedle
// is empty). The selection spans the matched text, whose length may differ from pNeedle's with
// mrSpaceRuns; so do those of NextMatch and PreviousMatch.
std::optional<TPreviewSelection> FirstMatch(const QString &pText, const QString &pNeedle,
                                            TMatchRule pRule = TMatchRule::mrExact);

// The occurrence after the current selection (or caret), wrapping around to the first one;
// none when pNeedle is empty or does not occur.
std::optional<TPreviewSelection> NextMatch(const QString &pText, const QString &pNeedle,
                                           TPreviewSelection pCurrent,
                                           TMatchRule pRule = TMatchRule::mrExact);

// The last occurrence that starts before the current selection start, wrapping around to the
// last one; with the selection at the very start, the last one. None when pNeedle is empty or
// does not occur.
std::optional<TPreviewSelection> PreviousMatch(const QString &pText, const QString &pNeedle,
                                               TPreviewSelection pCurrent,
                                               TMatchRule pRule = TMatchRule::mrExact);
