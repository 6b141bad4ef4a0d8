// Start-up and shut-down through runProgram on the headless engine, the simulated wheel and a
// scripted network: what exists before the first frame, and what happens when the window
// cannot be made.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "app/frame.h"
#include "app/program.h"
#include "engine/headless.h"
#include "online/http_fetch.h"
#include "test_doubles.h"
#include "wheel/sim/sim_wheel.h"

namespace kestrel {
namespace {

using testing::ForwardingShell;
using testing::RecordingShell;
using testing::ScriptedTransport;

// A settings server whose answer waits until the test releases it (or the fetch is cancelled).
// Called on the fetch's own thread.
class GatedTransport final : public HttpTransport {
public:
    HttpGetResult answer;

    HttpGetResult get(const std::string&, std::span<std::uint8_t> buffer) override {
        std::unique_lock lock(mutex_);
        entered_ = true;
        changed_.notify_all();
        // Bounded, so a fault in the code under test fails the test instead of hanging it.
        changed_.wait_for(lock, std::chrono::seconds(10), [&] { return released_ || cancelled_; });
        if (cancelled_ || !released_) return HttpGetResult{HttpOutcome::TransportFailure, 0, 0, "cancelled"};
        HttpGetResult result = answer;
        if (result.outcome == HttpOutcome::Complete) std::memcpy(buffer.data(), body_.data(), body_.size());
        return result;
    }
    void cancel() override { set(cancelled_); }
    void release() { set(released_); }
    bool waitUntilAsked(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return entered_; });
    }
    void setBody(std::string text) {
        body_ = std::move(text);
        answer = HttpGetResult{HttpOutcome::Complete, 200, body_.size(), ""};
    }

private:
    void set(bool& flag) {
        std::lock_guard lock(mutex_);
        flag = true;
        changed_.notify_all();
    }
    std::string body_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool released_ = false;
    bool cancelled_ = false;
};

// Every line the run logs, seen on the main thread as it is written; a test may act on a line.
class ObservedLog final : public Log {
public:
    std::vector<std::string> lines;
    std::function<void(std::string_view)> onLine;

    std::ptrdiff_t indexOf(std::string_view text) const {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].find(text) != std::string::npos) return static_cast<std::ptrdiff_t>(i);
        return -1;
    }

protected:
    void writeLine(std::string_view line) override {
        lines.emplace_back(line);
        if (onLine) onLine(line);
    }
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

    void observeLog() { setEngineLogObserver(engine.hge(), &observedLog); }
    bool startsWith(std::string_view line, std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; }

    ObservedLog observedLog;  // outlives the engine, which may log until it goes
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

TEST_F(StartupTest, SettingsRequestTravelsWhileTheWindowIsMadeAndIsReadBeforeTheFirstFrame) {
    GatedTransport server;
    server.setBody("<?xml version=\"1.0\" encoding=\"UTF-8\" ?><settings><version>102</version></settings>");
    environment.settingsHttp = &server;
    bool askedBeforeTheWindow = false;
    observeLog();
    observedLog.onLine = [&](std::string_view line) {
        // Initiation's first line: the request must already be out, before any window exists.
        if (startsWith(line, "Application:")) askedBeforeTheWindow = server.waitUntilAsked(std::chrono::seconds(5));
        // The answer comes only once the window is up, so start-up has to wait for it.
        if (startsWith(line, "Init done.")) server.release();
    };
    framesToRun = 100;
    EXPECT_EQ(runProgram(environment), 0);
    EXPECT_TRUE(askedBeforeTheWindow);
    EXPECT_EQ(report.settingsFetch, 1);
    // Read before the first frame, which asks about the newer version at once.
    EXPECT_EQ(first.frames, 1);
    ASSERT_FALSE(shell.texts.empty());
    EXPECT_EQ(shell.texts.front(), kNewerVersionQuestion);
}

TEST_F(StartupTest, WhatTheFetchLogsKeepsItsPlaceAfterTheWindowAndBeforeTheWheel) {
    GatedTransport server;
    server.answer = HttpGetResult{HttpOutcome::HttpStatus, 503, 0, "The server answered with HTTP status 503"};
    server.release();  // answers at once, long before start-up reads it
    environment.settingsHttp = &server;
    observeLog();
    EXPECT_EQ(runProgram(environment), 0);
    EXPECT_EQ(report.settingsFetch, 0);
    const auto statusLine = observedLog.indexOf("HTTP status 503");
    ASSERT_GE(statusLine, 0);
    EXPECT_GT(statusLine, observedLog.indexOf("Init done."));
    ASSERT_GE(observedLog.indexOf("InitHIDNotification"), 0);
    EXPECT_LT(statusLine, observedLog.indexOf("InitHIDNotification"));
    EXPECT_EQ(std::count_if(observedLog.lines.begin(), observedLog.lines.end(),
                            [](const std::string& line) { return line.find("HTTP status 503") != std::string::npos; }),
              1);
}

TEST_F(StartupTest, FailedInitiationAbandonsTheFetchUnreadTouchesNoWheelAndStillExitsWithZero) {
    engine.platform().failWindowCreation(true);
    GatedTransport server;  // never answers by itself: only the cancel can end the fetch
    server.setBody("<?xml version=\"1.0\" encoding=\"UTF-8\" ?><settings><version>102</version></settings>");
    environment.settingsHttp = &server;
    bool loopRan = false;
    environment.beforeLoop = [&](ProgramWorld&, HGE&, const StartupReport&) { loopRan = true; };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runProgram(environment), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(loopRan);
    EXPECT_FALSE(first.seen);
    EXPECT_EQ(report.settingsFetch, 0);
    EXPECT_TRUE(shell.texts.empty());
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
    // The settings request went out with the window; its answer is never read.
    EXPECT_EQ(report.settingsFetch, 0);
    EXPECT_TRUE(wheel.transcript().empty());
    EXPECT_TRUE(engine.log().contains("System_Initiate: Closed during the splash"));
    EXPECT_EQ(engine.log().lines().back(), "The End.");
}

TEST(WindowTitle, NamesTheProductAndVersion) { EXPECT_EQ(windowTitle(), " Kestrel Setup v1.1"); }

}  // namespace
}  // namespace kestrel
