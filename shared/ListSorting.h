// Column sorting of a report list by text, number or date. The list view can
// only order rows by text, so a number or date column is sorted by writing
// sort keys into its cells whose text order equals the numeric or
// chronological order, letting the list sort by them, and putting the shown
// texts back. While the keys are in place the shown texts wait aside, and
// each key says which of them belongs to its cell, so every cell shows and
// holds exactly what it did before; the tags are never touched.
#pragma once

#include <QString>
#include <cstdint>

namespace platform {
class ReportListView;
}

// What a column holds.
enum SortKind : int32_t {
    SortKindText = 0,
    SortKindNumber = 1,
    SortKindDate = 2,
};

// Sorts the list by its column at 1-based position `column`: ascending when
// `ascending` is non-zero, descending otherwise. The drawing is frozen for the
// whole sort, so the list repaints once, sorted and showing its usual texts.
void SortListView(platform::ReportListView& list, int16_t column, int32_t kind, int16_t ascending);

// The text with every digit replaced by its mirror (0<->9, 1<->8, 2<->7, 3<->6,
// 4<->5) and "-" by a blank; other characters stay. Mirroring the digits of a
// fixed-width magnitude reverses its text order, which puts larger negative
// numbers first.
QString InvertDigits(const QString& text);

// The sort key of a number cell's text: the zero-padded value, "&" and the
// mirrored magnitude for a negative value, "" for a text that is not a number.
QString NumberSortKey(const QString& cellText);

// The sort key of a date cell's text: "YYYY/MM/DD", or "" for a text that
// does not read as a date.
QString DateSortKey(const QString& cellText);
