#include "files/DataFileWriter.h"

#include "files/DataFileHeader.h"
#include "files/LoadedDataFile.h"

#include "FileHarness.h"

#include <QBuffer>
#include <QFileInfo>

#include <memory>

using namespace kavrin;
using namespace kavrin::test;

namespace {

class DataFileWriterTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    SaveResult save(const QString& target, const RecordingStream& stream, bool header = true) {
        return saveDataFile(target, header ? &properties : nullptr, stream,
                            [this](const QString& line) { logged << line; });
    }

    QTemporaryDir dir;
    RecordProperties properties;
    QStringList logged;
};

} // namespace

TEST_F(DataFileWriterTest, CopiesTheLoadedStreamBehindANewHeader) {
    RecordProperties old;
    old.title = QStringLiteral("old");
    const QByteArray stream = patternBytes(5 * LoadedDataFile::CopyBlockSize / 2);
    writeFile(path("in.KVDat"), composeHeader(old) + stream);
    LoadedDataFile loaded;
    ASSERT_TRUE(loaded.open(path("in.KVDat")));
    loaded.setHeaderLength(uint32_t(composeHeader(old).size()));

    properties.title = QStringLiteral("new");
    // Saving onto the loaded file itself reads it intact while the new one is written.
    const SaveResult result = save(path("in.KVDat"), {.loadedFile = &loaded});
    ASSERT_TRUE(result.saved) << result.error.toStdString();
    EXPECT_EQ(readFile(path("in.KVDat")), composeHeader(properties) + stream);
    EXPECT_TRUE(logged.isEmpty());
}

// A recording held in memory loads and saves like a file, across window refills and copy blocks.
TEST_F(DataFileWriterTest, ARecordingInMemoryLoadsAndSavesWithoutAFile) {
    const QByteArray stream = patternBytes(LoadedDataFile::WindowCapacity + 5);
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(composeHeader(properties) + stream);
    LoadedDataFile loaded;
    loaded.attach(std::move(buffer), QStringLiteral("memory.KVDat"));
    ASSERT_TRUE(loaded.open(QStringLiteral("memory.KVDat")));
    loaded.setHeaderLength(uint32_t(composeHeader(properties).size()));
    loaded.seek(LoadedDataFile::WindowCapacity + 3);
    EXPECT_EQ(loaded.readByte(),
              uint8_t(stream[LoadedDataFile::WindowCapacity + 3 - loaded.headerLength()]));

    properties.title = QStringLiteral("in memory");
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString error;
    ASSERT_TRUE(writeDataFile(out, &properties, {.loadedFile = &loaded}, &error))
        << error.toStdString();
    EXPECT_EQ(out.data(), composeHeader(properties) + stream);
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("memory.KVDat")));
}

TEST_F(DataFileWriterTest, CopiesTheRecordingFileInBlocksAndKeepsItsEnd) {
    for (qsizetype size : {qsizetype(LoadedDataFile::CopyBlockSize),
                           qsizetype(LoadedDataFile::CopyBlockSize) * 2 + 3, qsizetype(10)}) {
        const QByteArray stream = patternBytes(size);
        QFile recording(path("rec.KVDat"));
        ASSERT_TRUE(recording.open(QIODevice::ReadWrite | QIODevice::Truncate));
        recording.write(stream); // still buffered: the copy must flush it first
        ASSERT_TRUE(save(path("out.KVDat"), {.recordingFile = &recording}, false).saved);
        EXPECT_EQ(readFile(path("out.KVDat")), stream) << size;
        EXPECT_EQ(recording.pos(), recording.size());
    }
}

TEST_F(DataFileWriterTest, WritesTheInMemoryStreamWhenThereIsNoFile) {
    const QByteArray stream("\x0a\x18\x02", 3);
    LoadedDataFile notLoaded;
    ASSERT_TRUE(save(path("mem.KVDat"),
                     {.loadedFile = &notLoaded,
                      .buffer = reinterpret_cast<const uint8_t*>(stream.constData()),
                      .bufferLength = size_t(stream.size())},
                     false)
                    .saved);
    EXPECT_EQ(readFile(path("mem.KVDat")), stream);
}

TEST_F(DataFileWriterTest, FailuresAreReportedAndLeaveExistingFilesAlone) {
    // Target in a folder that does not exist.
    SaveResult result = save(path("no/such/dir/x.KVDat"), {});
    EXPECT_FALSE(result.saved);
    EXPECT_FALSE(result.error.isEmpty());
    ASSERT_EQ(logged.size(), 1);
    EXPECT_EQ(logged[0], result.error);

    // A recording file that cannot be reopened: the old target stays as it was.
    writeFile(path("keep.KVDat"), "precious");
    QFile gone(path("gone.KVDat"));
    result = save(path("keep.KVDat"), {.recordingFile = &gone});
    EXPECT_FALSE(result.saved);
    EXPECT_TRUE(result.error.contains(QLatin1String("gone.KVDat"))) << result.error.toStdString();
    EXPECT_EQ(readFile(path("keep.KVDat")), QByteArray("precious"));
    EXPECT_EQ(QFileInfo(path("keep.KVDat")).dir().entryList(QDir::Files).size(), 1);
}

TEST(RecordingFile, TemplateLiesInTheTemporaryFolder) {
    const QString name = recordingFileTemplate();
    EXPECT_TRUE(name.startsWith(QDir::tempPath()));
    EXPECT_TRUE(name.endsWith(QLatin1String("/KVXXXXXX.KVDat"))) << name.toStdString();
}
