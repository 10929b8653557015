#include "app/AboutDialog.h"

#include "app/AppIcons.h"
#include "files/RecordProperties.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace kavrin {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Kavrin"));
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(8);
    auto* icon = new QLabel;
    icon->setPixmap(appIcon(AppIcon::WindowTime).pixmap(32, 32));
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    auto* name = new QLabel(QLatin1String(ProgramVersion));
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    name->setFont(bold);
    grid->addWidget(name, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Compiled on Jun 17 2016")), 1, 1);

    auto* ok = new QPushButton(QStringLiteral("&OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    grid->addWidget(ok, 2, 1, Qt::AlignRight);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace kavrin
