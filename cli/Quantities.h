#pragma once

#include <QString>

#include <optional>

namespace kavrin::cli {

// A limit as the user wrote it: its value in the base unit (nanoseconds, hertz, percent or a
// count) and the unit it was written in, so that a measured value is shown the same way.
struct Quantity {
    double value = 0;
    QString unit;     // "us", "kHz", "%"; "Hz" or "%" for a plain rate or share; empty for a count
    double scale = 1; // base units per written unit
};

// "500us", "1.5ms", "2s", "100ns"; a unit is required.
std::optional<Quantity> parseDuration(const QString& text);
// "1000", "1000Hz", "2.5kHz".
std::optional<Quantity> parseFrequency(const QString& text);
// "50", "50%", "12.5%".
std::optional<Quantity> parsePercent(const QString& text);
// A whole number of at most 2^32 - 1.
std::optional<Quantity> parseCount(const QString& text);

// `value` (in the base unit) written in the unit of `like`, e.g. "612.250us", "42.10%".
QString formatLike(double value, const Quantity& like);

} // namespace kavrin::cli
