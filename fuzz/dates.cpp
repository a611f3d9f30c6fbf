// Text to date, date to text and the date arithmetic, in several locales.
//
// The input's first byte picks the locale, the next twelve give a day number
// and the year, month and day for DateSerial, and the rest is a text read as
// a date. Besides no crash and no undefined behaviour: a date's text reads
// back as the same day, DateSerial agrees with the calendar for real dates,
// and whatever text reads as a date is a real day (or a time of day 0) whose
// own text reads back as that day.
#include "FuzzSupport.h"
#include "platform/rules/Runtime.h"

#include <cmath>
#include <cstring>

using namespace platform;

namespace {

// Day numbers of 1 January 1000 and 31 December 9999: the years a
// four-digit year field writes.
constexpr double kFirstDay = -328716;
constexpr double kLastDay = 2958465;

void CheckDay(double day, const QString& why)
{
    const QString text = DateToText(day);
    const std::optional<double> back = TextToDate(text);
    FUZZ_CHECK(back && *back == std::trunc(day),
               QStringLiteral("day %1 (%2) shows as \"%3\", reads back as %4")
                   .arg(day).arg(why, text, back ? QString::number(*back) : QStringLiteral("nothing")));
    const QDate date = DateOf(day);
    FUZZ_CHECK(FormatDateYMD(day) == date.toString(QStringLiteral("yyyy/MM/dd")), FormatDateYMD(day));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 13)
        return 0;
    const QLocale locale = fuzz::LocaleFor(data[0]);
    QLocale::setDefault(locale);
    int32_t numbers[3];
    int32_t day;
    std::memcpy(&day, data + 1, sizeof day);
    std::memcpy(numbers, data + 1, sizeof numbers);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 13), qsizetype(size - 13));
    const QString where = QStringLiteral(" in ") + locale.name();

    const double dayNumber = kFirstDay + std::fabs(double(day) / 16.0);
    if (dayNumber <= kLastDay)
        CheckDay(dayNumber, QStringLiteral("from the input") + where);

    const double serial = DateSerial(numbers[0], numbers[1], numbers[2]);
    const QDate calendar(numbers[0], numbers[1], numbers[2]);
    if (calendar.isValid())
        FUZZ_CHECK(serial == DateValue(calendar), calendar.toString(Qt::ISODate));

    const std::optional<double> read = TextToDate(text);
    if (!read)
        return 0;
    const QString what = QStringLiteral("\"%1\"%2 read as %3").arg(text, where).arg(*read);
    FUZZ_CHECK(std::isfinite(*read), what);
    if (*read >= 0 && *read < 1)
        return 0;  // a time of day on day 0
    FUZZ_CHECK(*read == std::trunc(*read), what);
    FUZZ_CHECK(DateOf(*read).isValid(), what);
    if (*read >= kFirstDay && *read <= kLastDay)
        CheckDay(*read, what);
    return 0;
}
