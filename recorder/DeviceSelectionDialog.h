#pragma once

#include "recorder/ConnectionFields.h"
#include "recorder/ConnectionSettings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace kavrin {

class ProbeLibrary;
struct DeviceListCache;

// The configuration dialog shown before every live recording and read of recorded data: how
// to reach the probe, the target device, interface and speed, and how to find the control
// block. It starts from the connection settings; the session control reads fields() back
// when it was accepted (readConnectionFields).
class DeviceSelectionDialog : public QDialog {
    Q_OBJECT

public:
    DeviceSelectionDialog(const ConnectionSettings& settings, ProbeLibrary& probe,
                          DeviceListCache& deviceCache, QWidget* parent = nullptr);

    ConnectionDialogFields fields() const;

public slots:
    void OnVantarSettings();
    void OnZTXSettings();
    void validate();

private:
    QWidget* buildConnectionBox();
    QWidget* buildDeviceBox();
    QWidget* buildInterfaceBox(const ConnectionSettings& settings);
    QWidget* buildDetectionBox();
    void setInitialState(const ConnectionSettings& settings, const QStringList& devices);

    QRadioButton* usb_ = nullptr;
    QRadioButton* tcpIp_ = nullptr;
    QRadioButton* existingSession_ = nullptr;
    QCheckBox* serialTicked_ = nullptr;
    QLineEdit* serialNumber_ = nullptr;
    QLineEdit* ip_ = nullptr;
    QComboBox* device_ = nullptr;
    QComboBox* interface_ = nullptr;
    QSpinBox* speed_ = nullptr;
    QRadioButton* autoDetection_ = nullptr;
    QRadioButton* address_ = nullptr;
    QRadioButton* searchRange_ = nullptr;
    QLineEdit* detectionText_ = nullptr;
    QLabel* hint_ = nullptr;
};

} // namespace kavrin
