#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

int runGen(const std::string& arguments) {
    const std::string command = std::string(KAVRIN_GEN) + " " + arguments + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class GenCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kavrin-gen-test-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

} // namespace

TEST_F(GenCommand, UsageErrorsExitWithOne) {
    EXPECT_EQ(runGen(""), 1);
    EXPECT_EQ(runGen("--events"), 1);
    EXPECT_EQ(runGen("--events many " + path("a")), 1);
    EXPECT_EQ(runGen("--events 1 " + path("a")), 1);
    EXPECT_EQ(runGen("--bogus " + path("a")), 1);
    EXPECT_EQ(runGen("--scenario nope " + path("a")), 1);
    EXPECT_EQ(runGen(path("a") + " " + path("b")), 1);
    EXPECT_FALSE(fs::exists(path("a")));
}

TEST_F(GenCommand, HelpGoesToStandardOutputAndSucceeds) {
    EXPECT_EQ(runGen("--help > " + path("help")), 0);
    EXPECT_TRUE(contents(path("help")).starts_with("usage: kavrin-gen"));
    EXPECT_EQ(runGen("-h > " + path("help")), 0);
}

TEST_F(GenCommand, UnwritableOutputExitsWithTwo) {
    EXPECT_EQ(runGen(path("missing/dir/out.KVDat")), 2);
}

TEST_F(GenCommand, WritesTheSameFileForTheSameSeed) {
    ASSERT_EQ(runGen("--events 5000 --seed 4 --title T " + path("a.KVDat")), 0);
    ASSERT_EQ(runGen("--events 5000 --seed 4 --title T " + path("b.KVDat")), 0);
    const std::string first = contents(path("a.KVDat"));
    EXPECT_EQ(first, contents(path("b.KVDat")));
    EXPECT_EQ(first.rfind(";\n; Version     Norvan Kavrin V2.37a\n", 0), 0u);
    EXPECT_NE(first.find("; Title       T\n"), std::string::npos);

    ASSERT_EQ(runGen("--no-header --events 5000 --seed 4 " + path("bare.KVDat")), 0);
    const std::string bare = contents(path("bare.KVDat"));
    EXPECT_EQ(bare.substr(0, 2), std::string("\x0A\x00", 2));  // Start, delta 0
    EXPECT_EQ(first.substr(first.size() - bare.size()), bare); // header + the same stream
}

TEST_F(GenCommand, NoiseIsTheSameForTheSameSeed) {
    ASSERT_EQ(runGen("--noise 5000 --seed 3 " + path("a.bin")), 0);
    ASSERT_EQ(runGen("--noise 5000 --seed 3 " + path("b.bin")), 0);
    ASSERT_EQ(runGen("--noise 5000 --seed 4 " + path("c.bin")), 0);
    const std::string noise = contents(path("a.bin"));
    EXPECT_EQ(noise.size(), 5000u);
    EXPECT_EQ(noise, contents(path("b.bin")));
    EXPECT_NE(noise, contents(path("c.bin")));
}
