#include "recorder/SearchRanges.h"

#include <gtest/gtest.h>

using namespace kavrin;

namespace {

std::vector<std::pair<uint32_t, uint32_t>> pairs(std::string_view text) {
    std::vector<std::pair<uint32_t, uint32_t>> result;
    for (const MemoryRange& range : parseSearchRanges(text).ranges)
        result.emplace_back(range.start, range.size);
    return result;
}

} // namespace

TEST(SearchRanges, StartIsHexadecimalSizeIsDecimalUnlessPrefixed) {
    using Pairs = std::vector<std::pair<uint32_t, uint32_t>>;
    EXPECT_EQ(pairs("0x20000000 2048"), (Pairs{{0x20000000, 2048}}));
    EXPECT_EQ(pairs("20000000 0x800"), (Pairs{{0x20000000, 2048}}));
    EXPECT_EQ(pairs(" \t2000 10 ,\r\n0X1000 0XfF "), (Pairs{{0x2000, 10}, {0x1000, 255}}));
    EXPECT_EQ(pairs("abc 0"), (Pairs{{0xabc, 0}})); // kept; the search skips it
    EXPECT_EQ(parseSearchRanges("abc 0").outcome, SearchRangeList::Ranges);
}

TEST(SearchRanges, BlankTextIsEmptyAndBrokenPairsAreMalformed) {
    EXPECT_EQ(parseSearchRanges("").outcome, SearchRangeList::Empty);
    EXPECT_EQ(parseSearchRanges(" \t\r\n").outcome, SearchRangeList::Empty);
    for (const char* broken : {"0x20000000", "0x20000000 ", "xyz 10", "0x 10", "10 0x", "10 20,",
                               "10 20, 30", "10 abc"}) {
        const SearchRangeList list = parseSearchRanges(broken);
        EXPECT_EQ(list.outcome, SearchRangeList::Malformed) << broken;
        EXPECT_TRUE(list.ranges.empty()) << broken;
    }
    // Anything after a complete pair that is not "," ends the list.
    EXPECT_EQ(parseSearchRanges("10 20 junk").outcome, SearchRangeList::Ranges);
}

TEST(SearchRanges, ANinthPairIsDropped) {
    const SearchRangeList list = parseSearchRanges("1 1,2 2,3 3,4 4,5 5,6 6,7 7,8 8,9 9");
    EXPECT_EQ(list.outcome, SearchRangeList::Ranges);
    ASSERT_EQ(list.ranges.size(), MaxSearchRanges);
    EXPECT_EQ(list.ranges.back().start, 8u);
}
