// The language menu and the window's translation with the shipped "transl.dt": picking a language
// translates every text of the window's table at once, keeps the selected items, resets the status
// line and stores the code.
#include "gui/main_form/main_form.h"
#include "gui/views/shell_tree.h"
#include "gui/widgets/link_label.h"
#include "gui/widgets/page_control.h"
#include "gui/widgets/wrap_check_box.h"
#include "i18n/interface_texts.h"
#include "i18n/language_choice.h"
#include "i18n/mnemonics.h"
#include "i18n/translation.h"

#include <gtest/gtest.h>
#include <memory>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>

namespace {

class MainFormLanguage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fTemp.isValid());
        fOldXdg = qgetenv("XDG_CONFIG_HOME");
        fOldAppData = qgetenv("APPDATA");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(fTemp.filePath(QStringLiteral("config"))));
        qputenv("APPDATA", QFile::encodeName(fTemp.filePath(QStringLiteral("appdata"))));
        // The source tree's table: ORDWELL_SOURCE_DIR when ctest sets it, else the tree built from.
        QString source = qEnvironmentVariable("ORDWELL_SOURCE_DIR");
        if (source.isEmpty())
            source = QStringLiteral(ORDWELL_TEST_SOURCE_DIR);
        LoadTranslationsFrom({source + QStringLiteral("/data/transl.dt")});
        ASSERT_GE(TranslationTable().size(), 3);
        CurrentLanguageIndex() = 0;
        CurrentLanguageCode() = QStringLiteral("en");
        fForm = std::make_unique<TMainForm>(TCommandLine{});
        fForm->show();
    }
    void TearDown() override
    {
        fForm.reset();
        TranslationTable().clear();
        CurrentLanguageIndex() = 0;
        CurrentLanguageCode() = QStringLiteral("en");
        qputenv("XDG_CONFIG_HOME", fOldXdg);
        qputenv("APPDATA", fOldAppData);
    }

    QAction *Entry(const QString &aCode) const
    {
        for (QAction *entry : fForm->PopupMenuLang->actions())
            if (TranslationTable().value(entry->data().toInt()).value(1) == aCode)
                return entry;
        return nullptr;
    }
    QStringList CheckedCodes() const
    {
        QStringList codes;
        for (QAction *entry : fForm->PopupMenuLang->actions())
            if (entry->isChecked())
                codes.append(TranslationTable().value(entry->data().toInt()).value(1));
        return codes;
    }
    // What the window shows for a row of its translation table.
    QStringList Shown(const QString &aControl) const
    {
        TMainForm &f = *fForm;
        const auto tab = [&f](QWidget *aPage) {
            return QStringList{
                WithoutMnemonic(f.SearchOptionControl->tabText(f.SearchOptionControl->indexOf(aPage)))};
        };
        const auto items = [](QComboBox *aCombo) {
            QStringList texts;
            for (int i = 0; i < aCombo->count(); ++i)
                texts.append(aCombo->itemText(i));
            return texts;
        };
        if (aControl == u"SearchValues")
            return tab(f.SearchValues);
        if (aControl == u"SearchDate")
            return tab(f.SearchDate);
        if (aControl == u"TabSheet1")
            return tab(f.TabSheet1);
        if (aControl == u"SearchAdvanced")
            return tab(f.SearchAdvanced);
        if (aControl == u"SearchOptionsCombo")
            return items(f.SearchOptionsCombo);
        if (aControl == u"FileSizeCombo")
            return items(f.FileSizeCombo);
        if (aControl == u"StatusBar1")
            return {f.StatusText()};
        if (aControl == u"CheckBox1")
            return {WithoutMnemonic(f.CheckBox1->Caption())};
        if (aControl == u"Label1")
            return {WithoutMnemonic(f.Label1->text())};
        if (aControl == u"Label2")
            return {WithoutMnemonic(f.Label2->text())};
        if (aControl == u"Label3")
            return {WithoutMnemonic(f.Label3->text())};
        if (aControl == u"Label4")
            return {WithoutMnemonic(f.Label4->text())};
        if (aControl == u"Label6")
            return {WithoutMnemonic(f.Label6->text())};
        if (aControl == u"Label8")
            return {WithoutMnemonic(f.Label8->text())};
        if (aControl == u"Panel6")
            return {f.Panel6->text()};
        if (aControl == u"StaticText1")
            return {f.StaticText1->text()};
        if (aControl == u"StaticText2")
            return {f.StaticText2->text()};
        if (aControl == u"SearchAllRB")
            return {WithoutMnemonic(f.SearchAllRB->text())};
        if (aControl == u"SearchDateRB")
            return {WithoutMnemonic(f.SearchDateRB->text())};
        if (aControl == u"chSize1")
            return {WithoutMnemonic(f.chSize1->text())};
        if (aControl == u"chSize2")
            return {WithoutMnemonic(f.chSize2->text())};
        if (aControl == u"chkShowHidden")
            return {WithoutMnemonic(f.chkShowHidden->text())};
        if (aControl == u"chSearchInSubfolders")
            return {WithoutMnemonic(f.chSearchInSubfolders->text())};
        if (aControl == u"StartSearchButton")
            return {f.StartSearchButton->accessibleName()}; // the hint without its key
        if (aControl == u"StopSearchButton")
            return {f.StopSearchButton->accessibleName()}; // the hint without its key
        if (aControl == u"SpeedButton2")
            return {f.SpeedButton2->accessibleName()}; // the hint without its key
        if (aControl == u"SpeedButton3")
            return {f.SpeedButton3->accessibleName()}; // the hint without its key
        if (aControl == u"btPrevious")
            return {f.btPrevious->accessibleName()}; // the hint without its key
        if (aControl == u"btNext")
            return {f.btNext->accessibleName()}; // the hint without its key
        ADD_FAILURE() << "no such control " << aControl.toStdString();
        return {};
    }
    QStringList English(const TInterfaceText &aRow) const
    {
        QStringList texts;
        for (const QString &text : aRow.fEnglish)
            texts.append(aRow.fPrefix + text + aRow.fSuffix);
        return texts;
    }

    QTemporaryDir fTemp;
    QByteArray fOldXdg;
    QByteArray fOldAppData;
    std::unique_ptr<TMainForm> fForm;
};

TEST_F(MainFormLanguage, MenuHasOneEntryPerLanguageWithTheCurrentOneChecked)
{
    const QList<QAction *> entries = fForm->PopupMenuLang->actions();
    ASSERT_EQ(entries.size(), TranslationTable().size());
    for (int i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i]->text(), TranslationTable()[i][0]);
        EXPECT_EQ(entries[i]->data().toInt(), i);
    }
    EXPECT_EQ(CheckedCodes(), QStringList{QStringLiteral("en")});
}

TEST_F(MainFormLanguage, EnglishWindowShowsTheTableAsDesigned)
{
    ASSERT_EQ(InterfaceTexts().size(), 29u);
    for (const TInterfaceText &row : InterfaceTexts())
        EXPECT_EQ(Shown(row.fControl), English(row)) << row.fControl.toStdString();
    EXPECT_EQ(fForm->SpeedButton3->toolTip(), QStringLiteral("About......"));
}

TEST_F(MainFormLanguage, FrenchThenEnglishChangesEveryTextAndBack)
{
    fForm->SearchOptionsCombo->setCurrentIndex(1);
    fForm->FileSizeCombo->setCurrentIndex(1);
    fForm->SetStatusText(QStringLiteral("Items found: 12"));
    Entry(QStringLiteral("fr"))->trigger();

    EXPECT_EQ(CheckedCodes(), QStringList{QStringLiteral("fr")});
    EXPECT_EQ(CurrentLanguageCode(), QStringLiteral("fr"));
    EXPECT_EQ(ReadStoredLanguage(), std::optional<QString>(QStringLiteral("fr")));
    int changed = 0;
    for (const TInterfaceText &row : InterfaceTexts()) {
        const QStringList shown = Shown(row.fControl);
        EXPECT_EQ(shown, TranslatedInterfaceTexts(row)) << row.fControl.toStdString();
        changed += shown != English(row) ? 1 : 0;
    }
    // Every row of the shipped French column differs from English except a unit such as "KB".
    EXPECT_GE(changed, 27);
    EXPECT_EQ(fForm->SearchOptionsCombo->currentIndex(), 1);
    EXPECT_EQ(fForm->SearchOptionsCombo->currentText(), Translate(QStringLiteral("Created")));
    EXPECT_NE(fForm->SearchOptionsCombo->currentText(), QStringLiteral("Created"));
    EXPECT_EQ(fForm->FileSizeCombo->currentIndex(), 1);
    EXPECT_EQ(fForm->StatusText(), QStringLiteral("  ") + Translate(QStringLiteral("Ready")));
    const auto rootText = [this] {
        const TZorShellTreeNode *root = fForm->ZorShellTree1->Model().RootNode();
        return root ? root->Text() : QString();
    };
    EXPECT_EQ(rootText(), Translate(QStringLiteral("Computer")));

    Entry(QStringLiteral("en"))->trigger();
    EXPECT_EQ(rootText(), QStringLiteral("Computer"));
    EXPECT_EQ(CheckedCodes(), QStringList{QStringLiteral("en")});
    EXPECT_EQ(ReadStoredLanguage(), std::optional<QString>(QStringLiteral("en")));
    for (const TInterfaceText &row : InterfaceTexts())
        EXPECT_EQ(Shown(row.fControl), English(row)) << row.fControl.toStdString();
    EXPECT_EQ(fForm->SearchOptionsCombo->currentText(), QStringLiteral("Created"));
    EXPECT_EQ(fForm->StatusText(), QStringLiteral("  Ready"));
}

TEST_F(MainFormLanguage, EveryLanguageTranslatesTheWholeTable)
{
    for (int i = 1; i < TranslationTable().size(); ++i) {
        fForm->PopupMenuLang->actions()[i]->trigger();
        int changed = 0;
        for (const TInterfaceText &row : InterfaceTexts()) {
            const QStringList shown = Shown(row.fControl);
            EXPECT_EQ(shown, TranslatedInterfaceTexts(row))
                << TranslationTable()[i][1].toStdString() << " " << row.fControl.toStdString();
            changed += shown != English(row) ? 1 : 0;
        }
        // A few words ("Filter", "KB") are the same in some languages; most are not.
        EXPECT_GE(changed, 24) << TranslationTable()[i][1].toStdString();
    }
}

// A caption is cut off when its control is narrower than the caption needs; a word-wrapped one
// when it needs more lines than its height holds.
void ExpectWholeCaptions(QWidget *aPage, const std::string &aWhere)
{
    for (QLabel *label : aPage->findChildren<QLabel *>()) {
        if (!label->isVisibleTo(aPage) || label->text().isEmpty())
            continue;
        if (label->wordWrap())
            EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                << aWhere << ": " << label->text().toStdString();
        else
            EXPECT_GE(label->width(), label->sizeHint().width())
                << aWhere << ": " << label->text().toStdString();
    }
    for (QAbstractButton *button : aPage->findChildren<QAbstractButton *>()) {
        if (!button->isVisibleTo(aPage) || button->text().isEmpty())
            continue;
        EXPECT_GE(button->width(), button->sizeHint().width())
            << aWhere << ": " << button->text().toStdString();
    }
    for (QComboBox *combo : aPage->findChildren<QComboBox *>()) {
        // The width a list with these items needs, asked of a fresh one.
        QComboBox fitted;
        fitted.setFont(combo->font());
        fitted.setSizeAdjustPolicy(QComboBox::AdjustToContents);
        for (int i = 0; i < combo->count(); ++i)
            fitted.addItem(combo->itemText(i));
        EXPECT_GE(combo->width(), fitted.sizeHint().width())
            << aWhere << ": " << combo->itemText(0).toStdString();
    }
}

TEST_F(MainFormLanguage, NoCaptionIsCutOffInAnyLanguage)
{
    fForm->resize(1371, 663);
    for (int i = 0; i < TranslationTable().size(); ++i) {
        fForm->PopupMenuLang->actions()[i]->trigger();
        QCoreApplication::processEvents();
        const std::string code = TranslationTable()[i][1].toStdString();
        QTabBar *tabs = fForm->SearchOptionControl->tabBar();
        EXPECT_LE(tabs->sizeHint().width(), fForm->SearchOptionControl->width()) << code;
        for (int page = 0; page < fForm->SearchOptionControl->count(); ++page) {
            fForm->SearchOptionControl->setCurrentIndex(page);
            QCoreApplication::processEvents();
            ExpectWholeCaptions(fForm->SearchOptionControl->widget(page),
                                code + " page " + std::to_string(page));
        }
        ExpectWholeCaptions(fForm->Panel6, code + " header");
        ExpectWholeCaptions(fForm->Panel7, code + " where-to-search");
        ExpectWholeCaptions(fForm->Panel8, code + " preview");
    }
}

TEST_F(MainFormLanguage, AWindowStartsInTheCurrentLanguage)
{
    CurrentLanguageIndex() = Entry(QStringLiteral("de"))->data().toInt();
    CurrentLanguageCode() = QStringLiteral("de");
    TMainForm form{TCommandLine{}};
    QStringList checked;
    for (QAction *entry : form.PopupMenuLang->actions())
        if (entry->isChecked())
            checked.append(entry->text());
    EXPECT_EQ(checked, QStringList{TranslationTable()[CurrentLanguageIndex()][0]});
    EXPECT_EQ(WithoutMnemonic(form.Label2->text()), Translate(QStringLiteral("Text to find:")));
    EXPECT_NE(WithoutMnemonic(form.Label2->text()), QStringLiteral("Text to find:"));
}

TEST_F(MainFormLanguage, AFailedStoreStillSwitchesTheWindow)
{
    // A folder where the language file should be: storing the code fails.
    ASSERT_TRUE(QDir().mkpath(fTemp.filePath(QStringLiteral("config/Ordwell/Ordwell.conf"))));
    Entry(QStringLiteral("de"))->trigger();
    EXPECT_EQ(CurrentLanguageCode(), QStringLiteral("de"));
    EXPECT_EQ(CheckedCodes(), QStringList{QStringLiteral("de")});
    EXPECT_EQ(WithoutMnemonic(fForm->Label1->text()), Translate(QStringLiteral("File Name Filter:")));
    EXPECT_NE(WithoutMnemonic(fForm->Label1->text()), QStringLiteral("File Name Filter:"));
}

TEST_F(MainFormLanguage, MenuPopsUpBelowTheButtonLeftAligned)
{
    fForm->SpeedButton2->click();
    ASSERT_TRUE(fForm->PopupMenuLang->isVisible());
    EXPECT_EQ(fForm->PopupMenuLang->pos(),
              fForm->SpeedButton2->mapToGlobal(QPoint(0, fForm->SpeedButton2->height())));
    fForm->PopupMenuLang->hide();
}

// In every language: every control that takes the focus has a name a screen reader announces
// (walked through the accessibility tree, as a screen reader does), no two captions shown
// together share a mnemonic, Arabic mirrors the window, and the tree's items tell their check
// states.
TEST_F(MainFormLanguage, EveryLanguageIsReachableByKeysAndScreenReaders)
{
    QAccessible::setActive(true);
    fForm->resize(1371, 663);
    int named = 0;
    const auto walk = [&named](QAccessibleInterface *aNode, const std::string &aWhere, int aDepth,
                               const auto &aSelf) -> void {
        if (!aNode || aDepth > 12)
            return;
        const QAccessible::State state = aNode->state();
        if (state.focusable && !state.invisible && aNode->role() != QAccessible::Client) {
            ++named;
            EXPECT_FALSE(aNode->text(QAccessible::Name).trimmed().isEmpty())
                << aWhere << ": role " << aNode->role() << " of "
                << (aNode->object() ? aNode->object()->metaObject()->className() : "?");
        }
        // The rows of the lists are the data, not controls.
        if (aNode->role() == QAccessible::Tree || aNode->role() == QAccessible::Table ||
            aNode->role() == QAccessible::List)
            return;
        for (int i = 0; i < aNode->childCount(); ++i)
            aSelf(aNode->child(i), aWhere, aDepth + 1, aSelf);
    };
    const auto mnemonicOf = [](const QString &aCaption) {
        const qsizetype at = aCaption.indexOf(QRegularExpression(QStringLiteral("&[^&]")));
        return at < 0 ? QChar() : aCaption[at + 1].toLower();
    };
    for (int i = 0; i < TranslationTable().size(); ++i) {
        fForm->PopupMenuLang->actions()[i]->trigger();
        QCoreApplication::processEvents();
        const QString code = TranslationTable()[i][1];
        const std::string where = code.toStdString();
        for (int page = 0; page < fForm->SearchOptionControl->count(); ++page) {
            fForm->SearchOptionControl->setCurrentIndex(page);
            QCoreApplication::processEvents();
            walk(QAccessible::queryAccessibleInterface(fForm.get()), where + " page " + std::to_string(page),
                 0, walk);
            // The page's captions, the tabs and the header's button: one mnemonic each, none twice.
            QStringList captions{fForm->btnAddFolder->text()};
            for (int tab = 0; tab < fForm->SearchOptionControl->count(); ++tab)
                captions << fForm->SearchOptionControl->tabText(tab);
            QWidget *shown = fForm->SearchOptionControl->widget(page);
            for (QAbstractButton *button : shown->findChildren<QAbstractButton *>())
                captions << (qobject_cast<TWrapCheckBox *>(button)
                                 ? qobject_cast<TWrapCheckBox *>(button)->Caption()
                                 : button->text());
            for (QLabel *label : shown->findChildren<QLabel *>())
                if (label->buddy() && !qobject_cast<TWrapCheckBox *>(label->parentWidget()))
                    captions << label->text();
            QString seen;
            for (const QString &caption : captions) {
                if (caption.isEmpty())
                    continue;
                const QChar mnemonic = mnemonicOf(caption);
                EXPECT_FALSE(mnemonic.isNull()) << where << ": " << caption.toStdString();
                EXPECT_FALSE(!mnemonic.isNull() && seen.contains(mnemonic))
                    << where << ": " << caption.toStdString();
                seen += mnemonic;
            }
        }
        EXPECT_EQ(fForm->layoutDirection(), code == u"ar" ? Qt::RightToLeft : Qt::LeftToRight) << where;
        // The Advanced page's scrolling area: no stop of its own for Tab, and the page's name.
        QWidget *advanced = fForm->SearchAdvanced;
        EXPECT_EQ(advanced->focusPolicy(), Qt::NoFocus) << where;
        const QString tab =
            fForm->SearchOptionControl->tabText(fForm->SearchOptionControl->indexOf(advanced));
        EXPECT_EQ(advanced->accessibleName(), WithoutMnemonic(tab).trimmed()) << where;
    }
    fForm->PopupMenuLang->actions()[0]->trigger();
    // The walk met the controls: four pages of every language, each with the window's controls.
    EXPECT_GT(named, TranslationTable().size() * 4 * 15);

    // The tree's items: checked and partly checked, as the images show.
    const QString ticked = fTemp.filePath(QStringLiteral("outer/inner"));
    ASSERT_TRUE(QDir().mkpath(ticked));
    ASSERT_TRUE(QDir().mkpath(fTemp.filePath(QStringLiteral("outer/other"))));
    fForm->ZorShellLink1->SelectionList().SetPaths({ticked + QStringLiteral("/*")});
    fForm->ZorShellTree1->SetSelectedFolder(ticked);
    QTreeView *tree = fForm->ZorShellTree1;
    const QModelIndex tickedIndex = tree->currentIndex();
    const QDeadlineTimer deadline(10000);
    const auto stateOf = [&](const QModelIndex &aIndex) {
        return tree->model()->data(aIndex, Qt::CheckStateRole).toInt();
    };
    while ((stateOf(tickedIndex) != Qt::Checked || stateOf(tickedIndex.parent()) != Qt::PartiallyChecked) &&
           !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(stateOf(tickedIndex), Qt::Checked);
    EXPECT_EQ(stateOf(tickedIndex.parent()), Qt::PartiallyChecked);
    EXPECT_TRUE(tree->model()->flags(tickedIndex) & Qt::ItemIsUserCheckable);
    fForm->ZorShellLink1->SelectionList().Clear();
    QAccessible::setActive(false);
}

} // namespace
