// inotify behind TFolderWatch: one descriptor, read when the event loop says it is readable.
#include "platform/folder_watch.h"

#include "platform/file_name.h"

#include <cerrno>
#include <QSet>
#include <QSocketNotifier>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr uint32_t kFolderEvents = IN_ATTRIB | IN_CREATE | IN_DELETE | IN_DELETE_SELF | IN_MODIFY |
                                   IN_MOVE_SELF | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR;

} // namespace

TFolderWatch::TFolderWatch() : fFd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    if (fFd < 0)
        return;
    fNotifier = std::make_unique<QSocketNotifier>(fFd, QSocketNotifier::Read);
    QObject::connect(fNotifier.get(), &QSocketNotifier::activated, [this] { ReadEvents(); });
}

TFolderWatch::~TFolderWatch()
{
    fNotifier.reset();
    if (fFd >= 0)
        ::close(fFd);
}

bool TFolderWatch::AddFolder(const QString &aFolder)
{
    if (fFd < 0)
        return false;
    const int wd = inotify_add_watch(fFd, FileNameBytes(aFolder).constData(), kFolderEvents);
    if (wd < 0)
        return false;
    // The same folder under another spelling gets the same descriptor: the latest name wins.
    if (const auto known = fFolders.constFind(wd); known != fFolders.cend())
        fOrder.removeOne(*known);
    fFolders.insert(wd, aFolder);
    fOrder.append(aFolder);
    return true;
}

void TFolderWatch::RemoveFolder(const QString &aFolder)
{
    for (auto it = fFolders.begin(); it != fFolders.end(); ++it) {
        if (*it == aFolder) {
            inotify_rm_watch(fFd, it.key());
            fFolders.erase(it);
            fOrder.removeOne(aFolder);
            return;
        }
    }
}

void TFolderWatch::RemoveAll()
{
    for (auto it = fFolders.cbegin(); it != fFolders.cend(); ++it)
        inotify_rm_watch(fFd, it.key());
    fFolders.clear();
    fOrder.clear();
}

void TFolderWatch::ReadEvents()
{
    // Each folder is reported once per reading, in the order its first event came.
    QStringList changed;
    QSet<int> seen;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fFd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            const auto folder = fFolders.constFind(event->wd);
            if (folder == fFolders.cend())
                continue;
            if (!seen.contains(event->wd)) {
                seen.insert(event->wd);
                changed.append(*folder);
            }
            if (event->mask & IN_IGNORED) {
                fOrder.removeOne(*folder);
                fFolders.remove(event->wd);
            }
        }
    }
    for (const QString &folder : changed)
        if (OnFolderChanged)
            OnFolderChanged(folder);
}
