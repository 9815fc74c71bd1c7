// The result list view's display layer: icons, in-place rename and cut marks.
#include "gui/views/file_list_delegate.h"

#include "filesearch/custom_file_list.h"

#include <QApplication>
#include <QLineEdit>
#include <QMimeDatabase>
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

TFileListDelegate::TFileListDelegate(QObject *aParent) : QStyledItemDelegate(aParent)
{
    fIconProvider.setOptions(QFileIconProvider::DontUseCustomDirectoryIcons);
}

void TFileListDelegate::SetCutPaths(const QStringList &pPaths)
{
    fCutPaths = QSet<QString>(pPaths.begin(), pPaths.end());
}

QIcon TFileListDelegate::IconOf(const QString &pPath, bool pIsFolder) const
{
    const QString key = IconKey(pPath, pIsFolder);
    auto found = fIcons.constFind(key);
    if (found != fIcons.constEnd())
        return *found;
    QIcon icon;
    if (pIsFolder) {
        icon = fIconProvider.icon(QAbstractFileIconProvider::Folder);
    } else {
        // The type by the name alone (the file is not read), and one icon per type from the theme:
        // ".htm" and ".html" share theirs.
        const QMimeType type =
            QMimeDatabase().mimeTypeForFile(QStringLiteral("x") + key, QMimeDatabase::MatchExtension);
        auto ofType = fTypeIcons.constFind(type.name());
        if (ofType == fTypeIcons.constEnd()) {
            QIcon themed = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
            if (themed.isNull())
                themed = fIconProvider.icon(QAbstractFileIconProvider::File);
            ofType = fTypeIcons.insert(type.name(), themed);
        }
        icon = *ofType;
    }
    fIcons.insert(key, icon);
    return icon;
}

QIcon TFileListDelegate::IconAt(const QModelIndex &aIndex) const
{
    if (!fList || !aIndex.isValid() || aIndex.column() != flcName || aIndex.row() >= fList->Count())
        return {};
    const TZorFileListItem &item = fList->Item(aIndex.row());
    return IconOf(item.DisplayPath(), item.fIsFolder);
}

void TFileListDelegate::initStyleOption(QStyleOptionViewItem *aOption, const QModelIndex &aIndex) const
{
    QStyledItemDelegate::initStyleOption(aOption, aIndex);
    if (!fList || aIndex.row() >= fList->Count())
        return;
    if (aIndex.column() == flcName) {
        aOption->icon = IconAt(aIndex);
        aOption->features |= QStyleOptionViewItem::HasDecoration;
    }
    if (!fCutPaths.isEmpty() && IsCut(fList->Item(aIndex.row()).Path()))
        aOption->palette.setBrush(QPalette::Text,
                                  QApplication::palette().brush(QPalette::Disabled, QPalette::Text));
}

void TFileListDelegate::setEditorData(QWidget *aEditor, const QModelIndex &aIndex) const
{
    if (auto *line = qobject_cast<QLineEdit *>(aEditor))
        line->setText(aIndex.data(Qt::DisplayRole).toString());
}

void TFileListDelegate::setModelData(QWidget *aEditor, QAbstractItemModel * /*aModel*/,
                                     const QModelIndex &aIndex) const
{
    auto *line = qobject_cast<QLineEdit *>(aEditor);
    if (!line || aIndex.column() != flcName || !OnRename)
        return;
    const QString name = line->text();
    if (name == aIndex.data(Qt::EditRole).toString())
        return;
    // The row shows its old name again at once, also while a refusal is being told.
    aEditor->hide();
    OnRename(aIndex.row(), name);
}
