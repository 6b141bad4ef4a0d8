#pragma once
// The program from its entry to its exit: start-up in a fixed order, the engine's frame loop,
// and shut-down in the reverse order on every path. The real entry point (main.cpp) and the
// demo (demo/demo_main.cpp) differ only in what they put into ProgramEnvironment.
//
//   ProgramEnvironment environment;         // the defaults are the real program's
//   return runProgram(environment);         // always 0
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/frame.h"
#include "app/shell.h"
#include "config/backup_store.h"
#include "config/configuration.h"
#include "config/nvm_image.h"
#include "config/program_state.h"
#include "engine/hge.h"
#include "online/http_transport.h"
#include "online/online_settings.h"
#include "wheel/firmware_update.h"

namespace kestrel {

constexpr const char* kProductName = "Kestrel";
constexpr const char* kApplicationVersion = "1.1";
constexpr const char* kLogFileName = "Kestrel.log";
constexpr const char* kWindowIconName = "window-icon.png";
constexpr std::size_t kTitleBufferSize = 128;
// The settings fetch runs while the window is made and the splash shows, so a slow resolver or
// a high-latency link costs nothing up to there; past it, the first frame waits for the fetch,
// so the whole of it is bounded.
constexpr std::chrono::milliseconds kSettingsConnectTimeout{5000};
constexpr std::chrono::milliseconds kSettingsStallTimeout{5000};
constexpr std::chrono::milliseconds kSettingsTotalTimeout{10000};

// " Kestrel Setup v1.1", cut to the title buffer.
std::string windowTitle();

// The state that lives for the whole run, one instance made by runProgram.
struct ProgramWorld {
    NvmImage image{};
    ConfigurationModel model;
    ProgramFlags flags;
    ScreenStates states;
    OnlineSettings online;
};

// What the start-up steps did, for the environment's observers.
struct StartupReport {
    bool initiated = false;
    int settingsFetch = 0;       // 1 when the document arrived
    bool fontsMade[2] = {false, false};
    bool notificationArmed = false;
};

struct ProgramEnvironment {
    // The engine; CreateEngine() by default. Tests hand in one on a headless platform.
    std::function<HGE*()> createEngine;
    // The settings document's transport and the presets' transport; curl when null.
    HttpTransport* settingsHttp = nullptr;
    HttpTransport* presetHttp = nullptr;
    // Message boxes and the browser; SdlShell over the engine when empty.
    std::function<std::unique_ptr<Shell>(HGE&)> makeShell;
    // Arrival and removal notices; the engine's udev monitor when null.
    std::unique_ptr<DeviceNoticeSource> noticeSource;
    std::string logFile = kLogFileName;
    FirmwareUpdateOptions firmware;
    // Where the image each write replaces is kept (config/backup_store.h).
    std::filesystem::path backupRoot = defaultBackupRoot();
    // Runs at the start of every frame, before the frame function; true ends the loop.
    std::function<bool(ProgramWorld&, HGE&)> beforeFrame;
    // Runs after each scene that was drawn.
    std::function<void(ProgramWorld&, HGE&)> afterScene;
    // Sees each prompt drawn in the window (when the system box could not be shown).
    PromptObserver windowPromptObserver;
    // The engine's exit function: false refuses a close of the window. None allows every close.
    EngineCallback exitFunction;
    // Runs once start-up is done (after the first connection attempt, before the loop), and
    // once the loop has ended (before anything is torn down).
    std::function<void(ProgramWorld&, HGE&, const StartupReport&)> beforeLoop;
    std::function<void(ProgramWorld&, HGE&)> afterLoop;
};

int runProgram(ProgramEnvironment& environment);

}  // namespace kestrel
