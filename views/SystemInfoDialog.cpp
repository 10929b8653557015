#include "views/SystemInfoDialog.h"

#include "presentation/models/SystemInfoModel.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

namespace kavrin {

QString overflowLineText(uint32_t overflowCount, uint32_t droppedCount) {
    return QStringLiteral("%1 Overflows, %2 Events dropped").arg(overflowCount).arg(droppedCount);
}

SystemInfoDialog::SystemInfoDialog(SystemInfoModel& model, const QString& headline,
                                   const QString& overflowLine, QWidget* parent)
    : QDialog(parent), tree_(new QTreeView) {
    setWindowTitle(QStringLiteral("System Information | Norvan Kavrin V2.37a"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->setSpacing(12);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    outer->addLayout(grid);

    // A recording that breaks off says where and why in a longer headline.
    auto* headlineLabel = new QLabel(headline);
    headlineLabel->setWordWrap(true);
    grid->addWidget(headlineLabel, 0, 0, 1, 3);
    if (!overflowLine.isEmpty()) {
        auto* icon = new QLabel;
        icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
        grid->addWidget(icon, 1, 0);
        grid->addWidget(new QLabel(overflowLine), 1, 1);
        auto* about = new QPushButton(QStringLiteral("&About Overflows"));
        connect(about, &QPushButton::clicked, this, &SystemInfoDialog::OnOverflowsClicked);
        grid->addWidget(about, 1, 2);
    }

    tree_->setModel(&model);
    tree_->setSortingEnabled(false);
    tree_->setAllColumnsShowFocus(true);
    tree_->setRootIsDecorated(true);
    tree_->setColumnWidth(0, 150);
    tree_->setColumnWidth(1, 150);
    tree_->expandAll();
    outer->addWidget(tree_);

    auto* ok = new QPushButton(QStringLiteral("&OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    outer->addWidget(ok, 0, Qt::AlignRight);
    resize(360, 520);
}

void SystemInfoDialog::OnOverflowsClicked() {
    if (explainOverflows)
        explainOverflows();
}

} // namespace kavrin
