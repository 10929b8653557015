#include "views/LargePageAllocator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>

namespace kavrin {
namespace {

// Growing across the large-page size moves the elements from heap memory into a large-page
// block and back when the array is copied small again; each block goes back to its source.
TEST(LargePageAllocatorTest, ArraysKeepTheirElementsAcrossTheLargePageSize) {
    const size_t large = LargePageSize / sizeof(uint64_t) + 1000;
    LargePageVector<uint64_t> times;
    for (uint64_t i = 0; i < large; ++i)
        times.push_back(i * 3);
    ASSERT_GE(times.capacity() * sizeof(uint64_t), LargePageSize);
    EXPECT_EQ(times.front(), 0u);
    EXPECT_EQ(times.back(), (large - 1) * 3);
    EXPECT_EQ(std::accumulate(times.begin(), times.end(), uint64_t(0)),
              3 * (large - 1) * large / 2);

    times.resize(10);
    times.shrink_to_fit();
    EXPECT_LT(times.capacity() * sizeof(uint64_t), LargePageSize);
    EXPECT_EQ(times[9], 27u);
    LargePageVector<uint64_t> copy(large, 7);
    copy.swap(times);
    EXPECT_EQ(times.size(), large);
    EXPECT_EQ(copy.size(), 10u);
}

} // namespace
} // namespace kavrin
