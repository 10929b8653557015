#pragma once

#include <QDialog>

namespace kavrin {

// "About Kavrin": the program's name, version and build date.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

} // namespace kavrin
