#include "shared/SortKeys.h"

#include "shared/ListSorting.h"

#include <QDate>
#include <QLocale>

#include <algorithm>

namespace sort_keys {

bool PlainNumberSortKey(QStringView text, char16_t* out)
{
    constexpr int kWholeDigits = 20;
    constexpr int kMaxExactDigits = 15;
    if (text.isEmpty() || text.front() < u'0' || text.front() > u'9')
        return false;
    char16_t digits[kMaxExactDigits];
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9') {
            if (count == kMaxExactDigits)
                return false;
            digits[count++] = c;
        } else if (c != u',' || i + 1 == text.size() || text[i + 1] < u'0' || text[i + 1] > u'9') {
            return false;
        }
    }
    std::fill(out, out + kPlainNumberKeySize, u'0');
    for (int i = 0; i < count; ++i)
        out[kWholeDigits - count + i] = digits[i];
    out[kWholeDigits] = u'.';
    return true;
}

std::optional<uint64_t> PlainNumberValue(QStringView text)
{
    constexpr int kMaxExactDigits = 15;
    const qsizetype size = text.size();
    const char16_t* at = reinterpret_cast<const char16_t*>(text.data());
    if (size == 0 || at[0] < u'0' || at[0] > u'9')
        return std::nullopt;
    uint64_t value = 0;
    int count = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = at[i];
        if (c >= u'0' && c <= u'9') {
            if (++count > kMaxExactDigits)
                return std::nullopt;
            value = value * 10 + (c - u'0');
        } else if (c != u',' || i + 1 == size || at[i + 1] < u'0' || at[i + 1] > u'9') {
            return std::nullopt;
        }
    }
    return value;
}

DateKeyReader::DateKeyReader()
{
    const QLocale locale;
    for (int month = 1; month <= 12; ++month)
        monthNames_[static_cast<size_t>(month - 1)] = locale.monthName(month, QLocale::ShortFormat);
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        i += run;
        if (c == u'y') {
            fields_.push_back({Field::Year4, {}});
        } else if (c == u'd' && run <= 2) {
            fields_.push_back({run == 1 ? Field::Day : Field::Day2, {}});
        } else if (c == u'M' && run <= 3) {
            fields_.push_back({run == 1 ? Field::Month : run == 2 ? Field::Month2 : Field::MonthName, {}});
        } else if (c.isLetter() || c == u'\'' || c.isDigit()) {
            fields_.clear();
            return;
        } else {
            fields_.push_back({Field::Literal, QString(run, c)});
        }
    }
}

std::optional<uint64_t> DateKeyReader::DayNumber(QStringView text) const
{
    const std::optional<Day> date = Read(text);
    if (!date)
        return std::nullopt;
    return static_cast<uint64_t>(date->year) * 10000 + static_cast<uint64_t>(date->month) * 100
           + static_cast<uint64_t>(date->day);
}

QString DateKeyReader::Key(const QString& text) const
{
    const std::optional<Day> date = Read(text);
    if (!date)
        return DateSortKey(text);
    // "YYYY/MM/DD"; Read takes four-digit years only.
    QString key(10, u'/');
    QChar* out = key.data();
    const auto put = [&](int at, int digits, int value) {
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            out[at + i] = QChar(char16_t(u'0' + value % 10));
    };
    put(0, 4, date->year);
    put(5, 2, date->month);
    put(8, 2, date->day);
    return key;
}

std::optional<DateKeyReader::Day> DateKeyReader::Read(QStringView text) const
{
    if (fields_.empty())
        return std::nullopt;
    int year = 0, month = 0, day = 0;
    qsizetype at = 0;
    // Reads `min` to `max` ASCII digits; a one-digit field holds no
    // leading zero, as the format writes it.
    const auto number = [&](int min, int max, int& value) {
        int count = 0;
        value = 0;
        while (count < max && at < text.size() && text[at] >= u'0' && text[at] <= u'9') {
            value = value * 10 + (text[at].unicode() - u'0');
            ++at;
            ++count;
        }
        return count >= min && !(min == 1 && count == 2 && text[at - 2] == u'0');
    };
    for (const Part& part : fields_) {
        bool ok = true;
        switch (part.field) {
        case Field::Day: ok = number(1, 2, day); break;
        case Field::Day2: ok = number(2, 2, day); break;
        case Field::Month: ok = number(1, 2, month); break;
        case Field::Month2: ok = number(2, 2, month); break;
        case Field::Year4: ok = number(4, 4, year) && year >= 1000; break;
        case Field::MonthName:
            ok = false;
            for (int m = 0; m < 12 && !ok; ++m) {
                const QString& name = monthNames_[static_cast<size_t>(m)];
                if (!name.isEmpty() && text.size() - at >= name.size() && text[at] == name.front()
                    && std::equal(name.begin(), name.end(), text.begin() + at)) {
                    month = m + 1;
                    at += name.size();
                    ok = true;
                }
            }
            break;
        case Field::Literal:
            // Compared unit by unit: a separator is one or two characters.
            ok = text.size() - at >= part.literal.size()
                 && std::equal(part.literal.begin(), part.literal.end(), text.begin() + at);
            at += part.literal.size();
            break;
        }
        if (!ok)
            return std::nullopt;
    }
    if (at != text.size() || !QDate::isValid(year, month, day))
        return std::nullopt;
    return Day{year, month, day};
}

} // namespace sort_keys
