#include "app/MessageIndicatorDialog.h"

#include "app/DialogParts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace kavrin {

MessageIndicatorDialog::MessageIndicatorDialog(int level, int zoom, QWidget* parent)
    : QDialog(parent), level_(choiceCombo(indicatorLevelLabels(), level)),
      zoom_(choiceCombo(indicatorZoomLabels(), zoom)) {
    setWindowTitle(dialogTitle(QStringLiteral("Message Indicators")));
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    grid->addWidget(new QLabel(QStringLiteral("Show Indicators for:")), 0, 0);
    grid->addWidget(level_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Hide indicators if zoom level is above:")), 1, 0);
    grid->addWidget(zoom_, 1, 1);
    grid->addLayout(okCancelRow(*this).layout, 2, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

int MessageIndicatorDialog::level() const {
    return level_->currentIndex();
}

int MessageIndicatorDialog::zoom() const {
    return zoom_->currentIndex();
}

} // namespace kavrin
