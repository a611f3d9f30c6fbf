#include "platform/widgets/ListView.h"

#include "platform/widgets/Keys.h"
#include "platform/widgets/ReportListModel.h"
#include "platform/widgets/Screen.h"

#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QPixmap>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace platform {

namespace {

using report::Column;
using report::GrowSubItems;
using report::kMaxSubItems;
using report::Row;
using report::RowExtras;

// The tree view in report mode, with the control's click events raised after
// the view has updated its selection: a click on an already selected row only
// narrows the selection on release, so the events follow the base handlers.
class ReportTreeView : public QTreeView {
public:
    using QTreeView::QTreeView;
    std::function<void()> onClick;
    std::function<void()> onDoubleClick;
    std::function<void(int)> onKeyDown;
    std::function<void()> onResize;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QTreeView::resizeEvent(event);
        if (onResize)
            onResize();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        // Enter is the list's own key; every other key moves and selects as usual.
        const int code = KeyCodeOf(event->key());
        if (code == kKeyReturn) {
            if (!event->isAutoRepeat() && onKeyDown)
                onKeyDown(code);
            event->accept();
            return;
        }
        QTreeView::keyPressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QTreeView::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && onClick)
            onClick();
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        QTreeView::mouseDoubleClickEvent(event);
        if (event->button() == Qt::LeftButton && onDoubleClick)
            onDoubleClick();
    }
};

} // namespace

struct ReportListView::Impl {
    ReportListModel* model = nullptr;
    ReportTreeView* view = nullptr;

    int sortKey = 0;
    int sortOrder = 0;
    bool sorted = false;

    // Drawing freeze: while frozen the view hears nothing. A change of the rows
    // opens a model reset at once (so the view never reads rows it was not told
    // of) and the last release closes it; a change of texts only is announced
    // in one go at the release.
    int freezeCount = 0;
    bool resetOpen = false;
    bool textsChanged = false;
    bool rowsReordered = false;

    // True from the start of a model reset until the view's state has been
    // put back; the view's own echoes of the reset are ignored meanwhile.
    bool inReset = false;

    // Set while the program itself moves the view's selection, so that the
    // view's echo does not write back into the rows.
    bool syncingSelection = false;

    Row* RowAt(int position)
    {
        if (position < 1 || position > static_cast<int>(model->rows.size()))
            return nullptr;
        return &model->rows[position - 1];
    }
    const Row* RowAt(int position) const
    {
        return const_cast<Impl*>(this)->RowAt(position);
    }

    // Before rows are added, removed or reordered: inside a freeze the reset
    // stays open until the release, otherwise the caller brackets its change
    // with BeginRowsChange/EndRowsChange.
    void BeginRowsChange()
    {
        if (freezeCount > 0) {
            if (!resetOpen) {
                inReset = true;
                model->BeginReset();
                resetOpen = true;
            }
            return;
        }
        inReset = true;
        model->BeginReset();
    }
    void EndRowsChange()
    {
        if (freezeCount > 0)
            return;
        FinishReset();
    }
    void FinishReset()
    {
        model->EndReset();
        AfterReset();
        inReset = false;
    }

    // After the rows were put in a new order. The row count is unchanged and
    // the view keeps nothing of a row but its place, so the view is neither
    // reset nor told of 32,767 changed rows: both make it visit every row
    // (a reset lays them all out again, a change of all rows asks each one's
    // size), which costs more than the sort itself. It hears of the rows it
    // shows, and reads the others when they are scrolled into sight. The
    // view's selection still points at the old places, so it is rebuilt from
    // the rows, and the current row, which may now be another one, is dropped
    // as a reset would.
    void RowsReordered()
    {
        if (freezeCount > 0) {
            rowsReordered = true;
            return;
        }
        AnnounceReorder();
    }
    void AnnounceReorder()
    {
        const int count = model->rowCount();
        if (count > 0 && model->columnCount() > 0) {
            const QRect area = view->viewport()->rect();
            const QModelIndex top = view->indexAt(area.topLeft());
            const QModelIndex bottom = view->indexAt(QPoint(area.left(), area.bottom()));
            const int first = top.isValid() ? top.row() : 0;
            const int last = bottom.isValid() ? bottom.row() : count - 1;
            emit model->dataChanged(model->index(first, 0), model->index(last, model->columnCount() - 1),
                                    {Qt::DisplayRole});
            view->viewport()->update();
        }
        syncingSelection = true;
        view->selectionModel()->clearCurrentIndex();
        syncingSelection = false;
        MirrorAllSelection();
        UpdateSortIndicator();
    }

    // Any row's mark may have changed. The view reads a mark only when it
    // paints its row, so a repaint is all it needs; telling it of every row
    // would make it visit all of them (see AnnounceReorder).
    void MarksChanged()
    {
        if (freezeCount > 0) {
            textsChanged = true;
            return;
        }
        view->viewport()->update();
    }

    void CellChanged(int row, int column)
    {
        if (freezeCount > 0) {
            textsChanged = true;
            return;
        }
        if (column >= model->columnCount())
            return;
        const QModelIndex index = model->index(row, column);
        emit model->dataChanged(index, index, {Qt::DisplayRole});
    }

    // A model reset forgets the view's selection and the header's section
    // sizes; both are put back from what the control keeps.
    void AfterReset()
    {
        QHeaderView* header = view->header();
        for (int i = 0; i < static_cast<int>(model->columns.size()); ++i)
            header->resizeSection(i, model->columns[i].widthPixels);
        MirrorAllSelection();
        UpdateSortIndicator();
    }

    void MirrorAllSelection()
    {
        if (model->columns.empty())
            return;
        QItemSelection selection;
        const int lastColumn = model->columnCount() - 1;
        const int count = static_cast<int>(model->rows.size());
        for (int row = 0; row < count;) {
            if (!model->rows[row].selected) {
                ++row;
                continue;
            }
            int end = row;
            while (end + 1 < count && model->rows[end + 1].selected)
                ++end;
            selection.select(model->index(row, 0), model->index(end, lastColumn));
            row = end + 1;
        }
        syncingSelection = true;
        view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        syncingSelection = false;
    }

    void MirrorRowSelection(int row)
    {
        if (model->columns.empty() || resetOpen)
            return;
        const QModelIndex index = model->index(row, 0);
        syncingSelection = true;
        const bool selected = model->rows[row].selected;
        view->selectionModel()->select(index, (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                                                  QItemSelectionModel::Rows);
        if (selected)
            view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        syncingSelection = false;
    }

    // The user's clicks and keys, written into the rows.
    void ViewSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
    {
        if (syncingSelection || inReset)
            return;
        const int count = static_cast<int>(model->rows.size());
        auto apply = [&](const QItemSelection& ranges, bool state) {
            for (const QItemSelectionRange& range : ranges)
                for (int row = range.top(); row <= range.bottom() && row < count; ++row)
                    model->rows[row].selected = state;
        };
        apply(deselected, false);
        apply(selected, true);
    }

    void UpdateSortIndicator()
    {
        QHeaderView* header = view->header();
        if (sorted && sortKey >= 0 && sortKey < model->columnCount()) {
            header->setSortIndicatorShown(true);
            header->setSortIndicator(sortKey, sortOrder == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
        } else {
            header->setSortIndicatorShown(false);
        }
    }

    void Sort()
    {
        std::vector<Row>& rows = model->rows;
        const int column = sortKey;
        const std::vector<int> order = TextOrder().StableOrder(
            static_cast<int>(rows.size()), [&](int row) { return model->CellText(row, column); }, sortOrder == 1);

        report::ApplyOrder(rows, order);
    }
};

ReportListView::ReportListView(QWidget* parent)
    : QWidget(parent)
    , d(std::make_unique<Impl>())
{
    d->model = new ReportListModel(this);
    d->view = new ReportTreeView(this);
    QTreeView* view = d->view;
    view->setModel(d->model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSortingEnabled(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);

    // Header clicks only report the column; ordering is the program's call.
    QHeaderView* header = view->header();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    connect(header, &QHeaderView::sectionClicked, this, [this](int section) { emit ColumnClick(section + 1); });
    // Widths the user drags are kept across refills.
    connect(header, &QHeaderView::sectionResized, this, [this](int section, int, int newSize) {
        if (!d->inReset && section >= 0 && section < static_cast<int>(d->model->columns.size()))
            d->model->columns[section].widthPixels = newSize;
    });

    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                d->ViewSelectionChanged(selected, deselected);
            });
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& point) { emit ContextMenu(d->view->viewport()->mapToGlobal(point)); });
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit Scrolled(); });
    d->view->onResize = [this] { emit Scrolled(); };
    d->view->onClick = [this] { emit Click(); };
    d->view->onDoubleClick = [this] { emit DblClick(); };
    d->view->onKeyDown = [this](int keyCode) { emit KeyDown(keyCode); };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
}

ReportListView::~ReportListView() = default;

void ReportListView::AddColumn(const QString& key, const QString& caption, int widthTwips, ColumnAlignment alignment)
{
    Column column{key, caption, TwipsToPixelsX(widthTwips), alignment};
    const int index = static_cast<int>(d->model->columns.size());
    if (d->freezeCount > 0) {
        d->BeginRowsChange();
        d->model->columns.push_back(std::move(column));
        return;
    }
    d->model->BeginAppendColumn(index);
    d->model->columns.push_back(std::move(column));
    d->model->EndAppendColumn();
    d->view->header()->resizeSection(index, d->model->columns[index].widthPixels);
    // The first column makes existing selected rows visible as such.
    if (index == 0)
        d->MirrorAllSelection();
}

int ReportListView::ColumnCount() const
{
    return static_cast<int>(d->model->columns.size());
}

QString ReportListView::ColumnKey(int position) const
{
    if (position < 1 || position > ColumnCount())
        return {};
    return d->model->columns[position - 1].key;
}

void ReportListView::Clear()
{
    d->BeginRowsChange();
    d->model->rows.clear();
    d->model->rows.shrink_to_fit();
    d->model->marksShown = false;
    d->EndRowsChange();
}

void ReportListView::ReserveRows(int count)
{
    d->model->rows.reserve(static_cast<size_t>(std::max(0, count)));
}

int ReportListView::Add(const QString& text)
{
    return Add(text, QString());
}

int ReportListView::Add(const QString& text, const QString& name)
{
    const int row = static_cast<int>(d->model->rows.size());
    Row added{text, {}, {}, false, 0};
    if (!name.isEmpty() && name != text)
        added.Extras().name = name;
    if (d->freezeCount > 0) {
        d->BeginRowsChange();
        d->model->rows.push_back(std::move(added));
    } else {
        d->model->BeginAppendRow(row);
        d->model->rows.push_back(std::move(added));
        d->model->EndAppendRow();
    }
    return row + 1;
}

QString ReportListView::Name(int position) const
{
    const Row* row = d->RowAt(position);
    if (!row)
        return QString();
    return row->extras && !row->extras->name.isNull() ? row->extras->name : row->text;
}

int ReportListView::Count() const
{
    return static_cast<int>(d->model->rows.size());
}

QString ReportListView::Text(int position) const
{
    const Row* row = d->RowAt(position);
    return row ? row->text : QString();
}

void ReportListView::SetText(int position, const QString& text)
{
    if (Row* row = d->RowAt(position)) {
        row->text = text;
        d->CellChanged(position - 1, 0);
    }
}

QString ReportListView::Tag(int position) const
{
    const Row* row = d->RowAt(position);
    return row && row->extras ? row->extras->tag : QString();
}

void ReportListView::SetTag(int position, const QString& tag)
{
    Row* row = d->RowAt(position);
    if (row && (row->extras || !tag.isEmpty()))
        row->Extras().tag = tag;
}

QString ReportListView::SubItemText(int position, int subItem) const
{
    const Row* row = d->RowAt(position);
    if (!row || subItem < 1 || subItem > static_cast<int>(row->subItems.size()))
        return {};
    return row->subItems[subItem - 1];
}

void ReportListView::SetSubItemText(int position, int subItem, const QString& text)
{
    Row* row = d->RowAt(position);
    if (!row || subItem < 1 || subItem > kMaxSubItems)
        return;
    if (subItem > static_cast<int>(row->subItems.size()))
        GrowSubItems(*row, subItem, static_cast<int>(d->model->columns.size()));
    row->subItems[subItem - 1] = text;
    d->CellChanged(position - 1, subItem);
}

QString ReportListView::SubItemTag(int position, int subItem) const
{
    const Row* row = d->RowAt(position);
    if (!row || subItem < 1 || subItem > static_cast<int>(row->subItems.size()) || !row->extras ||
        subItem > static_cast<int>(row->extras->subItemTags.size()))
        return {};
    return row->extras->subItemTags[subItem - 1];
}

void ReportListView::SetSubItemTag(int position, int subItem, const QString& tag)
{
    Row* row = d->RowAt(position);
    if (!row || subItem < 1 || subItem > kMaxSubItems)
        return;
    if (subItem > static_cast<int>(row->subItems.size()))
        row->subItems.resize(subItem);
    if (!row->extras && tag.isEmpty())
        return;
    std::vector<QString>& tags = row->Extras().subItemTags;
    if (subItem > static_cast<int>(tags.size()))
        tags.resize(subItem);
    tags[subItem - 1] = tag;
}

void ReportListView::ForEachCell(int column, const std::function<void(QString& text, QString& tag)>& visit)
{
    if (column < 0 || column > kMaxSubItems || d->model->rows.empty())
        return;
    // A cell without a tag is handed an empty one of the visit's own; a tag
    // it leaves there is kept with the row.
    QString noTag;
    const auto visitCell = [&](Row& row, QString& text, int subItem) {
        RowExtras* extras = row.extras.get();
        if (extras && subItem == 0) {
            visit(text, extras->tag);
            return;
        }
        if (extras && subItem <= static_cast<int>(extras->subItemTags.size())) {
            visit(text, extras->subItemTags[static_cast<size_t>(subItem - 1)]);
            return;
        }
        visit(text, noTag);
        if (noTag.isEmpty())
            return;
        if (subItem == 0) {
            row.Extras().tag = std::move(noTag);
        } else {
            std::vector<QString>& tags = row.Extras().subItemTags;
            tags.resize(static_cast<size_t>(subItem));
            tags[static_cast<size_t>(subItem - 1)] = std::move(noTag);
        }
        noTag = QString();
    };
    for (Row& row : d->model->rows) {
        if (column == 0) {
            visitCell(row, row.text, 0);
            continue;
        }
        if (column > static_cast<int>(row.subItems.size()))
            row.subItems.resize(static_cast<size_t>(column));
        visitCell(row, row.subItems[static_cast<size_t>(column - 1)], column);
    }
    if (d->freezeCount > 0) {
        d->textsChanged = true;
    } else if (column < d->model->columnCount()) {
        emit d->model->dataChanged(d->model->index(0, column), d->model->index(d->model->rowCount() - 1, column),
                                   {Qt::DisplayRole});
    }
}

bool ReportListView::Selected(int position) const
{
    const Row* row = d->RowAt(position);
    return row && row->selected;
}

void ReportListView::SetSelected(int position, bool selected)
{
    Row* row = d->RowAt(position);
    if (!row || row->selected == selected)
        return;
    row->selected = selected;
    d->MirrorRowSelection(position - 1);
}

void ReportListView::SetMarkPictures(const std::vector<QImage>& pictures)
{
    d->model->markPictures.clear();
    for (const QImage& picture : pictures)
        d->model->markPictures.push_back(QPixmap::fromImage(picture));
    d->MarksChanged();
}

uint8_t ReportListView::Mark(int position) const
{
    const Row* row = d->RowAt(position);
    return row ? row->mark : 0;
}

void ReportListView::SetMark(int position, uint8_t mark)
{
    Row* row = d->RowAt(position);
    if (!row || row->mark == mark)
        return;
    row->mark = mark;
    if (mark != 0 && !d->model->marksShown) {
        // The first mark gives every row its picture.
        d->model->marksShown = true;
        d->MarksChanged();
        return;
    }
    if (d->freezeCount > 0) {
        d->textsChanged = true;
        return;
    }
    if (d->model->columnCount() > 0) {
        const QModelIndex index = d->model->index(position - 1, 0);
        emit d->model->dataChanged(index, index, {Qt::DecorationRole});
    }
}

void ReportListView::ClearMarkBits(uint8_t bits)
{
    bool changed = false;
    bool anyLeft = false;
    for (Row& row : d->model->rows) {
        changed = changed || (row.mark & bits) != 0;
        row.mark = static_cast<uint8_t>(row.mark & ~bits);
        anyLeft = anyLeft || row.mark != 0;
    }
    // A list left without marks looks as one that never had any.
    if (!anyLeft)
        d->model->marksShown = false;
    if (changed)
        d->MarksChanged();
}

std::pair<int, int> ReportListView::VisibleRows() const
{
    const QWidget* viewport = d->view->viewport();
    const QModelIndex top = d->view->indexAt(QPoint(1, 1));
    if (!top.isValid())
        return {0, 0};
    const QModelIndex bottom = d->view->indexAt(QPoint(1, viewport->height() - 1));
    const int last = bottom.isValid() ? bottom.row() + 1 : d->model->rowCount();
    return {top.row() + 1, last};
}

int ReportListView::PositionAt(const QPoint& globalPoint) const
{
    const QModelIndex index = d->view->indexAt(d->view->viewport()->mapFromGlobal(globalPoint));
    return index.isValid() ? index.row() + 1 : 0;
}

void ReportListView::SetToolTipSource(std::function<QString(int position)> source)
{
    d->model->toolTipSource = std::move(source);
}

int ReportListView::SortKey() const
{
    return d->sortKey;
}

void ReportListView::SetSortKey(int key)
{
    d->sortKey = std::max(0, key);
}

int ReportListView::SortOrder() const
{
    return d->sortOrder;
}

void ReportListView::SetSortOrder(int order)
{
    d->sortOrder = order == 1 ? 1 : 0;
}

bool ReportListView::Sorted() const
{
    return d->sorted;
}

void ReportListView::SetSorted(bool sorted)
{
    d->sorted = sorted;
    if (!sorted) {
        d->UpdateSortIndicator();
        return;
    }
    d->Sort();
    d->RowsReordered();
}

void ReportListView::SetSortedInOrder(const std::vector<int>& order)
{
    const size_t count = d->model->rows.size();
    bool permutation = order.size() == count;
    std::vector<bool> seen(permutation ? count : 0, false);
    for (size_t i = 0; permutation && i < count; ++i) {
        const int from = order[i];
        permutation = from >= 0 && static_cast<size_t>(from) < count && !seen[static_cast<size_t>(from)];
        if (permutation)
            seen[static_cast<size_t>(from)] = true;
    }
    if (!permutation) {
        SetSorted(true);
        return;
    }
    d->sorted = true;
    report::ApplyOrder(d->model->rows, order);
    d->RowsReordered();
}

void ReportListView::SetWidthTwips(int widthTwips)
{
    resize(TwipsToPixelsX(widthTwips), height());
}

void ReportListView::FreezeDrawing()
{
    if (d->freezeCount++ == 0)
        d->view->setUpdatesEnabled(false);
}

void ReportListView::ReleaseDrawing()
{
    if (d->freezeCount == 0)
        return;
    if (--d->freezeCount > 0)
        return;
    if (d->resetOpen) {
        d->resetOpen = false;
        d->FinishReset();
    } else if (d->rowsReordered) {
        d->AnnounceReorder();
    } else if (d->textsChanged && d->model->rowCount() > 0 && d->model->columnCount() > 0) {
        emit d->model->dataChanged(d->model->index(0, 0),
                                   d->model->index(d->model->rowCount() - 1, d->model->columnCount() - 1),
                                   {Qt::DisplayRole});
    }
    d->textsChanged = false;
    d->rowsReordered = false;
    d->view->setUpdatesEnabled(true);
}

} // namespace platform
