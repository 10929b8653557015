#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kavrin::gdb {

// The framing of the GDB remote serial protocol: "$" payload "#" two hexadecimal digits of
// the payload's byte sum. Inside a payload "}" escapes the next byte (XOR 0x20), and "*"
// followed by a printable count c repeats the previous byte c - 29 times.

uint8_t checksum(std::string_view body);
// A packet as sent: payload bytes that would end or confuse the framing are escaped.
std::string frame(std::string_view payload);
// The payload of a received body (between "$" and "#"): none when an escape or a repeat
// count is cut off, or a repeat has nothing to repeat.
std::optional<std::string> decodeBody(std::string_view body);

std::string toHex(std::span<const uint8_t> bytes);
std::string hexNumber(uint32_t value);
// Pairs of hexadecimal digits into `out`: the number of bytes, none on a stray character.
std::optional<size_t> fromHex(std::string_view text, std::span<uint8_t> out);
std::optional<uint32_t> parseHexNumber(std::string_view text);

// "T..", "S..": the target stopped; "W..", "X..": it ended.
bool isStopReply(std::string_view payload);
// "E" and two hexadecimal digits.
bool isErrorReply(std::string_view payload);
// Console output sent while the target runs ("O" and hex text), not "OK".
bool isConsoleOutput(std::string_view payload);
// PacketSize from a qSupported reply.
std::optional<uint32_t> packetSize(std::string_view supported);

} // namespace kavrin::gdb
