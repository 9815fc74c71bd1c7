// The wildcard matcher: whole-name matching, "*" and "?", case, trailing ".*", hostile masks.
#include "platform/wildcard_match.h"

#include <gtest/gtest.h>
#include <ostream>
#include <QString>

namespace {

struct TMaskCase
{
    QString name;
    QString mask;
    bool fits;
};

void PrintTo(const TMaskCase &pCase, std::ostream *aStream)
{
    *aStream << '"' << pCase.name.toStdString() << "\" ~ \"" << pCase.mask.toStdString() << '"';
}

class WildcardMatchTest : public ::testing::TestWithParam<TMaskCase>
{
};

TEST_P(WildcardMatchTest, FitsAsExpected)
{
    const TMaskCase &c = GetParam();
    EXPECT_EQ(PathMatchSpec(c.name, c.mask), c.fits);
}

const QString cLongName = QString(100, u'a');

INSTANTIATE_TEST_SUITE_P(
    Masks, WildcardMatchTest,
    ::testing::Values(
        // whole name, literal letters without regard to case
        TMaskCase{"report", "report", true}, TMaskCase{"Report", "REPORT", true},
        TMaskCase{"reports", "report", false}, TMaskCase{"xreport", "report", false}, TMaskCase{"", "", true},
        TMaskCase{"a", "", false}, TMaskCase{QStringLiteral("Ärger.TXT"), QStringLiteral("ärger.txt"), true},
        // "*": any run, none included
        TMaskCase{"", "*", true}, TMaskCase{"README", "*", true}, TMaskCase{"notes.txt", "*.txt", true},
        TMaskCase{"NOTES.TXT", "*.txt", true}, TMaskCase{"notes.txt.bak", "*.txt", false},
        TMaskCase{".txt", "*.txt", true}, TMaskCase{"Annual report.pdf", "*report*", true},
        TMaskCase{"report", "*report*", true}, TMaskCase{"mississippi", "m*iss*ppi", true},
        TMaskCase{"mississippi", "m*iss*iss*iss*", false}, TMaskCase{"abc", "a**c", true},
        // "?": exactly one character; a surrogate pair is one character
        TMaskCase{"abc", "a?c", true}, TMaskCase{"ac", "a?c", false}, TMaskCase{"abbc", "a?c", false},
        TMaskCase{"abc", "*?*?*?*", true}, TMaskCase{"ab", "*?*?*?*", false},
        TMaskCase{QStringLiteral("\U0001F600.txt"), "?.txt", true},
        TMaskCase{QStringLiteral("\U0001F600.txt"), "??.txt", false},
        // a trailing ".*" may also stand for nothing, each in turn
        TMaskCase{"notes.txt", "*.*.*", true}, TMaskCase{"README", "*.*.*", true},
        TMaskCase{"a.b.c", "*.*.*", true}, TMaskCase{"README", "*.*", true}, TMaskCase{"x", "x.*", true},
        TMaskCase{"x.txt", "x.*", true}, TMaskCase{"x", "x.*.*", true}, TMaskCase{"x", "?.*", true},
        TMaskCase{"", "?.*", false}, TMaskCase{"xy", "x.*", false},
        TMaskCase{"report 2024.pdf", "report*.*.*", true}, TMaskCase{"summary.pdf", "report*.*.*", false},
        // a "." elsewhere is literal
        TMaskCase{"notes.txt", "*.", false}, TMaskCase{"notes.", "*.", true}, TMaskCase{"a.x", "*.*x", true},
        TMaskCase{"ax", "*.*x", false},
        // masks longer than one machine word of states
        TMaskCase{cLongName, "*" + QString(90, u'a') + "*", true},
        TMaskCase{cLongName, QString(100, u'?'), true}, TMaskCase{cLongName, QString(101, u'?'), false},
        TMaskCase{cLongName + "b", QString(99, u'a') + "*b", true},
        TMaskCase{cLongName + "b", QString(99, u'a') + "*c", false}));

// Masks that make a backtracking matcher take exponential time finish at once here; the test
// only has to return (ctest's time-out catches a hang).
TEST(WildcardMatch, HostileMasksEndQuickly)
{
    const QString name = QString(255, u'a');
    QString starry;
    for (int i = 0; i < 120; ++i)
        starry += QStringLiteral("*a");
    EXPECT_FALSE(PathMatchSpec(name, starry + "*b"));
    EXPECT_TRUE(PathMatchSpec(name, starry + "*"));

    const QString longPath = QString(30000, u'a') + QStringLiteral("/notes.txt");
    QString longMask;
    for (int i = 0; i < 5000; ++i)
        longMask += QStringLiteral("*a");
    EXPECT_FALSE(PathMatchSpec(longPath, longMask + "*.doc"));
    EXPECT_TRUE(PathMatchSpec(longPath, longMask + "*.txt"));
    // more mask characters than name characters: no fit, no work
    EXPECT_FALSE(PathMatchSpec(QStringLiteral("a"), QString(1000000, u'a')));
}

TEST(WildcardMatch, OddCharactersAreOrdinary)
{
    // unpaired surrogates (from undecodable names) and control characters match only themselves
    const QString lone = QString(QChar(0xD800)) + QStringLiteral("x");
    EXPECT_TRUE(PathMatchSpec(lone, lone));
    EXPECT_TRUE(PathMatchSpec(lone, QStringLiteral("?x")));
    EXPECT_FALSE(PathMatchSpec(lone, QString(QChar(0xDC00)) + QStringLiteral("x")));
    EXPECT_TRUE(PathMatchSpec(QStringLiteral("a\tb"), QStringLiteral("a?b")));
    EXPECT_TRUE(PathMatchSpec(QStringLiteral("[a].txt"), QStringLiteral("[a].*")));
    EXPECT_FALSE(PathMatchSpec(QStringLiteral("a.txt"), QStringLiteral("[a].*")));
}

} // namespace
