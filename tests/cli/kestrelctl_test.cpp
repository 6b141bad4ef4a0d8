// Every kestrelctl command in-process against the simulated wheel: the exact output, the exit
// status, and what the wheel's memory holds afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli/image_view.h"
#include "cli/wheel_session.h"
#include "config/configuration.h"
#include "config/image_file.h"
#include "online/http_fetch.h"
#include "tests/cli/cli_world.h"
#include "wheel/hotplug.h"
#include "wheel/permission_hint.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::CliWorld;
using testing::RunResult;
using testing::savedWheelImage;

// The offsets whose bytes differ between two images.
std::vector<std::size_t> changedBytes(const NvmImage& before, const NvmImage& after) {
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < kNvmSize; ++i) {
        if (before.bytes[i] != after.bytes[i]) offsets.push_back(i);
    }
    return offsets;
}

NvmImage readImage(const fs::path& path) {
    const ImageFileResult read = readImageFile(path);
    EXPECT_TRUE(read.ok) << read.error;
    return read.image;
}

std::size_t typeByte(int console, int dest) { return outputBlockOffset(console) + kOutputTypeOffset + kDestToSlot[dest]; }
std::size_t valueWord(int console, int dest) {
    return outputBlockOffset(console) + kOutputValueOffset + 2 * static_cast<std::size_t>(kDestToSlot[dest]);
}

class Kestrelctl : public ::testing::Test {
protected:
    CliWorld world;
};

// ---- info -----------------------------------------------------------------------------------

TEST_F(Kestrelctl, InfoNamesTheWheelItsFirmwareConsoleAndSignedBlocks) {
    const RunResult result = world.run({"info"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "Manufacturer   Kestrel\n"
              "Product        Kestrel Racing Wheel\n"
              "Serial number  KD-0001\n"
              "Release        0x0118 (firmware current)\n"
              "Console mode   Xbox 360\n"
              "Signed         image, Xbox 360, PS3, settings\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(world.wheel.memory(), savedWheelImage());
    EXPECT_TRUE(world.backups().empty()) << "reading backs nothing up";
}

TEST_F(Kestrelctl, InfoJsonIsStable) {
    NvmImage memory = savedWheelImage();
    memory.writeU32(kNvmFlagsOffset, 0x80000001u);  // PS3, a firmware update left unfinished
    memory.writeU32(kPs3BlockOffset, 0);
    world.wheel.setMemory(memory);
    world.wheel.setReleaseNumber(0x0117);
    const RunResult result = world.run({"info", "--json"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "{\n"
              "  \"manufacturer\": \"Kestrel\",\n"
              "  \"product\": \"Kestrel Racing Wheel\",\n"
              "  \"serial\": \"KD-0001\",\n"
              "  \"release\": 279,\n"
              "  \"firmware_current\": false,\n"
              "  \"console\": \"ps3\",\n"
              "  \"update_pending\": true,\n"
              "  \"signed\": {\n"
              "    \"image\": true,\n"
              "    \"xbox\": true,\n"
              "    \"ps3\": false,\n"
              "    \"settings\": true\n"
              "  }\n"
              "}\n");
}

TEST_F(Kestrelctl, MissingWheelIsExitStatusThreeAndDeniedAccessFourWithTheRuleHint) {
    world.wheel.unplug();
    RunResult result = world.run({"info"});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "kestrelctl: no wheel connected\n");

    world.wheel.plug();
    world.wheel.denyOpen(EACCES);
    result = world.run({"show"});
    EXPECT_EQ(result.status, 4);
    EXPECT_EQ(result.err, "kestrelctl: " + cli::accessDeniedAdvice() + "\n");
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
    EXPECT_NE(result.err.find(kUdevRuleFile), std::string::npos);
    EXPECT_NE(result.err.find(kUdevRuleInstallCommand), std::string::npos);
    EXPECT_NE(result.err.find("unplug and replug the wheel"), std::string::npos);
}

// ---- show -----------------------------------------------------------------------------------

TEST_F(Kestrelctl, ShowListsOneConsolesControlsAndTheSettingsAsTheWindowShowsThem) {
    NvmImage memory = savedWheelImage();
    memory.bytes[typeByte(kConsolePs3, DEST_LEFT_PADDLE)] = PS3_LSY;  // no function stands for it
    memory.writeS32(kSettingsBlockOffset + kSensitivityEndOffset, 16383);  // shown as 44 degrees
    world.wheel.setMemory(memory);
    const RunResult result = world.run({"show", "--console=ps3"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "PS3\n"
              "  LEFT           Left\n"
              "  RIGHT          Right\n"
              "  UP             Up\n"
              "  DOWN           Down\n"
              "  A              X\n"
              "  D              B\n"
              "  B              Y\n"
              "  C              A\n"
              "  L1             LB\n"
              "  R1             RB\n"
              "  LEFT_PEDAL     LT\n"
              "  RIGHT_PEDAL    RT\n"
              "  STICK_BACK     RB\n"
              "  STICK_FORWARD  LB\n"
              "  RIGHT_PADDLE   HardRight\n"
              "  LEFT_PADDLE    none (PS3_LSY)\n"
              "  R2             RT\n"
              "  L2             LT\n"
              "Settings\n"
              "  Sensitivity    0-44 degrees\n"
              "  Rumble         medium\n"
              "  Pedal pressure 200\n");
}

TEST_F(Kestrelctl, ShowSaysWhenAnUnsignedBlockLeavesTheDefaults) {
    NvmImage memory = savedWheelImage();
    memory.writeU32(kXboxBlockOffset, 0);
    memory.writeU32(kSettingsBlockOffset, 0);
    world.wheel.setMemory(memory);
    const RunResult result = world.run({"show", "-c", "xbox"});
    EXPECT_EQ(result.out.substr(0, result.out.find('\n')), "Xbox 360 (active) (block not signed: the defaults are shown)");
    EXPECT_NE(result.out.find("Settings (block not signed: the defaults are shown)\n  Sensitivity    0-90 degrees\n"
                              "  Rumble         high\n  Pedal pressure 256\n"),
              std::string::npos)
        << result.out;
}

TEST_F(Kestrelctl, ShowJsonCarriesEveryControlOfBothConsoles) {
    const RunResult result = world.run({"show", "--json"});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.starts_with(
              "{\n"
              "  \"console\": \"xbox\",\n"
              "  \"mappings\": {\n"
              "    \"xbox\": {\n"
              "      \"defaults\": false,\n"
              "      \"controls\": [\n"
              "        {\n"
              "          \"control\": \"LEFT\",\n"))
        << result.out;
    EXPECT_NE(result.out.find("\"control\": \"L1\",\n          \"function\": \"LB\",\n          \"output\": \"PS3_L1\""),
              std::string::npos);
    EXPECT_NE(result.out.find("  \"settings\": {\n    \"defaults\": false,\n    \"sensitivity\": {\n      \"low\": 0,\n"
                              "      \"high\": 90\n    },\n    \"rumble\": \"medium\",\n    \"pedal\": 200\n  }\n}\n"),
              std::string::npos)
        << result.out;
}

// ---- backup and restore ---------------------------------------------------------------------

TEST_F(Kestrelctl, BackupThenRestoreLeavesTheMemoryBitForBit) {
    const NvmImage original = world.wheel.memory();
    RunResult result = world.run({"backup", world.file("saved.bin").string()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "The wheel's configuration is saved in " + world.file("saved.bin").string() + "\n");
    EXPECT_EQ(readImage(world.file("saved.bin")), original);

    ASSERT_EQ(world.run({"map", "--console", "xbox", "LEFT_PADDLE=X", "A=none"}).status, 0);
    ASSERT_EQ(world.run({"set", "--rumble", "off", "--console", "ps3"}).status, 0);
    ASSERT_NE(world.wheel.memory(), original);

    result = world.run({"restore", world.file("saved.bin").string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(world.wheel.memory(), original);
    EXPECT_EQ(result.out.substr(0, result.out.find('\n')),
              world.file("saved.bin").string() + ": 1024 bytes, signed: image, Xbox 360, PS3, settings");
    EXPECT_NE(result.out.find("Changes:\n  Console mode: PS3 → Xbox 360\n  Xbox 360 A: none → X\n"
                              "  Xbox 360 LEFT_PADDLE: X → HardLeft\n  Rumble: off → medium\n"),
              std::string::npos)
        << result.out;
}

TEST_F(Kestrelctl, BackupWithoutAFileGoesToTheBackupFolderAndRestoreTakesItsListedName) {
    const NvmImage original = world.wheel.memory();
    RunResult result = world.run({"backup"});
    ASSERT_EQ(result.status, 0);
    const fs::path stored = world.scratch / "state/kestrel/backups/KD-0001/20250131T120000.250Z.bin";
    EXPECT_EQ(result.out, "The wheel's configuration is saved in " + stored.string() + "\n");

    ASSERT_EQ(world.run({"set", "--pedal", "50"}).status, 0);
    result = world.run({"backup", "--list"});
    EXPECT_EQ(result.out, "KD-0001/20250131T120001.250Z.bin\nKD-0001/20250131T120000.250Z.bin\n")
        << "newest first: the one the set stored, then the one asked for";

    result = world.run({"restore", "--dry-run", "KD-0001/20250131T120000.250Z"});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("  Pedal pressure: 50 → 200\nDry run: nothing was written.\n"), std::string::npos);
    EXPECT_NE(world.wheel.memory(), original);
    ASSERT_EQ(world.run({"restore", "20250131T120000.250Z.bin"}).status, 0);
    EXPECT_EQ(world.wheel.memory(), original);
}

TEST_F(Kestrelctl, RestoreOfChosenBlocksCopiesOnlyThem) {
    NvmImage file = savedWheelImage();
    file.writeS32(kSettingsBlockOffset + kRumbleLevelOffset, kRumbleOff);
    file.bytes[typeByte(kConsoleXbox360, DEST_A)] = XB360_Y;
    world.writeFile("mixed.bin", file);
    const RunResult result = world.run({"restore", world.file("mixed.bin").string(), "--blocks", "settings"});
    EXPECT_EQ(result.status, 0) << result.err;
    const std::vector<std::size_t> changed = changedBytes(savedWheelImage(), world.wheel.memory());
    EXPECT_EQ(changed, std::vector<std::size_t>{kSettingsBlockOffset + kRumbleLevelOffset});
}

// ---- set and map ----------------------------------------------------------------------------

TEST_F(Kestrelctl, SetChangesOnlyTheBytesOfTheSettingsItNames) {
    const RunResult result = world.run({"set", "--rumble", "high", "--pedal", "230", "--sensitivity", "10-60"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "Changes:\n"
              "  Sensitivity: 0-90 → 10-60\n"
              "  Rumble: medium → high\n"
              "  Pedal pressure: 200 → 230\n"
              "Previous configuration backed up to " +
                  (world.scratch / "state/kestrel/backups/KD-0001/20250131T120000.250Z.bin").string() +
                  "\nWritten to the wheel.\n");
    const NvmImage& memory = world.wheel.memory();
    std::vector<std::size_t> expected;
    for (std::size_t field : {kSensitivityStartOffset, kSensitivityEndOffset, kRumbleLevelOffset, kPedalPressureOffset,
                              kPedalPressureOffset + 4}) {
        for (std::size_t i = 0; i < 4; ++i) {
            if (savedWheelImage().bytes[kSettingsBlockOffset + field + i] != memory.bytes[kSettingsBlockOffset + field + i])
                expected.push_back(kSettingsBlockOffset + field + i);
        }
    }
    EXPECT_EQ(changedBytes(savedWheelImage(), memory), expected);
    EXPECT_EQ(memory.readS32(kSettingsBlockOffset + kRumbleLevelOffset), kRumbleHigh);
    EXPECT_EQ(memory.readS32(kSettingsBlockOffset + kPedalPressureOffset + 4), 230);
    EXPECT_EQ(world.run({"show"}).out.find("Sensitivity    10-60 degrees") != std::string::npos, true)
        << "reads back as set";
}

TEST_F(Kestrelctl, MapChangesOnlyTheTypeAndValueOfEachMappedControl) {
    const RunResult result = world.run({"map", "--console", "ps3", "left_paddle=pal_hardright", "DEST_B=RA_Down", "C=none"});
    EXPECT_EQ(result.status, 0) << result.err;
    const NvmImage& memory = world.wheel.memory();
    EXPECT_EQ(memory.bytes[typeByte(kConsolePs3, DEST_LEFT_PADDLE)], PS3_LSX);
    EXPECT_EQ(memory.readS16(valueWord(kConsolePs3, DEST_LEFT_PADDLE)), 255);
    EXPECT_EQ(memory.bytes[typeByte(kConsolePs3, DEST_B)], PS3_RSY);
    EXPECT_EQ(memory.bytes[typeByte(kConsolePs3, DEST_C)], 0);
    for (const std::size_t offset : changedBytes(savedWheelImage(), memory)) {
        const bool owned = offset == typeByte(kConsolePs3, DEST_LEFT_PADDLE) || offset == typeByte(kConsolePs3, DEST_B) ||
                           offset == typeByte(kConsolePs3, DEST_C) ||
                           (offset >= valueWord(kConsolePs3, DEST_LEFT_PADDLE) && offset <= valueWord(kConsolePs3, DEST_LEFT_PADDLE) + 1) ||
                           (offset >= valueWord(kConsolePs3, DEST_B) && offset <= valueWord(kConsolePs3, DEST_B) + 1) ||
                           (offset >= valueWord(kConsolePs3, DEST_C) && offset <= valueWord(kConsolePs3, DEST_C) + 1);
        EXPECT_TRUE(owned) << "byte " << offset << " changed";
    }
    EXPECT_EQ(result.out.substr(0, result.out.find("Previous")),
              "Changes:\n  PS3 B: Y → RA_Down\n  PS3 C: A → none\n  PS3 LEFT_PADDLE: HardLeft → HardRight\n");
}

TEST_F(Kestrelctl, DryRunAndNoChangeWriteNothingAndBackUpNothing) {
    RunResult result = world.run({"map", "-n", "--console", "xbox", "UP=Down"});
    EXPECT_EQ(result.out, "Changes:\n  Xbox 360 UP: Up → Down\nDry run: nothing was written.\n");
    result = world.run({"set", "--rumble", "medium"});
    EXPECT_EQ(result.out, "No changes.\nThe wheel already holds this configuration; nothing was written.\n");
    EXPECT_EQ(world.wheel.memory(), savedWheelImage());
    EXPECT_TRUE(world.backups().empty());
    EXPECT_EQ(world.wheel.count(sim::SimEventKind::Write), 2u) << "two read commands, no write";
}

// ---- bad input: a clear line, the exit status, and the wheel untouched -----------------------

TEST_F(Kestrelctl, BadInputIsRefusedBeforeAnythingIsWritten) {
    NvmImage unsignedPs3 = savedWheelImage();
    unsignedPs3.writeU32(kPs3BlockOffset, 0);
    world.writeFile("no-ps3.bin", unsignedPs3);
    world.writeFile("short.bin", 1000);
    world.writeFile("blank.bin", kNvmSize);
    const std::string noPs3 = world.file("no-ps3.bin").string();
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string error;
    };
    const Case cases[] = {
        {{"restore", world.file("short.bin").string()}, 1,
         world.file("short.bin").string() + " is 1000 bytes; a wheel image is exactly 1024 bytes; nothing was written"},
        {{"restore", world.file("blank.bin").string()}, 1,
         world.file("blank.bin").string() + " has nothing signed: it is not a wheel image; nothing was written"},
        {{"restore", noPs3, "--blocks", "xbox,ps3"}, 1,
         "the PS3 block of " + noPs3 + " is not signed; nothing was written"},
        {{"restore", noPs3, "--blocks", "xbox,wheel"}, 2,
         "restore: unknown block 'wheel'; blocks are xbox, ps3 and settings (see 'kestrelctl restore --help')"},
        {{"apply", noPs3, "-b", "ps3"}, 1, "the PS3 block of " + noPs3 + " is not signed; nothing was written"},
        {{"map", "--console", "xbox", "PADDLE=X"}, 2,
         "map: unknown control 'PADDLE'; controls are " + cli::controlNames() + " (see 'kestrelctl map --help')"},
        {{"map", "--console", "xbox", "UP=Jump"}, 2,
         "map: unknown function 'Jump'; functions are " + cli::functionNames() + " (see 'kestrelctl map --help')"},
        {{"map", "UP=Down"}, 2, "map: --console xbox|ps3 is required (see 'kestrelctl map --help')"},
        {{"map", "--console", "wii", "UP=Down"}, 2,
         "map: unknown console 'wii'; consoles are xbox and ps3 (see 'kestrelctl map --help')"},
        {{"map", "--console", "xbox", "UP=Down", "up=Left"}, 2,
         "map: control UP is given twice (see 'kestrelctl map --help')"},
        {{"set", "--pedal", "257"}, 2,
         "set: pedal pressure '257' is not a whole number from 0 to 256 (see 'kestrelctl set --help')"},
        {{"set", "--sensitivity", "60-10"}, 2,
         "set: sensitivity '60-10' is not LOW-HIGH in degrees with 0 <= LOW <= HIGH <= 90 (see 'kestrelctl set --help')"},
        {{"set", "--sensitivity", "0-91"}, 2,
         "set: sensitivity '0-91' is not LOW-HIGH in degrees with 0 <= LOW <= HIGH <= 90 (see 'kestrelctl set --help')"},
        {{"set", "--rumble", "loud"}, 2, "set: rumble 'loud' is not off, medium or high (see 'kestrelctl set --help')"},
        {{"set"}, 2,
         "set: nothing to set: give --sensitivity, --rumble, --pedal or --console (see 'kestrelctl set --help')"},
        {{"profile", "save", "rally/stage"}, 2,
         "profile: the profile name 'rally/stage' contains a slash (see 'kestrelctl profile --help')"},
        {{"profile", "apply", "../x"}, 2,
         "profile: the profile name '../x' contains a slash (see 'kestrelctl profile --help')"},
        {{"profile", "apply", "missing"}, 1, "no profile named 'missing' (profiles: none)"},
        {{"show", "--frobnicate"}, 2, "show: unknown option '--frobnicate' (see 'kestrelctl show --help')"},
        {{"set", "--pedal"}, 2, "set: option '--pedal' needs a value (see 'kestrelctl set --help')"},
        {{"launch"}, 2, "unknown command 'launch' (see 'kestrelctl --help')"},
        {{}, 2, "no command given (see 'kestrelctl --help')"},
    };
    for (const Case& c : cases) {
        const RunResult result = world.run(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.error;
        EXPECT_EQ(result.err, "kestrelctl: " + c.error + "\n");
        EXPECT_EQ(world.wheel.memory(), savedWheelImage()) << c.error;
    }
    EXPECT_TRUE(world.backups().empty());
    EXPECT_EQ(world.wheel.count(sim::SimEventKind::Write), 0u) << "not even a read was sent";
}

TEST_F(Kestrelctl, MissingWheelStopsEveryWritingCommand) {
    world.wheel.unplug();
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"set", "--rumble", "off"}, {"map", "--console", "ps3", "UP=Down"}, {"backup"},
          {"profile", "save", "rally"}}) {
        const RunResult result = world.run(arguments);
        EXPECT_EQ(result.status, 3);
        EXPECT_EQ(result.err, "kestrelctl: no wheel connected\n");
    }
    EXPECT_TRUE(world.backups().empty());
    EXPECT_FALSE(fs::exists(world.scratch / "config/kestrel/profiles/rally.bin"));
}

TEST_F(Kestrelctl, WheelRemovedDuringTheWriteIsExitStatusThreeWithTheLinksLogLines) {
    world.wheel.failWrite(5);  // the read command, then the write command and three chunks
    world.wheel.failOpen(3);   // the read's open, UWD's open, then it is gone
    const RunResult result = world.run({"set", "--rumble", "off"});
    EXPECT_EQ(result.status, 3);
    const std::string backup = world.backups().at(0).string();
    EXPECT_EQ(result.err,
              "kestrelctl: the wheel was removed during the write (WRITE NVM : Unable to write(); Error: Simulated "
              "write failure; UWD : Device write error); what it held before is in " +
                  backup + "\n");
    EXPECT_EQ(readImage(backup), savedWheelImage());
}

TEST_F(Kestrelctl, WheelThatFailsTheWriteButStaysIsExitStatusOne) {
    world.wheel.failWrite(3);
    const RunResult result = world.run({"map", "--console", "xbox", "UP=Down"});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.starts_with("kestrelctl: the wheel did not answer during the write (WRITE NVM : Unable to write()"))
        << result.err;
}

TEST_F(Kestrelctl, WheelRemovedWhileReadIsExitStatusThreeAndNothingIsWritten) {
    world.wheel.failRead(4);
    world.wheel.failOpen(2);
    const RunResult result = world.run({"set", "--pedal", "10"});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.err,
              "kestrelctl: the wheel was removed while its configuration was read (READ NVM : Unable to read_NVM(); "
              "Error: Simulated read failure)\n");
    EXPECT_EQ(world.wheel.memory(), savedWheelImage());
    EXPECT_TRUE(world.backups().empty());
}

// ---- backups before every kind of write ------------------------------------------------------

TEST_F(Kestrelctl, EveryKindOfWriteBacksUpTheImageItReplaces) {
    world.writeFile("other.bin", savedWheelImage());
    ASSERT_EQ(world.run({"profile", "save", "start"}).status, 0);
    const std::vector<std::vector<std::string>> writes = {
        {"set", "--pedal", "100"},
        {"map", "--console", "xbox", "UP=Down"},
        {"restore", world.file("other.bin").string()},
        {"apply", world.file("other.bin").string(), "--blocks", "settings"},  // no change: no write
        {"set", "--rumble", "off"},
        {"profile", "apply", "start"},
    };
    std::vector<NvmImage> replaced;
    for (const auto& arguments : writes) {
        const NvmImage before = world.wheel.memory();
        const RunResult result = world.run(arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        if (world.wheel.memory() != before) replaced.push_back(before);
    }
    const std::vector<fs::path> stored = world.backups();
    ASSERT_EQ(stored.size(), replaced.size());
    ASSERT_EQ(stored.size(), 5u);
    for (std::size_t i = 0; i < stored.size(); ++i) EXPECT_EQ(readImage(stored[i]), replaced[i]) << i;
}

TEST_F(Kestrelctl, UnwritableBackupFolderWarnsAndStillWrites) {
    world.environment["XDG_STATE_HOME"] = world.file("state-file").string();
    world.writeFile("state-file", 3);
    const RunResult result = world.run({"set", "--pedal", "100"});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.err.starts_with("kestrelctl: warning: no backup was stored before the write: cannot create "))
        << result.err;
    EXPECT_EQ(world.wheel.memory().readS32(kSettingsBlockOffset + kPedalPressureOffset + 4), 100);
    EXPECT_NE(result.out.find("Written to the wheel."), std::string::npos);
}

// ---- profiles -------------------------------------------------------------------------------

TEST_F(Kestrelctl, ProfileSavedThenAppliedBringsBackItsBlocksAndConsole) {
    ASSERT_EQ(world.run({"set", "--console", "ps3", "--rumble", "high"}).status, 0);
    RunResult result = world.run({"profile", "save", "rally"});
    const fs::path path = world.scratch / "config/kestrel/profiles/rally.bin";
    EXPECT_EQ(result.out, "Saved the wheel's configuration as profile 'rally' (" + path.string() + ")\n");
    const NvmImage rally = world.wheel.memory();

    NvmImage elsewhere = savedWheelImage();
    elsewhere.bytes[0x0C0] = 0xAB;  // a byte only this wheel knows
    world.wheel.setMemory(elsewhere);
    result = world.run({"profile", "apply", "rally"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.out.starts_with("Applying profile 'rally' (Xbox 360, PS3, settings, console mode)\nChanges:\n"
                                       "  Console mode: Xbox 360 → PS3\n  Rumble: medium → high\n"))
        << result.out;
    NvmImage expected = rally;
    expected.bytes[0x0C0] = 0xAB;
    EXPECT_EQ(world.wheel.memory(), expected);

    ASSERT_EQ(world.run({"profile", "save", "circuit"}).status, 0);
    EXPECT_EQ(world.run({"profile", "list"}).out, "circuit\nrally\n");
    EXPECT_EQ(world.run({"profile", "remove", "rally"}).out, "Removed profile 'rally'\n");
    EXPECT_EQ(world.run({"profile", "list", "--json"}).out,
              "[\n  {\n    \"name\": \"circuit\",\n    \"path\": \"" +
                  (world.scratch / "config/kestrel/profiles/circuit.bin").string() + "\"\n  }\n]\n");
    result = world.run({"profile", "remove", "rally"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "kestrelctl: no profile named 'rally' (profiles: circuit)\n");
}

// ---- presets --------------------------------------------------------------------------------

class KestrelctlPresets : public Kestrelctl {
protected:
    void SetUp() override {
        NvmImage settingsPreset = savedWheelImage();
        settingsPreset.writeS32(kSettingsBlockOffset + kRumbleLevelOffset, kRumbleOff);
        settingsPreset.writeS32(kSettingsBlockOffset + kPedalPressureOffset, 120);
        settingsPreset.writeS32(kSettingsBlockOffset + kPedalPressureOffset + 4, 120);
        settingsPreset.bytes[typeByte(kConsoleXbox360, DEST_UP)] = XB360_A;  // carried, but not by type 4
        NvmImage layout = savedWheelImage();
        layout.bytes[typeByte(kConsoleXbox360, DEST_UP)] = XB360_B;
        layout.writeU32(kPs3BlockOffset, 0);
        world.http.bodies[settingsDocumentUrl()] =
            "<?xml version=\"1.0\" encoding=\"UTF-8\" ?><settings><version>101</version><presets>"
            "<preset><name>Gentle</name><note>Soft pedals.~No rumble.</note><type>4</type>"
            "<file>http://presets.test/gentle.bin</file></preset>"
            "<preset><name>Half Layout</name><note>Xbox only</note><type>3</type>"
            "<file>http://presets.test/half.bin</file></preset>"
            "<preset><name>Broken</name><note></note><type>7</type><file>http://presets.test/none.bin</file></preset>"
            "</presets></settings>";
        world.http.bodies["http://presets.test/gentle.bin"] = std::string(settingsPreset.bytes.begin(), settingsPreset.bytes.end());
        world.http.bodies["http://presets.test/half.bin"] = std::string(layout.bytes.begin(), layout.bytes.end());
    }
};

TEST_F(KestrelctlPresets, PresetsListNamesBlocksAndNotes) {
    RunResult result = world.run({"presets"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "Gentle (settings)\n    Soft pedals.\n    No rumble.\n"
              "Half Layout (Xbox 360, PS3)\n    Xbox only\n"
              "Broken (Xbox 360, PS3, settings)\n");
    result = world.run({"presets", "--json"});
    EXPECT_TRUE(result.out.starts_with("[\n  {\n    \"name\": \"Gentle\",\n    \"note\": \"Soft pedals.\\nNo rumble.\",\n"
                                       "    \"blocks\": [\n      \"settings\"\n    ],\n"
                                       "    \"file\": \"http://presets.test/gentle.bin\"\n  },\n"))
        << result.out;
}

TEST_F(KestrelctlPresets, ApplyCopiesOnlyTheBlocksThePresetCarries) {
    const RunResult result = world.run({"apply", "gentle"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.out.starts_with("Applying the settings block of preset 'Gentle'\nChanges:\n  Rumble: medium → off\n"
                                       "  Pedal pressure: 200 → 120\n"))
        << result.out;
    const NvmImage& memory = world.wheel.memory();
    EXPECT_EQ(memory.bytes[typeByte(kConsoleXbox360, DEST_UP)], XB360_UP) << "type 4 leaves the mapping alone";
    for (const std::size_t offset : changedBytes(savedWheelImage(), memory)) {
        EXPECT_TRUE(offset >= kSettingsBlockOffset && offset < kSettingsBlockOffset + kSettingsBlockSize) << offset;
    }
}

TEST_F(KestrelctlPresets, UnsignedBlockOfAPresetIsSkippedOrRefusedWhenAskedFor) {
    RunResult result = world.run({"apply", "Half Layout", "--blocks", "ps3"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "kestrelctl: the PS3 block of preset 'Half Layout' is not signed; nothing was written\n");
    result = world.run({"apply", "Gentle", "--blocks", "xbox"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "kestrelctl: preset 'Gentle' does not carry the Xbox 360 block; nothing was written\n");
    EXPECT_EQ(world.wheel.memory(), savedWheelImage());

    result = world.run({"apply", "Half Layout"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "kestrelctl: warning: skipping the PS3 block of preset 'Half Layout': not signed\n");
    EXPECT_EQ(world.wheel.memory().bytes[typeByte(kConsoleXbox360, DEST_UP)], XB360_B);
}

TEST_F(KestrelctlPresets, UnknownUnreachableOrOfflinePresetsFailWithoutWriting) {
    RunResult result = world.run({"apply", "Drift"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "kestrelctl: no preset named 'Drift' (presets: Gentle, Half Layout, Broken)\n");
    result = world.run({"apply", "broken"});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.starts_with("kestrelctl: the preset 'Broken' could not be downloaded from "
                                       "http://presets.test/none.bin ("))
        << result.err;
    world.http.bodies.clear();
    result = world.run({"presets"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "kestrelctl: the presets could not be fetched from " + settingsDocumentUrl() + "\n");
    EXPECT_EQ(world.wheel.memory(), savedWheelImage());
    EXPECT_TRUE(world.backups().empty());
}

// ---- help and version -----------------------------------------------------------------------

TEST_F(Kestrelctl, EveryCommandHasHelpAndTheProgramItsVersion) {
    for (const char* command : {"info", "show", "backup", "restore", "set", "map", "presets", "apply", "profile"}) {
        const RunResult result = world.run({command, "--help"});
        EXPECT_EQ(result.status, 0);
        EXPECT_TRUE(result.out.starts_with(std::string("Usage: kestrelctl ") + command)) << result.out;
        EXPECT_EQ(world.run({"help", command}).out, result.out);
    }
    EXPECT_TRUE(world.run({"--help"}).out.starts_with("Usage: kestrelctl [--verbose] COMMAND"));
    EXPECT_EQ(world.run({"--version"}).out, "kestrelctl 1.1\n");
    EXPECT_EQ(world.wheel.transcript().size(), 0u);
}

TEST_F(Kestrelctl, VerboseShowsTheWheelLinksLogLines) {
    const RunResult result = world.run({"--verbose", "info"});
    EXPECT_EQ(result.err, "Device version number: 0118\n");
}

}  // namespace
}  // namespace kestrel
