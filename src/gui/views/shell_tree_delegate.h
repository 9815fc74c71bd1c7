// TZorShellTreeDelegate: paints a folder-tree row: the row's selection background, the node's
// check-box image in front of its icon, then the icon and the text.
#pragma once

#include <QStyledItemDelegate>

class TZorShellTree;

class TZorShellTreeDelegate : public QStyledItemDelegate
{
public:
    explicit TZorShellTreeDelegate(TZorShellTree &aTree);

    // UI thread. Asking the node's state here is what marks a node as shown.
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    // The item's own size plus the check-box image's width; at least the image's height.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    // The check state the model reports is for assistive technology: the image shows it, so the
    // style draws no check box of its own.
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    TZorShellTree &fTree;
};
