#include "app/PropertiesDialog.h"

#include "app/DialogParts.h"
#include "files/RecordProperties.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <pwd.h>
#include <unistd.h>

namespace kavrin {

namespace {

constexpr qsizetype MaxLoginNameLength = 512;

QLineEdit* readOnlyField(const QString& text) {
    auto* field = new QLineEdit(text);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    return field;
}

} // namespace

QString loginName() {
    QString name;
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name)
        name = QString::fromLocal8Bit(entry->pw_name);
    if (name.isEmpty())
        name = qEnvironmentVariable("USER");
    return name.isEmpty() ? QStringLiteral("User Name") : name.left(MaxLoginNameLength);
}

PropertiesDialog::PropertiesDialog(const RecordProperties& properties, const QString& systemName,
                                   const QString& device, QWidget* parent)
    : QDialog(parent), title_(new QLineEdit(properties.title)),
      author_(new QLineEdit(properties.author)),
      description_(new QPlainTextEdit(properties.description)) {
    setWindowTitle(dialogTitle(QStringLiteral("Recording Properties")));
    auto* layout = new QVBoxLayout(this);

    auto* system = new QFormLayout;
    system->addRow(QStringLiteral("System Name:"), readOnlyField(systemName));
    system->addRow(QStringLiteral("Device:"), readOnlyField(device));
    auto* systemBox = new QGroupBox(QStringLiteral("System Properties"));
    systemBox->setLayout(system);
    layout->addWidget(systemBox);

    auto* recording = new QFormLayout;
    recording->addRow(QStringLiteral("Host Time:"), readOnlyField(properties.hostTimeText()));
    recording->addRow(QStringLiteral("Title:"), title_);
    recording->addRow(QStringLiteral("Author:"), author_);
    description_->setTabChangesFocus(true);
    recording->addRow(QStringLiteral("Description:"), description_);
    auto* recordingBox = new QGroupBox(QStringLiteral("Recording Properties"));
    recordingBox->setLayout(recording);
    layout->addWidget(recordingBox, 1);

    layout->addLayout(okCancelRow(*this).layout);
    title_->setFocus();
    resize(460, 380);
}

void PropertiesDialog::takeInto(RecordProperties& properties) const {
    properties.title = title_->text();
    properties.author = author_->text();
    properties.description = description_->toPlainText();
}

bool editRecordProperties(QWidget* parent, RecordProperties& properties, const QString& systemName,
                          const QString& device) {
    PropertiesDialog dialog(properties, systemName, device, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.takeInto(properties);
    return true;
}

} // namespace kavrin
