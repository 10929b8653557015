#include "app/PropertiesDialog.h"

#include "files/RecordProperties.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <pwd.h>
#include <unistd.h>

namespace kavrin {

namespace {
constexpr qsizetype MaxLoginNameLength = 512;
}

QString loginName() {
    QString name;
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name)
        name = QString::fromLocal8Bit(entry->pw_name);
    if (name.isEmpty())
        name = qEnvironmentVariable("USER");
    return name.isEmpty() ? QStringLiteral("User Name") : name.left(MaxLoginNameLength);
}

bool editRecordProperties(QWidget* parent, RecordProperties& properties) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Recording Properties | Norvan Kavrin V2.37a"));
    auto* form = new QFormLayout(&dialog);
    auto* title = new QLineEdit(properties.title);
    auto* author = new QLineEdit(properties.author);
    auto* description = new QPlainTextEdit(properties.description);
    form->addRow(QStringLiteral("Host Time:"), new QLineEdit(properties.hostTimeText()));
    form->itemAt(0, QFormLayout::FieldRole)->widget()->setEnabled(false);
    form->addRow(QStringLiteral("Title:"), title);
    form->addRow(QStringLiteral("Author:"), author);
    form->addRow(QStringLiteral("Description:"), description);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    properties.title = title->text();
    properties.author = author->text();
    properties.description = description->toPlainText();
    return true;
}

} // namespace kavrin
