// What the result list view shows on top of the result list model: a file icon per row (cached
// per extension), the Name column editable for an in-place rename, and cut files dimmed.
#pragma once

#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QIdentityProxyModel>
#include <QSet>

#include <functional>

class TZorCustomFileList;

class TFileListViewModel : public QIdentityProxyModel
{
    Q_OBJECT

public:
    // Carries out an in-place rename of the item at pRow to pNewName; true when it was renamed.
    using TOnRename = std::function<bool(int pRow, const QString &pNewName)>;

    explicit TFileListViewModel(TZorCustomFileList &aList, QObject *aParent = nullptr);

    TOnRename OnRename;

    // The paths drawn dimmed because they were cut to the clipboard ("" clears them).
    void SetCutPaths(const QStringList &pPaths);
    bool IsCut(const QString &pPath) const { return fCutPaths.contains(pPath); }

    // The icon of a path: one per extension (folders share one), asked of the icon provider once.
    QIcon IconOf(const QString &pPath, bool pIsFolder) const;

    QVariant data(const QModelIndex &aIndex, int aRole = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &aIndex, const QVariant &aValue, int aRole = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &aIndex) const override;

private:
    TZorCustomFileList &fList;
    QFileIconProvider fIconProvider;
    mutable QHash<QString, QIcon> fIcons; // lower-case extension (or "/" for folders) -> icon
    QSet<QString> fCutPaths;
};
