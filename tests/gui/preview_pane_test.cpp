// The main window's preview pane through its widgets: the shown text, the first match, the
// navigation buttons with wrap-around, the text to find and the notice.
#include "content/text_matcher.h"
#include "gui/main_form/main_form.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QToolButton>

namespace {

class PreviewPane : public ::testing::Test
{
protected:
    PreviewPane() : fForm(TCommandLine{}) { fForm.show(); }

    int SelectionStart() const { return fForm.FPreview->textCursor().selectionStart(); }
    QString SelectedText() const { return fForm.FPreview->textCursor().selectedText(); }
    void SetCaret(int aPosition)
    {
        QTextCursor cursor = fForm.FPreview->textCursor();
        cursor.setPosition(aPosition);
        fForm.FPreview->setTextCursor(cursor);
    }

    TMainForm fForm;
};

TEST_F(PreviewPane, StartsEmptyWithTheNotice)
{
    EXPECT_TRUE(fForm.FPreview->toPlainText().isEmpty());
    EXPECT_TRUE(fForm.FPreview->isReadOnly());
    EXPECT_EQ(fForm.FPreview->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_TRUE(fForm.StaticText2->isVisible());
    EXPECT_EQ(fForm.StaticText2->text(), QStringLiteral("Preview is not Available"));
    EXPECT_TRUE(fForm.btNext->isEnabled());
    EXPECT_TRUE(fForm.btPrevious->isEnabled());
}

TEST_F(PreviewPane, ShownTextHidesNoticeAndSelectsFirstMatchWithoutTakingFocus)
{
    fForm.edtTextToFind->setText(QStringLiteral("  needle "));
    fForm.edtTextToFind->setFocus();
    fForm.ShowPreviewText(QStringLiteral("line one\r\nthe NEEDLE here\rand needle\nend"));
    EXPECT_FALSE(fForm.StaticText2->isVisible());
    EXPECT_EQ(fForm.FPreview->toPlainText(), QStringLiteral("line one\nthe NEEDLE here\nand needle\nend"));
    EXPECT_EQ(SelectionStart(), 13);
    EXPECT_EQ(SelectedText(), QStringLiteral("NEEDLE"));
    EXPECT_FALSE(fForm.FPreview->hasFocus());
}

TEST_F(PreviewPane, NextAndPreviousWrapAroundThroughTheButtons)
{
    fForm.Session().SetTextToFind(QStringLiteral("ab"));
    fForm.ShowPreviewText(QStringLiteral("ab\nAB\naB"));
    ASSERT_EQ(SelectionStart(), 0);
    fForm.btNext->click();
    EXPECT_EQ(SelectionStart(), 3);
    fForm.btNext->click();
    EXPECT_EQ(SelectionStart(), 6);
    fForm.btNext->click();
    EXPECT_EQ(SelectionStart(), 0);
    fForm.btPrevious->click();
    EXPECT_EQ(SelectionStart(), 6);
    EXPECT_EQ(SelectedText(), QStringLiteral("aB"));
    fForm.btPrevious->click();
    EXPECT_EQ(SelectionStart(), 3);
    // Every match is marked, as many as the matcher counts, and the count follows the selection.
    EXPECT_EQ(fForm.FPreview->extraSelections().size(),
              fForm.PreviewMatcher().Count(fForm.FPreview->toPlainText()));
    EXPECT_EQ(fForm.FPreview->extraSelections().size(), 3);
    EXPECT_EQ(fForm.lblMatchCount->text(), QStringLiteral("Match 2 of 3"));
    EXPECT_FALSE(fForm.lblMatchCount->isHidden());
    fForm.ClearPreview();
    EXPECT_TRUE(fForm.FPreview->extraSelections().isEmpty());
    EXPECT_TRUE(fForm.lblMatchCount->isHidden());
}

TEST_F(PreviewPane, NavigationGivesTheMemoTheFocus)
{
    QApplication::setActiveWindow(&fForm);
    fForm.Session().SetTextToFind(QStringLiteral("x"));
    fForm.ShowPreviewText(QStringLiteral("x x"));
    fForm.edtTextToFind->setFocus();
    fForm.btNext->click();
    EXPECT_TRUE(fForm.FPreview->hasFocus());
}

TEST_F(PreviewPane, CapturedTextToFindWinsOverTheField)
{
    fForm.Session().SetTextToFind(QStringLiteral("beta"));
    fForm.edtTextToFind->setText(QStringLiteral("alpha"));
    fForm.ShowPreviewText(QStringLiteral("alpha beta"));
    EXPECT_EQ(SelectedText(), QStringLiteral("beta"));
}

TEST_F(PreviewPane, WithoutCapturedTextTheFieldIsReadAnew)
{
    fForm.ShowPreviewText(QStringLiteral("alpha beta alpha"));
    fForm.edtTextToFind->setText(QStringLiteral("beta"));
    fForm.btNext->click();
    EXPECT_EQ(SelectionStart(), 6);
    fForm.edtTextToFind->setText(QStringLiteral("alpha"));
    fForm.btNext->click();
    EXPECT_EQ(SelectionStart(), 11);
}

TEST_F(PreviewPane, PreviousFromCaretSelectsOverlappingOccurrence)
{
    fForm.Session().SetTextToFind(QStringLiteral("aa"));
    fForm.ShowPreviewText(QStringLiteral("aaa"));
    SetCaret(2);
    fForm.btPrevious->click();
    EXPECT_EQ(SelectionStart(), 1);
    EXPECT_EQ(SelectedText(), QStringLiteral("aa"));
}

TEST_F(PreviewPane, AbsentTextLeavesCaretAtStartAndButtonsChangeNothing)
{
    fForm.Session().SetTextToFind(QStringLiteral("zzz"));
    fForm.ShowPreviewText(QStringLiteral("nothing to see"));
    EXPECT_EQ(SelectionStart(), 0);
    EXPECT_TRUE(SelectedText().isEmpty());
    fForm.btNext->click();
    fForm.btPrevious->click();
    EXPECT_EQ(SelectionStart(), 0);
    EXPECT_TRUE(SelectedText().isEmpty());
}

TEST_F(PreviewPane, EmptyTextAndClearShowTheNoticeAgain)
{
    fForm.ShowPreviewText(QStringLiteral("something"));
    EXPECT_FALSE(fForm.StaticText2->isVisible());
    fForm.ShowPreviewText(QString());
    EXPECT_TRUE(fForm.StaticText2->isVisible());
    fForm.ShowPreviewText(QStringLiteral("something"));
    fForm.ClearPreview();
    EXPECT_TRUE(fForm.FPreview->toPlainText().isEmpty());
    EXPECT_TRUE(fForm.StaticText2->isVisible());
}

} // namespace
