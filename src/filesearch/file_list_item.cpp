// Result list entries: caption rules and lazily read column data.
#include "filesearch/file_list_item.h"

#include "platform/long_path_access.h"
#include "platform/path_routines.h"

namespace {
// FILETIME ticks of 1970-01-01 UTC.
constexpr uint64_t kUnixEpochFileTime = 116444736000000000ULL;
} // namespace

TZorFileListItem::TZorFileListItem(const QString &pPath, bool pIsVirtual, QString *pSharedFolder)
    : fIsFolder(pPath.endsWith(PathSeparator)), fIsVirtual(pIsVirtual)
{
    SetParts(pPath, pSharedFolder);
}

void TZorFileListItem::SetParts(const QString &pPath, QString *pSharedFolder)
{
    const qsizetype end = pPath.size() - (pPath.endsWith(PathSeparator) ? 1 : 0);
    qsizetype start = end;
    while (start > 0 && pPath[start - 1] != PathSeparator && pPath[start - 1] != u':')
        --start;
    if (start == end) // the root "/": its caption is the whole path
        start = 0;
    const QStringView folder = QStringView(pPath).first(start);
    if (pSharedFolder && *pSharedFolder == folder) {
        fFolder = *pSharedFolder;
    } else {
        fFolder = folder.toString();
        if (pSharedFolder)
            *pSharedFolder = fFolder;
    }
    fName = pPath.mid(start);
}

bool TZorFileListItem::HasPath(QStringView aPath) const
{
    QStringView name = fName;
    if (name.endsWith(PathSeparator))
        name.chop(1);
    return aPath.size() == fFolder.size() + name.size() && aPath.endsWith(name) && aPath.startsWith(fFolder);
}

QString TZorFileListItem::Caption() const
{
    if (fFolder.isEmpty() || !fName.endsWith(PathSeparator))
        return fName;
    return fName.chopped(1);
}

void TZorFileListItem::SetPath(const QString &pPath)
{
    SetParts(fIsFolder ? WithTrailingSeparator(pPath) : pPath, nullptr);
    Refresh();
}

QString TZorFileListItem::InFolder() const
{
    return fIsVirtual ? QString() : ParentFolder(WithoutTrailingSeparator(DisplayPath()));
}

const TZorFileListItem::TDetails &TZorFileListItem::Details() const
{
    if (!fDetails) {
        TDetails details;
        TWin32FindData data;
        if (!fIsVirtual) {
            TFindHandle handle = FindFirstFile(WithoutTrailingSeparator(DisplayPath()), data);
            if (handle.IsValid()) {
                details.fExists = true;
                if (!data.IsDirectory() && !fIsFolder)
                    details.fSize = data.FileSize();
                if (data.ftLastWriteTime >= kUnixEpochFileTime) {
                    details.fHasModified = true;
                    details.fModifiedMs = int64_t((data.ftLastWriteTime - kUnixEpochFileTime) / 10000);
                }
            }
        }
        fDetails = std::make_unique<TDetails>(details);
    }
    return *fDetails;
}

int64_t TZorFileListItem::Size() const
{
    return Details().fSize;
}

QDateTime TZorFileListItem::DateModified() const
{
    const TDetails &details = Details();
    return details.fHasModified ? QDateTime::fromMSecsSinceEpoch(details.fModifiedMs, Qt::UTC).toLocalTime()
                                : QDateTime();
}

bool TZorFileListItem::Exists() const
{
    return Details().fExists;
}

void TZorFileListItem::SetFinding(const TMatchFinding &aFinding)
{
    if (aFinding.fMatches > 0 || !aFinding.fContext.isEmpty())
        fFinding = std::make_unique<TMatchFinding>(aFinding);
    else
        fFinding.reset();
}
