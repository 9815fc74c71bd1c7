// The result list's item store, selection and sorting as a table model.
#include "filesearch/custom_file_list.h"

#include "platform/file_name.h"
#include "platform/path_routines.h"

#include <algorithm>
#include <QLocale>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <stdexcept>

namespace {
// "scheme:..." names an element that has no file-system path (trash:/, recent:/, ...).
bool IsSchemePath(const QString &aPath)
{
    static const QRegularExpression kScheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return kScheme.match(aPath).hasMatch();
}
} // namespace

TZorCustomFileList::TZorCustomFileList(QObject *aParent)
    : QAbstractTableModel(aParent), fColumnCaptions{
                                        QStringLiteral("Name"),          QStringLiteral("In Folder"),
                                        QStringLiteral("Size"),          QStringLiteral("Type"),
                                        QStringLiteral("Date modified"), QStringLiteral("Matches"),
                                        QStringLiteral("Context")}
{
    connect(&fSelection, &QItemSelectionModel::selectionChanged, this,
            &TZorCustomFileList::SelectionModelChanged);
}

TZorCustomFileList::~TZorCustomFileList() = default;

TZorFileListItem *TZorCustomFileList::Add(const QString &Path, bool Checked, int pPos)
{
    if (Path.isEmpty())
        throw std::invalid_argument("pPath must be assigned");
    const bool isVirtual = !Path.startsWith(PathSeparator) && IsSchemePath(Path);
    if ((!Path.startsWith(PathSeparator) && !isVirtual) || Path.contains(QChar(0)))
        throw std::invalid_argument("pItemIdList must be assigned");
    if (isVirtual && fFileSystemOnly)
        throw std::invalid_argument("Virtual elements cannot be added if FileSystemOnly is true");

    TZorFileListItem *item = nullptr;
    if (!fAllowDuplicates) {
        const int existing = ReturnItemInList(Path);
        if (existing >= 0) {
            RefreshItem(existing);
            item = fItems[size_t(existing)].get();
        }
    }
    if (!item) {
        auto created = std::make_unique<TZorFileListItem>(Path, isVirtual, &fLastFolder);
        created->fChecked = Checked;
        item = created.get();
        InsertItem(pPos >= 0 && pPos < Count() ? pPos : Count(), std::move(created));
    }

    const auto indexOf = [this](const TZorFileListItem *aItem) {
        // From the end: the item asked about is nearly always the last one.
        for (int i = Count() - 1; i >= 0; --i)
            if (fItems[size_t(i)].get() == aItem)
                return i;
        return -1;
    };
    bool accepted = false;
    try {
        accepted = ConfirmNewItem(*item);
    } catch (...) {
        Delete(indexOf(item));
        throw;
    }
    // The events may have let other work run that removed the item meanwhile.
    const int index = indexOf(item);
    if (index < 0)
        return nullptr;
    if (!accepted) {
        Delete(index);
        return nullptr;
    }
    ItemAccepted(*item);
    return item;
}

bool TZorCustomFileList::ConfirmNewItem(TZorFileListItem &Item)
{
    // Taken first: an OnAddItem that lets other work run may see the item removed.
    const QString path = Item.Path().isEmpty() ? Item.DisplayPath() : Item.Path();
    bool canAdd = true;
    if (OnAddItem)
        OnAddItem(Item, canAdd);
    if (canAdd && OnAddPath)
        OnAddPath(path, canAdd);
    return canAdd;
}

int TZorCustomFileList::ReturnItemInList(const QString &pFilePath, int lStartIndex) const
{
    if (pFilePath.isEmpty())
        return -1;
    const QStringView wanted =
        pFilePath.endsWith(PathSeparator) ? QStringView(pFilePath).chopped(1) : QStringView(pFilePath);
    for (int i = std::max(lStartIndex, 0); i < Count(); ++i)
        if (fItems[size_t(i)]->HasPath(wanted))
            return i;
    return -1;
}

bool TZorCustomFileList::IsItemInList(const QString &FileName) const
{
    return ReturnItemInList(FileName, 0) >= 0;
}

void TZorCustomFileList::Clear()
{
    const bool hadSelection = fSelection.hasSelection();
    {
        // The selection model forgets its selection at the reset.
        const QScopedValueRollback quiet(fQuietSelection, true);
        beginResetModel();
        fItems.clear();
        fPublished = 0;
        endResetModel();
    }
    if (hadSelection)
        RaiseSelectionChanged();
}

void TZorCustomFileList::Delete(int pIndex)
{
    if (pIndex < 0 || pIndex >= Count())
        return;
    const bool wasSelected = IsSelected(pIndex);
    if (pIndex < fPublished) {
        // The selection model drops the row from the selection as it goes (and moves the rows
        // below up); the one event for it follows once the row is gone.
        const QScopedValueRollback quiet(fQuietSelection, true);
        beginRemoveRows(QModelIndex(), pIndex, pIndex);
        fItems.erase(fItems.begin() + pIndex);
        --fPublished;
        endRemoveRows();
    } else {
        fItems.erase(fItems.begin() + pIndex);
    }
    if (wasSelected)
        RaiseSelectionChanged();
}

void TZorCustomFileList::InsertItem(int pPos, std::unique_ptr<TZorFileListItem> pItem)
{
    if (fUpdateCount > 0 && pPos >= fPublished) {
        fItems.insert(fItems.begin() + pPos, std::move(pItem));
        return;
    }
    beginInsertRows(QModelIndex(), pPos, pPos);
    fItems.insert(fItems.begin() + pPos, std::move(pItem));
    ++fPublished;
    endInsertRows();
}

void TZorCustomFileList::BeginUpdate()
{
    ++fUpdateCount;
}

void TZorCustomFileList::EndUpdate()
{
    if (fUpdateCount == 0 || --fUpdateCount > 0)
        return;
    if (Count() > fPublished) {
        beginInsertRows(QModelIndex(), fPublished, Count() - 1);
        fPublished = Count();
        endInsertRows();
    }
    if (fResortPending) {
        fResortPending = false;
        Resort();
    }
}

TZorCustomFileList::TRowSpans TZorCustomFileList::SelectedSpans() const
{
    const QItemSelection selection = fSelection.selection();
    TRowSpans spans;
    spans.reserve(size_t(selection.size()));
    for (const QItemSelectionRange &range : selection)
        if (range.isValid())
            spans.emplace_back(range.top(), range.bottom());
    std::sort(spans.begin(), spans.end());
    // Ranges may overlap in rows (cells of one row in several ranges): merge them.
    TRowSpans merged;
    merged.reserve(spans.size());
    for (const auto &span : spans) {
        if (!merged.empty() && span.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, span.second);
        else
            merged.push_back(span);
    }
    return merged;
}

QString TZorCustomFileList::SelectedPath() const
{
    const int index = ItemIndex();
    return index < 0 ? QString() : fItems[size_t(index)]->Path();
}

QStringList TZorCustomFileList::SelectedPaths() const
{
    QStringList paths;
    for (const auto &[first, last] : SelectedSpans())
        for (int row = first; row <= last; ++row)
            paths.append(fItems[size_t(row)]->Path());
    return paths;
}

QList<int> TZorCustomFileList::SelectedRows() const
{
    QList<int> rows;
    for (const auto &[first, last] : SelectedSpans())
        for (int row = first; row <= last; ++row)
            rows.append(row);
    return rows;
}

bool TZorCustomFileList::IsSelected(int pIndex) const
{
    if (pIndex < 0 || pIndex >= fPublished)
        return false;
    const TRowSpans spans = SelectedSpans();
    return std::any_of(spans.begin(), spans.end(), [pIndex](const auto &aSpan) {
        return aSpan.first <= pIndex && pIndex <= aSpan.second;
    });
}

int TZorCustomFileList::ItemIndex() const
{
    const TRowSpans spans = SelectedSpans();
    return spans.empty() ? -1 : spans.front().first;
}

void TZorCustomFileList::SetItemIndex(int pIndex)
{
    SetSelectedRows(pIndex < 0 ? QList<int>() : QList<int>{pIndex});
}

int TZorCustomFileList::SelCount() const
{
    int count = 0;
    for (const auto &[first, last] : SelectedSpans())
        count += last - first + 1;
    return count;
}

void TZorCustomFileList::SetSelected(int pIndex, bool pSelected)
{
    if (pIndex < 0 || pIndex >= fPublished)
        return;
    // The selection model signals only a real change; SelectionModelChanged raises the event.
    fSelection.select(QItemSelection(index(pIndex, 0), index(pIndex, flcColumnCount - 1)),
                      pSelected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void TZorCustomFileList::SetSelectedRows(const QList<int> &pRows)
{
    std::vector<int> rows;
    rows.reserve(size_t(pRows.size()));
    for (int row : pRows)
        if (row >= 0 && row < fPublished)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // One range per run of consecutive rows.
    QItemSelection selection;
    for (size_t first = 0; first < rows.size();) {
        size_t last = first;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1)
            ++last;
        selection.append(QItemSelectionRange(index(rows[first], 0), index(rows[last], flcColumnCount - 1)));
        first = last + 1;
    }
    // The selection model signals only a real change; SelectionModelChanged raises the event.
    fSelection.select(selection, QItemSelectionModel::ClearAndSelect);
}

void TZorCustomFileList::SelectionModelChanged()
{
    if (!fQuietSelection)
        RaiseSelectionChanged();
}

void TZorCustomFileList::RaiseSelectionChanged()
{
    if (OnSelectionChanged)
        OnSelectionChanged(*this, SelectedPath());
}

void TZorCustomFileList::SetIsSorted(bool pValue)
{
    fIsSorted = pValue;
    Resort();
}

void TZorCustomFileList::sort(int aColumn, Qt::SortOrder aOrder)
{
    if (aColumn < 0 || aColumn >= flcColumnCount)
        return;
    fSortColumn = aColumn;
    fSortOrder = aOrder;
    fIsSorted = true;
    Resort();
}

bool TZorCustomFileList::LessThan(const TZorFileListItem &a, const TZorFileListItem &b) const
{
    int order = 0;
    switch (fSortColumn) {
    case flcInFolder:
        order = a.InFolder().compare(b.InFolder(), Qt::CaseInsensitive);
        break;
    case flcSize:
        order = a.Size() < b.Size() ? -1 : (a.Size() > b.Size() ? 1 : 0);
        break;
    case flcType:
        order = TypeName(a).compare(TypeName(b), Qt::CaseInsensitive);
        break;
    case flcDateModified:
        order = a.DateModified() < b.DateModified() ? -1 : (b.DateModified() < a.DateModified() ? 1 : 0);
        break;
    case flcMatches:
        order = a.Matches() < b.Matches() ? -1 : (a.Matches() > b.Matches() ? 1 : 0);
        break;
    case flcContext:
        order = a.Context().compare(b.Context(), Qt::CaseInsensitive);
        break;
    default:
        order = a.Caption().compare(b.Caption(), Qt::CaseInsensitive);
        break;
    }
    if (order == 0)
        order = a.DisplayPath().compare(b.DisplayPath());
    return fSortOrder == Qt::AscendingOrder ? order < 0 : order > 0;
}

void TZorCustomFileList::Resort()
{
    if (!fIsSorted)
        return;
    if (fUpdateCount > 0) {
        fResortPending = true;
        return;
    }
    // The selection model carries the selection over to the new rows: the same items stay
    // selected, which is no change to report.
    const QScopedValueRollback quiet(fQuietSelection, true);
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<const TZorFileListItem *> held;
    held.reserve(size_t(before.size()));
    for (const QModelIndex &index : before)
        held.push_back(fItems[size_t(index.row())].get());
    std::stable_sort(fItems.begin(), fItems.end(),
                     [this](const auto &a, const auto &b) { return LessThan(*a, *b); });
    QHash<const TZorFileListItem *, int> rows;
    rows.reserve(Count());
    for (int i = 0; i < Count(); ++i)
        rows.insert(fItems[size_t(i)].get(), i);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(index(rows.value(held[size_t(i)]), before[i].column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QString TZorCustomFileList::TypeName(const TZorFileListItem &pItem) const
{
    if (pItem.fIsFolder)
        return QStringLiteral("Folder");
    const QString caption = pItem.Caption();
    const qsizetype dot = caption.lastIndexOf(u'.');
    if (dot < 0 || dot == caption.size() - 1)
        return QStringLiteral("File");
    const QString extension = caption.mid(dot + 1).toLower();
    auto found = fTypeNames.constFind(extension);
    if (found != fTypeNames.constEnd())
        return *found;
    const QList<QMimeType> types = QMimeDatabase().mimeTypesForFileName(QStringLiteral("x.") + extension);
    QString name = types.isEmpty() ? QString() : types.first().comment();
    if (name.isEmpty())
        name = extension.toUpper() + QStringLiteral(" File");
    fTypeNames.insert(extension, name);
    return name;
}

void TZorCustomFileList::SetColumnCaptions(const QStringList &pCaptions)
{
    if (pCaptions.size() != flcColumnCount)
        return;
    fColumnCaptions = pCaptions;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, flcColumnCount - 1);
}

int TZorCustomFileList::rowCount(const QModelIndex &aParent) const
{
    return aParent.isValid() ? 0 : fPublished;
}

int TZorCustomFileList::columnCount(const QModelIndex &aParent) const
{
    return aParent.isValid() ? 0 : flcColumnCount;
}

QVariant TZorCustomFileList::data(const QModelIndex &aIndex, int aRole) const
{
    if (!checkIndex(aIndex, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TZorFileListItem &item = *fItems[size_t(aIndex.row())];
    if (aRole == PathRole)
        return item.DisplayPath();
    if (aRole == Qt::ToolTipRole && aIndex.column() == flcContext && item.Matches() > 0)
        return item.Context();
    if (aRole == Qt::ToolTipRole)
        return DisplayFileName(item.DisplayPath());
    if (aRole == Qt::TextAlignmentRole && (aIndex.column() == flcSize || aIndex.column() == flcMatches))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (aRole == Qt::EditRole && aIndex.column() == flcName)
        return item.Caption();
    if (aRole != Qt::DisplayRole)
        return {};
    switch (aIndex.column()) {
    case flcName:
        return DisplayFileName(item.Caption());
    case flcInFolder:
        return DisplayFileName(item.InFolder());
    case flcSize:
        return item.Size() < 0 ? QString() : QLocale().formattedDataSize(item.Size());
    case flcType:
        return TypeName(item);
    case flcDateModified:
        return item.DateModified().isValid() ? QLocale().toString(item.DateModified(), QLocale::ShortFormat)
                                             : QString();
    case flcMatches:
        return item.Matches() > 0 ? QLocale().toString(item.Matches()) : QString();
    case flcContext:
        return item.Context();
    default:
        return {};
    }
}

Qt::ItemFlags TZorCustomFileList::flags(const QModelIndex &aIndex) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(aIndex);
    if (aIndex.isValid() && aIndex.column() == flcName)
        result |= Qt::ItemIsEditable;
    return result;
}

QVariant TZorCustomFileList::headerData(int aSection, Qt::Orientation aOrientation, int aRole) const
{
    if (aOrientation != Qt::Horizontal || aRole != Qt::DisplayRole || aSection < 0 ||
        aSection >= flcColumnCount)
        return {};
    return fColumnCaptions.at(aSection);
}

void TZorCustomFileList::ItemAccepted(TZorFileListItem &) {}

void TZorCustomFileList::RefreshItem(int pIndex)
{
    if (pIndex < 0 || pIndex >= Count())
        return;
    fItems[size_t(pIndex)]->Refresh();
    if (pIndex < fPublished)
        Q_EMIT dataChanged(index(pIndex, 0), index(pIndex, flcColumnCount - 1));
}

void TZorCustomFileList::RenameItem(int pIndex, const QString &pNewPath)
{
    if (pIndex < 0 || pIndex >= Count())
        return;
    fItems[size_t(pIndex)]->SetPath(pNewPath);
    RefreshItem(pIndex);
}
