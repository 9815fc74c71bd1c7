// The result list view through its widgets: rows from the model, icons, sorting by a header
// click, the selection shared with the model, and the commands by key: open, select all, rename in
// place (and a refused rename), move to trash (and a file that cannot be moved), the item menu,
// and "Open containing folder" through a stand-in file manager on a bus of the test's own.
#include "filesearch/file_list.h"
#include "gui/views/file_list_delegate.h"
#include "gui/views/file_list_view.h"
#include "platform/file_name.h"
#include "support/private_bus.h"
#include "support/pump.h"
#include "support/scoped_trash_home.h"
#include "support/temp_tree.h"
#include "support/test_files.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <sys/stat.h>

namespace {

class FileListViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fDir.isValid());
        ASSERT_TRUE(fHome.IsValid());
        fView.SetFileList(&fList);
        fView.OnConfirm = [this](const QString &pQuestion) {
            fQuestions.append(pQuestion);
            return fAnswer;
        };
        fView.OnShowError = [this](const QString &pMessage) { fErrors.append(pMessage); };
        fView.OnOpenUrl = [this](const QUrl &pUrl) {
            fOpened.append(pUrl);
            return true;
        };
        // No file manager: "Open containing folder" opens the folders, whatever bus the machine has.
        fView.fFileManager.fService.clear();
        fView.resize(800, 400);
        fView.show();
    }
    QString AddFile(const QString &pName, const QByteArray &pBytes)
    {
        const QString path = WriteTestFile(fDir.filePath(pName), pBytes);
        fView.FileList().Add(path);
        return path;
    }
    QString NameAt(int pRow) const { return fView.model()->index(pRow, flcName).data().toString(); }
    void Press(int pKey, Qt::KeyboardModifiers pModifiers = Qt::NoModifier)
    {
        QTest::keyClick(&fView, Qt::Key(pKey), pModifiers);
    }

    QTemporaryDir fDir;
    TScopedTrashHome fHome{QStringLiteral("data")};
    TZorFileList fList;
    TFileListView fView;
    bool fAnswer = true;
    QStringList fQuestions;
    QStringList fErrors;
    QList<QUrl> fOpened;
};

TEST_F(FileListViewTest, ShowsTheModelsItemsWithSevenColumnsAndIcons)
{
    AddFile("b.txt", "bb");
    AddFile("a.log", "a");
    ASSERT_EQ(fView.model()->rowCount(), 2);
    EXPECT_EQ(fView.model()->columnCount(), 7);
    EXPECT_EQ(fView.model()->headerData(flcInFolder, Qt::Horizontal).toString(), QStringLiteral("In Folder"));
    EXPECT_EQ(NameAt(0), QStringLiteral("b.txt"));
    EXPECT_EQ(fView.model()->index(0, flcInFolder).data().toString(), fDir.path());
    EXPECT_FALSE(fView.model()->index(0, flcSize).data().toString().isEmpty());
    EXPECT_FALSE(fView.Delegate().IconAt(fView.model()->index(0, flcName)).isNull());
    EXPECT_EQ(fView.selectionMode(), QAbstractItemView::ExtendedSelection);
    // Columns fit their contents, also after widths were set by code.
    fView.header()->resizeSection(flcInFolder, 10);
    fView.FitColumns();
    EXPECT_GE(fView.columnWidth(flcInFolder), fView.fontMetrics().horizontalAdvance(fDir.path()));
    // One icon per extension: a second .txt file shares the first one's.
    AddFile("c.TXT", "c");
    EXPECT_EQ(fView.Delegate().IconOf(fDir.filePath("c.TXT"), false).cacheKey(),
              fView.Delegate().IconOf(fDir.filePath("b.txt"), false).cacheKey());
    // One icon per type: two extensions of one type share it.
    EXPECT_EQ(fView.Delegate().IconOf(fDir.filePath("page.htm"), false).cacheKey(),
              fView.Delegate().IconOf(fDir.filePath("page.html"), false).cacheKey());
    EXPECT_FALSE(fView.Delegate().IconOf(fDir.filePath("page.html"), false).isNull());
}

TEST_F(FileListViewTest, AClickOnAHeaderSortsAndASecondClickReverses)
{
    AddFile("b.txt", "bb");
    AddFile("c.txt", "c");
    AddFile("a.txt", "aaa");
    EXPECT_EQ(NameAt(0), QStringLiteral("b.txt")); // found order until a header is clicked
    QHeaderView *header = fView.header();
    const QPoint nameHeader(header->sectionViewportPosition(flcName) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeader);
    const QString first = NameAt(0);
    EXPECT_TRUE(first == QStringLiteral("a.txt") || first == QStringLiteral("c.txt"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeader);
    EXPECT_NE(NameAt(0), first);
    EXPECT_EQ(NameAt(1), QStringLiteral("b.txt"));
    const QPoint sizeHeader(header->sectionViewportPosition(flcSize) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);
    EXPECT_EQ(fView.FileList().SortColumn(), flcSize);
}

TEST_F(FileListViewTest, SelectionReachesTheModelAndItsEvent)
{
    const QString b = AddFile("b.txt", "b");
    AddFile("a.txt", "a");
    int events = 0;
    QString reported;
    fView.FileList().OnSelectionChanged = [&](TZorCustomFileList &, const QString &pPath) {
        ++events;
        reported = pPath;
    };
    fView.SelectRows({0});
    EXPECT_EQ(events, 1);
    EXPECT_EQ(reported, b);
    EXPECT_EQ(fView.FileList().ItemIndex(), 0);
    Press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(fView.FileList().SelCount(), 2);
    // Sorting keeps the selected item selected.
    fView.SelectRows({0});
    fView.header()->setSortIndicator(flcName, Qt::AscendingOrder);
    EXPECT_EQ(fView.FileList().SelectedPath(), b);
    EXPECT_EQ(fView.selectionModel()->selectedRows().first().row(), 1);
}

TEST_F(FileListViewTest, TheViewShowsTheListAndSharesItsSelectionModel)
{
    AddFile("a.txt", "a");
    const QString b = AddFile("b.txt", "b");
    EXPECT_EQ(fView.model(), &fView.FileList());
    EXPECT_EQ(fView.selectionModel(), &fView.FileList().SelectionModel());
    int events = 0;
    fView.FileList().OnSelectionChanged = [&](TZorCustomFileList &, const QString &) { ++events; };
    // A click selects in the list, once; a selection made through the list shows in the view.
    QTest::mouseClick(fView.viewport(), Qt::LeftButton, {},
                      fView.visualRect(fView.model()->index(1, 0)).center());
    EXPECT_EQ(events, 1);
    EXPECT_EQ(fView.FileList().SelectedPath(), b);
    fView.FileList().SetItemIndex(0);
    EXPECT_EQ(events, 2);
    EXPECT_TRUE(fView.selectionModel()->isRowSelected(0, QModelIndex()));
    EXPECT_FALSE(fView.selectionModel()->isRowSelected(1, QModelIndex()));
}

TEST_F(FileListViewTest, EnterOpensEverySelectedFileAndDoubleClickTheOneUnderThePointer)
{
    const QString a = AddFile("a.txt", "a");
    const QString b = AddFile("b.txt", "b");
    Press(Qt::Key_Return); // nothing selected: nothing opened
    EXPECT_TRUE(fOpened.isEmpty());
    fView.SelectRows({0, 1});
    Press(Qt::Key_Return);
    EXPECT_EQ(fOpened, (QList<QUrl>{QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)}));
    fOpened.clear();
    fView.SelectRows({1});
    const QPoint at = fView.visualRect(fView.model()->index(1, 0)).center();
    QTest::mouseDClick(fView.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(fOpened, QList<QUrl>{QUrl::fromLocalFile(b)});
    EXPECT_TRUE(fView.InvokeContextMenuCommand(QStringLiteral("explore")));
    EXPECT_EQ(fOpened.last(), QUrl::fromLocalFile(fDir.path()));
    EXPECT_FALSE(fView.InvokeContextMenuCommand(QStringLiteral("printto")));

    // A name that is not valid UTF-8 is opened by its own bytes, and so is its folder.
    TTempTree tree;
    const QString rawFolder = FileNameText(FileNameBytes(tree.Root()) + "/d\xFE");
    ASSERT_EQ(::mkdir(FileNameBytes(rawFolder).constData(), 0700), 0);
    fView.FileList().Add(WriteRawNamedFile(rawFolder, "x\xFF.txt", "raw"));
    fView.SelectRows({2});
    fOpened.clear();
    Press(Qt::Key_Return);
    EXPECT_TRUE(fView.InvokeContextMenuCommand(QStringLiteral("explore")));
    ASSERT_EQ(fOpened.size(), 2);
    EXPECT_TRUE(fOpened[0].toEncoded().endsWith("/d%FE/x%FF.txt")) << fOpened[0].toEncoded().toStdString();
    EXPECT_TRUE(fOpened[1].toEncoded().endsWith("/d%FE")) << fOpened[1].toEncoded().toStdString();
}

TEST_F(FileListViewTest, F2RenamesTheFileInPlace)
{
    const QString old = AddFile("old.txt", "content");
    fView.SelectRows({0});
    Press(Qt::Key_F2);
    auto *editor = fView.viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("old.txt"));
    editor->setText(QStringLiteral("new.txt"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the delegate commits from the event loop
    EXPECT_FALSE(QFileInfo::exists(old));
    EXPECT_TRUE(QFileInfo::exists(fDir.filePath("new.txt")));
    EXPECT_EQ(NameAt(0), QStringLiteral("new.txt"));
    EXPECT_EQ(fView.FileList().Item(0).Path(), fDir.filePath("new.txt"));
    EXPECT_TRUE(fErrors.isEmpty());
}

TEST_F(FileListViewTest, ARefusedRenameLeavesBothFilesAndTellsTheUser)
{
    const QString old = AddFile("old.txt", "old");
    const QString taken = WriteTestFile(fDir.filePath("taken.txt"), "taken");
    fView.SelectRows({0});
    ASSERT_TRUE(fView.InvokeCommandOnSelected(TShellCommand::FromAction(saRename)));
    auto *editor = fView.viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("taken.txt"));
    // While the refusal is told, the row already shows the old name: the editor is gone.
    bool editorShownWhileTold = true;
    fView.OnShowError = [&](const QString &pMessage) {
        fErrors.append(pMessage);
        editorShownWhileTold = editor->isVisible();
    };
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the delegate commits from the event loop
    ASSERT_EQ(fErrors.size(), 1);
    EXPECT_FALSE(editorShownWhileTold);
    EXPECT_TRUE(fErrors.first().startsWith(QStringLiteral("Cannot rename the file.")));
    QFile oldFile(old), takenFile(taken);
    ASSERT_TRUE(oldFile.open(QIODevice::ReadOnly));
    ASSERT_TRUE(takenFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(oldFile.readAll(), "old");
    EXPECT_EQ(takenFile.readAll(), "taken");
    EXPECT_EQ(NameAt(0), QStringLiteral("old.txt"));
}

TEST_F(FileListViewTest, RenameNeedsExactlyOneSelectedItemAndAWritableList)
{
    AddFile("a.txt", "a");
    AddFile("b.txt", "b");
    fView.SelectRows({0, 1});
    EXPECT_FALSE(fView.InvokeCommandOnSelected(TShellCommand::FromAction(saRename)));
    fView.SelectRows({0});
    fView.SetReadOnly(true);
    EXPECT_FALSE(fView.InvokeCommandOnSelected(TShellCommand::FromAction(saRename)));
    EXPECT_FALSE(fView.InvokeCommandOnSelected(TShellCommand::FromAction(saDelete)));
    EXPECT_TRUE(fQuestions.isEmpty());
}

TEST_F(FileListViewTest, DeleteMovesTheSelectedFilesToTheTrashAfterAsking)
{
    const QString keep = AddFile("keep.txt", "k");
    const QString doomed = AddFile("doomed.txt", "d");
    fView.SelectRows({1});
    fAnswer = false;
    Press(Qt::Key_Delete);
    EXPECT_EQ(fQuestions, QStringList{QStringLiteral("Move the selected files to the trash?")});
    EXPECT_TRUE(QFileInfo::exists(doomed));
    EXPECT_EQ(fView.FileList().Count(), 2);
    fAnswer = true;
    int selectionEvents = 0;
    fView.FileList().OnSelectionChanged = [&](TZorCustomFileList &, const QString &) { ++selectionEvents; };
    Press(Qt::Key_Delete);
    EXPECT_EQ(selectionEvents, 1); // one preview update, not one per removed row
    EXPECT_FALSE(QFileInfo::exists(doomed));
    EXPECT_TRUE(QFileInfo::exists(fHome.FilePath("data/Trash/files/doomed.txt")));
    ASSERT_EQ(fView.FileList().Count(), 1);
    EXPECT_EQ(fView.FileList().Item(0).Path(), keep);
    EXPECT_TRUE(QFileInfo::exists(keep));
    EXPECT_TRUE(fErrors.isEmpty());
}

TEST_F(FileListViewTest, AFileThatCannotBeTrashedStaysOnDiskAndLeavesTheList)
{
    const QString stays = AddFile("stays.txt", "s");
    // A trash that cannot be made: its data folder is a plain file.
    WriteTestFile(fHome.FilePath("data"), "not a folder");
    fView.SelectRows({0});
    // Through the menu command the row stays; through the Delete key it leaves the list.
    EXPECT_FALSE(fView.InvokeContextMenuCommand(QStringLiteral("delete")));
    EXPECT_EQ(fView.FileList().Count(), 1);
    Press(Qt::Key_Delete);
    EXPECT_TRUE(QFileInfo::exists(stays));
    EXPECT_EQ(fView.FileList().Count(), 0);
    ASSERT_EQ(fErrors.size(), 2);
    EXPECT_TRUE(fErrors.last().startsWith(QStringLiteral("Cannot move the file to the trash.")));
}

TEST_F(FileListViewTest, CopyCutAndPasteGoThroughTheClipboard)
{
    const QString source = AddFile("copy me.txt", "c");
    ASSERT_TRUE(QDir(fDir.path()).mkdir("target"));
    fView.FileList().Add(fDir.filePath("target") + u'/');
    fView.SelectRows({0});
    Press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier); // the row as text
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(source + QStringLiteral("\tcopy me.txt\t")));
    Press(Qt::Key_C, Qt::ControlModifier);
    const QMimeData *data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->urls(), QList<QUrl>{QUrl::fromLocalFile(source)});
    fView.SelectRows({1});
    Press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(QFileInfo::exists(fDir.filePath("target/copy me.txt")));
    EXPECT_TRUE(QFileInfo::exists(source));
    // Cut, then paste into the same folder again: the file moves, its row follows.
    fView.SelectRows({0});
    Press(Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(fView.Delegate().IsCut(source));
    fView.SelectRows({1});
    Press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_FALSE(QFileInfo::exists(source));
    EXPECT_TRUE(QFileInfo::exists(fDir.filePath("target/copy me (2).txt")));
    EXPECT_EQ(fView.FileList().Item(0).Path(), fDir.filePath("target/copy me (2).txt"));
    EXPECT_FALSE(fView.Delegate().IsCut(source));
    EXPECT_TRUE(fErrors.isEmpty());
}

TEST_F(FileListViewTest, TheItemMenuHoldsTheCommandsAndF5DropsVanishedFiles)
{
    const QString gone = AddFile("gone.txt", "g");
    AddFile("here.txt", "h");
    fView.SelectRows({0});
    QMenu menu;
    fView.BuildContextMenu(menu);
    QStringList verbs;
    for (const QAction *action : menu.actions())
        if (!action->isSeparator())
            verbs.append(action->data().toString());
    EXPECT_EQ(verbs, (QStringList{"open", "explore", "cut", "copy", "paste", "copypath", "rename", "delete",
                                  "properties"}));
    EXPECT_EQ(menu.actions().first()->text(), QStringLiteral("Open"));
    fView.SelectRows({});
    EXPECT_TRUE(fView.ShowContextMenu(QPoint(10, 10)).isEmpty()); // nothing selected: no menu
    ASSERT_TRUE(QFile::remove(gone));
    Press(Qt::Key_F5);
    ASSERT_EQ(fView.FileList().Count(), 1);
    EXPECT_EQ(NameAt(0), QStringLiteral("here.txt"));
}

TEST_F(FileListViewTest, AltEnterShowsPropertiesAndCopyPathPutsThePathsAsText)
{
    const QString a = AddFile("a.txt", "a");
    const QString b = AddFile("b.txt", "b");
    fView.SelectRows({0});
    Press(Qt::Key_Return, Qt::AltModifier);
    auto *dialog = fView.findChild<QDialog *>(QStringLiteral("PropertiesDialog"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    bool pathShown = false;
    for (const QLabel *label : dialog->findChildren<QLabel *>())
        pathShown = pathShown || label->text() == a;
    EXPECT_TRUE(pathShown);
    EXPECT_TRUE(fOpened.isEmpty());
    dialog->close();
    fView.SelectRows({0, 1});
    EXPECT_TRUE(fView.InvokeContextMenuCommand(QStringLiteral("copypath")));
    EXPECT_EQ(QApplication::clipboard()->text(), a + u'\n' + b);
}

const QString kFakeFileManager = QStringLiteral("example.ordwell.TestFileManager");
const QString kServiceConnection = QStringLiteral("ordwell-test-file-manager");
const QString kViewConnection = QStringLiteral("ordwell-test-view");

// Stands in for a file manager on the test's bus: records each ShowItems call, or refuses it.
class TFakeFileManager : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<QStringList> fCalls;
    QStringList fStartupIds;
    bool fRefuse = false;

public Q_SLOTS:
    void ShowItems(const QStringList &aUris, const QString &aStartupId)
    {
        fCalls.append(aUris);
        fStartupIds.append(aStartupId);
        if (fRefuse)
            sendErrorReply(QDBusError::Failed, QStringLiteral("refused by the test"));
    }
};

class FileListViewFileManager : public FileListViewTest
{
protected:
    void SetUp() override
    {
        FileListViewTest::SetUp();
        if (!TPrivateBus::Available())
            GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(fTree.IsValid());
        ASSERT_TRUE(fBus.Start());
        ASSERT_TRUE(fBus.Connect(kServiceConnection));
        ASSERT_TRUE(fBus.Connect(kViewConnection));
        QDBusConnection service(kServiceConnection);
        ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &fFake,
                                           QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service.registerService(kFakeFileManager));
        fView.fFileManager.fService = kFakeFileManager;
        fView.fFileManager.fConnectionName = kViewConnection;
    }
    void TearDown() override
    {
        fView.fFileManager.fService.clear();
        QDBusConnection(kServiceConnection).unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
        fBus.Stop();
        FileListViewTest::TearDown();
    }

    // Returns once every answer the stand-in has sent has reached the view: its connection sends
    // in order, so the answer to a later ping comes after them.
    void WaitForTheAnswers()
    {
        const QDBusMessage reply =
            QDBusConnection(kViewConnection)
                .call(QDBusMessage::createMethodCall(kFakeFileManager, QStringLiteral("/"),
                                                     QStringLiteral("org.freedesktop.DBus.Peer"),
                                                     QStringLiteral("Ping")));
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    TTempTree fTree;
    TPrivateBus fBus;
    TFakeFileManager fFake;
};

TEST_F(FileListViewFileManager, OpenContainingFolderShowsTheSelectedFilesByTheirOwnBytes)
{
    const QString a = AddFile("a b.txt", "a");
    const QString rawFolder = FileNameText(FileNameBytes(fTree.Root()) + "/d\xFE");
    ASSERT_EQ(::mkdir(FileNameBytes(rawFolder).constData(), 0700), 0);
    const QString raw = WriteRawNamedFile(rawFolder, "x\xFF.txt", "raw");
    fView.FileList().Add(raw);
    fView.SelectRows({0, 1});
    EXPECT_TRUE(fView.InvokeContextMenuCommand(QStringLiteral("explore")));
    ASSERT_TRUE(PumpUntil([this] { return !fFake.fCalls.isEmpty(); }));
    WaitForTheAnswers();
    ASSERT_EQ(fFake.fCalls.size(), 1);
    const QByteArray treeUrl = QUrl::fromLocalFile(fTree.Root()).toEncoded();
    EXPECT_EQ(fFake.fCalls.front(), (QStringList{QString::fromLatin1(QUrl::fromLocalFile(a).toEncoded()),
                                                 QString::fromLatin1(treeUrl + "/d%FE/x%FF.txt")}));
    EXPECT_TRUE(fFake.fCalls.front().front().endsWith(QStringLiteral("/a%20b.txt")));
    EXPECT_EQ(fFake.fStartupIds, QStringList{QString()});
    EXPECT_TRUE(fOpened.isEmpty()); // the file manager answered: no folder opened besides
}

// When the file manager cannot show the files, their folders open as before.
struct TFallbackCase
{
    const char *fName;
    // The stand-in refuses the call; otherwise the view asks a name nobody owns.
    bool fRefused;
};

void PrintTo(const TFallbackCase &aCase, std::ostream *aStream)
{
    *aStream << aCase.fName;
}

class FileListViewFileManagerFallback : public FileListViewFileManager,
                                        public ::testing::WithParamInterface<TFallbackCase>
{
};

TEST_P(FileListViewFileManagerFallback, OpensTheFoldersInstead)
{
    const TFallbackCase &c = GetParam();
    fFake.fRefuse = c.fRefused;
    if (!c.fRefused)
        fView.fFileManager.fService = QStringLiteral("example.ordwell.NobodyHere");
    const QString a = AddFile("a.txt", "a");
    const QString raw = WriteRawNamedFile(fTree.Folder(QStringLiteral("sub")), "y\xFE.txt", "raw");
    fView.FileList().Add(raw);
    fView.SelectRows({0, 1});
    EXPECT_TRUE(fView.InvokeContextMenuCommand(QStringLiteral("explore")));
    ASSERT_TRUE(PumpUntil([this] { return fOpened.size() == 2; }));
    EXPECT_EQ(fOpened,
              (QList<QUrl>{QUrl::fromLocalFile(fDir.path()), FileUrl(fTree.Path(QStringLiteral("sub")))}));
    EXPECT_EQ(fFake.fCalls.size(), c.fRefused ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, FileListViewFileManagerFallback,
                         ::testing::Values(TFallbackCase{"Refused", true},
                                           TFallbackCase{"NoSuchService", false}),
                         [](const ::testing::TestParamInfo<TFallbackCase> &aInfo) {
                             return std::string(aInfo.param.fName);
                         });

} // namespace

#include "file_list_view_test.moc"
