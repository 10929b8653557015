#include "views/ZoomLevels.h"

namespace kavrin {

int zoomInRow(int row, bool hasEvents, uint64_t recordingUs) {
    if (row <= 0 || row >= ZoomLevelCount)
        return row;
    if (row < FullRecordingZoom)
        return row - 1;
    if (!hasEvents)
        return row;
    for (int candidate = FullRecordingZoom - 1; candidate >= 0; --candidate)
        if (uint64_t(ZoomLevels[candidate].spanUs) < recordingUs)
            return candidate;
    return row;
}

int zoomOutRow(int row, bool hasEvents, uint64_t recordingUs) {
    if (row < 0 || row >= FullRecordingZoom)
        return row;
    const int next = row + 1;
    if (hasEvents && double(ZoomLevels[next].spanUs) > 1.2 * double(recordingUs))
        return FullRecordingZoom;
    return next;
}

} // namespace kavrin
