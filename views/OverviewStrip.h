#pragma once

#include "views/OverviewScale.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <vector>

namespace kavrin {

class RecordingEngine;
class TimelineState;
struct Presentation;

inline constexpr int OverviewStripHeight = 40;

// The whole recording at a glance, above the timeline: the stacked CPU load of every context
// in the contexts list's colours, message marks, the window of loaded events as a frame and
// the timeline's visible span inside it, following the timeline state. A click or drag asks to
// move there.
class OverviewStrip : public QWidget {
    Q_OBJECT
public:
    OverviewStrip(RecordingEngine& engine, Presentation& presentation, TimelineState& state,
                  QWidget* parent = nullptr);

    OverviewScale scale() const;
    // Rendered load images so far: one more each time the summary or the size changed.
    uint64_t renders() const { return renders_; }
    // Forget the rendered load (new data, other colours).
    void dataReset();

signals:
    // The user pointed at `ticks`; `eventIndex` is an event of the recording near it.
    void moveRequested(quint64 ticks, uint eventIndex);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    struct RenderKey {
        uint64_t events = 0;
        uint64_t binWidth = 0;
        int width = 0;
        int height = 0;
        size_t layers = 0;
        bool operator==(const RenderKey&) const = default;
    };
    std::vector<OverviewLayer> layers() const;
    void renderLoad();
    void paintWindow(QPainter& painter, const OverviewScale& scale);
    void pointAt(int x);

    RecordingEngine& engine_;
    Presentation& presentation_;
    TimelineState& state_;
    QImage image_;
    RenderKey key_;
    uint64_t renders_ = 0;
    int lastColumn_ = -1;
};

} // namespace kavrin
