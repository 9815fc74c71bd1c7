// The language menu behind the language button and the translation of the window's texts, which
// a pick in the menu applies at once.
#include "gui/main_form/main_form.h"
#include "gui/views/shell_tree.h"
#include "gui/widgets/link_label.h"
#include "gui/widgets/page_control.h"
#include "gui/widgets/wrap_check_box.h"
#include "i18n/interface_texts.h"
#include "i18n/language_choice.h"
#include "i18n/translation.h"

#include <functional>
#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QRadioButton>
#include <QToolButton>
#include <stdexcept>

namespace {

// Replaces the items of aCombo by aItems and selects the item that was selected before.
void SetComboItems(QComboBox *aCombo, const QStringList &aItems)
{
    const int selected = aCombo->currentIndex();
    for (int i = 0; i < aItems.size(); ++i) {
        if (i < aCombo->count())
            aCombo->setItemText(i, aItems[i]);
        else
            aCombo->addItem(aItems[i]);
    }
    aCombo->setCurrentIndex(selected);
}

} // namespace

void TMainForm::UpdateLanguageMenu()
{
    PopupMenuLang->clear();
    for (int i = 0; i < TranslationTable().size(); ++i) {
        const QStringList &column = TranslationTable()[i];
        QAction *entry = PopupMenuLang->addAction(column.value(0));
        entry->setData(i);
        entry->setCheckable(true);
        entry->setChecked(i == CurrentLanguageIndex());
        connect(entry, &QAction::triggered, this, [this, entry] { MItemClick(entry); });
    }
}

void TMainForm::SpeedButton2Click()
{
    PopupMenuLang->popup(SpeedButton2->mapToGlobal(QPoint(0, SpeedButton2->height())));
}

void TMainForm::MItemClick(QAction *aSender)
{
    for (QAction *entry : PopupMenuLang->actions())
        entry->setChecked(false);
    CurrentLanguageIndex() = aSender->data().toInt();
    aSender->setChecked(true);
    CurrentLanguageCode() = TranslationTable().value(CurrentLanguageIndex()).value(1);
    try {
        SaveCurrentLanguage();
    } catch (const std::runtime_error &) {
        // The choice only lasts for this run; the window still speaks the language now shown
        // as checked, rather than staying in the old one while new texts come in the new one.
    }
    TranslateInterface();
}

void TMainForm::TranslateInterface()
{
    const auto tab = [this](QWidget *aPage) {
        return [this, aPage](const QStringList &aTexts) {
            SearchOptionControl->setTabText(SearchOptionControl->indexOf(aPage), aTexts.value(0));
        };
    };
    const auto label = [](QLabel *aLabel) {
        return [aLabel](const QStringList &aTexts) { aLabel->setText(aTexts.value(0)); };
    };
    const auto button = [](QAbstractButton *aButton) {
        return [aButton](const QStringList &aTexts) { aButton->setText(aTexts.value(0)); };
    };
    const auto hint = [](QWidget *aControl) {
        return [aControl](const QStringList &aTexts) { aControl->setToolTip(aTexts.value(0)); };
    };
    const auto items = [](QComboBox *aCombo) {
        return [aCombo](const QStringList &aTexts) { SetComboItems(aCombo, aTexts); };
    };
    const QHash<QString, std::function<void(const QStringList &)>> setters = {
        {QStringLiteral("SearchValues"), tab(SearchValues)},
        {QStringLiteral("Label1"), label(Label1)},
        {QStringLiteral("Label2"), label(Label2)},
        {QStringLiteral("SearchDate"), tab(SearchDate)},
        {QStringLiteral("SearchAllRB"), button(SearchAllRB)},
        {QStringLiteral("SearchDateRB"), button(SearchDateRB)},
        {QStringLiteral("Label3"), label(Label3)},
        {QStringLiteral("SearchOptionsCombo"), items(SearchOptionsCombo)},
        {QStringLiteral("Label4"), label(Label4)},
        {QStringLiteral("TabSheet1"), tab(TabSheet1)},
        {QStringLiteral("chSize1"), button(chSize1)},
        {QStringLiteral("chSize2"), button(chSize2)},
        {QStringLiteral("FileSizeCombo"), items(FileSizeCombo)},
        {QStringLiteral("Label6"), label(Label6)},
        {QStringLiteral("SearchAdvanced"), tab(SearchAdvanced)},
        {QStringLiteral("chkShowHidden"), button(chkShowHidden)},
        {QStringLiteral("chSearchInSubfolders"), button(chSearchInSubfolders)},
        {QStringLiteral("CheckBox1"),
         [this](const QStringList &aTexts) { CheckBox1->SetCaption(aTexts.value(0)); }},
        {QStringLiteral("Panel6"), label(Panel6)},
        {QStringLiteral("Label8"), label(Label8)},
        {QStringLiteral("StaticText1"), label(StaticText1)},
        {QStringLiteral("StaticText2"), label(StaticText2)},
        {QStringLiteral("StatusBar1"), [this](const QStringList &aTexts) { SetStatusText(aTexts.value(0)); }},
        {QStringLiteral("StartSearchButton"), hint(StartSearchButton)},
        {QStringLiteral("StopSearchButton"), hint(StopSearchButton)},
        {QStringLiteral("SpeedButton2"), hint(SpeedButton2)},
        {QStringLiteral("btPrevious"), hint(btPrevious)},
        {QStringLiteral("btNext"), hint(btNext)},
        {QStringLiteral("SpeedButton3"), hint(SpeedButton3)},
    };
    for (const TInterfaceText &row : InterfaceTexts()) {
        const auto setter = setters.constFind(row.fControl);
        if (setter != setters.constEnd())
            (*setter)(TranslatedInterfaceTexts(row));
    }
    // A right-to-left language mirrors the whole window (and the program's dialogs).
    QGuiApplication::setLayoutDirection(QLocale(CurrentLanguageCode()).textDirection());
    FormResize();
    // The tree's root is the drives folder, whose name is translated too.
    if (ZorShellTree1)
        ZorShellTree1->Model().SetRootText(Translate(QStringLiteral("Computer")));
    // The texts outside the table that belong to the window itself, and the notices' new centres.
    SetCaptions();
}
