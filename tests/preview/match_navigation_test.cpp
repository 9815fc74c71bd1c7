// Match navigation of the preview: positions without regard to case, overlapping occurrences,
// wrap-around at either end, and line-break normalisation.
#include "content/text_extraction.h"
#include "preview/match_navigation.h"

#include <gtest/gtest.h>
#include <QStringList>

namespace {

TEST(PosIgnoreCaseFrom, EmptyTextOrNeedleGivesZero)
{
    EXPECT_EQ(PosIgnoreCaseFrom(QString(), QStringLiteral("a"), 1), 0);
    EXPECT_EQ(PosIgnoreCaseFrom(QStringLiteral("abc"), QString(), 1), 0);
}

TEST(PosIgnoreCaseFrom, FindsFirstOccurrenceAtOrAfterFrom)
{
    const QString text = QStringLiteral("one Two two TWO");
    EXPECT_EQ(PosIgnoreCaseFrom(text, QStringLiteral("two"), 1), 5);
    EXPECT_EQ(PosIgnoreCaseFrom(text, QStringLiteral("two"), 5), 5);
    EXPECT_EQ(PosIgnoreCaseFrom(text, QStringLiteral("two"), 6), 9);
    EXPECT_EQ(PosIgnoreCaseFrom(text, QStringLiteral("TWO"), 10), 13);
    EXPECT_EQ(PosIgnoreCaseFrom(text, QStringLiteral("two"), 14), 0);
}

TEST(PosIgnoreCaseFrom, FromBelowOneCountsAsOneAndBeyondEndFindsNothing)
{
    EXPECT_EQ(PosIgnoreCaseFrom(QStringLiteral("abc"), QStringLiteral("A"), -5), 1);
    EXPECT_EQ(PosIgnoreCaseFrom(QStringLiteral("abc"), QStringLiteral("A"), 0), 1);
    EXPECT_EQ(PosIgnoreCaseFrom(QStringLiteral("abc"), QStringLiteral("c"), 4), 0);
    EXPECT_EQ(PosIgnoreCaseFrom(QStringLiteral("abc"), QStringLiteral("c"), INT_MAX), 0);
}

TEST(PosIgnoreCaseFrom, NonLatinLettersMatchWithoutRegardToCase)
{
    const QString text = QStringLiteral("Grüße aus ÄGYPTEN und Москва");
    EXPECT_EQ(PosIgnoreCaseFrom(text, QStringLiteral("ägypten"), 1), 11);
    EXPECT_EQ(PosIgnoreCaseFrom(text, QStringLiteral("МОСКВА"), 1), 23);
}

TEST(PosIgnoreCaseFrom, PositionsCountUtf16Units)
{
    // U+1F600 takes two units; the match after it starts at unit 4.
    const QString text = QStringLiteral("a\U0001F600b");
    EXPECT_EQ(PosIgnoreCaseFrom(text, QStringLiteral("B"), 1), 4);
}

TEST(LastPosIgnoreCaseBefore, EmptyTextOrNeedleGivesZero)
{
    EXPECT_EQ(LastPosIgnoreCaseBefore(QString(), QStringLiteral("a"), 5), 0);
    EXPECT_EQ(LastPosIgnoreCaseBefore(QStringLiteral("abc"), QString(), 5), 0);
}

TEST(LastPosIgnoreCaseBefore, FindsLastOccurrenceStartingBeforeLimit)
{
    const QString text = QStringLiteral("ab AB ab");
    EXPECT_EQ(LastPosIgnoreCaseBefore(text, QStringLiteral("ab"), 9), 7);
    EXPECT_EQ(LastPosIgnoreCaseBefore(text, QStringLiteral("ab"), 7), 4);
    EXPECT_EQ(LastPosIgnoreCaseBefore(text, QStringLiteral("ab"), 4), 1);
    EXPECT_EQ(LastPosIgnoreCaseBefore(text, QStringLiteral("ab"), 2), 1);
    EXPECT_EQ(LastPosIgnoreCaseBefore(text, QStringLiteral("ab"), 1), 0);
    EXPECT_EQ(LastPosIgnoreCaseBefore(text, QStringLiteral("ab"), -3), 0);
    EXPECT_EQ(LastPosIgnoreCaseBefore(text, QStringLiteral("ab"), INT_MAX), 7);
}

TEST(LastPosIgnoreCaseBefore, OverlappingOccurrencesCount)
{
    EXPECT_EQ(LastPosIgnoreCaseBefore(QStringLiteral("aaa"), QStringLiteral("aa"), 3), 2);
    EXPECT_EQ(LastPosIgnoreCaseBefore(QStringLiteral("aaa"), QStringLiteral("aa"), 4), 2);
    EXPECT_EQ(LastPosIgnoreCaseBefore(QStringLiteral("aaa"), QStringLiteral("aa"), 2), 1);
}

TEST(LastPosIgnoreCaseBefore, NeedleLongerThanTextGivesZero)
{
    EXPECT_EQ(LastPosIgnoreCaseBefore(QStringLiteral("ab"), QStringLiteral("abc"), 3), 0);
    EXPECT_EQ(PosIgnoreCaseFrom(QStringLiteral("ab"), QStringLiteral("abc"), 1), 0);
}

TEST(NormalizeLineBreaks, EveryKindOfBreakBecomesOneLineFeed)
{
    EXPECT_EQ(NormalizeLineBreaks(QStringLiteral("a\r\nb\rc\nd")), QStringLiteral("a\nb\nc\nd"));
    EXPECT_EQ(NormalizeLineBreaks(QStringLiteral("\r\r\n\n\r")), QStringLiteral("\n\n\n\n"));
    EXPECT_EQ(NormalizeLineBreaks(QStringLiteral("\n\r")), QStringLiteral("\n\n"));
    EXPECT_EQ(NormalizeLineBreaks(QString()), QString());
    EXPECT_EQ(NormalizeLineBreaks(QStringLiteral("plain")), QStringLiteral("plain"));
}

TEST(NormalizeLineBreaks, PositionsReferToTheShownText)
{
    const QString shown = NormalizeLineBreaks(QStringLiteral("x\r\ny\r\nneedle"));
    const auto match = FirstMatch(shown, QStringLiteral("NEEDLE"));
    ASSERT_TRUE(match);
    EXPECT_EQ(shown.mid(match->Start, match->Length), QStringLiteral("needle"));
}

class MatchNavigation : public ::testing::Test
{
protected:
    // Occurrences of "word" start at offsets 0, 10 and 20.
    const QString fText = QStringLiteral("Word .... word .... WORD ..");
    const QString fNeedle = QStringLiteral("word");
};

TEST_F(MatchNavigation, FirstMatchSelectsFirstOccurrence)
{
    EXPECT_EQ(FirstMatch(fText, fNeedle), (TPreviewSelection{0, 4}));
    EXPECT_FALSE(FirstMatch(fText, QStringLiteral("absent")));
    EXPECT_FALSE(FirstMatch(fText, QString()));
}

TEST_F(MatchNavigation, NextMovesForwardAndWrapsToFirst)
{
    EXPECT_EQ(NextMatch(fText, fNeedle, {0, 4}), (TPreviewSelection{10, 4}));
    EXPECT_EQ(NextMatch(fText, fNeedle, {10, 4}), (TPreviewSelection{20, 4}));
    EXPECT_EQ(NextMatch(fText, fNeedle, {20, 4}), (TPreviewSelection{0, 4}));
}

TEST_F(MatchNavigation, NextFromCaretFindsOccurrenceAfterIt)
{
    EXPECT_EQ(NextMatch(fText, fNeedle, {0, 0}), (TPreviewSelection{0, 4}));
    EXPECT_EQ(NextMatch(fText, fNeedle, {10, 0}), (TPreviewSelection{10, 4}));
    EXPECT_EQ(NextMatch(fText, fNeedle, {12, 0}), (TPreviewSelection{20, 4}));
}

TEST_F(MatchNavigation, PreviousMovesBackAndWrapsToLast)
{
    EXPECT_EQ(PreviousMatch(fText, fNeedle, {20, 4}), (TPreviewSelection{10, 4}));
    EXPECT_EQ(PreviousMatch(fText, fNeedle, {10, 4}), (TPreviewSelection{0, 4}));
    EXPECT_EQ(PreviousMatch(fText, fNeedle, {0, 4}), (TPreviewSelection{20, 4}));
}

TEST_F(MatchNavigation, SingleOccurrenceIsSelectedAgainBothWays)
{
    const QString text = QStringLiteral("only one Match here");
    const TPreviewSelection match{9, 5};
    EXPECT_EQ(NextMatch(text, QStringLiteral("match"), match), match);
    EXPECT_EQ(PreviousMatch(text, QStringLiteral("match"), match), match);
}

TEST_F(MatchNavigation, NoOccurrenceOrEmptyNeedleChangesNothing)
{
    EXPECT_FALSE(NextMatch(fText, QStringLiteral("absent"), {3, 0}));
    EXPECT_FALSE(PreviousMatch(fText, QStringLiteral("absent"), {3, 0}));
    EXPECT_FALSE(NextMatch(fText, QString(), {3, 0}));
    EXPECT_FALSE(PreviousMatch(fText, QString(), {3, 0}));
    EXPECT_FALSE(NextMatch(QString(), fNeedle, {0, 0}));
    EXPECT_FALSE(PreviousMatch(QString(), fNeedle, {0, 0}));
}

TEST_F(MatchNavigation, PreviousFromCaretInOverlappingRunSelectsOverlap)
{
    EXPECT_EQ(PreviousMatch(QStringLiteral("aaa"), QStringLiteral("aa"), {2, 0}), (TPreviewSelection{1, 2}));
}

TEST_F(MatchNavigation, SelectionBeyondTheTextWrapsSafely)
{
    EXPECT_EQ(NextMatch(fText, fNeedle, {INT_MAX - 1, 5}), (TPreviewSelection{0, 4}));
    EXPECT_EQ(PreviousMatch(fText, fNeedle, {500, 0}), (TPreviewSelection{20, 4}));
}

TEST(MatchRuleFor, PlainTextMatchesExactlyDocumentsByWhiteSpaceRuns)
{
    EXPECT_EQ(MatchRuleFor(TTextOrigin::toPlainText), TMatchRule::mrExact);
    EXPECT_EQ(MatchRuleFor(TTextOrigin::toDocument), TMatchRule::mrSpaceRuns);
}

TEST_F(MatchNavigation, SpaceRunsSelectWholeMatchesAcrossLineBreaks)
{
    // "quick brown" matches at 0 (length 11), 16 (length 13) and 33 (length 11).
    const QString text = QStringLiteral("Quick\nbrown and quick \n\tBROWN, quick\u00A0brown");
    const QString needle = QStringLiteral("quick brown");
    const auto rule = TMatchRule::mrSpaceRuns;
    EXPECT_EQ(FirstMatch(text, needle, rule), (TPreviewSelection{0, 11}));
    EXPECT_EQ(NextMatch(text, needle, {0, 11}, rule), (TPreviewSelection{16, 13}));
    EXPECT_EQ(NextMatch(text, needle, {16, 13}, rule), (TPreviewSelection{31, 11}));
    EXPECT_EQ(NextMatch(text, needle, {31, 11}, rule), (TPreviewSelection{0, 11}));
    EXPECT_EQ(PreviousMatch(text, needle, {0, 11}, rule), (TPreviewSelection{31, 11}));
    EXPECT_EQ(PreviousMatch(text, needle, {31, 11}, rule), (TPreviewSelection{16, 13}));
    EXPECT_EQ(PreviousMatch(text, needle, {16, 0}, rule), (TPreviewSelection{0, 11}));
    EXPECT_FALSE(FirstMatch(text, needle)); // the exact rule sees no phrase here
    EXPECT_FALSE(FirstMatch(text, QString(), rule));
    EXPECT_FALSE(NextMatch(text, QStringLiteral("brown fox"), {0, 0}, rule));
    EXPECT_FALSE(PreviousMatch(text, QStringLiteral("brown fox"), {0, 0}, rule));
    // A text to find without white space: the same selections as the exact rule.
    EXPECT_EQ(FirstMatch(fText, fNeedle, rule), FirstMatch(fText, fNeedle));
    EXPECT_EQ(NextMatch(fText, fNeedle, {10, 4}, rule), NextMatch(fText, fNeedle, {10, 4}));
    EXPECT_EQ(PreviousMatch(fText, fNeedle, {0, 4}, rule), PreviousMatch(fText, fNeedle, {0, 4}));
}

} // namespace

namespace {

TEST(BreakLongLines, ShortLinesStayAsTheyAre)
{
    const QString text = QStringLiteral("one\ntwo\n") + QString(100, u'x');
    EXPECT_EQ(BreakLongLines(text, 100, QStringLiteral("x")), text);
    EXPECT_EQ(BreakLongLines(QString(), 100, QString()), QString());
}

TEST(BreakLongLines, ALongLineIsBrokenIntoPiecesAndNothingIsLost)
{
    const QString line(1000, u'a');
    const QString shown =
        BreakLongLines(QStringLiteral("head\n") + line + QStringLiteral("\ntail"), 64, QString());
    const QStringList lines = shown.split(u'\n');
    EXPECT_EQ(lines.first(), QStringLiteral("head"));
    EXPECT_EQ(lines.last(), QStringLiteral("tail"));
    for (const QString &piece : lines)
        EXPECT_LE(piece.size(), 64);
    EXPECT_EQ(QString(shown).remove(u'\n'), QStringLiteral("head") + line + QStringLiteral("tail"));
}

TEST(BreakLongLines, BreaksAfterASpaceNearTheEnd)
{
    const QString text = QString(60, u'a') + u' ' + QString(60, u'b');
    EXPECT_EQ(BreakLongLines(text, 64, QString()).split(u'\n').first(), QString(60, u'a') + u' ');
}

TEST(BreakLongLines, NeverSplitsAnOccurrenceOrASurrogatePair)
{
    QString text(200, u'x');
    text.replace(62, 6, QStringLiteral("NEEDLE"));
    const QString shown = BreakLongLines(text, 64, QStringLiteral("needle"));
    EXPECT_TRUE(shown.contains(QStringLiteral("NEEDLE")));
    EXPECT_EQ(PosIgnoreCaseFrom(shown, QStringLiteral("needle"), 1), 64); // moved to the next line
    QString emoji(63, u'y');
    emoji += QString::fromUcs4(U"\U0001F600") + QString(100, u'z');
    const QStringList pieces = BreakLongLines(emoji, 64, QString()).split(u'\n');
    EXPECT_EQ(pieces.first(), QString(63, u'y'));
    EXPECT_TRUE(pieces.at(1).startsWith(QString::fromUcs4(U"\U0001F600")));
}

TEST(BreakLongLines, SpaceRunsKeepAMatchWholeOrBreakInItsWhiteSpace)
{
    const auto rule = TMatchRule::mrSpaceRuns;
    QString text(200, u'x');
    text.replace(58, 8, QStringLiteral("AB\u00A0CDEFG")); // the word CDEFG spans the break at 64
    QString shown = BreakLongLines(text, 64, QStringLiteral("ab cdefg"), rule);
    EXPECT_EQ(shown.indexOf(u'\n'), 58); // moved to the match's start
    EXPECT_EQ(FirstMatch(shown, QStringLiteral("ab cdefg"), rule), (TPreviewSelection{59, 8}));
    text = QString(60, u'x') + QStringLiteral(" ab cd ") + QString(200, u'y');
    shown = BreakLongLines(text, 64, QStringLiteral("ab cd"), rule);
    EXPECT_EQ(shown.indexOf(u'\n'), 64); // after the space inside the match
    EXPECT_EQ(FirstMatch(shown, QStringLiteral("ab cd"), rule), (TPreviewSelection{61, 6}));
}

} // namespace
