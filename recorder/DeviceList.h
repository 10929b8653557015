#pragma once

#include <QStringList>

#include <array>

namespace kavrin {

class ProbeLibrary;

// The last device list the probe library delivered, for when it cannot deliver one; one per
// program, owned by the main window. Empty until a list arrives.
struct DeviceListCache {
    static constexpr int Size = 512;
    std::array<char, Size> bytes{};
};

// The names for the device box, at most 10: the library's list (kept in `cache`), else the
// cached list, else `configuredDevice` or, when that is empty, "MK66FN2M0xxx18".
QStringList deviceNames(ProbeLibrary& probe, DeviceListCache& cache,
                        const QString& configuredDevice);

} // namespace kavrin
