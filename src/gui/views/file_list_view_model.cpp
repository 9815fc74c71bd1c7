// The result list view's display layer: icons, in-place rename and cut marks.
#include "gui/views/file_list_view_model.h"

#include "filesearch/custom_file_list.h"

#include <QApplication>
#include <QFileInfo>
#include <QPalette>

namespace {

// The key of a path's icon: "/" for folders, "." + lower-case suffix otherwise ("" for none).
QString IconKey(const QString &pPath, bool pIsFolder)
{
    if (pIsFolder)
        return QStringLiteral("/");
    const qsizetype slash = pPath.lastIndexOf(u'/');
    const qsizetype dot = pPath.lastIndexOf(u'.');
    return dot > slash + 1 ? pPath.mid(dot).toLower() : QString();
}

} // namespace

TFileListViewModel::TFileListViewModel(TZorCustomFileList &aList, QObject *aParent)
    : QIdentityProxyModel(aParent), fList(aList)
{
    fIconProvider.setOptions(QFileIconProvider::DontUseCustomDirectoryIcons);
    setSourceModel(&aList);
}

void TFileListViewModel::SetCutPaths(const QStringList &pPaths)
{
    fCutPaths = QSet<QString>(pPaths.begin(), pPaths.end());
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::ForegroundRole});
}

QIcon TFileListViewModel::IconOf(const QString &pPath, bool pIsFolder) const
{
    const QString key = IconKey(pPath, pIsFolder);
    auto found = fIcons.constFind(key);
    if (found != fIcons.constEnd())
        return *found;
    // The provider looks at the file itself; the first file of an extension stands for all.
    QIcon icon = pIsFolder ? fIconProvider.icon(QAbstractFileIconProvider::Folder)
                           : fIconProvider.icon(QFileInfo(pPath));
    if (icon.isNull())
        icon = fIconProvider.icon(QAbstractFileIconProvider::File);
    fIcons.insert(key, icon);
    return icon;
}

QVariant TFileListViewModel::data(const QModelIndex &aIndex, int aRole) const
{
    if (!aIndex.isValid())
        return {};
    const int row = aIndex.row();
    switch (aRole) {
    case Qt::DecorationRole:
        if (aIndex.column() == flcName && row < fList.Count())
            return IconOf(fList.Item(row).DisplayPath(), fList.Item(row).fIsFolder);
        return {};
    case Qt::EditRole:
        return aIndex.column() == flcName ? QIdentityProxyModel::data(aIndex, Qt::DisplayRole) : QVariant();
    case Qt::ForegroundRole:
        if (!fCutPaths.isEmpty() && row < fList.Count() && IsCut(fList.Item(row).Path()))
            return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    default:
        return QIdentityProxyModel::data(aIndex, aRole);
    }
}

bool TFileListViewModel::setData(const QModelIndex &aIndex, const QVariant &aValue, int aRole)
{
    if (aRole != Qt::EditRole || aIndex.column() != flcName || !OnRename)
        return false;
    const QString name = aValue.toString();
    if (name == data(aIndex, Qt::EditRole).toString())
        return false;
    return OnRename(aIndex.row(), name);
}

Qt::ItemFlags TFileListViewModel::flags(const QModelIndex &aIndex) const
{
    Qt::ItemFlags result = QIdentityProxyModel::flags(aIndex);
    if (aIndex.isValid() && aIndex.column() == flcName)
        result |= Qt::ItemIsEditable;
    return result;
}
