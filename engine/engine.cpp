// The engine object: creation and references, states, the log, initiation and shut-down,
// the frame loop, the message pump with its input queue, and device notices.
#include "engine/engine_impl.h"

#include "assets/embedded.h"
#include "engine/png_image.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdlib>
#include <string_view>
#include <ctime>
#include <system_error>

namespace kestrel {

HGE_Impl* HGE_Impl::instance = nullptr;
int HGE_Impl::references = 0;

HGE* CreateEngine() {
    if (HGE_Impl::instance == nullptr) return CreateEngine(createSdlPlatform());
    ++HGE_Impl::references;
    return HGE_Impl::instance;
}

HGE* CreateEngine(std::unique_ptr<Platform> platform) {
    if (HGE_Impl::instance == nullptr) {
        HGE_Impl::instance = new HGE_Impl(std::move(platform));
        HGE_Impl::references = 0;
    }
    ++HGE_Impl::references;
    return HGE_Impl::instance;
}

void EngineLog::writeLine(std::string_view line) {
    file_.write("%.*s", static_cast<int>(line.size()), line.data());
    if (observer_ != nullptr) observer_->write("%.*s", static_cast<int>(line.size()), line.data());
}

namespace {

std::filesystem::path executableFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path(error);
    return exe.parent_path();
}

std::filesystem::path stateFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/')
        return std::filesystem::path(state) / "kestrel";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return std::filesystem::path(home) / ".local" / "state" / "kestrel";
    return {};
}

// Folders the package manager or the administrator owns (FHS): /usr (with /usr/local), /opt,
// /bin and /sbin.
bool isSystemFolder(const std::filesystem::path& folder) {
    const std::string text = folder.lexically_normal().generic_string();
    for (const std::string_view root : {"/usr", "/opt", "/bin", "/sbin"})
        if (text == root || text.starts_with(std::string(root) + "/")) return true;
    return false;
}

}  // namespace

std::filesystem::path openLogFile(FileLog& log, const std::string& name,
                                  const std::filesystem::path& programFolder) {
    if (name.empty()) {
        log.setFile({});
        return {};
    }
    // Names written for the other platform still work: backslashes separate folders.
    std::string portable = name;
    for (char& c : portable)
        if (c == '\\') c = '/';
    const std::filesystem::path path(portable);
    if (path.is_absolute()) return log.setFile(path) ? path : std::filesystem::path{};

    // An installed program's folder is not the user's to write in; root could, but a log file
    // in /usr/bin belongs to no package and outlives the program's removal.
    if (!isSystemFolder(programFolder)) {
        const auto besideProgram = programFolder / path;
        if (log.setFile(besideProgram)) return besideProgram;
    }
    const auto folder = stateFolder();
    if (folder.empty()) return {};
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const auto fallback = folder / path.filename();
    return log.setFile(fallback) ? fallback : std::filesystem::path{};
}

HGE_Impl::HGE_Impl(std::unique_ptr<Platform> platform)
    : platform_(std::move(platform)), programFolder_(executableFolder()) {}

HGE_Impl::~HGE_Impl() = default;

void HGE_Impl::System_Release() {
    if (--references > 0) return;
    if (windowExists_) System_Finish();
    instance = nullptr;
    references = 0;
    delete this;
}

void HGE_Impl::System_WriteLog(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    log_.writeV(format, arguments);
    va_end(arguments);
}

void HGE_Impl::postError(const char* text) {
    log_.write("%s", text);
    errorText_ = text;
}

// ---- States ------------------------------------------------------------------------------

void HGE_Impl::System_SetBoolState(EngineBoolState state, bool value) {
    switch (state) {
    case kStateWindowed:
        // The window is always the fixed borderless one; full screen is never built.
        if (sceneOpen_ || parentWindow_ != nullptr) return;
        windowed_ = value;
        break;
    case kStateZBuffer:
        if (!windowExists_) zBuffer_ = value;
        break;
    case kStateTextureFilter:
        if (renderer_ != nullptr) flush();
        textureFilter_ = value;
        applyTextureFilter();
        break;
    case kStateUseSound: useSound_ = value; break;
    case kStateDontSuspend: dontSuspend_ = value; break;
    case kStateHideMouse: hideMouse_ = value; break;
    case kStateShowSplash: showSplash_ = value; break;
    }
}

void HGE_Impl::System_SetFuncState(EngineFuncState state, EngineCallback function) {
    switch (state) {
    case kStateFrameFunc: frameFunc_ = std::move(function); break;
    case kStateRenderFunc: renderFunc_ = std::move(function); break;
    case kStateFocusLostFunc: focusLostFunc_ = std::move(function); break;
    case kStateFocusGainFunc: focusGainFunc_ = std::move(function); break;
    case kStateGfxRestoreFunc: gfxRestoreFunc_ = std::move(function); break;
    case kStateExitFunc: exitFunc_ = std::move(function); break;
    }
}

void HGE_Impl::System_SetHookState(EngineHookState state, MessageHook hook) {
    if (state == kStateMessageHook) hook_ = std::move(hook);
}

void HGE_Impl::System_SetWindowState(EngineWindowState state, WindowHandle window) {
    if (state == kStateParentWindow && !windowExists_) parentWindow_ = window;
}

void HGE_Impl::System_SetIntState(EngineIntState state, int value) {
    switch (state) {
    case kStateScreenWidth:
        if (!windowExists_) screenWidth_ = value;
        break;
    case kStateScreenHeight:
        if (!windowExists_) screenHeight_ = value;
        break;
    case kStateScreenBpp:
        if (!windowExists_) screenBpp_ = value;
        break;
    case kStateSampleRate: sampleRate_ = value; break;
    case kStateFxVolume: fxVolume_ = value; break;
    case kStateMusicVolume: musicVolume_ = value; break;
    case kStateStreamVolume: streamVolume_ = value; break;
    case kStateFps:
        if (sceneOpen_) return;
        fpsState_ = value;
        framePeriod_ = value > 0 ? static_cast<std::uint32_t>(1000 / value) : 0;
        break;
    case kStatePowerStatus: break;
    }
}

void HGE_Impl::System_SetStringState(EngineStringState state, const char* value) {
    switch (state) {
    case kStateIcon:
        hasIcon_ = value != nullptr;
        icon_ = value != nullptr ? value : "";
        if (windowExists_) applyIcon();
        break;
    case kStateTitle:
        title_ = value != nullptr ? std::string(value).substr(0, 255) : "";
        if (windowExists_) platform_->setTitle(title_);
        break;
    case kStateIniFile:
        iniFile_ = value != nullptr ? value : "";
        break;
    case kStateLogFile:
        logFile_ = openLogFile(log_.file(), value != nullptr ? value : "", programFolder_).string();
        break;
    }
}

bool HGE_Impl::System_GetBoolState(EngineBoolState state) {
    switch (state) {
    case kStateWindowed: return windowed_;
    case kStateZBuffer: return zBuffer_;
    case kStateTextureFilter: return textureFilter_;
    case kStateUseSound: return useSound_;
    case kStateDontSuspend: return dontSuspend_;
    case kStateHideMouse: return hideMouse_;
    case kStateShowSplash: return showSplash_;
    }
    return false;
}

WindowHandle HGE_Impl::System_GetWindowState(EngineWindowState state) {
    if (state == kStateWindow) return windowExists_ ? platform_->windowHandle() : nullptr;
    return parentWindow_;
}

int HGE_Impl::System_GetIntState(EngineIntState state) {
    switch (state) {
    case kStateScreenWidth: return screenWidth_;
    case kStateScreenHeight: return screenHeight_;
    case kStateScreenBpp: return screenBpp_;
    case kStateSampleRate: return sampleRate_;
    case kStateFxVolume: return fxVolume_;
    case kStateMusicVolume: return musicVolume_;
    case kStateStreamVolume: return streamVolume_;
    case kStateFps: return fpsState_;
    case kStatePowerStatus: return powerStatus_;
    }
    return 0;
}

const char* HGE_Impl::System_GetStringState(EngineStringState state) {
    switch (state) {
    case kStateIcon: return hasIcon_ ? icon_.c_str() : nullptr;
    case kStateTitle: return title_.c_str();
    case kStateIniFile: return iniFile_.empty() ? nullptr : iniFile_.c_str();
    case kStateLogFile: return logFile_.empty() ? nullptr : logFile_.c_str();
    }
    return nullptr;
}

// ---- Initiation and shut-down ------------------------------------------------------------

bool HGE_Impl::System_Initiate(bool withCaption) {
    log_.write("Application: %s", title_.c_str());
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    log_.write("Date: %02d.%02d.%d, %02d:%02d:%02d\n", local.tm_mday, local.tm_mon + 1,
               local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    log_.write("OS: %s", platform_->osDescription().c_str());
    long totalMemory = 0;
    long freeMemory = 0;
    platform_->memoryKiB(totalMemory, freeMemory);
    log_.write("Memory: %ldK total, %ldK free\n", totalMemory, freeMemory);

    WindowSpec spec;
    spec.title = title_;
    spec.width = screenWidth_;
    spec.height = screenHeight_;
    spec.withCaption = withCaption;
    spec.vsync = fpsState_ < 0;
    std::string reason;
    if (!platform_->createWindow(spec, reason)) {
        postError("Can't create window");
        if (!reason.empty()) log_.write("Error: %s", reason.c_str());
        System_Finish();
        return false;
    }
    windowExists_ = true;
    platform_->setLastWords([this] {
        postError("System_Start: Display connection lost");
        log_.write("\nFinishing..");
        log_.write("The End.");
    });
    renderer_ = platform_->renderer();
    applyIcon();
    powerStatus_ = platform_->powerStatus();
    int screenX = 0;
    int screenY = 0;
    platform_->cursorScreenPosition(screenX, screenY);
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    if (platform_->windowRect(left, top, width, height)) {
        mouseX_ = static_cast<float>(screenX - left);
        mouseY_ = static_cast<float>(screenY - top);
    }
    keyTransitions_.fill(0);

    if (!initGraphics()) {
        System_Finish();
        return false;
    }

    log_.write("Init done. (%08X)\n",
               static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(platform_->windowHandle())));
    lastFrameTime_ = lastFpsTime_ = lastFrameStart_ = platform_->ticks();
    frameCounter_ = 0;
    fps_ = 0;
    totalTime_ = 0;
    frameDelta_ = 0;

    closed_ = false;
    // A close during the splash ends the program before any of its start-up runs.
    if (showSplash_ && !runSplash()) {
        postError("System_Initiate: Closed during the splash");
        System_Finish();
        return false;
    }
    return true;
}

void HGE_Impl::System_Finish() {
    log_.write("\nFinishing..");
    events_.clear();
    deferredEvents_.clear();
    releaseGraphics();
    noticeSource_.reset();
    deviceNotices_ = false;
    if (windowExists_) platform_->destroyWindow();
    windowExists_ = false;
    active_ = false;
    log_.write("The End.");
}

// ---- Frame loop --------------------------------------------------------------------------

bool HGE_Impl::System_Start() {
    if (!windowExists_) {
        postError("System_Start: System_Initiate wasn't called");
        return false;
    }
    if (!frameFunc_) {
        postError("System_Start: No frame function defined");
        return false;
    }
    active_ = true;
    for (;;) {
        if (parentWindow_ == nullptr) {
            bool quit = false;
            pumpMessages(quit);
            if (quit) break;
        }
        updateMouseInside();

        if (!active_ && !dontSuspend_) {
            platform_->sleep(1);
            continue;
        }
        if (sleepUntilFrameDue()) continue;

        const std::uint32_t now = platform_->ticks();
        const std::uint32_t dt = now - lastFrameTime_;
        // Measured from the previous frame's start, not from the grid point, so a late wake-up
        // is not counted twice and accumulated time keeps pace with the clock.
        frameDelta_ = static_cast<float>(now - lastFrameStart_) / 1000.0f;
        lastFrameStart_ = now;
        // A frame after a long stall (a modal box, a blocking wheel exchange) counts as one
        // ordinary frame, so animations do not jump.
        if (frameDelta_ > 0.2f)
            frameDelta_ = framePeriod_ != 0 ? static_cast<float>(framePeriod_) / 1000.0f : 0.01f;
        totalTime_ += frameDelta_;
        // Frames are due on a fixed grid, so a wake-up that comes a millisecond late does not
        // push every later frame back; after a stall the grid starts again from now.
        if (framePeriod_ != 0 && dt < 2 * framePeriod_)
            lastFrameTime_ += framePeriod_;
        else
            lastFrameTime_ = now;
        if (lastFrameTime_ - lastFpsTime_ > 1000) {
            fps_ = frameCounter_;
            frameCounter_ = 0;
            lastFpsTime_ = lastFrameTime_;
            powerStatus_ = platform_->powerStatus();
        } else {
            ++frameCounter_;
        }

        if (frameFunc_()) break;
        if (renderFunc_) renderFunc_();
        if (parentWindow_ != nullptr) break;
        clearFrameInput();
        // Waiting here rather than at the top keeps it to one message pump per frame, right
        // before the frame that reads the input.
        sleepUntilFrameDue();
    }
    clearFrameInput();
    active_ = false;
    return true;
}

bool HGE_Impl::sleepUntilFrameDue() {
    // One sleep reaches the due time: the clock read here is at most a tick behind, and a
    // millisecond sleep never ends early, so the loop wakes at or just after the frame instead
    // of polling its way there. Without a frame rate the next frame is due a millisecond on.
    const std::uint32_t due = framePeriod_ != 0 ? framePeriod_ : 1;
    const std::uint32_t elapsed = platform_->ticks() - lastFrameTime_;
    if (elapsed >= due) return false;
    platform_->sleep(due - elapsed);
    return true;
}

void HGE_Impl::clearFrameInput() {
    events_.clear();
    keyTransitions_.fill(0);
    lastKey_ = 0;
    lastChar_ = 0;
    wheel_ = 0;
}

void HGE_Impl::updateMouseInside() {
    mouseInside_ = captured_ || platform_->cursorOverWindow();
    const bool hidden = hideMouse_ && active_ && mouseInside_;
    if (hidden != cursorHidden_) platform_->showCursor(!hidden);
    cursorHidden_ = hidden;
}

void HGE_Impl::applyIcon() {
    // Without a named icon the desktop's default application icon stays.
    if (!hasIcon_) return;
    const auto bytes = assets::find(icon_);
    if (bytes.empty()) return;
    const PngResult icon = decodePng(bytes.data(), bytes.size());
    if (icon.ok) platform_->setIcon(icon.image.width, icon.image.height, icon.image.rgba.data());
}

void HGE_Impl::pumpMessages(bool& quit) {
    // A close seen by a nested loop (a modal prompt, the splash) ends the loops around it too.
    if (closed_) {
        quit = true;
        return;
    }
    // Closes held back while long work kept the window answering are honoured now.
    while (!quit && !deferredEvents_.empty()) {
        const PlatformEvent event = deferredEvents_.front();
        deferredEvents_.pop_front();
        handleEvent(event, quit);
    }
    PlatformEvent event;
    while (!quit && platform_->pollEvent(event)) handleEvent(event, quit);
    if (quit) {
        closed_ = true;
        return;
    }
    deliverDeviceNotices();
}

bool HGE_Impl::System_PumpWindowEvents() {
    if (!windowExists_) return false;
    platform_->pumpWindowEvents();
    bool redraw = false;
    PlatformEvent event;
    while (platform_->pollEvent(event)) deferWhileBusy(event, redraw);
    return redraw;
}

void HGE_Impl::deferWhileBusy(const PlatformEvent& event, bool& redraw) {
    using Type = PlatformEvent::Type;
    bool quit = false;
    switch (event.type) {
    case Type::kQuit:
    case Type::kCloseRequest:
    case Type::kDisplayLost:
        // The work under way must not be cut short; the user's request (or the lost display,
        // which is reported only once) is honoured after it.
        deferredEvents_.push_back(event);
        return;
    case Type::kExposed:
        // The caller is inside the frame function and draws its own scene.
        redraw = true;
        return;
    case Type::kRestored:
        redraw = true;
        handleEvent(event, quit);
        return;
    case Type::kFocusGained:
    case Type::kFocusLost:
    case Type::kMinimised:
        handleEvent(event, quit);
        return;
    case Type::kMouseButtonUp:
        // A press that ends meanwhile must not leave the mouse captured; the release itself is
        // input and is dropped like the rest.
        platform_->setMouseCapture(false);
        captured_ = false;
        return;
    default:
        return;
    }
}

void HGE_Impl::handleEvent(const PlatformEvent& event, bool& quit) {
    using Type = PlatformEvent::Type;
    InputEvent input;
    input.flags = event.flags;
    switch (event.type) {
    case Type::kQuit:
        quit = true;
        return;
    case Type::kDisplayLost:
        postError("System_Start: Display connection lost");
        active_ = false;
        quit = true;
        return;
    case Type::kCloseRequest:
        if (exitFunc_ && !exitFunc_()) return;
        active_ = false;
        quit = true;
        return;
    case Type::kFocusGained:
    case Type::kFocusLost:
    case Type::kMinimised:
    case Type::kRestored: {
        const bool nowActive = event.type == Type::kFocusGained || event.type == Type::kRestored;
        if (nowActive == active_) return;
        active_ = nowActive;
        if (active_ && focusGainFunc_) focusGainFunc_();
        if (!active_ && focusLostFunc_) focusLostFunc_();
        return;
    }
    case Type::kExposed:
        if (renderer_ != nullptr && renderFunc_ && !sceneOpen_) renderFunc_();
        return;
    case Type::kKeyDown:
        // Alt+F4 closes unless the exit function refuses; Alt+Enter never switches mode.
        if ((event.flags & kInputFlagAlt) != 0 && event.key == kKeyF4) {
            if (exitFunc_ && !exitFunc_()) return;
            quit = true;
            return;
        }
        if ((event.flags & kInputFlagAlt) != 0 && event.key == kKeyEnter) return;
        input.type = kInputKeyDown;
        input.key = event.key;
        input.chr = event.chr;
        queueInput(input, event.repeat);
        return;
    case Type::kKeyUp:
        input.type = kInputKeyUp;
        input.key = event.key;
        input.chr = event.chr;
        queueInput(input, false);
        return;
    case Type::kMouseButtonDown:
        input.type = kInputMouseButtonDown;
        input.key = event.key;
        input.x = event.x;
        input.y = event.y;
        queueInput(input, event.repeat);
        return;
    case Type::kMouseButtonUp:
        input.type = kInputMouseButtonUp;
        input.key = event.key;
        input.x = event.x;
        input.y = event.y;
        queueInput(input, false);
        return;
    case Type::kMouseMove:
        input.type = kInputMouseMove;
        input.x = event.x;
        input.y = event.y;
        queueInput(input, false);
        return;
    case Type::kMouseWheel:
        input.type = kInputMouseWheel;
        input.wheel = event.wheel;
        input.x = mouseX_;
        input.y = mouseY_;
        queueInput(input, false);
        return;
    }
}

void HGE_Impl::queueInput(InputEvent event, bool repeat) {
    const auto clampPosition = [this](InputEvent& e) {
        if (e.x < 0) e.x = 0;
        if (e.y < 0) e.y = 0;
        if (e.x > screenWidth_ - 1) e.x = static_cast<float>(screenWidth_ - 1);
        if (e.y > screenHeight_ - 1) e.y = static_cast<float>(screenHeight_ - 1);
    };
    const bool keyInRange = event.key >= 0 && event.key < 256;
    if (repeat) event.flags |= kInputFlagRepeat;
    switch (event.type) {
    case kInputKeyDown:
        if (!repeat && keyInRange) keyTransitions_[event.key] |= 1;
        event.x = mouseX_;
        event.y = mouseY_;
        break;
    case kInputKeyUp:
        if (keyInRange) keyTransitions_[event.key] |= 2;
        event.x = mouseX_;
        event.y = mouseY_;
        break;
    case kInputMouseButtonDown:
        if (keyInRange) keyTransitions_[event.key] |= 1;
        platform_->setMouseCapture(true);
        captured_ = true;
        clampPosition(event);
        break;
    case kInputMouseButtonUp:
        if (keyInRange) keyTransitions_[event.key] |= 2;
        platform_->setMouseCapture(false);
        captured_ = false;
        event.x = mouseX_;
        event.y = mouseY_;
        clampPosition(event);
        break;
    case kInputMouseMove:
        clampPosition(event);
        break;
    default:
        break;
    }
    events_.push_back(event);
    if (event.type == kInputKeyDown || event.type == kInputMouseButtonDown) {
        lastKey_ = event.key;
        lastChar_ = event.chr;
    } else if (event.type == kInputMouseMove) {
        mouseX_ = event.x;
        mouseY_ = event.y;
    } else if (event.type == kInputMouseWheel) {
        wheel_ += event.wheel;
    }
}

// ---- Input queries -----------------------------------------------------------------------

void HGE_Impl::Input_MousePosition(float* x, float* y) {
    if (x != nullptr) *x = mouseX_;
    if (y != nullptr) *y = mouseY_;
}

bool HGE_Impl::Input_KeyPressed(int key) {
    return key >= 0 && key < 256 && (keyTransitions_[key] & 1) != 0;
}

bool HGE_Impl::Input_KeyReleased(int key) {
    return key >= 0 && key < 256 && (keyTransitions_[key] & 2) != 0;
}

bool HGE_Impl::Input_KeyHeld(int key) {
    if (key == kKeyLeftButton || key == kKeyRightButton || key == kKeyMiddleButton)
        return platform_->mouseButtonHeld(key);
    return platform_->keyHeld(key);
}

bool HGE_Impl::Input_NextEvent(InputEvent* event) {
    if (events_.empty() || event == nullptr) return false;
    *event = events_.front();
    events_.pop_front();
    return true;
}

// ---- Device notices ----------------------------------------------------------------------

bool HGE_Impl::System_RegisterDeviceNotification() {
    if (!noticeSource_) noticeSource_ = createUdevNoticeSource(log_);
    if (!noticeSource_) {
        errorText_ = "Can't register device notification";
        return false;
    }
    deviceNotices_ = true;
    return true;
}

void HGE_Impl::System_SetDeviceNoticeSource(std::unique_ptr<DeviceNoticeSource> source) {
    noticeSource_ = std::move(source);
}

void HGE_Impl::deliverDeviceNotices() {
    if (!deviceNotices_ || !noticeSource_) return;
    while (auto notice = noticeSource_->poll()) {
        if (!hook_) continue;
        std::uintptr_t kind = kDeviceNodesChanged;
        if (notice->kind == DeviceNotice::Kind::kArrival) kind = kDeviceArrival;
        if (notice->kind == DeviceNotice::Kind::kRemoval) kind = kDeviceRemoveComplete;
        hook_(platform_->windowHandle(), kMessageDeviceChange, kind, 0);
        // The hook may have torn the source down (a test, or shut-down from a prompt).
        if (!deviceNotices_ || !noticeSource_) return;
    }
}

// ---- Window services ---------------------------------------------------------------------

bool HGE_Impl::System_GetWindowRect(int* left, int* top, int* width, int* height) {
    int l = 0, t = 0, w = 0, h = 0;
    if (!windowExists_ || !platform_->windowRect(l, t, w, h)) return false;
    if (left != nullptr) *left = l;
    if (top != nullptr) *top = t;
    if (width != nullptr) *width = w;
    if (height != nullptr) *height = h;
    return true;
}

void HGE_Impl::System_MoveWindow(int left, int top, int width, int height) {
    if (windowExists_) platform_->moveWindow(left, top, width, height);
}

void HGE_Impl::System_MinimiseWindow() {
    if (windowExists_) platform_->minimiseWindow();
}

void HGE_Impl::System_SetDragArea(DragAreaTest test) { platform_->setDragArea(std::move(test)); }

void HGE_Impl::System_GetCursorScreenPos(int* x, int* y) {
    int sx = 0, sy = 0;
    platform_->cursorScreenPosition(sx, sy);
    if (x != nullptr) *x = sx;
    if (y != nullptr) *y = sy;
}

MessageBoxResult HGE_Impl::System_MessageBox(const char* text, const char* title,
                                             MessageBoxButtons buttons) {
    return platform_->messageBox(text != nullptr ? text : "", title != nullptr ? title : "",
                                 buttons);
}

bool HGE_Impl::System_OpenDocument(const char* urlOrPath) {
    if (urlOrPath == nullptr || *urlOrPath == '\0') return false;
    return platform_->openDocument(urlOrPath);
}

}  // namespace kestrel
