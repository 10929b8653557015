#include "target/gdb/GdbPackets.h"

#include <algorithm>

namespace kavrin::gdb {

namespace {
constexpr char Escape = '}';
constexpr char Repeat = '*';
constexpr uint8_t EscapeBit = 0x20;
constexpr int RepeatBias = 29;
constexpr char Digits[] = "0123456789abcdef";

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool needsEscape(char c) {
    return c == '$' || c == '#' || c == Escape || c == Repeat;
}
} // namespace

uint8_t checksum(std::string_view body) {
    uint8_t sum = 0;
    for (char c : body)
        sum = uint8_t(sum + uint8_t(c));
    return sum;
}

std::string frame(std::string_view payload) {
    std::string body;
    body.reserve(payload.size() + 4);
    for (char c : payload) {
        if (needsEscape(c)) {
            body.push_back(Escape);
            body.push_back(char(uint8_t(c) ^ EscapeBit));
        } else {
            body.push_back(c);
        }
    }
    const uint8_t sum = checksum(body);
    return '$' + body + '#' + Digits[sum >> 4] + Digits[sum & 15];
}

std::optional<std::string> decodeBody(std::string_view body) {
    std::string payload;
    payload.reserve(body.size());
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == Escape) {
            if (++i == body.size())
                return std::nullopt;
            payload.push_back(char(uint8_t(body[i]) ^ EscapeBit));
        } else if (c == Repeat) {
            if (++i == body.size() || payload.empty() || uint8_t(body[i]) < RepeatBias)
                return std::nullopt;
            payload.append(size_t(uint8_t(body[i]) - RepeatBias), payload.back());
        } else {
            payload.push_back(c);
        }
    }
    return payload;
}

std::string toHex(std::span<const uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        text.push_back(Digits[byte >> 4]);
        text.push_back(Digits[byte & 15]);
    }
    return text;
}

std::string hexNumber(uint32_t value) {
    std::string text;
    do {
        text.insert(text.begin(), Digits[value & 15]);
        value >>= 4;
    } while (value != 0);
    return text;
}

std::optional<size_t> fromHex(std::string_view text, std::span<uint8_t> out) {
    if (text.size() % 2 != 0 || text.size() / 2 > out.size())
        return std::nullopt;
    for (size_t i = 0; i < text.size() / 2; ++i) {
        const int high = hexDigit(text[2 * i]);
        const int low = hexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out[i] = uint8_t(high << 4 | low);
    }
    return text.size() / 2;
}

std::optional<uint32_t> parseHexNumber(std::string_view text) {
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | uint32_t(digit);
    }
    return value;
}

bool isStopReply(std::string_view payload) {
    return !payload.empty() &&
           (payload[0] == 'T' || payload[0] == 'S' || payload[0] == 'W' || payload[0] == 'X');
}

bool isErrorReply(std::string_view payload) {
    return payload.size() == 3 && payload[0] == 'E' && hexDigit(payload[1]) >= 0 &&
           hexDigit(payload[2]) >= 0;
}

bool isConsoleOutput(std::string_view payload) {
    return payload.size() > 1 && payload[0] == 'O' && payload != "OK";
}

std::optional<uint32_t> packetSize(std::string_view supported) {
    constexpr std::string_view Key = "PacketSize=";
    size_t at = 0;
    while (at < supported.size()) {
        const size_t end = std::min(supported.find(';', at), supported.size());
        const std::string_view feature = supported.substr(at, end - at);
        if (feature.starts_with(Key))
            return parseHexNumber(feature.substr(Key.size()));
        at = end + 1;
    }
    return std::nullopt;
}

} // namespace kavrin::gdb
