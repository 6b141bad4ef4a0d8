#pragma once
// The engine: the program's single window, the fixed-rate frame loop, per-frame input, the
// log, device-change notices, textures and batched drawing of quads, triangles and lines.
//
//   CreateEngine / System_Release   one shared, reference-counted engine object
//   System_Set*State / Get*State    numbered states (EngineState), set before System_Initiate
//   System_Initiate / Start / Finish   window and renderer, the frame loop, shut-down
//   System_PumpWindowEvents          keeps the window answering during long blocking work
//   Input_*                          what the frame function reads about mouse and keys
//   Gfx_* / Texture_*                scenes, batched primitives, PNG textures
//   System_RegisterDeviceNotification  hidraw arrivals and removals reach the state-100 hook
//
// The window and renderer sit behind engine/platform.h: SDL2 for the real program, a headless
// memory framebuffer with a hand-driven clock for tests and benchmarks (engine/headless.h).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kestrel {

class Log;
class Platform;

// Texture handle; 0 means none.
using TextureHandle = std::uintptr_t;
// Opaque window handle as the platform gives it; null until the window exists.
using WindowHandle = void*;

// ---- Drawing value types -----------------------------------------------------------------

struct Vertex {
    float x = 0;            // pixels
    float y = 0;
    float z = 0.5f;         // 0..1; kept for the layout, drawing order decides what covers what
    std::uint32_t colour = 0xFFFFFFFF;  // ARGB, alpha in the top byte
    float u = 0;
    float v = 0;
};
static_assert(sizeof(Vertex) == 24, "the vertex layout is six 4-byte fields");

// Blend mode bits. Default is kBlendDefault: texture times vertex colour, alpha blending.
constexpr int kBlendColourAdd = 1;   // clear: texture colour multiplied by vertex colour
constexpr int kBlendAlphaBlend = 2;  // clear: additive (source alpha, one)
constexpr int kBlendZWrite = 4;      // accepted and ignored: there is no depth buffer
constexpr int kBlendDefault = kBlendAlphaBlend;

struct Quad {
    Vertex v[4];            // top-left, top-right, bottom-right, bottom-left
    TextureHandle tex = 0;
    int blend = kBlendDefault;
};

struct Triangle {
    Vertex v[3];
    TextureHandle tex = 0;
    int blend = kBlendDefault;
};

// ---- Input -------------------------------------------------------------------------------

constexpr int kInputKeyDown = 1;
constexpr int kInputKeyUp = 2;
constexpr int kInputMouseButtonDown = 3;
constexpr int kInputMouseButtonUp = 4;
constexpr int kInputMouseMove = 5;
constexpr int kInputMouseWheel = 6;

constexpr int kInputFlagShift = 1;
constexpr int kInputFlagControl = 2;
constexpr int kInputFlagAlt = 4;
constexpr int kInputFlagCapsLock = 8;
constexpr int kInputFlagScrollLock = 16;
constexpr int kInputFlagNumLock = 32;
constexpr int kInputFlagRepeat = 64;   // key auto-repeat or mouse double click

// Key codes are the program's virtual-key codes: mouse buttons 1 left, 2 right, 4 middle.
constexpr int kKeyLeftButton = 1;
constexpr int kKeyRightButton = 2;
constexpr int kKeyMiddleButton = 4;
constexpr int kKeyBackspace = 8;
constexpr int kKeyTab = 9;
constexpr int kKeyEnter = 13;
constexpr int kKeyShift = 16;
constexpr int kKeyControl = 17;
constexpr int kKeyAlt = 18;
constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;
constexpr int kKeyF4 = 115;

struct InputEvent {
    int type = 0;     // kInputKeyDown .. kInputMouseWheel
    int key = 0;      // virtual-key code
    int flags = 0;    // kInputFlag* bits
    int chr = 0;      // character of a key event, from the keyboard layout
    int wheel = 0;    // signed notches
    float x = 0;      // client pixels
    float y = 0;
};

// ---- States ------------------------------------------------------------------------------

enum EngineBoolState : int {
    kStateWindowed = 1,
    kStateZBuffer = 2,
    kStateTextureFilter = 3,
    kStateUseSound = 4,
    kStateDontSuspend = 5,
    kStateHideMouse = 6,
    kStateShowSplash = 7,
};

enum EngineFuncState : int {
    kStateFrameFunc = 8,        // returns true to end the loop; required
    kStateRenderFunc = 9,
    kStateFocusLostFunc = 10,
    kStateFocusGainFunc = 11,
    kStateGfxRestoreFunc = 12,
    kStateExitFunc = 13,        // returns false to refuse closing
};

enum EngineWindowState : int {
    kStateWindow = 15,          // read only
    kStateParentWindow = 16,    // only before the window exists
};

enum EngineIntState : int {
    kStateScreenWidth = 17,
    kStateScreenHeight = 18,
    kStateScreenBpp = 19,
    kStateSampleRate = 20,
    kStateFxVolume = 21,
    kStateMusicVolume = 22,
    kStateStreamVolume = 23,
    kStateFps = 24,             // 0 unlimited, -1 vertical sync, n > 0 fixed
    kStatePowerStatus = 25,     // read only: -1 mains, -2 unknown or no battery, else percent
};

enum EngineStringState : int {
    kStateIcon = 26,            // name of an embedded PNG ("window-icon.png")
    kStateTitle = 27,
    kStateIniFile = 28,
    kStateLogFile = 29,
};

enum EngineHookState : int {
    kStateMessageHook = 100,
};

using EngineCallback = std::function<bool()>;

// True for a client point where a press should move the window (a title band).
using DragAreaTest = std::function<bool(int x, int y)>;

// The message hook receives (window, message, wparam, lparam); its result is the message's.
using MessageHook = std::function<bool(WindowHandle window, std::uint32_t message,
                                       std::uintptr_t wparam, std::intptr_t lparam)>;

// Device-change messages as the hook sees them.
constexpr std::uint32_t kMessageDeviceChange = 0x0219;
constexpr std::uintptr_t kDeviceArrival = 0x8000;
constexpr std::uintptr_t kDeviceRemoveComplete = 0x8004;
// A device's node changed in place (udev "change" or "bind", e.g. after `udevadm trigger`
// applied a new rule): its permissions may now let the program open it.
constexpr std::uintptr_t kDeviceNodesChanged = 0x0007;

// ---- Device notices ----------------------------------------------------------------------

struct DeviceNotice {
    enum class Kind { kArrival, kRemoval, kChange };
    Kind kind = Kind::kArrival;
    std::string devicePath;     // e.g. "/dev/hidraw3"; informational only
};

// Where hidraw arrivals and removals come from. Polled without blocking inside the message
// pump, so every notice reaches the hook on the loop thread.
class DeviceNoticeSource {
public:
    virtual ~DeviceNoticeSource() = default;
    // The next pending notice, or nothing; never blocks.
    virtual std::optional<DeviceNotice> poll() = 0;
};

// A libudev monitor on the hidraw subsystem. Null (and a log line) when udev is unavailable.
std::unique_ptr<DeviceNoticeSource> createUdevNoticeSource(Log& log);

// ---- Message boxes -----------------------------------------------------------------------

enum class MessageBoxButtons { kOk, kYesNo };
enum class MessageBoxResult { kOk, kYes, kNo };

// ---- The engine interface ----------------------------------------------------------------

class HGE {
public:
    // Gives back one reference; at zero the engine finishes (if needed) and is destroyed.
    virtual void System_Release() = 0;
    virtual bool System_Initiate(bool withCaption = false) = 0;
    virtual void System_Finish() = 0;
    // Runs frames until the frame function returns true or the window closes.
    virtual bool System_Start() = 0;
    // For work that holds the loop thread for seconds (a firmware flash): answers the window
    // manager without acting on input. Key and mouse input is dropped, a close request or quit
    // waits for the next frame, device notices stay queued. True when the window's contents
    // were lost (exposed, restored) and the caller should draw a scene.
    virtual bool System_PumpWindowEvents() = 0;
    virtual const char* System_GetErrorText() = 0;
    virtual void System_WriteLog(const char* format, ...) __attribute__((format(printf, 2, 3))) = 0;
    // The program log as a Log&, for subsystems that take a borrowed log.
    virtual Log& System_GetLog() = 0;

    virtual void System_SetBoolState(EngineBoolState state, bool value) = 0;
    virtual void System_SetFuncState(EngineFuncState state, EngineCallback function) = 0;
    virtual void System_SetHookState(EngineHookState state, MessageHook hook) = 0;
    virtual void System_SetWindowState(EngineWindowState state, WindowHandle window) = 0;
    virtual void System_SetIntState(EngineIntState state, int value) = 0;
    // Null clears a string state.
    virtual void System_SetStringState(EngineStringState state, const char* value) = 0;
    virtual bool System_GetBoolState(EngineBoolState state) = 0;
    virtual WindowHandle System_GetWindowState(EngineWindowState state) = 0;
    virtual int System_GetIntState(EngineIntState state) = 0;
    // Null when the state is unset; the log file state gives the resolved path.
    virtual const char* System_GetStringState(EngineStringState state) = 0;

    // Starts delivering hidraw arrivals and removals to the state-100 hook as device-change
    // messages. Uses the injected source if one was set, else a udev monitor. False, with the
    // error text set, when no source can be made.
    virtual bool System_RegisterDeviceNotification() = 0;
    virtual void System_UnregisterDeviceNotification() = 0;
    // Replaces the notice source (tests and the demo inject their own).
    virtual void System_SetDeviceNoticeSource(std::unique_ptr<DeviceNoticeSource> source) = 0;

    // Window placement for the program's own title-bar dragging, in screen pixels.
    virtual bool System_GetWindowRect(int* left, int* top, int* width, int* height) = 0;
    virtual void System_MoveWindow(int left, int top, int width, int height) = 0;
    virtual void System_MinimiseWindow() = 0;
    // Where only the desktop can move windows (Wayland), a press at a point the test approves
    // hands the window to the desktop's own move. Elsewhere the program moves its window itself
    // with System_MoveWindow and the test is not asked. Null removes it.
    virtual void System_SetDragArea(DragAreaTest test) = 0;
    // Cursor position in screen pixels, read live.
    virtual void System_GetCursorScreenPos(int* x, int* y) = 0;
    // Modal box over the window. Device notices that come meanwhile wait in the source and
    // reach the hook with the next pump.
    virtual MessageBoxResult System_MessageBox(const char* text, const char* title,
                                               MessageBoxButtons buttons) = 0;
    // Opens a URL or document with the desktop's handler; false when no handler can be started
    // or it reports that it failed.
    virtual bool System_OpenDocument(const char* urlOrPath) = 0;

    virtual float Timer_TotalTime() = 0;
    virtual float Timer_FrameDelta() = 0;
    virtual int Timer_FramesPerSecond() = 0;

    virtual void Input_MousePosition(float* x, float* y) = 0;
    virtual int Input_WheelDelta() = 0;
    virtual bool Input_MouseInside() = 0;
    virtual bool Input_KeyPressed(int key) = 0;
    virtual bool Input_KeyReleased(int key) = 0;
    // Live state; for mouse buttons read from the system, not from the event queue.
    virtual bool Input_KeyHeld(int key) = 0;
    virtual int Input_LastKey() = 0;
    virtual int Input_LastChar() = 0;
    virtual bool Input_NextEvent(InputEvent* event) = 0;

    // Only the screen (target 0) is a render target.
    virtual bool Gfx_BeginScene(TextureHandle target = 0) = 0;
    virtual void Gfx_FinishScene() = 0;
    virtual void Gfx_ClearScreen(std::uint32_t colour) = 0;
    virtual void Gfx_DrawLine(float x1, float y1, float x2, float y2,
                              std::uint32_t colour = 0xFFFFFFFF, float z = 0.5f) = 0;
    virtual void Gfx_DrawTriangle(const Triangle& triangle) = 0;
    virtual void Gfx_DrawQuad(const Quad& quad) = 0;
    // Draw calls issued to the renderer since the engine was created; tests and benchmarks
    // compare it before and after a scene to see the batching.
    virtual std::uint64_t Gfx_FlushCount() = 0;

    // With size 0, data is a resource name looked up among the embedded files.
    // Returns 0, with a log line, for data that is not a decodable PNG.
    virtual TextureHandle Texture_LoadImage(const void* data, std::size_t size,
                                            bool mipmap = false) = 0;
    virtual void Texture_Release(TextureHandle texture) = 0;
    virtual int Texture_Width(TextureHandle texture, bool imageSize = false) = 0;
    virtual int Texture_Height(TextureHandle texture, bool imageSize = false) = 0;

protected:
    virtual ~HGE() = default;
};

// The single engine object, created on first use, plus one reference.
HGE* CreateEngine();
// As above, but a first creation runs on the given platform (headless tests, benchmarks).
// When the engine already exists the platform is dropped and the existing engine returned.
HGE* CreateEngine(std::unique_ptr<Platform> platform);

}  // namespace kestrel
