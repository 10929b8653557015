#pragma once

#include <QDialog>

class QComboBox;

namespace kavrin {

// View > Message Indicators: which terminal messages the timeline marks, and up to which zoom
// row. The same two values as in the Preferences.
class MessageIndicatorDialog : public QDialog {
    Q_OBJECT
public:
    MessageIndicatorDialog(int level, int zoom, QWidget* parent = nullptr);

    int level() const;
    int zoom() const;

private:
    QComboBox* level_;
    QComboBox* zoom_;
};

} // namespace kavrin
