#include "store/ovSpanIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {
std::vector<int> bruteForce(const std::vector<double>& starts, const std::vector<double>& ends, double lo,
                            double hi) {
    std::vector<int> out;
    for (int i = static_cast<int>(starts.size()) - 1; i >= 0; --i)
        if (starts[i] <= hi && ends[i] >= lo)
            out.push_back(i);
    return out;
}
} // namespace

TEST(ovSpanIndex, FindsEverySpanReachingIntoTheRangeFromTheLastToTheFirst) {
    std::mt19937 random(3);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (const int n : {0, 1, 2, 7, 64, 65, 1000}) {
        std::vector<double> starts(n), ends(n);
        for (int i = 0; i < n; ++i)
            starts[i] = unit(random) * 100;
        std::sort(starts.begin(), starts.end());
        for (int i = 0; i < n; ++i)
            ends[i] = starts[i] + (i % 17 == 0 ? 50 : unit(random) * 2);
        ovSpanIndex index;
        index.build(starts, ends);
        std::vector<int> found;
        for (int q = 0; q < 100; ++q) {
            const double lo = unit(random) * 110 - 5, hi = lo + unit(random) * 3;
            index.findOverlapping(lo, hi, found);
            EXPECT_EQ(found, bruteForce(starts, ends, lo, hi)) << n << " spans, " << lo << ".." << hi;
        }
        // Edges count.
        if (n > 0) {
            index.findOverlapping(ends[0], ends[0], found);
            EXPECT_NE(std::find(found.begin(), found.end(), 0), found.end());
        }
    }
}

TEST(ovSpanIndex, UnsortedStartsStillGiveTheRightAnswer) {
    const std::vector<double> starts = {5, 1, 3}, ends = {6, 10, 3.5};
    ovSpanIndex index;
    index.build(starts, ends);
    std::vector<int> found;
    index.findOverlapping(3.2, 5.5, found);
    EXPECT_EQ(found, (std::vector<int>{2, 1, 0}));
}
