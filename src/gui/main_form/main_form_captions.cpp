// The captions of the main window outside its translation table (TranslateInterface sets those),
// set again after every language change, and the About box text.
#include "app/about_text.h"
#include "filesearch/file_list.h"
#include "gui/main_form/main_form.h"
#include "i18n/translation.h"

#include <QDate>
#include <QStandardItemModel>
#include <QToolButton>

void TMainForm::SetCaptions()
{
    // The invisible button shows the plain English About box, so its hint stays English too.
    SpeedButton1->setToolTip(QStringLiteral("About Program"));
    SearchResultList->FileList().SetColumnCaptions(
        {Translate(QStringLiteral("Name")), Translate(QStringLiteral("In Folder")),
         Translate(QStringLiteral("Size")), Translate(QStringLiteral("Type")),
         Translate(QStringLiteral("Date modified"))});
    Panel7ConstrainedResize();
    Panel8ConstrainedResize();
}

QString TMainForm::AboutText(bool aTranslated) const
{
    const int year = QDate::currentDate().year();
    if (aTranslated)
        return AboutBoxText(year, Translate);
    return AboutBoxText(year, [](const QString &aPhrase) { return aPhrase; });
}
