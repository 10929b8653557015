#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;

namespace kavrin {

// A message the user may switch off: its entry in the table of suppressible messages.
struct SuppressibleMessage {
    QString title;
    QString text;
    bool* suppressed; // the flag kept in the settings file
};

// The overflow explanation is entry 1 of the suppressible messages.
inline constexpr size_t OverflowExplanationEntry = 1;
QString overflowExplanationTitle();
QString overflowExplanationText();

// Shows one suppressible message with "Do not show this message again." (checked when the
// message is switched off already); callers show it only while its flag is false, unless the
// user asked for it.
class AnnoyingDialog : public QDialog {
    Q_OBJECT
public:
    explicit AnnoyingDialog(const SuppressibleMessage& message, QWidget* parent = nullptr);

    QCheckBox* againBox() const { return again_; }

public slots:
    void OnOK();

private:
    bool* suppressed_;
    QCheckBox* again_;
};

} // namespace kavrin
