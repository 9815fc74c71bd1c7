// Tests of the result list's item store: adding with its argument errors and vetoes, look-ups,
// batched updates, the selection and its selection model, columns and sorting, and the model
// contract.
#include "filesearch/custom_file_list.h"
#include "filesearch/file_list.h"
#include "filesearch/result_export.h"
#include "platform/file_name.h"
#include "support/search_list_fixture.h"

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <stdexcept>
#include <string>

namespace {

std::string AddError(TZorCustomFileList &aList, const QString &aPath)
{
    try {
        aList.Add(aPath);
    } catch (const std::invalid_argument &e) {
        return e.what();
    }
    return "no error";
}

class FileListTest : public ::testing::Test
{
protected:
    TZorFileList fList;
    QAbstractItemModelTester fTester{&fList, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(FileListTest, AddRaisesItsThreeArgumentErrors)
{
    EXPECT_EQ(AddError(fList, ""), "pPath must be assigned");
    EXPECT_EQ(AddError(fList, "relative/name.txt"), "pItemIdList must be assigned");
    EXPECT_EQ(AddError(fList, "trash:/old.txt"),
              "Virtual elements cannot be added if FileSystemOnly is true");
    EXPECT_EQ(fList.Count(), 0);

    fList.SetFileSystemOnly(false);
    TZorFileListItem *item = fList.Add("trash:/old.txt");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Path(), QString());
    EXPECT_EQ(item->DisplayPath(), "trash:/old.txt");
    EXPECT_EQ(item->Caption(), "old.txt");
}

TEST_F(FileListTest, ItemsCarryCaptionKindAndFolder)
{
    const TZorFileListItem *file = fList.Add("/data/docs/report.txt");
    const TZorFileListItem *folder = fList.Add("/data/docs/Sub/");
    const TZorFileListItem *root = fList.Add("/");
    ASSERT_TRUE(file && folder && root);
    EXPECT_EQ(file->Caption(), "report.txt");
    EXPECT_FALSE(file->fIsFolder);
    EXPECT_EQ(file->InFolder(), "/data/docs");
    EXPECT_EQ(folder->Caption(), "Sub");
    EXPECT_TRUE(folder->fIsFolder);
    EXPECT_EQ(folder->InFolder(), "/data/docs");
    EXPECT_EQ(root->Caption(), "/");
    EXPECT_EQ(fList.data(fList.index(0, flcName)).toString(), "report.txt");
    EXPECT_EQ(fList.data(fList.index(1, flcInFolder)).toString(), "/data/docs");
    EXPECT_EQ(fList.data(fList.index(1, flcName), TZorCustomFileList::PathRole).toString(),
              "/data/docs/Sub/");
    EXPECT_EQ(root->DisplayPath(), "/");
    EXPECT_EQ(root->InFolder(), "/");
    // A second item of a folder (which shares the folder's string) keeps its own path.
    const TZorFileListItem *sibling = fList.Add("/data/docs/summary.txt");
    ASSERT_TRUE(sibling);
    EXPECT_EQ(sibling->DisplayPath(), "/data/docs/summary.txt");
    EXPECT_EQ(file->DisplayPath(), "/data/docs/report.txt");
}

TEST_F(FileListTest, VetoesRemoveTheItemAgain)
{
    QStringList asked;
    bool canAddOnEntry = true;
    fList.OnAddPath = [&](const QString &aPath, bool &aCanAdd) {
        asked.append(aPath);
        canAddOnEntry = canAddOnEntry && aCanAdd;
        aCanAdd = !aPath.endsWith(".tmp");
    };
    EXPECT_NE(fList.Add("/d/keep.txt"), nullptr);
    EXPECT_EQ(fList.Add("/d/drop.tmp"), nullptr);
    EXPECT_EQ(asked, QStringList({"/d/keep.txt", "/d/drop.tmp"}));
    EXPECT_TRUE(canAddOnEntry);
    ASSERT_EQ(fList.Count(), 1);
    EXPECT_EQ(fList.Item(0).Path(), "/d/keep.txt");

    // OnAddItem is asked first; its refusal spares OnAddPath.
    fList.OnAddItem = [](TZorFileListItem &aItem, bool &aCanAdd) { aCanAdd = aItem.Caption() != "no.txt"; };
    asked.clear();
    EXPECT_EQ(fList.Add("/d/no.txt"), nullptr);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(fList.Count(), 1);
}

TEST_F(FileListTest, AnExceptionOfTheVetoRemovesTheItemAndPassesOn)
{
    fList.OnAddPath = [](const QString &, bool &) { throw std::runtime_error("handler failed"); };
    EXPECT_THROW(fList.Add("/d/a.txt"), std::runtime_error);
    EXPECT_EQ(fList.Count(), 0);
    EXPECT_EQ(fList.rowCount(), 0);
}

TEST_F(FileListTest, DuplicatesAllowedInTheResultListButNotInTheBaseList)
{
    fList.Add("/d/a.txt");
    fList.Add("/d/a.txt");
    EXPECT_EQ(fList.Count(), 2);

    TZorCustomFileList base;
    QAbstractItemModelTester tester(&base, QAbstractItemModelTester::FailureReportingMode::Fatal);
    TZorFileListItem *first = base.Add("/d/a.txt");
    EXPECT_EQ(base.Add("/d/a.txt/"), first);
    EXPECT_EQ(base.Count(), 1);
    base.OnAddPath = [](const QString &, bool &aCanAdd) { aCanAdd = false; };
    EXPECT_EQ(base.Add("/d/a.txt"), nullptr);
    EXPECT_EQ(base.Count(), 0);
}

TEST_F(FileListTest, PositionInsertsOrAppends)
{
    fList.Add("/d/1");
    fList.Add("/d/2");
    fList.Add("/d/0", false, 0);
    fList.Add("/d/3", true, 99);
    ASSERT_EQ(fList.Count(), 4);
    EXPECT_EQ(fList.Item(0).Path(), "/d/0");
    EXPECT_EQ(fList.Item(3).Path(), "/d/3");
    EXPECT_TRUE(fList.Item(3).fChecked);
    EXPECT_FALSE(fList.Item(0).fChecked);
}

TEST_F(FileListTest, LookUpComparesPathsIgnoringOneTrailingSeparator)
{
    fList.Add("/d/a.txt");
    fList.Add("/d/Sub/");
    fList.Add("/d/a.txt");
    EXPECT_EQ(fList.ReturnItemInList("/d/a.txt"), 0);
    EXPECT_EQ(fList.ReturnItemInList("/d/a.txt", 1), 2);
    EXPECT_EQ(fList.ReturnItemInList("/d/Sub"), 1);
    EXPECT_EQ(fList.ReturnItemInList("/d/sub/"), -1);
    EXPECT_EQ(fList.ReturnItemInList("/d/Su"), -1);
    EXPECT_EQ(fList.ReturnItemInList("/e/a.txt"), -1);
    EXPECT_EQ(fList.ReturnItemInList("/d/xa.txt"), -1);
    EXPECT_EQ(fList.ReturnItemInList(""), -1);
    EXPECT_TRUE(fList.IsItemInList("/d/Sub/"));
    EXPECT_FALSE(fList.IsItemInList("/d/b.txt"));
}

TEST_F(FileListTest, AnUpdateAnnouncesItsRowsOnceAtTheEnd)
{
    QSignalSpy inserted(&fList, &QAbstractItemModel::rowsInserted);
    fList.BeginUpdate();
    fList.BeginUpdate();
    fList.Add("/d/a");
    fList.Add("/d/b");
    fList.OnAddPath = [](const QString &, bool &aCanAdd) { aCanAdd = false; };
    fList.Add("/d/refused");
    fList.OnAddPath = nullptr;
    fList.Add("/d/c");
    EXPECT_EQ(fList.Count(), 3);
    EXPECT_EQ(fList.rowCount(), 0);
    fList.EndUpdate();
    EXPECT_EQ(inserted.count(), 0);
    fList.EndUpdate();
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 2);
    EXPECT_EQ(fList.rowCount(), 3);
}

TEST_F(FileListTest, SelectionIsKeptInTheList)
{
    int changes = 0;
    QString lastReported = "none";
    fList.OnSelectionChanged = [&](TZorCustomFileList &, const QString &aPath) {
        ++changes;
        lastReported = aPath;
    };
    fList.Add("/d/a");
    fList.Add("/d/b");
    fList.Add("/d/c");
    EXPECT_EQ(fList.ItemIndex(), -1);
    EXPECT_EQ(fList.SelectedPath(), QString());

    fList.SetItemIndex(1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(lastReported, "/d/b");
    fList.SetSelectedRows({2, 0, 7});
    EXPECT_EQ(fList.SelCount(), 2);
    EXPECT_EQ(fList.ItemIndex(), 0);
    EXPECT_EQ(fList.SelectedPaths(), QStringList({"/d/a", "/d/c"}));
    fList.SetSelectedRows({0, 2});
    EXPECT_EQ(changes, 2); // unchanged selection, no event

    fList.Delete(0);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(lastReported, "/d/c");
    fList.Clear();
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(lastReported, QString());
    EXPECT_EQ(fList.SelCount(), 0);
}

TEST_F(FileListTest, TheSelectionModelIsTheSelectionsOneRecord)
{
    int changes = 0;
    fList.OnSelectionChanged = [&](TZorCustomFileList &, const QString &) { ++changes; };
    fList.Add("/d/a");
    fList.Add("/d/b");
    fList.Add("/d/c");
    QItemSelectionModel &model = fList.SelectionModel();
    EXPECT_EQ(model.model(), &fList);

    // Selected through the model: the list reports it, with one event per change.
    model.select(fList.index(2, flcInFolder), QItemSelectionModel::Select);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(fList.SelCount(), 1);
    EXPECT_EQ(fList.ItemIndex(), 2);
    EXPECT_TRUE(fList.IsSelected(2));
    model.select(fList.index(2, flcName), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(fList.SelCount(), 1); // cells of one row count once

    // Selected through the list: the model holds whole rows.
    fList.SetSelected(0, true);
    EXPECT_EQ(changes, 3);
    EXPECT_TRUE(model.isRowSelected(0, QModelIndex()));
    fList.SetSelected(0, true);
    fList.SetSelected(1, false);
    EXPECT_EQ(changes, 3); // no change, no event
    EXPECT_EQ(fList.SelectedRows(), QList<int>({0, 2}));
    fList.SetSelected(0, false);
    EXPECT_EQ(changes, 4);
    EXPECT_FALSE(model.isSelected(fList.index(0, flcName)));
    fList.SetItemIndex(-1);
    EXPECT_EQ(changes, 5);
    EXPECT_FALSE(model.hasSelection());
}

TEST_F(FileListTest, TheSelectionFollowsItsItemsThroughInsertsRemovalsAndSorting)
{
    int changes = 0;
    QString lastReported;
    fList.OnSelectionChanged = [&](TZorCustomFileList &, const QString &aPath) {
        ++changes;
        lastReported = aPath;
    };
    fList.Add("/d/e");
    fList.Add("/d/d");
    fList.Add("/d/c");
    fList.Add("/d/b");
    fList.SetSelectedRows({1, 2}); // d, c
    ASSERT_EQ(changes, 1);

    // A row inserted within the selected block stays unselected; no event.
    fList.Add("/d/x", false, 2);
    EXPECT_EQ(fList.SelectedPaths(), QStringList({"/d/d", "/d/c"}));
    EXPECT_EQ(fList.SelectedRows(), QList<int>({1, 3}));
    // Rows removed above and below the selection keep it; no event.
    fList.Delete(4); // b
    fList.Delete(0); // e
    fList.Delete(1); // x
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(fList.SelectedPaths(), QStringList({"/d/d", "/d/c"}));
    EXPECT_EQ(fList.ItemIndex(), 0);

    // Sorting moves the selection with its items and raises nothing; ItemIndex is the lowest row.
    fList.Add("/d/a");
    fList.sort(flcName, Qt::AscendingOrder);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(fList.Item(0).Path(), "/d/a");
    EXPECT_EQ(fList.SelectedRows(), QList<int>({1, 2}));
    EXPECT_EQ(fList.SelectedPath(), "/d/c");
    EXPECT_EQ(fList.SelCount(), 2);

    // Removing one of the selected rows raises one event, after the row has gone.
    fList.Delete(1);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(lastReported, "/d/d");
    EXPECT_EQ(fList.SelectedRows(), QList<int>({1}));
}

TEST_F(FileListTest, RowsAddedDuringAnUpdateCanBeSelectedFromItsEnd)
{
    fList.Add("/d/a");
    fList.BeginUpdate();
    fList.Add("/d/b");
    fList.SetSelectedRows({0, 1});
    EXPECT_EQ(fList.SelectedRows(), QList<int>({0}));
    fList.EndUpdate();
    fList.SetSelectedRows({0, 1});
    EXPECT_EQ(fList.SelectedRows(), QList<int>({0, 1}));
    EXPECT_EQ(fList.SelectedPaths(), QStringList({"/d/a", "/d/b"}));
}

TEST_F(FileListTest, ColumnsShowSizeTypeAndDate)
{
    TTempTree tree;
    const QString file = tree.File("notes.txt", QByteArray(2048, 'a'));
    tree.Folder("Sub");
    fList.Add(file);
    fList.Add(tree.Path("Sub/"));
    fList.Add(tree.Path("gone.qqzz"));
    fList.Add(tree.Path("README"));
    EXPECT_EQ(fList.Item(0).Size(), 2048);
    EXPECT_TRUE(fList.Item(0).DateModified().isValid());
    EXPECT_FALSE(fList.TypeName(fList.Item(0)).isEmpty());
    EXPECT_EQ(fList.Item(1).Size(), -1);
    EXPECT_EQ(fList.TypeName(fList.Item(1)), "Folder");
    EXPECT_EQ(fList.Item(2).Size(), -1);
    EXPECT_FALSE(fList.Item(2).Exists());
    EXPECT_EQ(fList.TypeName(fList.Item(2)), "QQZZ File");
    EXPECT_EQ(fList.TypeName(fList.Item(3)), "File");
    EXPECT_FALSE(fList.data(fList.index(0, flcSize)).toString().isEmpty());
    EXPECT_TRUE(fList.data(fList.index(1, flcSize)).toString().isEmpty());
    EXPECT_EQ(fList.headerData(flcDateModified, Qt::Horizontal).toString(), "Date modified");
}

TEST_F(FileListTest, SortingOrdersByTheChosenColumnAndKeepsTheSelection)
{
    TTempTree tree;
    fList.Add(tree.File("b.txt", "12345"));
    fList.Add(tree.File("a.txt", "123"));
    fList.Add(tree.File("C.txt", "1"));
    fList.SetItemIndex(0); // b.txt
    EXPECT_FALSE(fList.IsSorted());
    fList.sort(flcName, Qt::AscendingOrder);
    EXPECT_TRUE(fList.IsSorted());
    EXPECT_EQ(fList.Item(0).Caption(), "a.txt");
    EXPECT_EQ(fList.Item(2).Caption(), "C.txt");
    EXPECT_EQ(fList.SelectedPath(), tree.Path("b.txt"));
    fList.sort(flcSize, Qt::DescendingOrder);
    EXPECT_EQ(fList.Item(0).Caption(), "b.txt");
    EXPECT_EQ(fList.Item(2).Caption(), "C.txt");

    // Added during an update, sorted at its end.
    fList.sort(flcName, Qt::AscendingOrder);
    fList.BeginUpdate();
    fList.Add(tree.File("0.txt"));
    fList.Resort();
    EXPECT_EQ(fList.Item(3).Caption(), "0.txt");
    fList.EndUpdate();
    EXPECT_EQ(fList.Item(0).Caption(), "0.txt");
}

// The export keeps every name exact: a CSV parser following RFC 4180 reads back the fields that
// were written, commas, quotes, line breaks and bytes that are not UTF-8 included; the copied
// rows are one line each.
TEST_F(FileListTest, ExportedRowsReadBackExactly)
{
    const QList<QByteArray> names = {"plain.txt", "a,b.txt", "say \"hi\".txt", "two\nlines.txt", "r\xFF.txt"};
    for (const QByteArray &name : names)
        fList.Add(FileNameText("/data/in, \"here\"/" + name));
    fList.Item(1).SetFinding({4, QStringLiteral("say \"x\", y")});
    const QByteArray csv = ResultsCsv(fList);

    // A small RFC 4180 reader: records of fields, quoted fields with doubled quotes.
    QList<QList<QByteArray>> records(1, QList<QByteArray>(1));
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const char c = csv[i];
        QByteArray &field = records.back().back();
        if (c == '"' && field.isEmpty()) {
            for (++i; i < csv.size(); ++i) {
                if (csv[i] == '"' && i + 1 < csv.size() && csv[i + 1] == '"')
                    field += csv[++i];
                else if (csv[i] == '"')
                    break;
                else
                    field += csv[i];
            }
        } else if (c == ',') {
            records.back().append(QByteArray());
        } else if (c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n') {
            ++i;
            records.append(QList<QByteArray>(1));
        } else {
            field += c;
        }
    }
    records.removeLast(); // after the last CR LF
    ASSERT_EQ(records.size(), names.size() + 1);
    EXPECT_EQ(records[0],
              (QList<QByteArray>{"path", "name", "folder", "size", "modified", "matches", "context"}));
    for (qsizetype row = 0; row < names.size(); ++row) {
        ASSERT_EQ(records[row + 1].size(), 7);
        EXPECT_EQ(records[row + 1][0], "/data/in, \"here\"/" + names[row]);
        EXPECT_EQ(records[row + 1][1], names[row]);
        EXPECT_EQ(records[row + 1][2], "/data/in, \"here\"");
        EXPECT_EQ(records[row + 1][5], row == 1 ? "4" : "");
        EXPECT_EQ(records[row + 1][6], row == 1 ? "say \"x\", y" : "");
    }
    EXPECT_TRUE(ResultsTabSeparated(fList, {1}).endsWith(QStringLiteral("\t4\tsay \"x\", y\n")));
    const QString rows = ResultsTabSeparated(fList, {3, 4});
    EXPECT_EQ(rows.count(u'\n'), 2);
    EXPECT_TRUE(rows.startsWith(QStringLiteral("/data/in, \"here\"/two lines.txt\ttwo lines.txt\t")));
    EXPECT_TRUE(rows.contains(QString::fromUtf16(u"r\uFFFD.txt")));
}

} // namespace
