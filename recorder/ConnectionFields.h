#pragma once

#include "recorder/ConnectionSettings.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace kavrin {

// The control-block address text as a number: 0 when empty, none when it is not an unsigned
// hexadecimal number ("0x" allowed).
std::optional<uint32_t> parseControlBlockAddress(const QString& text);

// The configuration dialog's fields as the user left them.
struct ConnectionDialogFields {
    enum Detection { AutoDetection, Address, SearchRange };
    bool usb = true; // else TCP/IP
    bool serialNumberTicked = false;
    QString serialNumber;
    QString ip;
    QString device;
    int interfaceIndex = 1; // 0 JTAG, 1 SWD
    int speed = 8000;
    Detection detection = AutoDetection;
    QString detectionText; // the field shared by Address and Search Range
};

enum class FieldsOutcome { Accepted, InvalidSerialNumber, InvalidControlBlockAddress };

// Reads the accepted dialog's fields into `settings`; texts are simplified. On an invalid
// serial number or address `settings` stay as they were and the outcome says which.
FieldsOutcome readConnectionFields(const ConnectionDialogFields& fields,
                                   ConnectionSettings& settings);

} // namespace kavrin
