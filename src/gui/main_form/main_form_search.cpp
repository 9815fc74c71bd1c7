// The search form of the main window: the search control's window side, its wiring to the
// buttons, the stop timer, the result list and the Enter key, and the form's enabling rules.
#include "gui/main_form/main_form_search.h"

#include "filesearch/result_export.h"
#include "gui/main_form/main_form.h"
#include "gui/unread_documents_dialog.h"
#include "gui/widgets/date_picker_value.h"
#include "gui/widgets/page_control.h"
#include "gui/widgets/up_down.h"
#include "gui/widgets/wrap_check_box.h"
#include "i18n/translation.h"
#include "platform/program_info.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QSaveFile>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

TSearchFormValues TMainFormSearchWindow::SearchFormValues() const
{
    TSearchFormValues values(DateTimeValue(*fForm.SearchMaxDate));
    values.SearchField = fForm.SearchField->text();
    values.edtTextToFind = fForm.edtTextToFind->text();
    values.SearchAllRB = fForm.SearchAllRB->isChecked();
    values.SearchDateRB = fForm.SearchDateRB->isChecked();
    values.SearchOptionsCombo = fForm.SearchOptionsCombo->currentIndex();
    values.SearchMinDate = DateTimeValue(*fForm.SearchMinDate);
    values.chSize1 = fForm.chSize1->isChecked();
    values.chSize2 = fForm.chSize2->isChecked();
    values.FileSizeCombo = fForm.FileSizeCombo->currentIndex();
    values.FileSize = fForm.FileSize->text();
    values.chkShowHidden = fForm.chkShowHidden->isChecked();
    values.chSearchInSubfolders = fForm.chSearchInSubfolders->isChecked();
    values.CheckBox1 = fForm.CheckBox1->isChecked();
    values.Exclude = fForm.edtExclude->text();
    values.MatchCase = fForm.chkMatchCase->isChecked();
    values.WholeWords = fForm.chkWholeWords->isChecked();
    values.RegularExpression = fForm.chkRegularExpression->isChecked();
    return values;
}

QString TMainFormSearchWindow::TextToFindText() const
{
    return fForm.edtTextToFind->text();
}

void TMainFormSearchWindow::SetSearchDates(TDateTime aMin, TDateTime aMax)
{
    SetDateTimeValue(*fForm.SearchMinDate, aMin);
    SetDateTimeValue(*fForm.SearchMaxDate, aMax);
}

void TMainFormSearchWindow::SaveSettings()
{
    fForm.SaveSettings();
}

void TMainFormSearchWindow::SetStatusText(const QString &aText)
{
    fForm.SetStatusText(aText);
}

void TMainFormSearchWindow::RepaintStatusLine()
{
    fForm.RepaintStatusLine();
}

void TMainFormSearchWindow::ProcessPendingEvents()
{
    QCoreApplication::processEvents();
}

void TMainFormSearchWindow::SetBusyCursor(bool aBusy)
{
    if (aBusy == fBusy)
        return;
    fBusy = aBusy;
    if (aBusy)
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void TMainFormSearchWindow::EnableStartButton(bool aEnabled)
{
    fForm.StartSearchButton->setEnabled(aEnabled);
    // A search that ended may have filled the text cache.
    if (aEnabled)
        fForm.UpdateClearTextCacheCaption();
}

void TMainFormSearchWindow::EnableStopButton(bool aEnabled)
{
    fForm.StopSearchButton->setEnabled(aEnabled);
}

void TMainFormSearchWindow::ClearPreview()
{
    fForm.ClearPreview();
}

void TMainFormSearchWindow::FocusResultList()
{
    fForm.SearchResultList->setFocus();
}

bool TMainFormSearchWindow::StopperTimerActive() const
{
    return fForm.TimerStopper->isActive();
}

void TMainFormSearchWindow::StartStopperTimer()
{
    fForm.TimerStopper->start();
}

void TMainFormSearchWindow::QueueDeferred(std::function<void()> aCall)
{
    QTimer::singleShot(0, &fForm, std::move(aCall));
}

void TMainFormSearchWindow::CloseWindow()
{
    fForm.close();
}

void TMainFormSearchWindow::ShowTextToFindError(const QString &aError)
{
    fForm.lblTextToFindError->setText(aError);
    fForm.lblTextToFindError->setToolTip(aError);
    fForm.lblTextToFindError->setVisible(!aError.isEmpty());
}

void TMainFormSearchWindow::ReportServerNotStarted(const QString &aDetail)
{
    fForm.ReportServerNotStarted(aDetail);
}

void TMainForm::ConnectSearch()
{
    connect(StartSearchButton, &QToolButton::clicked, this, &TMainForm::StartSearchButtonClick);
    connect(StopSearchButton, &QToolButton::clicked, this, &TMainForm::StopSearchButtonClick);
    connect(TimerStopper, &QTimer::timeout, this, &TMainForm::TimerStopperTimer);
    connect(SearchAllRB, &QRadioButton::clicked, this, &TMainForm::SearchAllRBClick);
    connect(SearchDateRB, &QRadioButton::clicked, this, &TMainForm::SearchDateRBClick);
    connect(chSize1, &QRadioButton::clicked, this, &TMainForm::chSize2Click);
    connect(chSize2, &QRadioButton::clicked, this, &TMainForm::chSize2Click);
    // Enter in the form's edit fields starts a search; in the result list it opens the file, or,
    // with no row selected, starts a search too.
    for (QWidget *field : SearchKeyFields())
        field->installEventFilter(this);
    SearchResultList->OnEnterWithoutSelection = [this] { StartSearchButtonClick(); };
    // Keys that work wherever the focus is in the window.
    const auto shortcut = [this](const QKeySequence &aKeys, auto aAction) {
        auto *key = new QShortcut(aKeys, this);
        key->setContext(Qt::WindowShortcut);
        connect(key, &QShortcut::activated, this, aAction);
    };
    shortcut(QKeySequence(Qt::Key_Escape), [this] {
        if (SearchControl().State() == scSearching)
            StopSearchButtonClick();
    });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), [this] { StartSearchButtonClick(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Enter), [this] { StartSearchButtonClick(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_F), [this] {
        SearchOptionControl->setCurrentWidget(SearchValues);
        edtTextToFind->setFocus(Qt::ShortcutFocusReason);
        edtTextToFind->selectAll();
    });
    shortcut(QKeySequence(Qt::Key_F3), [this] { GoToMatch(true, false); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { GoToMatch(false, false); });
    SearchResultList->OnExtendMenu = [this](QMenu &aMenu) {
        if (SearchControl().State() != scIdle)
            return;
        const bool unread = SearchControl().UnreadDocuments().Count() > 0;
        const bool results = SearchResultList->FileList().Count() > 0;
        if (!unread && !results)
            return;
        if (!aMenu.isEmpty())
            aMenu.addSeparator();
        // Each opens its dialog once the menu has closed.
        if (results)
            connect(aMenu.addAction(Translate(QStringLiteral("Save results..."))), &QAction::triggered, this,
                    [this] { QTimer::singleShot(0, this, &TMainForm::SaveResults); });
        if (unread)
            connect(aMenu.addAction(Translate(QStringLiteral("Documents that could not be read..."))),
                    &QAction::triggered, this,
                    [this] { QTimer::singleShot(0, this, &TMainForm::ShowUnreadDocuments); });
    };
    AskSaveFileName = [this] {
        return QFileDialog::getSaveFileName(this, Translate(QStringLiteral("Save results...")),
                                            QDir::homePath() + QStringLiteral("/results.csv"),
                                            QStringLiteral("CSV (*.csv)"));
    };
}

void TMainForm::SaveResults()
{
    const QString fileName = AskSaveFileName ? AskSaveFileName() : QString();
    if (fileName.isEmpty())
        return;
    // Written beside and renamed over, so a failure leaves an earlier file whole.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(ResultsCsv(SearchResultList->FileList())) < 0 ||
        !file.commit())
        QMessageBox::warning(this, ApplicationTitle(),
                             Translate(QStringLiteral("The results could not be saved.")) + u'\n' +
                                 file.errorString());
}

void TMainForm::ShowUnreadDocuments()
{
    auto *dialog = new TUnreadDocumentsDialog(SearchControl().UnreadDocuments().Entries(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void TMainForm::ReportServerNotStarted(const QString &aDetail)
{
    auto *box =
        new QMessageBox(QMessageBox::Warning, ApplicationTitle(),
                        Translate(QStringLiteral("PDF files, office documents and other documents cannot be "
                                                 "searched: the program that reads them (ordwell-extractd) "
                                                 "could not be started. Plain-text files are still "
                                                 "searched.")),
                        QMessageBox::Ok, this);
    box->setDetailedText(aDetail);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void TMainForm::StartSearchButtonClick()
{
    SearchControl().Start();
}

void TMainForm::StopSearchButtonClick()
{
    SearchControl().RequestStop();
}

void TMainForm::TimerStopperTimer()
{
    TimerStopper->stop();
    SearchControl().StopperTimerFired();
}

void TMainForm::SearchResultListAddPath(const QString &Path, bool &CanAdd)
{
    SearchControl().AcceptPath(Path, CanAdd);
}

void TMainForm::SearchResultListEndSearch()
{
    SearchControl().EndSearch();
}

void TMainForm::FormKeyPress(char16_t Key)
{
    SearchControl().KeyPress(Key);
}

void TMainForm::SearchKeyFilter(QObject *aWatched, QEvent *aEvent)
{
    if (aEvent->type() != QEvent::KeyPress)
        return;
    const int key = static_cast<QKeyEvent *>(aEvent)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    for (const QObject *field : SearchKeyFields())
        if (aWatched == field)
            FormKeyPress(u'\r');
}

std::array<QWidget *, 6> TMainForm::SearchKeyFields() const
{
    return {SearchField, edtTextToFind, edtExclude, SearchMinDate, SearchMaxDate, FileSize};
}

void TMainForm::SearchAllRBClick()
{
    if (!SearchAllRB->isChecked())
        return;
    SearchDateRB->setChecked(false);
    ApplySearchFormEnabling();
}

void TMainForm::SearchDateRBClick()
{
    if (SearchDateRB->isChecked())
        ApplySearchFormEnabling();
}

void TMainForm::chSize2Click()
{
    ApplySearchFormEnabling();
}

void TMainForm::ApplySearchFormEnabling()
{
    const TSearchFormEnabling enabling = SearchFormEnabling(fSearchWindow->SearchFormValues());
    for (QWidget *control :
         std::initializer_list<QWidget *>{SearchMinDate, SearchMaxDate, SearchOptionsCombo, Label3, Label4})
        control->setEnabled(enabling.DateRange);
    for (QWidget *control : std::initializer_list<QWidget *>{FileSizeCombo, FileSize, UpDown1, Label6})
        control->setEnabled(enabling.SizeLimit);
}
