// The report list's data: its rows and columns in plain structs, presented
// to its view as a flat table, and the one way rows are put into a new
// order. Only the report list control (ListView.cpp) uses this unit; the
// view asks the model for what it paints.
#pragma once

#include "platform/widgets/ListView.h"

#include <QAbstractTableModel>
#include <QPixmap>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace platform::report {

// Sub-items beyond this number are refused, so that a wild index cannot make
// every row allocate a huge sub-item array.
constexpr int kMaxSubItems = 1024;

// What few rows have: tags (the list's free texts, which the program sets in
// no listing) and a name apart from the shown text (a file name that is not
// valid UTF-8). They live apart from the row, made only when set, so that the
// rows of a large folder, which have none of them, stay small.
struct RowExtras {
    QString tag;
    std::vector<QString> subItemTags; // sub-item n's tag at [n - 1]
    QString name;                     // null when the row stands for its text
};

// One row of the list. Sub-item n's text lives at subItems[n - 1]; the array
// grows only as far as sub-items are actually set, so a row of names only
// costs its text, an empty vector and a null pointer.
struct Row {
    QString text;
    std::vector<QString> subItems;
    std::unique_ptr<RowExtras> extras;
    bool selected = false;
    uint8_t mark = 0;

    RowExtras& Extras()
    {
        if (!extras)
            extras = std::make_unique<RowExtras>();
        return *extras;
    }
};

// Makes sub-item `subItem` exist. A row filled column by column would grow
// its array once per column; it is made as wide as the columns at once.
void GrowSubItems(Row& row, int subItem, int columns);

struct Column {
    QString key;
    QString caption;
    int widthPixels = 0;
    ColumnAlignment alignment = ColumnAlignment::Left;
};

// Puts the rows into `order` (order[i] is the old index of the row that
// goes to i): each row is moved once, into a new array in its new place.
void ApplyOrder(std::vector<Row>& rows, const std::vector<int>& order);

} // namespace platform::report

namespace platform {

// The rows and columns, presented to the view as a flat table. The data lives
// here, in plain structs; the view asks for what it paints.
class ReportListModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    std::vector<report::Row> rows;
    std::vector<report::Column> columns;
    std::vector<QPixmap> markPictures;
    // Set by the first mark since the last clear; only then are pictures shown.
    bool marksShown = false;
    std::function<QString(int position)> toolTipSource;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(rows.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
            return {};
        if (role == Qt::DisplayRole)
            return CellText(index.row(), index.column());
        if (role == Qt::TextAlignmentRole)
            return AlignmentOf(index.column());
        if (index.column() == 0 && role == Qt::DecorationRole) {
            const uint8_t mark = rows[index.row()].mark;
            if (marksShown && mark < markPictures.size())
                return markPictures[mark];
            return {};
        }
        if (role == Qt::ToolTipRole && toolTipSource)
            if (QString text = toolTipSource(index.row() + 1); !text.isEmpty())
                return text;
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
            return {};
        if (role == Qt::DisplayRole)
            return columns[section].caption;
        if (role == Qt::TextAlignmentRole)
            return AlignmentOf(section);
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    }

    // The text of column `column` (0 the row text, n sub-item n).
    QString CellText(int row, int column) const
    {
        const report::Row& r = rows[row];
        if (column == 0)
            return r.text;
        if (column <= static_cast<int>(r.subItems.size()))
            return r.subItems[column - 1];
        return {};
    }

    QVariant AlignmentOf(int column) const
    {
        const bool right = columns[column].alignment == ColumnAlignment::Right;
        return QVariant::fromValue(Qt::Alignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }

    // The protected notifications, for the control that owns the model.
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    void BeginAppendRow(int row) { beginInsertRows(QModelIndex(), row, row); }
    void EndAppendRow() { endInsertRows(); }
    void BeginAppendColumn(int column) { beginInsertColumns(QModelIndex(), column, column); }
    void EndAppendColumn() { endInsertColumns(); }
};

} // namespace platform
