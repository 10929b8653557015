#pragma once

#include <QString>

#include <cstdint>
#include <string>

namespace kavrin {

// Lower-case hexadecimal without leading zeros (printf "%x").
inline QString hexText(uint32_t value) {
    return QString::number(value, 16);
}

// "0x" and eight lower-case hexadecimal digits (printf "0x%08x").
inline QString prefixedHex8(uint32_t value) {
    return QStringLiteral("0x") + hexText(value).rightJustified(8, u'0');
}

// Texts of the stream and of the engine's tables are Latin-1 bytes.
inline QString latin1Text(const std::string& text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

} // namespace kavrin
