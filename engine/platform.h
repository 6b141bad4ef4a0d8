#pragma once
// What the engine needs from the machine: one window with its renderer, window events
// already translated to the program's virtual-key codes, a millisecond clock and a sleep,
// live mouse state, window placement and message boxes. SDL2 implements it for the real
// program (platform_sdl.cpp); HeadlessPlatform (engine/headless.h) for tests.
#include <cstdint>
#include <functional>
#include <string>

#include "engine/hge.h"

struct SDL_Renderer;

namespace kestrel {

struct PlatformEvent {
    enum class Type {
        kQuit,            // the window was destroyed or the session ends
        kCloseRequest,    // the user asked to close (the exit function may refuse)
        kKeyDown,
        kKeyUp,
        kMouseButtonDown,
        kMouseButtonUp,
        kMouseMove,
        kMouseWheel,
        kFocusGained,
        kFocusLost,
        kMinimised,
        kRestored,
        kExposed,
        kDisplayLost,     // the connection to the display server broke; nothing can be shown
    };
    Type type = Type::kQuit;
    int key = 0;          // virtual-key code, or mouse button 1, 2, 4
    int chr = 0;          // character for key events
    int flags = 0;        // kInputFlag* modifier and lock bits
    bool repeat = false;  // key auto-repeat or double click
    int wheel = 0;        // notches, positive away from the user
    float x = 0;          // client pixels, for mouse events
    float y = 0;
};

struct WindowSpec {
    std::string title;
    int width = 800;
    int height = 600;
    bool withCaption = false;
    bool vsync = false;   // present waits for the display's refresh
};

class Platform {
public:
    virtual ~Platform() = default;

    // Creates the window and its renderer. False with the reason in error.
    virtual bool createWindow(const WindowSpec& spec, std::string& error) = 0;
    virtual void destroyWindow() = 0;
    virtual WindowHandle windowHandle() = 0;
    virtual SDL_Renderer* renderer() = 0;
    // Name of the renderer behind the window, for the start-up log.
    virtual std::string rendererName() = 0;
    virtual void setTitle(const std::string& title) = 0;
    // Straight RGBA, rows top down. Platforms without window decorations ignore it.
    virtual void setIcon(int /*width*/, int /*height*/, const std::uint8_t* /*rgba*/) {}
    // Shows what was drawn since the last present.
    virtual void present() = 0;

    virtual bool pollEvent(PlatformEvent& event) = 0;
    // Called once before the pollEvent calls of a pump made outside the frame loop; a platform
    // that must do more than poll to answer its window manager does it here.
    virtual void pumpWindowEvents() {}
    virtual std::uint32_t ticks() = 0;
    virtual void sleep(std::uint32_t milliseconds) = 0;

    // Live state, not from the queue.
    virtual bool mouseButtonHeld(int key) = 0;
    virtual bool keyHeld(int key) = 0;
    // Whether the cursor is over the client area of this window (and not another on top).
    virtual bool cursorOverWindow() = 0;
    virtual void cursorScreenPosition(int& x, int& y) = 0;
    virtual void setMouseCapture(bool captured) = 0;
    virtual void showCursor(bool shown) = 0;

    virtual bool windowRect(int& left, int& top, int& width, int& height) = 0;
    virtual void moveWindow(int left, int top, int width, int height) = 0;
    virtual void minimiseWindow() = 0;
    virtual void setDragArea(DragAreaTest test) = 0;
    // Runs when the display is lost where the frame loop cannot notice it (inside a system
    // message box, which has a connection of its own); the process then ends with code 0.
    virtual void setLastWords(std::function<void()> /*lastWords*/) {}
    virtual MessageBoxResult messageBox(const std::string& text, const std::string& title,
                                        MessageBoxButtons buttons) = 0;
    virtual bool openDocument(const std::string& urlOrPath) = 0;

    // Shape of the start-up log's system lines.
    virtual std::string osDescription() = 0;      // "Linux 6.1.0-13-amd64"
    virtual bool memoryKiB(long& total, long& free) = 0;
    virtual int powerStatus() = 0;                // -1 mains, -2 unknown, else percent
};

// The real platform: SDL2 video with a borderless centred window and a hardware renderer.
std::unique_ptr<Platform> createSdlPlatform();

}  // namespace kestrel
