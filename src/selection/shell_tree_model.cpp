// The folder tree's node model and the rules of its check boxes.
#include "selection/shell_tree_model.h"

#include "platform/file_name.h"
#include "platform/long_path_access.h"
#include "platform/path_routines.h"
#include "threads/worker_thread_pool.h"

#include <algorithm>
#include <QDir>
#include <QHash>
#include <stdexcept>

namespace {

// Whether aPath is aFolder or lies below it ("" stands for the drives folder, which holds all).
bool IsAtOrBelow(const QString &aPath, const QString &aFolder)
{
    return aFolder.isEmpty() || SamePath(aPath, aFolder) || aPath.startsWith(WithTrailingSeparator(aFolder));
}

// The loaded child of aNode whose path is aPath or holds it; the longest such path wins (a home
// folder or a volume under "/" in the drives folder).
TZorShellTreeNode *ChildOnPath(const TZorShellTreeNode &aNode, const QString &aPath)
{
    TZorShellTreeNode *best = nullptr;
    for (int row = 0; row < aNode.ChildCount(); ++row) {
        TZorShellTreeNode *child = aNode.Child(row);
        const QString childPath = child->FullPath();
        if (!childPath.isEmpty() && IsAtOrBelow(aPath, childPath) &&
            (!best || childPath.size() > best->FullPath().size()))
            best = child;
    }
    return best;
}

} // namespace

TZorShellTreeModel::TZorShellTreeModel(QObject *aParent)
    : QAbstractItemModel(aParent), fSelection(new QItemSelectionModel(this, this))
{
    // Names sort as a file manager sorts them ("z9" before "z10"); the C locale knows no such
    // order, so English rules stand in for it.
    if (QLocale().language() == QLocale::C)
        fCollator.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    fCollator.setNumericMode(true);
    fCollator.setCaseSensitivity(Qt::CaseInsensitive);
}

TZorShellTreeModel::~TZorShellTreeModel()
{
    if (fShellLink)
        fShellLink->UnregisterControl(this);
    // Deleting the nodes cancels their pending queries: no result reaches this model any more.
    fRoots.clear();
}

// ---- Item model ----

QModelIndex TZorShellTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < int(fRoots.size()) ? createIndex(row, 0, fRoots[size_t(row)].get()) : QModelIndex();
    const TZorShellTreeNode *node = NodeFromIndex(parent);
    TZorShellTreeNode *child = node ? node->Child(row) : nullptr;
    return child ? createIndex(row, 0, child) : QModelIndex();
}

QModelIndex TZorShellTreeModel::parent(const QModelIndex &child) const
{
    const TZorShellTreeNode *node = NodeFromIndex(child);
    return node ? IndexFromNode(node->Parent()) : QModelIndex();
}

int TZorShellTreeModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return int(fRoots.size());
    const TZorShellTreeNode *node = parent.column() == 0 ? NodeFromIndex(parent) : nullptr;
    return node ? node->ChildCount() : 0;
}

int TZorShellTreeModel::columnCount(const QModelIndex & /*parent*/) const
{
    return 1;
}

QVariant TZorShellTreeModel::data(const QModelIndex &index, int role) const
{
    TZorShellTreeNode *node = NodeFromIndex(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return DisplayFileName(node->Text());
    case Qt::ToolTipRole:
        return DisplayFileName(node->FullPath().isEmpty() ? node->Text() : node->FullPath());
    case StateIndexRole:
        if (!node->Shown()) {
            // The view asks because it paints the node: this is when a node is first updated.
            // The model itself is not const here; only the view's request is.
            auto *self = const_cast<TZorShellTreeModel *>(this);
            self->fInData = true;
            self->NodeShown(*node);
            self->fInData = false;
        }
        return node->StateIndex();
    case Qt::CheckStateRole: {
        // What the check-box image shows, for assistive technology.
        if (!fCheckBoxes)
            return {};
        const int state = data(index, StateIndexRole).toInt();
        return state == ssChecked ? Qt::Checked : state == ssGrayed ? Qt::PartiallyChecked : Qt::Unchecked;
    }
    case FullPathRole:
        return node->FullPath();
    case IconKindRole:
        return int(node->IconKind());
    default:
        return {};
    }
}

Qt::ItemFlags TZorShellTreeModel::flags(const QModelIndex &index) const
{
    const TZorShellTreeNode *node = NodeFromIndex(index);
    if (!node)
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (fCheckBoxes && node->StateIndex() != ssDisabled)
        result |= Qt::ItemIsUserCheckable;
    if (!node->MayHaveChildren())
        result |= Qt::ItemNeverHasChildren;
    return result;
}

bool TZorShellTreeModel::hasChildren(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return !fRoots.empty();
    const TZorShellTreeNode *node = NodeFromIndex(parent);
    if (!node)
        return false;
    return node->ChildrenFilled() ? node->ChildCount() > 0 : node->MayHaveChildren();
}

bool TZorShellTreeModel::canFetchMore(const QModelIndex &parent) const
{
    const TZorShellTreeNode *node = NodeFromIndex(parent);
    return node && !node->ChildrenFilled() && node->MayHaveChildren();
}

void TZorShellTreeModel::fetchMore(const QModelIndex &parent)
{
    if (TZorShellTreeNode *node = NodeFromIndex(parent))
        FillChildren(*node);
}

TZorShellTreeNode *TZorShellTreeModel::NodeFromIndex(const QModelIndex &aIndex) const
{
    if (!aIndex.isValid() || aIndex.model() != this)
        return nullptr;
    return static_cast<TZorShellTreeNode *>(aIndex.internalPointer());
}

QModelIndex TZorShellTreeModel::IndexFromNode(const TZorShellTreeNode *aNode) const
{
    return aNode ? createIndex(aNode->Row(), 0, const_cast<TZorShellTreeNode *>(aNode)) : QModelIndex();
}

TZorShellTreeNode *TZorShellTreeModel::RootNode() const
{
    return fRoots.empty() ? nullptr : fRoots.front().get();
}

void TZorShellTreeModel::SetRootText(const QString &aText)
{
    TZorShellTreeNode *root = RootNode();
    if (!root || root->Text() == aText)
        return;
    root->SetText(aText);
    const QModelIndex index = IndexFromNode(root);
    Q_EMIT dataChanged(index, index);
}

TZorShellTreeNode *TZorShellTreeModel::SelectedNode() const
{
    return NodeFromIndex(fSelection->currentIndex());
}

void TZorShellTreeModel::SelectNode(TZorShellTreeNode *aNode)
{
    if (aNode)
        fSelection->setCurrentIndex(IndexFromNode(aNode), QItemSelectionModel::ClearAndSelect);
}

// ---- Properties ----

void TZorShellTreeModel::SetShellLink(TZorShellLink *aValue)
{
    if (aValue == fShellLink)
        return;
    if (fShellLink)
        fShellLink->UnregisterControl(this);
    CancelAllQueries();
    fShellLink = aValue;
    if (fShellLink)
        fShellLink->RegisterControl(this);
    else
        fCheckBoxes = false;
    RecomputeCheckStates();
}

void TZorShellTreeModel::ShellLinkDestroyed(TZorShellLink &aLink)
{
    if (&aLink != fShellLink)
        return;
    CancelAllQueries();
    fShellLink = nullptr;
    fCheckBoxes = false;
}

void TZorShellTreeModel::SetCheckboxes(bool aValue)
{
    fCheckBoxes = aValue && fShellLink;
    if (!fRoots.empty())
        Q_EMIT dataChanged(IndexFromNode(RootNode()), IndexFromNode(RootNode()), {StateIndexRole});
    Refresh(rfCheckboxes, TZorShellItem());
}

void TZorShellTreeModel::SetRootedAt(const TZorShellItem &aValue)
{
    fRootedAt = aValue.IsNull() ? TZorShellItem::FromSpecialFolder(SF_DRIVES) : aValue;
    if (fMultipleRoots == mrAuto)
        fMultipleRoots = mrSingleRoot;
    if (!fRoots.empty())
        Fill();
}

void TZorShellTreeModel::EnsureFilled()
{
    if (fRoots.empty())
        Fill();
}

void TZorShellTreeModel::Fill()
{
    beginResetModel();
    fRoots.clear();
    fRoots.push_back(std::make_unique<TZorShellTreeNode>(*this, nullptr, DescribeShellItem(fRootedAt)));
    endResetModel();
    TZorShellTreeNode &root = *fRoots.front();
    if (!fRootedAt.IsSpecialFolder(SF_NETWORK))
        FillChildren(root);
    UpdateNode(root, true);
    SelectNode(&root);
}

QString TZorShellTreeModel::SelectedFolder() const
{
    const TZorShellTreeNode *node = SelectedNode();
    if (!node)
        return QString();
    const QString path = node->FullPath();
    return path.isEmpty() ? fRootedAt.Path() : path;
}

TZorShellTreeNode *TZorShellTreeModel::SetSelectedFolder(const QString &Value)
{
    if (Value.isEmpty())
        return SetSpecialFolder(SF_DRIVES);
    EnsureFilled();
    const QString path = QDir::cleanPath(ExpandFolderText(Value, QDateTime::currentDateTime()));
    TZorShellTreeNode *node = RootNode();
    if (!node || !QDir::isAbsolutePath(path) || !IsFolder(path) || !IsAtOrBelow(path, node->FullPath()))
        return nullptr;
    while (!SamePath(node->FullPath(), path)) {
        FillChildren(*node);
        TZorShellTreeNode *child = ChildOnPath(*node, path);
        if (!child && node->MayHaveChildren() && !node->FullPath().isEmpty()) {
            // A folder the listing did not give (it appeared since): add it now.
            const QString prefix = WithTrailingSeparator(node->FullPath());
            const QString name = path.mid(prefix.size()).section(PathSeparator, 0, 0);
            child = AddChildNode(*node, {TZorShellItem::FromPath(prefix + name), name, ikFolder, true});
        }
        if (!child)
            break; // hidden, refused or behind a link: the deepest node reached is selected
        node = child;
        if (!node->MayHaveChildren())
            break;
    }
    SelectNode(node);
    return node;
}

TZorShellTreeNode *TZorShellTreeModel::SetSpecialFolder(TZorSpecialFolder aValue)
{
    EnsureFilled();
    const TZorShellItem item = TZorShellItem::FromSpecialFolder(aValue);
    TZorShellTreeNode *root = RootNode();
    if (root && root->AbsoluteItemIdList() == item) {
        SelectNode(root);
        return root;
    }
    return item.Path().isEmpty() ? nullptr : SetSelectedFolder(item.Path());
}

// ---- Nodes ----

std::unique_ptr<TZorShellTreeNode> TZorShellTreeModel::OfferNode(TZorShellTreeNode &aParent,
                                                                 const TZorShellFolderItem &aItem)
{
    auto node = std::make_unique<TZorShellTreeNode>(*this, &aParent, aItem);
    if (OnAddFolder) {
        bool canAdd = true;
        OnAddFolder(*node, node->FullPath(), canAdd);
        if (!canAdd)
            return nullptr;
        if (node->Text() != aItem.DisplayName)
            node->fFlags |= nfTextByHandler;
    }
    return node;
}

void TZorShellTreeModel::FillChildren(TZorShellTreeNode &aNode)
{
    if (aNode.fChildrenFilled || (aNode.fFlags & nfFillingChildren) != 0)
        return;
    aNode.fFlags |= nfFillingChildren;
    std::vector<TZorShellFolderItem> items;
    if (aNode.MayHaveChildren())
        EnumerateShellFolder(aNode.AbsoluteItemIdList(), fFilter, items);
    aNode.fChildrenFilled = true;

    struct TSortable
    {
        QCollatorSortKey Key;
        std::unique_ptr<TZorShellTreeNode> Node;
    };
    std::vector<TSortable> sortable;
    sortable.reserve(items.size());
    for (const TZorShellFolderItem &item : items)
        if (std::unique_ptr<TZorShellTreeNode> node = OfferNode(aNode, item))
            sortable.push_back({fCollator.sortKey(node->Text()), std::move(node)});
    // The drives folder keeps its own order: home, "/", then the volumes.
    if (!aNode.AbsoluteItemIdList().IsSpecialFolder(SF_DRIVES))
        std::stable_sort(sortable.begin(), sortable.end(),
                         [](const TSortable &a, const TSortable &b) { return a.Key.compare(b.Key) < 0; });
    std::vector<std::unique_ptr<TZorShellTreeNode>> nodes;
    nodes.reserve(sortable.size());
    for (TSortable &entry : sortable)
        nodes.push_back(std::move(entry.Node));
    InsertChildren(aNode, std::move(nodes));
    aNode.fFlags &= ~uint32_t(nfFillingChildren);
    if (aNode.fChildren.empty()) {
        // The expander goes away: the folder turned out to hold nothing the tree shows.
        const QModelIndex index = IndexFromNode(&aNode);
        Q_EMIT dataChanged(index, index);
    }
}

void TZorShellTreeModel::InsertChildren(TZorShellTreeNode &aParent,
                                        std::vector<std::unique_ptr<TZorShellTreeNode>> aNodes)
{
    if (aNodes.empty())
        return;
    const int first = aParent.ChildCount();
    beginInsertRows(IndexFromNode(&aParent), first, first + int(aNodes.size()) - 1);
    for (std::unique_ptr<TZorShellTreeNode> &node : aNodes)
        aParent.fChildren.push_back(std::move(node));
    Renumber(aParent, first);
    endInsertRows();
}

TZorShellTreeNode *TZorShellTreeModel::AddChildNode(TZorShellTreeNode &aParent,
                                                    const TZorShellFolderItem &aItem)
{
    const QString name = aItem.Item.Path().mid(FolderPart(aItem.Item.Path()).size());
    if (name.isEmpty() || name.startsWith(u'.') || aParent.ChildWithPath(aItem.Item.Path()))
        return nullptr;
    std::unique_ptr<TZorShellTreeNode> node = OfferNode(aParent, aItem);
    if (!node)
        return nullptr;
    const auto position =
        std::upper_bound(aParent.fChildren.begin(), aParent.fChildren.end(), node->Text(),
                         [&](const QString &text, const std::unique_ptr<TZorShellTreeNode> &child) {
                             return fCollator.compare(text, child->Text()) < 0;
                         });
    const int row = int(position - aParent.fChildren.begin());
    beginInsertRows(IndexFromNode(&aParent), row, row);
    TZorShellTreeNode *result = node.get();
    aParent.fChildren.insert(position, std::move(node));
    Renumber(aParent, row);
    endInsertRows();
    return result;
}

void TZorShellTreeModel::RemoveChild(TZorShellTreeNode &aParent, int aRow)
{
    beginRemoveRows(IndexFromNode(&aParent), aRow, aRow);
    aParent.fChildren.erase(aParent.fChildren.begin() + aRow); // cancels the node's queries
    Renumber(aParent, aRow);
    endRemoveRows();
}

void TZorShellTreeModel::Renumber(TZorShellTreeNode &aParent, int aFrom)
{
    for (int row = aFrom; row < aParent.ChildCount(); ++row)
        aParent.fChildren[size_t(row)]->fRow = row;
}

TZorShellTreeNode *TZorShellTreeModel::LocateNode(const TZorShellItem &aItem) const
{
    TZorShellTreeNode *node = RootNode();
    if (!node || aItem.IsNull())
        return nullptr;
    if (node->AbsoluteItemIdList() == aItem)
        return node;
    const QString path = aItem.Path();
    if (path.isEmpty() || !IsAtOrBelow(path, node->FullPath()))
        return nullptr;
    while (!SamePath(node->FullPath(), path)) {
        TZorShellTreeNode *child = ChildOnPath(*node, path);
        if (!child)
            break;
        node = child;
    }
    return node;
}

TZorShellTreeNode *TZorShellTreeModel::NodeAtAbsoluteIndex(int aIndex) const
{
    if (aIndex < 0)
        return nullptr;
    std::vector<TZorShellTreeNode *> stack;
    for (auto it = fRoots.rbegin(); it != fRoots.rend(); ++it)
        stack.push_back(it->get());
    while (!stack.empty()) {
        TZorShellTreeNode *node = stack.back();
        stack.pop_back();
        if (aIndex-- == 0)
            return node;
        for (int row = node->ChildCount() - 1; row >= 0; --row)
            stack.push_back(node->Child(row));
    }
    return nullptr;
}

int TZorShellTreeModel::GetItemSelectionState(int aIndex) const
{
    const TZorShellTreeNode *node = NodeAtAbsoluteIndex(aIndex);
    return node ? node->StateIndex() : -1;
}

void TZorShellTreeModel::NodeShown(TZorShellTreeNode &aNode)
{
    if (!aNode.fShown)
        UpdateNode(aNode, true);
}

// ---- Check states ----

void TZorShellTreeModel::SetStateIndex(TZorShellTreeNode &aNode, int aValue)
{
    if (aNode.fStateIndex == aValue)
        return;
    aNode.fStateIndex = aValue;
    if (!fInData) {
        const QModelIndex index = IndexFromNode(&aNode);
        Q_EMIT dataChanged(index, index, {StateIndexRole});
    }
}

TZorSelectionState TZorShellTreeModel::CheckState(TZorShellTreeNode &aNode)
{
    if (aNode.fStateIndex < 0) {
        if (!fShellLink)
            return ssUnused;
        bool isSubItemOf = false;
        TZorSelectionState state = ssDisabled;
        try {
            state = fShellLink->SelectionList().IsPIDLSelected(aNode.AbsoluteItemIdList(), isSubItemOf);
        } catch (...) {
            state = ssDisabled;
        }
        SetStateIndex(aNode, state);
    }
    return TZorSelectionState(aNode.fStateIndex);
}

void TZorShellTreeModel::SetCheckState(TZorShellTreeNode &aNode, TZorSelectionState aValue)
{
    if (aNode.fStateIndex == int(aValue))
        return;
    const bool hadState = aNode.fStateIndex >= 0;
    SetStateIndex(aNode, aValue);
    if (hadState && OnTreeNodeCheckStateChanged)
        OnTreeNodeCheckStateChanged(aNode, aValue);
}

void TZorShellTreeModel::SetChecked(TZorShellTreeNode &aNode, bool aValue)
{
    if (!fShellLink)
        return;
    const TZorSelectionState state = CheckState(aNode);
    if (state == ssUnused || state == ssDisabled)
        return;
    SetCheckState(aNode, TZorSelectionList::BoolToSelectionState(aValue));
    // The list's refresh only queues queries: the node is still there afterwards.
    TZorSelectionList &list = fShellLink->SelectionList();
    if (aValue)
        list.AddPIDLToSelection(aNode.AbsoluteItemIdList());
    else
        list.RemovePIDLFromSelection(aNode.AbsoluteItemIdList());
    QueueQueries({&aNode});
}

void TZorShellTreeModel::ToggleNodeCheck(TZorShellTreeNode &aNode)
{
    if (CanUseCheckBoxes())
        SetChecked(aNode, !Checked(aNode));
}

TZorSelectionState TZorShellTreeModel::RootState(TZorShellTreeNode &aRoot) const
{
    TZorSelectionList &list = fShellLink->SelectionList();
    const QString path = aRoot.FullPath();
    const bool virtualRoot = path.isEmpty() || aRoot.AbsoluteItemIdList().IsSpecialFolder(SF_DESKTOP);
    if (list.IsLocalPathSelected())
        return virtualRoot ? ssGrayed : list.IsPathSelected(path);
    return virtualRoot ? ssDisabled : ssUnChecked;
}

void TZorShellTreeModel::UpdateNode(TZorShellTreeNode &aNode, bool aFull)
{
    if (aNode.IsGap())
        return;
    aNode.fShown = true;
    if (!CanUseCheckBoxes())
        return;
    if (aNode.fStateIndex <= int(ssUnused)) {
        QueueQueries({&aNode});
        if (TZorShellTreeNode *parent = aNode.Parent())
            SetCheckState(aNode, CheckState(*parent));
    } else if (&aNode != RootNode()) {
        const TZorSelectionState state = TZorSelectionState(aNode.fStateIndex);
        if (aFull || state == ssChecked || state == ssUnChecked)
            RecomputeCheckStates(&aNode);
    } else {
        SetStateIndex(aNode, RootState(aNode));
    }
}

void TZorShellTreeModel::QueueQueries(const std::vector<TZorShellTreeNode *> &aNodes)
{
    if (!CanUseCheckBoxes() || aNodes.empty())
        return;
    const std::shared_ptr<TZorSelectionList> list = fShellLink->SharedSelectionList();
    std::vector<std::shared_ptr<IWorkItem>> items;
    items.reserve(aNodes.size());
    for (TZorShellTreeNode *node : aNodes)
        items.push_back(std::make_shared<TCheckBoxWorkItem>(node->AbsoluteItemIdList(), list, this,
                                                            reinterpret_cast<intptr_t>(node),
                                                            node->CancellationToken()));
    TWorkerThreadPool::Instance().AddWorkItems(items);
}

void TZorShellTreeModel::RecomputeCheckStates(TZorShellTreeNode *aNode)
{
    if (!CanUseCheckBoxes() || fRoots.empty())
        return;
    std::vector<TZorShellTreeNode *> stack;
    if (aNode)
        stack.push_back(aNode);
    else
        for (const std::unique_ptr<TZorShellTreeNode> &root : fRoots)
            stack.push_back(root.get());
    std::vector<TZorShellTreeNode *> queries;
    while (!stack.empty()) {
        TZorShellTreeNode *node = stack.back();
        stack.pop_back();
        if (!node->IsGap() && node->fStateIndex != int(ssDisabled) && node->fShown)
            queries.push_back(node);
        for (const std::unique_ptr<TZorShellTreeNode> &child : node->fChildren)
            stack.push_back(child.get());
    }
    QueueQueries(queries);
}

void TZorShellTreeModel::UpdateCheckStatesUpwards(TZorShellTreeNode &aNode)
{
    if (!CanUseCheckBoxes())
        return;
    for (TZorShellTreeNode *node = &aNode; node; node = node->Parent()) {
        if (node == RootNode())
            SetStateIndex(*node, RootState(*node));
        else if (node->fStateIndex != int(ssUnused))
            RecomputeCheckStates(node);
        else
            SetCheckState(*node, fShellLink->SelectionList().IsLocalPathSelected() ? ssGrayed : ssDisabled);
    }
}

void TZorShellTreeModel::CheckBoxWorkItemDone(TCheckBoxWorkItem &aWorkItem)
{
    // A node's queries are cancelled when it is deleted, so the tag still names a live node.
    auto *node = reinterpret_cast<TZorShellTreeNode *>(aWorkItem.GetTag());
    if (node && CanUseCheckBoxes())
        SetCheckState(*node, aWorkItem.CheckState());
}

void TZorShellTreeModel::CancelAllQueries()
{
    std::vector<TZorShellTreeNode *> stack;
    for (const std::unique_ptr<TZorShellTreeNode> &root : fRoots)
        stack.push_back(root.get());
    while (!stack.empty()) {
        TZorShellTreeNode *node = stack.back();
        stack.pop_back();
        node->CancelPendingQueries();
        for (const std::unique_ptr<TZorShellTreeNode> &child : node->fChildren)
            stack.push_back(child.get());
    }
}

// ---- Refresh ----

void TZorShellTreeModel::SyncChildren(TZorShellTreeNode &aNode)
{
    if (!aNode.fChildrenFilled)
        return;
    std::vector<TZorShellFolderItem> items;
    if (aNode.MayHaveChildren())
        EnumerateShellFolder(aNode.AbsoluteItemIdList(), fFilter, items);
    QHash<QString, const TZorShellFolderItem *> listed;
    listed.reserve(qsizetype(items.size()));
    for (const TZorShellFolderItem &item : items)
        listed.insert(item.Item.Path(), &item);
    QHash<QString, TZorShellTreeNode *> loaded;
    for (int row = aNode.ChildCount() - 1; row >= 0; --row) {
        TZorShellTreeNode *child = aNode.Child(row);
        const TZorShellFolderItem *item = listed.value(child->FullPath());
        if (!item) {
            RemoveChild(aNode, row);
            continue;
        }
        loaded.insert(child->FullPath(), child);
        if ((child->fFlags & nfTextByHandler) == 0 && child->Text() != item->DisplayName) {
            child->fText = item->DisplayName;
            const QModelIndex index = IndexFromNode(child);
            Q_EMIT dataChanged(index, index, {Qt::DisplayRole});
        }
    }
    for (const TZorShellFolderItem &item : items)
        if (!loaded.contains(item.Item.Path()))
            AddChildNode(aNode, item);
    for (const std::unique_ptr<TZorShellTreeNode> &child : aNode.fChildren)
        SyncChildren(*child);
}

void TZorShellTreeModel::RefreshNode(TZorShellTreeNode &aNode)
{
    SyncChildren(aNode);
    if (&aNode == RootNode()) {
        UpdateNode(aNode, true);
        for (const std::unique_ptr<TZorShellTreeNode> &child : aNode.fChildren)
            RecomputeCheckStates(child.get());
    } else if (aNode.Shown()) {
        UpdateNode(aNode, true);
    } else {
        RecomputeCheckStates(&aNode);
    }
}

void TZorShellTreeModel::Refresh(TRefreshLevel pRefreshLevel, const TZorShellItem &pItemIdList)
{
    switch (pRefreshLevel) {
    case rfFull:
        if (fRoots.empty())
            return;
        for (size_t root = 0; root < fRoots.size(); ++root)
            RefreshNode(*fRoots[root]);
        return;
    case rfSmart: {
        TZorShellTreeNode *node = SelectedNode();
        if (node && node->Text().isEmpty())
            node = node->Parent();
        if (!node)
            return;
        RefreshNode(*node);
        UpdateCheckStatesUpwards(*node);
        return;
    }
    case rfCheckboxes:
        if (pItemIdList.IsNull() || !fShellLink || fShellLink->SelectionList().IsEmpty()) {
            RecomputeCheckStates();
        } else if (TZorShellTreeNode *node = LocateNode(pItemIdList)) {
            RefreshNode(*node);
        }
        return;
    }
    throw std::runtime_error("Unknown TRefreshLevel");
}
