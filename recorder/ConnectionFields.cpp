#include "recorder/ConnectionFields.h"

#include <algorithm>

namespace kavrin {

std::optional<uint32_t> parseControlBlockAddress(const QString& text) {
    if (text.isEmpty())
        return 0;
    QString digits = text;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits.remove(0, 2);
    static const QString HexDigits = QStringLiteral("0123456789abcdefABCDEF");
    bool ok = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(),
                                               [](QChar c) { return HexDigits.contains(c); });
    const uint value = ok ? digits.toUInt(&ok, 16) : 0;
    if (!ok)
        return std::nullopt;
    return uint32_t(value);
}

FieldsOutcome readConnectionFields(const ConnectionDialogFields& fields,
                                   ConnectionSettings& settings) {
    ConnectionSettings read = settings;
    if (fields.usb) {
        read.hostInterface = 0;
        read.serialNumber = 0;
        if (fields.serialNumberTicked) {
            bool ok = false;
            read.serialNumber = fields.serialNumber.toUInt(&ok, 10);
            if (!ok)
                return FieldsOutcome::InvalidSerialNumber;
        }
    } else {
        read.hostInterface = 1;
        read.host = fields.ip.simplified();
    }
    read.searchAddress.clear();
    read.searchRange.clear();
    if (fields.detection == ConnectionDialogFields::Address) {
        read.searchAddress = fields.detectionText.simplified();
        if (read.searchAddress.isEmpty() || !parseControlBlockAddress(read.searchAddress))
            return FieldsOutcome::InvalidControlBlockAddress;
    } else if (fields.detection == ConnectionDialogFields::SearchRange) {
        read.searchRange = fields.detectionText.simplified();
    }
    read.speed = fields.speed;
    read.targetInterface = fields.interfaceIndex;
    read.device = fields.device.simplified();
    settings = read;
    return FieldsOutcome::Accepted;
}

} // namespace kavrin
