// Every caption and hint of the main window, set in one place so that a language change can set
// them all again.
#include "app/about_text.h"
#include "app/link_label.h"
#include "app/main_form.h"
#include "app/page_control.h"
#include "app/wrap_check_box.h"
#include "filesearch/file_list.h"
#include "filesearch/file_list_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QToolButton>

namespace {
// The phrase in the current language. English only for now: this becomes a call of the
// translation table's Translate when it is linked in.
QString Tr(const QString &aPhrase)
{
    return aPhrase;
}
} // namespace

void TMainForm::SetCaptions()
{
    SearchOptionControl->setTabText(SearchOptionControl->indexOf(SearchValues), Tr(QStringLiteral("Filter")));
    SearchOptionControl->setTabText(SearchOptionControl->indexOf(SearchDate), Tr(QStringLiteral("Date")));
    SearchOptionControl->setTabText(SearchOptionControl->indexOf(TabSheet1), Tr(QStringLiteral("Size")));
    SearchOptionControl->setTabText(SearchOptionControl->indexOf(SearchAdvanced),
                                    Tr(QStringLiteral("Advanced")));
    Label1->setText(Tr(QStringLiteral("File Name Filter:")));
    Label2->setText(Tr(QStringLiteral("Text to find:")));
    SearchAllRB->setText(Tr(QStringLiteral("All files")));
    SearchDateRB->setText(Tr(QStringLiteral("Find files")));
    SearchOptionsCombo->setItemText(0, Tr(QStringLiteral("Accessed")));
    SearchOptionsCombo->setItemText(1, Tr(QStringLiteral("Created")));
    SearchOptionsCombo->setItemText(2, Tr(QStringLiteral("Modified")));
    Label3->setText(Tr(QStringLiteral("between")));
    Label4->setText(Tr(QStringLiteral("and")));
    chSize1->setText(Tr(QStringLiteral("All files")));
    chSize2->setText(Tr(QStringLiteral("Size is:")));
    FileSizeCombo->setItemText(0, Tr(QStringLiteral("greater or equals")));
    FileSizeCombo->setItemText(1, Tr(QStringLiteral("less or equals")));
    Label6->setText(Tr(QStringLiteral("KB")));
    chkShowHidden->setText(Tr(QStringLiteral("Show hidden objects in result")));
    chSearchInSubfolders->setText(Tr(QStringLiteral("Search in subfolders")));
    CheckBox1->SetCaption(Tr(QStringLiteral("Search in unrecognized formats (preview is unavailable)")));
    Panel6->setText(QStringLiteral("  ") + Tr(QStringLiteral("Where to search:")));
    Label8->setText(Tr(QStringLiteral("Uncheck All")));
    StaticText1->setText(Tr(QStringLiteral("No Folders Selected")));
    StartSearchButton->setToolTip(Tr(QStringLiteral("Search Now")));
    StopSearchButton->setToolTip(Tr(QStringLiteral("Cancel Search")));
    SpeedButton2->setToolTip(Tr(QStringLiteral("Language")));
    SpeedButton3->setToolTip(Tr(QStringLiteral("About Program")));
    btPrevious->setToolTip(Tr(QStringLiteral("Previous match")));
    btNext->setToolTip(Tr(QStringLiteral("Next match")));
    SpeedButton1->setToolTip(Tr(QStringLiteral("About Program")));
    StaticText2->setText(Tr(QStringLiteral("Preview is not Available")));
    SearchResultList->FileList().SetColumnCaptions({Tr(QStringLiteral("Name")), Tr(QStringLiteral("In Folder")),
                                               Tr(QStringLiteral("Size")), Tr(QStringLiteral("Type")),
                                               Tr(QStringLiteral("Date modified"))});
    Panel7ConstrainedResize();
    Panel8ConstrainedResize();
}

QString TMainForm::AboutText(bool aTranslated) const
{
    const int year = QDate::currentDate().year();
    if (aTranslated)
        return AboutBoxText(year, Tr);
    return AboutBoxText(year, [](const QString &aPhrase) { return aPhrase; });
}
