// Result list entries: caption rules and lazily read column data.
#include "filesearch/file_list_item.h"

#include "platform/long_path_access.h"
#include "platform/path_routines.h"

namespace {
// FILETIME ticks of 1970-01-01 UTC.
constexpr uint64_t kUnixEpochFileTime = 116444736000000000ULL;
} // namespace

TZorFileListItem::TZorFileListItem(const QString &pPath, bool pIsVirtual)
    : fIsFolder(pPath.endsWith(PathSeparator)), fPath(pPath), fIsVirtual(pIsVirtual)
{
    LocateCaption();
}

void TZorFileListItem::LocateCaption()
{
    const qsizetype end = fPath.size() - (fPath.endsWith(PathSeparator) ? 1 : 0);
    qsizetype start = end;
    while (start > 0 && fPath[start - 1] != PathSeparator && fPath[start - 1] != u':')
        --start;
    if (start == end) {
        fCaptionStart = 0;
        fCaptionLength = -1;
    } else {
        fCaptionStart = start;
        fCaptionLength = end - start;
    }
}

void TZorFileListItem::SetPath(const QString &pPath)
{
    fPath = fIsFolder ? WithTrailingSeparator(pPath) : pPath;
    LocateCaption();
    Refresh();
}

QString TZorFileListItem::InFolder() const
{
    return fIsVirtual ? QString() : ParentFolder(WithoutTrailingSeparator(fPath));
}

const TZorFileListItem::TDetails &TZorFileListItem::Details() const
{
    if (!fDetails) {
        TDetails details;
        TWin32FindData data;
        if (!fIsVirtual) {
            TFindHandle handle = FindFirstFile(WithoutTrailingSeparator(fPath), data);
            if (handle.IsValid()) {
                details.fExists = true;
                if (!data.IsDirectory() && !fIsFolder)
                    details.fSize = data.FileSize();
                if (data.ftLastWriteTime >= kUnixEpochFileTime)
                    details.fModified =
                        QDateTime::fromMSecsSinceEpoch(
                            qint64((data.ftLastWriteTime - kUnixEpochFileTime) / 10000), Qt::UTC)
                            .toLocalTime();
            }
        }
        fDetails = details;
    }
    return *fDetails;
}

int64_t TZorFileListItem::Size() const
{
    return Details().fSize;
}

QDateTime TZorFileListItem::DateModified() const
{
    return Details().fModified;
}

bool TZorFileListItem::Exists() const
{
    return Details().fExists;
}
