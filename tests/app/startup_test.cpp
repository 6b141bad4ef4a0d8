// Start-up and shut-down through runProgram on the headless engine, the simulated wheel and a
// scripted network: what exists before the first frame, and what happens when the window
// cannot be made.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/frame.h"
#include "app/program.h"
#include "engine/headless.h"
#include "online/http_fetch.h"
#include "test_doubles.h"
#include "wheel/sim/sim_wheel.h"

namespace kestrel {
namespace {

using testing::RecordingShell;
using testing::ScriptedTransport;

class ForwardingShell final : public Shell {
public:
    explicit ForwardingShell(Shell& target) : target_(target) {}
    MessageBoxResult ask(std::string_view text, MessageBoxButtons buttons, PromptIcon icon) override {
        return target_.ask(text, buttons, icon);
    }
    int openUrl(const std::string& url) override { return target_.openUrl(url); }

private:
    Shell& target_;
};

struct FirstFrame {
    bool seen = false;
    bool wheelConnected = false;
    int screenState = -1;
    int frames = 0;
};

class StartupTest : public ::testing::Test {
protected:
    StartupTest() {
        environment.createEngine = [] { return CreateEngine(); };
        environment.settingsHttp = &settingsHttp;
        environment.presetHttp = &presetHttp;
        environment.makeShell = [this](HGE&) { return std::make_unique<ForwardingShell>(shell); };
        environment.logFile = (std::filesystem::path(::testing::TempDir()) / "startup-test.log").string();
        environment.noticeSource = wheel.noticeSource();
        environment.beforeLoop = [this](ProgramWorld&, HGE& hge, const StartupReport& startup) {
            report = startup;
            hge.System_GetWindowRect(&windowLeft, &windowTop, &windowWidth, &windowHeight);
        };
        environment.beforeFrame = [this](ProgramWorld& world, HGE&) {
            if (!first.seen) {
                first.seen = true;
                first.wheelConnected = world.flags.WheelConnected;
                first.screenState = world.states.ScreenState;
            }
            return ++first.frames > framesToRun;
        };
    }

    HeadlessEngine engine;
    sim::SimWheel wheel;
    RecordingShell shell;
    ScriptedTransport settingsHttp;
    ScriptedTransport presetHttp;
    ProgramEnvironment environment;
    StartupReport report;
    FirstFrame first;
    int framesToRun = 3;
    int windowLeft = 0, windowTop = 0, windowWidth = 0, windowHeight = 0;
};

TEST_F(StartupTest, WheelPluggedInAtStartIsReadBeforeTheFirstFrame) {
    EXPECT_EQ(runProgram(environment), 0);
    ASSERT_TRUE(first.seen);
    EXPECT_TRUE(first.wheelConnected);
    EXPECT_EQ(first.screenState, kScreenMainPage);
    EXPECT_TRUE(report.initiated);
    EXPECT_TRUE(report.fontsMade[0]);
    EXPECT_TRUE(report.fontsMade[1]);
    EXPECT_EQ(windowWidth, 800);
    EXPECT_EQ(windowHeight, 600);
    EXPECT_EQ(wheel.openHandles(), 0);
    EXPECT_GT(wheel.count(sim::SimEventKind::Read), 0u);
}

TEST_F(StartupTest, WithoutAWheelTheFirstFrameShowsTheNoWheelScreen) {
    wheel.unplug();
    EXPECT_EQ(runProgram(environment), 0);
    EXPECT_FALSE(first.wheelConnected);
    EXPECT_EQ(first.screenState, kScreenNoWheel);
}

TEST_F(StartupTest, OfflineStartFetchesOnceAndRunsWithoutPresets) {
    int presets = -1;
    std::string support;
    environment.afterLoop = [&](ProgramWorld& world, HGE&) {
        presets = world.online.presetCount();
        support = world.online.supportLink;
    };
    EXPECT_EQ(runProgram(environment), 0);
    EXPECT_EQ(settingsHttp.requested, (std::vector<std::string>{settingsDocumentUrl()}));
    EXPECT_EQ(report.settingsFetch, 0);
    EXPECT_EQ(presets, 0);
    EXPECT_EQ(support, defaultSupportUrl());
    EXPECT_TRUE(shell.texts.empty());
}

TEST_F(StartupTest, NewerVersionInTheDocumentIsAskedOnTheFirstFrameAndEndsTheProgram) {
    settingsHttp.bodies[settingsDocumentUrl()] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" ?><settings><version>102</version>"
        "<download>https://example.org/new</download></settings>";
    framesToRun = 100;
    EXPECT_EQ(runProgram(environment), 0);
    EXPECT_EQ(first.frames, 1);
    ASSERT_FALSE(shell.texts.empty());
    EXPECT_EQ(shell.texts.front(), kNewerVersionQuestion);
    EXPECT_EQ(shell.texts.back(), kAppUpgradeRefusal);
}

TEST_F(StartupTest, FailedInitiationTouchesNeitherNetworkNorWheelAndStillExitsWithZero) {
    engine.platform().failWindowCreation(true);
    bool loopRan = false;
    environment.beforeLoop = [&](ProgramWorld&, HGE&, const StartupReport&) { loopRan = true; };
    EXPECT_EQ(runProgram(environment), 0);
    EXPECT_FALSE(loopRan);
    EXPECT_FALSE(first.seen);
    EXPECT_TRUE(settingsHttp.requested.empty());
    EXPECT_TRUE(wheel.transcript().empty());
    EXPECT_FALSE(engine.platform().windowExists());
}

TEST_F(StartupTest, ACloseDuringTheSplashEndsTheProgramBeforeStartUpGoesOn) {
    engine.hge()->System_SetBoolState(kStateShowSplash, true);
    PlatformEvent close;
    close.type = PlatformEvent::Type::kCloseRequest;
    engine.platform().queueEvent(close);
    bool loopRan = false;
    environment.beforeLoop = [&](ProgramWorld&, HGE&, const StartupReport&) { loopRan = true; };
    EXPECT_EQ(runProgram(environment), 0);
    EXPECT_FALSE(loopRan);
    EXPECT_FALSE(first.seen);
    EXPECT_TRUE(settingsHttp.requested.empty());
    EXPECT_TRUE(wheel.transcript().empty());
    EXPECT_TRUE(engine.log().contains("System_Initiate: Closed during the splash"));
    EXPECT_EQ(engine.log().lines().back(), "The End.");
}

TEST(WindowTitle, NamesTheProductAndVersion) { EXPECT_EQ(windowTitle(), " Kestrel Setup v1.1"); }

}  // namespace
}  // namespace kestrel
