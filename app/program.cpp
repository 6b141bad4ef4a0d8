// Start-up, the loop and shut-down. The steps run in the order the rest of the program relies
// on: the settings document is read before the first frame (so a newer version is announced
// at once), the window exists before hot-plug is armed, the screens exist before the first
// connection attempt enables them, and a wheel already plugged in is read before anything is
// drawn.
#include "app/program.h"

#include <cstdio>

#include "app/frame.h"
#include "engine/bitmap_font.h"
#include "engine/log.h"
#include "online/http_fetch.h"
#include "online/settings_prefetch.h"
#include "screens/preset_list.h"
#include "screens/screens.h"
#include "wheel/hotplug.h"
#include "wheel/protocol.h"

namespace kestrel {

namespace {

class ScreensDriver final : public ScreenDriver {
public:
    explicit ScreensDriver(Screens& screens) : screens_(screens) {}
    int updateScreen(const MouseSample& mouse) override { return screens_.updateScreen(mouse); }
    void drawScreen() override { screens_.drawScreen(); }
    bool takesPressAt(int x, int y) override { return screens_.takesPressAt(x, y); }

private:
    Screens& screens_;
};

// Every write to the wheel, from a save, a reset, a preset or a firmware update, first backs
// up what the wheel holds; a backup that fails is logged and the write goes ahead.
class LinkWheelActions final : public WheelActions {
public:
    LinkWheelActions(WheelLink link, const FirmwareUpdateOptions& options, WheelBackups& backups)
        : link_(link), options_(options), backups_(backups) {}
    int firmwareUpdate() override {
        backups_.beforeWrite();
        return remember(WheelFirmwareUpdate(link_, options_));
    }
    int writeConfiguration() override {
        backups_.beforeWrite();
        return remember(UWD(link_, false));
    }

private:
    // After a successful write the wheel holds the program's image: the next backup is of that.
    int remember(int result) {
        if (result == 1) backups_.written(link_.image);
        return result;
    }

    WheelLink link_;
    const FirmwareUpdateOptions& options_;
    WheelBackups& backups_;
};

FetchLimits settingsFetchLimits() {
    FetchLimits limits;
    limits.connectTimeout = kSettingsConnectTimeout;
    limits.stallTimeout = kSettingsStallTimeout;
    limits.totalTimeout = kSettingsTotalTimeout;
    return limits;
}

}  // namespace

std::string windowTitle() {
    char title[kTitleBufferSize];
    std::snprintf(title, sizeof title, " %s Setup v%s", kProductName, kApplicationVersion);
    return title;
}

int runProgram(ProgramEnvironment& environment) {
    // Steps 1-5: the engine, the log, the title, and the empty preset table and default
    // support link that ProgramWorld starts with.
    HGE* hge = environment.createEngine ? environment.createEngine() : CreateEngine();
    hge->System_SetStringState(kStateLogFile, environment.logFile.c_str());
    const std::string title = windowTitle();
    ProgramWorld world;
    Log& log = hge->System_GetLog();

    CurlTransport curlSettings(settingsFetchLimits());
    CurlTransport curlPresets;
    HttpTransport& settingsHttp = environment.settingsHttp ? *environment.settingsHttp : curlSettings;
    HttpTransport& presetHttp = environment.presetHttp ? *environment.presetHttp : curlPresets;
    SdlShell* sdlShell = nullptr;
    std::unique_ptr<Shell> shell;
    if (environment.makeShell) {
        shell = environment.makeShell(*hge);
    } else {
        auto desktopShell = std::make_unique<SdlShell>(*hge);
        sdlShell = desktopShell.get();
        shell = std::move(desktopShell);
    }

    Screens screens({*hge, log, world.model, world.image, world.flags, world.states});
    PresetList presets({*hge, log, screens.skin(), *shell, presetHttp, world.online, world.model, world.image, screens,
                        world.flags, world.states});
    WheelBackups backups(log, environment.backupRoot);
    HotPlug hotPlug{log, world.image, world.model, screens, world.flags, world.states, screens};
    hotPlug.wheelRead = [&backups](const std::wstring& serial, const NvmImage& image) { backups.wheelRead(serial, image); };
    FirmwareUpdateOptions firmware = environment.firmware;
    LinkWheelActions wheel(WheelLink{log, world.image}, firmware, backups);
    ScreensDriver driver(screens);
    FrameLoop loop({*hge, log, *shell, world.flags, world.states, world.online.downloadLink, driver, wheel});
    // The update holds the frame function for seconds: meanwhile the window keeps answering
    // the desktop (which would otherwise offer to kill it mid-flash) and shows how far it got.
    firmware.progress = [&, observer = environment.firmware.progress](const FirmwareProgress& progress) {
        if (observer) observer(progress);
        loop.keepWindowAnswering(screens.showFirmwareProgress(progress));
    };
    if (sdlShell != nullptr) sdlShell->setFallback(&loop);
    loop.setPromptObserver(environment.windowPromptObserver);

    // Step 6: the callbacks.
    hge->System_SetFuncState(kStateFrameFunc, [&] {
        if (environment.beforeFrame && environment.beforeFrame(world, *hge)) return true;
        return loop.frameFunction();
    });
    hge->System_SetFuncState(kStateRenderFunc, [&] {
        const std::uint64_t drawn = loop.scenesDrawn();
        loop.renderFunction();
        if (environment.afterScene && loop.scenesDrawn() != drawn) environment.afterScene(world, *hge);
        return false;
    });
    hge->System_SetHookState(kStateMessageHook, [&](WindowHandle window, std::uint32_t message,
                                                    std::uintptr_t wParam, std::intptr_t lParam) {
        const bool result = DeviceChangeHook(hotPlug, window, message, wParam, lParam);
        // A notice may change what the frame loop does not compare, such as the permission
        // hint: it is drawn on this very frame.
        loop.requestRedraw();
        return result;
    });
    // A focus change may have uncovered or dimmed the window: draw it again.
    hge->System_SetFuncState(kStateFocusGainFunc, [&] { loop.requestRedraw(); return false; });
    hge->System_SetFuncState(kStateFocusLostFunc, [&] { loop.requestRedraw(); return false; });
    if (environment.exitFunction) hge->System_SetFuncState(kStateExitFunc, environment.exitFunction);

    // Steps 7-11: the window's states.
    hge->System_SetStringState(kStateTitle, title.c_str());
    hge->System_SetIntState(kStateScreenWidth, kWindowWidth);
    hge->System_SetIntState(kStateScreenHeight, kWindowHeight);
    hge->System_SetBoolState(kStateDontSuspend, true);
    hge->System_SetBoolState(kStateHideMouse, false);
    hge->System_SetBoolState(kStateUseSound, false);
    hge->System_SetBoolState(kStateWindowed, true);
    hge->System_SetIntState(kStateScreenBpp, 32);
    hge->System_SetIntState(kStateFps, 60);
    hge->System_SetStringState(kStateIcon, kWindowIconName);
    if (environment.noticeSource) hge->System_SetDeviceNoticeSource(std::move(environment.noticeSource));

    StartupReport report;
    std::unique_ptr<BitmapFont> fonts[2];
    // The settings request leaves as initiation begins and travels while the window is made and
    // the splash shows; without a window it is cancelled unread.
    SettingsPrefetch settingsFetch(settingsHttp);
    // Step 12: the window. Without it nothing else is made and shut-down goes straight to the engine.
    report.initiated = hge->System_Initiate(false);
    if (report.initiated) {
        // Step 13: the settings document, read only when it arrived whole. Whatever the fetch
        // has to say reaches the log here, in its usual place.
        report.settingsFetch = settingsFetch.finish(log, world.online.documentText);
        if (report.settingsFetch == 1) readSettings(world.online.documentText, world.online, world.flags);

        // Steps 14-15: the window keeps its corner and gets exactly the size the screens draw for.
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
        if (hge->System_GetWindowRect(&left, &top, &width, &height))
            hge->System_MoveWindow(left, top, kWindowWidth, kWindowHeight);

        // Step 16: the small font, then the large one.
        fonts[0] = loadEmbeddedFont("myriad_16s");
        fonts[1] = loadEmbeddedFont("myriad_20s");
        report.fontsMade[0] = fonts[0] != nullptr;
        report.fontsMade[1] = fonts[1] != nullptr;

        // Step 17: sprites and panels; the screens end on the no-wheel state.
        screens.setSupportUrl(world.online.supportLink);
        screens.setHintFont(fonts[0].get());
        presets.setFonts(fonts[0].get(), fonts[1].get());
        screens.setPresetList(&presets);
        screens.setMessageDisplay(shell.get());
        screens.createSprites();
        screens.buildScreen();
        loop.setPromptLook({&screens.skin(), fonts[0].get(), fonts[1].get()});
        hge->System_SetDragArea([&loop](int x, int y) { return loop.draggableAt(x, y); });

        // Steps 18-19: hot-plug, and a wheel already plugged in.
        report.notificationArmed = InitHIDNotification(hotPlug, *hge);
        TryToConnectWheel(hotPlug);

        if (environment.beforeLoop) environment.beforeLoop(world, *hge, report);
        // Step 20.
        hge->System_Start();
        if (environment.afterLoop) environment.afterLoop(world, *hge);

        // Step 21: panels (the preset window among them), sprites and skin, then the fonts.
        hge->System_SetDragArea(nullptr);
        loop.setPromptLook({});
        screens.setMessageDisplay(nullptr);
        presets.closeWindow();
        screens.setPresetList(nullptr);
        screens.destroyPanels();
        screens.destroySprites();
        screens.setHintFont(nullptr);
        presets.setFonts(nullptr, nullptr);
        fonts[0].reset();
        fonts[1].reset();
    }

    // Step 22, on every path.
    hge->System_SetFuncState(kStateFrameFunc, nullptr);
    hge->System_SetFuncState(kStateRenderFunc, nullptr);
    hge->System_SetFuncState(kStateFocusGainFunc, nullptr);
    hge->System_SetFuncState(kStateFocusLostFunc, nullptr);
    hge->System_SetFuncState(kStateExitFunc, nullptr);
    hge->System_SetHookState(kStateMessageHook, nullptr);
    hge->System_Finish();
    hge->System_Release();

    // Step 23: each downloaded preset image, then the table.
    for (PresetRecord& preset : world.online.presets) preset.data.reset();
    world.online.presets.clear();
    return 0;
}

}  // namespace kestrel
