// Helpers for the folder-tree tests: waiting until every state query has answered and its result
// has been delivered on the UI thread, and finding nodes by path.
#pragma once

#include "selection/shell_tree_model.h"
#include "threads/ui_thread.h"
#include "threads/worker_thread_pool.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

// Pumps events until the shared pool has no unfinished query and no result waits for the UI
// thread (at most 20 s). Returns false on time-out.
inline bool WaitForCheckStates()
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 20000) {
        QCoreApplication::processEvents();
        ProcessPendingUiCalls();
        if (TWorkerThreadPool::Instance().WorkItemsCount() == 0 &&
            TUiThreadDispatcher::Instance().PendingCount() == 0)
            return true;
        QThread::msleep(2);
    }
    return false;
}

// The loaded node showing aPath, or null (nothing is filled).
inline TZorShellTreeNode *NodeOf(const TZorShellTreeModel &aModel, const QString &aPath)
{
    TZorShellTreeNode *node = aModel.LocateNode(TZorShellItem::FromPath(aPath));
    return node && node->FullPath() == aPath ? node : nullptr;
}
