#include "platform/rules/Runtime.h"

#include <QLocale>
#include <QRegularExpression>
#include <climits>
#include <gtest/gtest.h>

using namespace platform;

namespace {

// Sets the default locale for one test and puts the previous one back.
class LocaleScope {
public:
    explicit LocaleScope(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
    ~LocaleScope() { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};

} // namespace

TEST(NumberText, SignPositionAndNoLeadingZero)
{
    EXPECT_EQ(NumberText(0), " 0");
    EXPECT_EQ(NumberText(5), " 5");
    EXPECT_EQ(NumberText(-1), "-1");
    EXPECT_EQ(NumberText(-32768), "-32768");
    EXPECT_EQ(NumberText(1.2f), " 1.2");
    EXPECT_EQ(NumberText(0.5f), " .5");
    EXPECT_EQ(NumberText(-0.5f), "-.5");
    EXPECT_EQ(NumberText(0.0f), " 0");
    EXPECT_EQ(NumberText(2.0f), " 2");
    EXPECT_EQ(NumberText(-2.5f), "-2.5");
    EXPECT_EQ(NumberText(0.1f), " .1");
    EXPECT_EQ(NumberText(1234567.0f), " 1234567");
    EXPECT_EQ(NumberText(1.0f / 3.0f), " .3333333");
}

TEST(NumberText, FloatTextReadsBackAsTheSameFloat)
{
    for (const float value : {1.2f, 0.5f, 1.1f, 1.7f, 2.5f, -0.3f, 123.456f, 1e-3f, 3.4e38f}) {
        const std::optional<float> back = ToSingle(NumberText(value));
        ASSERT_TRUE(back.has_value()) << NumberText(value).toStdString();
        EXPECT_FLOAT_EQ(*back, value);
    }
}

TEST(IsNumeric, AcceptsNumberShapesOnly)
{
    for (const char* text : {"0", "5", " 2.5 ", "-.5", "+3", "1,234", "1,234,567.25", "1e3", "1.5E-2",
                             "\t7\t", ".5", "5."})
        EXPECT_TRUE(IsNumeric(QString::fromLatin1(text))) << text;
    for (const char* text : {"", " ", "abc", "1.2.3", "x", ".", "-", "1e", "e3", ",5", "5,", "1,,2",
                             "1 2", "12abc", "1e400", "--1", "0x10"})
        EXPECT_FALSE(IsNumeric(QString::fromLatin1(text))) << text;
    EXPECT_EQ(ParseNumber("1,234"), 1234.0);
    EXPECT_EQ(ParseNumber(" -2.5e1 "), -25.0);
}

TEST(Conversions, IntegerFloorsAndChecksRange)
{
    EXPECT_EQ(ToInteger16("1.9"), int16_t(1));
    EXPECT_EQ(ToInteger16("-0.5"), int16_t(-1));
    EXPECT_EQ(ToInteger16("5"), int16_t(5));
    EXPECT_EQ(ToInteger16(" -1 "), int16_t(-1));
    EXPECT_EQ(ToInteger16("32767.9"), int16_t(32767));
    EXPECT_EQ(ToInteger16("-32768"), int16_t(-32768));
    EXPECT_EQ(ToInteger16("-32768.5"), std::nullopt);
    EXPECT_EQ(ToInteger16("32768"), std::nullopt);
    EXPECT_EQ(ToInteger16("70000"), std::nullopt);
    EXPECT_EQ(ToInteger16("abc"), std::nullopt);

    EXPECT_EQ(ToSingle(" 2.5 "), 2.5f);
    EXPECT_EQ(ToSingle("1.2"), 1.2f);
    EXPECT_EQ(ToSingle("abc"), std::nullopt);
    EXPECT_EQ(ToSingle("1e39"), std::nullopt);
}

TEST(Formats, OneDecimal)
{
    EXPECT_EQ(FormatOneDecimal(0.5), ".5");
    EXPECT_EQ(FormatOneDecimal(2), "2.0");
    EXPECT_EQ(FormatOneDecimal(0), ".0");
    EXPECT_EQ(FormatOneDecimal(1.2f), "1.2");
    EXPECT_EQ(FormatOneDecimal(1.25), "1.2");
    EXPECT_EQ(FormatOneDecimal(1.35), "1.4"); // 1.35 lies just above the tie as a double
    EXPECT_EQ(FormatOneDecimal(123.46), "123.5");
    EXPECT_EQ(FormatOneDecimal(-0.04), ".0");
    EXPECT_EQ(FormatOneDecimal(-1.5), "-1.5");
}

TEST(Formats, MagnificationRowsFromAFloatCounter)
{
    QStringList rows;
    for (float value = 1.0f; value <= 2.1f; value += 0.1f)
        rows << FormatOneDecimal(value);
    EXPECT_EQ(rows, QStringList({"1.0", "1.1", "1.2", "1.3", "1.4", "1.5", "1.6", "1.7", "1.8", "1.9", "2.0"}));
}

TEST(Formats, GroupedWholeNumbers)
{
    EXPECT_EQ(FormatGrouped(1205633.4), "1,205,633");
    EXPECT_EQ(FormatGrouped(1234567890.0 / 1024), "1,205,633");
    EXPECT_EQ(FormatGrouped(100.0 / 1024), "0");
    EXPECT_EQ(FormatGrouped(1536.0 / 1024), "2");
    EXPECT_EQ(FormatGrouped(2.5), "2");
    EXPECT_EQ(FormatGrouped(999.5), "1,000");
    EXPECT_EQ(FormatGrouped(123456), "123,456");
    EXPECT_EQ(FormatGrouped(-1234567), "-1,234,567");
    EXPECT_EQ(FormatGrouped(-0.3), "0");
    EXPECT_EQ(FormatGrouped(3.5), "4");
    EXPECT_EQ(FormatGrouped(-2.5), "-2");
    // Either side of 2^53, where whole numbers stop being written digit by
    // digit and go through printf.
    EXPECT_EQ(FormatGrouped(-9007199254740991.0), "-9,007,199,254,740,991");
    EXPECT_EQ(FormatGrouped(9007199254740992.0), "9,007,199,254,740,992");
    EXPECT_EQ(FormatGrouped(1e20), "100,000,000,000,000,000,000");
}

TEST(Formats, GroupedDigitsFollowTheLocale)
{
    {
        LocaleScope scope("C");
        EXPECT_EQ(FormatGroupedDigits(2147483647), "2,147,483,647");
    }
    {
        LocaleScope scope("en_US");
        EXPECT_EQ(FormatGroupedDigits(2147483647), "2,147,483,647");
    }
    {
        LocaleScope scope("de_DE");
        EXPECT_EQ(FormatGroupedDigits(2147483647), "2.147.483.647");
    }
}

TEST(Formats, SortKeyWidthAndOrder)
{
    EXPECT_EQ(FormatSortKey(1234), "00000000000000001234.0000000000");
    EXPECT_EQ(FormatSortKey(0), "00000000000000000000.0000000000");
    EXPECT_EQ(FormatSortKey(5.25), "00000000000000000005.2500000000");
    EXPECT_EQ(FormatSortKey(1e20), "100000000000000000000.0000000000");
    EXPECT_LT(FormatSortKey(980), FormatSortKey(1234));
    EXPECT_LT(FormatSortKey(12), FormatSortKey(980));
}

TEST(Formats, NegativeZeroIsWrittenAsZero)
{
    EXPECT_EQ(NumberText(-0.0f), " 0");
    EXPECT_EQ(FormatSortKey(-0.0), "00000000000000000000.0000000000");
}

TEST(Dates, DayCountsFromDayZero)
{
    EXPECT_EQ(DateSerial(1899, 12, 30), 0);
    EXPECT_EQ(DateSerial(1900, 1, 1), 2);
    EXPECT_EQ(DateSerial(2007, 10, 3), 39358);
    EXPECT_EQ(DateSerial(2007, 13, 1), DateSerial(2008, 1, 1));
    EXPECT_EQ(DateSerial(2008, 3, 0), DateSerial(2008, 2, 29));
    // The extreme months and days of 32-bit arguments still roll over.
    EXPECT_EQ(DateSerial(2000, INT_MIN, 1), DateSerial(2000 - 178956971, 4, 1));
    EXPECT_EQ(DateSerial(2000, 1, INT_MIN), DateSerial(2000, 1, 1) + double(INT_MIN) - 1);
    EXPECT_EQ(DateSerial(INT_MAX, 13, 1), 0);
    EXPECT_EQ(DateValue(QDate(2007, 10, 3)), 39358);
    EXPECT_EQ(DateValue(QDate()), 0);
    EXPECT_EQ(DateOf(39358), QDate(2007, 10, 3));
    EXPECT_EQ(DateOf(39358.75), QDate(2007, 10, 3));
    EXPECT_EQ(DateOf(-1.5), QDate(1899, 12, 29));
    EXPECT_FALSE(DateOf(std::nan("")).isValid());
    EXPECT_EQ(FormatDateYMD(39358), "2007/10/03");
    EXPECT_EQ(FormatDateYMD(0), "1899/12/30");
}

TEST(Dates, TextRoundTripsInSeveralLocales)
{
    const double dates[] = {DateSerial(2007, 10, 3), DateSerial(2006, 12, 25), DateSerial(1925, 1, 15),
                            DateSerial(2031, 7, 9)};
    for (const char* name : {"en_US", "de_DE", "ja_JP", "en_GB", "C"}) {
        LocaleScope scope(name);
        for (const double date : dates) {
            const QString text = DateToText(date);
            EXPECT_TRUE(text.contains(QString::number(DateOf(date).year()))) << name << " " << text.toStdString();
            EXPECT_EQ(TextToDate(text), date) << name << " " << text.toStdString();
        }
        EXPECT_EQ(DateToText(0), "0:00:00");
        EXPECT_EQ(TextToDate("0:00:00"), 0.0);
        EXPECT_EQ(TextToDate("not a date"), std::nullopt);
        EXPECT_EQ(TextToDate(""), std::nullopt);
    }
}

// Dates are written without QLocale's format parser where the short format
// is plain numbers; the text must be what QLocale writes, in locales with
// other orders, separators, padding, digits and written month names.
TEST(Dates, ShortDateTextsAreWhatTheLocaleWrites)
{
    for (const char* name : {"en_US", "de_DE", "ja_JP", "en_GB", "C", "fi_FI", "ar_EG", "hu_HU", "ko_KR", "es_ES"}) {
        LocaleScope scope(name);
        const QLocale locale;
        QString format = locale.dateFormat(QLocale::ShortFormat);
        format.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
        for (QDate date(998, 12, 20); date <= QDate(1001, 1, 10); date = date.addDays(1))
            ASSERT_EQ(DateToText(DateValue(date)), locale.toString(date, format)) << name;
        for (QDate date(2023, 12, 20); date <= QDate(2025, 1, 10); date = date.addDays(1))
            ASSERT_EQ(DateToText(DateValue(date)), locale.toString(date, format)) << name;
    }
}

TEST(Dates, ShortDateTextsOfTwoLocales)
{
    {
        LocaleScope scope("de_DE");
        EXPECT_EQ(DateToText(DateSerial(2007, 10, 3)), "03.10.2007");
    }
    {
        LocaleScope scope("ja_JP");
        EXPECT_EQ(DateToText(DateSerial(2007, 10, 3)), "2007/10/03");
    }
    {
        LocaleScope scope("en_US");
        EXPECT_EQ(DateToText(DateSerial(2007, 10, 3)), "10/3/2007");
        // A short date typed with a two-digit year means 1930 to 2029.
        EXPECT_EQ(TextToDate("1/15/07"), DateSerial(2007, 1, 15));
        EXPECT_EQ(TextToDate("1/15/45"), DateSerial(1945, 1, 15));
    }
}
