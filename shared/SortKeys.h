// The quick roads to the list's sort keys, shared by the sort and by the
// checks of its fuzz target: the key of a size as the list shows it, read
// straight from its digits, and the dates of the locale's short format, read
// without the general date parser. Each takes only the texts for which it
// gives exactly what the general road (NumberSortKey, DateSortKey) gives.
#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace sort_keys {

// The width of the key of a plain number: twenty whole digits, the point
// and ten decimals, as NumberSortKey writes it.
inline constexpr qsizetype kPlainNumberKeySize = 31;

// Writes the key of a number cell that shows plain digits with "," group
// separators (the size column's texts) to `out`, without a detour through
// text parsing and printf; the same text NumberSortKey gives. Anything else,
// or more digits than a double holds exactly, is refused and left to
// NumberSortKey.
bool PlainNumberSortKey(QStringView text, char16_t* out);

// The value of a number cell that PlainNumberSortKey takes; its key texts
// order as these values do. Read straight from the digits, with the same
// rules for what is taken.
std::optional<uint64_t> PlainNumberValue(QStringView text);


// Reads the date texts of the list (the locale's short date with a
// four-digit year) without the general date parser, which is slow. A text is
// taken only when it is exactly how that format writes the date it names;
// every other text, and every format with fields other than numeric days and
// months, short month names and four-digit years, goes to DateSortKey.
class DateKeyReader {
public:
    DateKeyReader();

    // The date as year * 10000 + month * 100 + day, which orders as Key's
    // texts do; nothing for a text Key hands to DateSortKey.
    std::optional<uint64_t> DayNumber(QStringView text) const;
    QString Key(const QString& text) const;

private:
    enum class Field { Day, Day2, Month, Month2, MonthName, Year4, Literal };
    struct Part {
        Field field;
        QString literal;
    };

    struct Day {
        int year = 0;
        int month = 0;
        int day = 0;
    };

    std::optional<Day> Read(QStringView text) const;

    std::vector<Part> fields_;
    std::array<QString, 12> monthNames_;
};

} // namespace sort_keys
