// Rules of the main window that need no window: rounding, link and notice placement, About text.
#include "app/about_text.h"
#include "app/window_geometry.h"

#include <gtest/gtest.h>
#include <QStringList>

namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(RoundHalfEven(9.5), 10);
    EXPECT_EQ(RoundHalfEven(8.5), 8);
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4), 2);
    EXPECT_EQ(RoundHalfEven(2.6), 3);
    EXPECT_EQ(RoundHalfEven(-2.6), -3);
    EXPECT_EQ(RoundHalfEven(7.0), 7);
}

TEST(HomepageLinkPosition, RightEdgeFifteenPixelsInAndCentredOnStatusBar)
{
    // Status bar from 644 to 663 (height 19): 644 + 19 - round(9.5) - round(8.5) = 644 + 19 - 10 - 8.
    EXPECT_EQ(HomepageLinkPosition(1371, 264, 17, 644, 19), QPoint(1371 - 264 - 15, 645));
    EXPECT_EQ(HomepageLinkPosition(600, 264, 17, 500, 22), QPoint(321, 500 + 22 - 11 - 8));
}

TEST(CentredPosition, UsesRoundedHalves)
{
    EXPECT_EQ(CentredPosition(329, 97, 120, 17), QPoint(164 - 60, 48 - 8));
    EXPECT_EQ(CentredPosition(100, 50, 100, 50), QPoint(0, 0));
    // A text wider than its panel starts left of it, as the rule says.
    EXPECT_EQ(CentredPosition(20, 10, 41, 11), QPoint(10 - 20, 5 - 6));
}

TEST(AboutBoxText, AssemblesTheLinesInOrderWithCrLf)
{
    const QString text = AboutBoxText(2026, [](const QString &aPhrase) { return aPhrase; });
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[0], QStringLiteral("Ordwell"));
    EXPECT_EQ(lines[1], QStringLiteral("Version: 2.3"));
    EXPECT_TRUE(lines[2].isEmpty());
    EXPECT_EQ(lines[3], QStringLiteral("Website: ") + WebSiteHost());
    EXPECT_FALSE(lines[5].isEmpty());
    EXPECT_TRUE(lines[7].contains(QStringLiteral("2026")));
    EXPECT_FALSE(text.contains(u'\n') && text.count(u'\n') != text.count(QStringLiteral("\r\n")));
}

TEST(AboutBoxText, TranslatesPhrasesButNotVersionHostOrVendor)
{
    const QString text =
        AboutBoxText(2026, [](const QString &aPhrase) { return QStringLiteral("<%1>").arg(aPhrase); });
    EXPECT_TRUE(text.startsWith(QStringLiteral("<Ordwell>\r\n<Version:> 2.3\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("<Website:> ") + WebSiteHost() + QStringLiteral("\r\n")));
    EXPECT_FALSE(WebSiteHost().contains(QStringLiteral("://")));
    const QString closing = text.split(QStringLiteral("\r\n")).last();
    EXPECT_FALSE(closing.contains(u'<'));
}

} // namespace
