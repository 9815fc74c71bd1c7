// Painting of folder-tree rows.
#include "gui/views/shell_tree_delegate.h"

#include "gui/views/selection_state_image_list.h"
#include "gui/views/shell_tree.h"

#include <QApplication>
#include <QPainter>

TZorShellTreeDelegate::TZorShellTreeDelegate(TZorShellTree &aTree) : QStyledItemDelegate(&aTree), fTree(aTree)
{
}

void TZorShellTreeDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    const TZorSelectionStateImageList *images = fTree.StateImages();
    if (!images) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The whole row, check box included, shows the selection.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, option.widget);

    // The box leads the row: at its left, or at its right in a right-to-left layout.
    const bool mirrored = option.direction == Qt::RightToLeft;
    const QSize imageSize = images->ImageSize();
    const QPixmap image = images->Image(index.data(TZorShellTreeModel::StateIndexRole).toInt());
    const int imageLeft = mirrored ? option.rect.right() + 1 - imageSize.width() : option.rect.left();
    if (!image.isNull())
        painter->drawPixmap(
            QPoint(imageLeft, option.rect.top() + (option.rect.height() - imageSize.height()) / 2), image);
    QStyleOptionViewItem content = option;
    if (mirrored)
        content.rect.setRight(option.rect.right() - imageSize.width());
    else
        content.rect.setLeft(option.rect.left() + imageSize.width());
    QStyledItemDelegate::paint(painter, content, index);
}

QSize TZorShellTreeDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (const TZorSelectionStateImageList *images = fTree.StateImages()) {
        size.rwidth() += images->ImageSize().width();
        size.setHeight(std::max(size.height(), images->ImageSize().height()));
    }
    return size;
}

void TZorShellTreeDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->features &= ~QStyleOptionViewItem::HasCheckIndicator;
}
