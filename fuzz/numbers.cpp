// The numeric test, text to number and the number formats.
//
// The input is a text, and its first bytes are also taken as a double, a
// float, an int and a long long, so that every format meets extreme values
// as well as the numbers the texts stand for. Besides no crash and no
// undefined behaviour: the numeric test agrees with the number grammar
// (checked by a regular expression of its own), the conversions agree with
// the number read, and each format writes its own shape and reads back as
// the value it was given, rounded as that format rounds.
#include "FuzzSupport.h"
#include "platform/rules/Runtime.h"

#include <QHash>
#include <QRegularExpression>

#include <cfloat>
#include <cmath>
#include <cstring>

using namespace platform;

namespace {

QString Show(double value) { return QString::number(value, 'g', 17); }

bool Matches(const char* pattern, const QString& text)
{
    // Compiled once per pattern: the patterns are a handful of literals.
    static QHash<const char*, QRegularExpression> compiled;
    auto found = compiled.find(pattern);
    if (found == compiled.end())
        found = compiled.insert(pattern, QRegularExpression(QRegularExpression::anchoredPattern(
                                             QString::fromLatin1(pattern))));
    return found->match(text).hasMatch();
}

double ReadBack(const QString& text, const char* format, double value)
{
    const std::optional<double> back = ParseNumber(text);
    if (!back)
        fuzz::Fail(format, QStringLiteral("\"%1\" for %2 does not read back").arg(text, Show(value)));
    return *back;
}

void CheckText(const QString& text)
{
    const std::optional<double> value = ParseNumber(text);
    FUZZ_CHECK(IsNumeric(text) == value.has_value(), text);
    const bool shaped = Matches("[ \\t]*[+-]?(?=\\.?[0-9])([0-9]+(,[0-9]+)*)?(\\.[0-9]*)?([eE][+-]?[0-9]+)?[ \\t]*", text);
    if (!value) {
        // The only numbers of the right shape that are refused are too
        // large for a double.
        if (shaped) {
            QString plain = text.trimmed();
            plain.remove(u',');
            FUZZ_CHECK(std::isinf(std::strtod(plain.toLatin1().constData(), nullptr)), text);
        }
        FUZZ_CHECK(!ToInteger16(text) && !ToSingle(text), text);
        return;
    }
    FUZZ_CHECK(shaped, text);
    FUZZ_CHECK(std::isfinite(*value), text);
    const double whole = std::floor(*value);
    const std::optional<int16_t> integer = ToInteger16(text);
    FUZZ_CHECK(integer.has_value() == (whole >= -32768 && whole <= 32767), text);
    FUZZ_CHECK(!integer || *integer == whole, text);
    const std::optional<float> single = ToSingle(text);
    FUZZ_CHECK(single.has_value() == (std::fabs(*value) <= FLT_MAX), text);
    FUZZ_CHECK(!single || *single == float(*value), text);
}

void CheckFormats(double value)
{
    if (!std::isfinite(value)) {
        FUZZ_CHECK(FormatOneDecimal(value).isEmpty() && FormatGrouped(value).isEmpty()
                       && FormatSortKey(value).isEmpty(),
                   Show(value));
        return;
    }
    const QString one = FormatOneDecimal(value);
    FUZZ_CHECK(Matches("-?([1-9][0-9]*)?\\.[0-9]", one), one + u' ' + Show(value));
    FUZZ_CHECK(!one.startsWith(u'-') || value < 0, one + u' ' + Show(value));
    const double oneBack = ReadBack(one, "FormatOneDecimal", value);
    FUZZ_CHECK(std::fabs(oneBack - value) <= 0.05 + std::fabs(value) * 1e-15, one + u' ' + Show(value));

    const QString grouped = FormatGrouped(value);
    FUZZ_CHECK(Matches("-?[1-9][0-9]{0,2}(,[0-9]{3})*|0", grouped), grouped + u' ' + Show(value));
    FUZZ_CHECK(ReadBack(grouped, "FormatGrouped", value) == RoundHalfEven(value), grouped + u' ' + Show(value));

    const QString key = FormatSortKey(value);
    const double keyBack = ReadBack(key, "FormatSortKey", value);
    FUZZ_CHECK(std::fabs(keyBack - value) <= 0.5e-10 + std::fabs(value) * 1e-15, key + u' ' + Show(value));
    if (value >= 0 && value < 1e20)
        FUZZ_CHECK(Matches("[0-9]{20}\\.[0-9]{10}", key), key + u' ' + Show(value));
}

void CheckNumberTexts(float single, int integer)
{
    const QString intText = NumberText(integer);
    FUZZ_CHECK(intText.startsWith(integer < 0 ? u'-' : u' '), intText);
    FUZZ_CHECK(ParseNumber(intText) == double(integer), intText);
    if (integer >= -32768 && integer <= 32767)
        FUZZ_CHECK(ToInteger16(intText) == integer, intText);

    const QString text = NumberText(single);
    if (!std::isfinite(single))
        return;
    FUZZ_CHECK(text.startsWith(std::signbit(single) && single != 0 ? u'-' : u' '), text + u' ' + Show(single));
    FUZZ_CHECK(!Matches("[ -]0\\..*", text), text);
    const std::optional<float> back = ToSingle(text);
    FUZZ_CHECK(back.has_value(), text + u' ' + Show(single));
    // Seven significant digits, then the nearest float.
    FUZZ_CHECK(std::fabs(double(*back) - double(single)) <= std::fabs(double(single)) * 6e-7 + 1e-45,
               text + u' ' + Show(single));
}

void CheckGroupedDigits(long long value, const QLocale& locale)
{
    QLocale::setDefault(locale);
    const QString text = FormatGroupedDigits(value);
    QString digits;
    for (QChar c : text)
        if ((c >= u'0' && c <= u'9') || c == u'-')
            digits.append(c);
    FUZZ_CHECK(digits == QString::number(value), text);
    FUZZ_CHECK(std::llabs(value) < 1000 || value == LLONG_MIN || text.size() > digits.size(), text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    CheckText(text);
    if (const std::optional<double> value = ParseNumber(text))
        CheckFormats(*value);

    uint8_t raw[8] = {};
    std::memcpy(raw, data, std::min<size_t>(size, sizeof raw));
    double asDouble;
    float asFloat;
    int asInt;
    long long asLong;
    std::memcpy(&asDouble, raw, sizeof asDouble);
    std::memcpy(&asFloat, raw, sizeof asFloat);
    std::memcpy(&asInt, raw + 4, sizeof asInt);
    std::memcpy(&asLong, raw, sizeof asLong);
    CheckFormats(asDouble);
    CheckNumberTexts(asFloat, asInt);
    CheckGroupedDigits(asLong, fuzz::LocaleFor(size > 8 ? data[8] : 0));
    return 0;
}
