// The real platform over SDL2: one borderless, centred, fixed-size window, a renderer,
// events translated to virtual-key codes, and the few desktop services the program uses.
#include <SDL.h>
#include <spawn.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <sys/wait.h>

#include <cctype>

#include "engine/platform.h"

extern char** environ;

namespace kestrel {

namespace {

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

class SdlPlatform final : public Platform {
public:
    ~SdlPlatform() override { destroyWindow(); }

    bool createWindow(const WindowSpec& spec, std::string& error) override {
        if (!initialised_) {
            if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
                error = SDL_GetError();
                return false;
            }
            initialised_ = true;
        }
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
        return true;
    }

    void destroyWindow() override {
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
        // The shell backgrounds the opener and returns at once, so the loop never waits on a
        // browser and no child is left unreaped.
        const char* argv[] = {"/bin/sh", "-c", "xdg-open \"$1\" >/dev/null 2>&1 &", "sh",
                              urlOrPath.c_str(), nullptr};
        pid_t child = 0;
        if (posix_spawn(&child, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv),
                        environ) != 0)
            return false;
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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
};

}  // namespace

std::unique_ptr<Platform> createSdlPlatform() { return std::make_unique<SdlPlatform>(); }

}  // namespace kestrel
