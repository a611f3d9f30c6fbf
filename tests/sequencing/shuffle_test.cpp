// The shuffled play order: the fast order must make exactly the picks of the
// plain procedure, and the picks must be uniform.
#include "shared/Shuffle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <map>
#include <numeric>
#include <random>

namespace {

// A draw source that replays the given values.
std::function<double()> Replay(std::deque<double> values)
{
    return [values = std::move(values)]() mutable {
        const double u = values.front();
        values.pop_front();
        return u;
    };
}

std::function<double()> Seeded(unsigned seed)
{
    auto generator = std::make_shared<std::mt19937_64>(seed);
    return [generator] { return std::uniform_real_distribution<double>(0.0, 1.0)(*generator); };
}

bool IsPermutationOf1ToN(std::vector<int> order, int n)
{
    std::sort(order.begin(), order.end());
    std::vector<int> expected(static_cast<size_t>(n));
    std::iota(expected.begin(), expected.end(), 1);
    return order == expected;
}

} // namespace

TEST(Shuffle, EachDrawPicksTheRthFreePositionInAscendingOrder)
{
    // r = floor(u x remaining) + 1 among the free positions.
    EXPECT_EQ(ShuffledPositions(3, Replay({0.0, 0.0, 0.0})), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(ShuffledPositions(3, Replay({0.99, 0.99, 0.99})), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(ShuffledPositions(3, Replay({0.5, 0.5, 0.0})), (std::vector<int>{2, 3, 1}));
    EXPECT_EQ(ShuffledPositions(5, Replay({0.2, 0.2, 0.9, 0.0, 0.0})),
              (std::vector<int>{2, 1, 5, 3, 4}));
    EXPECT_EQ(ShuffledPositionsReference(5, Replay({0.2, 0.2, 0.9, 0.0, 0.0})),
              (std::vector<int>{2, 1, 5, 3, 4}));
}

TEST(Shuffle, FastOrderEqualsThePlainProcedureForTheSameDraws)
{
    for (int n : {1, 2, 7, 63, 64, 65, 1000, 4099}) {
        const auto fast = ShuffledPositions(n, Seeded(1234u + static_cast<unsigned>(n)));
        const auto plain = ShuffledPositionsReference(n, Seeded(1234u + static_cast<unsigned>(n)));
        EXPECT_EQ(fast, plain) << "n = " << n;
        EXPECT_TRUE(IsPermutationOf1ToN(fast, n)) << "n = " << n;
    }
}

TEST(Shuffle, DrawsOutsideTheUnitIntervalStillPickAFreePosition)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::deque<double> draws{1.0, -0.5, nan, 7.0, std::nextafter(1.0, 0.0)};
    const auto fast = ShuffledPositions(5, Replay(draws));
    EXPECT_EQ(fast, (std::vector<int>{5, 1, 2, 4, 3}));
    EXPECT_EQ(ShuffledPositionsReference(5, Replay(draws)), fast);
}

TEST(Shuffle, NothingToShuffleCallsNoDraw)
{
    int calls = 0;
    const auto count = [&calls] { ++calls; return 0.5; };
    EXPECT_TRUE(ShuffledPositions(0, count).empty());
    EXPECT_TRUE(ShuffledPositions(-3, count).empty());
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(ShuffledPositions(4, count).size(), 4u);
    EXPECT_EQ(calls, 4);
}

namespace {

// Pearson's statistic of how often each order of three items came up.
double ChiSquareOfThreeItemOrders(const std::function<double()>& draw, int runs)
{
    std::map<std::vector<int>, int> seen;
    for (int i = 0; i < runs; ++i)
        ++seen[ShuffledPositions(3, draw)];
    const double expected = runs / 6.0;
    double statistic = 0.0;
    int orders = 0;
    std::vector<int> order{1, 2, 3};
    do {
        const double observed = seen.count(order) ? seen[order] : 0;
        statistic += (observed - expected) * (observed - expected) / expected;
        ++orders;
    } while (std::next_permutation(order.begin(), order.end()));
    EXPECT_EQ(orders, 6);
    return statistic;
}

} // namespace

TEST(Shuffle, AllSixOrdersOfThreeItemsComeUpAboutEquallyOften)
{
    // With five degrees of freedom a fair shuffle exceeds 35 with a
    // probability below one in a million.
    EXPECT_LT(ChiSquareOfThreeItemOrders(Seeded(20240607u), 60000), 35.0);
    // The same bound rejects a draw source that favours low ranks.
    auto skewed = Seeded(7u);
    EXPECT_GT(ChiSquareOfThreeItemOrders([skewed] { const double u = skewed(); return u * u; }, 60000),
              35.0);
}

TEST(Shuffle, ProgramDrawIsInTheUnitIntervalAndVaries)
{
    double low = 1.0;
    double high = 0.0;
    for (int i = 0; i < 1000; ++i) {
        const double u = ProgramUniformDraw();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        low = std::min(low, u);
        high = std::max(high, u);
    }
    EXPECT_LT(low, 0.1);
    EXPECT_GT(high, 0.9);
    EXPECT_NE(ShuffledPositions(20, ProgramUniformDraw), ShuffledPositions(20, ProgramUniformDraw));
}
