#include "cli/Quantities.h"

#include <array>
#include <cmath>

namespace kavrin::cli {

namespace {

struct Unit {
    const char* name;
    double scale;
};

// A non-negative decimal number followed by one of `units` (or none, when `bare` is given).
template <size_t N>
std::optional<Quantity> parse(const QString& text, const std::array<Unit, N>& units,
                              std::optional<Unit> bare) {
    const QString trimmed = text.trimmed();
    qsizetype digits = 0;
    while (digits < trimmed.size() && (trimmed[digits].isDigit() || trimmed[digits] == u'.'))
        ++digits;
    bool ok = false;
    const double number = trimmed.left(digits).toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    const QString unit = trimmed.mid(digits).trimmed();
    if (unit.isEmpty()) {
        if (!bare)
            return std::nullopt;
        return Quantity{number * bare->scale, QLatin1String(bare->name), bare->scale};
    }
    for (const Unit& known : units)
        if (unit.compare(QLatin1String(known.name), Qt::CaseInsensitive) == 0)
            return Quantity{number * known.scale, QLatin1String(known.name), known.scale};
    return std::nullopt;
}

// Down to a nanosecond, or a hundredth of a hertz or a percent, whatever the unit.
int decimalsOf(const Quantity& like) {
    if (like.unit.isEmpty())
        return 0;
    const int finest = like.unit.endsWith(u's') ? 0 : 2;
    return finest + int(std::lround(std::log10(like.scale)));
}

} // namespace

std::optional<Quantity> parseDuration(const QString& text) {
    static constexpr std::array<Unit, 4> units{{{"ns", 1}, {"us", 1e3}, {"ms", 1e6}, {"s", 1e9}}};
    return parse(text, units, std::nullopt);
}

std::optional<Quantity> parseFrequency(const QString& text) {
    static constexpr std::array<Unit, 2> units{{{"Hz", 1}, {"kHz", 1e3}}};
    return parse(text, units, Unit{"Hz", 1});
}

std::optional<Quantity> parsePercent(const QString& text) {
    static constexpr std::array<Unit, 1> units{{{"%", 1}}};
    return parse(text, units, Unit{"%", 1});
}

std::optional<Quantity> parseCount(const QString& text) {
    bool ok = false;
    const qulonglong count = text.toULongLong(&ok, 10);
    if (!ok || count > 0xFFFF'FFFFull || text.startsWith(u'+'))
        return std::nullopt;
    return Quantity{double(count), QString(), 1};
}

QString formatLike(double value, const Quantity& like) {
    return QString::number(value / like.scale, 'f', decimalsOf(like)) + like.unit;
}

} // namespace kavrin::cli
