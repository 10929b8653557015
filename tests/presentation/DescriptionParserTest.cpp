#include "presentation/DescriptionParser.h"
#include "presentation/SystemInfoTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "PresentationHarness.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

class DescriptionParserTest : public ::testing::Test {
protected:
    DescriptionParserTest() : previousDir(QDir::currentPath()) {
        QDir::setCurrent(workDir.path());
        QDir().mkdir("Description");
    }
    ~DescriptionParserTest() override { QDir::setCurrent(previousDir); }

    static void writeFile(const QString& path, const QByteArray& content) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void writeDescription(const QString& name, const QByteArray& content) {
        writeFile("Description/KAVRIN_" + name + ".txt", content);
    }
    QString apiName(uint32_t id) const {
        const ApiDescription* api = tables.api(id);
        return api ? api->name : QStringLiteral("<none>");
    }
    QString returnFormat(uint32_t id) const {
        const ApiDescription* api = tables.api(id);
        return api && api->returnFormat ? *api->returnFormat : QStringLiteral("<none>");
    }

    QString previousDir;
    QTemporaryDir workDir;
    QTemporaryDir appDir;
    DescriptionTables tables;
    IsrTable isrs;
    bool reversePriority = false;
    QStringList logLines;
    Log log{[this](const QString& line) { logLines << line; }};
    SystemInfoTable info;
    QString identity = "<unset>";
    DescriptionEnvironment env{tables,          isrs,
                               reversePriority, log,
                               &info,           [this](const QString& text) { identity = text; },
                               appDir.path()};
};

TEST_F(DescriptionParserTest, FileGrammar) {
    writeDescription("Grammar",
                     "# a comment\r\n"
                     "   # an indented comment\n"
                     "\n"
                     "option   reversepriority\n"
                     "NamedType State 1=Busy 2=Idle x=Bad 3= =Empty 4=a=b\n"
                     "TaskState 0F 1 = Delayed ,2=Waiting for  mutex, x=Bad, 3=,,=Empty\n"
                     "45 osSend q=%I n=%u | returns %State\n"
                     "osRecv   q=%I\n"
                     "osPlain q=%I |\n"
                     "20 osLow %u\n"
                     "osNext %u\n"
                     "70 osNoArgs\n");
    LoadDescriptionFile(env, "Description/KAVRIN_Grammar.txt", 0);

    EXPECT_TRUE(reversePriority);
    EXPECT_EQ(*tables.namedTypeText("State", 1), "Busy");
    EXPECT_EQ(*tables.namedTypeText("State", 2), "Idle");
    EXPECT_EQ(*tables.namedTypeText("State", 4), "a=b");
    EXPECT_EQ(tables.namedTypes["State"].size(), 3);

    EXPECT_EQ(tables.taskStateMask, 0x0Fu);
    EXPECT_EQ(*tables.taskStateText(0x31), "Delayed"); // masked to 1
    EXPECT_EQ(*tables.taskStateText(2), "Waiting for mutex");
    EXPECT_EQ(tables.taskStates.size(), 2);

    EXPECT_EQ(apiName(45), "osSend");
    EXPECT_EQ(tables.api(45)->parameterFormat, "q=%I n=%u");
    EXPECT_EQ(returnFormat(45), "returns %State");
    EXPECT_EQ(apiName(46), "osRecv");
    EXPECT_EQ(tables.api(46)->parameterFormat, "q=%I");
    EXPECT_EQ(returnFormat(46), "returns 0x%x");
    EXPECT_EQ(returnFormat(47), ""); // an empty return format still counts as given
    // Ids of the stream's own events are dropped but still count for the next line.
    EXPECT_EQ(tables.api(20), nullptr);
    EXPECT_EQ(tables.api(21), nullptr);
    EXPECT_EQ(apiName(70), "osNoArgs");
    EXPECT_EQ(tables.api(70)->parameterFormat, "");
    EXPECT_EQ(tables.lastEventId, 70u);
    EXPECT_TRUE(logLines.isEmpty());
}

TEST_F(DescriptionParserTest, TaskStateMaskThatIsNotHexMeansAllBits) {
    writeDescription("Mask", "TaskState zz 1=Delayed\n");
    tables.taskStateMask = 0x0F;
    LoadDescriptionFile(env, "Description/KAVRIN_Mask.txt", 0);
    EXPECT_EQ(tables.taskStateMask, 0xFFFFFFFFu);
    EXPECT_EQ(tables.taskStateText(0x11), nullptr);
}

TEST_F(DescriptionParserTest, FileIdsAreRelativeToTheEventOffset) {
    writeDescription("Fs", "0 fsOpen %s\nfsClose %I\n");
    LoadDescriptionFile(env, "Description/KAVRIN_Fs.txt", 200);
    EXPECT_EQ(apiName(200), "fsOpen");
    EXPECT_EQ(apiName(201), "fsClose");
}

TEST_F(DescriptionParserTest, EachFileIsReadOncePerReset) {
    writeDescription("Once", "50 first\n");
    LoadDescriptionFile(env, "Description/KAVRIN_Once.txt", 0);
    writeDescription("Once", "50 second\n");
    ParseModuleDescription(env, "M=Once", 0);
    EXPECT_EQ(apiName(50), "first");
    EXPECT_EQ(tables.loadedFiles, QStringList{"Description/KAVRIN_Once.txt"});

    tables.reset();
    EXPECT_EQ(tables.api(50), nullptr);
    LoadDescriptionFile(env, "Description/KAVRIN_Once.txt", 0);
    EXPECT_EQ(apiName(50), "second");
}

TEST_F(DescriptionParserTest, InstalledFilesComeAfterThoseBesideTheProgram) {
    // PREFIX/bin/kavrin finds PREFIX/share/kavrin/Description.
    const QString prefix = appDir.path();
    ASSERT_TRUE(QDir(prefix).mkpath("bin/Description"));
    ASSERT_TRUE(QDir(prefix).mkpath("share/kavrin/Description"));
    env.applicationDir = prefix + "/bin";
    writeFile(prefix + "/share/kavrin/Description/KAVRIN_Installed.txt", "61 installed\n");
    writeFile(prefix + "/share/kavrin/Description/KAVRIN_Both.txt", "62 installed\n");
    writeFile(prefix + "/bin/Description/KAVRIN_Both.txt", "62 beside\n");
    ParseModuleDescription(env, "M=Installed,M=Both", 0);
    EXPECT_EQ(apiName(61), "installed");
    EXPECT_EQ(apiName(62), "beside");
    EXPECT_TRUE(logLines.isEmpty()) << logLines.join('\n').toStdString();
}

TEST_F(DescriptionParserTest, FallsBackToTheApplicationDirectoryThenWarns) {
    QDir(appDir.path()).mkdir("Description");
    writeFile(appDir.path() + "/Description/KAVRIN_Beside.txt", "60 beside\n");
    LoadDescriptionFile(env, "Description/KAVRIN_Beside.txt", 0);
    EXPECT_EQ(apiName(60), "beside");
    EXPECT_EQ(tables.loadedFiles, QStringList{"Description/KAVRIN_Beside.txt"});

    LoadDescriptionFile(env, "Description/KAVRIN_Missing.txt", 0);
    ASSERT_EQ(logLines.size(), 1);
    EXPECT_EQ(logLines[0], "Warning: Module description " + appDir.path() +
                               "/Description/KAVRIN_Missing.txt not found.");
    EXPECT_EQ(tables.loadedFiles.size(), 1);
}

TEST_F(DescriptionParserTest, SystemDescriptionIdentity) {
    writeDescription("OSX", "40 osxCall\n");
    ParseSystemDescription(env, "N=Demo,O=OSX,D=MCU1,C=M4,X=ignored");
    EXPECT_EQ(identity, "Demo [OSX] on MCU1");
    EXPECT_EQ(tables.core, "M4");
    EXPECT_EQ(apiName(40), "osxCall");
    EXPECT_EQ(info.rowText(SystemInfoRow::Name), "Demo");
    EXPECT_EQ(info.rowText(SystemInfoRow::OS), "OSX");
    EXPECT_EQ(info.rowText(SystemInfoRow::Device), "MCU1");

    tables.reset();
    ParseSystemDescription(env, "Name=Demo,OS=OSX");
    EXPECT_EQ(identity, "Demo [OSX]");
    ParseSystemDescription(env, "");
    EXPECT_EQ(identity, "Demo [OSX]"); // the identity is composed and handed on every time
    tables.reset();
    ParseSystemDescription(env, "n=lower case keys are not keys");
    EXPECT_EQ(identity, "");
}

TEST_F(DescriptionParserTest, ModuleEntriesWithAndWithoutVersion) {
    writeDescription("FS_412", "0 fsVersioned\n");
    writeDescription("FS", "0 fsPlain\n");
    ParseSystemDescription(env, "M=FS,V=412");
    EXPECT_EQ(tables.loadedFiles, QStringList{"Description/KAVRIN_FS_412.txt"});
    ParseSystemDescription(env, "M=FS,N=App");
    EXPECT_EQ(tables.loadedFiles.last(), "Description/KAVRIN_FS.txt");
    EXPECT_EQ(tables.applicationName, "App");
    EXPECT_TRUE(logLines.isEmpty());
}

TEST_F(DescriptionParserTest, ModuleDescriptionItems) {
    writeDescription("TessFS_210", "0 fsMount %s | returns %d\n");
    tables.apis[129].returnFormat = QStringLiteral("kept %u");
    ParseModuleDescription(env, "M=TessFS,V=210,1 fsUnmount  %s,fsExtra %u %u,", 128);
    EXPECT_EQ(apiName(128), "fsMount");
    EXPECT_EQ(returnFormat(128), "returns %d");
    EXPECT_EQ(apiName(129), "fsUnmount");
    EXPECT_EQ(tables.api(129)->parameterFormat, "%s");
    EXPECT_EQ(returnFormat(129), "kept %u"); // items leave the return format alone
    EXPECT_EQ(apiName(130), "fsExtra");
    EXPECT_EQ(tables.api(130)->parameterFormat, "%u %u");
    EXPECT_EQ(returnFormat(130), "<none>");
    EXPECT_EQ(tables.api(131), nullptr); // the trailing empty item describes nothing
    EXPECT_EQ(tables.lastEventId, 130u);
}

TEST_F(DescriptionParserTest, InterruptSortKeys) {
    isrs.registerIsr(7); // met in the stream first: sort key 1007
    ParseSystemDescription(env, "I#3=Uart,I#5=Timer,I#3=Again,I#7=Dma,I#x=Bad");
    EXPECT_EQ(isrs.find(3)->name, "Again");
    EXPECT_EQ(isrs.find(3)->sortKey, 0);
    EXPECT_EQ(isrs.find(5)->sortKey, 1);
    EXPECT_EQ(isrs.find(7)->sortKey, 2);
    EXPECT_EQ(isrs.find(7)->name, "Dma");
    EXPECT_EQ(isrs.entries().size(), 3u);
    tables.reset();
    ParseSystemDescription(env, "I#9=Adc" + QString(QChar(0xE9)));
    EXPECT_EQ(isrs.find(9)->sortKey, 0);
    EXPECT_EQ(isrs.find(9)->name, "Adc\xE9"); // Latin-1, as names from the stream
}

TEST_F(DescriptionParserTest, NamesFromTheStreamCannotLeaveTheDescriptionFolder) {
    // A file two levels up that a traversing name would reach.
    QDir().mkpath("Description/KAVRIN_..");
    writeFile("victim.txt", "90 stolen\n");
    writeDescription("ok", "91 fine\n");
    const QStringList refused{"O=../../victim", "M=a/b",
                              "M=..\\x",        "M=ok,V=../x",
                              "O=bad\x01name",  QString("M=x") + QChar(0x85) + "y"};
    for (const QString& text : refused) {
        logLines.clear();
        ParseSystemDescription(env, text);
        ASSERT_EQ(logLines.size(), 1) << text.toStdString();
        EXPECT_TRUE(logLines[0].startsWith("Warning: Module description name"));
        EXPECT_FALSE(logLines[0].contains(u'\x01'));
    }
    ParseModuleDescription(env, "M=../../victim", 0);
    EXPECT_EQ(tables.api(90), nullptr);
    EXPECT_TRUE(tables.loadedFiles.isEmpty());
    EXPECT_EQ(tables.operatingSystem, "bad\x01name"); // still shown, only no file is read

    EXPECT_TRUE(isPlainDescriptionName("TessFS_210"));
    EXPECT_TRUE(isPlainDescriptionName("v1.2"));
    EXPECT_FALSE(isPlainDescriptionName("a..b"));
}

TEST_F(DescriptionParserTest, ShippedDescriptionsParse) {
    const QString folder = QStringLiteral(KAVRIN_SOURCE_DIR "/Description/");
    LoadDescriptionFile(env, folder + "KAVRIN_Tessera.txt", 0);
    LoadDescriptionFile(env, folder + "KAVRIN_TessFS_210.txt", 128);
    EXPECT_TRUE(logLines.isEmpty());
    EXPECT_FALSE(reversePriority);
    for (uint32_t id = 33; id <= 73; ++id)
        EXPECT_NE(tables.api(id), nullptr) << id;
    for (uint32_t id = 128; id <= 140; ++id)
        EXPECT_NE(tables.api(id), nullptr) << id;
    EXPECT_EQ(tables.apis.size(), 41 + 13);
    EXPECT_EQ(apiName(33), "tsTaskCreate");
    EXPECT_EQ(returnFormat(33), "returns %TsResult");
    EXPECT_EQ(apiName(130), "fsOpen");
    EXPECT_EQ(tables.api(130)->parameterFormat, "path=%s mode=%FsMode");
    EXPECT_EQ(tables.taskStateMask, 0x0Fu);
    EXPECT_EQ(*tables.taskStateText(0x12), "Wait for semaphore");
    EXPECT_NE(tables.namedTypeText("FsResult", 7), nullptr);
}

} // namespace
} // namespace kavrin
