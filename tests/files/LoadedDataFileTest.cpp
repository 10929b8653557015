#include "files/LoadedDataFile.h"

#include "FileHarness.h"

using namespace kavrin;
using namespace kavrin::test;

namespace {

constexpr uint32_t Window = LoadedDataFile::WindowCapacity;

class LoadedDataFileTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    QTemporaryDir dir;
    LoadedDataFile file;
};

} // namespace

TEST_F(LoadedDataFileTest, ReadsEveryByteAcrossWindowRefills) {
    const QByteArray content = patternBytes(2 * Window + 12345);
    writeFile(path("big.bin"), content);
    ASSERT_TRUE(file.open(path("big.bin")));
    EXPECT_EQ(file.windowLength(), Window);
    EXPECT_EQ(file.fileSize(), uint32_t(content.size()));

    qsizetype mismatches = 0;
    for (qsizetype i = 0; i < content.size(); ++i) {
        ASSERT_GT(file.hasData(), 0);
        if (file.readByte() != uint8_t(content[i]))
            ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(file.hasData(), 0);
    EXPECT_FALSE(file.overrun());
    EXPECT_EQ(file.readByte(), 0);
    EXPECT_TRUE(file.overrun());
    EXPECT_TRUE(file.readError().isEmpty());
}

TEST_F(LoadedDataFileTest, JumpsBackAndFarAheadToAnyOffset) {
    const QByteArray content = patternBytes(3 * Window + 99);
    writeFile(path("jumps.bin"), content);
    ASSERT_TRUE(file.open(path("jumps.bin")));
    for (uint32_t offset : {3 * Window + 5, 17u, 2 * Window - 1, Window, 0u}) {
        file.seek(offset);
        EXPECT_EQ(file.position(), offset);
        EXPECT_EQ(file.readByte(), uint8_t(content[offset])) << offset;
        EXPECT_EQ(file.readByte(), uint8_t(content[offset + 1])) << offset;
    }
    // A seek clears an earlier overrun so that a new pass can decode again.
    file.seek(file.fileSize());
    file.readByte();
    ASSERT_TRUE(file.overrun());
    file.seek(3);
    EXPECT_FALSE(file.overrun());
}

TEST_F(LoadedDataFileTest, OpeningAgainReusesTheFileAndStartsFromTheTop) {
    writeFile(path("a.bin"), "abcdef");
    writeFile(path("b.bin"), "xyz");
    ASSERT_TRUE(file.open(path("a.bin")));
    file.setHeaderLength(2);
    EXPECT_EQ(file.readByte(), 'c');
    ASSERT_TRUE(file.open(path("a.bin")));
    EXPECT_EQ(file.headerLength(), 0u);
    EXPECT_EQ(file.readByte(), 'a');
    ASSERT_TRUE(file.open(path("b.bin")));
    EXPECT_EQ(file.fileName(), path("b.bin"));
    EXPECT_EQ(file.readByte(), 'x');
}

TEST_F(LoadedDataFileTest, RefusesWhatItCannotReadWithAReason) {
    QString error;
    EXPECT_FALSE(file.open(path("missing.bin"), &error));
    EXPECT_TRUE(error.contains(QLatin1String("missing.bin"))) << error.toStdString();
    EXPECT_FALSE(file.isLoaded());

    // Offsets are 32 bits: a sparse file of 4 GiB is refused, not wrapped.
    QFile huge(path("huge.bin"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    if (!huge.resize(qint64(1) << 32))
        GTEST_SKIP() << "no sparse files here";
    huge.close();
    EXPECT_FALSE(file.open(path("huge.bin"), &error));
    EXPECT_TRUE(error.contains(QLatin1String("4 GiB"))) << error.toStdString();
    EXPECT_FALSE(file.isLoaded());
}

TEST_F(LoadedDataFileTest, EmptyFileIsOpenButNotLoaded) {
    writeFile(path("empty.bin"), QByteArray());
    ASSERT_TRUE(file.open(path("empty.bin")));
    EXPECT_FALSE(file.isLoaded());
    EXPECT_EQ(file.hasData(), 0);
}

TEST_F(LoadedDataFileTest, FileThatShrinksWhileReadEndsTheStreamWithAReason) {
    const QByteArray content = patternBytes(Window + 1000);
    writeFile(path("shrinks.bin"), content);
    ASSERT_TRUE(file.open(path("shrinks.bin")));
    QFile(path("shrinks.bin")).resize(Window - 10);
    file.seek(Window);
    EXPECT_EQ(file.readByte(), 0);
    EXPECT_TRUE(file.overrun());
    EXPECT_EQ(file.hasData(), 0);
    EXPECT_FALSE(file.readError().isEmpty());
}
