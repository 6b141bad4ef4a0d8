#include "engine/log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <unistd.h>

namespace kestrel {
namespace {

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class LogFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kestrel-log-test-" + std::to_string(getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::filesystem::path folder_;
};

TEST_F(LogFile, LinesAppearInOrderEachEndedByLineFeed) {
    FileLog log;
    ASSERT_TRUE(log.setFile(folder_ / "Kestrel.log"));
    log.write("READ NVM : Unable to write()");
    log.write("Device Found...\n  Vid: %04hx Pid: %04hx", static_cast<unsigned short>(0x1c1a),
              static_cast<unsigned short>(0x200));
    log.write("Date: %02d\n", 7);
    EXPECT_EQ(readAll(folder_ / "Kestrel.log"),
              "READ NVM : Unable to write()\nDevice Found...\n  Vid: 1c1a Pid: 0200\nDate: 07\n\n");
}

TEST_F(LogFile, NamingTheFileTruncatesWhatAnEarlierRunLeft) {
    { std::ofstream old(folder_ / "Kestrel.log"); old << "yesterday's lines\n"; }
    FileLog log;
    ASSERT_TRUE(log.setFile(folder_ / "Kestrel.log"));
    EXPECT_EQ(readAll(folder_ / "Kestrel.log"), "");
    log.write("today");
    EXPECT_EQ(readAll(folder_ / "Kestrel.log"), "today\n");
}

TEST_F(LogFile, WithoutANameOrWithAnUnwritableFolderNothingIsWrittenAndNothingCrashes) {
    FileLog unnamed;
    unnamed.write("goes nowhere %d", 1);
    FileLog unwritable;
    EXPECT_FALSE(unwritable.setFile(folder_ / "missing-folder" / "Kestrel.log"));
    unwritable.write("goes nowhere either");
    EXPECT_FALSE(std::filesystem::exists(folder_ / "missing-folder"));
}

TEST(LogFormatting, WideStringsBecomeUtf8WhateverTheLocale) {
    RecordingLog log;
    log.write("Manufacturer String: %ls", L"Kestrel Gr\u00e4ber");
    log.write("Serial Number String: (%d) %ls", static_cast<int>(L"K1"[0]), L"K1");
    ASSERT_EQ(log.lines().size(), 2u);
    EXPECT_EQ(log.lines()[0], "Manufacturer String: Kestrel Gr\xc3\xa4" "ber");
    EXPECT_EQ(log.lines()[1], "Serial Number String: (75) K1");
}

TEST(LogFormatting, LongLinesAreKeptWhole) {
    RecordingLog log;
    const std::string long_text(3000, 'x');
    log.write("%s", long_text.c_str());
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0], long_text);
}

}  // namespace
}  // namespace kestrel
