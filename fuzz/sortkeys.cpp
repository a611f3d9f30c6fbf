// The list's sort keys and InvertDigits.
//
// The input's first byte picks the locale; the rest is one cell text a line.
// For every text: InvertDigits keeps the length, mirrors only digits and
// blanks "-", and undoes itself up to those blanks; the quick key paths for
// plain numbers and the locale's own date texts give exactly the key of the
// general path. For all texts together: ordering the keys as the list orders
// texts puts the numbers in numeric and the dates in chronological order,
// with the texts that are neither first.
//
#include "FuzzSupport.h"
#include "platform/rules/Runtime.h"
#include "platform/rules/TextOrder.h"
#include "shared/ListSorting.h"
#include "shared/SortKeys.h"

#include <cmath>

using sort_keys::DateKeyReader;
using sort_keys::kPlainNumberKeySize;
using sort_keys::PlainNumberSortKey;

namespace {

void CheckInvert(const QString& text)
{
    const QString inverted = InvertDigits(text);
    FUZZ_CHECK(inverted.size() == text.size(), text);
    QString blanked = text;
    blanked.replace(u'-', u' ');
    FUZZ_CHECK(InvertDigits(inverted) == blanked, text);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9')
            FUZZ_CHECK(inverted[i].unicode() == u'9' - (c.unicode() - u'0'), text);
        else if (c != u'-')
            FUZZ_CHECK(inverted[i] == c, text);
    }
}

// Orders `keys` as the list does and checks that the values they stand for
// never decrease along that order (nullopt standing for the texts that are
// neither number nor date, which come first); equal keys may hold values
// that differ by less than the keys show.
void CheckOrder(const std::vector<QString>& keys, const std::vector<std::optional<double>>& values,
                const QLocale& locale, const char* what)
{
    const platform::TextOrder order(locale);
    for (const bool descending : {false, true}) {
        const std::vector<int> sorted =
            order.StableOrder(int(keys.size()), [&](int i) { return keys[size_t(i)]; }, descending);
        FUZZ_CHECK(sorted.size() == keys.size(), QString::fromLatin1(what));
        for (size_t i = 1; i < sorted.size(); ++i) {
            const auto& a = values[size_t(sorted[i - 1])];
            const auto& b = values[size_t(sorted[i])];
            // Values closer than the key's resolution share a key and keep
            // their first order.
            if (keys[size_t(sorted[i - 1])] == keys[size_t(sorted[i])])
                continue;
            // In descending order the texts without a key come last.
            const bool ok = descending ? (a ? (!b || *b <= *a) : !b) : (b ? (!a || *a <= *b) : !a);
            FUZZ_CHECK(ok, QStringLiteral("%1 keys \"%2\" then \"%3\" in %4%5")
                               .arg(QString::fromLatin1(what), keys[size_t(sorted[i - 1])],
                                    keys[size_t(sorted[i])], locale.name(),
                                    descending ? QStringLiteral(" descending") : QString()));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QLocale locale = fuzz::LocaleFor(data[0]);
    QLocale::setDefault(locale);
    const QList<QByteArray> lines = fuzz::Lines(data + 1, size - 1, 64);
    const DateKeyReader dates;

    std::vector<QString> numberKeys, dateKeys;
    std::vector<std::optional<double>> numbers, days;
    for (const QByteArray& line : lines) {
        const QString text = QString::fromUtf8(line);
        CheckInvert(text);

        const std::optional<double> value = platform::ParseNumber(text);
        const QString numberKey = NumberSortKey(text);
        FUZZ_CHECK(numberKey.isEmpty() == !value, text);
        char16_t plain[kPlainNumberKeySize];
        if (PlainNumberSortKey(text, plain))
            FUZZ_CHECK(QStringView(plain, kPlainNumberKeySize) == numberKey, text + u' ' + numberKey);
        // Keys of twenty whole digits order numbers below 1e20 only.
        if (!value || std::fabs(*value) < 1e20) {
            numberKeys.push_back(numberKey);
            numbers.push_back(value);
        }

        const QString dateKey = DateSortKey(text);
        FUZZ_CHECK(dates.Key(text) == dateKey, QStringLiteral("\"%1\" in %2: quick key \"%3\", key \"%4\"")
                                                   .arg(text, locale.name(), dates.Key(text), dateKey));
        const std::optional<double> day = platform::TextToDate(text);
        FUZZ_CHECK(dateKey.isEmpty() == !day, text);
        // "YYYY/MM/DD" orders the years that have four digits.
        if (!day || (platform::DateOf(*day).year() >= 1000 && platform::DateOf(*day).year() <= 9999)) {
            dateKeys.push_back(dateKey);
            days.push_back(day ? std::optional<double>(std::trunc(*day)) : std::nullopt);
        }
    }
    CheckOrder(numberKeys, numbers, locale, "number");
    CheckOrder(dateKeys, days, locale, "date");
    return 0;
}
