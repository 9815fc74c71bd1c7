// The main window's translated texts as a table of (control, property, English text), and the
// list of every phrase the program passes through Translate.
#include "i18n/interface_texts.h"

#include "i18n/translation.h"
#include "platform/program_info.h"

#include <QUrl>

namespace {

const QString kVendorName = QStringLiteral("Brannick Software");

QStringList AboutNoticePhrases()
{
    return {QStringLiteral("This program is provided as is, without warranty of any kind."),
            QStringLiteral("The authors are not liable for any damage arising from its use."),
            QStringLiteral("You may use and share it free of charge."),
            QStringLiteral("Your files are read on this computer only and are never sent elsewhere.")};
}

// Phrases set outside the window's table, where the text is shown.
QStringList RunTimePhrases()
{
    return {
        // about box
        QStringLiteral("Version:"), QStringLiteral("Website:"), QStringLiteral(" "),
        QStringLiteral("Copyright"),
        // status line
        QStringLiteral("Searching..."), QStringLiteral("Items found:"), QStringLiteral("Processing:"),
        // result list columns and commands
        QStringLiteral("Name"), QStringLiteral("In Folder"), QStringLiteral("Type"),
        QStringLiteral("Date modified"), QStringLiteral("Matches"), QStringLiteral("Context"),
        QStringLiteral("Open"), QStringLiteral("Open containing folder"), QStringLiteral("Copy"),
        QStringLiteral("Cut"), QStringLiteral("Paste"), QStringLiteral("Copy path"), QStringLiteral("Rename"),
        QStringLiteral("Move to trash"), QStringLiteral("Properties"), QStringLiteral("Path:"),
        QStringLiteral("Type:"), QStringLiteral("Size:"), QStringLiteral("Created:"),
        QStringLiteral("Modified:"), QStringLiteral("Accessed:"), QStringLiteral("Permissions:"),
        QStringLiteral("Move the selected files to the trash?"), QStringLiteral("Cannot rename the file."),
        QStringLiteral("Cannot move the file to the trash."), QStringLiteral("Computer"),
        // new-version dialog and installer download
        QStringLiteral("The new version %s is available"),
        QStringLiteral("This version of the software is out of date. You must download the current "
                       "version %s to continue using the software."),
        QStringLiteral("What's new:"), QStringLiteral("Update Now"), QStringLiteral("Skip"),
        QStringLiteral("Exit"), QStringLiteral("Cancel"), QStringLiteral("Abort"),
        QStringLiteral("Download is cancelled. Please download manually."),
        QStringLiteral("Cannot find downloaded file."),
        QStringLiteral("Failed to download update. Please download manually on website."),
        QStringLiteral("The downloaded file does not match the checksum published by the vendor. It has "
                       "been removed and was not started."),
        QStringLiteral("The download cannot be verified: the vendor has published no checksum for it. Start "
                       "it anyway?"),
        QStringLiteral("Start Anyway"), QStringLiteral("Install it with your system's package manager."),
        QStringLiteral("Only the first 2 MB of this file are shown."),
        // documents that could not be read, the extraction server
        QStringLiteral("1 document could not be read"), QStringLiteral("%s documents could not be read"),
        QStringLiteral("Documents that could not be read..."),
        QStringLiteral("Documents that could not be read"), QStringLiteral("Document"),
        QStringLiteral("Reason"), QStringLiteral("Close"),
        QStringLiteral("The text-extraction server does not answer."),
        QStringLiteral("The text-extraction server could not be started."),
        QStringLiteral("The document is encrypted or protected by a password."),
        QStringLiteral("The document is damaged or cannot be read."),
        QStringLiteral("Reading the document took too long."),
        QStringLiteral("The document is too large to be read."), QStringLiteral("The file cannot be opened."),
        QStringLiteral("The text-extraction server reported an error."),
        QStringLiteral(
            "PDF files, office documents and other documents cannot be searched: the program that "
            "reads them (ordwell-extractd) could not be started. Plain-text files are still searched."),
        QStringLiteral("Text-extraction server:"), QStringLiteral("automatic"), QStringLiteral("Exclude:"),
        QStringLiteral("Save results..."), QStringLiteral("The results could not be saved."),
        QStringLiteral("Match case"), QStringLiteral("Whole words only"),
        QStringLiteral("Regular expression"),
        QStringLiteral("The text to find is a regular expression (Perl syntax), for example invoice\\s+\\d+"),
        QStringLiteral("Names of folders and files to leave out, separated by \";\" (wildcards * and ?), for "
                       "example .git;node_modules;*.bak"),
        QStringLiteral(
            "Leave empty to let the program find or start its own server, or enter the address of a "
            "Tika server, for example http://127.0.0.1:9998/tika"),
        QStringLiteral("Keep the text of documents in a cache"), QStringLiteral("Clear document cache"),
        // keys, screen readers, folders and the preview's count
        QStringLiteral("Add folder..."), QStringLiteral("Search options"), QStringLiteral("Selected folders"),
        QStringLiteral("Search results"), QStringLiteral("Preview"), QStringLiteral("Match %1 of %2")};
}

} // namespace

const std::vector<TInterfaceText> &InterfaceTexts()
{
    static const std::vector<TInterfaceText> kRows = {
        {QStringLiteral("SearchValues"), ipTabCaption, {QStringLiteral("Filter")}, {}, {}},
        {QStringLiteral("Label1"), ipCaption, {QStringLiteral("File Name Filter:")}, {}, {}},
        {QStringLiteral("Label2"), ipCaption, {QStringLiteral("Text to find:")}, {}, {}},
        {QStringLiteral("SearchDate"), ipTabCaption, {QStringLiteral("Date")}, {}, {}},
        {QStringLiteral("SearchAllRB"), ipCaption, {QStringLiteral("All files")}, {}, {}},
        {QStringLiteral("SearchDateRB"), ipCaption, {QStringLiteral("Find files")}, {}, {}},
        {QStringLiteral("Label3"), ipCaption, {QStringLiteral("between")}, {}, {}},
        {QStringLiteral("SearchOptionsCombo"),
         ipItems,
         {QStringLiteral("Accessed"), QStringLiteral("Created"), QStringLiteral("Modified")},
         {},
         {}},
        {QStringLiteral("Label4"), ipCaption, {QStringLiteral("and")}, {}, {}},
        {QStringLiteral("TabSheet1"), ipTabCaption, {QStringLiteral("Size")}, {}, {}},
        {QStringLiteral("chSize1"), ipCaption, {QStringLiteral("All files")}, {}, {}},
        {QStringLiteral("chSize2"), ipCaption, {QStringLiteral("Size is:")}, {}, {}},
        {QStringLiteral("FileSizeCombo"),
         ipItems,
         {QStringLiteral("greater or equals"), QStringLiteral("less or equals")},
         {},
         {}},
        {QStringLiteral("Label6"), ipCaption, {QStringLiteral("KB")}, {}, {}},
        {QStringLiteral("SearchAdvanced"), ipTabCaption, {QStringLiteral("Advanced")}, {}, {}},
        {QStringLiteral("chkShowHidden"),
         ipCaption,
         {QStringLiteral("Show hidden objects in result")},
         {},
         {}},
        {QStringLiteral("chSearchInSubfolders"), ipCaption, {QStringLiteral("Search in subfolders")}, {}, {}},
        {QStringLiteral("CheckBox1"),
         ipCaption,
         {QStringLiteral("Search in unrecognized formats (preview is unavailable)")},
         {},
         {}},
        {QStringLiteral("Panel6"), ipCaption, {QStringLiteral("Where to search:")}, QStringLiteral("  "), {}},
        {QStringLiteral("Label8"), ipCaption, {QStringLiteral("Uncheck All")}, {}, {}},
        {QStringLiteral("StaticText1"), ipCaption, {QStringLiteral("No Folders Selected")}, {}, {}},
        {QStringLiteral("StaticText2"), ipCaption, {QStringLiteral("Preview is not Available")}, {}, {}},
        {QStringLiteral("StatusBar1"), ipStatusText, {QStringLiteral("Ready")}, QStringLiteral("  "), {}},
        {QStringLiteral("StartSearchButton"), ipHint, {QStringLiteral("Search Now")}, {}, {}},
        {QStringLiteral("StopSearchButton"), ipHint, {QStringLiteral("Cancel Search")}, {}, {}},
        {QStringLiteral("SpeedButton2"), ipHint, {QStringLiteral("Language")}, {}, {}},
        {QStringLiteral("btPrevious"), ipHint, {QStringLiteral("Previous match")}, {}, {}},
        {QStringLiteral("btNext"), ipHint, {QStringLiteral("Next match")}, {}, {}},
        {QStringLiteral("SpeedButton3"), ipHint, {QStringLiteral("About...")}, {}, QStringLiteral("...")},
    };
    return kRows;
}

QStringList TranslatedInterfaceTexts(const TInterfaceText &aRow)
{
    QStringList texts;
    for (const QString &english : aRow.fEnglish)
        texts.append(aRow.fPrefix + Translate(english) + aRow.fSuffix);
    return texts;
}

QStringList ProgramPhrases()
{
    QStringList phrases;
    for (const TInterfaceText &row : InterfaceTexts())
        phrases.append(row.fEnglish);
    phrases.append(AboutNoticePhrases());
    phrases.append(RunTimePhrases());
    phrases.removeDuplicates();
    return phrases;
}

QString AboutBoxText(int aYear)
{
    const QString space = Translate(QStringLiteral(" "));
    QStringList notice;
    for (const QString &phrase : AboutNoticePhrases())
        notice.append(Translate(phrase));
    return ApplicationTitle() + u'\n' + Translate(QStringLiteral("Version:")) + space + ApplicationVersion() +
           QStringLiteral("\n\n") + Translate(QStringLiteral("Website:")) + space +
           QUrl(VendorBaseUrl()).host() + QStringLiteral("\n\n") + notice.join(space) +
           QStringLiteral("\n\n") + Translate(QStringLiteral("Copyright")) + QStringLiteral(" © ") +
           QString::number(aYear) + u' ' + kVendorName;
}
