#include "shared/Shuffle.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <random>

namespace {

// r = floor(u x remaining) + 1, held to 1..remaining. A u of exactly 1, a
// negative one or a NaN from an injected source must not pick a position
// that does not exist; and u x remaining can round up to remaining for u just
// below 1.
int PickRank(double u, int remaining)
{
    const double scaled = std::floor(u * remaining);
    if (!(scaled >= 0.0))
        return 1;
    if (scaled >= remaining)
        return remaining;
    return static_cast<int>(scaled) + 1;
}

// The number of set bits, computed inline: without a CPU-specific build flag
// the library's count is a call into the runtime.
constexpr int BitCount(std::uint64_t x)
{
    x -= (x >> 1) & 0x5555555555555555u;
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0fu;
    return static_cast<int>((x * 0x0101010101010101u) >> 56);
}

// For every byte value and rank k (0..7), the bit index of the byte's k-th
// set bit (0-based); 8 where the byte has no such bit.
constexpr std::array<std::array<std::uint8_t, 8>, 256> kSelectInByte = [] {
    std::array<std::array<std::uint8_t, 8>, 256> table{};
    for (int value = 0; value < 256; ++value) {
        int k = 0;
        for (auto& entry : table[static_cast<size_t>(value)])
            entry = 8;
        for (int bit = 0; bit < 8; ++bit)
            if (value & (1 << bit))
                table[static_cast<size_t>(value)][static_cast<size_t>(k++)] = static_cast<std::uint8_t>(bit);
    }
    return table;
}();

// The bit index (0-based) of the r-th set bit of x, 1 <= r <= set bits of x.
// The byte holding it is found from the running byte counts, all eight
// compared with r at once; a table finishes inside that byte. This avoids a
// chain of dependent halving steps, each waiting for a bit count.
int SelectInWord(std::uint64_t x, int r)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    std::uint64_t counts = x - ((x >> 1) & 0x5555555555555555u);
    counts = (counts & 0x3333333333333333u) + ((counts >> 2) & 0x3333333333333333u);
    counts = (counts + (counts >> 4)) & 0x0f0f0f0f0f0f0f0fu;
    // Byte i holds the number of set bits in bytes 0..i (at most 64).
    const std::uint64_t running = counts * kOnes;
    const auto k = static_cast<std::uint64_t>(r - 1);
    // High bit of byte i set where the running count up to byte i is <= k:
    // those bytes all lie below the one holding the bit.
    const std::uint64_t below = (((k * kOnes) | kHighs) - running) & kHighs;
    const int shift = static_cast<int>((((below >> 7) * kOnes) >> 56) * 8);
    const std::uint64_t before = ((running << 8) >> shift) & 0xff;
    const auto byte = static_cast<size_t>((x >> shift) & 0xff);
    return shift + kSelectInByte[byte][static_cast<size_t>(k - before)];
}

// The free flags of positions 1..n, 64 to a word, with a Fenwick (binary
// indexed) tree over the words' free counts. Finding the r-th free position
// walks the tree down to the right word, then halves that word six times. The
// tree spans a power of two of words, the words past the end holding no free
// flag, so the walk needs no bounds test. Keeping the tree over words rather
// than single positions makes it small enough to stay in the first-level
// cache, which matters because each step of the walk waits for the previous
// one's load.
class FreeFlags {
public:
    explicit FreeFlags(int n)
    {
        const int words = (n + 63) / 64;
        while (size_ < words)
            size_ *= 2;
        words_.assign(static_cast<size_t>(size_), 0);
        for (int w = 0; w < words; ++w) {
            const int inWord = std::min(64, n - 64 * w);
            words_[static_cast<size_t>(w)] = inWord == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << inWord) - 1;
        }
        // Node i covers the words (i - lowbit(i), i] (1-based).
        tree_.assign(static_cast<size_t>(size_) + 1, 0);
        for (int i = 1; i <= size_; ++i) {
            tree_[static_cast<size_t>(i)] += BitCount(words_[static_cast<size_t>(i) - 1]);
            const int parent = i + (i & -i);
            if (parent <= size_)
                tree_[static_cast<size_t>(parent)] += tree_[static_cast<size_t>(i)];
        }
    }

    // The r-th free position (1 <= r <= free count). Both searches step over
    // whole ranges whose free count is still below r; the steps are written
    // without branches because their direction is random and a mispredicted
    // branch per step would cost more than the rest of the search.
    int FindRank(int r) const
    {
        int word = 0;
        for (int step = size_; step > 0; step /= 2) {
            const int count = tree_[static_cast<size_t>(word + step)];
            const int over = -static_cast<int>(count < r); // all ones or zero
            word += step & over;
            r -= count & over;
        }
        return 64 * word + SelectInWord(words_[static_cast<size_t>(word)], r) + 1;
    }

    void MarkUsed(int position)
    {
        const int word = (position - 1) / 64;
        words_[static_cast<size_t>(word)] &= ~(std::uint64_t{1} << ((position - 1) % 64));
        for (int i = word + 1; i <= size_; i += i & -i)
            --tree_[static_cast<size_t>(i)];
    }

private:
    std::vector<std::uint64_t> words_;
    std::vector<int> tree_;
    int size_ = 1;
};

} // namespace

std::vector<int> ShuffledPositions(int n, const std::function<double()>& uniform)
{
    std::vector<int> order;
    if (n <= 0)
        return order;
    order.reserve(static_cast<size_t>(n));
    FreeFlags counts(n);
    for (int remaining = n; remaining > 0; --remaining) {
        const int position = counts.FindRank(PickRank(uniform(), remaining));
        counts.MarkUsed(position);
        order.push_back(position);
    }
    return order;
}

std::vector<int> ShuffledPositionsReference(int n, const std::function<double()>& uniform)
{
    std::vector<int> order;
    if (n <= 0)
        return order;
    order.reserve(static_cast<size_t>(n));
    std::vector<unsigned char> used(static_cast<size_t>(n) + 1, 0);
    for (int remaining = n; remaining > 0; --remaining) {
        const int r = PickRank(uniform(), remaining);
        int clear = 0;
        for (int p = 1; p <= n; ++p) {
            if (used[static_cast<size_t>(p)])
                continue;
            if (++clear == r) {
                used[static_cast<size_t>(p)] = 1;
                order.push_back(p);
                break;
            }
        }
    }
    return order;
}

double ProgramUniformDraw()
{
    static std::mt19937_64 generator = [] {
        const auto now = static_cast<std::uint64_t>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count());
        std::uint32_t entropy[4] = {};
        // A system without a usable random device still gets a clock seed.
        try {
            std::random_device device;
            for (auto& word : entropy)
                word = device();
        } catch (...) {
        }
        std::seed_seq seed{entropy[0], entropy[1], entropy[2], entropy[3],
                           static_cast<std::uint32_t>(now), static_cast<std::uint32_t>(now >> 32)};
        return std::mt19937_64(seed);
    }();
    // 53 random bits give every double of the form k / 2^53, uniform in [0, 1).
    return static_cast<double>(generator() >> 11) * 0x1.0p-53;
}
