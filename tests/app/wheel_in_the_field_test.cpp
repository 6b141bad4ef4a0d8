// The whole program on the headless engine and the simulated wheel, frame by frame: a wheel whose
// node refuses to open shows the permission hint at once and takes it along when unplugged, a
// udev change after the rule is applied connects it, and a firmware update keeps the window
// answering while it shows how far it got.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <map>

#include "app/frame.h"
#include "app/program.h"
#include "engine/headless.h"
#include "test_doubles.h"
#include "wheel/sim/sim_wheel.h"

namespace kestrel {
namespace {

using namespace std::chrono_literals;
using testing::ForwardingShell;
using testing::RecordingShell;
using testing::ScriptedTransport;

// The hint is written in orange inside the no-wheel box, under its message.
bool hintShown(const HeadlessPlatform& platform) {
    int orange = 0;
    for (int y = 340; y < 420; ++y) {
        for (int x = 40; x < 760; ++x) {
            const std::uint32_t p = platform.pixel(x, y);
            const int r = static_cast<int>(p >> 16 & 0xFF), g = static_cast<int>(p >> 8 & 0xFF),
                      b = static_cast<int>(p & 0xFF);
            orange += r > 0xE0 && g > 0x90 && g < 0xD8 && b < 0x50;
        }
    }
    return orange > 100;
}

class WheelInTheField : public ::testing::Test {
protected:
    WheelInTheField() {
        environment.createEngine = [] { return CreateEngine(); };
        environment.settingsHttp = &http;
        environment.presetHttp = &http;
        environment.makeShell = [this](HGE&) { return std::make_unique<ForwardingShell>(shell); };
        environment.logFile = (std::filesystem::path(::testing::TempDir()) / "field-test.log").string();
        environment.noticeSource = wheel.noticeSource();
        environment.beforeLoop = [this](ProgramWorld& world, HGE&, const StartupReport&) { program = &world; };
        environment.beforeFrame = [this](ProgramWorld& world, HGE&) {
            ++frame;
            if (const auto step = steps.find(frame); step != steps.end()) step->second(world);
            return frame > lastFrame;
        };
        environment.afterScene = [this](ProgramWorld&, HGE&) { scenes[frame] = hintShown(engine.platform()); };
        environment.afterLoop = [this](ProgramWorld&, HGE&) { program = nullptr; };
    }

    HeadlessEngine engine;
    sim::SimWheel wheel;
    RecordingShell shell;
    ScriptedTransport http;
    ProgramEnvironment environment;
    ProgramWorld* program = nullptr;
    int frame = 0;
    int lastFrame = 200;
    // What to do at the start of a frame, by frame number.
    std::map<int, std::function<void(ProgramWorld&)>> steps;
    // Frames whose scene was drawn, and whether it showed the hint.
    std::map<int, bool> scenes;
};

TEST_F(WheelInTheField, PermissionHintIsDrawnOnTheFrameOfTheArrivalAndGoesWithTheWheel) {
    wheel.unplug();
    wheel.denyOpen(EACCES);
    bool connected = true;
    steps[60] = [&](ProgramWorld&) { wheel.plug(); };
    steps[120] = [&](ProgramWorld& world) {
        connected = world.flags.WheelConnected;
        wheel.unplug();
    };

    EXPECT_EQ(runProgram(environment), 0);

    EXPECT_EQ(scenes.lower_bound(40), scenes.lower_bound(61)) << "the no-wheel screen had settled";
    ASSERT_TRUE(scenes.count(61)) << "the arrival is drawn on its own frame";
    EXPECT_TRUE(scenes[61]);
    EXPECT_FALSE(connected);
    ASSERT_TRUE(scenes.count(121)) << "and so is the removal";
    EXPECT_FALSE(scenes[121]);
    EXPECT_FALSE(scenes.rbegin()->second);
}

TEST_F(WheelInTheField, ChangeNoticeAfterTheRuleIsAppliedConnectsWithoutAReplug) {
    wheel.denyOpen(EACCES);
    bool connectedBefore = true;
    bool connectedAfter = false;
    int stateAfter = -1;
    steps[30] = [&](ProgramWorld& world) {
        connectedBefore = world.flags.WheelConnected;
        // udevadm trigger once the rule is installed: the node changes in place.
        wheel.denyOpen(0);
        wheel.trigger();
    };
    steps[31] = [&](ProgramWorld& world) {
        connectedAfter = world.flags.WheelConnected;
        stateAfter = world.states.ScreenState;
    };
    lastFrame = 40;

    EXPECT_EQ(runProgram(environment), 0);

    EXPECT_FALSE(connectedBefore);
    EXPECT_TRUE(connectedAfter);
    EXPECT_EQ(stateAfter, kScreenMainPage);
    EXPECT_TRUE(scenes.count(31));
    EXPECT_FALSE(scenes[31]);
}

TEST_F(WheelInTheField, FirmwareUpdateKeepsTheWindowAnsweringAndShowsItsProgress) {
    using Phase = FirmwareProgress::Phase;
    wheel.setReleaseNumber(0x0117);
    wheel.setReleaseAfterFlash(0x0118);
    wheel.setOldNodeLingersAfterFlash(300ms);
    wheel.setOpensMissedAfterFlash(2);
    shell.answers.push_back(MessageBoxResult::kYes);
    environment.firmware.sleep = [&](std::chrono::milliseconds pause) { wheel.elapse(pause); };
    HeadlessPlatform& platform = engine.platform();
    int pumpsAtStart = -1, pumpsAtEnd = -1, presentsAtStart = -1, presentsAtEnd = -1;
    int framesAtEnd = -1;
    bool halfShown = false, restShown = true;
    environment.firmware.progress = [&](const FirmwareProgress& progress) {
        if (progress.phase == Phase::Flashing && progress.chunksSent == 1) {
            pumpsAtStart = platform.windowEventPumps();
            presentsAtStart = platform.presentCount();
        }
        if (progress.phase == Phase::Flashing && progress.chunksSent == 100) {
            // The user gives up waiting: Escape, then the window manager's close.
            PlatformEvent escape;
            escape.type = PlatformEvent::Type::kKeyDown;
            escape.key = kKeyEscape;
            platform.queueEvent(escape);
            PlatformEvent close;
            close.type = PlatformEvent::Type::kCloseRequest;
            platform.queueEvent(close);
        }
        if (progress.phase == Phase::Flashing && progress.chunksSent == 420) {
            // The panel's bar (x 289..595, y 255..261 on screen) was last drawn at 54 %.
            auto accent = [&](int x) { return (platform.pixel(x, 258) >> 16 & 0xFF) > 0xB0; };
            halfShown = accent(289 + 306 * 45 / 100);
            restShown = accent(289 + 306 * 60 / 100);
        }
        if (progress.phase == Phase::Finishing) {
            pumpsAtEnd = platform.windowEventPumps();
            presentsAtEnd = platform.presentCount();
            framesAtEnd = frame;
        }
    };

    EXPECT_EQ(runProgram(environment), 0);

    EXPECT_EQ(wheel.flashCount(), 1);
    EXPECT_EQ(shell.texts, (std::vector<std::string>{std::string(kFirmwareQuestion), std::string(kUpdateDoneText)}))
        << "the flash ran to its end and was reported";
    ASSERT_GE(pumpsAtStart, 0);
    ASSERT_GE(pumpsAtEnd, 0);
    // One pump per chunk and per pause of the restart (6 of 50 ms, 2 of 100 ms).
    EXPECT_EQ(pumpsAtEnd - pumpsAtStart, 771 + 6 + 2);
    // Drawn each time the bar moves a step (2 %) or the phase changes, not once per chunk.
    EXPECT_GE(presentsAtEnd - presentsAtStart, 50);
    EXPECT_LE(presentsAtEnd - presentsAtStart, 54);
    EXPECT_TRUE(halfShown);
    EXPECT_FALSE(restShown);
    // The close waited for the update and its message, then ended the program on the next pump.
    EXPECT_EQ(frame, framesAtEnd);
}

}  // namespace
}  // namespace kestrel
