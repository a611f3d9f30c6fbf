// The number, text and date rules that the program's stored and shown values
// follow: the number text of the settings file, the numeric-text test, the
// integer and 32-bit float conversions, the fixed display formats, rounding
// half to even, and dates as day counts from 30 December 1899 with the time of
// day as the fraction. None of this needs a window.
#pragma once

#include <QDate>
#include <QString>
#include <cmath>
#include <cstdint>
#include <optional>

namespace platform {

// Rounds to the nearest whole number, halves to the even neighbour
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
inline double RoundHalfEven(double value)
{
    return std::nearbyint(value);
}

// --- numbers -----------------------------------------------------------

// The text the settings save writes for a number: one sign position (a blank
// for zero and positive values, "-" for negative ones), no zero before the
// point for values between -1 and 1, "." as the point.
QString NumberText(int value);          // 5 -> " 5", -1 -> "-1"
QString NumberText(float value);        // 1.2f -> " 1.2", 0.5f -> " .5"; seven significant digits at most, no trailing zeros

// True when the text reads as a number: blanks around it, an optional sign,
// digits with optional "," group separators, an optional "." fraction and an
// optional exponent ("1,234", " 2.5 ", "-.5", "1e3"). "", "abc", "1.2.3" are not.
bool IsNumeric(const QString& text);

// The number a numeric text stands for; nullopt when IsNumeric is false.
std::optional<double> ParseNumber(const QString& text);

// Integer conversion of the settings file: the number rounded down (floor),
// then nullopt unless it lies in -32768..32767. "1.9" -> 1, "-0.5" -> -1.
std::optional<int16_t> ToInteger16(const QString& text);

// 32-bit float conversion; nullopt for a text that is not a number.
std::optional<float> ToSingle(const QString& text);

// Format "##.0": one decimal, rounded, no digit before the point below 1
// (0.5 -> ".5", 2 -> "2.0", 0 -> ".0", 1.25 -> "1.2" by half-even on the value).
QString FormatOneDecimal(double value);

// Format "###,###,##0": a whole number, rounded half to even, "," between
// groups of three digits, at least one digit (1205633.4 -> "1,205,633").
QString FormatGrouped(double value);

// Format "#,###,###,###" with the locale's digit grouping (2147483647 ->
// "2,147,483,647").
QString FormatGroupedDigits(long long value);

// Zero-padded sort key format: twenty digits, ".", ten digits
// (1234 -> "00000000000000001234.0000000000").
QString FormatSortKey(double value);

// --- dates ---------------------------------------------------------------

// Day count from 30 December 1899 (day 0) of a calendar date.
double DateSerial(int year, int month, int day);
double DateValue(const QDate& date);
QDate DateOf(double dateValue);

// The date as the user's short date text (QLocale's default locale, with a
// four-digit year so the text reads back unambiguously). Day 0 with no time
// of day is shown as the time text of midnight, "0:00:00".
QString DateToText(double dateValue);

// Reads a text written by DateToText (or any short date of the default
// locale) back into a day count; "0:00:00" gives 0. nullopt when unreadable.
std::optional<double> TextToDate(const QString& text);

// Format "YYYY/MM/DD" (1899/12/30 for day 0).
QString FormatDateYMD(double dateValue);

} // namespace platform
