#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavrin {

// A small INI reader for scenario files: "[Section]" lines, "Key=Value" lines, comments
// starting with ";" or "#". Keys and section names compare ignoring case.
class IniFile {
public:
    struct Entry {
        std::string section;
        std::string key;
        std::string value;
        int line = 0;
    };

    // Reads `path`; false with a reason in `error` when it cannot be read or a line is malformed.
    bool load(const std::string& path, std::string& error);
    bool parse(std::string_view text, std::string& error);

    const std::vector<Entry>& entries() const { return entries_; }
    // Section names in file order, each once.
    std::vector<std::string> sections() const;
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

private:
    std::vector<Entry> entries_;
    std::vector<std::string> sectionOrder_;
};

bool equalsIgnoringCase(std::string_view a, std::string_view b);
// A decimal or 0x-prefixed hexadecimal number that fits 32 bits.
std::optional<uint32_t> parseNumber(std::string_view text);

} // namespace kavrin
