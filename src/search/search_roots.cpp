// Search roots and where-to-search lines from selection entries.
#include "search/search_roots.h"

#include "content/text_extraction.h"
#include "platform/long_path_access.h"

std::optional<QString> FolderOfSelectionEntry(const QString &aEntry)
{
    if (!aEntry.endsWith(QLatin1String("/*")))
        return std::nullopt;
    const QString folder = aEntry.chopped(2);
    // The root entry "/*" must not become the empty path, which means "every volume".
    return folder.isEmpty() ? QStringLiteral("/") : folder;
}

QStringList WhereToSearchLines(const QStringList &aPaths)
{
    QStringList lines;
    for (const QString &entry : aPaths) {
        const std::optional<QString> folder = FolderOfSelectionEntry(entry);
        if (folder && IsFolder(*folder))
            lines.append(*folder);
    }
    return lines;
}

bool FolderTreeAcceptsFolder(const QString &aPath)
{
    const QString ext = ExtractFileExt(aPath);
    return ext != QLatin1String(".zip") && ext != QLatin1String(".rar");
}
