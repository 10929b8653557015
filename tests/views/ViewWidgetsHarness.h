#pragma once

#include "ViewsHarness.h"
#include "views/ColourSchemes.h"
#include "views/LoadView.h"
#include "views/TimeView.h"
#include "views/TimelineState.h"

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <memory>

namespace kavrin::test {

// A timeline and CPU load view over one recording; the event list is simulated by echoing
// every requested selection back, as the main window's wiring does.
struct Views {
    explicit Views(const StreamWriter& writer, uint64_t frequency = 1'000'000'000)
        : fixture(writer, frequency), state(fixture.engine(), fixture.presentation, options),
          time(fixture.engine(), fixture.presentation, options, state),
          load(fixture.engine(), fixture.presentation, options, state) {
        QObject::connect(&state, &TimelineState::selectRow, &time, &TimeView::selectionChanged);
        time.resize(600, 300);
        load.resize(600, 200);
        time.show();
        load.show();
        time.setScrollBar(&scrollBar);
    }
    test::ViewsFixture fixture;
    ViewOptions options;
    TimelineState state;
    TimeView time;
    LoadView load;
    QScrollBar scrollBar{Qt::Horizontal};
};

inline std::unique_ptr<Views> smallViews() {
    return std::make_unique<Views>(test::smallRecording());
}

inline void wheel(QWidget& widget, QPoint angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWheelEvent event(QPointF(300, 100), QPointF(300, 100), QPoint(), angle, Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

inline bool between(uint32_t value, uint32_t a, uint32_t b, int shift) {
    const uint32_t v = (value >> shift) & 0xFF;
    const uint32_t x = (a >> shift) & 0xFF;
    const uint32_t y = (b >> shift) & 0xFF;
    return v >= std::min(x, y) && v <= std::max(x, y);
}

// Whether `pixel` lies within the gradient of a scheme.
inline bool inGradient(QRgb pixel, const ColourScheme& scheme) {
    const uint32_t p = 0xFF000000u | pixel;
    return between(p, scheme.light, scheme.middle, 0) &&
           between(p, scheme.light, scheme.middle, 8) &&
           between(p, scheme.light, scheme.middle, 16);
}

} // namespace kavrin::test
