#include "app/PaneWidget.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kavrin {

namespace {
const QString TitleIndent = QStringLiteral("  ");
}

PaneWidget::PaneWidget(const QString& title, QWidget* parent)
    : QWidget(parent), titleLabel_(new QLabel(TitleIndent + title)),
      layout_(new QVBoxLayout(this)) {
    layout_->setSpacing(0);
    layout_->setContentsMargins(0, 0, 0, 0);
    titleLabel_->setStyleSheet(
        QStringLiteral("QLabel { background-color : darkgrey; color : white; padding-top : 2px;}"));
    layout_->addWidget(titleLabel_);
}

void PaneWidget::addContent(QWidget* content, int stretch) {
    layout_->addWidget(content, stretch);
}

QString PaneWidget::title() const {
    return titleLabel_->text().mid(TitleIndent.size());
}

void PaneWidget::setTitle(const QString& title) {
    const QString text = TitleIndent + title;
    if (titleLabel_->text() != text)
        titleLabel_->setText(text);
}

} // namespace kavrin
