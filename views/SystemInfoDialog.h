#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>

class QTreeView;

namespace kavrin {

class SystemInfoModel;

// The system information in a dialog, under a headline ("n Events loaded successfully.", or
// where the recording breaks off) and, when events were lost, the overflow line with its
// explanation button.
class SystemInfoDialog : public QDialog {
    Q_OBJECT
public:
    SystemInfoDialog(SystemInfoModel& model, const QString& headline, const QString& overflowLine,
                     QWidget* parent = nullptr);

    // Opens the overflow explanation.
    std::function<void()> explainOverflows;

    QTreeView* tree() const { return tree_; }

public slots:
    void OnOverflowsClicked();

private:
    QTreeView* tree_;
};

// "%1 Overflows, %2 Events dropped".
QString overflowLineText(uint32_t overflowCount, uint32_t droppedCount);

} // namespace kavrin
