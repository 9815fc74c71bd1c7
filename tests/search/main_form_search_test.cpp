// The main window's search form end to end: ticked folders, the text typed, Start or Enter, and
// the result list and status line after the end of the search.
#include "app/main_form.h"
#include "filesearch/file_list.h"
#include "filesearch/file_list_view.h"
#include "search/search_control.h"
#include "support/test_files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

class MainFormSearch : public ::testing::Test
{
protected:
    MainFormSearch() : fForm(TCommandLine{})
    {
        fForm.show();
        QDir(fRoot.path()).mkpath(QStringLiteral("a"));
        QDir(fRoot.path()).mkpath(QStringLiteral("b/deep"));
        QDir(fRoot.path()).mkpath(QStringLiteral("unticked"));
        fForm.ZorShellLink1->SelectionList().SetPaths({fRoot.filePath(QStringLiteral("a")) + QStringLiteral("/*"),
                                      fRoot.filePath(QStringLiteral("b")) + QStringLiteral("/*")});
    }

    QString Write(const QString &pName, const QByteArray &pBytes)
    {
        return WriteTestFile(fRoot.filePath(pName), pBytes);
    }

    // Pumps events until the end of the search has restored the Start button (30 s at most).
    bool AwaitEndOfSearch()
    {
        const QDeadlineTimer deadline(30000);
        while (!fForm.StartSearchButton->isEnabled() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return fForm.StartSearchButton->isEnabled();
    }

    QStringList Results()
    {
        TZorFileList &list = fForm.SearchResultList->FileList();
        QStringList paths;
        for (int i = 0; i < list.Count(); ++i)
            paths << list.Item(i).Path();
        paths.sort();
        return paths;
    }

    QTemporaryDir fRoot;
    TMainForm fForm;
};

TEST_F(MainFormSearch, StartListsExactlyTheFilesOfTheTickedFoldersThatHoldTheText)
{
    QStringList expected = {Write("a/one.txt", "first line\nthe Needle is here\n"),
                            Write("b/deep/two.txt", "NEEDLE")};
    expected.sort();
    Write("a/other.txt", "nothing to see");
    Write("b/three.txt", "needl e");
    Write("unticked/four.txt", "needle outside the ticked folders");
    Write("a/skipped.zip", "needle in a skipped format");

    fForm.edtTextToFind->setText(QStringLiteral("  needle "));
    fForm.StartSearchButton->click();
    EXPECT_FALSE(fForm.StartSearchButton->isEnabled());
    EXPECT_TRUE(fForm.StopSearchButton->isEnabled());
    EXPECT_EQ(fForm.FTextToFind, QStringLiteral("needle"));

    ASSERT_TRUE(AwaitEndOfSearch());
    EXPECT_FALSE(fForm.StopSearchButton->isEnabled());
    EXPECT_EQ(Results(), expected);
    EXPECT_EQ(fForm.StatusText(), QStringLiteral("Items found: 2"));
    EXPECT_EQ(fForm.SearchMinDate->time(), QTime(0, 0));
}

TEST_F(MainFormSearch, EnterInTheTextFieldStartsASearchWithTheCurrentText)
{
    const QString match = Write("a/x.txt", "alpha beta");
    Write("b/y.txt", "gamma");

    fForm.edtTextToFind->setText(QStringLiteral("beta"));
    fForm.edtTextToFind->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(fForm.edtTextToFind, &enter);
    EXPECT_FALSE(fForm.StartSearchButton->isEnabled());

    ASSERT_TRUE(AwaitEndOfSearch());
    EXPECT_EQ(Results(), QStringList{match});
    EXPECT_EQ(fForm.StatusText(), QStringLiteral("Items found: 1"));
}

TEST_F(MainFormSearch, TheRadioButtonsEnableTheDateAndSizeControls)
{
    EXPECT_FALSE(fForm.SearchMinDate->isEnabled());
    EXPECT_FALSE(fForm.FileSize->isEnabled());

    fForm.SearchDateRB->click();
    EXPECT_TRUE(fForm.SearchMinDate->isEnabled());
    EXPECT_TRUE(fForm.SearchOptionsCombo->isEnabled());
    fForm.SearchAllRB->click();
    EXPECT_FALSE(fForm.SearchDateRB->isChecked());
    EXPECT_FALSE(fForm.SearchMaxDate->isEnabled());

    fForm.chSize2->click();
    EXPECT_TRUE(fForm.FileSize->isEnabled());
    EXPECT_TRUE(fForm.FileSizeCombo->isEnabled());
    fForm.chSize1->click();
    EXPECT_FALSE(fForm.FileSize->isEnabled());
}

TEST_F(MainFormSearch, StopDuringASearchRefusesEveryLaterPath)
{
    for (int i = 0; i < 20; ++i)
        Write(QStringLiteral("a/f%1.txt").arg(i), "needle");
    int checks = 0;
    fForm.SearchControl().FileContainsText = [&](const QString &, const QString &) {
        ++checks;
        fForm.StopSearchButton->click(); // the user clicks Stop while the first file is read
        return true;
    };
    fForm.edtTextToFind->setText(QStringLiteral("needle"));
    fForm.StartSearchButton->click();

    ASSERT_TRUE(AwaitEndOfSearch());
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(fForm.SearchResultList->FileList().Count(), 1);
    EXPECT_FALSE(fForm.SearchControl().StopRequested());
    EXPECT_EQ(fForm.StatusText(), QStringLiteral("Items found: 1"));
}

TEST_F(MainFormSearch, ACloseWhileAFileIsCheckedIsMadeAfterwards)
{
    Write("a/one.txt", "needle");
    fForm.SearchControl().FileContainsText = [&](const QString &, const QString &) {
        fForm.close();
        EXPECT_TRUE(fForm.isVisible());
        return true;
    };
    fForm.edtTextToFind->setText(QStringLiteral("needle"));
    fForm.StartSearchButton->click();

    const QDeadlineTimer deadline(30000);
    while (fForm.isVisible() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(fForm.isVisible());
}

TEST(MainFormSearchLifetime, DestroyingTheWindowDuringASearchEndsItQuietly)
{
    QTemporaryDir root;
    for (int i = 0; i < 20; ++i)
        WriteTestFile(root.filePath(QStringLiteral("f%1.txt").arg(i)), "needle");
    auto form = std::make_unique<TMainForm>(TCommandLine{});
    form->ZorShellLink1->SelectionList().SetPaths({root.path() + QStringLiteral("/*")});
    form->edtTextToFind->setText(QStringLiteral("needle"));
    form->StartSearchButton->click();
    QCoreApplication::processEvents();
    form.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
