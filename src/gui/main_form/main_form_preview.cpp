// The main window's preview pane: shows a result's text with the first match selected and moves
// between matches with the two navigation buttons, wrapping around at either end.
#include "content/text_extraction.h"
#include "content/text_matcher.h"
#include "filesearch/file_list.h"
#include "gui/main_form/main_form.h"
#include "i18n/translation.h"
#include "platform/file_access.h"
#include "platform/file_name.h"
#include "platform/long_path_access.h"
#include "preview/match_navigation.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

// A plain-text file contributes at most this many bytes to the preview.
constexpr int32_t kPreviewMaxBytes = 2097152;
// Longer lines are shown broken into pieces of at most this many characters.
constexpr int kPreviewMaxLine = 4096;

TPreviewSelection SelectionOf(const QPlainTextEdit *aMemo)
{
    const QTextCursor cursor = aMemo->textCursor();
    return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
}

// Selects aSelection in aMemo and scrolls it into view; the keyboard focus stays where it is.
void Select(QPlainTextEdit *aMemo, TPreviewSelection aSelection)
{
    QTextCursor cursor = aMemo->textCursor();
    cursor.setPosition(aSelection.Start);
    cursor.setPosition(aSelection.Start + aSelection.Length, QTextCursor::KeepAnchor);
    aMemo->setTextCursor(cursor);
    aMemo->ensureCursorVisible();
}

// A match reached with a navigation button: the memo takes the focus and selects it.
void GoTo(QPlainTextEdit *aMemo, const std::optional<TPreviewSelection> &aMatch)
{
    if (!aMatch)
        return;
    aMemo->setFocus();
    Select(aMemo, *aMatch);
}

// The match rule of the text the preview shows: that of the result list's selected file, whose
// text it is; the exact rule when no file is selected.
TMatchRule PreviewMatchRule(const TZorFileList &aList)
{
    if (aList.SelCount() == 0 || aList.ItemIndex() < 0)
        return TMatchRule::mrExact;
    return MatchRuleFor(aList.SelectedPath());
}

// The matches under match options other than the default, by the search's matcher, with the
// same wrap-around as the plain rule's navigation.
std::optional<TPreviewSelection> Selection(const std::optional<TTextSpan> &aSpan)
{
    if (!aSpan)
        return std::nullopt;
    return TPreviewSelection{int(aSpan->Start), int(aSpan->Length)};
}

std::optional<TPreviewSelection> NextMatchBy(const TTextMatcher &aMatcher, const QString &aText,
                                             TPreviewSelection aCurrent)
{
    if (auto next = aMatcher.Find(aText, qsizetype(aCurrent.Start) + 1))
        return Selection(next);
    return Selection(aMatcher.Find(aText));
}

std::optional<TPreviewSelection> PreviousMatchBy(const TTextMatcher &aMatcher, const QString &aText,
                                                 TPreviewSelection aCurrent)
{
    if (auto previous = aCurrent.Start > 0 ? aMatcher.FindLast(aText, aCurrent.Start) : std::nullopt)
        return Selection(previous);
    return Selection(aMatcher.FindLast(aText));
}

} // namespace

TTextMatcher TMainForm::PreviewMatcher() const
{
    return TTextMatcher(fSession->CurrentTextToFind(), SearchControl().MatchOptions(),
                        PreviewMatchRule(SearchResultList->FileList()) == TMatchRule::mrSpaceRuns);
}

void TMainForm::ClearPreview()
{
    FPreview->clear();
    PreviewFailure->clear();
    PreviewCutNotice->setVisible(false);
    UpdatePreviewNotice();
}

void TMainForm::ShowPreviewText(const QString &aText)
{
    const TMatchRule rule = PreviewMatchRule(SearchResultList->FileList());
    FPreview->setUpdatesEnabled(false);
    FPreview->setPlainText(
        BreakLongLines(NormalizeLineBreaks(aText), kPreviewMaxLine, fSession->CurrentTextToFind(), rule));
    FPreview->setUpdatesEnabled(true);
    UpdatePreviewNotice();
    const auto match = SearchControl().MatchOptions().IsDefault()
                           ? FirstMatch(FPreview->toPlainText(), fSession->CurrentTextToFind(), rule)
                           : Selection(PreviewMatcher().Find(FPreview->toPlainText()));
    if (match)
        Select(FPreview, *match);
}

void TMainForm::UpdatePreview()
{
    FPreview->setUpdatesEnabled(false);
    FPreview->clear();
    FPreview->setUpdatesEnabled(true);
    PreviewCutNotice->setVisible(false);
    PreviewFailure->clear();
    const TZorFileList &list = SearchResultList->FileList();
    if (list.SelCount() == 0 || list.ItemIndex() < 0)
        return;
    const QString path = list.SelectedPath();
    if (!IsFile(path))
        return;
    QString text;
    TDocumentFailure failure;
    const std::shared_ptr<TExtractionService> extraction = fSession->Extraction();
    if (!extraction || !ExtractFileText(path, kPreviewMaxBytes, text, *extraction, &failure)) {
        // Why there is no preview, under the notice that says so.
        if (failure.fProblem != TDocumentProblem::None)
            PreviewFailure->setText(Translate(DocumentProblemPhrase(failure.fProblem)));
        UpdatePreviewNotice();
        return;
    }
    ShowPreviewText(text);
    // A text file is read up to the preview's limit (the search reads all of it).
    if (IsPlainTextExtension(ExtractFileExt(path)) && ::FileSize(path) > kPreviewMaxBytes) {
        PreviewCutNotice->setText(Translate(QStringLiteral("Only the first 2 MB of this file are shown.")));
        PreviewCutNotice->setVisible(true);
    }
}

void TMainForm::SearchResultListSelectionChanged()
{
    UpdatePreview();
    const TZorFileList &list = SearchResultList->FileList();
    if (list.ItemIndex() >= 0)
        SetStatusText(DisplayFileName(list.SelectedPath()));
    UpdatePreviewNotice();
}

void TMainForm::btNextClick()
{
    if (!SearchControl().MatchOptions().IsDefault()) {
        GoTo(FPreview, NextMatchBy(PreviewMatcher(), FPreview->toPlainText(), SelectionOf(FPreview)));
        return;
    }
    GoTo(FPreview, NextMatch(FPreview->toPlainText(), fSession->CurrentTextToFind(), SelectionOf(FPreview),
                             PreviewMatchRule(SearchResultList->FileList())));
}

void TMainForm::btPreviousClick()
{
    if (!SearchControl().MatchOptions().IsDefault()) {
        GoTo(FPreview, PreviousMatchBy(PreviewMatcher(), FPreview->toPlainText(), SelectionOf(FPreview)));
        return;
    }
    GoTo(FPreview, PreviousMatch(FPreview->toPlainText(), fSession->CurrentTextToFind(),
                                 SelectionOf(FPreview), PreviewMatchRule(SearchResultList->FileList())));
}

void TMainForm::UpdatePreviewNotice()
{
    const bool empty = FPreview->document()->isEmpty();
    StaticText2->setVisible(empty);
    PreviewFailure->setVisible(empty && !PreviewFailure->text().isEmpty());
    if (PreviewFailure->isVisible())
        Panel8ConstrainedResize();
}
