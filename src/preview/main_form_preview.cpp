// The main window's preview pane: shows a result's text with the first match selected and moves
// between matches with the two navigation buttons, wrapping around at either end.
#include "app/main_form.h"
#include "preview/match_navigation.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

void TMainForm::ClearPreview()
{
    FPreview->clear();
    UpdatePreviewNotice();
}

void TMainForm::ShowPreviewText(const QString &aText)
{
    FPreview->setUpdatesEnabled(false);
    FPreview->setPlainText(NormalizeLineBreaks(aText));
    FPreview->setUpdatesEnabled(true);
    UpdatePreviewNotice();
    if (const auto match = FirstMatch(FPreview->toPlainText(), PreviewTextToFind()))
        SelectInPreview(match->Start, match->Length);
}

QString TMainForm::PreviewTextToFind() const
{
    return FTextToFind.isEmpty() ? edtTextToFind->text().trimmed() : FTextToFind;
}

void TMainForm::btNextClick()
{
    const QTextCursor cursor = FPreview->textCursor();
    const TPreviewSelection current{cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
    if (const auto match = NextMatch(FPreview->toPlainText(), PreviewTextToFind(), current)) {
        FPreview->setFocus();
        SelectInPreview(match->Start, match->Length);
    }
}

void TMainForm::btPreviousClick()
{
    const QTextCursor cursor = FPreview->textCursor();
    const TPreviewSelection current{cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
    if (const auto match = PreviousMatch(FPreview->toPlainText(), PreviewTextToFind(), current)) {
        FPreview->setFocus();
        SelectInPreview(match->Start, match->Length);
    }
}

void TMainForm::SelectInPreview(int aStart, int aLength)
{
    QTextCursor cursor = FPreview->textCursor();
    cursor.setPosition(aStart);
    cursor.setPosition(aStart + aLength, QTextCursor::KeepAnchor);
    FPreview->setTextCursor(cursor);
    FPreview->ensureCursorVisible();
}

void TMainForm::UpdatePreviewNotice()
{
    StaticText2->setVisible(FPreview->document()->isEmpty());
}
