#include "recorder/DeviceSelectionDialog.h"

#include "recorder/DeviceList.h"

#include "files/RecordProperties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kavrin {

namespace {

constexpr int MinSpeed = 100;
constexpr int MaxSpeed = 50000;
constexpr int SpeedStep = 100;
constexpr int DeviceBoxWidth = 240;
const char* const ExampleIp = "192.168.1.100";
const char* const SupportedDevicesUrl = "https://norvan.example/vantar/supported-devices";

QGroupBox* groupBox(const QString& title, QLayout* layout) {
    auto* box = new QGroupBox(title);
    box->setLayout(layout);
    return box;
}

} // namespace

DeviceSelectionDialog::DeviceSelectionDialog(const ConnectionSettings& settings,
                                             ProbeLibrary& probe, DeviceListCache& deviceCache,
                                             QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QLatin1String(ProgramVersion) + QStringLiteral(" | Configuration"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildConnectionBox());
    layout->addWidget(buildDeviceBox());
    layout->addWidget(buildInterfaceBox(settings));
    layout->addWidget(buildDetectionBox());

    auto* ok = new QPushButton(QStringLiteral("&OK"));
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"));
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &DeviceSelectionDialog::validate);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The connections stand before the initial state is set, so setting it runs the slots.
    connect(usb_, &QRadioButton::toggled, this, &DeviceSelectionDialog::OnVantarSettings);
    connect(tcpIp_, &QRadioButton::toggled, this, &DeviceSelectionDialog::OnVantarSettings);
    connect(serialTicked_, &QCheckBox::stateChanged, this,
            &DeviceSelectionDialog::OnVantarSettings);
    for (QRadioButton* button : {autoDetection_, address_, searchRange_})
        connect(button, &QRadioButton::toggled, this, &DeviceSelectionDialog::OnZTXSettings);
    setInitialState(settings, deviceNames(probe, deviceCache, settings.device));
}

QWidget* DeviceSelectionDialog::buildConnectionBox() {
    usb_ = new QRadioButton(QStringLiteral("&USB"));
    tcpIp_ = new QRadioButton(QStringLiteral("&TCP/IP"));
    existingSession_ = new QRadioButton(QStringLiteral("&Existing Session"));
    serialTicked_ = new QCheckBox(QStringLiteral("&Serial No"));
    serialNumber_ = new QLineEdit(QStringLiteral("0"));
    serialNumber_->setObjectName(QStringLiteral("serialNumber"));
    ip_ = new QLineEdit(QLatin1String(ExampleIp));
    ip_->setObjectName(QStringLiteral("ip"));
    auto* grid = new QGridLayout;
    grid->addWidget(usb_, 0, 0);
    grid->addWidget(serialTicked_, 0, 1);
    grid->addWidget(serialNumber_, 0, 2);
    grid->addWidget(tcpIp_, 1, 0);
    grid->addWidget(ip_, 1, 1, 1, 2);
    grid->addWidget(existingSession_, 2, 0);
    return groupBox(QStringLiteral("Connection to Vantar"), grid);
}

QWidget* DeviceSelectionDialog::buildDeviceBox() {
    device_ = new QComboBox;
    device_->setObjectName(QStringLiteral("device"));
    device_->setEditable(true);
    device_->setMinimumWidth(DeviceBoxWidth);
    auto* row = new QHBoxLayout;
    row->addWidget(device_);
    return groupBox(QStringLiteral("Target Device"), row);
}

QWidget* DeviceSelectionDialog::buildInterfaceBox(const ConnectionSettings& settings) {
    interface_ = new QComboBox;
    interface_->setObjectName(QStringLiteral("interface"));
    interface_->addItems({QStringLiteral("JTAG"), QStringLiteral("SWD")});
    interface_->setCurrentIndex(settings.targetInterface);
    speed_ = new QSpinBox;
    speed_->setRange(MinSpeed, MaxSpeed);
    speed_->setSingleStep(SpeedStep);
    speed_->setValue(settings.speed);
    auto* row = new QHBoxLayout;
    row->addWidget(interface_);
    row->addWidget(speed_);
    row->addWidget(new QLabel(QStringLiteral("kHz")));
    return groupBox(QStringLiteral("Target Interface && Speed"), row);
}

QWidget* DeviceSelectionDialog::buildDetectionBox() {
    autoDetection_ = new QRadioButton(QStringLiteral("Auto &Detection"));
    address_ = new QRadioButton(QStringLiteral("&Address"));
    searchRange_ = new QRadioButton(QStringLiteral("Search &Range"));
    detectionText_ = new QLineEdit;
    detectionText_->setObjectName(QStringLiteral("detectionText"));
    hint_ = new QLabel;
    auto* column = new QVBoxLayout;
    for (QRadioButton* button : {autoDetection_, address_, searchRange_})
        column->addWidget(button);
    column->addWidget(detectionText_);
    column->addWidget(hint_);
    return groupBox(QStringLiteral("ZTX Control Block Detection"), column);
}

void DeviceSelectionDialog::setInitialState(const ConnectionSettings& settings,
                                            const QStringList& devices) {
    {
        const QSignalBlocker blocker(device_);
        device_->addItems(devices);
    }
    usb_->setChecked(true);
    serialTicked_->setChecked(false);
    existingSession_->setEnabled(false);
    if (!settings.searchAddress.isEmpty()) {
        address_->setChecked(true);
        detectionText_->setText(settings.searchAddress);
    } else if (!settings.searchRange.isEmpty()) {
        searchRange_->setChecked(true);
        detectionText_->setText(settings.searchRange);
    } else {
        autoDetection_->setChecked(true);
        detectionText_->clear();
        detectionText_->hide();
    }
    (settings.hostInterface != 0 ? tcpIp_ : usb_)->setChecked(true);
    if (!settings.host.isEmpty())
        ip_->setText(settings.host);
    if (settings.serialNumber != 0) {
        serialTicked_->setChecked(true);
        serialNumber_->setText(QString::number(settings.serialNumber));
    }
    OnVantarSettings();
}

void DeviceSelectionDialog::OnVantarSettings() {
    if (!usb_ || !tcpIp_)
        return;
    if (usb_->isChecked()) {
        serialTicked_->show();
        serialNumber_->setVisible(serialTicked_->isChecked());
        ip_->hide();
    } else if (tcpIp_->isChecked()) {
        serialTicked_->hide();
        serialNumber_->hide();
        ip_->show();
    }
    update();
}

void DeviceSelectionDialog::OnZTXSettings() {
    if (!autoDetection_ || !address_ || !searchRange_)
        return;
    if (autoDetection_->isChecked()) {
        detectionText_->hide();
        hint_->setText(QStringLiteral("Automatically search for ZTX Control Block in known RAM."));
    } else if (address_->isChecked()) {
        detectionText_->show();
        hint_->setText(QStringLiteral("Exact ZTX Control Block Address.\ni.e. 0x20000010"));
    } else if (searchRange_->isChecked()) {
        detectionText_->show();
        hint_->setText(QStringLiteral(
            "Possible address space of ZTX Control Block Address.\ni.e. 0x2000000 2048"));
    }
}

void DeviceSelectionDialog::validate() {
    if (!device_->currentText().isEmpty()) {
        accept();
        return;
    }
    QMessageBox box(QMessageBox::Information, QStringLiteral("Kavrin"),
                    QStringLiteral("Please enter or select a device.<br><a href=\"%1\">"
                                   "Supported device names</a>")
                        .arg(QLatin1String(SupportedDevicesUrl)),
                    QMessageBox::Ok, this);
    box.setTextFormat(Qt::RichText);
    box.setTextInteractionFlags(Qt::TextBrowserInteraction);
    box.exec();
}

ConnectionDialogFields DeviceSelectionDialog::fields() const {
    ConnectionDialogFields fields;
    fields.usb = usb_->isChecked();
    fields.serialNumberTicked = serialTicked_->isChecked();
    fields.serialNumber = serialNumber_->text();
    fields.ip = ip_->text();
    fields.device = device_->currentText();
    fields.interfaceIndex = interface_->currentIndex();
    fields.speed = speed_->value();
    fields.detection = address_->isChecked()       ? ConnectionDialogFields::Address
                       : searchRange_->isChecked() ? ConnectionDialogFields::SearchRange
                                                   : ConnectionDialogFields::AutoDetection;
    fields.detectionText = detectionText_->text();
    return fields;
}

} // namespace kavrin
