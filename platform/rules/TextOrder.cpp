#include "platform/rules/TextOrder.h"

#include "platform/rules/RadixSort.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <optional>
#include <string_view>
#include <utility>

namespace platform {

TextOrder::TextOrder(const QLocale& locale)
    : collator_(locale)
{
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
    collator_.setNumericMode(false);
    collator_.setIgnorePunctuation(false);
    plainFolding_ = collator_.locale().language() == QLocale::C;
}

namespace {

// The characters of number and date sort keys, ranked 1.. in the order the
// collator puts them: the C locale compares code points ('&' < '.' < '/'),
// the other locales use the common Unicode order, in which '.' < '/' < '&'.
// Digits follow in both. 0 marks every other character.
constexpr int kKeyCharacterLimit = 0x40;
using KeyRanks = std::array<uint8_t, kKeyCharacterLimit>;

constexpr KeyRanks MakeKeyRanks(std::u16string_view punctuationInOrder)
{
    KeyRanks ranks{};
    uint8_t rank = 1;
    for (char16_t c : punctuationInOrder)
        ranks[c] = rank++;
    for (char16_t c = u'0'; c <= u'9'; ++c)
        ranks[c] = rank++;
    return ranks;
}

constexpr KeyRanks kCodePointRanks = MakeKeyRanks(u"&./");
constexpr KeyRanks kCollatedRanks = MakeKeyRanks(u"./&");

uint8_t RankOf(const KeyRanks& ranks, char16_t c)
{
    return c < kKeyCharacterLimit ? ranks[c] : 0;
}

// Texts made only of these characters each have their own primary weight
// in the collation and no contractions, so the collator's order is the plain
// character-by-character order of their ranks, a prefix coming first. That
// order needs no collation keys. Each text is packed, after the prefix that
// all non-empty texts share, into 16 four-bit ranks; only texts that agree in
// all 16 compare their remaining characters.
struct PackedKey {
    uint64_t head = 0;
    int index = 0;
    bool empty = false;
};

// The length of the prefix that all non-empty texts share.
qsizetype SharedPrefix(const std::vector<QString>& texts)
{
    const QString* first = nullptr;
    qsizetype shared = 0;
    for (const QString& text : texts) {
        if (text.isEmpty())
            continue;
        if (!first) {
            first = &text;
            shared = text.size();
            continue;
        }
        qsizetype same = 0;
        const qsizetype limit = std::min(shared, text.size());
        while (same < limit && text[same] == (*first)[same])
            ++same;
        shared = same;
    }
    return shared;
}

// The packed heads decide almost every pair, so the keys are ordered by a
// stable radix sort of the heads (their complement when descending), which
// keeps equal heads in index order; only runs of equal heads whose texts go
// on past `packedEnd` are then sorted by `compare` (-1, 0 or 1 as the text
// of a is before, equal to or after that of b). Equal texts keep their index
// order in both directions.
template <typename Compare>
std::vector<int> OrderByHeads(std::vector<PackedKey>& keys, const std::vector<QString>& texts, qsizetype packedEnd,
                              bool descending, const Compare& compare)
{
    StableRadixSort(keys, [&](const PackedKey& key) { return descending ? ~key.head : key.head; });
    // The empty texts come first ascending and last descending.
    std::stable_partition(keys.begin(), keys.end(), [&](const PackedKey& key) { return key.empty != descending; });
    const bool longTexts = std::any_of(texts.begin(), texts.end(),
                                       [&](const QString& text) { return text.size() > packedEnd; });
    if (longTexts) {
        for (auto run = keys.begin(); run != keys.end();) {
            const auto end = std::find_if(run, keys.end(), [&](const PackedKey& key) {
                return key.empty != run->empty || key.head != run->head;
            });
            if (!run->empty && end - run > 1)
                std::stable_sort(run, end, [&](const PackedKey& a, const PackedKey& b) {
                    return (descending ? compare(b, a) : compare(a, b)) < 0;
                });
            run = end;
        }
    }
    std::vector<int> order;
    order.reserve(keys.size());
    for (const PackedKey& key : keys)
        order.push_back(key.index);
    return order;
}

// The C locale's order of case-folded texts is the order of their UTF-16
// units, a prefix coming first. Each text is packed, after the prefix that all
// non-empty texts share, into four 16-bit units (0 past its end), so a radix
// sort decides almost every pair without a comparison of strings. Where all
// the units packed fit in a byte, as in names written in Latin letters, eight
// of them are packed instead: numbered names such as clip00001.avi then
// differ within their heads.
std::vector<int> FoldedOrder(const std::vector<QString>& folded, bool descending)
{
    const qsizetype shared = SharedPrefix(folded);
    bool narrow = true;
    for (const QString& text : folded) {
        const qsizetype end = std::min(text.size(), shared + 8);
        for (qsizetype at = shared; at < end && narrow; ++at)
            narrow = text[at].unicode() < 0x100;
        if (!narrow)
            break;
    }
    const qsizetype packed = narrow ? 8 : 4;
    const int unitBits = narrow ? 8 : 16;
    std::vector<PackedKey> keys(folded.size());
    bool heldZero = false;
    for (size_t i = 0; i < folded.size(); ++i) {
        const QString& text = folded[i];
        PackedKey& key = keys[i];
        key.index = static_cast<int>(i);
        key.empty = text.isEmpty();
        const qsizetype end = std::min(text.size(), shared + packed);
        int shift = 64 - unitBits;
        for (qsizetype at = shared; at < end; ++at, shift -= unitBits) {
            key.head |= uint64_t(text[at].unicode()) << shift;
            heldZero = heldZero || text[at].unicode() == 0;
        }
    }
    // A packed U+0000 looks like the end of a shorter text; then every run of
    // equal heads is compared in full.
    const qsizetype packedEnd = heldZero ? 0 : shared + packed;
    const auto compare = [&](const PackedKey& a, const PackedKey& b) {
        return QStringView(folded[static_cast<size_t>(a.index)])
            .compare(QStringView(folded[static_cast<size_t>(b.index)]), Qt::CaseSensitive);
    };
    return OrderByHeads(keys, folded, packedEnd, descending, compare);
}


std::optional<std::vector<int>> KeyCharacterOrder(const std::vector<QString>& texts, const KeyRanks& ranks,
                                                  bool descending)
{
    constexpr qsizetype kPacked = 16;
    for (const QString& text : texts)
        for (QChar c : text)
            if (RankOf(ranks, c.unicode()) == 0)
                return std::nullopt;
    const qsizetype shared = SharedPrefix(texts);

    std::vector<PackedKey> keys(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        const QString& text = texts[i];
        PackedKey& key = keys[i];
        key.index = static_cast<int>(i);
        key.empty = text.isEmpty();
        const qsizetype end = std::min(text.size(), shared + kPacked);
        int shift = 60;
        for (qsizetype at = shared; at < end; ++at, shift -= 4)
            key.head |= uint64_t(RankOf(ranks, text[at].unicode())) << shift;
    }
    // -1, 0 or 1 as the text of a is before, equal to or after that of b.
    const auto compare = [&](const PackedKey& a, const PackedKey& b) {
        if (a.empty != b.empty)
            return a.empty ? -1 : 1;
        if (a.head != b.head)
            return a.head < b.head ? -1 : 1;
        const QString& x = texts[static_cast<size_t>(a.index)];
        const QString& y = texts[static_cast<size_t>(b.index)];
        const qsizetype common = std::min(x.size(), y.size());
        for (qsizetype at = shared + kPacked; at < common; ++at) {
            const uint8_t rx = RankOf(ranks, x[at].unicode());
            const uint8_t ry = RankOf(ranks, y[at].unicode());
            if (rx != ry)
                return rx < ry ? -1 : 1;
        }
        return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
    };
    return OrderByHeads(keys, texts, shared + kPacked, descending, compare);
}

} // namespace

std::vector<int> TextOrder::StableOrder(int count, const std::function<QString(int)>& textAt, bool descending) const
{
    std::vector<QString> texts;
    texts.reserve(static_cast<size_t>(std::max(0, count)));
    for (int i = 0; i < count; ++i)
        texts.push_back(textAt(i));
    if (auto order = KeyCharacterOrder(texts, plainFolding_ ? kCodePointRanks : kCollatedRanks, descending))
        return std::move(*order);
    if (plainFolding_) {
        for (QString& text : texts)
            text = std::move(text).toCaseFolded();
        return FoldedOrder(texts, descending);
    }

    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    auto sortBy = [&](auto& keys, auto makeKey, auto keyLess) {
        keys.reserve(order.size());
        std::vector<char> empty;
        empty.reserve(order.size());
        for (const QString& text : texts) {
            empty.push_back(text.isEmpty() ? 1 : 0);
            keys.push_back(makeKey(text));
        }
        auto less = [&](int a, int b) {
            if (empty[a] != empty[b])
                return empty[a] > empty[b];
            return keyLess(keys[a], keys[b]);
        };
        if (descending)
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return less(b, a); });
        else
            std::stable_sort(order.begin(), order.end(), less);
    };
    std::vector<QCollatorSortKey> keys;
    sortBy(
        keys, [&](const QString& text) { return collator_.sortKey(text); },
        [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b) < 0; });
    return order;
}

} // namespace platform
