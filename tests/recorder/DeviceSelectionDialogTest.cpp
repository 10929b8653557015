#include "recorder/DeviceSelectionDialog.h"
#include "recorder/DeviceList.h"
#include "recorder/ProbeLibrary.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace kavrin;

namespace {

// A probe library beside `folder`, its messages collected.
struct Probe {
    explicit Probe(const QString& folder)
        : library(
              folder + QStringLiteral("/kavrin"), [] { return std::nullopt; },
              [this](const QString&, const QString& text) { messages << text; }) {}
    QStringList messages;
    ProbeLibrary library;
};

template <class Widget> Widget* named(QWidget& dialog, const QString& text) {
    for (Widget* widget : dialog.findChildren<Widget*>()) {
        if (widget->text() == text)
            return widget;
    }
    return nullptr;
}

QStringList items(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

QLineEdit* detectionField(QWidget& dialog) {
    return dialog.findChild<QLineEdit*>(QStringLiteral("detectionText"));
}
QLineEdit* serialField(QWidget& dialog) {
    return dialog.findChild<QLineEdit*>(QStringLiteral("serialNumber"));
}
QComboBox* deviceBox(QWidget& dialog) {
    return dialog.findChild<QComboBox*>(QStringLiteral("device"));
}
QComboBox* interfaceBox(QWidget& dialog) {
    return dialog.findChild<QComboBox*>(QStringLiteral("interface"));
}

} // namespace

class DeviceSelectionDialogTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartShowsTheDefaultsAndTheLibrarysDevices();
    void storedSettingsPresetTheWidgets();
    void detectionButtonsShowTheFieldAndTheHint();
    void missingDeviceListFallsBackToTheSetting();
    void emptyDeviceKeepsTheDialogOpenWithAMessage();
    void fieldsReadBackWhatTheUserChose();

private:
    Probe ours_{QStringLiteral(PROGRAM_FOLDER)};
    DeviceListCache cache_;
};

void DeviceSelectionDialogTest::firstStartShowsTheDefaultsAndTheLibrarysDevices() {
    DeviceSelectionDialog dialog(ConnectionSettings(), ours_.library, cache_);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Norvan Kavrin V2.37a | Configuration"));
    QVERIFY(named<QRadioButton>(dialog, QStringLiteral("&USB"))->isChecked());
    QVERIFY(!named<QRadioButton>(dialog, QStringLiteral("&Existing Session"))->isEnabled());
    QCheckBox* serial = named<QCheckBox>(dialog, QStringLiteral("&Serial No"));
    QVERIFY(!serial->isChecked());
    QVERIFY(!serial->isHidden());
    QVERIFY(named<QRadioButton>(dialog, QStringLiteral("Auto &Detection"))->isChecked());
    QVERIFY(detectionField(dialog)->isHidden());
    QVERIFY(named<QLabel>(
        dialog, QStringLiteral("Automatically search for ZTX Control Block in known RAM.")));

    QComboBox* device = deviceBox(dialog);
    QCOMPARE(items(device).mid(0, 4),
             (QStringList{"STM32F407VG", "STM32H743ZI", "STM32L476RG", "Kavrin-Sim"}));
    QVERIFY(!items(device).contains(QStringLiteral("Cortex-M3")));
    QCOMPARE(device->currentText(), QStringLiteral("STM32F407VG"));
    QVERIFY(device->isEditable());
    QVERIFY(device->minimumWidth() >= 240);
    QCOMPARE(interfaceBox(dialog)->currentText(), QStringLiteral("SWD"));
    QSpinBox* speed = dialog.findChild<QSpinBox*>();
    QCOMPARE(speed->value(), 8000);
    QCOMPARE(speed->singleStep(), 100);
    QVERIFY(cache_.bytes[0] != 0); // the delivered list is kept
}

void DeviceSelectionDialogTest::storedSettingsPresetTheWidgets() {
    ConnectionSettings settings;
    settings.serialNumber = 123456;
    settings.searchAddress = QStringLiteral("20000010");
    settings.searchRange = QStringLiteral("0x20000000 2048");
    settings.speed = 0;
    settings.targetInterface = 0;
    {
        DeviceSelectionDialog dialog(settings, ours_.library, cache_);
        QVERIFY(named<QCheckBox>(dialog, QStringLiteral("&Serial No"))->isChecked());
        QCOMPARE(serialField(dialog)->text(), QStringLiteral("123456"));
        QVERIFY(!serialField(dialog)->isHidden());
        QVERIFY(named<QRadioButton>(dialog, QStringLiteral("&Address"))->isChecked());
        QCOMPARE(detectionField(dialog)->text(), QStringLiteral("20000010"));
        QCOMPARE(dialog.findChild<QSpinBox*>()->value(), 100);
        QCOMPARE(interfaceBox(dialog)->currentText(), QStringLiteral("JTAG"));
    }
    settings.hostInterface = 1;
    settings.host = QStringLiteral("10.0.0.2:3333");
    settings.speed = 60000;
    DeviceSelectionDialog dialog(settings, ours_.library, cache_);
    QVERIFY(named<QRadioButton>(dialog, QStringLiteral("&TCP/IP"))->isChecked());
    QVERIFY(named<QCheckBox>(dialog, QStringLiteral("&Serial No"))->isHidden());
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("ip"))->text(),
             QStringLiteral("10.0.0.2:3333"));
    QVERIFY(!dialog.findChild<QLineEdit*>(QStringLiteral("ip"))->isHidden());
    QCOMPARE(dialog.findChild<QSpinBox*>()->value(), 50000);
}

void DeviceSelectionDialogTest::detectionButtonsShowTheFieldAndTheHint() {
    DeviceSelectionDialog dialog(ConnectionSettings(), ours_.library, cache_);
    named<QRadioButton>(dialog, QStringLiteral("Search &Range"))->setChecked(true);
    QVERIFY(!detectionField(dialog)->isHidden());
    QVERIFY(named<QLabel>(dialog, QStringLiteral("Possible address space of ZTX Control Block "
                                                 "Address.\ni.e. 0x2000000 2048")));
    named<QRadioButton>(dialog, QStringLiteral("&Address"))->setChecked(true);
    QVERIFY(
        named<QLabel>(dialog, QStringLiteral("Exact ZTX Control Block Address.\ni.e. 0x20000010")));
    named<QRadioButton>(dialog, QStringLiteral("Auto &Detection"))->setChecked(true);
    QVERIFY(detectionField(dialog)->isHidden());

    // The serial field follows its check box while USB is on.
    QCheckBox* serial = named<QCheckBox>(dialog, QStringLiteral("&Serial No"));
    serial->setChecked(true);
    QVERIFY(!serialField(dialog)->isHidden());
    named<QRadioButton>(dialog, QStringLiteral("&TCP/IP"))->setChecked(true);
    QVERIFY(serialField(dialog)->isHidden());
}

void DeviceSelectionDialogTest::missingDeviceListFallsBackToTheSetting() {
    Probe partial(QFileInfo(QStringLiteral(PARTIAL_PROBE_LIBRARY)).absolutePath());
    DeviceListCache cache;
    ConnectionSettings settings;
    {
        DeviceSelectionDialog dialog(settings, partial.library, cache);
        QCOMPARE(items(deviceBox(dialog)), QStringList{"Cortex-M3"});
    }
    QCOMPARE(partial.messages.value(0),
             QStringLiteral("DLL function VANTAR_GetpFunc(...) not found !"));
    settings.device.clear();
    DeviceSelectionDialog dialog(settings, partial.library, cache);
    QCOMPARE(items(deviceBox(dialog)), QStringList{"MK66FN2M0xxx18"});
}

void DeviceSelectionDialogTest::emptyDeviceKeepsTheDialogOpenWithAMessage() {
    DeviceSelectionDialog dialog(ConnectionSettings(), ours_.library, cache_);
    deviceBox(dialog)->setEditText(QString());
    QString shown;
    QTimer::singleShot(0, [&shown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->windowTitle() + QLatin1Char('|') + box->text();
            box->accept();
        }
    });
    named<QPushButton>(dialog, QStringLiteral("&OK"))->click();
    QVERIFY(
        shown.startsWith(QStringLiteral("Kavrin|Please enter or select a device.<br><a href=")));
    QVERIFY(shown.endsWith(QStringLiteral(">Supported device names</a>")));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    deviceBox(dialog)->setEditText(QStringLiteral("Kavrin-Sim"));
    named<QPushButton>(dialog, QStringLiteral("&OK"))->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void DeviceSelectionDialogTest::fieldsReadBackWhatTheUserChose() {
    DeviceSelectionDialog dialog(ConnectionSettings(), ours_.library, cache_);
    named<QCheckBox>(dialog, QStringLiteral("&Serial No"))->setChecked(true);
    serialField(dialog)->setText(QStringLiteral("77"));
    named<QRadioButton>(dialog, QStringLiteral("Search &Range"))->setChecked(true);
    detectionField(dialog)->setText(QStringLiteral(" 10000000  4096 "));
    interfaceBox(dialog)->setCurrentIndex(0);
    dialog.findChild<QSpinBox*>()->setValue(4000);

    ConnectionSettings settings;
    QCOMPARE(readConnectionFields(dialog.fields(), settings), FieldsOutcome::Accepted);
    QCOMPARE(settings.serialNumber, 77u);
    QCOMPARE(settings.searchRange, QStringLiteral("10000000 4096"));
    QCOMPARE(settings.device, QStringLiteral("STM32F407VG"));
    QCOMPARE(settings.targetInterface, 0);
    QCOMPARE(settings.speed, 4000);
}

QTEST_MAIN(DeviceSelectionDialogTest)
#include "DeviceSelectionDialogTest.moc"
