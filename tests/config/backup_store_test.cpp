// Images on disk, the user's folders and the automatic backups, on a scratch folder per test.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <iterator>
#include <fstream>
#include <map>

#include "config/backup_store.h"
#include "config/image_file.h"
#include "config/user_folders.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::system_clock;

NvmImage patternImage(std::uint8_t seed) {
    NvmImage image;
    for (std::size_t i = 0; i < kNvmSize; ++i) image.bytes[i] = static_cast<std::uint8_t>(i * 13 + seed);
    return image;
}

// 2025-01-31 12:00:00.250 UTC
system_clock::time_point sampleTime() { return system_clock::time_point(milliseconds(1738324800250LL)); }

class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::path(::testing::TempDir()) / ("kestrel-backup-" + std::to_string(getpid()) + "-" +
                                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder);
    }
    void writeBytes(const fs::path& path, std::size_t size) {
        std::ofstream(path, std::ios::binary) << std::string(size, 'x');
    }
    std::string readBytes(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path folder;
};

using ImageFile = ScratchFolder;

TEST_F(ImageFile, WrittenImageReadsBackByteForByteAndLeavesNoTemporaryFile) {
    const NvmImage image = patternImage(7);
    std::string error;
    ASSERT_TRUE(writeImageFile(folder / "wheel.bin", image, error)) << error;
    const ImageFileResult read = readImageFile(folder / "wheel.bin");
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.image, image);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(ImageFile, AnythingButExactly1024BytesIsRefusedWithItsSize) {
    for (const std::size_t size : {0u, 1023u, 1025u, 2048u}) {
        writeBytes(folder / "image.bin", size);
        const ImageFileResult read = readImageFile(folder / "image.bin");
        EXPECT_FALSE(read.ok);
        EXPECT_EQ(read.error, (folder / "image.bin").string() + " is " + std::to_string(size) +
                                  " bytes; a wheel image is exactly 1024 bytes");
    }
}

TEST_F(ImageFile, MissingFileAndFolderSayWhy) {
    EXPECT_EQ(readImageFile(folder / "none.bin").error,
              "cannot read " + (folder / "none.bin").string() + ": No such file or directory");
    EXPECT_EQ(readImageFile(folder).error, folder.string() + " is not a regular file");
}

// A full disk, made with a file-size limit so the test fails the write for root too.
TEST_F(ImageFile, FailedWriteKeepsTheFileThatWasThereAndLeavesNoTemporary) {
    std::string error;
    ASSERT_TRUE(writeImageFile(folder / "wheel.bin", patternImage(1), error));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = kNvmSize / 2;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = writeImageFile(folder / "wheel.bin", patternImage(2), error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(error, "cannot write " + (folder / "wheel.bin").string() + ": File too large");
    EXPECT_EQ(readImageFile(folder / "wheel.bin").image, patternImage(1));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST(UserFolders, AbsoluteXdgVariablesWinAndRelativeOnesAreIgnored) {
    std::map<std::string, std::string> variables{{"HOME", "/home/driver"}};
    const EnvironmentLookup lookup = [&](const char* name) -> const char* {
        const auto found = variables.find(name);
        return found == variables.end() ? nullptr : found->second.c_str();
    };
    EXPECT_EQ(userStateFolder(lookup), fs::path("/home/driver/.local/state"));
    EXPECT_EQ(userConfigFolder(lookup), fs::path("/home/driver/.config"));
    EXPECT_EQ(defaultBackupRoot(lookup), fs::path("/home/driver/.local/state/kestrel/backups"));

    variables["XDG_STATE_HOME"] = "/var/state";
    variables["XDG_CONFIG_HOME"] = "/etc/xdg-user";
    EXPECT_EQ(userStateFolder(lookup), fs::path("/var/state"));
    EXPECT_EQ(userConfigFolder(lookup), fs::path("/etc/xdg-user"));

    variables["XDG_STATE_HOME"] = "relative/state";
    variables["XDG_CONFIG_HOME"] = "";
    EXPECT_EQ(userStateFolder(lookup), fs::path("/home/driver/.local/state"));
    EXPECT_EQ(userConfigFolder(lookup), fs::path("/home/driver/.config"));
}

TEST(BackupNames, SerialBecomesOneSafeFolderName) {
    const std::pair<std::wstring, std::string> cases[] = {
        {L"KD-0001", "KD-0001"}, {L"a/b", "a_b"},         {L"..", kUnknownSerialFolder},
        {L"", kUnknownSerialFolder}, {L"x y\u00e9", "x_y_"}, {L"v1.2_3", "v1.2_3"},
    };
    for (const auto& [serial, folder] : cases) EXPECT_EQ(backupFolderName(serial), folder);
}

TEST(BackupNames, UtcTimeNamesSortInTimeOrderAndAreRecognised) {
    EXPECT_EQ(backupFileName(sampleTime()), "20250131T120000.250Z.bin");
    EXPECT_LT(backupFileName(sampleTime()), backupFileName(sampleTime() + milliseconds(1)));
    EXPECT_LT(backupFileName(sampleTime() + milliseconds(999)), backupFileName(sampleTime() + milliseconds(1000)));
    EXPECT_TRUE(isBackupFileName("20250131T120000.250Z.bin"));
    for (const char* other : {"20250131T120000.250Z.bin~", "notes.txt", "2025013xT120000.250Z.bin", "rally.bin"}) {
        EXPECT_FALSE(isBackupFileName(other)) << other;
    }
}

using BackupStore = ScratchFolder;

TEST_F(BackupStore, StoresTheImageUnderTheWheelsSerialAndTime) {
    const BackupOutcome outcome = storeBackup(folder, L"KD-0001", patternImage(3), sampleTime());
    ASSERT_TRUE(outcome.stored) << outcome.error;
    EXPECT_EQ(outcome.path, folder / "KD-0001" / "20250131T120000.250Z.bin");
    EXPECT_EQ(readImageFile(outcome.path).image, patternImage(3));
    EXPECT_TRUE(outcome.error.empty());
}

TEST_F(BackupStore, TwoBackupsInOneMillisecondBothSurviveInOrder) {
    const BackupOutcome first = storeBackup(folder, L"KD-0001", patternImage(1), sampleTime());
    const BackupOutcome second = storeBackup(folder, L"KD-0001", patternImage(2), sampleTime());
    ASSERT_TRUE(first.stored && second.stored);
    EXPECT_NE(first.path, second.path);
    const std::vector<BackupEntry> listed = listBackups(folder);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].path, second.path) << "newest first";
    EXPECT_EQ(readImageFile(listed[0].path).image, patternImage(2));
}

TEST_F(BackupStore, KeepsTheNewestFiftyPerWheelAndNothingElseIsRemoved) {
    fs::create_directories(folder / "KD-0001");
    writeBytes(folder / "KD-0001" / "notes.txt", 5);
    storeBackup(folder, L"OTHER", patternImage(9), sampleTime());
    for (int i = 0; i < 53; ++i) {
        const BackupOutcome outcome =
            storeBackup(folder, L"KD-0001", patternImage(static_cast<std::uint8_t>(i)), sampleTime() + milliseconds(10 * i));
        ASSERT_TRUE(outcome.stored) << outcome.error;
        EXPECT_TRUE(outcome.error.empty()) << outcome.error;
    }
    std::vector<BackupEntry> kept;
    for (const BackupEntry& entry : listBackups(folder)) {
        if (entry.wheel == "KD-0001") kept.push_back(entry);
    }
    ASSERT_EQ(kept.size(), kBackupsKeptPerWheel);
    EXPECT_EQ(kept.front().name, backupFileName(sampleTime() + milliseconds(520)));
    EXPECT_EQ(kept.back().name, backupFileName(sampleTime() + milliseconds(30)));
    EXPECT_EQ(readImageFile(kept.back().path).image, patternImage(3));
    EXPECT_TRUE(fs::exists(folder / "KD-0001" / "notes.txt"));
    EXPECT_TRUE(fs::exists(folder / "OTHER" / backupFileName(sampleTime())));
}

TEST_F(BackupStore, UnwritableFolderIsReportedNotThrown) {
    writeBytes(folder / "blocked", 1);  // a file where the backup root should be a folder
    const BackupOutcome outcome = storeBackup(folder / "blocked", L"KD-0001", patternImage(1), sampleTime());
    EXPECT_FALSE(outcome.stored);
    EXPECT_NE(outcome.error.find("cannot create " + (folder / "blocked" / "KD-0001").string()), std::string::npos)
        << outcome.error;
    EXPECT_FALSE(storeBackup({}, L"KD-0001", patternImage(1), sampleTime()).stored);
}

using WheelBackupsTest = ScratchFolder;

TEST_F(WheelBackupsTest, BacksUpWhatTheWheelHoldsAndFollowsEachWrite) {
    RecordingLog log;
    system_clock::time_point now = sampleTime();
    WheelBackups backups(log, folder, [&] { return now; });

    EXPECT_FALSE(backups.beforeWrite().stored);
    EXPECT_EQ(log.lines().back(), "Backup : unable to store the image before the write: nothing has been read from "
                                  "the wheel yet");

    backups.wheelRead(L"KD-0001", patternImage(1));
    const BackupOutcome first = backups.beforeWrite();
    ASSERT_TRUE(first.stored);
    EXPECT_EQ(log.lines().back(), "Backup : stored " + first.path.string());
    EXPECT_EQ(readImageFile(first.path).image, patternImage(1));

    backups.written(patternImage(2));
    now += milliseconds(5);
    const BackupOutcome second = backups.beforeWrite();
    ASSERT_TRUE(second.stored);
    EXPECT_EQ(readImageFile(second.path).image, patternImage(2)) << "the image the next write replaces";
}

TEST_F(WheelBackupsTest, FailureIsLoggedWithTheReason) {
    RecordingLog log;
    writeBytes(folder / "blocked", 1);
    WheelBackups backups(log, folder / "blocked", [] { return sampleTime(); });
    backups.wheelRead(L"KD-0001", patternImage(1));
    EXPECT_FALSE(backups.beforeWrite().stored);
    ASSERT_FALSE(log.lines().empty());
    EXPECT_TRUE(log.lines().back().starts_with("Backup : unable to store the image before the write: cannot create "))
        << log.lines().back();
}

}  // namespace
}  // namespace kestrel
