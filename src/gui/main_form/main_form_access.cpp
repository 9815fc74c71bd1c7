// Keyboard and assistive-technology access to the main window: the mnemonics of the captions,
// the keys the hints name, and the names and descriptions screen readers announce. All are set
// again after every language change, from the captions and hints of the language shown.
#include "gui/main_form/main_form.h"
#include "gui/views/shell_tree.h"
#include "gui/widgets/link_label.h"
#include "gui/widgets/page_control.h"
#include "gui/widgets/up_down.h"
#include "gui/widgets/wrap_check_box.h"
#include "i18n/mnemonics.h"
#include "i18n/translation.h"
#include "platform/file_name.h"
#include "platform/long_path_access.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDropEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>
#include <QUrl>

namespace {

// A caption as a name: its mnemonic, surrounding space and a closing colon removed.
QString NameOf(const QString &aCaption)
{
    QString name = WithoutMnemonic(aCaption).trimmed();
    if (name.endsWith(u':') || name.endsWith(u'\uFF1A'))
        name.chop(1);
    return name.trimmed();
}

// A hint followed by the key that does the same, in the words of the platform.
QString WithKey(const QString &aHint, const QKeySequence &aKey)
{
    return aHint + QStringLiteral(" (") + aKey.toString(QKeySequence::NativeText) + u')';
}

// A caption that takes part in the mnemonics of a group: reads and writes its text.
struct TCaption
{
    std::function<QString()> fGet;
    std::function<void(const QString &)> fSet;
};

TCaption CaptionOf(QAbstractButton *aButton)
{
    return {[aButton] { return aButton->text(); },
            [aButton](const QString &aText) { aButton->setText(aText); }};
}

TCaption CaptionOf(QLabel *aLabel)
{
    return {[aLabel] { return aLabel->text(); }, [aLabel](const QString &aText) { aLabel->setText(aText); }};
}

// Gives the captions of a group their mnemonics, none of aTaken's; returns aTaken with the
// group's added.
QString AssignGroup(const std::vector<TCaption> &aGroup, QString aTaken)
{
    QStringList plain;
    for (const TCaption &caption : aGroup)
        plain << WithoutMnemonic(caption.fGet());
    const QStringList marked = WithMnemonics(plain, aTaken);
    for (size_t i = 0; i < aGroup.size(); ++i)
        aGroup[i].fSet(marked[qsizetype(i)]);
    return aTaken;
}

} // namespace

void TMainForm::SetKeyboardAccess()
{
    AssignMnemonics();

    // The names screen readers announce: a control's own caption, else the caption of its label,
    // else its hint; a hint that says more than the name becomes the description.
    for (QToolButton *button :
         {StartSearchButton, StopSearchButton, SpeedButton2, SpeedButton3, btPrevious, btNext})
        button->setAccessibleName(NameOf(button->toolTip()));

    // The hints name the keys that do the same.
    StartSearchButton->setToolTip(
        WithKey(StartSearchButton->toolTip(), QKeySequence(Qt::CTRL | Qt::Key_Return)));
    StopSearchButton->setToolTip(WithKey(StopSearchButton->toolTip(), QKeySequence(Qt::Key_Escape)));
    btPrevious->setToolTip(WithKey(btPrevious->toolTip(), QKeySequence(Qt::SHIFT | Qt::Key_F3)));
    btNext->setToolTip(WithKey(btNext->toolTip(), QKeySequence(Qt::Key_F3)));
    edtTextToFind->setToolTip(WithKey(NameOf(Label2->text()), QKeySequence(Qt::CTRL | Qt::Key_F)));
    for (QToolButton *button : {StartSearchButton, StopSearchButton, btPrevious, btNext})
        button->setAccessibleDescription(button->toolTip());

    SpeedButton1->setAccessibleName(SpeedButton1->toolTip());
    btnAddFolder->setAccessibleName(NameOf(btnAddFolder->text()));
    Label8->setAccessibleName(NameOf(Label8->text()));
    lbHomepageURL->setAccessibleName(lbHomepageURL->text());
    SearchOptionControl->tabBar()->setAccessibleName(Translate(QStringLiteral("Search options")));
    SearchField->setAccessibleName(NameOf(Label1->text()));
    edtTextToFind->setAccessibleName(NameOf(Label2->text()));
    edtExclude->setAccessibleName(NameOf(lblExclude->text()));
    edtExclude->setAccessibleDescription(edtExclude->toolTip());
    SearchOptionsCombo->setAccessibleName(NameOf(SearchDateRB->text()));
    SearchMinDate->setAccessibleName(NameOf(SearchDateRB->text()) + u' ' + NameOf(Label3->text()));
    SearchMaxDate->setAccessibleName(NameOf(SearchDateRB->text()) + u' ' + NameOf(Label4->text()));
    FileSizeCombo->setAccessibleName(NameOf(chSize2->text()));
    FileSize->setAccessibleName(NameOf(chSize2->text()) + QStringLiteral(" (") + NameOf(Label6->text()) +
                                u')');
    UpDown1->setAccessibleName(FileSize->accessibleName());
    CheckBox1->setAccessibleName(NameOf(CheckBox1->Caption()));
    chkRegularExpression->setAccessibleDescription(chkRegularExpression->toolTip());
    edtExtractionServer->setAccessibleName(NameOf(lblExtractionServer->text()));
    edtExtractionServer->setAccessibleDescription(edtExtractionServer->toolTip());
    ZorShellTree1->setAccessibleName(NameOf(Panel6->text()));
    Memo1->setAccessibleName(Translate(QStringLiteral("Selected folders")));
    SearchResultList->setAccessibleName(Translate(QStringLiteral("Search results")));
    FPreview->setAccessibleName(Translate(QStringLiteral("Preview")));
    // The Advanced page scrolls: a screen reader names its area after the page's tab.
    const int advanced = SearchOptionControl->indexOf(SearchAdvanced);
    SearchAdvanced->setAccessibleName(NameOf(SearchOptionControl->tabText(advanced)));
}

void TMainForm::AssignMnemonics()
{
    // The tabs and the header's button are always on screen: the pages' captions keep clear of
    // them.
    std::vector<TCaption> window;
    for (int page = 0; page < SearchOptionControl->count(); ++page)
        window.push_back(
            {[this, page] { return SearchOptionControl->tabText(page); },
             [this, page](const QString &aText) { SearchOptionControl->setTabText(page, aText); }});
    window.push_back(CaptionOf(btnAddFolder));
    const QString taken = AssignGroup(window, {});

    AssignGroup({CaptionOf(Label1), CaptionOf(Label2), CaptionOf(lblExclude)}, taken);
    AssignGroup({CaptionOf(SearchAllRB), CaptionOf(SearchDateRB), CaptionOf(Label3), CaptionOf(Label4)},
                taken);
    AssignGroup({CaptionOf(chSize1), CaptionOf(chSize2), CaptionOf(Label6)}, taken);
    AssignGroup({CaptionOf(chkShowHidden), CaptionOf(chSearchInSubfolders),
                 TCaption{[this] { return CheckBox1->Caption(); },
                          [this](const QString &aText) { CheckBox1->SetCaption(aText); }},
                 CaptionOf(chkMatchCase), CaptionOf(chkWholeWords), CaptionOf(chkRegularExpression),
                 CaptionOf(lblExtractionServer), CaptionOf(chkTextCache), CaptionOf(btnClearTextCache)},
                taken);
}

void TMainForm::btnAddFolderClick()
{
    const QString folder = AskFolder ? AskFolder() : QString();
    if (!folder.isEmpty())
        AddFolders({folder});
}

namespace {

// The local folders a drag carries.
QStringList DraggedFolders(const QMimeData *aData)
{
    QStringList folders;
    if (!aData || !aData->hasUrls())
        return folders;
    for (const QUrl &url : aData->urls()) {
        const QString path = url.isLocalFile() ? PathOfFileUrl(url) : QString();
        if (!path.isEmpty() && IsFolder(path))
            folders << path;
    }
    return folders;
}

} // namespace

bool TMainForm::FolderDropFilter(QObject *aWatched, QEvent *aEvent)
{
    if (aWatched != ZorShellTree1->viewport() && aWatched != Memo1->viewport())
        return false;
    switch (aEvent->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(aEvent);
        if (DraggedFolders(drag->mimeData()).isEmpty())
            return false;
        drag->setDropAction(Qt::LinkAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(aEvent);
        const QStringList folders = DraggedFolders(drop->mimeData());
        if (folders.isEmpty())
            return false;
        drop->setDropAction(Qt::LinkAction);
        drop->accept();
        AddFolders(folders);
        return true;
    }
    default:
        return false;
    }
}

void TMainForm::AddFolders(const QStringList &aFolders)
{
    TZorSelectionList &list = ZorShellLink1->SelectionList();
    QString last;
    list.BeginUpdate();
    for (const QString &folder : aFolders) {
        if (folder.isEmpty())
            continue;
        list.AddPathToSelection(FolderEntry(folder));
        last = folder;
    }
    list.EndUpdate();
    if (last.isEmpty())
        return;
    ZorShellTree1->SetSelectedFolder(last);
    RestartListUpdateTimer();
}
