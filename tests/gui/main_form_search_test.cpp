// The main window's search form end to end: ticked folders, the text typed, Start or Enter, the
// result list and status line after the end of the search (documents through a loopback
// extraction server), the preview of a result, Stop in a large search, rename and delete.
#include "app/command_line.h"
#include "filesearch/file_list.h"
#include "gui/main_form/main_form.h"
#include "gui/unread_documents_dialog.h"
#include "gui/views/file_list_view.h"
#include "gui/views/shell_tree.h"
#include "gui/widgets/link_label.h"
#include "platform/file_name.h"
#include "search/search_control.h"
#include "support/encoding_fixtures.h"
#include "support/fake_extraction_server.h"
#include "support/scoped_trash_home.h"
#include "support/temp_tree.h"
#include "support/test_files.h"

#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace {

class MainFormSearch : public ::testing::Test
{
protected:
    MainFormSearch() : fForm(TCommandLine{})
    {
        fForm.show();
        fForm.SearchField->setText(QStringLiteral("*.*")); // not an earlier test's saved filter
        QDir(fRoot.path()).mkpath(QStringLiteral("a"));
        QDir(fRoot.path()).mkpath(QStringLiteral("b/deep"));
        QDir(fRoot.path()).mkpath(QStringLiteral("unticked"));
        fForm.ZorShellLink1->SelectionList().SetPaths(
            {fRoot.filePath(QStringLiteral("a")) + QStringLiteral("/*"),
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

    // Types the text and clicks Start; true when the search has ended.
    bool Search(const QString &pText)
    {
        fForm.edtTextToFind->setText(pText);
        fForm.StartSearchButton->click();
        return AwaitEndOfSearch();
    }

    // Selects the result list's row that shows the file aName.
    void SelectResult(const QString &aName)
    {
        const QAbstractItemModel *rows = fForm.SearchResultList->model();
        for (int row = 0; row < rows->rowCount(); ++row)
            if (rows->index(row, flcName).data().toString() == aName)
                fForm.SearchResultList->SelectRows({row});
    }

    // Points the window at the program's own server, built beside the tests; false when a server
    // answers on the default address, which the window would use instead.
    bool UseTheProgramsOwnServer()
    {
        if (ServerAnswers(TExtractionServerAddress{}, 1000))
            return false;
        qputenv("ORDWELL_EXTRACTD", ORDWELL_EXTRACTD_PATH);
        fForm.Session().SetExtractionServer(std::nullopt);
        qunsetenv("ORDWELL_EXTRACTD");
        return true;
    }

    QString PreviewSelection() const { return fForm.FPreview->textCursor().selectedText(); }
    int PreviewSelectionStart() const { return fForm.FPreview->textCursor().selectionStart(); }

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
    QStringList expected = {Write("a/one.txt", "first line\nthe Needle is here, needle\tthere\n"),
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
    EXPECT_EQ(fForm.FTextToFind(), QStringLiteral("needle"));

    ASSERT_TRUE(AwaitEndOfSearch());
    EXPECT_FALSE(fForm.StopSearchButton->isEnabled());
    EXPECT_EQ(Results(), expected);
    EXPECT_EQ(fForm.StatusText(), QStringLiteral("Items found: 2"));
    EXPECT_EQ(fForm.SearchMinDate->time(), QTime(0, 0));
    // The columns show how often and where each file holds the text.
    const QAbstractItemModel *rows = fForm.SearchResultList->model();
    for (int row = 0; row < rows->rowCount(); ++row) {
        const bool one = rows->index(row, flcName).data().toString() == QStringLiteral("one.txt");
        EXPECT_EQ(rows->index(row, flcMatches).data().toString(),
                  one ? QStringLiteral("2") : QStringLiteral("1"));
        EXPECT_EQ(rows->index(row, flcContext).data().toString(),
                  one ? QStringLiteral("the Needle is here, needle there") : QStringLiteral("NEEDLE"));
    }
    // Without a text the columns stay empty.
    ASSERT_TRUE(Search(QString()));
    ASSERT_GT(rows->rowCount(), 0);
    for (int row = 0; row < rows->rowCount(); ++row) {
        EXPECT_TRUE(rows->index(row, flcMatches).data().toString().isEmpty());
        EXPECT_TRUE(rows->index(row, flcContext).data().toString().isEmpty());
    }
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
    // Checked as each path is offered, on the UI thread.
    fForm.SearchControl().CheckInBackground = nullptr;
    fForm.SearchControl().FileContainsText = [&](const QString &, const QString &, TDocumentFailure &) {
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
    // Checked as each path is offered, on the UI thread.
    fForm.SearchControl().CheckInBackground = nullptr;
    fForm.SearchControl().FileContainsText = [&](const QString &, const QString &, TDocumentFailure &) {
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

TEST_F(MainFormSearch, ADocumentIsFoundThroughTheExtractionServerAndShownWithItsMatches)
{
    TFakeExtractionServer server;
    server.SetReply(TFakeReply::frText,
                    "Quarterly report\r\nthe needle is on page two\r\nand a NEEDLE on three");
    fForm.Session().SetExtractionServer(server.Address());
    QStringList expected = {Write("a/report.pdf", "%PDF-1.4 stand-in for a real document"),
                            Write("b/notes.txt", "a needle in plain text")};
    expected.sort();
    Write("b/other.txt", "nothing here");

    ASSERT_TRUE(Search(QStringLiteral("needle")));
    EXPECT_EQ(Results(), expected);
    EXPECT_EQ(fForm.StatusText(), QStringLiteral("Items found: 2"));
    // Only the document went to the server (plain text is read directly), sent whole.
    const std::vector<TRecordedRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].fMethod, "PUT");
    EXPECT_EQ(requests[0].fBody, "%PDF-1.4 stand-in for a real document");

    SelectResult(QStringLiteral("report.pdf"));
    EXPECT_EQ(fForm.FPreview->toPlainText(),
              QStringLiteral("Quarterly report\nthe needle is on page two\nand a NEEDLE on three"));
    EXPECT_EQ(PreviewSelection(), QStringLiteral("needle"));
    const int first = PreviewSelectionStart();
    fForm.btNext->click();
    EXPECT_EQ(PreviewSelection(), QStringLiteral("NEEDLE"));
    fForm.btNext->click();
    EXPECT_EQ(PreviewSelectionStart(), first);
    fForm.btPrevious->click();
    EXPECT_EQ(PreviewSelection(), QStringLiteral("NEEDLE"));
    EXPECT_EQ(fForm.StatusText(), fRoot.filePath(QStringLiteral("a/report.pdf")));
}

// The text cache: a second search and the preview read the document's text from it; cleared, or
// switched off, every search sends the document again.
TEST_F(MainFormSearch, DocumentsAreExtractedOnceWhileTheCacheIsOn)
{
    TFakeExtractionServer server;
    server.SetReply(TFakeReply::frText, "the harbour master's log");
    fForm.Session().SetExtractionServer(server.Address());
    fForm.chkTextCache->setChecked(true);
    Write("a/report.pdf", "%PDF-1.4 stand-in");

    ASSERT_TRUE(Search(QStringLiteral("harbour")));
    ASSERT_TRUE(Search(QStringLiteral("master")));
    EXPECT_EQ(Results().size(), 1);
    SelectResult(QStringLiteral("report.pdf"));
    EXPECT_EQ(fForm.FPreview->toPlainText(), QStringLiteral("the harbour master's log"));
    EXPECT_EQ(server.RequestCount(), 1u);

    const std::shared_ptr<TTextCache> cache = fForm.Session().TextCache();
    ASSERT_TRUE(cache);
    EXPECT_TRUE(cache->FileName().startsWith(qEnvironmentVariable("XDG_CACHE_HOME")));
    fForm.SetCaptions();
    EXPECT_TRUE(
        fForm.btnClearTextCache->text().contains(fForm.locale().formattedDataSize(cache->SizeOnDisk())));
    fForm.btnClearTextCache->click();
    ASSERT_TRUE(Search(QStringLiteral("log")));
    EXPECT_EQ(server.RequestCount(), 2u);

    fForm.chkTextCache->setChecked(false);
    ASSERT_TRUE(Search(QStringLiteral("log")));
    ASSERT_TRUE(Search(QStringLiteral("log")));
    EXPECT_EQ(server.RequestCount(), 4u);
    fForm.chkTextCache->setChecked(true);
}

// A file that vanishes before its check is left out quietly; a document the server refuses is
// left out, noted in the status line, and listed with its reason by a click on the note.
TEST_F(MainFormSearch, VanishedFilesAreLeftOutQuietlyRefusedDocumentsAreNoted)
{
    TFakeExtractionServer server;
    server.SetReply(TFakeReply::frUnprocessable);
    fForm.Session().SetExtractionServer(server.Address());
    const QString found = Write("a/found.txt", "needle");
    const QString broken = Write("a/broken.docx", "not really a document, but it holds the needle");
    const QString vanishing = Write("b/vanishing.txt", "needle");
    // Checked as each path is offered, on the UI thread.
    fForm.SearchControl().CheckInBackground = nullptr;
    fForm.SearchControl().FileContainsText =
        [&, check = fForm.SearchControl().FileContainsText](const QString &aPath, const QString &aText,
                                                            TDocumentFailure &aFailure) {
            QFile::remove(vanishing); // gone between the walk and the content check
            return check(aPath, aText, aFailure);
        };

    ASSERT_TRUE(Search(QStringLiteral("needle")));
    EXPECT_EQ(Results(), QStringList{found});
    EXPECT_EQ(fForm.StatusText(), QStringLiteral("Items found: 1 (1 document could not be read)"));
    EXPECT_TRUE(fForm.StartSearchButton->isEnabled());

    QStatusBar *bar = fForm.statusBar();
    auto *note = bar->findChild<QLabel *>();
    ASSERT_TRUE(note);
    QTest::mouseClick(note, Qt::LeftButton);
    auto *dialog = fForm.findChild<TUnreadDocumentsDialog *>();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->RowsText().startsWith(
        broken + QStringLiteral("\tThe document is damaged or cannot be read. (")))
        << dialog->RowsText().toStdString();
    dialog->btCopy->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), dialog->RowsText());
    dialog->btClose->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(fForm.findChild<TUnreadDocumentsDialog *>());
}

// With no server at a fixed address plain text is still found; the documents are counted as not
// read, listed through the result list's menu, and their preview says why it is missing.
TEST_F(MainFormSearch, DocumentsWithoutAServerAreCountedListedAndExplained)
{
    TExtractionServerAddress nobody;
    nobody.fPort = UnusedLoopbackPort();
    fForm.Session().SetExtractionServer(nobody);
    const QString found = Write("a/found.txt", "needle");
    Write("a/report.pdf", "%PDF-1.4 needle");
    Write("b/letter.docx", "PK needle");

    ASSERT_TRUE(Search(QStringLiteral("needle")));
    EXPECT_EQ(Results(), QStringList{found});
    EXPECT_EQ(fForm.StatusText(), QStringLiteral("Items found: 1 (2 documents could not be read)"));
    QMenu menu;
    fForm.SearchResultList->OnExtendMenu(menu);
    ASSERT_EQ(menu.actions().size(), 2);
    // "Save results..." writes the list as CSV where the user says.
    const QString csv = fRoot.filePath(QStringLiteral("results.csv"));
    fForm.AskSaveFileName = [&] { return csv; };
    menu.actions().front()->trigger();
    QCoreApplication::processEvents();
    QFile saved(csv);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().split('\n').value(1).split(',').value(0), found.toUtf8());
    menu.actions().back()->trigger();
    QCoreApplication::processEvents();
    auto *dialog = fForm.findChild<TUnreadDocumentsDialog *>();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->List->topLevelItemCount(), 2);
    EXPECT_TRUE(dialog->List->topLevelItem(0)->text(1).startsWith(
        QStringLiteral("The text-extraction server does not answer.")));
    dialog->close();

    // Listed by a search without text, the document shows why it has no preview.
    ASSERT_TRUE(Search(QString()));
    SelectResult(QStringLiteral("report.pdf"));
    EXPECT_TRUE(fForm.FPreview->document()->isEmpty());
    EXPECT_TRUE(fForm.PreviewFailure->isVisible());
    EXPECT_EQ(fForm.PreviewFailure->text(), QStringLiteral("The text-extraction server does not answer."));
    SelectResult(QStringLiteral("found.txt"));
    EXPECT_FALSE(fForm.PreviewFailure->isVisible());
}

// With nothing on the default address, the window starts the program's own server at the first
// document, finds real documents through it, and ends it when it closes.
TEST_F(MainFormSearch, DocumentsAreFoundThroughTheProgramsOwnServer)
{
    if (!UseTheProgramsOwnServer())
        GTEST_SKIP() << "a server answers on the default address; the window uses that one";
    const QString documents = QStringLiteral(ORDWELL_TEST_SOURCE_DIR "/tests/extractd/documents/");
    QStringList expected;
    for (const char *name : {"keeper_log.docx", "keeper_log.pdf"}) {
        expected << fRoot.filePath(QStringLiteral("a/") + QString::fromLatin1(name));
        ASSERT_TRUE(QFile::copy(documents + QString::fromLatin1(name), expected.back()));
    }
    Write("a/other.txt", "no such words");

    ASSERT_TRUE(Search(QStringLiteral("rocky point")));
    EXPECT_EQ(Results(), expected);
    EXPECT_EQ(fForm.StatusText(), QStringLiteral("Items found: 2"));
    const pid_t server = fForm.Session().Extraction()->OwnServerPid();
    ASSERT_GT(server, 0);
    fForm.close();
    EXPECT_EQ(kill(server, 0), -1); // ended and reaped
}

// Files in the encodings users have, and RTF documents (read by the program's own server): each is
// listed for each of its words, with its Matches and Context, and shown with the word selected
// and marked in the preview.
TEST_F(MainFormSearch, FilesInTheirEncodingsAreFoundAndShownWithTheirMatches)
{
    if (!UseTheProgramsOwnServer())
        GTEST_SKIP() << "a server answers on the default address; the window uses that one";
    for (const TEncodingFixture &fixture : EncodingFixtures())
        ASSERT_TRUE(QFile::copy(EncodingFixturePath(fixture.fFile),
                                fRoot.filePath(QStringLiteral("a/") + QString::fromLatin1(fixture.fFile))));
    const QAbstractItemModel *rows = fForm.SearchResultList->model();
    for (const TEncodingFixture &fixture : EncodingFixtures()) {
        const QString name = QString::fromLatin1(fixture.fFile);
        for (const char *word : fixture.fWords) {
            const QString text = QString::fromUtf8(word);
            ASSERT_TRUE(Search(text));
            ASSERT_TRUE(Results().contains(fRoot.filePath(QStringLiteral("a/") + name)))
                << fixture.fFile << " " << word;
            for (int row = 0; row < rows->rowCount(); ++row) {
                if (rows->index(row, flcName).data().toString() != name)
                    continue;
                EXPECT_GE(rows->index(row, flcMatches).data().toString().toInt(), 1)
                    << fixture.fFile << " " << word;
                EXPECT_TRUE(rows->index(row, flcContext).data().toString().contains(text))
                    << fixture.fFile << " " << word;
            }
            SelectResult(name);
            EXPECT_FALSE(fForm.StaticText2->isVisible()) << fixture.fFile;
            // A document's text may break the words onto lines: the selection holds them all.
            EXPECT_EQ(PreviewSelection().simplified(), text) << fixture.fFile << " " << word;
            EXPECT_FALSE(fForm.FPreview->extraSelections().isEmpty()) << fixture.fFile << " " << word;
            EXPECT_FALSE(fForm.lblMatchCount->isHidden()) << fixture.fFile << " " << word;
            EXPECT_FALSE(fForm.FPreview->toPlainText().contains(QChar(0xFFFD))) << fixture.fFile;
            if (fixture.fDocument) {
                EXPECT_FALSE(fForm.FPreview->toPlainText().contains(QStringLiteral("\\rtf")))
                    << fixture.fFile;
            }
        }
    }
}

// Names that are not valid UTF-8 are walked, checked, listed and previewed under their own bytes:
// of two names that show alike only the one that holds the text is listed, and it is shown with
// the replacement mark.
TEST_F(MainFormSearch, NamesOfAnyBytesAreSearchedListedAndPreviewedAsThemselves)
{
    const QString folder = fRoot.filePath(QStringLiteral("a"));
    const QString raw = WriteRawNamedFile(folder, "x\xFF.txt", "hay only");
    const QString alike = WriteRawNamedFile(folder, "x\xEF\xBF\xBD.txt", "a needle here");
    const QString bad = WriteRawNamedFile(folder,
                                          "bad\xFF\xFE"
                                          "01025.txt",
                                          "the needle too");
    ASSERT_EQ(DisplayFileName(raw), DisplayFileName(alike));

    ASSERT_TRUE(Search(QStringLiteral("needle")));
    QStringList expected{alike, bad};
    expected.sort();
    EXPECT_EQ(Results(), expected);
    SelectResult(QString::fromUtf16(u"bad\uFFFD\uFFFD"
                                    "01025.txt"));
    EXPECT_EQ(fForm.SearchResultList->FileList().SelectedPath(), bad);
    EXPECT_EQ(fForm.FPreview->toPlainText(), QStringLiteral("the needle too"));
    EXPECT_EQ(PreviewSelection(), QStringLiteral("needle"));
    EXPECT_EQ(fForm.StatusText(), DisplayFileName(bad));
    RemoveFolderContents(folder); // QTemporaryDir cannot remove such names
}

// The match options reach the check and the preview alike; a bad regular expression is shown
// beside the text field and the search does not start.
TEST_F(MainFormSearch, MatchOptionsDecideTheListAndThePreview)
{
    Write("a/words.txt", "tikaware first, then Tika itself");
    Write("a/lower.txt", "only tika here");
    fForm.chkMatchCase->setChecked(true);
    fForm.chkWholeWords->setChecked(true);
    ASSERT_TRUE(Search(QStringLiteral("Tika")));
    EXPECT_EQ(Results(), QStringList{fRoot.filePath(QStringLiteral("a/words.txt"))});
    SelectResult(QStringLiteral("words.txt"));
    EXPECT_EQ(PreviewSelection(), QStringLiteral("Tika"));
    EXPECT_EQ(PreviewSelectionStart(), 21);

    fForm.chkRegularExpression->setChecked(true);
    fForm.edtTextToFind->setText(QStringLiteral("Tika("));
    fForm.StartSearchButton->click();
    EXPECT_TRUE(fForm.StartSearchButton->isEnabled());
    EXPECT_FALSE(fForm.lblTextToFindError->isHidden());
    EXPECT_FALSE(fForm.lblTextToFindError->text().isEmpty());
    ASSERT_TRUE(Search(QStringLiteral("T\\w+a")));
    EXPECT_TRUE(fForm.lblTextToFindError->isHidden());
    EXPECT_EQ(Results(), QStringList{fRoot.filePath(QStringLiteral("a/words.txt"))});
    for (QCheckBox *option : {fForm.chkMatchCase, fForm.chkWholeWords, fForm.chkRegularExpression})
        option->setChecked(false);
    fForm.SaveSettings(); // the next window of this run starts with the options off again
}

// The window's keys: Ctrl+Enter and Enter in a result list without a selected row start, Esc
// stops, F3 and Shift+F3 move between matches without taking the focus, Ctrl+F goes to the text.
TEST_F(MainFormSearch, KeysStartStopAndMoveBetweenMatches)
{
    Write("a/two.txt", "needle one, needle two");
    QApplication::setActiveWindow(&fForm); // the keys belong to the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(&fForm));
    fForm.edtTextToFind->setText(QStringLiteral("needle"));
    QTest::keyClick(fForm.edtTextToFind, Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(AwaitEndOfSearch());
    EXPECT_EQ(Results().size(), 1);

    fForm.SearchResultList->FileList().SetSelectedRows({});
    fForm.SearchResultList->setFocus();
    fForm.SearchResultList->FileList().Clear();
    QTest::keyClick(fForm.SearchResultList, Qt::Key_Return);
    ASSERT_TRUE(AwaitEndOfSearch());
    EXPECT_EQ(Results().size(), 1); // searched again

    SelectResult(QStringLiteral("two.txt"));
    fForm.SearchResultList->setFocus();
    EXPECT_EQ(PreviewSelectionStart(), 0);
    QTest::keyClick(fForm.SearchResultList, Qt::Key_F3);
    EXPECT_EQ(PreviewSelectionStart(), 12);
    EXPECT_TRUE(fForm.SearchResultList->hasFocus());
    QTest::keyClick(fForm.SearchResultList, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(PreviewSelectionStart(), 0);

    QTest::keyClick(fForm.SearchResultList, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(fForm.edtTextToFind->hasFocus());

    // Tab goes through the window in reading order, the buttons and links included.
    QList<QWidget *> order;
    for (QWidget *at = fForm.edtTextToFind; at && !order.contains(at) && order.size() < 80;
         at = QApplication::focusWidget()) {
        order << at;
        QTest::keyClick(at, Qt::Key_Tab);
    }
    const QList<QWidget *> expected = {fForm.edtTextToFind, fForm.edtExclude,    fForm.btnAddFolder,
                                       fForm.Label8,        fForm.ZorShellTree1, fForm.StartSearchButton,
                                       fForm.SpeedButton2,  fForm.SpeedButton3,  fForm.SearchResultList,
                                       fForm.btPrevious,    fForm.btNext,        fForm.lbHomepageURL};
    qsizetype previous = -1;
    for (QWidget *control : expected) {
        const qsizetype at = order.indexOf(control);
        EXPECT_GT(at, previous) << control->metaObject()->className() << " "
                                << control->objectName().toStdString();
        previous = std::max(previous, at);
    }

    // Esc while a file is being checked stops the search.
    for (int i = 0; i < 20; ++i)
        Write(QStringLiteral("b/f%1.txt").arg(i), "needle");
    fForm.SearchControl().CheckInBackground = nullptr;
    fForm.SearchControl().FileContainsText = [&](const QString &, const QString &, TDocumentFailure &) {
        QTest::keyClick(&fForm, Qt::Key_Escape);
        return true;
    };
    ASSERT_TRUE(Search(QStringLiteral("needle")));
    EXPECT_LT(Results().size(), 20);
}

TEST_F(MainFormSearch, ResultsCanBeRenamedInPlaceAndMovedToTheTrash)
{
    TScopedTrashHome home(QStringLiteral("data"));
    fForm.SearchResultList->OnConfirm = [](const QString &) { return true; };
    QStringList errors;
    fForm.SearchResultList->OnShowError = [&](const QString &aMessage) { errors << aMessage; };
    const QString renamed = Write("a/draft.txt", "needle");
    const QString doomed = Write("b/old.txt", "needle");
    ASSERT_TRUE(Search(QStringLiteral("needle")));
    ASSERT_EQ(Results().size(), 2);

    SelectResult(QStringLiteral("draft.txt"));
    QTest::keyClick(fForm.SearchResultList, Qt::Key_F2);
    auto *editor = fForm.SearchResultList->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("final.txt"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the editor commits from the event loop
    const QString final = fRoot.filePath(QStringLiteral("a/final.txt"));
    EXPECT_FALSE(QFileInfo::exists(renamed));
    EXPECT_TRUE(QFileInfo::exists(final));

    SelectResult(QStringLiteral("old.txt"));
    QTest::keyClick(fForm.SearchResultList, Qt::Key_Delete);
    EXPECT_FALSE(QFileInfo::exists(doomed));
    EXPECT_TRUE(QFileInfo::exists(home.FilePath(QStringLiteral("data/Trash/files/old.txt"))));
    EXPECT_EQ(Results(), QStringList{final});
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(MainFormSearch, StopEndsALargeSearchSoon)
{
    // Many files, none holding the text: every one is read, and the walk outlasts the click.
    for (int folder = 0; folder < 40; ++folder) {
        QDir(fRoot.path()).mkpath(QStringLiteral("b/deep/%1").arg(folder));
        for (int file = 0; file < 100; ++file)
            Write(QStringLiteral("b/deep/%1/f%2.txt").arg(folder).arg(file), "hay and more hay\n");
    }
    int checks = 0;
    QElapsedTimer sinceStop;
    // Checked as each path is offered, on the UI thread.
    fForm.SearchControl().CheckInBackground = nullptr;
    fForm.SearchControl().FileContainsText =
        [&, check = fForm.SearchControl().FileContainsText](const QString &aPath, const QString &aText,
                                                            TDocumentFailure &aFailure) {
            if (++checks == 50) // the click arrives as an event while the walk goes on
                QTimer::singleShot(0, &fForm, [&] {
                    sinceStop.start();
                    fForm.StopSearchButton->click();
                });
            return check(aPath, aText, aFailure);
        };
    fForm.edtTextToFind->setText(QStringLiteral("needle"));
    fForm.StartSearchButton->click();

    ASSERT_TRUE(AwaitEndOfSearch());
    ASSERT_TRUE(sinceStop.isValid());
    RecordProperty("stop_to_end_ms", static_cast<int>(sinceStop.elapsed()));
    EXPECT_LT(checks, 4000);
    EXPECT_EQ(fForm.StatusText(), QStringLiteral("Items found: 0"));
    EXPECT_FALSE(fForm.SearchControl().StopRequested());
}

TEST_F(MainFormSearch, StopEndsASearchThatFindsNothingToOffer)
{
    for (int folder = 0; folder < 50; ++folder) {
        QDir(fRoot.path()).mkpath(QStringLiteral("b/deep/%1").arg(folder));
        for (int file = 0; file < 10; ++file)
            Write(QStringLiteral("b/deep/%1/f%2.txt").arg(folder).arg(file), "hay");
    }
    fForm.SearchField->setText(QStringLiteral("*.nothing-has-this-extension"));
    fForm.edtTextToFind->setText(QStringLiteral("needle"));
    fForm.StartSearchButton->click();
    fForm.StopSearchButton->click();
    EXPECT_TRUE(fForm.TimerStopper->isActive());
    ASSERT_TRUE(AwaitEndOfSearch());
    EXPECT_EQ(fForm.StatusText(), QStringLiteral("Items found: 0"));
}

TEST(MainFormSearchCommandLine, AFolderThatVanishesAfterStartUpIsPassedOver)
{
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("kept"));
    QDir(root.path()).mkpath(QStringLiteral("gone"));
    const QString found = WriteTestFile(root.filePath(QStringLiteral("kept/a.txt")), "needle");
    WriteTestFile(root.filePath(QStringLiteral("gone/b.txt")), "needle");
    TMainForm form(
        ParseCommandLine({root.filePath(QStringLiteral("gone")), root.filePath(QStringLiteral("kept"))}));
    form.show();
    form.SearchField->setText(QStringLiteral("*.*"));
    ASSERT_TRUE(QDir(root.filePath(QStringLiteral("gone"))).removeRecursively());

    form.edtTextToFind->setText(QStringLiteral("needle"));
    form.StartSearchButton->click();
    const QDeadlineTimer deadline(30000);
    while (!form.StartSearchButton->isEnabled() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(form.StartSearchButton->isEnabled());
    ASSERT_EQ(form.SearchResultList->FileList().Count(), 1);
    EXPECT_EQ(form.SearchResultList->FileList().Item(0).Path(), found);
    EXPECT_EQ(form.StatusText(), QStringLiteral("Items found: 1"));
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
