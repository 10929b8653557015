#pragma once

#include "views/CpuLoadBins.h"
#include "views/ViewOptions.h"

#include <QFrame>

#include <vector>

namespace kavrin {

class RecordingEngine;
class TimelineState;
struct Presentation;

// Bin counts of the "CPU &Load" menu.
inline constexpr int BinChoices[] = {1, 10, 50, 100, 200};

// CPU load per context over the timeline's window: stacked columns, one per bin, in the order
// of the contexts list. Repaints when the timeline state changes.
class LoadView : public QFrame {
    Q_OBJECT
public:
    LoadView(RecordingEngine& engine, Presentation& presentation, ViewOptions& options,
             TimelineState& state, QWidget* parent = nullptr);

    // set1Bin() ... set200Bins(): repaints and retitles only when the count changes.
    void setBinCount(int bins);
    int binCount() const { return options_.cpuLoadBins; }
    const CpuLoadBins& bins() const { return load_; }

signals:
    void paneTitleChanged(const QString& title);

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct BinsKey {
        uint64_t startNs = 0;
        uint64_t spanNs = 0;
        int bins = 0;
        uint64_t generation = ~uint64_t(0);
        bool operator==(const BinsKey&) const = default;
    };
    void paintLabels(QPainter& painter, int height);
    void paintColumns(QPainter& painter, int width, int height);
    void paintMessage(QPainter& painter, const QString& text, int width, int height);

    RecordingEngine& engine_;
    Presentation& presentation_;
    ViewOptions& options_;
    TimelineState& state_;
    CpuLoadBins load_;
    BinsKey binsKey_;
    std::vector<Slot> bottomUp_;
    std::vector<LoadSegment> segments_;
};

} // namespace kavrin
