#include "engine/LogFormatter.h"
#include "target/StreamWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace kavrin {
namespace {

// The Log Output block as the target sends it.
std::vector<uint8_t> block(const std::string& format, uint32_t options, std::vector<uint32_t> args,
                           int argumentCount = -1) {
    StreamWriter writer;
    writer.string(format);
    writer.varint(options);
    writer.varint(argumentCount < 0 ? uint32_t(args.size()) : uint32_t(argumentCount));
    for (uint32_t arg : args)
        writer.varint(arg);
    return writer.bytes();
}

std::string format(const std::string& text, std::vector<uint32_t> args, uint32_t options = 0,
                   int argumentCount = -1) {
    const auto bytes = block(text, options, args, argumentCount);
    FormattedLog log = formatLogOutput(bytes.data(), uint32_t(bytes.size()));
    std::string result(log.text, log.length);
    std::free(log.text);
    return result;
}

TEST(LogFormatterTest, Conversions) {
    EXPECT_EQ(format("v=%d", {uint32_t(-42)}), "v=-42");
    EXPECT_EQ(format("%u %x %X", {4000000000u, 255, 255}), "4000000000 FF FF");
    EXPECT_EQ(format("%p", {0xBEEF}), "0000BEEF");
    EXPECT_EQ(format("[%c]", {0x141}), "[A]");
    EXPECT_EQ(format("100%% %d", {1}), "100% 1");
    EXPECT_EQ(format("%q%d", {5}), "5"); // unknown letter: nothing, no argument taken
    EXPECT_EQ(format("%ld %hhu", {1, 2}), "1 2");
}

TEST(LogFormatterTest, FlagsWidthAndPrecision) {
    EXPECT_EQ(format("[%5d]", {42}), "[   42]");
    EXPECT_EQ(format("[%-5d]", {42}), "[42   ]");
    EXPECT_EQ(format("[%05d]", {uint32_t(-42)}), "[-0042]");
    EXPECT_EQ(format("[%+d]", {7}), "[+7]");
    EXPECT_EQ(format("[%.4x]", {0xA}), "[000A]");
    EXPECT_EQ(format("[%08.3d]", {5}), "[     005]"); // zero flag ignored with a precision
    EXPECT_EQ(format("[%.0d]", {0}), "[0]");          // digits are always written
    EXPECT_EQ(format("[%3c]", {'z'}), "[  z]");
    EXPECT_EQ(format("[%5%]", {1}), "[%]");
    EXPECT_EQ(format("[%#x]", {16}), "[10]");
}

TEST(LogFormatterTest, ArgumentsIndentAndTruncation) {
    EXPECT_EQ(format("%d %d %d", {1, 2}, 0, 2), "1 2 0"); // missing arguments read as 0
    EXPECT_EQ(format("100% sure", {}), "100% sure");      // no arguments: copied as it stands
    EXPECT_EQ(format("x", {}, 2u << 8), "    x");
    EXPECT_EQ(format("ends in %-0", {1}), "ends in ");
    // Bounded by max(block length, 512) bytes including the NUL.
    EXPECT_EQ(format("%300d%300d", {1, 2}).size(), 511u);
    EXPECT_EQ(format(std::string(600, 'a'), {}).size(), 600u);
    FormattedLog empty = formatLogOutput(nullptr, 0);
    EXPECT_EQ(empty.length, 0u);
    EXPECT_EQ(empty.options, 0u);
    std::free(empty.text);
}

} // namespace
} // namespace kavrin
