#pragma once
// A platform with no display: the window is a 32-bit memory framebuffer drawn by SDL's
// software renderer, the clock moves only when the loop sleeps or a test advances it, and
// events, cursor and button state are whatever the test puts in. The engine runs its real
// frame loop and drawing on it.
//
//   HeadlessEngine world;                     // engine on a fresh headless platform
//   world.platform().queueEvent(...);         // input for the next pump
//   world.hge()->System_Start();              // frames until the frame function says stop
//   world.platform().pixel(x, y);             // ARGB of the last presented frame
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/hge.h"
#include "engine/log.h"
#include "engine/platform.h"

struct SDL_Surface;

namespace kestrel {

class HeadlessPlatform final : public Platform {
public:
    HeadlessPlatform();
    ~HeadlessPlatform() override;

    // ---- What tests steer ----
    void queueEvent(const PlatformEvent& event) { events_.push_back(event); }
    void advanceClock(std::uint32_t milliseconds) { clock_ += milliseconds; }
    // Every later sleep lasts this much longer, as on a busy machine.
    void setSleepOvershoot(std::uint32_t milliseconds) { overshoot_ = milliseconds; }
    void setMouseButtonHeld(int key, bool held);
    void setKeyHeld(int key, bool held);
    void setCursorOverWindow(bool over) { cursorOver_ = over; }
    void setCursorScreenPosition(int x, int y) { cursorX_ = x; cursorY_ = y; }
    // Answers of the next message boxes, in order; kOk or kNo when none is left.
    void queueMessageBoxAnswer(MessageBoxResult answer) { answers_.push_back(answer); }
    // When set, the window cannot be made (initiation failure paths).
    void failWindowCreation(bool fail) { failWindow_ = fail; }

    // ---- What tests observe ----
    // ARGB of a pixel of the last presented frame; 0 outside it.
    std::uint32_t pixel(int x, int y) const;
    // ARGB of a pixel of the frame being drawn (before present).
    std::uint32_t drawnPixel(int x, int y) const;
    int presentCount() const { return presents_; }
    // Pumps made outside the frame loop (System_PumpWindowEvents), e.g. during a flash.
    int windowEventPumps() const { return windowEventPumps_; }
    std::uint32_t clock() const { return clock_; }
    std::uint32_t totalSlept() const { return slept_; }
    int sleepCalls() const { return sleepCalls_; }
    int zeroLengthSleeps() const { return zeroLengthSleeps_; }
    const std::vector<std::string>& messageBoxTexts() const { return boxTexts_; }
    const std::vector<std::string>& openedDocuments() const { return opened_; }
    bool captured() const { return captured_; }
    bool windowExists() const { return renderer_ != nullptr; }
    const WindowSpec& windowSpec() const { return spec_; }
    // Writes the last presented frame as a PNG; false when it cannot.
    bool savePng(const std::string& path) const;

    // ---- Platform ----
    bool createWindow(const WindowSpec& spec, std::string& error) override;
    void destroyWindow() override;
    WindowHandle windowHandle() override;
    SDL_Renderer* renderer() override { return renderer_; }
    std::string rendererName() override;
    void setTitle(const std::string& title) override { spec_.title = title; }
    void present() override;
    bool pollEvent(PlatformEvent& event) override;
    void pumpWindowEvents() override { ++windowEventPumps_; }
    std::uint32_t ticks() override { return clock_; }
    void sleep(std::uint32_t milliseconds) override;
    bool mouseButtonHeld(int key) override;
    bool keyHeld(int key) override;
    bool cursorOverWindow() override { return cursorOver_; }
    void cursorScreenPosition(int& x, int& y) override;
    void setMouseCapture(bool captured) override { captured_ = captured; }
    void showCursor(bool) override {}
    bool windowRect(int& left, int& top, int& width, int& height) override;
    void moveWindow(int left, int top, int width, int height) override;
    void minimiseWindow() override { minimised_ = true; }
    // No desktop moves a headless window.
    void setDragArea(DragAreaTest) override {}
    MessageBoxResult messageBox(const std::string& text, const std::string& title,
                                MessageBoxButtons buttons) override;
    bool openDocument(const std::string& urlOrPath) override;
    std::string osDescription() override { return "Headless"; }
    bool memoryKiB(long& total, long& free) override;
    int powerStatus() override { return -2; }

    bool minimised() const { return minimised_; }

private:
    std::deque<PlatformEvent> events_;
    std::deque<MessageBoxResult> answers_;
    std::vector<std::string> boxTexts_;
    std::vector<std::string> opened_;
    std::uint32_t clock_ = 1000;
    std::uint32_t slept_ = 0;
    std::uint32_t overshoot_ = 0;
    int sleepCalls_ = 0;
    int zeroLengthSleeps_ = 0;
    std::uint8_t buttons_ = 0;
    std::vector<bool> keys_ = std::vector<bool>(256, false);
    bool cursorOver_ = true;
    bool captured_ = false;
    bool failWindow_ = false;
    bool minimised_ = false;
    int cursorX_ = 0;
    int cursorY_ = 0;
    int windowLeft_ = 0;
    int windowTop_ = 0;
    int presents_ = 0;
    int windowEventPumps_ = 0;
    WindowSpec spec_;
    SDL_Surface* target_ = nullptr;     // what the renderer draws into
    SDL_Surface* presented_ = nullptr;  // copy made at each present
    SDL_Renderer* renderer_ = nullptr;
};

// An engine on a fresh headless platform, with a RecordingLog that sees every log line, and
// the splash switched off. Releases the engine (and with it every texture) when it goes.
// Only one may exist at a time, as there is only one engine.
class HeadlessEngine {
public:
    HeadlessEngine();
    ~HeadlessEngine();
    HeadlessEngine(const HeadlessEngine&) = delete;
    HeadlessEngine& operator=(const HeadlessEngine&) = delete;

    HGE* hge() const { return hge_; }
    HeadlessPlatform& platform() const { return *platform_; }
    RecordingLog& log() { return log_; }
    // System_Initiate with the program's usual states (800x600, windowed, 60 fps, no sound).
    bool initiate();
    // Runs exactly `frames` frames (frame step, then the render function if set) through the
    // real System_Start; eachFrame runs as the frame function's body.
    bool runFrames(int frames, const std::function<void()>& eachFrame = {});

private:
    RecordingLog log_;
    HeadlessPlatform* platform_ = nullptr;  // owned by the engine
    HGE* hge_ = nullptr;
};

// Extra sink that sees every engine log line as well as the log file: tests assert on it.
void setEngineLogObserver(HGE* hge, Log* observer);

// Where relative log names are resolved instead of the executable's folder.
void setEngineProgramFolder(HGE* hge, const std::filesystem::path& folder);

}  // namespace kestrel
