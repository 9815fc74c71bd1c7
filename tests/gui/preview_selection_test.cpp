// The preview filled from the result list's selection: the file's text with the first match
// selected, the status text, the notice for what cannot be shown, and Next/Previous wrap-around.
#include "filesearch/file_list.h"
#include "gui/main_form/main_form.h"
#include "gui/views/file_list_view.h"
#include "support/fake_extraction_server.h"
#include "support/test_files.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QToolButton>

namespace {

class PreviewSelection : public ::testing::Test
{
protected:
    PreviewSelection() : fForm(TCommandLine{}) { fForm.show(); }

    int Add(const QString &pName, const QByteArray &pBytes)
    {
        fForm.SearchResultList->FileList().Add(WriteTestFile(fDir.filePath(pName), pBytes));
        return fForm.SearchResultList->FileList().Count() - 1;
    }
    void Select(int pRow) { fForm.SearchResultList->SelectRows({pRow}); }
    int SelectionStart() const { return fForm.FPreview->textCursor().selectionStart(); }
    QString SelectedText() const { return fForm.FPreview->textCursor().selectedText(); }

    QTemporaryDir fDir;
    TMainForm fForm;
};

TEST_F(PreviewSelection, SelectingAResultShowsItsTextWithTheFirstMatchSelected)
{
    fForm.Session().SetTextToFind(QStringLiteral("needle"));
    const int row = Add("a.txt", "first line\r\nhay and NEEDLE\nmore needle\rend");
    fForm.edtTextToFind->setFocus();
    Select(row);
    EXPECT_EQ(fForm.FPreview->toPlainText(), QStringLiteral("first line\nhay and NEEDLE\nmore needle\nend"));
    EXPECT_EQ(SelectionStart(), 19);
    EXPECT_EQ(SelectedText(), QStringLiteral("NEEDLE"));
    EXPECT_FALSE(fForm.StaticText2->isVisible());
    EXPECT_EQ(fForm.StatusText(), fDir.filePath("a.txt"));
    EXPECT_FALSE(fForm.FPreview->hasFocus());
}

TEST_F(PreviewSelection, NextAndPreviousWrapAroundInTheSelectedFile)
{
    fForm.edtTextToFind->setText(QStringLiteral(" ab "));
    Select(Add("b.txt", "ab AB aB"));
    ASSERT_EQ(SelectionStart(), 0);
    fForm.btNext->click();
    fForm.btNext->click();
    EXPECT_EQ(SelectionStart(), 6);
    fForm.btNext->click();
    EXPECT_EQ(SelectionStart(), 0);
    fForm.btPrevious->click();
    EXPECT_EQ(SelectionStart(), 6);
}

TEST_F(PreviewSelection, WhatCannotBeShownLeavesTheNotice)
{
    const int text = Add("t.txt", "some text");
    const int binary = Add("b.txt", QByteArray("\0\1\2\3\0\0binary", 12));
    const int vanished = Add("v.txt", "soon gone");
    Select(text);
    EXPECT_FALSE(fForm.StaticText2->isVisible());
    Select(binary);
    EXPECT_TRUE(fForm.FPreview->toPlainText().isEmpty());
    EXPECT_TRUE(fForm.StaticText2->isVisible());
    ASSERT_TRUE(QFile::remove(fDir.filePath("v.txt")));
    Select(vanished);
    EXPECT_TRUE(fForm.StaticText2->isVisible());
    EXPECT_EQ(fForm.StatusText(), fDir.filePath("v.txt"));
    fForm.SearchResultList->SelectRows({});
    EXPECT_TRUE(fForm.FPreview->toPlainText().isEmpty());
    EXPECT_TRUE(fForm.StaticText2->isVisible());
}

TEST_F(PreviewSelection, AHugeOneLineFileIsShownInPiecesWithItsMatchesWhole)
{
    fForm.Session().SetTextToFind(QStringLiteral("needle"));
    QByteArray bytes(3 * 1024 * 1024, 'x'); // more than the preview reads
    for (int at = 4093; at < bytes.size() - 6; at += 500000)
        bytes.replace(at, 6, "needle");
    Select(Add("huge.txt", bytes));
    const QString shown = fForm.FPreview->toPlainText();
    EXPECT_EQ(QString(shown).remove(u'\n').size(), 2097152);
    EXPECT_EQ(SelectedText(), QStringLiteral("needle"));
    fForm.btPrevious->click(); // wraps to the last match
    EXPECT_EQ(SelectedText(), QStringLiteral("needle"));
    EXPECT_GT(SelectionStart(), 2000000);
    // The cut is said under the preview, and only for a file that was cut.
    EXPECT_TRUE(fForm.PreviewCutNotice->isVisible());
    EXPECT_EQ(fForm.PreviewCutNotice->text(), QStringLiteral("Only the first 2 MB of this file are shown."));
    Select(Add("short.txt", "a short needle"));
    EXPECT_FALSE(fForm.PreviewCutNotice->isVisible());
}

TEST_F(PreviewSelection, ADocumentsPhraseAcrossALineBreakIsSelectedWholeUnlikePlainText)
{
    TFakeExtractionServer server;
    server.SetReply(TFakeReply::frText, "Annual\r\nreport and an annual report");
    fForm.Session().SetExtractionServer(server.Address());
    fForm.Session().SetTextToFind(QStringLiteral("annual report"));
    const int document = Add("r.pdf", "%PDF-1.4 stand-in");
    const int text = Add("r.txt", "Annual\r\nreport and an annual report");
    Select(document);
    EXPECT_EQ(SelectionStart(), 0);
    EXPECT_EQ(SelectedText(), QStringLiteral("Annual\u2029report")); // the widget's paragraph break
    fForm.btNext->click();
    EXPECT_EQ(SelectedText(), QStringLiteral("annual report"));
    fForm.btNext->click();
    EXPECT_EQ(SelectionStart(), 0);
    Select(text);
    EXPECT_EQ(SelectionStart(), 21);
    EXPECT_EQ(SelectedText(), QStringLiteral("annual report"));
    // A file of a plain-text name that holds RTF is a document: the server's text, its rule.
    Select(Add("letter.txt", "{\\rtf1 Annual\\par report and an annual report}"));
    EXPECT_EQ(fForm.FPreview->toPlainText(), QStringLiteral("Annual\nreport and an annual report"));
    EXPECT_EQ(SelectedText(), QStringLiteral("Annual\u2029report"));
}

} // namespace
