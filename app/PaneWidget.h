#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace kavrin {

// One pane of the main window: a grey title bar above the pane's content.
class PaneWidget : public QWidget {
    Q_OBJECT
public:
    explicit PaneWidget(const QString& title, QWidget* parent = nullptr);

    void addContent(QWidget* content, int stretch = 0);
    QString title() const;
    // Changes the title only when it differs, so that a refresh does not relayout the pane.
    void setTitle(const QString& title);

private:
    QLabel* titleLabel_;
    QVBoxLayout* layout_;
};

} // namespace kavrin
