#include "recorder/DeviceList.h"

#include "recorder/ProbeLibrary.h"

#include <cstring>

namespace kavrin {

namespace {

constexpr qsizetype MaxNames = 10;

// NUL-ended names up to the first empty one; a list that runs to the end of the buffer
// stops there.
QStringList namesIn(const std::array<char, DeviceListCache::Size>& list) {
    QStringList names;
    for (std::size_t at = 0; at < list.size() && list[at] != 0 && names.size() < MaxNames;) {
        const std::size_t length = strnlen(list.data() + at, list.size() - at);
        names << QString::fromLatin1(list.data() + at, qsizetype(length));
        at += length + 1;
    }
    return names;
}

} // namespace

QStringList deviceNames(ProbeLibrary& probe, DeviceListCache& cache,
                        const QString& configuredDevice) {
    const auto listFunction =
        reinterpret_cast<VANTAR_DeviceListFunc>(probe.VANTAR_GetpFunc(VANTAR_FUNC_DEVICE_LIST));
    if (listFunction) {
        std::array<char, DeviceListCache::Size> list{};
        if (listFunction(0, list.data(), DeviceListCache::Size) >= 0) {
            cache.bytes = list;
            return namesIn(list);
        }
        if (cache.bytes[0] != 0)
            return namesIn(cache.bytes);
    }
    return {configuredDevice.isEmpty() ? QStringLiteral("MK66FN2M0xxx18") : configuredDevice};
}

} // namespace kavrin
