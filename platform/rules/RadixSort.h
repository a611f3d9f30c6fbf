// A stable radix sort by a 64-bit key, for the list's sorts: tens of
// thousands of rows whose keys differ in only a few bytes are ordered in a few
// linear passes, and equal keys keep their order, as the list's sorts promise.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace platform {

// Orders `items` by keyOf(item), least significant byte first, skipping each
// byte in which all keys agree. One pass finds those bytes and one counts the
// digits of the others, so a skipped byte costs nothing and a sorted one one
// pass of moves.
template <typename T, typename KeyOf>
void StableRadixSort(std::vector<T>& items, KeyOf keyOf)
{
    constexpr int kBytes = 8;
    // The bytes in which the keys differ at all: only those are counted
    // and sorted by.
    uint64_t anySet = 0;
    uint64_t allSet = ~uint64_t(0);
    for (const T& item : items) {
        const uint64_t key = keyOf(item);
        anySet |= key;
        allSet &= key;
    }
    const uint64_t differing = anySet ^ allSet;
    std::array<int, kBytes> sortBytes{};
    int sortCount = 0;
    for (int byte = 0; byte < kBytes; ++byte)
        if ((differing >> (8 * byte)) & 0xFF)
            sortBytes[static_cast<size_t>(sortCount++)] = byte;
    if (sortCount == 0)
        return;

    std::array<std::array<size_t, 256>, kBytes> counts{};
    for (const T& item : items) {
        const uint64_t key = keyOf(item);
        for (int i = 0; i < sortCount; ++i)
            ++counts[static_cast<size_t>(i)][static_cast<size_t>((key >> (8 * sortBytes[static_cast<size_t>(i)])) & 0xFF)];
    }
    std::vector<T> buffer(items.size());
    for (int i = 0; i < sortCount; ++i) {
        std::array<size_t, 256>& starts = counts[static_cast<size_t>(i)];
        size_t total = 0;
        for (size_t& start : starts)
            total += std::exchange(start, total);
        const int shift = 8 * sortBytes[static_cast<size_t>(i)];
        for (const T& item : items)
            buffer[starts[static_cast<size_t>((keyOf(item) >> shift) & 0xFF)]++] = item;
        items.swap(buffer);
    }
}

} // namespace platform
