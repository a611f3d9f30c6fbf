// The report list: a list of rows, each with a text (the first column), a free
// text tag, a selected state and sub-items 1.. (the later columns), each
// sub-item with its own text and tag. Columns are added with a key, a caption,
// a width in twips and an alignment and are numbered 1, 2, 3 in the order
// added. Positions are 1-based and follow the order currently shown.
//
// Sorting compares texts only: setting Sorted to true sorts the rows at once,
// stably, by the text of the SortKey column (0 the row text, 1 and 2 the
// sub-items) in SortOrder (0 ascending, 1 descending). The comparison puts the
// empty text before any other text and "&" before every digit; otherwise it
// is case-insensitive in the user's locale. Every cell keeps its text and tag
// exactly as last set.
//
// A row may also carry a mark: a small number whose picture (set by the
// program) is drawn before the row's text as a decoration. Marks never touch
// a text and travel with their rows through a sort. While no row of the list
// has a mark nothing is drawn, so an unmarked list looks as it always did;
// once one has, every row gets the picture of its mark (0 a blank one), so
// the names stay in line.
//
// The rows live in one model (no widget per row) shown by a view, so 32,767
// rows fill and sort quickly. While the drawing is frozen the view is not told
// of single changes; releasing the freeze repaints once.
#pragma once

#include "platform/rules/TextOrder.h"

#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace platform {

enum class ColumnAlignment { Left, Right };

class ReportListModel;

class ReportListView : public QWidget {
    Q_OBJECT
public:
    explicit ReportListView(QWidget* parent = nullptr);
    ~ReportListView() override;

    // Columns
    void AddColumn(const QString& key, const QString& caption, int widthTwips,
                   ColumnAlignment alignment);
    int ColumnCount() const;
    QString ColumnKey(int position) const; // 1-based; "" outside the range

    // Rows
    void Clear();
    int Add(const QString& text); // appends a row, returns its position
    // Appends a row that shows `text` and stands for `name`, which it keeps
    // apart: a file whose name is not valid UTF-8 shows a readable text, and
    // only the name finds the file again. Sorting and texts see `text` only.
    int Add(const QString& text, const QString& name);
    // Makes room for this many rows, so that adding them moves none.
    void ReserveRows(int count);
    // The name a row stands for: the one it was added with, else its text.
    QString Name(int position) const;
    int Count() const;
    QString Text(int position) const;
    void SetText(int position, const QString& text);
    QString Tag(int position) const;
    void SetTag(int position, const QString& tag);
    QString SubItemText(int position, int subItem) const; // subItem 1..
    void SetSubItemText(int position, int subItem, const QString& text);
    QString SubItemTag(int position, int subItem) const;
    void SetSubItemTag(int position, int subItem, const QString& tag);
    // Calls `visit` with the text and tag of every row's cell in column
    // `column` (0 the row itself, n sub-item n), in the shown order; both may
    // be changed, and the texts count as changed. A missing sub-item is made.
    // This is the cheap road for passes over a whole column, such as a sort's.
    void ForEachCell(int column, const std::function<void(QString& text, QString& tag)>& visit);
    // The position of the row under a screen point; 0 when there is none.
    int PositionAt(const QPoint& globalPoint) const;
    // The first and last positions the user can see now, partly or whole;
    // {0, 0} for a list that shows none.
    std::pair<int, int> VisibleRows() const;
    bool Selected(int position) const;
    void SetSelected(int position, bool selected);

    // Marks: picture n is drawn for mark n (0, a blank of the same size, for
    // unmarked rows once any row is marked). Clear() removes every mark.
    void SetMarkPictures(const std::vector<QImage>& pictures);
    uint8_t Mark(int position) const;
    void SetMark(int position, uint8_t mark);
    // Clears the given bits of every row's mark.
    void ClearMarkBits(uint8_t bits);
    // The tooltip text of a row, asked for when the pointer rests on it; an
    // empty text shows no tooltip.
    void SetToolTipSource(std::function<QString(int position)> source);

    // Sorting
    int SortKey() const;
    void SetSortKey(int key);
    int SortOrder() const;
    void SetSortOrder(int order);
    bool Sorted() const;
    // What SetSorted(true) does, for a caller that has worked out the sort's
    // result itself: order[i] is the index (position - 1) of the row that
    // goes to position i + 1. An order that is not a permutation of the rows
    // is refused and the list sorts itself.
    void SetSortedInOrder(const std::vector<int>& order);
    void SetSorted(bool sorted);

    // Other
    void SetWidthTwips(int widthTwips);
    void FreezeDrawing();  // nested calls are counted
    void ReleaseDrawing(); // the last release repaints once

signals:
    void ColumnClick(int position); // 1-based column position
    void Click();
    void DblClick();
    // A key the list does not use itself: Enter (platform::kKeyReturn).
    void KeyDown(int keyCode);
    // A right click (or the menu key) on the list, at this screen position.
    void ContextMenu(const QPoint& globalPosition);
    // Other rows may be in sight now: the list was scrolled or resized.
    void Scrolled();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Keeps a list's drawing frozen for the life of a scope, so the freeze is
// released even when a step leaves early.
class ListDrawingFreeze {
public:
    explicit ListDrawingFreeze(ReportListView& list) : list_(list) { list_.FreezeDrawing(); }
    ~ListDrawingFreeze() { list_.ReleaseDrawing(); }
    ListDrawingFreeze(const ListDrawingFreeze&) = delete;
    ListDrawingFreeze& operator=(const ListDrawingFreeze&) = delete;

private:
    ReportListView& list_;
};

} // namespace platform
