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
// byte in which all keys agree.
template <typename T, typename KeyOf>
void StableRadixSort(std::vector<T>& items, KeyOf keyOf)
{
    std::vector<T> buffer(items.size());
    for (int shift = 0; shift < 64; shift += 8) {
        const auto digit = [&](const T& item) { return static_cast<size_t>((keyOf(item) >> shift) & 0xFF); };
        std::array<size_t, 256> starts{};
        for (const T& item : items)
            ++starts[digit(item)];
        if (std::find(starts.begin(), starts.end(), items.size()) != starts.end())
            continue;
        size_t total = 0;
        for (size_t& start : starts)
            total += std::exchange(start, total);
        for (const T& item : items)
            buffer[starts[digit(item)]++] = item;
        items.swap(buffer);
    }
}

} // namespace platform
