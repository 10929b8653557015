#include "files/DataFileHeader.h"

#include <gtest/gtest.h>

#include <string>

using namespace kavrin;

namespace {

uint32_t read(const std::string& bytes, RecordProperties& properties) {
    return readHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), properties);
}

std::string asString(const QByteArray& bytes) {
    return bytes.toStdString();
}

RecordProperties sample() {
    RecordProperties properties;
    properties.recordTime = QDateTime(QDate(2026, 3, 7), QTime(9, 5, 1));
    properties.title = QStringLiteral("Motor test");
    properties.author = QStringLiteral("Ada");
    properties.description = QStringLiteral("first line\nsecond\nthird");
    return properties;
}

} // namespace

TEST(DataFileHeader, WritesTheSevenLinesWithValuesAtColumnFifteen) {
    const std::string header = asString(composeHeader(sample()));
    EXPECT_EQ(header, ";\n"
                      "; Version     Norvan Kavrin V2.37a\n"
                      "; RecordTime  07 Mar 2026 09:05:01\n"
                      "; Author      Ada\n"
                      "; Title       Motor test\n"
                      "; Description first line\\nsecond\\nthird\n"
                      ";\n");
}

TEST(DataFileHeader, RoundTripKeepsEveryPropertyAndEndsAtTheStream) {
    const RecordProperties written = sample();
    const std::string file = asString(composeHeader(written)) + "\x0a\x18stream";
    RecordProperties read_;
    EXPECT_EQ(read(file, read_), file.size() - 8);
    EXPECT_EQ(read_.recordTime, written.recordTime);
    EXPECT_EQ(read_.title, written.title);
    EXPECT_EQ(read_.author, written.author);
    EXPECT_EQ(read_.description, written.description); // both line breaks restored
}

TEST(DataFileHeader, OneLineValuesCannotBreakTheHeader) {
    RecordProperties written = sample();
    written.title = QStringLiteral("two\nlines");
    written.author = QStringLiteral("Zo\u00eb \u4e2d"); // Latin-1 keeps the diaeresis only
    const std::string header = asString(composeHeader(written));
    RecordProperties read_;
    EXPECT_EQ(read(header, read_), header.size());
    EXPECT_EQ(read_.title, QStringLiteral("two lines"));
    EXPECT_EQ(read_.author, QStringLiteral("Zo\u00eb ?"));
}

TEST(DataFileHeader, ReaderSimplifiesLinesAndIgnoresKeyCase) {
    RecordProperties properties;
    const std::string header = ";\n"
                               "  ;   title    Two   words   here  \r\n"
                               "; AUTHOR Bob\n"
                               "; Description literal \\n pair\n"
                               "; Unknown whatever\n"
                               ";Title no blank after the semicolon\n"
                               "\x0a";
    EXPECT_EQ(read(header, properties), header.size() - 1);
    EXPECT_EQ(properties.title, QStringLiteral("Two words here"));
    EXPECT_EQ(properties.author, QStringLiteral("Bob"));
    EXPECT_EQ(properties.description, QStringLiteral("literal \n pair"));
}

TEST(DataFileHeader, StreamsWithoutHeaderLeaveThePropertiesAlone) {
    RecordProperties properties = sample();
    EXPECT_EQ(read(std::string("\x0a\x18\x02\x00", 4), properties), 0u);
    EXPECT_EQ(read(std::string(), properties), 0u);
    EXPECT_EQ(properties.title, QStringLiteral("Motor test"));

    // A bare stream whose first line starts, after white space, with ";" counts as header.
    EXPECT_EQ(read(std::string(" ;\x05\x01\n\x0a", 6), properties), 5u);
    // A last line without line feed ends the header at the end of the data.
    EXPECT_EQ(read("; Title end", properties), 11u);
    EXPECT_EQ(properties.title, QStringLiteral("end"));
}

TEST(DataFileHeader, UnparsableTimeGivesAnInvalidTime) {
    RecordProperties properties = sample();
    read("; RecordTime 31 Foo 2026 25:00:00\n", properties);
    EXPECT_FALSE(properties.recordTime.isValid());
    EXPECT_EQ(properties.hostTimeText(), QString());
}

TEST(RecordProperties, SystemInformationTexts) {
    RecordProperties properties = sample();
    EXPECT_EQ(properties.hostTimeText(), QStringLiteral("07 Mar 2026 09:05:01"));
    EXPECT_EQ(properties.descriptionSummary(), QStringLiteral("first line second third"));
    properties.description = QString(100, QLatin1Char('d'));
    EXPECT_EQ(properties.descriptionSummary(), QString(64, QLatin1Char('d')));

    properties.clear(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)));
    EXPECT_TRUE(properties.title.isEmpty() && properties.author.isEmpty() &&
                properties.description.isEmpty());
    EXPECT_EQ(properties.hostTimeText(), QStringLiteral("02 Jan 2020 03:04:05"));
}
