#include "app/shared/ListSorting.h"

#include "platform/ListView.h"
#include "platform/Runtime.h"

#include <QHash>

namespace {

// Keeps the list's drawing frozen for the life of a scope, so the freeze is
// released even when a step leaves early.
class DrawingFreeze {
public:
    explicit DrawingFreeze(platform::ReportListView& list) : list_(list) { list_.FreezeDrawing(); }
    ~DrawingFreeze() { list_.ReleaseDrawing(); }
    DrawingFreeze(const DrawingFreeze&) = delete;
    DrawingFreeze& operator=(const DrawingFreeze&) = delete;

private:
    platform::ReportListView& list_;
};

// The cell of a row in the sorted column: the row itself for the first
// column, its sub-item for the others.
struct Cell {
    platform::ReportListView& list;
    int subItem; // 0 for the row's own text and tag

    QString Text(int row) const
    {
        return subItem == 0 ? list.Text(row) : list.SubItemText(row, subItem);
    }
    void SetText(int row, const QString& text) const
    {
        if (subItem == 0)
            list.SetText(row, text);
        else
            list.SetSubItemText(row, subItem, text);
    }
    QString Tag(int row) const
    {
        return subItem == 0 ? list.Tag(row) : list.SubItemTag(row, subItem);
    }
    void SetTag(int row, const QString& tag) const
    {
        if (subItem == 0)
            list.SetTag(row, tag);
        else
            list.SetSubItemTag(row, subItem, tag);
    }
};

const QChar kSavedTextEnd(u'\0');

} // namespace

QString InvertDigits(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            c = QChar(static_cast<char16_t>(u'9' - (u - u'0')));
        else if (u == u'-')
            c = QChar(u' ');
    }
    return result;
}

QString NumberSortKey(const QString& cellText)
{
    const std::optional<double> value = platform::ParseNumber(cellText);
    if (!value)
        return QString();
    if (*value >= 0)
        return platform::FormatSortKey(*value);
    return QStringLiteral("&") + InvertDigits(platform::FormatSortKey(0 - *value));
}

QString DateSortKey(const QString& cellText)
{
    if (const std::optional<double> date = platform::TextToDate(cellText))
        return platform::FormatDateYMD(*date);
    return QString();
}

void SortListView(platform::ReportListView& list, int16_t column, int32_t kind, int16_t ascending)
{
    const DrawingFreeze freeze(list);
    const Cell cell{list, column > 1 ? column - 1 : 0};
    const bool usesKeys = kind == SortKindNumber || kind == SortKindDate;

    if (usesKeys) {
        // Put the key in place of each shown text; the shown text goes in
        // front of the old tag so that it moves with its row. Reading a date
        // text is slow and the files of a folder share few dates, so each
        // distinct date text is read once per sort.
        QHash<QString, QString> dateKeys;
        const int count = list.Count();
        for (int row = 1; row <= count; ++row) {
            const QString shown = cell.Text(row);
            cell.SetTag(row, shown + kSavedTextEnd + cell.Tag(row));
            if (kind == SortKindNumber) {
                cell.SetText(row, NumberSortKey(shown));
                continue;
            }
            auto known = dateKeys.constFind(shown);
            if (known == dateKeys.cend())
                known = dateKeys.insert(shown, DateSortKey(shown));
            cell.SetText(row, *known);
        }
    }

    list.SetSortOrder(ascending != 0 ? 0 : 1);
    list.SetSortKey(column - 1);
    list.SetSorted(true);

    if (usesKeys) {
        const int count = list.Count();
        for (int row = 1; row <= count; ++row) {
            const QString saved = cell.Tag(row);
            const qsizetype end = saved.indexOf(kSavedTextEnd);
            if (end < 0)
                continue;
            cell.SetText(row, saved.left(end));
            cell.SetTag(row, saved.mid(end + 1));
        }
    }
}
