// The main window's preview pane: shows a result's text with every match marked and the first
// selected, counts them, and moves between them with the two navigation buttons, wrapping around
// at either end.
#include "content/text_extraction.h"
#include "content/text_matcher.h"
#include "filesearch/file_list.h"
#include "gui/main_form/main_form.h"
#include "i18n/translation.h"
#include "platform/file_access.h"
#include "platform/file_name.h"
#include "platform/long_path_access.h"
#include "preview/match_navigation.h"

#include <algorithm>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextEdit>

namespace {

// A plain-text file contributes at most this many bytes to the preview.
constexpr int32_t kPreviewMaxBytes = 2097152;
// Longer lines are shown broken into pieces of at most this many characters.
constexpr int kPreviewMaxLine = 4096;
// At most this many matches are marked and counted.
constexpr qsizetype kMostMarkedMatches = 100000;
// The background of the matches other than the selected one.
const QColor kMatchMark(0xFF, 0xE5, 0x7A);

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
                        fPreviewRule == TMatchRule::mrSpaceRuns);
}

void TMainForm::ClearPreview()
{
    FPreview->clear();
    fPreviewRule = TMatchRule::mrExact;
    UpdateMatchMarks();
    PreviewFailure->clear();
    PreviewCutNotice->setVisible(false);
    UpdatePreviewNotice();
}

void TMainForm::ShowPreviewText(const QString &aText, TMatchRule aRule)
{
    fPreviewRule = aRule;
    FPreview->setUpdatesEnabled(false);
    FPreview->setPlainText(
        BreakLongLines(NormalizeLineBreaks(aText), kPreviewMaxLine, fSession->CurrentTextToFind(), aRule));
    FPreview->setUpdatesEnabled(true);
    UpdatePreviewNotice();
    const auto match = SearchControl().MatchOptions().IsDefault()
                           ? FirstMatch(FPreview->toPlainText(), fSession->CurrentTextToFind(), aRule)
                           : Selection(PreviewMatcher().Find(FPreview->toPlainText()));
    if (match)
        Select(FPreview, *match);
    UpdateMatchMarks();
}

void TMainForm::UpdatePreview()
{
    FPreview->setUpdatesEnabled(false);
    FPreview->clear();
    FPreview->setUpdatesEnabled(true);
    fPreviewRule = TMatchRule::mrExact;
    UpdateMatchMarks();
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
    TTextOrigin origin = TTextOrigin::toPlainText;
    const std::shared_ptr<TExtractionService> extraction = fSession->Extraction();
    if (!extraction || !ExtractFileText(path, kPreviewMaxBytes, text, *extraction, &failure, &origin)) {
        // Why there is no preview, under the notice that says so.
        if (failure.fProblem != TDocumentProblem::None)
            PreviewFailure->setText(Translate(DocumentProblemPhrase(failure.fProblem)));
        UpdatePreviewNotice();
        return;
    }
    ShowPreviewText(text, MatchRuleFor(origin));
    // A text file is read up to the preview's limit (the search reads all of it).
    if (origin == TTextOrigin::toPlainText && ::FileSize(path) > kPreviewMaxBytes) {
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
    GoToMatch(true, true);
}

void TMainForm::btPreviousClick()
{
    GoToMatch(false, true);
}

void TMainForm::GoToMatch(bool aNext, bool aTakeFocus)
{
    const QString text = FPreview->toPlainText();
    const TPreviewSelection current = SelectionOf(FPreview);
    std::optional<TPreviewSelection> match;
    if (!SearchControl().MatchOptions().IsDefault()) {
        const TTextMatcher matcher = PreviewMatcher();
        match = aNext ? NextMatchBy(matcher, text, current) : PreviousMatchBy(matcher, text, current);
    } else {
        match = aNext ? NextMatch(text, fSession->CurrentTextToFind(), current, fPreviewRule)
                      : PreviousMatch(text, fSession->CurrentTextToFind(), current, fPreviewRule);
    }
    if (!match)
        return;
    if (aTakeFocus)
        FPreview->setFocus();
    Select(FPreview, *match);
    UpdateMatchMarks();
}

void TMainForm::UpdateMatchMarks()
{
    const QString text = FPreview->toPlainText();
    const std::vector<TTextSpan> spans =
        text.isEmpty() ? std::vector<TTextSpan>() : PreviewMatcher().FindAll(text, kMostMarkedMatches);
    QList<QTextEdit::ExtraSelection> marks;
    marks.reserve(qsizetype(spans.size()));
    QTextCharFormat format;
    format.setBackground(kMatchMark);
    format.setForeground(Qt::black);
    for (const TTextSpan &span : spans) {
        QTextEdit::ExtraSelection mark{QTextCursor(FPreview->document()), format};
        mark.cursor.setPosition(int(span.Start));
        mark.cursor.setPosition(int(span.Start + span.Length), QTextCursor::KeepAnchor);
        marks.append(mark);
    }
    FPreview->setExtraSelections(marks);
    if (spans.empty()) {
        lblMatchCount->setVisible(false);
        return;
    }
    // The selected match, or the last one before the caret.
    const qsizetype caret = FPreview->textCursor().selectionStart();
    const auto after =
        std::upper_bound(spans.begin(), spans.end(), caret,
                         [](qsizetype aAt, const TTextSpan &aSpan) { return aAt < aSpan.Start; });
    const qsizetype index = std::max<qsizetype>(after - spans.begin(), 1);
    lblMatchCount->setText(Translate(QStringLiteral("Match %1 of %2"))
                               .arg(QLocale().toString(index), QLocale().toString(qsizetype(spans.size()))));
    lblMatchCount->setVisible(true);
}

void TMainForm::UpdatePreviewNotice()
{
    const bool empty = FPreview->document()->isEmpty();
    StaticText2->setVisible(empty);
    PreviewFailure->setVisible(empty && !PreviewFailure->text().isEmpty());
    if (PreviewFailure->isVisible())
        Panel8ConstrainedResize();
}
