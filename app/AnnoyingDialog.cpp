#include "app/AnnoyingDialog.h"

#include "app/MessageBoxes.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kavrin {

QString overflowExplanationTitle() {
    return QStringLiteral("Overflow Events");
}

QString overflowExplanationText() {
    return QStringLiteral(
        "Kavrin overflow events recorded.\n\nThis can happen for following reasons:\n - The "
        "application generates too many events to fit into the buffer.\n - The target interface "
        "speed is too low to read the data fast enough.\n - Vantar is kept busy by a debugger "
        "and cannot read the data fast enough.\n\nTo prevent or minimize overflows:\n - Choose a "
        "larger buffer for Kavrin. (1 - 4 kByte)\n - Minimize the amount of events, i.e. disable "
        "some events in the system.\n - Select a higher interface speed in all instances "
        "connected to Vantar.\n - Minimize the interactions of the debugger with Vantar while the "
        "target is running.\n - Run Kavrin stand-alone without a debugger.");
}

AnnoyingDialog::AnnoyingDialog(const SuppressibleMessage& message, QWidget* parent)
    : QDialog(parent), suppressed_(message.suppressed),
      again_(new QCheckBox(QStringLiteral("Do not show this message &again."))) {
    setWindowTitle(QString::fromLatin1(MessageBoxTitle));
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(message.title);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    layout->addWidget(new QLabel(message.text));
    again_->setChecked(*suppressed_);
    layout->addWidget(again_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons->button(QDialogButtonBox::Ok), &QPushButton::clicked, this,
            &AnnoyingDialog::OnOK);
    layout->addWidget(buttons);
}

void AnnoyingDialog::OnOK() {
    *suppressed_ = again_->isChecked();
    accept();
}

} // namespace kavrin
