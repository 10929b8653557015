#include "target/IniFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>

namespace kavrin {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::optional<uint32_t> parseNumber(std::string_view text) {
    text = trimmed(text);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool IniFile::load(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (!parse(text.str(), error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool IniFile::parse(std::string_view text, std::string& error) {
    entries_.clear();
    sectionOrder_.clear();
    std::string section;
    int lineNumber = 0;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        ++lineNumber;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']') {
                error = "line " + std::to_string(lineNumber) + ": section without \"]\"";
                return false;
            }
            section = std::string(trimmed(line.substr(1, line.size() - 2)));
            const bool known = std::ranges::any_of(sectionOrder_, [&](const std::string& s) {
                return equalsIgnoringCase(s, section);
            });
            if (!known)
                sectionOrder_.push_back(section);
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            error = "line " + std::to_string(lineNumber) + ": expected Key=Value";
            return false;
        }
        entries_.push_back({section, std::string(trimmed(line.substr(0, equals))),
                            std::string(trimmed(line.substr(equals + 1))), lineNumber});
    }
    return true;
}

std::vector<std::string> IniFile::sections() const {
    return sectionOrder_;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    for (const Entry& entry : entries_) {
        if (equalsIgnoringCase(entry.section, section) && equalsIgnoringCase(entry.key, key))
            return entry.value;
    }
    return std::nullopt;
}

} // namespace kavrin
