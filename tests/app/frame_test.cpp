// The frame function's fixed order of prompts and pending work, Escape, the mouse sample, the
// window drag by the top band, and drawing only what changed — on the real engine over the
// headless platform, with a recording shell, screen and wheel.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/frame.h"
#include "engine/headless.h"
#include "test_doubles.h"

namespace kestrel {
namespace {

using testing::RecordingShell;

struct RecordingScreen final : ScreenDriver {
    ScreenStates* states = nullptr;
    int result = 0;
    int updates = 0;
    std::vector<int> drawnStates;
    MouseSample lastMouse;
    int updateScreen(const MouseSample& mouse) override {
        ++updates;
        lastMouse = mouse;
        return result;
    }
    void drawScreen() override { drawnStates.push_back(states->ScreenState); }
};

struct RecordingWheel final : WheelActions {
    int firmwareResult = 1;
    int writeResult = 1;
    int firmwareCalls = 0;
    int writeCalls = 0;
    int firmwareUpdate() override { return ++firmwareCalls, firmwareResult; }
    int writeConfiguration() override { return ++writeCalls, writeResult; }
};

class FrameLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(engine.initiate());
        screen.states = &states;
        states.ScreenState = kScreenMainPage;
    }

    // Runs frames through the engine's real loop; returns what the last frame function said.
    bool runFrames(int frames) {
        bool ended = false;
        engine.hge()->System_SetFuncState(kStateRenderFunc, [&] { return loop.renderFunction(); });
        engine.runFrames(frames, [&] { ended = loop.frameFunction(); });
        return ended;
    }
    void moveMouse(float x, float y) {
        PlatformEvent event;
        event.type = PlatformEvent::Type::kMouseMove;
        event.x = x;
        event.y = y;
        engine.platform().queueEvent(event);
    }
    void pressKey(int key) {
        PlatformEvent event;
        event.type = PlatformEvent::Type::kKeyDown;
        event.key = key;
        engine.platform().queueEvent(event);
    }
    int windowLeft() {
        int left = 0, top = 0, width = 0, height = 0;
        engine.hge()->System_GetWindowRect(&left, &top, &width, &height);
        return left;
    }
    int windowTop() {
        int left = 0, top = 0, width = 0, height = 0;
        engine.hge()->System_GetWindowRect(&left, &top, &width, &height);
        return top;
    }

    HeadlessEngine engine;
    RecordingShell shell;
    ProgramFlags flags;
    ScreenStates states;
    std::string downloadUrl = "https://example.org/kestrel/download/";
    RecordingScreen screen;
    RecordingWheel wheel;
    FrameLoop loop{{*engine.hge(), engine.log(), shell, flags, states, downloadUrl, screen, wheel}};
};

TEST_F(FrameLoopTest, NewerVersionIsAskedFirstAndEndsTheProgramWhateverTheAnswer) {
    flags.NewerAppAvailable = true;
    flags.FirmwareOutOfDate = true;
    shell.answers = {MessageBoxResult::kNo};
    EXPECT_TRUE(loop.frameFunction());
    EXPECT_EQ(shell.texts, (std::vector<std::string>{std::string(kNewerVersionQuestion), std::string(kAppUpgradeRefusal)}));
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_TRUE(flags.NewerAppAvailable);

    shell.texts.clear();
    shell.answers = {MessageBoxResult::kYes};
    EXPECT_TRUE(loop.frameFunction());
    EXPECT_EQ(shell.texts, (std::vector<std::string>{std::string(kNewerVersionQuestion)}));
    EXPECT_EQ(shell.opened, (std::vector<std::string>{downloadUrl}));
    EXPECT_EQ(screen.updates, 0);
}

TEST_F(FrameLoopTest, FailedOpenOfTheDownloadPageIsLoggedWithTheUrl) {
    flags.NewerAppAvailable = true;
    shell.answers = {MessageBoxResult::kYes};
    shell.openResult = kShellOpenNoAssociation;
    EXPECT_TRUE(loop.frameFunction());
    EXPECT_TRUE(engine.log().contains("Open https://example.org/kestrel/download/ - Error SE_ERR_NOASSOC"));
}

TEST_F(FrameLoopTest, FirmwareYesShowsTheUpdatingScreenOnceThenUpdatesAndResumes) {
    flags.FirmwareOutOfDate = true;
    shell.answers = {MessageBoxResult::kYes};
    EXPECT_FALSE(runFrames(1));
    EXPECT_EQ(states.ScreenState, kScreenFirmwareUpdate);
    EXPECT_EQ(states.ResumeState, kScreenMainPage);
    EXPECT_EQ(wheel.firmwareCalls, 0);
    EXPECT_EQ(screen.drawnStates, (std::vector<int>{kScreenFirmwareUpdate}));

    EXPECT_FALSE(runFrames(1));
    EXPECT_EQ(wheel.firmwareCalls, 1);
    EXPECT_EQ(shell.texts.back(), kUpdateDoneText);
    EXPECT_EQ(states.ScreenState, kScreenMainPage);
    EXPECT_FALSE(flags.FirmwareUpdateRequested);
    EXPECT_FALSE(flags.FirmwareOutOfDate);
}

TEST_F(FrameLoopTest, RefusedOrFailedWorkEndsTheProgramWithItsMessage) {
    struct Case {
        bool outOfDate, updateRequested, writePending;
        int firmwareResult, writeResult;
        std::string_view lastText;
    };
    const Case cases[] = {
        {true, false, false, 1, 1, kFirmwareRefusal},
        {false, true, false, 0, 1, kUpdateFailedText},
        {false, false, true, 1, 0, kWriteFailedText},
    };
    for (const Case& c : cases) {
        flags = ProgramFlags{};
        flags.FirmwareOutOfDate = c.outOfDate;
        flags.FirmwareUpdateRequested = c.updateRequested;
        flags.ConfigWritePending = c.writePending;
        wheel.firmwareResult = c.firmwareResult;
        wheel.writeResult = c.writeResult;
        shell.texts.clear();
        EXPECT_TRUE(loop.frameFunction());
        ASSERT_FALSE(shell.texts.empty());
        EXPECT_EQ(shell.texts.back(), c.lastText);
        EXPECT_EQ(screen.updates, 0);
    }
}

TEST_F(FrameLoopTest, PendingWriteRunsBeforeEscapeIsRead) {
    flags.ConfigWritePending = true;
    states.ResumeState = kScreenSensitivityPage;
    states.ScreenState = kScreenSaving;
    pressKey(kKeyEscape);
    EXPECT_TRUE(runFrames(1));
    EXPECT_EQ(wheel.writeCalls, 1);
    EXPECT_FALSE(flags.ConfigWritePending);
    EXPECT_EQ(states.ScreenState, kScreenSensitivityPage);
    EXPECT_EQ(screen.updates, 0);
}

TEST_F(FrameLoopTest, ScreenAskingToCloseEndsTheProgramSilently) {
    screen.result = -1;
    EXPECT_TRUE(loop.frameFunction());
    EXPECT_TRUE(shell.texts.empty());
}

TEST_F(FrameLoopTest, MouseOutsideTheWindowIsAnAllZeroSample) {
    moveMouse(120.7f, 33.2f);
    engine.platform().setMouseButtonHeld(kKeyLeftButton, true);
    runFrames(1);
    EXPECT_EQ(screen.lastMouse.x, 120);
    EXPECT_EQ(screen.lastMouse.y, 33);
    EXPECT_TRUE(screen.lastMouse.leftHeld);

    engine.platform().setCursorOverWindow(false);
    engine.platform().setMouseButtonHeld(kKeyLeftButton, false);
    runFrames(1);
    EXPECT_EQ(screen.lastMouse.x, 0);
    EXPECT_EQ(screen.lastMouse.y, 0);
    EXPECT_FALSE(screen.lastMouse.leftHeld);
}

TEST_F(FrameLoopTest, PressInTheTopBandDragsTheWindowByTheCursorMovement) {
    const int left = windowLeft();
    const int top = windowTop();
    engine.platform().setCursorScreenPosition(500, 300);
    moveMouse(200, 59);
    engine.platform().setMouseButtonHeld(kKeyLeftButton, true);
    runFrames(1);
    EXPECT_TRUE(loop.dragging());

    engine.platform().setCursorScreenPosition(530, 280);
    runFrames(1);
    EXPECT_EQ(windowLeft(), left + 30);
    EXPECT_EQ(windowTop(), top - 20);
    int l = 0, t = 0, width = 0, height = 0;
    engine.hge()->System_GetWindowRect(&l, &t, &width, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);

    engine.platform().setMouseButtonHeld(kKeyLeftButton, false);
    runFrames(1);
    EXPECT_FALSE(loop.dragging());
}

TEST_F(FrameLoopTest, PressesThatMustNotDragLeaveTheWindowWhereItIs) {
    struct Case {
        int pressY;
        int screenResult;
    };
    // Row 60 is below the band; a press inside the band taken by a widget is the widget's.
    for (const Case c : {Case{60, 0}, Case{20, 1}}) {
        const int left = windowLeft();
        screen.result = c.screenResult;
        engine.platform().setCursorScreenPosition(500, 300);
        moveMouse(200, static_cast<float>(c.pressY));
        engine.platform().setMouseButtonHeld(kKeyLeftButton, true);
        runFrames(1);
        // Moving the held cursor up into the band afterwards does not start a drag either.
        screen.result = 0;
        moveMouse(200, 10);
        engine.platform().setCursorScreenPosition(560, 250);
        runFrames(2);
        EXPECT_EQ(windowLeft(), left) << "press at row " << c.pressY;
        EXPECT_FALSE(loop.dragging());
        engine.platform().setMouseButtonHeld(kKeyLeftButton, false);
        runFrames(1);
    }
}

TEST_F(FrameLoopTest, StaticScreenStopsDrawingUntilSomethingChanges) {
    runFrames(kSettleFrames + 20);
    const std::uint64_t drawn = loop.scenesDrawn();
    EXPECT_EQ(drawn, static_cast<std::uint64_t>(kSettleFrames));
    runFrames(50);
    EXPECT_EQ(loop.scenesDrawn(), drawn);

    moveMouse(300, 300);
    runFrames(1);
    EXPECT_EQ(loop.scenesDrawn(), drawn + 1);

    runFrames(kSettleFrames + 5);
    const std::uint64_t settled = loop.scenesDrawn();
    states.ScreenState = kScreenSensitivityPage;  // as a hot-plug notice or a widget would
    runFrames(1);
    EXPECT_EQ(loop.scenesDrawn(), settled + 1);
}

TEST_F(FrameLoopTest, ExposeAndAnimationsAlwaysDraw) {
    runFrames(kSettleFrames + 5);
    const std::uint64_t drawn = loop.scenesDrawn();
    // The engine answers an expose with a render call of its own, between frames.
    EXPECT_FALSE(loop.renderFunction());
    EXPECT_EQ(loop.scenesDrawn(), drawn + 1);

    states.ScreenState = kScreenSlideToSensitivity;
    runFrames(kSettleFrames * 3);
    EXPECT_EQ(loop.scenesDrawn(), drawn + 1 + kSettleFrames * 3);
}

TEST_F(FrameLoopTest, LongWorkKeepsTheWindowAnsweringAndDrawsOnlyWhenAsked) {
    runFrames(kSettleFrames + 5);
    const std::uint64_t drawn = loop.scenesDrawn();
    const int updates = screen.updates;
    auto& platform = engine.platform();

    loop.keepWindowAnswering(false);
    EXPECT_EQ(platform.windowEventPumps(), 1);
    EXPECT_EQ(loop.scenesDrawn(), drawn);

    loop.keepWindowAnswering(true);
    EXPECT_EQ(loop.scenesDrawn(), drawn + 1);
    EXPECT_EQ(screen.drawnStates.back(), kScreenMainPage);

    PlatformEvent exposed;
    exposed.type = PlatformEvent::Type::kExposed;
    platform.queueEvent(exposed);
    moveMouse(10, 10);
    pressKey(kKeyEscape);
    loop.keepWindowAnswering(false);
    EXPECT_EQ(loop.scenesDrawn(), drawn + 2) << "what the expose lost is drawn again";
    EXPECT_EQ(platform.windowEventPumps(), 3);
    EXPECT_EQ(screen.updates, updates) << "the screen sees no input meanwhile";
    EXPECT_FALSE(runFrames(1)) << "the Escape pressed meanwhile was dropped";
}

TEST(ShellUrls, OnlyWebPagesWithAHostAreOpened) {
    for (const char* url : {"http://example.org/", "HTTPS://example.org/kestrel/download"}) EXPECT_TRUE(isWebUrl(url)) << url;
    for (const char* url : {"", "file:///etc/passwd", "ftp://example.org/", "javascript:alert(1)", "http://",
                            "https:///path", "https://example.org/a b", "https://example.org/\n"})
        EXPECT_FALSE(isWebUrl(url)) << url;
}

TEST(ShellUrls, LoggedLinksStayOnOneLine) {
    EXPECT_EQ(printableUrl("https://example.org/kestrel/"), "https://example.org/kestrel/");
    EXPECT_EQ(printableUrl("javascript:x\nHelp : forged\x7F"), "javascript:x\\x0AHelp : forged\\x7F");
}

TEST(ShellUrls, EveryShellFailureCodeHasALineAndSuccessHasNone) {
    for (int code : {2, 3, 5, 8, 11, 26, 27, 28, 29, 30, 31, 32}) {
        ASSERT_NE(shellOpenErrorLine(code), nullptr) << code;
        EXPECT_EQ(std::string(shellOpenErrorLine(code)).rfind("Open %s - Error ", 0), 0u);
    }
    for (int code : {0, 1, 4, 33, 42}) EXPECT_EQ(shellOpenErrorLine(code), nullptr) << code;
}

}  // namespace
}  // namespace kestrel
