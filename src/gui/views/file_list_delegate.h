// How the result list view draws and edits its rows: a file icon in the Name column (cached per
// extension), cut files dimmed, and the Name cell edited in place for a rename. The view shows
// the result list itself (so it can share the list's selection model); what only a window needs
// is added here.
#pragma once

#include <functional>
#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QSet>
#include <QStyledItemDelegate>

class TZorCustomFileList;

// UI thread only.
class TFileListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // Carries out an in-place rename of the item at pRow to pNewName; true when it was renamed.
    using TOnRename = std::function<bool(int pRow, const QString &pNewName)>;

    explicit TFileListDelegate(QObject *aParent = nullptr);

    // The list whose rows are drawn (null: none); it must outlive its use here.
    void SetFileList(const TZorCustomFileList *aList) { fList = aList; }

    TOnRename OnRename;

    // The paths drawn dimmed because they were cut to the clipboard ("" clears them).
    void SetCutPaths(const QStringList &pPaths);
    bool IsCut(const QString &pPath) const { return fCutPaths.contains(pPath); }

    // The icon of a path: the icon theme's for its type, known by its extension (folders share
    // the provider's folder icon); asked once per extension and per type.
    QIcon IconOf(const QString &pPath, bool pIsFolder) const;
    // The icon the row of aIndex is drawn with (null when it has none).
    QIcon IconAt(const QModelIndex &aIndex) const;

    void setEditorData(QWidget *aEditor, const QModelIndex &aIndex) const override;
    void setModelData(QWidget *aEditor, QAbstractItemModel *aModel, const QModelIndex &aIndex) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *aOption, const QModelIndex &aIndex) const override;

private:
    const TZorCustomFileList *fList = nullptr;
    QFileIconProvider fIconProvider;
    mutable QHash<QString, QIcon> fIcons;     // lower-case extension (or "/" for folders) -> icon
    mutable QHash<QString, QIcon> fTypeIcons; // MIME type name -> icon
    QSet<QString> fCutPaths;
};
