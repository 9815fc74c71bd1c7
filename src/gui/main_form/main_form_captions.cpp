// The captions of the main window outside its translation table (TranslateInterface sets those),
// set again after every language change, and the About box text.
#include "app/about_text.h"
#include "filesearch/file_list.h"
#include "gui/main_form/main_form.h"
#include "i18n/translation.h"

#include <QCheckBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QToolButton>

void TMainForm::SetCaptions()
{
    // The invisible button shows the plain English About box, so its hint stays English too.
    SpeedButton1->setToolTip(QStringLiteral("About Program"));
    chkMatchCase->setText(Translate(QStringLiteral("Match case")));
    chkWholeWords->setText(Translate(QStringLiteral("Whole words only")));
    chkRegularExpression->setText(Translate(QStringLiteral("Regular expression")));
    chkRegularExpression->setToolTip(Translate(QStringLiteral(
        "The text to find is a regular expression (Perl syntax), for example invoice\\s+\\d+")));
    lblExclude->setText(Translate(QStringLiteral("Exclude:")));
    edtExclude->setToolTip(
        Translate(QStringLiteral("Names of folders and files to leave out, separated by \";\" "
                                 "(wildcards * and ?), for example .git;node_modules;*.bak")));
    lblExtractionServer->setText(Translate(QStringLiteral("Text-extraction server:")));
    edtExtractionServer->setPlaceholderText(Translate(QStringLiteral("automatic")));
    edtExtractionServer->setToolTip(
        Translate(QStringLiteral("Leave empty to let the program find or start its own server, or enter the "
                                 "address of a Tika server, for example http://127.0.0.1:9998/tika")));
    chkTextCache->setText(Translate(QStringLiteral("Keep the text of documents in a cache")));
    UpdateClearTextCacheCaption();
    SearchResultList->FileList().SetColumnCaptions(
        {Translate(QStringLiteral("Name")), Translate(QStringLiteral("In Folder")),
         Translate(QStringLiteral("Size")), Translate(QStringLiteral("Type")),
         Translate(QStringLiteral("Date modified")), Translate(QStringLiteral("Matches")),
         Translate(QStringLiteral("Context"))});
    btnAddFolder->setText(Translate(QStringLiteral("Add folder...")));
    Panel7ConstrainedResize();
    Panel8ConstrainedResize();
    SetKeyboardAccess();
}

void TMainForm::UpdateClearTextCacheCaption()
{
    const std::shared_ptr<TTextCache> cache = fSession->TextCache();
    const int64_t size = cache ? cache->SizeOnDisk() : 0;
    btnClearTextCache->setText(Translate(QStringLiteral("Clear document cache")) + QStringLiteral(" (") +
                               locale().formattedDataSize(size) + u')');
    AssignMnemonics();
}

QString TMainForm::AboutText(bool aTranslated) const
{
    const int year = QDate::currentDate().year();
    if (aTranslated)
        return AboutBoxText(year, Translate);
    return AboutBoxText(year, [](const QString &aPhrase) { return aPhrase; });
}
