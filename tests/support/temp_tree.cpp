// Test helpers: temporary folder trees, deep folders and chains, and capability-free threads.
#include "support/temp_tree.h"

#include "platform/file_name.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <QFileInfo>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// The names in the open folder aDirFd but "." and "..".
QList<QByteArray> NamesIn(int aDirFd)
{
    QList<QByteArray> names;
    DIR *dir = ::fdopendir(::fcntl(aDirFd, F_DUPFD_CLOEXEC, 0));
    if (!dir)
        return names;
    ::rewinddir(dir); // the copy shares its position with aDirFd
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    return names;
}

// Removes everything below the open folder aDirFd, at any depth: a list of names per level is
// kept instead of a descriptor, and the walk climbs back through "..", so it holds two
// descriptors however deep the tree is.
void RemoveContents(int aDirFd)
{
    struct TLevel
    {
        QList<QByteArray> fNames;
        qsizetype fNext = 0;
    };
    int fd = ::fcntl(aDirFd, F_DUPFD_CLOEXEC, 0);
    std::vector<TLevel> levels;
    levels.push_back({NamesIn(fd)});
    while (fd >= 0) {
        if (levels.back().fNext < levels.back().fNames.size()) {
            const QByteArray name = levels.back().fNames[levels.back().fNext++];
            if (::unlinkat(fd, name.constData(), 0) == 0)
                continue;
            const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
            int child = ::openat(fd, name.constData(), flags);
            if (child < 0 && ::fchmodat(fd, name.constData(), 0700, 0) == 0)
                child = ::openat(fd, name.constData(), flags);
            if (child < 0)
                continue;
            ::fchmod(child, 0700);
            ::close(fd);
            fd = child;
            levels.push_back({NamesIn(fd)});
            continue;
        }
        levels.pop_back();
        if (levels.empty())
            break;
        const int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = parent;
        if (fd >= 0) {
            const TLevel &level = levels.back();
            ::unlinkat(fd, level.fNames[level.fNext - 1].constData(), AT_REMOVEDIR);
        }
    }
    if (fd >= 0)
        ::close(fd);
}

} // namespace

void RemoveFolderContents(const QString &aFolder)
{
    const int fd = ::open(FileNameBytes(aFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        RemoveContents(fd);
        ::close(fd);
    }
}

QString WriteRawNamedFile(const QString &aFolder, const QByteArray &aName, const QByteArray &aContent)
{
    const QByteArray path = FileNameBytes(aFolder) + '/' + aName;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, aContent.constData(), size_t(aContent.size())) != aContent.size()) {
        if (fd >= 0)
            ::close(fd);
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    ::close(fd);
    return FileNameText(path);
}

TTempTree::TTempTree() : fRoot(QFileInfo(fDir.path()).canonicalFilePath()) {}

TTempTree::~TTempTree()
{
    // QTemporaryDir cannot remove folders beyond PATH_MAX, without permissions, or with names
    // that are not valid UTF-8.
    RemoveFolderContents(fRoot);
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

QString TTempTree::FolderChain(const QString &aRelative, int aLevels, const QString &aFileName)
{
    QString path = Folder(aRelative);
    int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < aLevels && fd >= 0; ++level) {
        ::mkdirat(fd, "d", 0700);
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
        path += QStringLiteral("/d");
    }
    if (fd < 0)
        return QString();
    const int file =
        ::openat(fd, QFile::encodeName(aFileName).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (file >= 0)
        ::close(file);
    ::close(fd);
    return file >= 0 ? path + u'/' + aFileName : QString();
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
