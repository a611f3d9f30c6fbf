#include "platform/rules/Runtime.h"

#include <QLocale>
#include <QTime>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>
#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace platform {

namespace {

// printf is used for every fixed-point text because glibc converts the exact
// binary value and breaks exact ties to even, which is the rounding the
// display formats promise.
QString Printf(const char* format, double value)
{
    char buffer[512];
    const int length = std::snprintf(buffer, sizeof buffer, format, value);
    if (length < 0)
        return {};
    return QString::fromLatin1(buffer, std::min<int>(length, int(sizeof buffer) - 1));
}

QString Printf(const char* format, int width, double value)
{
    char buffer[512];
    const int length = std::snprintf(buffer, sizeof buffer, format, width, value);
    if (length < 0)
        return {};
    return QString::fromLatin1(buffer, std::min<int>(length, int(sizeof buffer) - 1));
}

// "0.5" -> ".5", "-0.5" -> "-.5": the legacy texts never show a lone zero
// before the point.
QString DropLeadingZero(QString text)
{
    const int digits = text.startsWith(u'-') ? 1 : 0;
    if (text.size() > digits + 1 && text[digits] == u'0' && text[digits + 1] == u'.')
        text.remove(digits, 1);
    return text;
}

// A rounded text whose digits are all zero carries no sign: -0.04 shows as
// ".0", not "-.0".
QString DropSignOfZero(QString text)
{
    if (text.startsWith(u'-')) {
        bool allZero = true;
        for (int i = 1; i < text.size(); ++i)
            if (text[i].isDigit() && text[i] != u'0')
                allZero = false;
        if (allZero)
            text.remove(0, 1);
    }
    return text;
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Splits a numeric text into the plain form that strtod reads; nullopt when
// the text does not have the shape of a number.
std::optional<QByteArray> NormalisedNumber(const QString& text)
{
    int begin = 0;
    int end = int(text.size());
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;

    QByteArray plain;
    int i = begin;
    if (i < end && (text[i] == u'+' || text[i] == u'-'))
        plain.append(char(text[i++].unicode()));

    int digits = 0;
    // Integer part: digits, with single "," group separators between digits.
    while (i < end) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            plain.append(char(c.unicode()));
            ++digits;
            ++i;
        } else if (c == u',' && digits > 0 && i + 1 < end && text[i + 1] >= u'0' && text[i + 1] <= u'9') {
            ++i;
        } else {
            break;
        }
    }
    if (i < end && text[i] == u'.') {
        plain.append('.');
        ++i;
        while (i < end && text[i] >= u'0' && text[i] <= u'9') {
            plain.append(char(text[i++].unicode()));
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < end && (text[i] == u'e' || text[i] == u'E')) {
        plain.append('e');
        ++i;
        if (i < end && (text[i] == u'+' || text[i] == u'-'))
            plain.append(char(text[i++].unicode()));
        int exponentDigits = 0;
        while (i < end && text[i] >= u'0' && text[i] <= u'9') {
            plain.append(char(text[i++].unicode()));
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;
    return plain;
}

// The locale's short date format with every year field widened to four
// digits, so that a date text names its century. Quoted literal parts stay.
QString FourDigitYearFormat(const QString& format)
{
    QString result;
    bool quoted = false;
    for (int i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
            result.append(c);
        } else if (!quoted && c == u'y') {
            while (i + 1 < format.size() && format[i + 1] == u'y')
                ++i;
            result.append(QStringLiteral("yyyy"));
        } else {
            result.append(c);
        }
    }
    return result;
}

const QDate kDayZero(1899, 12, 30);

// A date format made only of day, month (number or short name) and
// four-digit year fields and separators, taken apart once. QLocale::toString takes its format apart on
// every call, and a listing writes thousands of dates.
struct NumericDateFormat {
    enum class Field : uint8_t { Literal, Day, Day2, Month, Month2, MonthName, Year4 };
    struct Piece {
        Field field = Field::Literal;
        QChar literal;
    };
    std::vector<Piece> pieces;
    // The locale's short month names, for a format that writes one.
    std::array<QString, 12> monthNames;
    bool usable = false;
};

NumericDateFormat TakeApart(const QString& format, const QLocale& locale)
{
    NumericDateFormat result;
    if (locale.zeroDigit() != QLatin1String("0"))
        return result;
    using Field = NumericDateFormat::Field;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        Field field = Field::Literal;
        if (c == u'd' && run <= 2)
            field = run == 1 ? Field::Day : Field::Day2;
        else if (c == u'M' && run <= 2)
            field = run == 1 ? Field::Month : Field::Month2;
        else if (c == u'M' && run == 3)
            field = Field::MonthName;
        else if (c == u'y' && run == 4)
            field = Field::Year4;
        else if (c.isLetter() || c == u'\'')
            return result; // names of days or months, eras, quoted text
        if (field == Field::Literal) {
            result.pieces.push_back({field, c});
            ++i;
        } else {
            result.pieces.push_back({field, {}});
            i += run;
        }
    }
    for (int month = 1; month <= 12; ++month)
        result.monthNames[static_cast<size_t>(month - 1)] = locale.monthName(month, QLocale::ShortFormat);
    result.usable = true;
    return result;
}

void AppendNumber(QString& text, int value, int digits)
{
    char buffer[8];
    int length = 0;
    do {
        buffer[length++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0 && length < 8);
    for (int pad = length; pad < digits; ++pad)
        text.append(u'0');
    while (length > 0)
        text.append(QChar(buffer[--length]));
}

// The date in the locale's short format, its year written with four digits.
QString ShortDateText(const QDate& date)
{
    const QLocale locale;
    // The format is taken apart again only when the program's locale changes.
    thread_local std::optional<QLocale> formatLocale;
    thread_local QString format;
    thread_local NumericDateFormat numeric;
    if (!formatLocale || *formatLocale != locale) {
        formatLocale = locale;
        format = FourDigitYearFormat(locale.dateFormat(QLocale::ShortFormat));
        numeric = TakeApart(format, locale);
    }
    if (!numeric.usable || date.year() < 1000 || date.year() > 9999)
        return locale.toString(date, format);
    using Field = NumericDateFormat::Field;
    QString text;
    text.reserve(format.size());
    for (const NumericDateFormat::Piece& piece : numeric.pieces) {
        switch (piece.field) {
        case Field::Literal:
            text.append(piece.literal);
            break;
        case Field::Day:
        case Field::Day2:
            AppendNumber(text, date.day(), piece.field == Field::Day2 ? 2 : 1);
            break;
        case Field::Month:
        case Field::Month2:
            AppendNumber(text, date.month(), piece.field == Field::Month2 ? 2 : 1);
            break;
        case Field::MonthName:
            text.append(numeric.monthNames[static_cast<size_t>(date.month() - 1)]);
            break;
        case Field::Year4:
            AppendNumber(text, date.year(), 4);
            break;
        }
    }
    return text;
}

} // namespace

// --- numbers -----------------------------------------------------------

QString NumberText(int value)
{
    const QString digits = QString::number(value);
    return value < 0 ? digits : QStringLiteral(" ") + digits;
}

QString NumberText(float value)
{
    if (std::isnan(value))
        return QStringLiteral(" NaN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Inf") : QStringLiteral(" Inf");
    // A negative zero is zero and takes the blank of zero, not "-0".
    if (value == 0)
        value = 0;
    // %G gives seven significant digits without trailing zeros and switches
    // to an exponent for very large and very small values, as a float's text
    // should.
    const QString text = DropLeadingZero(Printf("%.7G", double(value)));
    return text.startsWith(u'-') ? text : QStringLiteral(" ") + text;
}

std::optional<double> ParseNumber(const QString& text)
{
    const std::optional<QByteArray> plain = NormalisedNumber(text);
    if (!plain)
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(plain->constData(), &end);
    if (end != plain->constData() + plain->size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool IsNumeric(const QString& text)
{
    return ParseNumber(text).has_value();
}

std::optional<int16_t> ToInteger16(const QString& text)
{
    const std::optional<double> value = ParseNumber(text);
    if (!value)
        return std::nullopt;
    const double whole = std::floor(*value);
    if (whole < -32768.0 || whole > 32767.0)
        return std::nullopt;
    return int16_t(whole);
}

std::optional<float> ToSingle(const QString& text)
{
    const std::optional<double> value = ParseNumber(text);
    if (!value || std::fabs(*value) > double(FLT_MAX))
        return std::nullopt;
    return float(*value);
}

QString FormatOneDecimal(double value)
{
    if (!std::isfinite(value))
        return {};
    return DropLeadingZero(DropSignOfZero(Printf("%.1f", value)));
}

QString FormatGrouped(double value)
{
    if (!std::isfinite(value))
        return {};
    // Every size in the list is written here, so the usual case skips printf.
    // Below 2^53 the rounded value is an exact integer; nearbyint rounds in
    // the current mode as printf does, exact ties to even. A negative value
    // that rounds to zero gives a plain "0", as the general path does.
    if (std::fabs(value) < 9007199254740992.0) {
        const long long whole = static_cast<long long>(std::nearbyint(value));
        unsigned long long magnitude =
            whole < 0 ? 0ULL - static_cast<unsigned long long>(whole) : static_cast<unsigned long long>(whole);
        char buffer[32];
        char* const end = buffer + sizeof buffer;
        char* first = end;
        int digits = 0;
        do {
            if (digits > 0 && digits % 3 == 0)
                *--first = ',';
            *--first = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
            ++digits;
        } while (magnitude != 0);
        if (whole < 0)
            *--first = '-';
        return QString::fromLatin1(first, end - first);
    }
    const QString digits = DropSignOfZero(Printf("%.0f", value));
    const int sign = digits.startsWith(u'-') ? 1 : 0;
    QString result = digits;
    for (int pos = int(digits.size()) - 3; pos > sign; pos -= 3)
        result.insert(pos, u',');
    return result;
}

QString FormatGroupedDigits(long long value)
{
    // The C locale omits group separators by default; the format asks for
    // them always.
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(value);
}

QString FormatSortKey(double value)
{
    if (!std::isfinite(value))
        return {};
    // The key has no sign: a negative zero would print as "-0...", which
    // orders before every other key.
    if (value == 0)
        value = 0;
    // 31 = twenty digits, the point and ten digits; larger values simply
    // take more digits.
    return Printf("%0*.10f", 31, value);
}

// --- dates ---------------------------------------------------------------

double DateSerial(int year, int month, int day)
{
    // Months and days outside their ranges roll over into the neighbouring
    // months and years (month 13 is January of the next year).
    // Counted in 64 bits: the extreme months and days of 32-bit arguments
    // overflow an int.
    const long long monthIndex = (long long)year * 12 + ((long long)month - 1);
    const long long wholeYear = monthIndex >= 0 ? monthIndex / 12 : -((-monthIndex + 11) / 12);
    const int monthOfYear = int(monthIndex - wholeYear * 12) + 1;
    if (wholeYear < std::numeric_limits<int>::min() || wholeYear > std::numeric_limits<int>::max())
        return 0;
    const QDate first(int(wholeYear), monthOfYear, 1);
    if (!first.isValid())
        return 0;
    return double(first.toJulianDay() - kDayZero.toJulianDay() + ((long long)day - 1));
}

double DateValue(const QDate& date)
{
    if (!date.isValid())
        return 0;
    return double(date.toJulianDay() - kDayZero.toJulianDay());
}

QDate DateOf(double dateValue)
{
    // The whole part counts days; the fraction (the time of day) counts away
    // from day 0 on both sides, so -1.5 still lies on day -1.
    if (!std::isfinite(dateValue) || std::fabs(dateValue) > 1e9)
        return {};
    return kDayZero.addDays((long long)std::trunc(dateValue));
}

QString DateToText(double dateValue)
{
    if (dateValue == 0)
        return QStringLiteral("0:00:00");
    const QDate date = DateOf(dateValue);
    if (!date.isValid())
        return {};
    return ShortDateText(date);
}

std::optional<double> TextToDate(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;

    const QLocale locale;
    const QString shortFormat = locale.dateFormat(QLocale::ShortFormat);
    const QDate full = locale.toDate(trimmed, FourDigitYearFormat(shortFormat));
    if (full.isValid())
        return DateValue(full);

    QDate twoDigit = locale.toDate(trimmed, shortFormat);
    if (twoDigit.isValid()) {
        // A two-digit year means 1930 to 2029.
        if (!shortFormat.contains(QStringLiteral("yyyy")) && twoDigit.year() < 1930)
            twoDigit = twoDigit.addYears(100);
        return DateValue(twoDigit);
    }

    for (const char* format : {"yyyy/MM/dd", "yyyy-MM-dd", "yyyy/M/d"}) {
        const QDate date = QDate::fromString(trimmed, QString::fromLatin1(format));
        if (date.isValid())
            return DateValue(date);
    }

    // A bare time of day (the text of day 0) stands on day 0.
    for (const char* format : {"H:mm:ss", "H:mm"}) {
        const QTime time = QTime::fromString(trimmed, QString::fromLatin1(format));
        if (time.isValid())
            return time.msecsSinceStartOfDay() / 86400000.0;
    }
    return std::nullopt;
}

QString FormatDateYMD(double dateValue)
{
    const QDate date = DateOf(dateValue);
    if (!date.isValid())
        return {};
    return QStringLiteral("%1/%2/%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

} // namespace platform
