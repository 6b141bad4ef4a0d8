// The engine object on the headless platform: references, states, the log file, initiation,
// the frame loop against a driven clock, input and device notices.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "engine/engine_impl.h"
#include "engine/headless.h"
#include "engine/hge.h"

namespace kestrel {
namespace {

using Type = PlatformEvent::Type;

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path scratchFolder(const char* name) {
    auto folder = std::filesystem::temp_directory_path() /
                  ("kestrel-engine-" + std::to_string(getpid()) + "-" + name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

PlatformEvent keyDown(int key, int flags = 0) {
    PlatformEvent event;
    event.type = Type::kKeyDown;
    event.key = key;
    event.flags = flags;
    return event;
}

PlatformEvent mouseEvent(Type type, float x, float y, int key = kKeyLeftButton) {
    PlatformEvent event;
    event.type = type;
    event.key = key;
    event.x = x;
    event.y = y;
    return event;
}

// ---- References and states ---------------------------------------------------------------

TEST(EngineReferences, EveryCreationSharesOneEngineUntilTheLastRelease) {
    {
        HeadlessEngine world;
        HGE* again = CreateEngine();
        EXPECT_EQ(again, world.hge());
        again->System_SetStringState(kStateTitle, "Changed");
        again->System_Release();
        EXPECT_STREQ(world.hge()->System_GetStringState(kStateTitle), "Changed");
    }
    HeadlessEngine fresh;
    EXPECT_STREQ(fresh.hge()->System_GetStringState(kStateTitle), "HGE");
}

TEST(EngineStates, StartWithTheirDocumentedDefaults) {
    HeadlessEngine world;
    HGE* hge = world.hge();
    struct BoolDefault { EngineBoolState state; bool value; };
    // The splash default is switched off by HeadlessEngine itself.
    const BoolDefault bools[] = {{kStateWindowed, false},    {kStateZBuffer, false},
                                 {kStateTextureFilter, true}, {kStateUseSound, true},
                                 {kStateDontSuspend, false},  {kStateHideMouse, true}};
    for (const auto& entry : bools)
        EXPECT_EQ(hge->System_GetBoolState(entry.state), entry.value) << entry.state;
    struct IntDefault { EngineIntState state; int value; };
    const IntDefault ints[] = {{kStateScreenWidth, 800}, {kStateScreenHeight, 600},
                               {kStateScreenBpp, 32},    {kStateSampleRate, 44100},
                               {kStateFxVolume, 100},    {kStateMusicVolume, 100},
                               {kStateStreamVolume, 100}, {kStateFps, 0},
                               {kStatePowerStatus, -2}};
    for (const auto& entry : ints)
        EXPECT_EQ(hge->System_GetIntState(entry.state), entry.value) << entry.state;
    EXPECT_EQ(hge->System_GetStringState(kStateLogFile), nullptr);
    EXPECT_EQ(hge->System_GetWindowState(kStateWindow), nullptr);
}

TEST(EngineStates, SizeCanOnlyChangeBeforeTheWindowExists) {
    HeadlessEngine world;
    world.hge()->System_SetIntState(kStateScreenWidth, 640);
    EXPECT_EQ(world.hge()->System_GetIntState(kStateScreenWidth), 640);
    world.hge()->System_SetIntState(kStateScreenWidth, 800);
    ASSERT_TRUE(world.initiate());
    world.hge()->System_SetIntState(kStateScreenWidth, 1024);
    EXPECT_EQ(world.hge()->System_GetIntState(kStateScreenWidth), 800);
}

TEST(EngineStates, TitleIsCutAt255Characters) {
    HeadlessEngine world;
    const std::string longTitle(400, 'k');
    world.hge()->System_SetStringState(kStateTitle, longTitle.c_str());
    EXPECT_EQ(std::string(world.hge()->System_GetStringState(kStateTitle)).size(), 255u);
}

// ---- Log file ----------------------------------------------------------------------------

TEST(EngineLogFile, SettingTheNameTruncatesAndEachLineIsAppended) {
    const auto folder = scratchFolder("truncate");
    const auto path = folder / "Kestrel.log";
    std::ofstream(path) << "old run\n";
    HeadlessEngine world;
    world.hge()->System_SetStringState(kStateLogFile, path.c_str());
    world.hge()->System_WriteLog("READ NVM : %s", "Unable to write()");
    world.hge()->System_WriteLog("Init done.\n");
    EXPECT_EQ(readAll(path), "READ NVM : Unable to write()\nInit done.\n\n");
    std::filesystem::remove_all(folder);
}

TEST(EngineLogFile, RelativeNameLandsBesideTheProgram) {
    const auto folder = scratchFolder("relative");
    HeadlessEngine world;
    setEngineProgramFolder(world.hge(), folder);
    world.hge()->System_SetStringState(kStateLogFile, "Kestrel.log");
    EXPECT_EQ(std::filesystem::path(world.hge()->System_GetStringState(kStateLogFile)),
              folder / "Kestrel.log");
    world.hge()->System_WriteLog("line");
    EXPECT_EQ(readAll(folder / "Kestrel.log"), "line\n");
    std::filesystem::remove_all(folder);
}

// A folder that refuses the file, and the system folders an installed program runs from (which
// root could write to, leaving a log file no package owns).
TEST(EngineLogFile, UnwritableOrSystemProgramFolderFallsBackToTheStateFolder) {
    const auto state = scratchFolder("state");
    const char* previous = std::getenv("XDG_STATE_HOME");
    const std::string saved = previous != nullptr ? previous : "";
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    for (const char* programFolder : {"/nonexistent/kestrel/bin", "/usr/bin", "/usr/local/bin", "/opt/kestrel"}) {
        SCOPED_TRACE(programFolder);
        HeadlessEngine world;
        setEngineProgramFolder(world.hge(), programFolder);
        world.hge()->System_SetStringState(kStateLogFile, "Kestrel.log");
        world.hge()->System_WriteLog("still logged");
        EXPECT_EQ(readAll(state / "kestrel" / "Kestrel.log"), "still logged\n");
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(programFolder) / "Kestrel.log"));
    }
    if (previous != nullptr) {
        setenv("XDG_STATE_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_STATE_HOME");
    }
    std::filesystem::remove_all(state);
}

TEST(EngineLogFile, AbsoluteNameInAMissingFolderDisablesLoggingQuietly) {
    HeadlessEngine world;
    world.hge()->System_SetStringState(kStateLogFile, "/nonexistent/folder/Kestrel.log");
    EXPECT_EQ(world.hge()->System_GetStringState(kStateLogFile), nullptr);
    world.hge()->System_WriteLog("nowhere");
    EXPECT_TRUE(world.log().contains("nowhere"));  // the observer still sees it
    world.hge()->System_SetStringState(kStateLogFile, nullptr);
    EXPECT_EQ(world.hge()->System_GetStringState(kStateLogFile), nullptr);
}

// ---- Initiation and shut-down ------------------------------------------------------------

TEST(EngineInitiation, MakesAnUncaptionedWindowOfTheClientSizeAndLogsTheSystem) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    EXPECT_NE(world.hge()->System_GetWindowState(kStateWindow), nullptr);
    EXPECT_EQ(world.platform().windowSpec().width, 800);
    EXPECT_EQ(world.platform().windowSpec().height, 600);
    EXPECT_FALSE(world.platform().windowSpec().withCaption);
    const auto& lines = world.log().lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Application: Kestrel Customiser Setup 1.1");
    EXPECT_EQ(lines[1].rfind("Date: ", 0), 0u);
    EXPECT_EQ(lines[2], "OS: Headless");
    EXPECT_EQ(lines[3], "Memory: 1048576K total, 524288K free\n");
    bool initDone = false;
    for (const auto& line : lines) initDone |= line.rfind("Init done. (", 0) == 0;
    EXPECT_TRUE(initDone);
}

TEST(EngineInitiation, AFailedWindowFinishesTheEngineAndReportsFalse) {
    HeadlessEngine world;
    world.platform().failWindowCreation(true);
    EXPECT_FALSE(world.initiate());
    EXPECT_TRUE(world.log().contains("Can't create window"));
    EXPECT_TRUE(world.log().contains("The End."));
    EXPECT_STREQ(world.hge()->System_GetErrorText(), "Can't create window");
    EXPECT_FALSE(world.hge()->System_Start());
    EXPECT_TRUE(world.log().contains("System_Start: System_Initiate wasn't called"));
}

TEST(EngineInitiation, StartWithoutAFrameFunctionRefuses) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    EXPECT_FALSE(world.hge()->System_Start());
    EXPECT_TRUE(world.log().contains("System_Start: No frame function defined"));
}

TEST(EngineInitiation, FinishLogsAndReleasesTheWindow) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    world.hge()->System_Finish();
    EXPECT_TRUE(world.log().contains("\nFinishing.."));
    EXPECT_TRUE(world.log().contains("The End."));
    EXPECT_FALSE(world.platform().windowExists());
}

// ---- Frame loop --------------------------------------------------------------------------

TEST(EngineFrameLoop, SixtyFramesASecondMeansAtLeast16MillisecondsApart) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    std::vector<std::uint32_t> times;
    world.runFrames(30, [&] { times.push_back(world.platform().clock()); });
    ASSERT_EQ(times.size(), 30u);
    for (std::size_t i = 1; i < times.size(); ++i) {
        EXPECT_GE(times[i] - times[i - 1], 16u);
        EXPECT_LE(times[i] - times[i - 1], 17u);
    }
    EXPECT_NEAR(world.hge()->Timer_FrameDelta(), 0.016f, 0.0015f);
}

TEST(EngineFrameLoop, WaitsForEachFrameInOneSleepAndNeverSpins) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    const int sleepsBefore = world.platform().sleepCalls();
    world.runFrames(30);
    EXPECT_EQ(world.platform().zeroLengthSleeps(), 0);
    // One sleep before each of the 31 frame calls (the last one ends the loop).
    EXPECT_LE(world.platform().sleepCalls() - sleepsBefore, 31);

    // Without a frame rate the loop still waits a whole millisecond, never zero.
    world.hge()->System_SetIntState(kStateFps, 0);
    const std::uint32_t start = world.platform().clock();
    world.runFrames(20);
    EXPECT_EQ(world.platform().zeroLengthSleeps(), 0);
    EXPECT_GE(world.platform().clock() - start, 20u);
}

TEST(EngineFrameLoop, LateWakeUpsKeepTheGridAndTheFrameDeltaIsTheTimeSinceThePreviousFrame) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    world.platform().setSleepOvershoot(3);
    std::vector<std::uint32_t> starts;
    std::vector<float> deltas;
    world.runFrames(20, [&] {
        starts.push_back(world.platform().clock());
        deltas.push_back(world.hge()->Timer_FrameDelta());
    });
    ASSERT_EQ(starts.size(), 20u);
    for (std::size_t i = 1; i < starts.size(); ++i) {
        EXPECT_EQ(starts[i] - starts[i - 1], 16u) << i;  // late by the same 3 ms, still 16 apart
        EXPECT_FLOAT_EQ(deltas[i], static_cast<float>(starts[i] - starts[i - 1]) / 1000.0f) << i;
    }
}

TEST(EngineFrameLoop, FrameAfterALongPauseCountsAsOnePeriod) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    std::vector<float> deltas;
    int frame = 0;
    world.runFrames(3, [&] {
        deltas.push_back(world.hge()->Timer_FrameDelta());
        if (frame++ == 0) world.platform().advanceClock(500);  // a blocking wheel exchange
    });
    ASSERT_EQ(deltas.size(), 3u);
    EXPECT_FLOAT_EQ(deltas[1], 0.016f);
}

TEST(EngineFrameLoop, CountsFramesPerSecondAndAccumulatesTime) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    world.runFrames(150);
    EXPECT_GE(world.hge()->Timer_FramesPerSecond(), 58);
    EXPECT_LE(world.hge()->Timer_FramesPerSecond(), 63);
    EXPECT_NEAR(world.hge()->Timer_TotalTime(), 150 * 0.016f, 0.2f);
}

TEST(EngineFrameLoop, RenderFollowsEveryFrameThatDoesNotStop) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    int frames = 0;
    int renders = 0;
    world.hge()->System_SetFuncState(kStateFrameFunc, [&] { return ++frames == 5; });
    world.hge()->System_SetFuncState(kStateRenderFunc, [&] { return ++renders, false; });
    EXPECT_TRUE(world.hge()->System_Start());
    EXPECT_EQ(frames, 5);
    EXPECT_EQ(renders, 4);
}

TEST(EngineFrameLoop, CloseRequestEndsTheLoopUnlessTheExitFunctionRefuses) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    bool allowClose = false;
    world.hge()->System_SetFuncState(kStateExitFunc, [&] { return allowClose; });
    PlatformEvent close;
    close.type = Type::kCloseRequest;
    world.platform().queueEvent(close);
    int frames = 0;
    world.runFrames(3, [&] { ++frames; });
    EXPECT_EQ(frames, 3);  // refused: the loop ran on

    allowClose = true;
    world.platform().queueEvent(close);
    frames = 0;
    world.runFrames(3, [&] { ++frames; });
    EXPECT_EQ(frames, 0);
}

TEST(EngineFrameLoop, ACloseSeenByANestedLoopEndsEveryLoopAroundIt) {
    // A modal prompt runs its frames in a loop of its own inside a frame of the program's.
    for (const Type ending : {Type::kQuit, Type::kCloseRequest}) {
        HeadlessEngine world;
        ASSERT_TRUE(world.initiate());
        int outerFrames = 0;
        int innerFrames = 0;
        bool nested = false;
        world.hge()->System_SetFuncState(kStateFrameFunc, [&] {
            if (nested) {
                if (++innerFrames == 3) {
                    PlatformEvent close;
                    close.type = ending;
                    world.platform().queueEvent(close);
                }
                return false;
            }
            ++outerFrames;
            nested = true;
            world.hge()->System_Start();
            nested = false;
            return false;
        });
        EXPECT_TRUE(world.hge()->System_Start());
        EXPECT_EQ(innerFrames, 3);
        EXPECT_EQ(outerFrames, 1);
        // Once closed, a loop started later ends before its first frame.
        EXPECT_TRUE(world.hge()->System_Start());
        EXPECT_EQ(outerFrames, 1);
    }
}

TEST(EngineFrameLoop, ALostDisplayEndsTheLoopWithALine) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    // The exit function is not asked: there is nothing left to refuse for.
    world.hge()->System_SetFuncState(kStateExitFunc, [] { return false; });
    PlatformEvent lost;
    lost.type = Type::kDisplayLost;
    int frames = 0;
    world.runFrames(5, [&] {
        if (++frames == 2) world.platform().queueEvent(lost);
    });
    EXPECT_EQ(frames, 2);
    EXPECT_TRUE(world.log().contains("System_Start: Display connection lost"));
}

TEST(EngineFrameLoop, WithoutDontSuspendAnInactiveWindowRunsNoFrames) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    world.hge()->System_SetBoolState(kStateDontSuspend, false);
    PlatformEvent lost;
    lost.type = Type::kFocusLost;
    PlatformEvent gained;
    gained.type = Type::kFocusGained;
    int frames = 0;
    world.hge()->System_SetFuncState(kStateFrameFunc, [&] {
        ++frames;
        if (frames == 1) world.platform().queueEvent(lost);
        return frames == 2;
    });
    // The focus comes back only after a second of suspended time.
    const std::uint32_t start = world.platform().clock();
    world.hge()->System_SetFuncState(kStateFocusLostFunc, [&] {
        world.platform().advanceClock(1000);
        world.platform().queueEvent(gained);
        return false;
    });
    world.hge()->System_Start();
    EXPECT_EQ(frames, 2);
    EXPECT_GE(world.platform().clock() - start, 1000u);
}

// ---- Input -------------------------------------------------------------------------------

TEST(EngineInput, EscapeIsTheLastKeyForExactlyOneFrame) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    std::vector<int> lastKeys;
    int frame = 0;
    world.runFrames(3, [&] {
        lastKeys.push_back(world.hge()->Input_LastKey());
        if (frame++ == 0) world.platform().queueEvent(keyDown(kKeyEscape));
    });
    EXPECT_EQ(lastKeys, (std::vector<int>{0, 27, 0}));
}

TEST(EngineInput, WheelNotchesAddUpForOneFrame) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    PlatformEvent notch;
    notch.type = Type::kMouseWheel;
    notch.wheel = 1;
    std::vector<int> deltas;
    int frame = 0;
    world.runFrames(3, [&] {
        deltas.push_back(world.hge()->Input_WheelDelta());
        if (frame++ == 0) {
            world.platform().queueEvent(notch);
            world.platform().queueEvent(notch);
        }
    });
    EXPECT_EQ(deltas, (std::vector<int>{0, 2, 0}));
}

TEST(EngineInput, PressInsideAndReleaseOutsideStaysInsideUntilRelease) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    std::vector<bool> inside;
    int frame = 0;
    world.runFrames(4, [&] {
        if (frame == 0) {
            world.platform().queueEvent(mouseEvent(Type::kMouseButtonDown, 100, 20));
        } else if (frame == 1) {
            world.platform().setCursorOverWindow(false);  // dragged off the window
        } else if (frame == 2) {
            world.platform().queueEvent(mouseEvent(Type::kMouseButtonUp, 900, 20));
        }
        ++frame;
        inside.push_back(world.hge()->Input_MouseInside());
    });
    EXPECT_EQ(inside, (std::vector<bool>{true, true, true, false}));
    EXPECT_FALSE(world.platform().captured());
}

TEST(EngineInput, MousePositionFollowsMovesAndIsClampedToTheClientArea) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    world.platform().queueEvent(mouseEvent(Type::kMouseMove, 120.5f, 45));
    float x = 0, y = 0;
    world.runFrames(1, [&] { world.hge()->Input_MousePosition(&x, &y); });
    EXPECT_FLOAT_EQ(x, 120.5f);
    EXPECT_FLOAT_EQ(y, 45);
    world.platform().queueEvent(mouseEvent(Type::kMouseMove, -30, 900));
    world.runFrames(1, [&] { world.hge()->Input_MousePosition(&x, &y); });
    EXPECT_FLOAT_EQ(x, 0);
    EXPECT_FLOAT_EQ(y, 599);
}

TEST(EngineInput, LeftButtonHeldIsReadLiveNotFromTheQueue) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    world.platform().setMouseButtonHeld(kKeyLeftButton, true);
    EXPECT_TRUE(world.hge()->Input_KeyHeld(kKeyLeftButton));
    world.platform().setMouseButtonHeld(kKeyLeftButton, false);
    EXPECT_FALSE(world.hge()->Input_KeyHeld(kKeyLeftButton));
}

TEST(EngineInput, TransitionsAndEventsDescribeOnlyTheLastFrame) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    world.platform().queueEvent(mouseEvent(Type::kMouseButtonDown, 10, 10));
    world.platform().queueEvent(mouseEvent(Type::kMouseButtonUp, 10, 10));
    PlatformEvent repeatA = keyDown('A');
    repeatA.repeat = true;
    world.platform().queueEvent(repeatA);
    std::vector<int> types;
    bool pressed = false, released = false, repeatPressed = true;
    world.runFrames(1, [&] {
        pressed = world.hge()->Input_KeyPressed(kKeyLeftButton);
        released = world.hge()->Input_KeyReleased(kKeyLeftButton);
        repeatPressed = world.hge()->Input_KeyPressed('A');
        InputEvent event;
        while (world.hge()->Input_NextEvent(&event)) {
            types.push_back(event.type);
            if (event.type == kInputKeyDown) {
                EXPECT_NE(event.flags & kInputFlagRepeat, 0);
            }
        }
    });
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(released);
    EXPECT_FALSE(repeatPressed);  // an auto-repeat is not a new press
    EXPECT_EQ(types, (std::vector<int>{kInputMouseButtonDown, kInputMouseButtonUp, kInputKeyDown}));
    world.runFrames(1, [&] {
        EXPECT_FALSE(world.hge()->Input_KeyPressed(kKeyLeftButton));
        InputEvent event;
        EXPECT_FALSE(world.hge()->Input_NextEvent(&event));
    });
}

TEST(EngineInput, AltEnterIsSwallowed) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    world.platform().queueEvent(keyDown(kKeyEnter, kInputFlagAlt));
    int lastKey = -1;
    world.runFrames(1, [&] { lastKey = world.hge()->Input_LastKey(); });
    EXPECT_EQ(lastKey, 0);
    EXPECT_TRUE(world.hge()->System_GetWindowState(kStateWindow) != nullptr);
}

// ---- Device notices ----------------------------------------------------------------------

class ScriptedNotices final : public DeviceNoticeSource {
public:
    std::optional<DeviceNotice> poll() override {
        if (pending.empty()) return std::nullopt;
        DeviceNotice notice = pending.front();
        pending.erase(pending.begin());
        return notice;
    }
    std::vector<DeviceNotice> pending;
};

TEST(EngineDeviceNotices, InjectedArrivalAndRemovalReachTheHookAsDeviceChanges) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    struct Seen { std::uint32_t message; std::uintptr_t wparam; };
    std::vector<Seen> seen;
    world.hge()->System_SetHookState(kStateMessageHook,
                                     [&](WindowHandle window, std::uint32_t message,
                                         std::uintptr_t wparam, std::intptr_t) {
                                         EXPECT_EQ(window, world.hge()->System_GetWindowState(kStateWindow));
                                         seen.push_back({message, wparam});
                                         return true;
                                     });
    auto source = std::make_unique<ScriptedNotices>();
    ScriptedNotices* notices = source.get();
    world.hge()->System_SetDeviceNoticeSource(std::move(source));

    notices->pending.push_back({DeviceNotice::Kind::kArrival, "/dev/hidraw3"});
    world.runFrames(1);
    EXPECT_TRUE(seen.empty());  // nothing arrives before registration

    ASSERT_TRUE(world.hge()->System_RegisterDeviceNotification());
    notices->pending.push_back({DeviceNotice::Kind::kRemoval, "/dev/hidraw3"});
    world.runFrames(1);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, kMessageDeviceChange);
    EXPECT_EQ(seen[0].wparam, kDeviceArrival);
    EXPECT_EQ(seen[1].wparam, kDeviceRemoveComplete);

    // A node changed in place (udev re-applied its rules) is a device change of its own kind.
    notices->pending.push_back({DeviceNotice::Kind::kChange, "/dev/hidraw3"});
    world.runFrames(1);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].wparam, kDeviceNodesChanged);
}

TEST(EngineDeviceNotices, UdevMonitorNeverBlocksWhenNothingHappens) {
    RecordingLog log;
    auto source = createUdevNoticeSource(log);
    if (!source) {
        // A sandbox without netlink: the failure is logged, not hidden.
        EXPECT_FALSE(log.lines().empty());
        return;
    }
    EXPECT_FALSE(source->poll().has_value());
}

TEST(EngineDeviceNotices, RegistrationWithoutAnySourceFailsWithAnErrorText) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    world.hge()->System_SetDeviceNoticeSource(nullptr);
    if (world.hge()->System_RegisterDeviceNotification()) return;  // a udev monitor was made
    EXPECT_STREQ(world.hge()->System_GetErrorText(), "Can't register device notification");
}

// ---- Window events -----------------------------------------------------------------------

TEST(EngineWindowEvents, FocusChangesCallTheirFunctionsOnceAndExposeRedraws) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    int lost = 0, gained = 0, renders = 0;
    world.hge()->System_SetFuncState(kStateFocusLostFunc, [&] { return ++lost, false; });
    world.hge()->System_SetFuncState(kStateFocusGainFunc, [&] { return ++gained, false; });
    world.hge()->System_SetFuncState(kStateRenderFunc, [&] { return ++renders, false; });
    const auto event = [](Type type) {
        PlatformEvent e;
        e.type = type;
        return e;
    };
    world.platform().queueEvent(event(Type::kFocusLost));
    world.platform().queueEvent(event(Type::kMinimised));
    world.platform().queueEvent(event(Type::kFocusGained));
    world.platform().queueEvent(event(Type::kExposed));
    world.runFrames(1);
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(gained, 1);
    EXPECT_EQ(renders, 2);  // the expose and the frame
}

TEST(EngineWindowEvents, PumpWhileBusyAnswersTheWindowButActsOnNothing) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    int lost = 0, renders = 0, hooked = 0, frames = 0;
    world.hge()->System_SetFuncState(kStateFocusLostFunc, [&] { return ++lost, false; });
    world.hge()->System_SetFuncState(kStateRenderFunc, [&] { return ++renders, false; });
    world.hge()->System_SetHookState(kStateMessageHook, [&](WindowHandle, std::uint32_t, std::uintptr_t,
                                                            std::intptr_t) { return ++hooked, true; });
    auto source = std::make_unique<ScriptedNotices>();
    ScriptedNotices* notices = source.get();
    world.hge()->System_SetDeviceNoticeSource(std::move(source));
    ASSERT_TRUE(world.hge()->System_RegisterDeviceNotification());
    PlatformEvent lostFocus;
    lostFocus.type = Type::kFocusLost;
    PlatformEvent close;
    close.type = Type::kCloseRequest;
    PlatformEvent exposed;
    exposed.type = Type::kExposed;

    // As a firmware update does: inside one frame, long work with pumps in between.
    bool firstPumpRedraws = true, secondPumpRedraws = false;
    int lastKey = -1;
    bool inputQueued = true;
    int hookedDuringWork = -1;
    world.runFrames(3, [&] {
        if (++frames > 1) return;
        notices->pending.push_back({DeviceNotice::Kind::kRemoval, "/dev/hidraw3"});
        world.platform().queueEvent(mouseEvent(Type::kMouseButtonDown, 100, 100));
        world.platform().queueEvent(keyDown(kKeyEscape));
        world.platform().queueEvent(lostFocus);
        world.platform().queueEvent(close);
        world.platform().queueEvent(mouseEvent(Type::kMouseButtonUp, 100, 100));
        firstPumpRedraws = world.hge()->System_PumpWindowEvents();
        world.platform().queueEvent(exposed);
        secondPumpRedraws = world.hge()->System_PumpWindowEvents();
        lastKey = world.hge()->Input_LastKey();
        InputEvent input;
        inputQueued = world.hge()->Input_NextEvent(&input);
        hookedDuringWork = hooked;
    });

    EXPECT_FALSE(firstPumpRedraws);
    EXPECT_TRUE(secondPumpRedraws) << "the caller draws what the expose lost";
    EXPECT_EQ(world.platform().windowEventPumps(), 2);
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(renders, 1) << "only the frame's own render";
    EXPECT_EQ(hookedDuringWork, 0) << "device notices wait for the frame loop";
    EXPECT_FALSE(world.platform().captured());
    EXPECT_EQ(lastKey, 0);
    EXPECT_FALSE(inputQueued);
    // The close request was kept, not lost: the next frame's pump ended the loop.
    EXPECT_EQ(frames, 1);
}

TEST(EngineWindowEvents, DisplayLostDuringLongWorkEndsTheLoopOnceTheWorkIsDone) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    PlatformEvent lostDisplay;
    lostDisplay.type = Type::kDisplayLost;
    int frames = 0;
    bool loggedDuringWork = true;
    world.runFrames(3, [&] {
        if (++frames > 1) return;
        world.platform().queueEvent(lostDisplay);
        world.hge()->System_PumpWindowEvents();
        loggedDuringWork = world.log().contains("Display connection lost");
    });
    EXPECT_FALSE(loggedDuringWork) << "the work under way is not cut short";
    EXPECT_EQ(frames, 1);
    EXPECT_TRUE(world.log().contains("System_Start: Display connection lost"));
}

TEST(EngineWindowEvents, WindowCanBeMovedForTitleBarDragging) {
    HeadlessEngine world;
    ASSERT_TRUE(world.initiate());
    world.hge()->System_MoveWindow(140, 90, 800, 600);
    int left = 0, top = 0, width = 0, height = 0;
    ASSERT_TRUE(world.hge()->System_GetWindowRect(&left, &top, &width, &height));
    EXPECT_EQ(left, 140);
    EXPECT_EQ(top, 90);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
}

// ---- Splash ------------------------------------------------------------------------------

TEST(EngineSplash, AlphaRampsUpHoldsAndFades) {
    struct Point { float seconds; int alpha; };
    const Point ramp[] = {{0.0f, 0},    {0.125f, 127}, {0.2499f, 254}, {0.25f, 255},
                          {0.9f, 255},  {1.0f, 255},  {1.125f, 127},  {1.1875f, 63},
                          {1.25f, -1},  {3.0f, -1}};
    for (const Point& point : ramp)
        EXPECT_EQ(splashAlpha(point.seconds), point.alpha) << point.seconds;
}

TEST(EngineSplash, RunsForAboutASecondAndAQuarterThenRestoresTheCallbacks) {
    HeadlessEngine world;
    world.hge()->System_SetBoolState(kStateShowSplash, true);
    bool programFrameRan = false;
    world.hge()->System_SetFuncState(kStateFrameFunc, [&] { return programFrameRan = true; });
    const std::uint32_t start = world.platform().clock();
    ASSERT_TRUE(world.initiate());
    EXPECT_FALSE(programFrameRan);
    const std::uint32_t elapsed = world.platform().clock() - start;
    EXPECT_GE(elapsed, 200u + 1250u);
    EXPECT_LE(elapsed, 200u + 1300u);
    EXPECT_GE(world.platform().presentCount(), 70);
    // The program's own frame function is back in place.
    world.hge()->System_Start();
    EXPECT_TRUE(programFrameRan);
}

TEST(EngineSplash, LateWakeUpsDoNotCutTheSplashShort) {
    HeadlessEngine world;
    world.hge()->System_SetBoolState(kStateShowSplash, true);
    world.platform().setSleepOvershoot(4);
    world.hge()->System_SetFuncState(kStateFrameFunc, [] { return true; });
    const std::uint32_t start = world.platform().clock();
    ASSERT_TRUE(world.initiate());
    const std::uint32_t elapsed = world.platform().clock() - start;
    EXPECT_GE(elapsed, 200u + 1250u);
    EXPECT_LE(elapsed, 200u + 1250u + 40u);
}

TEST(EngineSplash, ACloseDuringTheSplashFailsInitiationAndFinishesTheEngine) {
    for (const Type ending : {Type::kQuit, Type::kCloseRequest}) {
        HeadlessEngine world;
        world.hge()->System_SetBoolState(kStateShowSplash, true);
        bool programFrameRan = false;
        world.hge()->System_SetFuncState(kStateFrameFunc, [&] { return programFrameRan = true; });
        PlatformEvent close;
        close.type = ending;
        world.platform().queueEvent(close);
        const std::uint32_t start = world.platform().clock();
        EXPECT_FALSE(world.initiate());
        EXPECT_LT(world.platform().clock() - start, 200u + 100u);  // not the whole splash
        EXPECT_TRUE(world.log().contains("System_Initiate: Closed during the splash"));
        EXPECT_TRUE(world.log().contains("The End."));
        EXPECT_FALSE(world.platform().windowExists());
        EXPECT_FALSE(world.hge()->System_Start());
        EXPECT_FALSE(programFrameRan);
    }
}

}  // namespace
}  // namespace kestrel
