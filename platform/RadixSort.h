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
// byte in which all keys agree. One pass counts every byte's digits, so a
// skipped byte costs nothing and a sorted one one pass of moves.
template <typename T, typename KeyOf>
void StableRadixSort(std::vector<T>& items, KeyOf keyOf)
{
    constexpr int kBytes = 8;
    std::array<std::array<size_t, 256>, kBytes> counts{};
    for (const T& item : items) {
        const uint64_t key = keyOf(item);
        for (int byte = 0; byte < kBytes; ++byte)
            ++counts[static_cast<size_t>(byte)][static_cast<size_t>((key >> (8 * byte)) & 0xFF)];
    }
    std::vector<T> buffer;
    for (int byte = 0; byte < kBytes; ++byte) {
        std::array<size_t, 256>& starts = counts[static_cast<size_t>(byte)];
        if (std::find(starts.begin(), starts.end(), items.size()) != starts.end())
            continue;
        size_t total = 0;
        for (size_t& start : starts)
            total += std::exchange(start, total);
        buffer.resize(items.size());
        const int shift = 8 * byte;
        for (const T& item : items)
            buffer[starts[static_cast<size_t>((keyOf(item) >> shift) & 0xFF)]++] = item;
        items.swap(buffer);
    }
}

} // namespace platform
