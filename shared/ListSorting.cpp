#include "shared/ListSorting.h"
#include "shared/SortKeys.h"

#include "platform/widgets/ListView.h"
#include "platform/rules/RadixSort.h"
#include "platform/rules/Runtime.h"

#include <QDate>
#include <QLocale>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <optional>
#include <vector>

namespace {

using sort_keys::DateKeyReader;
using sort_keys::kPlainNumberKeySize;
using sort_keys::PlainNumberSortKey;
using sort_keys::PlainNumberValue;

// The stable order of rows by whole-number keys (key[i] for row i), equal
// keys keeping their row order in both directions, as the list's text order
// keeps equal texts: a radix sort, one pass per byte in which the keys differ.
std::vector<int> WholeNumberOrder(const std::vector<uint64_t>& values, bool descending)
{
    struct Keyed {
        uint64_t key;
        int row;
    };
    std::vector<Keyed> keys(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        keys[i] = {descending ? ~values[i] : values[i], static_cast<int>(i)};
    platform::StableRadixSort(keys, [](const Keyed& keyed) { return keyed.key; });
    std::vector<int> order;
    order.reserve(keys.size());
    for (const Keyed& keyed : keys)
        order.push_back(keyed.row);
    return order;
}

// The keys of one sort, all in a few large blocks instead of one allocation
// per cell, so making them is quick and dropping them afterwards costs
// nothing. The cells hold them as raw-data strings, which point into the
// blocks and never own them. In front of each key sits the number of the row
// it was made for, so that once the rows are reordered each cell's key says
// where its shown text was put aside.
class SortKeyStore {
public:
    // A raw-data string over `size` characters for row `row`, written by
    // `write` (which gets where to write them).
    template <typename Write>
    QString Put(int row, qsizetype size, Write write)
    {
        const qsizetype need = kRowMark + size;
        if (blocks_.empty() || blocks_.back().used + need > blocks_.back().size) {
            const qsizetype blockSize = std::max<qsizetype>(kBlockSize, need);
            blocks_.push_back({std::make_unique<char16_t[]>(static_cast<size_t>(blockSize)), blockSize, 0});
        }
        Block& block = blocks_.back();
        char16_t* at = block.data.get() + block.used;
        at[0] = static_cast<char16_t>(static_cast<uint32_t>(row) & 0xFFFF);
        at[1] = static_cast<char16_t>(static_cast<uint32_t>(row) >> 16);
        write(at + kRowMark);
        block.used += need;
        return QString::fromRawData(reinterpret_cast<const QChar*>(at + kRowMark), size);
    }

    // The row a key from Put was made for; nothing for any other text.
    std::optional<int> RowOf(const QString& key) const
    {
        const char16_t* text = reinterpret_cast<const char16_t*>(key.constData());
        for (const Block& block : blocks_) {
            const char16_t* start = block.data.get();
            if (text >= start + kRowMark && text <= start + block.used)
                return static_cast<int>(uint32_t(text[-2]) | (uint32_t(text[-1]) << 16));
        }
        return std::nullopt;
    }

private:
    static constexpr qsizetype kRowMark = 2;
    static constexpr qsizetype kBlockSize = 1 << 18;
    struct Block {
        std::unique_ptr<char16_t[]> data;
        qsizetype size;
        qsizetype used;
    };
    std::vector<Block> blocks_;
};

// The date keys already made in one pass, found by the shown text. The texts
// are views into the cells' saved texts, which stay put for the whole pass,
// so nothing is copied or counted; a folder's files share few dates, so most
// rows find their key here. Open addressing over a table kept at most half
// full.
class DateKeyCache {
public:
    template <typename MakeKey>
    const QString& Find(QStringView text, MakeKey makeKey)
    {
        const size_t hash = Hash(text);
        if ((entries_.size() + 1) * 2 > slots_.size())
            Grow();
        size_t at = hash & (slots_.size() - 1);
        while (slots_[at] >= 0) {
            const Entry& entry = entries_[static_cast<size_t>(slots_[at])];
            if (entry.hash == hash && entry.text == text)
                return entry.key;
            at = (at + 1) & (slots_.size() - 1);
        }
        slots_[at] = static_cast<int32_t>(entries_.size());
        entries_.push_back({text, hash, makeKey()});
        return entries_.back().key;
    }

private:
    struct Entry {
        QStringView text;
        size_t hash;
        QString key;
    };

    static size_t Hash(QStringView text)
    {
        uint64_t hash = 14695981039346656037ull;
        for (QChar c : text)
            hash = (hash ^ c.unicode()) * 1099511628211ull;
        return static_cast<size_t>(hash ^ (hash >> 29));
    }

    void Grow()
    {
        slots_.assign(std::max<size_t>(1024, slots_.size() * 2), -1);
        for (size_t i = 0; i < entries_.size(); ++i) {
            size_t at = entries_[i].hash & (slots_.size() - 1);
            while (slots_[at] >= 0)
                at = (at + 1) & (slots_.size() - 1);
            slots_[at] = static_cast<int32_t>(i);
        }
    }

    std::vector<int32_t> slots_;
    std::vector<Entry> entries_;
};

} // namespace

QString InvertDigits(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            c = QChar(static_cast<char16_t>(u'9' - (u - u'0')));
        else if (u == u'-')
            c = QChar(u' ');
    }
    return result;
}

QString NumberSortKey(const QString& cellText)
{
    const std::optional<double> value = platform::ParseNumber(cellText);
    if (!value)
        return QString();
    if (*value >= 0)
        return platform::FormatSortKey(*value);
    return QStringLiteral("&") + InvertDigits(platform::FormatSortKey(0 - *value));
}

QString DateSortKey(const QString& cellText)
{
    if (const std::optional<double> date = platform::TextToDate(cellText))
        return platform::FormatDateYMD(*date);
    return QString();
}

void SortListView(platform::ReportListView& list, int16_t column, int32_t kind, int16_t ascending)
{
    const platform::ListDrawingFreeze freeze(list);
    // The cell is the row itself for the first column, its sub-item for the others.
    const int cellColumn = column > 1 ? column - 1 : 0;
    const bool usesKeys = kind == SortKindNumber || kind == SortKindDate;

    // Where every cell's key is a whole number (sizes as the list shows them,
    // dates in the short format), the rows are ordered by those numbers at
    // once: the same order as sorting their key texts, without writing the
    // keys into the cells and the texts back.
    if (usesKeys) {
        std::optional<DateKeyReader> dates;
        if (kind == SortKindDate)
            dates.emplace();
        std::vector<uint64_t> values;
        values.reserve(static_cast<size_t>(list.Count()));
        // The list's fill gives the files of one day one shared date text,
        // so a date already read is found again by where its text lives. A
        // folder's files share a few thousand days at most, and a table
        // that size stays in the processor's cache; a day that meets
        // another in its slot is simply read again.
        struct ReadDate {
            const QChar* text = nullptr;
            qsizetype size = -1;
            std::optional<uint64_t> value;
        };
        int slotBits = 10;
        while (slotBits < 13 && (1 << slotBits) < list.Count())
            ++slotBits;
        std::vector<ReadDate> readDates(dates ? size_t(1) << slotBits : 0);
        const auto dayNumber = [&](const QString& text) {
            // Text data sit at least 16 bytes apart; the multiplier spreads
            // the remaining bits over the table.
            const uint64_t where = reinterpret_cast<uintptr_t>(text.constData()) >> 4;
            ReadDate& slot = readDates[(where * 0x9E3779B97F4A7C15ull) >> (64 - slotBits)];
            if (slot.text != text.constData() || slot.size != text.size())
                slot = {text.constData(), text.size(), dates->DayNumber(text)};
            return slot.value;
        };
        bool whole = true;
        list.ForEachCell(cellColumn, [&](QString& text, QString&) {
            if (!whole)
                return;
            const std::optional<uint64_t> value = dates ? dayNumber(text) : PlainNumberValue(text);
            whole = value.has_value();
            if (whole)
                values.push_back(*value);
        });
        if (whole) {
            list.SetSortOrder(ascending != 0 ? 0 : 1);
            list.SetSortKey(column - 1);
            list.SetSortedInOrder(WholeNumberOrder(values, ascending == 0));
            return;
        }
    }

    // Put the key in place of each shown text, which waits in `shown` under
    // the number of its row, and the key in the store says which row that
    // was. The tags are not touched.
    SortKeyStore keys;
    std::vector<QString> shown;
    if (usesKeys) {
        shown.reserve(static_cast<size_t>(list.Count()));
        DateKeyCache dateKeys;
        std::optional<DateKeyReader> dates;
        if (kind == SortKindDate)
            dates.emplace();
        list.ForEachCell(cellColumn, [&](QString& text, QString&) {
            const int row = static_cast<int>(shown.size());
            shown.push_back(std::move(text));
            const QString& shownText = shown.back();
            QString key;
            if (kind == SortKindDate) {
                key = dateKeys.Find(shownText, [&] { return dates->Key(shownText); });
            } else {
                char16_t plain[kPlainNumberKeySize];
                if (PlainNumberSortKey(shownText, plain)) {
                    text = keys.Put(row, kPlainNumberKeySize,
                                    [&](char16_t* out) { std::copy(plain, plain + kPlainNumberKeySize, out); });
                    return;
                }
                key = NumberSortKey(shownText);
            }
            text = keys.Put(row, key.size(), [&](char16_t* out) { std::copy_n(key.utf16(), key.size(), out); });
        });
    }

    list.SetSortOrder(ascending != 0 ? 0 : 1);
    list.SetSortKey(column - 1);
    list.SetSorted(true);

    if (usesKeys) {
        list.ForEachCell(cellColumn, [&](QString& text, QString&) {
            if (const std::optional<int> row = keys.RowOf(text))
                text = std::move(shown[static_cast<size_t>(*row)]);
        });
    }
}
