#include "recorder/ConnectionFields.h"
#include "recorder/ProbeConnection.h"

#include <gtest/gtest.h>

using namespace kavrin;

TEST(ConnectionFields, ControlBlockAddressIsHexadecimalWithOptionalPrefix) {
    EXPECT_EQ(parseControlBlockAddress(""), 0u);
    EXPECT_EQ(parseControlBlockAddress("20000010"), 0x20000010u);
    EXPECT_EQ(parseControlBlockAddress("0x2000abCD"), 0x2000abcdu);
    EXPECT_EQ(parseControlBlockAddress("0XFFFFFFFF"), 0xFFFFFFFFu);
    for (const char* bad : {"0x", "0x100000000", "+10", "-1", "20 00", "0x20g", "x10"})
        EXPECT_FALSE(parseControlBlockAddress(QString::fromLatin1(bad))) << bad;
}

TEST(ConnectionFields, AcceptedFieldsAreSimplifiedIntoTheSettings) {
    ConnectionDialogFields fields;
    fields.usb = false;
    fields.ip = QStringLiteral("  10.0.0.7:3333 ");
    fields.device = QStringLiteral(" STM32F407VG\t");
    fields.interfaceIndex = 0;
    fields.speed = 4000;
    fields.detection = ConnectionDialogFields::SearchRange;
    fields.detectionText = QStringLiteral(" 0x20000000   2048 ");
    ConnectionSettings settings;
    settings.searchAddress = QStringLiteral("20000010");
    ASSERT_EQ(readConnectionFields(fields, settings), FieldsOutcome::Accepted);
    EXPECT_EQ(settings.hostInterface, 1);
    EXPECT_EQ(settings.host, QStringLiteral("10.0.0.7:3333"));
    EXPECT_EQ(settings.device, QStringLiteral("STM32F407VG"));
    EXPECT_EQ(settings.targetInterface, 0);
    EXPECT_EQ(settings.speed, 4000);
    EXPECT_EQ(settings.searchRange, QStringLiteral("0x20000000 2048"));
    EXPECT_TRUE(settings.searchAddress.isEmpty());

    fields.usb = true;
    fields.serialNumberTicked = true;
    fields.serialNumber = QStringLiteral("123456");
    fields.detection = ConnectionDialogFields::Address;
    fields.detectionText = QStringLiteral(" 0x20000010 ");
    ASSERT_EQ(readConnectionFields(fields, settings), FieldsOutcome::Accepted);
    EXPECT_EQ(settings.hostInterface, 0);
    EXPECT_EQ(settings.serialNumber, 123456u);
    EXPECT_EQ(settings.searchAddress, QStringLiteral("0x20000010"));
    EXPECT_TRUE(settings.searchRange.isEmpty());

    fields.serialNumberTicked = false;
    fields.detection = ConnectionDialogFields::AutoDetection;
    ASSERT_EQ(readConnectionFields(fields, settings), FieldsOutcome::Accepted);
    EXPECT_EQ(settings.serialNumber, 0u);
    EXPECT_TRUE(settings.searchAddress.isEmpty());
}

TEST(ConnectionFields, InvalidSerialNumberOrAddressLeavesTheSettingsAlone) {
    const ConnectionSettings before;
    ConnectionDialogFields fields;
    fields.device = QStringLiteral("Other");
    fields.serialNumberTicked = true;
    for (const char* serial : {"12a", "", "-5", "99999999999"}) {
        fields.serialNumber = QString::fromLatin1(serial);
        ConnectionSettings settings;
        EXPECT_EQ(readConnectionFields(fields, settings), FieldsOutcome::InvalidSerialNumber);
        EXPECT_EQ(settings.device, before.device) << serial;
    }
    fields.serialNumberTicked = false;
    fields.detection = ConnectionDialogFields::Address;
    for (const char* address : {"", "   ", "0x2000 0000", "zz"}) {
        fields.detectionText = QString::fromLatin1(address);
        ConnectionSettings settings;
        EXPECT_EQ(readConnectionFields(fields, settings), FieldsOutcome::InvalidControlBlockAddress)
            << address;
        EXPECT_EQ(settings.device, before.device);
    }
}

TEST(ProbeConnectionFields, LongerTextsAreCutToTheirCapacity) {
    FixedText<8> name;
    name.assign("Kavrin-and-more");
    EXPECT_EQ(name.view(), "Kavrin-");
    name.assign("ab");
    EXPECT_EQ(name.view(), "ab");
    EXPECT_EQ(name.bytes[3], 0); // nothing of the longer text is left behind
    EXPECT_EQ(name.bytes[7], 0);
    name.assign("");
    EXPECT_TRUE(name.empty());
}
