// State queries from worker threads while the UI thread ticks and unticks: every answer is a
// state the list can give, and nothing races or deadlocks (run under ThreadSanitizer too).
#include "selection/shell_link.h"
#include "support/temp_tree.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

class TRefreshCounter : public IZorShellControl
{
public:
    void Refresh(TRefreshLevel, const TZorShellItem &) override { ++fCount; }
    int fCount = 0;
};

} // namespace

TEST(SelectionConcurrency, WorkersQueryWhileUiThreadChanges)
{
    TTempTree tree;
    ASSERT_TRUE(tree.IsValid());
    const QStringList folders = {"A", "A/B", "A/C", "A/B/D", "E"};
    for (const QString &folder : folders) {
        tree.File(folder + "/one.txt");
        tree.File(folder + "/two.txt");
    }
    tree.Link("A/link", tree.Path("E"));

    TZorShellLink link;
    TRefreshCounter counter;
    link.RegisterControl(&counter);
    TZorSelectionList &list = link.SelectionList();

    std::atomic<bool> stop = false;
    std::atomic<int> queries = 0;
    std::atomic<int> badAnswers = 0;
    std::vector<std::thread> workers;
    for (int w = 0; w < 3; ++w)
        workers.emplace_back([&, w] {
            const QStringList paths = {tree.Path("A"),  tree.Path("A/B/D/one.txt"), tree.Path("A/link"),
                                       tree.Path("E/"), tree.Path("A/C/*"),         tree.Root()};
            for (int i = w; !stop; ++i) {
                bool isSub = false;
                const TZorSelectionState state = list.GetPathSelectionState(paths[i % paths.size()], isSub);
                if (state != ssChecked && state != ssUnChecked && state != ssGrayed)
                    ++badAnswers;
                const TZorSelectionState drives =
                    list.IsPIDLSelected(TZorShellItem::FromSpecialFolder(SF_DRIVES), isSub);
                if (drives != ssGrayed && drives != ssDisabled)
                    ++badAnswers;
                // One snapshot under one lock: two separate queries may see different lists.
                const QString entries = list.ToString();
                if (list.Count() < 0 || (!entries.isEmpty() && !entries.startsWith(u'/')))
                    ++badAnswers;
                list.IsLocalPathSelected();
                ++queries;
            }
        });

    for (int round = 0; round < 40; ++round) {
        list.AddPIDLToSelection(TZorShellItem::FromPath(tree.Path("A")));
        list.RemovePIDLFromSelection(TZorShellItem::FromPath(tree.Path("A/B/D/two.txt")));
        list.AddPathToSelection(tree.Path("A/link"));
        list.AddPathToSelection(tree.Path("A/B/D/two.txt"));
        list.RemovePathFromSelection(tree.Path("A/C"));
        list.SetPaths({tree.Path("A/B"), tree.Path("E")});
        list.Clear();
    }
    // Let the workers finish a few queries against the final state as well.
    while (queries < 30)
        std::this_thread::yield();
    stop = true;
    for (std::thread &worker : workers)
        worker.join();

    EXPECT_EQ(badAnswers, 0);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_GT(counter.fCount, 0);
    link.UnregisterControl(&counter);
}
