// The list's text order against a plain reference.
//
// The input's first byte picks the locale, the second how the lines are
// read: as they are, or mapped onto the characters of the number and date
// keys ("0"-"9", ".", "/", "&"), with or without a few letters and blanks
// mixed in. The quick path for key texts (packed ranks, radix sort) and the
// general path must give exactly the order of a stable sort that compares
// with the locale's collator (case-folded code points in the C locale),
// the empty text first ascending and last descending, equal texts in their
// first order either way.
#include "FuzzSupport.h"
#include "platform/widgets/ListView.h"

#include <QCollator>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

QString Mapped(const QByteArray& line, uint8_t mode)
{
    if (mode % 3 == 0)
        return QString::fromUtf8(line);
    static const QString keyCharacters = QStringLiteral("0123456789./&");
    static const QString mixed = QStringLiteral("0123456789./&aA -");
    const QString& alphabet = mode % 3 == 1 ? keyCharacters : mixed;
    QString text;
    for (const char c : line)
        text.append(alphabet[uint8_t(c) % alphabet.size()]);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const QLocale locale = fuzz::LocaleFor(data[0]);
    const QList<QByteArray> lines = fuzz::Lines(data + 2, size - 2, 300);
    std::vector<QString> texts;
    for (const QByteArray& line : lines)
        texts.push_back(Mapped(line, data[1]));

    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    collator.setIgnorePunctuation(false);
    const bool plain = locale.language() == QLocale::C;
    const auto before = [&](int a, int b) {
        const QString& x = texts[size_t(a)];
        const QString& y = texts[size_t(b)];
        if (x.isEmpty() != y.isEmpty())
            return x.isEmpty();
        return plain ? x.toCaseFolded() < y.toCaseFolded() : collator.compare(x, y) < 0;
    };

    const platform::TextOrder order(locale);
    for (const bool descending : {false, true}) {
        std::vector<int> expected(texts.size());
        std::iota(expected.begin(), expected.end(), 0);
        std::stable_sort(expected.begin(), expected.end(),
                         [&](int a, int b) { return descending ? before(b, a) : before(a, b); });
        const std::vector<int> got =
            order.StableOrder(int(texts.size()), [&](int i) { return texts[size_t(i)]; }, descending);
        if (got != expected) {
            size_t at = 0;
            while (at < got.size() && at < expected.size() && got[at] == expected[at])
                ++at;
            fuzz::Fail("text order", QStringLiteral("%1%2: at %3 \"%4\", expected \"%5\"")
                                         .arg(locale.name(), descending ? QStringLiteral(" descending") : QString())
                                         .arg(at)
                                         .arg(at < got.size() ? texts[size_t(got[at])] : QString(),
                                              at < expected.size() ? texts[size_t(expected[at])] : QString()));
        }
    }
    return 0;
}
