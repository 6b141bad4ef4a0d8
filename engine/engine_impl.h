#pragma once
// The one engine object behind the HGE interface. Private to engine/: the rest of the
// program sees only hge.h. Split by concern: engine.cpp (states, log, initiation, frame loop,
// input, device notices), graphics.cpp (scenes, batching, textures), splash.cpp.
#include <SDL.h>

#include <array>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/hge.h"
#include "engine/log.h"
#include "engine/platform.h"

namespace kestrel {

// Every engine line goes to the log file and, when a test asks, to an observer as well.
class EngineLog final : public Log {
public:
    FileLog& file() { return file_; }
    void setObserver(Log* observer) { observer_ = observer; }

protected:
    void writeLine(std::string_view line) override;

private:
    FileLog file_;
    Log* observer_ = nullptr;
};

// Resolves the log file name: absolute names stay, relative ones go beside the executable,
// and when that folder refuses the file or is a system folder (an installed program under
// /usr, /opt, /bin), under $XDG_STATE_HOME/kestrel (or ~/.local/state/kestrel). Returns the path the log now writes to, empty when none.
std::filesystem::path openLogFile(FileLog& log, const std::string& name,
                                  const std::filesystem::path& programFolder);

// Splash alpha for t seconds of accumulated frame time; -1 once the splash is over.
int splashAlpha(float seconds);

class HGE_Impl final : public HGE {
public:
    explicit HGE_Impl(std::unique_ptr<Platform> platform);
    ~HGE_Impl() override;

    static HGE_Impl* instance;
    static int references;

    void System_Release() override;
    bool System_Initiate(bool withCaption) override;
    void System_Finish() override;
    bool System_Start() override;
    bool System_PumpWindowEvents() override;
    const char* System_GetErrorText() override { return errorText_.c_str(); }
    void System_WriteLog(const char* format, ...) override __attribute__((format(printf, 2, 3)));
    Log& System_GetLog() override { return log_; }

    void System_SetBoolState(EngineBoolState state, bool value) override;
    void System_SetFuncState(EngineFuncState state, EngineCallback function) override;
    void System_SetHookState(EngineHookState state, MessageHook hook) override;
    void System_SetWindowState(EngineWindowState state, WindowHandle window) override;
    void System_SetIntState(EngineIntState state, int value) override;
    void System_SetStringState(EngineStringState state, const char* value) override;
    bool System_GetBoolState(EngineBoolState state) override;
    WindowHandle System_GetWindowState(EngineWindowState state) override;
    int System_GetIntState(EngineIntState state) override;
    const char* System_GetStringState(EngineStringState state) override;

    bool System_RegisterDeviceNotification() override;
    void System_UnregisterDeviceNotification() override { deviceNotices_ = false; }
    void System_SetDeviceNoticeSource(std::unique_ptr<DeviceNoticeSource> source) override;

    bool System_GetWindowRect(int* left, int* top, int* width, int* height) override;
    void System_MoveWindow(int left, int top, int width, int height) override;
    void System_MinimiseWindow() override;
    void System_SetDragArea(DragAreaTest test) override;
    void System_GetCursorScreenPos(int* x, int* y) override;
    MessageBoxResult System_MessageBox(const char* text, const char* title,
                                       MessageBoxButtons buttons) override;
    bool System_OpenDocument(const char* urlOrPath) override;

    float Timer_TotalTime() override { return totalTime_; }
    float Timer_FrameDelta() override { return frameDelta_; }
    int Timer_FramesPerSecond() override { return fps_; }

    void Input_MousePosition(float* x, float* y) override;
    int Input_WheelDelta() override { return wheel_; }
    bool Input_MouseInside() override { return mouseInside_; }
    bool Input_KeyPressed(int key) override;
    bool Input_KeyReleased(int key) override;
    bool Input_KeyHeld(int key) override;
    int Input_LastKey() override { return lastKey_; }
    int Input_LastChar() override { return lastChar_; }
    bool Input_NextEvent(InputEvent* event) override;

    bool Gfx_BeginScene(TextureHandle target) override;
    void Gfx_FinishScene() override;
    void Gfx_ClearScreen(std::uint32_t colour) override;
    void Gfx_DrawLine(float x1, float y1, float x2, float y2, std::uint32_t colour,
                      float z) override;
    void Gfx_DrawTriangle(const Triangle& triangle) override;
    void Gfx_DrawQuad(const Quad& quad) override;
    std::uint64_t Gfx_FlushCount() override { return flushes_; }

    TextureHandle Texture_LoadImage(const void* data, std::size_t size, bool mipmap) override;
    void Texture_Release(TextureHandle texture) override;
    int Texture_Width(TextureHandle texture, bool imageSize) override;
    int Texture_Height(TextureHandle texture, bool imageSize) override;

    void setLogObserver(Log* observer) { log_.setObserver(observer); }
    void setProgramFolder(std::filesystem::path folder) { programFolder_ = std::move(folder); }

private:
    // ---- engine.cpp ----
    void postError(const char* text);
    void pumpMessages(bool& quit);
    void deferWhileBusy(const PlatformEvent& event, bool& redraw);
    void handleEvent(const PlatformEvent& event, bool& quit);
    void queueInput(InputEvent event, bool repeat);
    void clearFrameInput();
    // Sleeps until the next frame is due; false when it already is.
    bool sleepUntilFrameDue();
    void deliverDeviceNotices();
    void updateMouseInside();
    void applyIcon();
    // False when the window was closed while the splash showed.
    bool runSplash();

    // ---- graphics.cpp ----
    bool initGraphics();
    void releaseGraphics();
    void flush();
    void applyBlend(int blend);
    void applyTextureFilter();
    SDL_Texture* findTexture(TextureHandle texture) const;

    enum class Primitive { kLine = 2, kTriangle = 3, kQuad = 4 };

    struct TextureRecord {
        SDL_Texture* texture;
        int width;
        int height;
    };

    std::unique_ptr<Platform> platform_;
    EngineLog log_;
    std::string errorText_;
    std::filesystem::path programFolder_;

    // States
    bool windowed_ = false;
    bool zBuffer_ = false;
    bool textureFilter_ = true;
    bool useSound_ = true;
    bool dontSuspend_ = false;
    bool hideMouse_ = true;
    bool showSplash_ = true;
    EngineCallback frameFunc_;
    EngineCallback renderFunc_;
    EngineCallback focusLostFunc_;
    EngineCallback focusGainFunc_;
    EngineCallback gfxRestoreFunc_;
    EngineCallback exitFunc_;
    MessageHook hook_;
    WindowHandle parentWindow_ = nullptr;
    int screenWidth_ = 800;
    int screenHeight_ = 600;
    int screenBpp_ = 32;
    int sampleRate_ = 44100;
    int fxVolume_ = 100;
    int musicVolume_ = 100;
    int streamVolume_ = 100;
    int fpsState_ = 0;
    int powerStatus_ = -2;
    std::string icon_;
    bool hasIcon_ = false;
    std::string title_ = "HGE";
    std::string iniFile_;
    std::string logFile_;

    // Window and loop
    bool windowExists_ = false;
    bool active_ = false;
    // Set once the window has been closed (or the session or display is gone): every frame
    // loop, a nested one included, ends at its next pump.
    bool closed_ = false;
    bool deviceNotices_ = false;
    std::unique_ptr<DeviceNoticeSource> noticeSource_;
    // Close requests and quits that arrived during System_PumpWindowEvents; the next frame's
    // pump handles them.
    std::deque<PlatformEvent> deferredEvents_;

    // Timing
    std::uint32_t lastFrameTime_ = 0;   // grid point of the last frame
    std::uint32_t lastFrameStart_ = 0;  // when the last frame actually began
    std::uint32_t lastFpsTime_ = 0;
    int frameCounter_ = 0;
    int fps_ = 0;
    std::uint32_t framePeriod_ = 0;
    float frameDelta_ = 0;
    float totalTime_ = 0;

    // Input
    float mouseX_ = 0;
    float mouseY_ = 0;
    int wheel_ = 0;
    int lastKey_ = 0;
    int lastChar_ = 0;
    bool mouseInside_ = false;
    bool captured_ = false;
    bool cursorHidden_ = false;
    std::array<std::uint8_t, 256> keyTransitions_{};
    std::deque<InputEvent> events_;

    // Graphics
    static constexpr int kVertexBufferSize = 4000;
    // Six indices for each quad: the 1000 quads of a batch, and the 2000 lines of a line batch,
    // each of which is drawn as a quad.
    static constexpr int kIndexBufferSize = 12000;
    SDL_Renderer* renderer_ = nullptr;
    std::vector<Vertex> vertices_;
    std::vector<SDL_Color> colours_;
    std::vector<Vertex> lineQuads_;
    std::vector<std::uint16_t> indices_;
    bool sceneOpen_ = false;
    int primitives_ = 0;
    Primitive primitive_ = Primitive::kQuad;
    TextureHandle currentTexture_ = 0;
    int currentBlend_ = kBlendDefault;
    std::vector<TextureRecord> textures_;
    std::uint64_t flushes_ = 0;
};

}  // namespace kestrel
