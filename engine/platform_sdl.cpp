// The real platform over SDL2: one borderless, centred, fixed-size window, a renderer,
// events translated to virtual-key codes, and the few desktop services the program uses.
#include "engine/platform_sdl.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <sys/wait.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

#include "engine/platform.h"

extern char** environ;

namespace kestrel {

bool videoDriverNamed(const char* driver, const char* setting) {
    if (driver == nullptr || setting == nullptr) return false;
    const std::string_view wanted(driver);
    std::string_view rest(setting);
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view name = rest.substr(0, comma);
        if (name.size() == wanted.size() &&
            std::equal(name.begin(), name.end(), wanted.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return true;
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return false;
}

SDL_HitTestResult dragAreaHitTest(SDL_Window*, const SDL_Point* point, void* data) {
    const auto* test = static_cast<const DragAreaTest*>(data);
    if (point == nullptr || test == nullptr || !*test) return SDL_HITTEST_NORMAL;
    return (*test)(point->x, point->y) ? SDL_HITTEST_DRAGGABLE : SDL_HITTEST_NORMAL;
}

namespace {

// SDL falls back to these when it finds no display, and the program would then run unseen
// until killed; they are for whoever asks for them by name.
constexpr const char* kInvisibleVideoDrivers[] = {"offscreen", "dummy"};

// How long an opener may take to say it failed. Most hand the page to a browser and end at
// once; one still running after this has started a browser of its own.
constexpr Uint32 kOpenerVerdictMs = 1500;
constexpr Uint32 kOpenerPollMs = 10;

bool isInvisibleVideoDriver(const char* driver) {
    if (driver == nullptr) return false;
    for (const char* invisible : kInvisibleVideoDrivers)
        if (std::strcmp(driver, invisible) == 0) return true;
    return false;
}

void reportNoDisplay() {
    std::fprintf(stderr, "%s: no display found; start it from a desktop session (DISPLAY or WAYLAND_DISPLAY)\n",
                 program_invocation_short_name);
}


struct KeyName {
    SDL_Keycode sdl;
    int virtualKey;
};

// Keys that are not letters or digits; those map to their upper-case character codes.
constexpr KeyName kKeyTable[] = {
    {SDLK_BACKSPACE, 8},  {SDLK_TAB, 9},        {SDLK_RETURN, 13},    {SDLK_KP_ENTER, 13},
    {SDLK_LSHIFT, 16},    {SDLK_RSHIFT, 16},    {SDLK_LCTRL, 17},     {SDLK_RCTRL, 17},
    {SDLK_LALT, 18},      {SDLK_RALT, 18},      {SDLK_PAUSE, 19},     {SDLK_CAPSLOCK, 20},
    {SDLK_ESCAPE, 27},    {SDLK_SPACE, 32},     {SDLK_PAGEUP, 33},    {SDLK_PAGEDOWN, 34},
    {SDLK_END, 35},       {SDLK_HOME, 36},      {SDLK_LEFT, 37},      {SDLK_UP, 38},
    {SDLK_RIGHT, 39},     {SDLK_DOWN, 40},      {SDLK_INSERT, 45},    {SDLK_DELETE, 46},
    {SDLK_F1, 112},       {SDLK_F2, 113},       {SDLK_F3, 114},       {SDLK_F4, 115},
    {SDLK_F5, 116},       {SDLK_F6, 117},       {SDLK_F7, 118},       {SDLK_F8, 119},
    {SDLK_F9, 120},       {SDLK_F10, 121},      {SDLK_F11, 122},      {SDLK_F12, 123},
    {SDLK_NUMLOCKCLEAR, 144}, {SDLK_SCROLLLOCK, 145},
};

int virtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    for (const KeyName& entry : kKeyTable)
        if (entry.sdl == key) return entry.virtualKey;
    return 0;
}

SDL_Keycode sdlKey(int virtualKeyCode) {
    if (virtualKeyCode >= 'A' && virtualKeyCode <= 'Z') return SDLK_a + (virtualKeyCode - 'A');
    if (virtualKeyCode >= '0' && virtualKeyCode <= '9') return SDLK_0 + (virtualKeyCode - '0');
    for (const KeyName& entry : kKeyTable)
        if (entry.virtualKey == virtualKeyCode) return entry.sdl;
    return SDLK_UNKNOWN;
}

int modifierFlags(Uint16 mod) {
    int flags = 0;
    if ((mod & KMOD_SHIFT) != 0) flags |= kInputFlagShift;
    if ((mod & KMOD_CTRL) != 0) flags |= kInputFlagControl;
    if ((mod & KMOD_ALT) != 0) flags |= kInputFlagAlt;
    if ((mod & KMOD_CAPS) != 0) flags |= kInputFlagCapsLock;
    if ((mod & KMOD_SCROLL) != 0) flags |= kInputFlagScrollLock;
    if ((mod & KMOD_NUM) != 0) flags |= kInputFlagNumLock;
    return flags;
}

int characterOf(SDL_Keycode key, Uint16 mod) {
    if (key < 32 || key > 126) return key == SDLK_RETURN ? 13 : (key == SDLK_BACKSPACE ? 8 : 0);
    const bool upper = ((mod & KMOD_SHIFT) != 0) != ((mod & KMOD_CAPS) != 0);
    if (key >= 'a' && key <= 'z' && upper) return std::toupper(static_cast<int>(key));
    return static_cast<int>(key);
}

int mouseKey(Uint8 button) {
    switch (button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 4;
    default: return 0;
    }
}

class SdlPlatform;

// Xlib's handler for a broken connection is process-wide and carries no context, so the one
// platform that watches its window's connection is found here.
SdlPlatform* displayWatcher = nullptr;

class SdlPlatform final : public Platform {
public:
    ~SdlPlatform() override {
        destroyWindow();
        reapOpeners();
    }

    bool createWindow(const WindowSpec& spec, std::string& error) override {
        if (!initialised_ && !startVideo(error)) return false;
        // Naming a driver anywhere (hint or index) turns SDL's own batching off unless this
        // says otherwise; the engine batches, but SDL batching keeps backend calls down too.
        SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
        SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
        Uint32 flags = SDL_WINDOW_SHOWN;
        if (!spec.withCaption) flags |= SDL_WINDOW_BORDERLESS;
        window_ = SDL_CreateWindow(spec.title.c_str(), SDL_WINDOWPOS_CENTERED,
                                   SDL_WINDOWPOS_CENTERED, spec.width, spec.height, flags);
        if (window_ == nullptr) {
            error = SDL_GetError();
            return false;
        }
        const Uint32 vsync = spec.vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | vsync);
        if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window_, -1, vsync);
        if (renderer_ == nullptr) {
            error = SDL_GetError();
            SDL_DestroyWindow(window_);
            window_ = nullptr;
            return false;
        }
        watchDisplayConnection();
        applyDragArea();
        return true;
    }

    void destroyWindow() override {
        if (displayLost_) {
            // Every call on a dead connection fails, and some wait for an answer that never
            // comes; the process is ending, so the window goes with it.
            renderer_ = nullptr;
            window_ = nullptr;
            return;
        }
        if (displayWatcher == this) {
            XSetIOErrorHandler(previousIOErrorHandler_);
            displayWatcher = nullptr;
            display_ = nullptr;
        }
        if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
        if (window_ != nullptr) SDL_DestroyWindow(window_);
        renderer_ = nullptr;
        window_ = nullptr;
        if (initialised_) SDL_Quit();
        initialised_ = false;
    }

    WindowHandle windowHandle() override { return window_; }
    SDL_Renderer* renderer() override { return renderer_; }

    std::string rendererName() override {
        SDL_RendererInfo info{};
        if (renderer_ == nullptr || SDL_GetRendererInfo(renderer_, &info) != 0) return "none";
        return info.name;
    }

    void setTitle(const std::string& title) override {
        if (window_ != nullptr) SDL_SetWindowTitle(window_, title.c_str());
    }

    void setIcon(int width, int height, const std::uint8_t* rgba) override {
        if (window_ == nullptr) return;
        SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<std::uint8_t*>(rgba), width, height, 32, width * 4, SDL_PIXELFORMAT_RGBA32);
        if (icon == nullptr) return;
        SDL_SetWindowIcon(window_, icon);
        SDL_FreeSurface(icon);
    }

    void present() override {
        if (renderer_ != nullptr) SDL_RenderPresent(renderer_);
    }

    bool pollEvent(PlatformEvent& out) override {
        if (displayLost_ && !displayLossReported_) {
            displayLossReported_ = true;
            out = PlatformEvent{};
            out.type = PlatformEvent::Type::kDisplayLost;
            return true;
        }
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
            if (translate(event, out)) return true;
        }
        return false;
    }

    std::uint32_t ticks() override { return SDL_GetTicks(); }
    void sleep(std::uint32_t milliseconds) override { SDL_Delay(milliseconds); }

    bool mouseButtonHeld(int key) override {
        // Global state, so a drag that leaves the window still sees the button.
        const Uint32 buttons = SDL_GetGlobalMouseState(nullptr, nullptr);
        switch (key) {
        case 1: return (buttons & SDL_BUTTON_LMASK) != 0;
        case 2: return (buttons & SDL_BUTTON_RMASK) != 0;
        case 4: return (buttons & SDL_BUTTON_MMASK) != 0;
        default: return false;
        }
    }

    bool keyHeld(int key) override {
        const SDL_Keycode sdl = sdlKey(key);
        if (sdl == SDLK_UNKNOWN) return false;
        const Uint8* state = SDL_GetKeyboardState(nullptr);
        if (key == 16) return state[SDL_SCANCODE_LSHIFT] || state[SDL_SCANCODE_RSHIFT];
        if (key == 17) return state[SDL_SCANCODE_LCTRL] || state[SDL_SCANCODE_RCTRL];
        if (key == 18) return state[SDL_SCANCODE_LALT] || state[SDL_SCANCODE_RALT];
        return state[SDL_GetScancodeFromKey(sdl)] != 0;
    }

    bool cursorOverWindow() override { return window_ != nullptr && SDL_GetMouseFocus() == window_; }

    void cursorScreenPosition(int& x, int& y) override { SDL_GetGlobalMouseState(&x, &y); }

    void setMouseCapture(bool captured) override {
        SDL_CaptureMouse(captured ? SDL_TRUE : SDL_FALSE);
    }

    void showCursor(bool shown) override { SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE); }

    bool windowRect(int& left, int& top, int& width, int& height) override {
        if (window_ == nullptr) return false;
        SDL_GetWindowPosition(window_, &left, &top);
        SDL_GetWindowSize(window_, &width, &height);
        return true;
    }

    void moveWindow(int left, int top, int width, int height) override {
        if (window_ == nullptr) return;
        SDL_SetWindowPosition(window_, left, top);
        SDL_SetWindowSize(window_, width, height);
    }

    void minimiseWindow() override {
        if (window_ != nullptr) SDL_MinimizeWindow(window_);
    }

    void setDragArea(DragAreaTest test) override {
        dragArea_ = std::move(test);
        applyDragArea();
    }

    void setLastWords(std::function<void()> lastWords) override { lastWords_ = std::move(lastWords); }

    MessageBoxResult messageBox(const std::string& text, const std::string& title,
                                MessageBoxButtons buttons) override {
        const SDL_MessageBoxButtonData okButtons[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0,
             "OK"}};
        const SDL_MessageBoxButtonData yesNoButtons[] = {
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 2, "No"},
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"}};
        SDL_MessageBoxData data{};
        data.flags = SDL_MESSAGEBOX_INFORMATION;
        data.window = window_;
        data.title = title.c_str();
        data.message = text.c_str();
        const bool yesNo = buttons == MessageBoxButtons::kYesNo;
        data.numbuttons = yesNo ? 2 : 1;
        data.buttons = yesNo ? yesNoButtons : okButtons;
        int pressed = -1;
        if (SDL_ShowMessageBox(&data, &pressed) != 0) pressed = -1;
        if (!yesNo) return MessageBoxResult::kOk;
        return pressed == 1 ? MessageBoxResult::kYes : MessageBoxResult::kNo;
    }

    bool openDocument(const std::string& urlOrPath) override {
        reapOpeners();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const char* argv[] = {"xdg-open", urlOrPath.c_str(), nullptr};
        pid_t child = 0;
        // A missing opener fails here: glibc reports the exec failure as the spawn's result.
        const int spawned = posix_spawnp(&child, "xdg-open", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) return false;
        for (Uint32 waited = 0; waited < kOpenerVerdictMs; waited += kOpenerPollMs) {
            int status = 0;
            const pid_t ended = waitpid(child, &status, WNOHANG);
            if (ended == child) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
            if (ended < 0 && errno != EINTR) return false;
            SDL_Delay(kOpenerPollMs);
        }
        openers_.push_back(child);
        return true;
    }

    std::string osDescription() override {
        utsname name{};
        if (uname(&name) != 0) return "Linux";
        return std::string(name.sysname) + " " + name.release;
    }

    bool memoryKiB(long& total, long& free) override {
        struct sysinfo info {};
        if (sysinfo(&info) != 0) return false;
        total = static_cast<long>(info.totalram * info.mem_unit / 1024);
        free = static_cast<long>(info.freeram * info.mem_unit / 1024);
        return true;
    }

    int powerStatus() override {
        int percent = -1;
        switch (SDL_GetPowerInfo(nullptr, &percent)) {
        case SDL_POWERSTATE_ON_BATTERY: return percent >= 0 ? percent : -2;
        case SDL_POWERSTATE_CHARGING:
        case SDL_POWERSTATE_CHARGED: return -1;
        default: return -2;
        }
    }

private:
    bool startVideo(std::string& error) {
        // Closing is the exit function's to allow or refuse; SDL would otherwise follow the
        // last window's close with a quit of its own that ends the loop regardless.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
            error = SDL_GetError();
            reportNoDisplay();
            return false;
        }
        const char* driver = SDL_GetCurrentVideoDriver();
        if (isInvisibleVideoDriver(driver) && !videoDriverNamed(driver, SDL_GetHint(SDL_HINT_VIDEODRIVER))) {
            error = std::string("No display found; the ") + driver +
                    " video driver is used only when SDL_VIDEODRIVER names it";
            SDL_Quit();
            reportNoDisplay();
            return false;
        }
        initialised_ = true;
        return true;
    }

    // Xlib's default answer to a broken connection is to exit(1) from inside whichever call
    // noticed. On the window's connection it is reported as an event instead, so the program
    // ends through its usual shut-down.
    void watchDisplayConnection() {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (SDL_GetWindowWMInfo(window_, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
        display_ = info.info.x11.display;
        displayWatcher = this;
        previousIOErrorHandler_ = XSetIOErrorHandler(onBrokenConnection);
        XSetIOErrorExitHandler(display_, onDisplayLost, this);
    }

    static int onBrokenConnection(Display* display) {
        // Another connection (SDL's message box opens its own) cannot be survived: Xlib exits
        // as soon as this returns, from inside a box the loop will never see again.
        if (displayWatcher != nullptr && display != displayWatcher->display_) displayWatcher->abandon();
        return 0;
    }

    static void onDisplayLost(Display*, void* platform) { static_cast<SdlPlatform*>(platform)->displayLost_ = true; }

    [[noreturn]] void abandon() {
        displayLost_ = true;
        if (lastWords_) lastWords_();
        // Nothing of SDL's may run any more (its calls would wait on the dead connection), so
        // no exit handlers either.
        std::_Exit(0);
    }

    // On X11 the program moves its own window (which also works without a window manager); a
    // hit test there would hand moves to a window manager that may not exist. Wayland ignores
    // positions set by the program, so only the compositor can move the window.
    void applyDragArea() {
        if (window_ == nullptr) return;
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver == nullptr || std::strcmp(driver, "wayland") != 0) return;
        if (dragArea_)
            SDL_SetWindowHitTest(window_, dragAreaHitTest, &dragArea_);
        else
            SDL_SetWindowHitTest(window_, nullptr, nullptr);
    }

    // Openers that outlived their verdict are collected once they end, so none stays a zombie.
    void reapOpeners() {
        std::erase_if(openers_, [](pid_t child) {
            int status = 0;
            return waitpid(child, &status, WNOHANG) != 0;
        });
    }

    bool translate(const SDL_Event& event, PlatformEvent& out) {
        using Type = PlatformEvent::Type;
        out = PlatformEvent{};
        switch (event.type) {
        case SDL_QUIT:
            out.type = Type::kQuit;
            return true;
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
            case SDL_WINDOWEVENT_CLOSE: out.type = Type::kCloseRequest; return true;
            case SDL_WINDOWEVENT_FOCUS_GAINED: out.type = Type::kFocusGained; return true;
            case SDL_WINDOWEVENT_FOCUS_LOST: out.type = Type::kFocusLost; return true;
            case SDL_WINDOWEVENT_MINIMIZED: out.type = Type::kMinimised; return true;
            case SDL_WINDOWEVENT_RESTORED: out.type = Type::kRestored; return true;
            case SDL_WINDOWEVENT_EXPOSED: out.type = Type::kExposed; return true;
            default: return false;
            }
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            out.type = event.type == SDL_KEYDOWN ? Type::kKeyDown : Type::kKeyUp;
            out.key = virtualKey(event.key.keysym.sym);
            out.chr = characterOf(event.key.keysym.sym, event.key.keysym.mod);
            out.flags = modifierFlags(event.key.keysym.mod);
            out.repeat = event.key.repeat != 0;
            return out.key != 0;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            out.type = event.type == SDL_MOUSEBUTTONDOWN ? Type::kMouseButtonDown
                                                         : Type::kMouseButtonUp;
            out.key = mouseKey(event.button.button);
            out.repeat = event.type == SDL_MOUSEBUTTONDOWN && event.button.clicks >= 2;
            out.x = static_cast<float>(event.button.x);
            out.y = static_cast<float>(event.button.y);
            out.flags = modifierFlags(SDL_GetModState());
            return out.key != 0;
        case SDL_MOUSEMOTION:
            out.type = Type::kMouseMove;
            out.x = static_cast<float>(event.motion.x);
            out.y = static_cast<float>(event.motion.y);
            out.flags = modifierFlags(SDL_GetModState());
            return true;
        case SDL_MOUSEWHEEL:
            out.type = Type::kMouseWheel;
            out.wheel = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y
                                                                         : event.wheel.y;
            out.flags = modifierFlags(SDL_GetModState());
            return out.wheel != 0;
        default:
            return false;
        }
    }

    bool initialised_ = false;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    DragAreaTest dragArea_;
    std::vector<pid_t> openers_;
    Display* display_ = nullptr;
    XIOErrorHandler previousIOErrorHandler_ = nullptr;
    std::function<void()> lastWords_;
    bool displayLost_ = false;
    bool displayLossReported_ = false;
};

}  // namespace

std::unique_ptr<Platform> createSdlPlatform() { return std::make_unique<SdlPlatform>(); }

}  // namespace kestrel
