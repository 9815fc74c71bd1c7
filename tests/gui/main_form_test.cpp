// The main window under the offscreen platform: every control with its caption, hint and initial
// state, the icons, the start-up defaults, the link placement and the centred notices.
#include "gui/main_form/main_form.h"
#include "gui/widgets/link_label.h"
#include "gui/widgets/page_control.h"
#include "gui/widgets/up_down.h"
#include "gui/widgets/wrap_check_box.h"
#include "i18n/mnemonics.h"

#include <gtest/gtest.h>
#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

namespace {

class MainForm : public ::testing::Test
{
protected:
    MainForm() : fForm(TCommandLine{}) { fForm.show(); }
    TMainForm fForm;
};

TEST_F(MainForm, CaptionAndHomepageLink)
{
    EXPECT_EQ(fForm.windowTitle(), QStringLiteral("Ordwell 2.3"));
    EXPECT_EQ(fForm.lbHomepageURL->text(), QStringLiteral(ORDWELL_VENDOR_URL));
    EXPECT_EQ(fForm.lbHomepageURL->size(), QSize(264, 17));
    EXPECT_TRUE(fForm.lbHomepageURL->font().underline());
    EXPECT_EQ(fForm.lbHomepageURL->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_GE(fForm.minimumWidth(), 471);
    EXPECT_FALSE(fForm.windowIcon().isNull());
}

TEST_F(MainForm, FilterPage)
{
    ASSERT_NE(fForm.SearchOptionControl, nullptr);
    EXPECT_EQ(fForm.SearchOptionControl->count(), 4);
    EXPECT_EQ(fForm.SearchOptionControl->currentWidget(), fForm.SearchValues);
    EXPECT_EQ(WithoutMnemonic(fForm.SearchOptionControl->tabText(0)), QStringLiteral("Filter"));
    EXPECT_EQ(WithoutMnemonic(fForm.Label1->text()), QStringLiteral("File Name Filter:"));
    EXPECT_EQ(fForm.SearchField->text(), QStringLiteral("*.*"));
    EXPECT_EQ(WithoutMnemonic(fForm.Label2->text()), QStringLiteral("Text to find:"));
    EXPECT_TRUE(fForm.edtTextToFind->text().isEmpty());
}

TEST_F(MainForm, DatePageStartsDisabledWithModifiedAndLastThirtyDays)
{
    EXPECT_EQ(WithoutMnemonic(fForm.SearchOptionControl->tabText(1)), QStringLiteral("Date"));
    EXPECT_EQ(fForm.SearchOptionControl->widget(1), fForm.SearchDate);
    EXPECT_EQ(WithoutMnemonic(fForm.SearchAllRB->text()), QStringLiteral("All files"));
    EXPECT_TRUE(fForm.SearchAllRB->isChecked());
    EXPECT_EQ(WithoutMnemonic(fForm.SearchDateRB->text()), QStringLiteral("Find files"));
    EXPECT_FALSE(fForm.SearchDateRB->isChecked());
    ASSERT_EQ(fForm.SearchOptionsCombo->count(), 3);
    EXPECT_EQ(fForm.SearchOptionsCombo->itemText(0), QStringLiteral("Accessed"));
    EXPECT_EQ(fForm.SearchOptionsCombo->itemText(1), QStringLiteral("Created"));
    EXPECT_EQ(fForm.SearchOptionsCombo->itemText(2), QStringLiteral("Modified"));
    EXPECT_EQ(fForm.SearchOptionsCombo->currentIndex(), 2);
    EXPECT_EQ(WithoutMnemonic(fForm.Label3->text()), QStringLiteral("between"));
    EXPECT_EQ(WithoutMnemonic(fForm.Label4->text()), QStringLiteral("and"));
    for (QWidget *control : std::initializer_list<QWidget *>{
             fForm.SearchOptionsCombo, fForm.Label3, fForm.SearchMinDate, fForm.Label4, fForm.SearchMaxDate})
        EXPECT_FALSE(control->isEnabled()) << control->metaObject()->className();
    const QDateTime minimum = fForm.SearchMinDate->dateTime();
    const QDateTime maximum = fForm.SearchMaxDate->dateTime();
    EXPECT_LE(maximum.secsTo(QDateTime::currentDateTime()), 60);
    EXPECT_EQ(minimum.date().daysTo(maximum.date()), 30);
    EXPECT_EQ(minimum.time().hour(), maximum.time().hour());
    EXPECT_EQ(minimum.time().minute(), maximum.time().minute());
}

TEST_F(MainForm, SizePageStartsDisabled)
{
    EXPECT_EQ(WithoutMnemonic(fForm.SearchOptionControl->tabText(2)), QStringLiteral("Size"));
    EXPECT_EQ(fForm.SearchOptionControl->widget(2), fForm.TabSheet1);
    EXPECT_EQ(WithoutMnemonic(fForm.chSize1->text()), QStringLiteral("All files"));
    EXPECT_TRUE(fForm.chSize1->isChecked());
    EXPECT_EQ(WithoutMnemonic(fForm.chSize2->text()), QStringLiteral("Size is:"));
    EXPECT_FALSE(fForm.chSize2->isChecked());
    ASSERT_EQ(fForm.FileSizeCombo->count(), 2);
    EXPECT_EQ(fForm.FileSizeCombo->itemText(0), QStringLiteral("greater or equals"));
    EXPECT_EQ(fForm.FileSizeCombo->itemText(1), QStringLiteral("less or equals"));
    EXPECT_EQ(fForm.FileSizeCombo->currentIndex(), 0);
    EXPECT_EQ(fForm.FileSize->text(), QStringLiteral("0"));
    EXPECT_EQ(WithoutMnemonic(fForm.Label6->text()), QStringLiteral("KB"));
    EXPECT_EQ(fForm.UpDown1->Minimum(), 0);
    EXPECT_EQ(fForm.UpDown1->Maximum(), 100000000);
    for (QWidget *control :
         std::initializer_list<QWidget *>{fForm.FileSizeCombo, fForm.FileSize, fForm.UpDown1, fForm.Label6})
        EXPECT_FALSE(control->isEnabled()) << control->metaObject()->className();
}

TEST_F(MainForm, AdvancedPage)
{
    EXPECT_EQ(WithoutMnemonic(fForm.SearchOptionControl->tabText(3)), QStringLiteral("Advanced"));
    EXPECT_EQ(fForm.SearchOptionControl->widget(3), fForm.SearchAdvanced);
    EXPECT_EQ(WithoutMnemonic(fForm.chkShowHidden->text()), QStringLiteral("Show hidden objects in result"));
    EXPECT_FALSE(fForm.chkShowHidden->isChecked());
    EXPECT_EQ(WithoutMnemonic(fForm.chSearchInSubfolders->text()), QStringLiteral("Search in subfolders"));
    EXPECT_TRUE(fForm.chSearchInSubfolders->isChecked());
    EXPECT_EQ(WithoutMnemonic(fForm.CheckBox1->Caption()),
              QStringLiteral("Search in unrecognized formats (preview is unavailable)"));
    EXPECT_FALSE(fForm.CheckBox1->isChecked());
}

TEST_F(MainForm, LeftColumn)
{
    EXPECT_EQ(fForm.Panel3->width(), 329);
    EXPECT_EQ(fForm.SearchOptionControl->height(), 169); // the designed 141 and the "Exclude:" row
    EXPECT_EQ(fForm.Panel6->height(), 25);
    EXPECT_EQ(fForm.Panel6->text(), QStringLiteral("  Where to search:"));
    EXPECT_EQ(WithoutMnemonic(fForm.Label8->text()), QStringLiteral("Uncheck All"));
    EXPECT_TRUE(fForm.Label8->font().underline());
    EXPECT_EQ(fForm.Label8->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_GT(fForm.Label8->geometry().left(), fForm.Panel6->width() / 2);
    ASSERT_NE(fForm.fFolderTreePlace, nullptr);
    EXPECT_NE(fForm.fFolderTreePlace->layout(), nullptr);
    EXPECT_EQ(fForm.Splitter3->orientation(), Qt::Vertical);
    EXPECT_EQ(fForm.Splitter3->handleWidth(), 8);
    EXPECT_EQ(fForm.Splitter1->orientation(), Qt::Horizontal);
    EXPECT_EQ(fForm.Splitter1->handleWidth(), 4);
    EXPECT_TRUE(fForm.Memo1->isReadOnly());
    EXPECT_EQ(fForm.Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(fForm.Panel7->height(), 97);
    EXPECT_EQ(fForm.StaticText1->text(), QStringLiteral("No Folders Selected"));
    EXPECT_TRUE(fForm.StaticText1->isVisible());
    EXPECT_FALSE(fForm.TimerListUpdate->isActive());
    EXPECT_EQ(fForm.TimerListUpdate->interval(), 500);
}

TEST_F(MainForm, ButtonStripHintsIconsAndStates)
{
    struct TExpected
    {
        QToolButton *Button;
        const char *Hint;
        bool Enabled;
    };
    for (const TExpected &expected :
         {TExpected{fForm.StartSearchButton, "Search Now (Ctrl+Return)", true},
          TExpected{fForm.StopSearchButton, "Cancel Search (Esc)", false},
          TExpected{fForm.SpeedButton2, "Language", true}, TExpected{fForm.SpeedButton3, "About......", true},
          TExpected{fForm.btPrevious, "Previous match (Shift+F3)", true},
          TExpected{fForm.btNext, "Next match (F3)", true}}) {
        EXPECT_EQ(expected.Button->toolTip(), QString::fromLatin1(expected.Hint));
        EXPECT_EQ(expected.Button->focusPolicy(), Qt::TabFocus) << expected.Hint;
        EXPECT_EQ(expected.Button->isEnabled(), expected.Enabled) << expected.Hint;
        EXPECT_TRUE(expected.Button->isVisible()) << expected.Hint;
        EXPECT_TRUE(expected.Button->autoRaise()) << expected.Hint;
        EXPECT_EQ(expected.Button->iconSize(), QSize(25, 25));
        EXPECT_FALSE(expected.Button->icon().pixmap(25, 25).isNull()) << expected.Hint;
    }
    EXPECT_FALSE(fForm.SpeedButton1->isVisible());
    EXPECT_EQ(fForm.SpeedButton1->toolTip(), QStringLiteral("About Program"));
    EXPECT_EQ(fForm.StartSearchButton->parentWidget()->width(), 33);
    EXPECT_EQ(fForm.btNext->parentWidget()->width(), 33);
}

TEST_F(MainForm, EveryIconIsDrawn)
{
    for (const char *name :
         {"down-arrow", "information", "magnifying-glass", "up-arrow", "stop2", "foreign-language"}) {
        const QImage image =
            QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name))).pixmap(25, 25).toImage();
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_GT(qAlpha(image.pixel(12, 12)), 0) << name;
    }
}

TEST_F(MainForm, ResultListAndPreviewArea)
{
    EXPECT_EQ(fForm.SearchResultList->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(fForm.SearchResultList->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_GE(fForm.SearchResultList->minimumHeight(), 50);
    const QAbstractItemModel *model = fForm.SearchResultList->model();
    ASSERT_NE(model, nullptr);
    QStringList headers;
    for (int column = 0; column < model->columnCount(); ++column)
        headers << model->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers,
              (QStringList{QStringLiteral("Name"), QStringLiteral("In Folder"), QStringLiteral("Size"),
                           QStringLiteral("Type"), QStringLiteral("Date modified"), QStringLiteral("Matches"),
                           QStringLiteral("Context")}));
    EXPECT_EQ(fForm.Splitter2->orientation(), Qt::Vertical);
    EXPECT_EQ(fForm.Splitter2->handleWidth(), 8);
    EXPECT_EQ(fForm.pnlPreview->height(), 101);
    EXPECT_EQ(fForm.SearchResultList->font().pointSize(), 11);
    EXPECT_EQ(fForm.fFolderTreePlace->font().pointSize(), 11);
    EXPECT_EQ(fForm.font().pointSize(), 8);
}

TEST_F(MainForm, StatusLineTimersAndMenu)
{
    EXPECT_EQ(fForm.StatusText(), QStringLiteral("  Ready"));
    fForm.SetStatusText(QStringLiteral("Searching..."));
    fForm.RepaintStatusLine();
    EXPECT_EQ(fForm.StatusText(), QStringLiteral("Searching..."));
    EXPECT_FALSE(fForm.TimerStopper->isActive());
    EXPECT_EQ(fForm.TimerStopper->interval(), 1000);
    EXPECT_TRUE(fForm.TimerStopper->isSingleShot());
    EXPECT_TRUE(fForm.PopupMenuLang->isEmpty());
    EXPECT_TRUE(fForm.FTextToFind().isEmpty());
}

TEST_F(MainForm, HomepageLinkFollowsResize)
{
    for (const QSize size : {QSize(900, 500), QSize(1200, 640), QSize(640, 480)}) {
        fForm.resize(size);
        QCoreApplication::processEvents();
        const QRect link = fForm.lbHomepageURL->geometry();
        const QRect bar = fForm.StatusBar1->geometry();
        EXPECT_EQ(fForm.width() - link.right() - 1, 15) << size.width();
        EXPECT_LE(qAbs(link.center().y() - bar.center().y()), 1) << size.width();
    }
}

TEST_F(MainForm, NoticesStayCentred)
{
    for (const QSize size : {QSize(900, 500), QSize(1300, 700)}) {
        fForm.resize(size);
        QCoreApplication::processEvents();
        for (auto [notice, panel] :
             {std::pair{fForm.StaticText1, fForm.Panel7}, std::pair{fForm.StaticText2, fForm.Panel8}}) {
            EXPECT_EQ(notice->parentWidget(), panel);
            EXPECT_EQ(notice->palette().color(QPalette::WindowText), QColor(0x6D, 0x6D, 0x6D));
            EXPECT_EQ(notice->palette().color(QPalette::Window), QColor(Qt::white));
            EXPECT_TRUE(notice->autoFillBackground());
            EXPECT_LE(qAbs(notice->geometry().center().x() - panel->rect().center().x()), 1);
            EXPECT_LE(qAbs(notice->geometry().center().y() - panel->rect().center().y()), 1);
        }
    }
}

TEST_F(MainForm, AboutTextNamesProgramVersionAndSite)
{
    const QString text = fForm.AboutText(true);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Ordwell\r\nVersion: 2.3\r\n\r\nWebsite: ")));
    EXPECT_EQ(fForm.AboutText(false), text);
}

TEST_F(MainForm, ClosingEmptiesTheFileNameFilter)
{
    fForm.close();
    EXPECT_TRUE(fForm.SearchField->text().isEmpty());
}

TEST(MainFormCommandLine, FoldersAreKeptAndTheListTimerRestarts)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    TMainForm form(ParseCommandLine({root.path(), root.path() + QStringLiteral("/missing")}));
    EXPECT_EQ(form.CommandLine().FolderEntries, QStringList{root.path() + QStringLiteral("/*")});
    EXPECT_EQ(form.CommandLine().LastFolder, root.path());
    EXPECT_TRUE(form.TimerListUpdate->isActive());
}

TEST(MainFormCommandLine, WithoutArgumentsTheListTimerStaysOff)
{
    TMainForm form(ParseCommandLine({}));
    EXPECT_FALSE(form.TimerListUpdate->isActive());
}

} // namespace
