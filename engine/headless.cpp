// The display-less platform: SDL's software renderer into a memory surface, a clock that
// moves only when the loop sleeps, and input that tests script.
#include "engine/headless.h"

#include <SDL.h>
#include <png.h>

#include <cstring>

#include "engine/engine_impl.h"

namespace kestrel {

HeadlessPlatform::HeadlessPlatform() = default;

HeadlessPlatform::~HeadlessPlatform() { destroyWindow(); }

void HeadlessPlatform::setMouseButtonHeld(int key, bool held) {
    const auto bit = static_cast<std::uint8_t>(key & 0xFF);
    buttons_ = held ? static_cast<std::uint8_t>(buttons_ | bit)
                    : static_cast<std::uint8_t>(buttons_ & ~bit);
}

void HeadlessPlatform::setKeyHeld(int key, bool held) {
    if (key >= 0 && key < 256) keys_[static_cast<std::size_t>(key)] = held;
}

bool HeadlessPlatform::createWindow(const WindowSpec& spec, std::string& error) {
    if (failWindow_) {
        error = "window creation refused by the test";
        return false;
    }
    spec_ = spec;
    target_ = SDL_CreateRGBSurfaceWithFormat(0, spec.width, spec.height, 32,
                                             SDL_PIXELFORMAT_ARGB8888);
    presented_ = SDL_CreateRGBSurfaceWithFormat(0, spec.width, spec.height, 32,
                                                SDL_PIXELFORMAT_ARGB8888);
    if (target_ != nullptr) renderer_ = SDL_CreateSoftwareRenderer(target_);
    if (renderer_ == nullptr) {
        error = SDL_GetError();
        destroyWindow();
        return false;
    }
    // A new window starts black, as a cleared back buffer would.
    SDL_FillRect(target_, nullptr, 0xFF000000);
    SDL_FillRect(presented_, nullptr, 0xFF000000);
    return true;
}

void HeadlessPlatform::destroyWindow() {
    if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
    if (target_ != nullptr) SDL_FreeSurface(target_);
    if (presented_ != nullptr) SDL_FreeSurface(presented_);
    renderer_ = nullptr;
    target_ = nullptr;
    presented_ = nullptr;
}

WindowHandle HeadlessPlatform::windowHandle() { return renderer_ != nullptr ? this : nullptr; }

std::string HeadlessPlatform::rendererName() { return "software"; }

void HeadlessPlatform::present() {
    if (renderer_ == nullptr) return;
    SDL_RenderFlush(renderer_);
    std::memcpy(presented_->pixels, target_->pixels,
                static_cast<std::size_t>(target_->pitch) * static_cast<std::size_t>(target_->h));
    ++presents_;
}

namespace {
std::uint32_t surfacePixel(const SDL_Surface* surface, int x, int y) {
    if (surface == nullptr || x < 0 || y < 0 || x >= surface->w || y >= surface->h) return 0;
    const auto* row = static_cast<const std::uint8_t*>(surface->pixels) +
                      static_cast<std::ptrdiff_t>(y) * surface->pitch;
    std::uint32_t value = 0;
    std::memcpy(&value, row + static_cast<std::ptrdiff_t>(x) * 4, 4);
    return value;
}
}  // namespace

std::uint32_t HeadlessPlatform::pixel(int x, int y) const { return surfacePixel(presented_, x, y); }

std::uint32_t HeadlessPlatform::drawnPixel(int x, int y) const {
    if (renderer_ != nullptr) SDL_RenderFlush(renderer_);
    return surfacePixel(target_, x, y);
}

bool HeadlessPlatform::savePng(const std::string& path) const {
    if (presented_ == nullptr) return false;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(presented_->w) *
                                   static_cast<std::size_t>(presented_->h) * 4);
    std::size_t at = 0;
    for (int y = 0; y < presented_->h; ++y) {
        for (int x = 0; x < presented_->w; ++x) {
            const std::uint32_t p = pixel(x, y);
            rgba[at++] = static_cast<std::uint8_t>(p >> 16);
            rgba[at++] = static_cast<std::uint8_t>(p >> 8);
            rgba[at++] = static_cast<std::uint8_t>(p);
            rgba[at++] = 0xFF;
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(presented_->w);
    image.height = static_cast<png_uint_32>(presented_->h);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
}

bool HeadlessPlatform::pollEvent(PlatformEvent& event) {
    if (events_.empty()) return false;
    event = events_.front();
    events_.pop_front();
    return true;
}

void HeadlessPlatform::sleep(std::uint32_t milliseconds) {
    // A yield costs the simulated clock one millisecond, so a loop waiting for the clock
    // always gets there.
    ++sleepCalls_;
    if (milliseconds == 0) ++zeroLengthSleeps_;
    const std::uint32_t step = (milliseconds == 0 ? 1 : milliseconds) + overshoot_;
    clock_ += step;
    slept_ += step;
}

bool HeadlessPlatform::mouseButtonHeld(int key) { return (buttons_ & key) != 0; }

bool HeadlessPlatform::keyHeld(int key) {
    return key >= 0 && key < 256 && keys_[static_cast<std::size_t>(key)];
}

void HeadlessPlatform::cursorScreenPosition(int& x, int& y) {
    x = cursorX_;
    y = cursorY_;
}

bool HeadlessPlatform::windowRect(int& left, int& top, int& width, int& height) {
    if (renderer_ == nullptr) return false;
    left = windowLeft_;
    top = windowTop_;
    width = spec_.width;
    height = spec_.height;
    return true;
}

void HeadlessPlatform::moveWindow(int left, int top, int, int) {
    windowLeft_ = left;
    windowTop_ = top;
}

MessageBoxResult HeadlessPlatform::messageBox(const std::string& text, const std::string&,
                                              MessageBoxButtons buttons) {
    boxTexts_.push_back(text);
    if (!answers_.empty()) {
        const MessageBoxResult answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    return buttons == MessageBoxButtons::kOk ? MessageBoxResult::kOk : MessageBoxResult::kNo;
}

bool HeadlessPlatform::openDocument(const std::string& urlOrPath) {
    opened_.push_back(urlOrPath);
    return true;
}

bool HeadlessPlatform::memoryKiB(long& total, long& free) {
    total = 1024 * 1024;
    free = 512 * 1024;
    return true;
}

// ---- HeadlessEngine ----------------------------------------------------------------------

HeadlessEngine::HeadlessEngine() {
    auto platform = std::make_unique<HeadlessPlatform>();
    platform_ = platform.get();
    hge_ = CreateEngine(std::move(platform));
    hge_->System_SetBoolState(kStateShowSplash, false);
    setEngineLogObserver(hge_, &log_);
}

HeadlessEngine::~HeadlessEngine() {
    setEngineLogObserver(hge_, nullptr);
    // Gives back every reference, so the next test gets a fresh engine.
    while (HGE_Impl::instance != nullptr) hge_->System_Release();
}

bool HeadlessEngine::initiate() {
    hge_->System_SetStringState(kStateTitle, "Kestrel Customiser Setup 1.1");
    hge_->System_SetIntState(kStateScreenWidth, 800);
    hge_->System_SetIntState(kStateScreenHeight, 600);
    hge_->System_SetIntState(kStateScreenBpp, 32);
    hge_->System_SetBoolState(kStateWindowed, true);
    hge_->System_SetIntState(kStateFps, 60);
    hge_->System_SetBoolState(kStateUseSound, false);
    hge_->System_SetBoolState(kStateDontSuspend, true);
    hge_->System_SetBoolState(kStateHideMouse, false);
    return hge_->System_Initiate(false);
}

bool HeadlessEngine::runFrames(int frames, const std::function<void()>& eachFrame) {
    int ran = 0;
    // One extra call ends the loop, so each of the frames also gets its render call.
    hge_->System_SetFuncState(kStateFrameFunc, [&] {
        if (ran == frames) return true;
        ++ran;
        if (eachFrame) eachFrame();
        return false;
    });
    const bool result = hge_->System_Start();
    hge_->System_SetFuncState(kStateFrameFunc, nullptr);
    return result;
}

void setEngineLogObserver(HGE* hge, Log* observer) {
    if (auto* engine = dynamic_cast<HGE_Impl*>(hge)) engine->setLogObserver(observer);
}

void setEngineProgramFolder(HGE* hge, const std::filesystem::path& folder) {
    if (auto* engine = dynamic_cast<HGE_Impl*>(hge)) engine->setProgramFolder(folder);
}

}  // namespace kestrel
