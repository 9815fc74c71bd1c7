// Test helpers: temporary folder trees, deep folders and capability-free threads.
#include "support/temp_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <QFileInfo>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

// Removes everything below the open folder aDirFd; works at any depth.
void RemoveContents(int aDirFd)
{
    DIR *dir = ::fdopendir(::dup(aDirFd));
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        if (::unlinkat(aDirFd, name.constData(), 0) == 0)
            continue;
        const int child = ::openat(aDirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child >= 0) {
            ::fchmod(child, 0700);
            RemoveContents(child);
            ::close(child);
        }
        ::unlinkat(aDirFd, name.constData(), AT_REMOVEDIR);
    }
    ::closedir(dir);
}

} // namespace

TTempTree::TTempTree() : fRoot(QFileInfo(fDir.path()).canonicalFilePath()) {}

TTempTree::~TTempTree()
{
    // QTemporaryDir cannot remove folders beyond PATH_MAX or without permissions.
    const int fd = ::open(QFile::encodeName(fRoot).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        RemoveContents(fd);
        ::close(fd);
    }
}

QString TTempTree::Path(const QString &aRelative) const
{
    return aRelative.isEmpty() ? fRoot : fRoot + u'/' + aRelative;
}

QString TTempTree::Folder(const QString &aRelative)
{
    QDir().mkpath(Path(aRelative));
    return Path(aRelative);
}

QString TTempTree::File(const QString &aRelative, const QByteArray &aContent)
{
    const QString path = Path(aRelative);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(aContent);
    return path;
}

QString TTempTree::Link(const QString &aRelative, const QString &aTarget)
{
    const QString path = Path(aRelative);
    QDir().mkpath(QFileInfo(path).path());
    [[maybe_unused]] const int rc =
        ::symlink(QFile::encodeName(aTarget).constData(), QFile::encodeName(path).constData());
    return path;
}

QString TTempTree::DeepFolder(const QString &aRelative)
{
    const QString name(200, u'd');
    QString path = Folder(aRelative);
    int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (QFile::encodeName(path).size() <= PATH_MAX + 200 && fd >= 0) {
        ::mkdirat(fd, QFile::encodeName(name).constData(), 0700);
        const int next =
            ::openat(fd, QFile::encodeName(name).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
        path += u'/' + name;
    }
    if (fd >= 0) {
        const int file = ::openat(fd, "deep.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (file >= 0) {
            [[maybe_unused]] const ssize_t n = ::write(file, "deep", 4);
            ::close(file);
        }
        ::close(fd);
    }
    return path;
}

void RunWithoutFileOverride(const std::function<void()> &aRoutine)
{
    std::thread worker([&] {
        // Capabilities belong to the thread: drop the effective ones of this thread only.
        __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2] = {};
        if (::syscall(SYS_capget, &header, data) == 0) {
            for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
                data[cap / 32].effective &= ~(1u << (cap % 32));
            ::syscall(SYS_capset, &header, data);
        }
        aRoutine();
    });
    worker.join();
}
