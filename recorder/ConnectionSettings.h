#pragma once

#include <QString>

#include <cstdint>

namespace kavrin {

// How to reach the target through the probe: start values, then the command line, then the
// settings file, then each accepted configuration dialog.
struct ConnectionSettings {
    int hostInterface = 0; // 0 USB, 1 TCP/IP
    uint32_t serialNumber = 0;
    QString host;
    int targetInterface = 1; // 0 JTAG, 1 SWD
    int speed = 8000;        // kHz
    QString device = QStringLiteral("Cortex-M3");
    QString searchRange;
    QString searchAddress;
    bool operator==(const ConnectionSettings&) const = default;
};

} // namespace kavrin
