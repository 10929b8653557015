#include "target/RecordingHeader.h"

#include <array>
#include <cstdio>

namespace kavrin {

namespace {
constexpr std::string_view Version = "Norvan Kavrin V2.37a";
constexpr std::array<const char*, 12> Months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Each label is 13 characters, so every value starts at column 15.
void line(std::string& out, std::string_view label, std::string_view value) {
    char padded[16];
    std::snprintf(padded, sizeof padded, " %-12.*s", int(label.size()), label.data());
    out += ';';
    out += padded;
    out += value;
    out += '\n';
}

// A line break inside a one-line value would end the header early.
std::string singleLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}
} // namespace

std::string utf8ToLatin1(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        size_t length = 1;
        uint32_t code = lead;
        if (lead >= 0xF0)
            length = 4;
        else if (lead >= 0xE0)
            length = 3;
        else if (lead >= 0xC0)
            length = 2;
        if (length > 1) {
            code = lead & (0x7F >> length);
            for (size_t k = 1; k < length; ++k) {
                const auto next = i + k < utf8.size() ? static_cast<unsigned char>(utf8[i + k]) : 0;
                if ((next & 0xC0) != 0x80) {
                    length = k;
                    code = 0x100; // broken sequence
                    break;
                }
                code = (code << 6) | (next & 0x3F);
            }
        } else if (lead >= 0x80) {
            code = 0x100; // a stray continuation byte
        }
        out += code <= 0xFF ? char(code) : '?';
        i += length;
    }
    return out;
}

std::string recordTimeText(int year, int month, int day, int hour, int minute, int second) {
    const char* name = month >= 1 && month <= 12 ? Months[size_t(month - 1)] : "???";
    char text[32];
    std::snprintf(text, sizeof text, "%02d %s %04d %02d:%02d:%02d", day, name, year, hour, minute,
                  second);
    return text;
}

std::string recordingHeader(const RecordingHeaderFields& fields) {
    std::string description;
    for (char c : fields.description) {
        if (c == '\n')
            description += "\\n";
        else if (c != '\r')
            description += c;
    }
    std::string out = ";\n";
    line(out, "Version", Version);
    line(out, "RecordTime", fields.recordTime);
    line(out, "Author", singleLine(utf8ToLatin1(fields.author)));
    line(out, "Title", singleLine(utf8ToLatin1(fields.title)));
    line(out, "Description", utf8ToLatin1(description));
    out += ";\n";
    return out;
}

} // namespace kavrin
