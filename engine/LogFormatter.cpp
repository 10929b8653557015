#include "engine/LogFormatter.h"

#include "engine/PayloadReader.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace kavrin {
namespace {

// Writes into a fixed buffer, always leaving room for the terminating zero.
class BoundedOutput {
public:
    BoundedOutput(char* buffer, uint32_t capacity) : buffer_(buffer), capacity_(capacity) {}

    bool put(char c) {
        if (length_ + 1 >= capacity_)
            return false;
        buffer_[length_++] = c;
        return true;
    }
    bool repeat(char c, int count) {
        for (int i = 0; i < count; ++i)
            if (!put(c))
                return false;
        return true;
    }
    uint32_t finish() {
        buffer_[length_] = '\0';
        return length_;
    }

private:
    char* buffer_;
    uint32_t capacity_;
    uint32_t length_ = 0;
};

struct Conversion {
    bool leftJustify = false;
    bool zeroPad = false;
    bool plus = false;
    int width = 0;
    int precision = -1;
};

// One number: sign, digits at least `precision` long, padded to the width.
bool writeNumber(BoundedOutput& out, const Conversion& conv, uint32_t magnitude, bool negative,
                 unsigned base, int minDigits) {
    static constexpr char digitChars[] = "0123456789ABCDEF";
    char digits[16];
    int count = 0;
    do {
        digits[count++] = digitChars[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);
    const int precision = std::max(conv.precision, minDigits);
    const int zeros = std::max(0, precision - count);
    const char sign = negative ? '-' : (conv.plus ? '+' : '\0');
    const int bodyLength = zeros + count + (sign ? 1 : 0);
    const int padding = std::max(0, conv.width - bodyLength);
    const bool padWithZeros = conv.zeroPad && !conv.leftJustify && conv.precision < 0;

    if (!conv.leftJustify && !padWithZeros && !out.repeat(' ', padding))
        return false;
    if (sign && !out.put(sign))
        return false;
    if (padWithZeros && !out.repeat('0', padding))
        return false;
    if (!out.repeat('0', zeros))
        return false;
    for (int i = count - 1; i >= 0; --i)
        if (!out.put(digits[i]))
            return false;
    return !conv.leftJustify || out.repeat(' ', padding);
}

bool writeChar(BoundedOutput& out, const Conversion& conv, char c) {
    const int padding = std::max(0, conv.width - 1);
    if (!conv.leftJustify && !out.repeat(conv.zeroPad ? '0' : ' ', padding))
        return false;
    if (!out.put(c))
        return false;
    return !conv.leftJustify || out.repeat(' ', padding);
}

void formatArguments(BoundedOutput& out, const std::string& format, PayloadReader& reader,
                     uint32_t argumentCount) {
    uint32_t argumentsTaken = 0;
    auto nextArgument = [&]() -> uint32_t {
        // Arguments beyond the stated count read as 0.
        return argumentsTaken++ < argumentCount ? reader.readVarint(0) : 0;
    };
    const size_t end = format.size();
    for (size_t i = 0; i < end;) {
        const char c = format[i++];
        if (c != '%') {
            if (!out.put(c))
                return;
            continue;
        }
        Conversion conv;
        for (; i < end; ++i) {
            const char flag = format[i];
            if (flag == '-')
                conv.leftJustify = true;
            else if (flag == '0')
                conv.zeroPad = true;
            else if (flag == '+')
                conv.plus = true;
            else if (flag != '#')
                break;
        }
        for (; i < end && format[i] >= '0' && format[i] <= '9'; ++i)
            conv.width = std::min(conv.width * 10 + (format[i] - '0'), 4096);
        if (i < end && format[i] == '.') {
            conv.precision = 0;
            for (++i; i < end && format[i] >= '0' && format[i] <= '9'; ++i)
                conv.precision = std::min(conv.precision * 10 + (format[i] - '0'), 4096);
        }
        while (i < end && (format[i] == 'l' || format[i] == 'h'))
            ++i;
        if (i >= end)
            return; // the format ends inside a conversion
        bool written = true;
        switch (format[i++]) {
        case 'd': {
            const auto value = int32_t(nextArgument());
            const uint32_t magnitude = value < 0 ? 0u - uint32_t(value) : uint32_t(value);
            written = writeNumber(out, conv, magnitude, value < 0, 10, 1);
            break;
        }
        case 'u':
            conv.plus = false;
            written = writeNumber(out, conv, nextArgument(), false, 10, 1);
            break;
        case 'x':
        case 'X':
            conv.plus = false;
            written = writeNumber(out, conv, nextArgument(), false, 16, 1);
            break;
        case 'p':
            conv.plus = false;
            written = writeNumber(out, conv, nextArgument(), false, 16, 8);
            break;
        case 'c':
            written = writeChar(out, conv, char(nextArgument() & 0xFF));
            break;
        case '%':
            written = out.put('%');
            break;
        default:
            break; // unknown conversions print nothing and take no argument
        }
        if (!written)
            return;
    }
}

} // namespace

uint32_t logOutputOptionsRead(const uint8_t* block, uint32_t size) {
    uint32_t at = 0;
    const auto next = [&] { return at < size ? uint32_t(block[at++]) : 0u; };
    uint32_t length = next();
    if (length == 0xFF) { // a 16-bit length follows, high byte first
        const uint32_t high = next();
        length = (high << 8) | next();
    }
    at = uint32_t(std::min<uint64_t>(size, uint64_t(at) + length)); // past the format string
    PayloadReader reader(block + at, size - at);
    return reader.readVarint(0);
}

FormattedLog formatLogOutput(const uint8_t* block, uint32_t size) {
    PayloadReader reader(block, size);
    const std::string format = reader.readString();
    FormattedLog result;
    result.options = reader.readVarint(0);
    const uint32_t argumentCount = reader.readVarint(0);

    const uint32_t capacity = std::max<uint32_t>(size, 512);
    result.text = static_cast<char*>(std::malloc(capacity));
    if (!result.text)
        return result;
    BoundedOutput out(result.text, capacity);
    const int indent = int((result.options >> 8) & 0xFF);
    if (out.repeat(' ', 2 * indent)) {
        if (argumentCount == 0) {
            for (char c : format)
                if (!out.put(c))
                    break;
        } else {
            formatArguments(out, format, reader, argumentCount);
        }
    }
    result.length = out.finish();
    return result;
}

} // namespace kavrin
