// The window's automatic backups: before every kind of write the program makes (a save, a
// reset, a preset, a firmware update), the image the wheel holds is stored first, and a backup
// that cannot be stored never stops the write. Runs the whole program on the headless engine
// and the simulated wheel.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "app/program.h"
#include "config/backup_store.h"
#include "config/image_file.h"
#include "engine/headless.h"
#include "test_doubles.h"
#include "wheel/hotplug.h"
#include "wheel/sim/sim_wheel.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::ForwardingShell;
using testing::RecordingShell;
using testing::ScriptedTransport;

NvmImage signedMemory() {
    NvmImage memory;
    for (std::size_t i = 0; i < kNvmSize; ++i) memory.bytes[i] = static_cast<std::uint8_t>(i * 5 + 1);
    memory.writeU32(0, kNvmSignature);
    memory.writeU32(kNvmFlagsOffset, 0);
    return memory;
}

// What a write asked for on one frame does to the program's image before the frame function
// sends it, as the screens or the preset list would leave it.
using Edit = std::function<void(ProgramWorld&)>;

class WindowBackups : public ::testing::Test {
protected:
    WindowBackups() {
        scratch = fs::path(::testing::TempDir()) /
                  ("kestrel-window-backups-" + std::to_string(getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(scratch);
        fs::create_directories(scratch);
        wheel.setMemory(signedMemory());
        wheel.setStrings(L"Kestrel", L"Kestrel Racing Wheel", L"KD-0042");
        environment.createEngine = [] { return CreateEngine(); };
        environment.settingsHttp = &http;
        environment.presetHttp = &http;
        environment.makeShell = [this](HGE&) { return std::make_unique<ForwardingShell>(shell); };
        environment.logFile = (scratch / "Kestrel.log").string();
        environment.noticeSource = wheel.noticeSource();
        environment.backupRoot = scratch / "backups";
        environment.firmware.sleep = [](std::chrono::milliseconds) {};
        environment.beforeFrame = [this](ProgramWorld& world, HGE&) {
            ++frame;
            // One write asked for on every other frame, so each runs before the next is asked.
            const std::size_t index = static_cast<std::size_t>(frame / 2);
            if (frame % 2 == 0 && index >= 1 && index <= edits.size()) {
                edits[index - 1](world);
                world.flags.ConfigWritePending = true;
                world.states.ResumeState = world.states.ScreenState;
                world.states.ScreenState = kScreenSaving;
            }
            return frame > 2 * static_cast<int>(edits.size()) + 6;
        };
    }
    ~WindowBackups() override { fs::remove_all(scratch); }

    std::vector<NvmImage> backups() const {
        std::vector<NvmImage> images;
        const std::vector<BackupEntry> entries = listBackups(scratch / "backups");
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
            EXPECT_EQ(entry->wheel, "KD-0042");
            images.push_back(readImageFile(entry->path).image);
        }
        return images;  // oldest first
    }
    std::string log() const {
        std::ifstream in(scratch / "Kestrel.log");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path scratch;
    HeadlessEngine engine;
    sim::SimWheel wheel;
    RecordingShell shell;
    ScriptedTransport http;
    ProgramEnvironment environment;
    std::vector<Edit> edits;
    int frame = 0;
};

TEST_F(WindowBackups, EachSaveResetAndPresetBacksUpTheImageItReplaces) {
    const NvmImage original = signedMemory();
    std::vector<NvmImage> written;
    auto remember = [&](ProgramWorld& world) { written.push_back(world.image); };
    edits = {
        // Assign Setting: the model encoded into the image.
        [&](ProgramWorld& world) {
            world.model.rumbleLevel = kRumbleOff;
            world.model.encodeImage(world.image);
            remember(world);
        },
        // Reset Layout: the defaults of both consoles.
        [&](ProgramWorld& world) {
            world.model.StoredMapping = {kDefaultXboxMapping, kDefaultPs3Mapping};
            world.model.rumbleLevel = kRumbleHigh;
            world.model.encodeImage(world.image);
            remember(world);
        },
        // A preset's blocks copied over the image.
        [&](ProgramWorld& world) {
            NvmImage preset = signedMemory();
            preset.writeS32(kSettingsBlockOffset + kPedalPressureOffset + 4, 77);
            world.model.applyPresetImage(world.image, preset.bytes, kPresetSettingsBlock);
            remember(world);
        },
    };
    EXPECT_EQ(runProgram(environment), 0);
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(wheel.memory(), written[2]);
    const std::vector<NvmImage> stored = backups();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0], original) << "the image read from the wheel";
    EXPECT_EQ(stored[1], written[0]) << "what the save wrote";
    EXPECT_EQ(stored[2], written[1]) << "what the reset wrote";
    EXPECT_TRUE(shell.texts.empty());
}

TEST_F(WindowBackups, FirmwareUpdateBacksUpBeforeTheWheelIsTouched) {
    wheel.setReleaseNumber(0x0117);
    wheel.setReleaseAfterFlash(0x0118);
    shell.answers = {MessageBoxResult::kYes, MessageBoxResult::kOk};
    EXPECT_EQ(runProgram(environment), 0);
    EXPECT_EQ(wheel.flashCount(), 1);
    EXPECT_EQ(backups(), std::vector<NvmImage>{signedMemory()});
    const std::string lines = log();
    EXPECT_LT(lines.find("Backup : stored "), lines.find("Begin Wheel Firmware Update"));
}

TEST_F(WindowBackups, UnwritableBackupFolderIsLoggedAndTheSaveStillHappens) {
    std::ofstream(scratch / "not-a-folder") << "x";
    environment.backupRoot = scratch / "not-a-folder";
    NvmImage saved{};
    edits = {[&](ProgramWorld& world) {
        world.model.pedalPressure = {10, 10};
        world.model.encodeImage(world.image);
        saved = world.image;
    }};
    EXPECT_EQ(runProgram(environment), 0);
    EXPECT_EQ(wheel.memory(), saved);
    EXPECT_NE(log().find("Backup : unable to store the image before the write: cannot create "), std::string::npos);
    EXPECT_TRUE(shell.texts.empty()) << "no message box for a backup";
}

}  // namespace
}  // namespace kestrel
