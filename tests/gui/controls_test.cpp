// The window's small control classes: the word-wrapped check box, the link label, the up-down
// buttons and the fixed tab height.
#include "gui/widgets/link_label.h"
#include "gui/widgets/page_control.h"
#include "gui/widgets/up_down.h"
#include "gui/widgets/wrap_check_box.h"

#include <gtest/gtest.h>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

namespace {

TEST(WrapCheckBox, CaptionWrapsWhenNarrowAndAClickOnItToggles)
{
    TWrapCheckBox box;
    box.SetCaption(QStringLiteral("Search in unrecognized formats (preview is unavailable)"));
    EXPECT_EQ(box.Caption(), QStringLiteral("Search in unrecognized formats (preview is unavailable)"));
    EXPECT_TRUE(box.text().isEmpty());
    EXPECT_LT(box.minimumSizeHint().width(), box.sizeHint().width());
    const int wide = box.heightForWidth(box.sizeHint().width() + 50);
    const int narrow = box.heightForWidth(box.sizeHint().width() / 3);
    EXPECT_GT(narrow, wide);
    box.resize(box.sizeHint().width() / 3, narrow);
    box.show();
    EXPECT_FALSE(box.isChecked());
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(box.width() - 5, narrow - 4));
    EXPECT_TRUE(box.isChecked());
}

TEST(LinkLabel, UnderlineFollowsThePointerAndReleaseClicks)
{
    TLinkLabel label;
    label.setText(QStringLiteral("link"));
    label.resize(100, 20);
    label.show();
    QSignalSpy clicked(&label, &TLinkLabel::Clicked);
    EXPECT_TRUE(label.font().underline());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&label, &enter);
    EXPECT_FALSE(label.font().underline());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&label, &leave);
    EXPECT_TRUE(label.font().underline());
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicked.count(), 1);
    QTest::mouseClick(&label, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicked.count(), 1);
}

TEST(UpDown, StepsTheBuddyWithinItsRange)
{
    QLineEdit edit(QStringLiteral("0"));
    TUpDown upDown(&edit, 0, 100000000);
    upDown.Step(1);
    EXPECT_EQ(edit.text(), QStringLiteral("1"));
    upDown.Step(-5);
    EXPECT_EQ(edit.text(), QStringLiteral("0"));
    edit.setText(QStringLiteral("100000000"));
    upDown.Step(1);
    EXPECT_EQ(edit.text(), QStringLiteral("100000000"));
    edit.setText(QStringLiteral("not a number"));
    upDown.Step(1);
    EXPECT_EQ(edit.text(), QStringLiteral("1"));
    edit.setText(QStringLiteral("99999999999999999999"));
    upDown.Step(-1);
    EXPECT_EQ(edit.text(), QStringLiteral("0"));
}

TEST(PageControl, TabsHaveTheGivenHeight)
{
    TPageControl pages(30);
    pages.addTab(new QWidget, QStringLiteral("One"));
    pages.addTab(new QWidget, QStringLiteral("Two"));
    pages.show();
    EXPECT_EQ(pages.tabBar()->tabRect(0).height(), 30);
    EXPECT_EQ(pages.tabBar()->tabRect(1).height(), 30);
}

} // namespace
