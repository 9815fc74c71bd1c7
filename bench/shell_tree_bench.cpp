// How long the UI thread is blocked when the folder tree expands a folder with 20000 subfolders:
// the expansion itself (listing, nodes, layout), the first paint, and the longest stall of the
// event loop while the state queries of the shown nodes come back. Prints the figures.
#include "gui/views/shell_tree.h"
#include "selection/shell_folder.h"
#include "threads/ui_thread.h"
#include "threads/worker_thread_pool.h"

#include <cstdio>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20000;
    QTemporaryDir temp;
    const QString big = temp.path() + QStringLiteral("/big");
    QDir().mkpath(big);
    for (int i = 0; i < count; ++i)
        QDir().mkdir(big + QStringLiteral("/folder %1").arg(i));

    TZorShellLink link;
    TZorShellTree tree;
    tree.resize(330, 600);
    tree.SetShellLink(&link);
    tree.SetCheckboxes(true);
    tree.SetRootedAt(TZorShellItem::FromPath(temp.path()));
    tree.show();
    link.SelectionList().AddPathToSelection(big + QStringLiteral("/folder 3"));
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();

    const QModelIndex index = tree.Model().IndexFromNode(tree.Model().RootNode()->Child(0));
    QElapsedTimer timer;
    timer.start();
    std::vector<TZorShellFolderItem> items;
    EnumerateShellFolder(TZorShellItem::FromPath(big), QStringLiteral("*"), items);
    std::printf("listing alone: %lld ms\n", timer.elapsed());
    timer.restart();
    {
        TZorShellTreeModel model;
        model.SetRootedAt(TZorShellItem::FromPath(big));
        model.EnsureFilled();
        std::printf("model alone, without a view: %lld ms\n", timer.elapsed());
    }
    timer.restart();
    tree.expand(index);
    const qint64 expandMs = timer.elapsed();
    timer.restart();
    tree.repaint();
    QCoreApplication::processEvents();
    const qint64 paintMs = timer.elapsed();

    // The longest gap between two event-loop turns while the queries answer.
    qint64 longestStall = 0;
    QElapsedTimer turn;
    turn.start();
    QElapsedTimer total;
    total.start();
    while (total.elapsed() < 3000) {
        QCoreApplication::processEvents();
        longestStall = std::max(longestStall, turn.restart());
        if (TWorkerThreadPool::Instance().WorkItemsCount() == 0 &&
            TUiThreadDispatcher::Instance().PendingCount() == 0 && total.elapsed() > 200)
            break;
    }
    std::printf("expand of %d subfolders: %lld ms (listing, %d nodes, layout)\n", count, expandMs,
                tree.Model().RootNode()->Child(0)->ChildCount());
    std::printf("first paint of the expanded folder: %lld ms\n", paintMs);
    std::printf("longest event-loop stall while state queries answered: %lld ms\n", longestStall);
    // Scrolling to the end paints nodes never shown before.
    timer.restart();
    tree.scrollToBottom();
    tree.repaint();
    QCoreApplication::processEvents();
    std::printf("scroll to the end and paint: %lld ms\n", timer.elapsed());
    return 0;
}
