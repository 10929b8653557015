#include "recorder/SearchRanges.h"

#include <optional>

namespace kavrin {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

int digitValue(char c, unsigned base) {
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value >= 0 && unsigned(value) < base ? value : -1;
}

class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}

    void skipBlanks() {
        while (at_ < text_.size() && isBlank(text_[at_]))
            ++at_;
    }
    bool atEnd() const { return at_ >= text_.size(); }
    bool take(char c) {
        if (atEnd() || text_[at_] != c)
            return false;
        ++at_;
        return true;
    }
    bool takeHexPrefix() {
        if (text_.substr(at_, 2) != "0x" && text_.substr(at_, 2) != "0X")
            return false;
        at_ += 2;
        return true;
    }
    // At least one digit; the value keeps its low 32 bits.
    std::optional<uint32_t> digits(unsigned base) {
        uint32_t value = 0;
        const std::size_t first = at_;
        for (int digit; !atEnd() && (digit = digitValue(text_[at_], base)) >= 0; ++at_)
            value = value * base + uint32_t(digit);
        if (at_ == first)
            return std::nullopt;
        return value;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

} // namespace

SearchRangeList parseSearchRanges(std::string_view text) {
    SearchRangeList list;
    Cursor cursor(text);
    cursor.skipBlanks();
    if (cursor.atEnd())
        return list;
    for (;;) {
        cursor.skipBlanks();
        cursor.takeHexPrefix();
        const std::optional<uint32_t> start = cursor.digits(16);
        cursor.skipBlanks();
        const std::optional<uint32_t> size = cursor.digits(cursor.takeHexPrefix() ? 16 : 10);
        if (!start || !size) {
            list.outcome = SearchRangeList::Malformed;
            list.ranges.clear();
            return list;
        }
        if (list.ranges.size() == MaxSearchRanges)
            break;
        list.ranges.push_back({*start, *size});
        cursor.skipBlanks();
        if (!cursor.take(','))
            break;
    }
    list.outcome = SearchRangeList::Ranges;
    return list;
}

} // namespace kavrin
