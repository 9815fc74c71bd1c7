// A watch on folders through inotify that gives each folder's path back exactly as it was given,
// so a folder whose name is not valid UTF-8 is watched under its own bytes.
#pragma once

#include <functional>
#include <memory>
#include <QHash>
#include <QString>
#include <QStringList>

class QSocketNotifier;

// Reports arrive from the event loop of the thread that made the watch.
class TFolderWatch
{
public:
    TFolderWatch();
    ~TFolderWatch();
    TFolderWatch(const TFolderWatch &) = delete;
    TFolderWatch &operator=(const TFolderWatch &) = delete;

    // Called with a watched folder's path when something in it changed, or it went.
    std::function<void(const QString &aFolder)> OnFolderChanged;

    // Starts watching aFolder; false when it cannot be watched (gone, no folder, no permission,
    // the system's limit reached). A folder watched already stays watched.
    bool AddFolder(const QString &aFolder);
    void RemoveFolder(const QString &aFolder);
    void RemoveAll();
    // The folders watched now, as they were given, in the order they were added.
    QStringList Folders() const { return fOrder; }

private:
    void ReadEvents();

    int fFd = -1;
    std::unique_ptr<QSocketNotifier> fNotifier;
    QHash<int, QString> fFolders; // by watch descriptor
    QStringList fOrder;
};
