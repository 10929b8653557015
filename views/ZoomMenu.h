#pragma once

class QMenu;

namespace kavrin {

class TimelineState;

// Adds the "&Zoom" submenu (zoom in, zoom out, the zoom rows) to a context menu.
QMenu* addZoomMenu(QMenu* parent, TimelineState& state);

} // namespace kavrin
