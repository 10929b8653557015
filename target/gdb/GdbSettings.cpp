#include "target/gdb/GdbSettings.h"

#include "target/IniFile.h"

#include <cstdlib>

namespace kavrin::gdb {

namespace {

constexpr uint32_t MaxMillis = 600'000;

bool readMillis(const char* variable, std::chrono::milliseconds& field, uint32_t least,
                std::string& error) {
    const char* text = std::getenv(variable);
    if (!text || !*text)
        return true;
    const auto value = parseNumber(text);
    if (!value || *value < least || *value > MaxMillis) {
        error = std::string(variable) + ": \"" + text + "\" is not a number of milliseconds from " +
                std::to_string(least) + " to " + std::to_string(MaxMillis);
        return false;
    }
    field = std::chrono::milliseconds(*value);
    return true;
}

bool readAccess(GdbSettings::Access& access, std::string& error) {
    const char* text = std::getenv("KAVRIN_GDB_ACCESS");
    if (!text || !*text)
        return true;
    if (equalsIgnoringCase(text, "detect"))
        access = GdbSettings::Access::Detect;
    else if (equalsIgnoringCase(text, "halt"))
        access = GdbSettings::Access::Halt;
    else if (equalsIgnoringCase(text, "live"))
        access = GdbSettings::Access::Live;
    else {
        error = std::string("KAVRIN_GDB_ACCESS: \"") + text + "\" is none of detect, halt, live";
        return false;
    }
    return true;
}

std::optional<uint16_t> parsePort(std::string_view text) {
    const auto port = parseNumber(text);
    if (text.empty() || text.starts_with("0x") || !port || *port == 0 || *port > 0xFFFF)
        return std::nullopt;
    return uint16_t(*port);
}

} // namespace

bool gdbSettingsFromEnvironment(GdbSettings& out, std::string& error) {
    GdbSettings settings;
    if (!readAccess(settings.access, error) ||
        !readMillis("KAVRIN_GDB_POLL_MS", settings.pollPeriod, 0, error) ||
        !readMillis("KAVRIN_GDB_TIMEOUT_MS", settings.timeout, 1, error))
        return false;
    out = settings;
    return true;
}

std::optional<ServerAddress> parseServerAddress(std::string_view text, uint16_t defaultPort) {
    ServerAddress address;
    std::string_view port;
    if (text.starts_with('[')) {
        const size_t close = text.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        address.host = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':'))
            return std::nullopt;
        port = rest.empty() ? rest : rest.substr(1);
        if (!rest.empty() && port.empty())
            return std::nullopt;
    } else if (const size_t colon = text.find(':');
               colon != std::string_view::npos &&
               text.find(':', colon + 1) == std::string_view::npos) {
        address.host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (port.empty())
            return std::nullopt;
    } else {
        address.host = text; // a bare IPv6 address has several colons and no port
    }
    if (address.host.empty())
        return std::nullopt;
    if (port.empty()) {
        if (defaultPort == 0)
            return std::nullopt;
        address.port = defaultPort;
        return address;
    }
    const auto number = parsePort(port);
    if (!number)
        return std::nullopt;
    address.port = *number;
    return address;
}

} // namespace kavrin::gdb
