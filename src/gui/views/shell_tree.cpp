// The check-box folder tree view: icons, check-box images, clicks and keys.
#include "gui/views/shell_tree.h"

#include "gui/views/selection_state_image_list.h"
#include "gui/views/shell_tree_delegate.h"
#include "selection/check_box_hit_test.h"

#include <array>
#include <QFileIconProvider>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// The node model with the platform's icons; filling a folder shows the busy cursor.
class TShellTreeWindowModel : public TZorShellTreeModel
{
public:
    using TZorShellTreeModel::TZorShellTreeModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DecorationRole)
            return TZorShellTreeModel::data(index, role);
        const QVariant kind = TZorShellTreeModel::data(index, IconKindRole);
        return kind.isValid() ? QVariant(Icon(TZorShellIconKind(kind.toInt()))) : QVariant();
    }

    void fetchMore(const QModelIndex &parent) override
    {
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        TZorShellTreeModel::fetchMore(parent);
        QGuiApplication::restoreOverrideCursor();
    }

private:
    QIcon Icon(TZorShellIconKind aKind) const
    {
        QIcon &icon = fIcons[size_t(aKind)];
        if (icon.isNull()) {
            const QIcon folder = fProvider.icon(QAbstractFileIconProvider::Folder);
            const QIcon drive = fProvider.icon(QAbstractFileIconProvider::Drive);
            switch (aKind) {
            case ikComputer:
                icon = fProvider.icon(QAbstractFileIconProvider::Computer);
                break;
            case ikHome:
                icon = QIcon::fromTheme(QStringLiteral("user-home"), folder);
                break;
            case ikRootFolder:
                icon = drive;
                break;
            case ikVolume:
                icon = QIcon::fromTheme(QStringLiteral("drive-removable-media"), drive);
                break;
            case ikFolderLink:
                icon = QIcon::fromTheme(QStringLiteral("folder-remote"), folder);
                break;
            case ikFolder:
                icon = folder;
                break;
            }
        }
        return icon;
    }

    QFileIconProvider fProvider;
    mutable std::array<QIcon, ikFolderLink + 1> fIcons;
};

class TBusyCursor
{
public:
    TBusyCursor() { QGuiApplication::setOverrideCursor(Qt::BusyCursor); }
    ~TBusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor &) = delete;
    TBusyCursor &operator=(const TBusyCursor &) = delete;
};

} // namespace

TZorShellTree::TZorShellTree(QWidget *aParent) : QTreeView(aParent), fModel(new TShellTreeWindowModel(this))
{
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new TZorShellTreeDelegate(*this));
    // The one column is as wide as its longest name needs, measured over the rows around those
    // shown (measuring every row would take seconds for a folder with 20000 subfolders), a moment
    // after the rows change; a longer name scrolls sideways.
    header()->setStretchLastSection(false);
    header()->setResizeContentsPrecision(200);
    fFitTimer.setSingleShot(true);
    fFitTimer.setInterval(100);
    connect(&fFitTimer, &QTimer::timeout, this, &TZorShellTree::FitColumn);
    const auto fitLater = [this] { fFitTimer.start(); };
    connect(this, &QTreeView::expanded, this, fitLater);
    connect(this, &QTreeView::collapsed, this, fitLater);
    connect(fModel, &QAbstractItemModel::rowsInserted, this, fitLater);
    connect(fModel, &QAbstractItemModel::modelReset, this, fitLater);
    setModel(fModel);
    setSelectionModel(fModel->SelectionModel());

    fModel->OnAddFolder = [this](TZorShellTreeNode &Node, const QString &path, bool &CanAdd) {
        if (OnAddFolder)
            OnAddFolder(Node, path, CanAdd);
    };
    fModel->OnTreeNodeCheckStateChanged = [this](TZorShellTreeNode &Node, TZorSelectionState CheckState) {
        if (OnTreeNodeCheckStateChanged)
            OnTreeNodeCheckStateChanged(*this, Node, CheckState);
    };
    fModel->SetRootedAt(TZorShellItem::FromSpecialFolder(SF_DRIVES));
}

TZorShellTree::~TZorShellTree()
{
    // The model goes with the view's children; the link must not call it meanwhile.
    fModel->SetShellLink(nullptr);
}

void TZorShellTree::SetShellLink(TZorShellLink *aValue)
{
    fModel->SetShellLink(aValue);
    if (!aValue)
        SetCheckboxes(false);
}

void TZorShellTree::SetCheckboxes(bool aValue)
{
    const bool on = aValue && ShellLink();
    if (on && !fStateImages)
        fStateImages = std::make_unique<TZorSelectionStateImageList>(*this);
    else if (!on)
        fStateImages.reset();
    fModel->SetCheckboxes(on);
    scheduleDelayedItemsLayout();
    viewport()->update();
}

void TZorShellTree::SetRootedAt(const TZorShellItem &aValue)
{
    const bool filled = fModel->RootNode() != nullptr;
    fModel->SetRootedAt(aValue);
    if (filled)
        expand(fModel->IndexFromNode(fModel->RootNode()));
}

void TZorShellTree::EnsureFilled()
{
    if (fModel->RootNode())
        return;
    fModel->EnsureFilled();
    expand(fModel->IndexFromNode(fModel->RootNode()));
}

void TZorShellTree::showEvent(QShowEvent *aEvent)
{
    EnsureFilled();
    QTreeView::showEvent(aEvent);
}

void TZorShellTree::SetSpecialFolder(TZorSpecialFolder aValue)
{
    EnsureFilled();
    if (TZorShellTreeNode *node = fModel->SetSpecialFolder(aValue))
        scrollTo(fModel->IndexFromNode(node));
}

void TZorShellTree::SetSelectedFolder(const QString &Value)
{
    EnsureFilled();
    TZorShellTreeNode *node = fModel->SetSelectedFolder(Value);
    if (!node)
        return;
    for (TZorShellTreeNode *parent = node->Parent(); parent; parent = parent->Parent())
        expand(fModel->IndexFromNode(parent));
    // In the middle, so that the folders above it show where it lies.
    scrollTo(fModel->IndexFromNode(node), PositionAtCenter);
}

void TZorShellTree::Refresh(TRefreshLevel pRefreshLevel, const TZorShellItem &pItemIdList)
{
    fModel->Refresh(pRefreshLevel, pItemIdList);
}

bool TZorShellTree::IsOnCheckBox(const QModelIndex &aIndex, const QPoint &aPoint) const
{
    const TZorShellTreeNode *node = fModel->NodeFromIndex(aIndex);
    if (!node || !fStateImages)
        return false;
    const QRect item = visualRect(aIndex);
    if (isRightToLeft()) {
        // Mirrored: the box is at the item's right end, where the delegate draws it.
        const QSize image = fStateImages->ImageSize();
        const int gap = (item.height() - image.height()) / 2;
        return item.right() - image.width() < aPoint.x() && aPoint.x() <= item.right() &&
               item.top() + gap <= aPoint.y() && aPoint.y() <= item.top() + item.height() - gap;
    }
    const QRect row(header()->sectionPosition(0), item.top(), viewport()->width(), item.height());
    return IsClickOnCheckBox(row, aPoint, horizontalOffset(), indentation(), node->Level(), rootIsDecorated(),
                             fStateImages->ImageSize());
}

void TZorShellTree::ToggleNodeCheck(TZorShellTreeNode &aNode)
{
    if (!Checkboxes() || !ShellLink())
        return;
    TBusyCursor busy;
    fModel->ToggleNodeCheck(aNode);
}

bool TZorShellTree::ClickOnCheckBox(QMouseEvent *aEvent)
{
    if (aEvent->button() != Qt::LeftButton)
        return false;
    const QPoint point = aEvent->position().toPoint();
    const QModelIndex index = indexAt(point);
    if (!IsOnCheckBox(index, point))
        return false;
    fPressedOnCheckBox = true;
    ToggleNodeCheck(*fModel->NodeFromIndex(index));
    aEvent->accept();
    return true;
}

void TZorShellTree::mousePressEvent(QMouseEvent *aEvent)
{
    fPressedOnCheckBox = false;
    if (!ClickOnCheckBox(aEvent))
        QTreeView::mousePressEvent(aEvent);
}

void TZorShellTree::mouseDoubleClickEvent(QMouseEvent *aEvent)
{
    fPressedOnCheckBox = false;
    if (!ClickOnCheckBox(aEvent))
        QTreeView::mouseDoubleClickEvent(aEvent);
}

void TZorShellTree::mouseReleaseEvent(QMouseEvent *aEvent)
{
    if (fPressedOnCheckBox) {
        fPressedOnCheckBox = false;
        aEvent->accept();
        return;
    }
    QTreeView::mouseReleaseEvent(aEvent);
}

void TZorShellTree::mouseMoveEvent(QMouseEvent *aEvent)
{
    if (fPressedOnCheckBox)
        aEvent->accept();
    else
        QTreeView::mouseMoveEvent(aEvent);
}

void TZorShellTree::keyPressEvent(QKeyEvent *aEvent)
{
    if (aEvent->key() == Qt::Key_Space && aEvent->modifiers() == Qt::NoModifier) {
        if (TZorShellTreeNode *node = fModel->SelectedNode())
            ToggleNodeCheck(*node);
        aEvent->accept();
        return;
    }
    if (aEvent->key() == Qt::Key_F5 && aEvent->modifiers() == Qt::NoModifier) {
        TBusyCursor busy;
        Refresh(rfFull);
        if (ShellLink())
            ShellLink()->Refresh(fModel, rfFull, TZorShellItem());
        aEvent->accept();
        return;
    }
    QTreeView::keyPressEvent(aEvent);
}

void TZorShellTree::resizeEvent(QResizeEvent *aEvent)
{
    QTreeView::resizeEvent(aEvent);
    // The names were measured when the rows changed; a new width only takes them again.
    header()->resizeSection(0, std::max(viewport()->width(), fNamesWidth));
}

void TZorShellTree::FitColumn()
{
    fNamesWidth = sizeHintForColumn(0);
    header()->resizeSection(0, std::max(viewport()->width(), fNamesWidth));
}

void TZorShellTree::changeEvent(QEvent *aEvent)
{
    QTreeView::changeEvent(aEvent);
    if (fStateImages && (aEvent->type() == QEvent::StyleChange || aEvent->type() == QEvent::PaletteChange))
        fStateImages->Rebuild(*this);
}
