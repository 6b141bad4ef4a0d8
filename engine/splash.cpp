// The engine's splash: its own embedded image fading in and out once after initiation.
#include "assets/embedded.h"
#include "engine/engine_impl.h"

namespace kestrel {

namespace {
constexpr float kFadeInEnd = 0.25f;
constexpr float kHoldEnd = 1.0f;
constexpr float kFadeOutEnd = 1.25f;
constexpr int kSplashSize = 256;
constexpr std::uint32_t kSplashDelayMs = 200;
}  // namespace

int splashAlpha(float seconds) {
    if (seconds < kFadeInEnd) return static_cast<int>(seconds * 4 * 255);
    if (seconds < kHoldEnd) return 255;
    if (seconds < kFadeOutEnd) return static_cast<int>((1 - (seconds - kHoldEnd) * 4) * 255);
    return -1;
}

bool HGE_Impl::runSplash() {
    platform_->sleep(kSplashDelayMs);
    // The wait must not count as the first splash frame, or the fade-in would start at 80%.
    lastFrameTime_ = lastFpsTime_ = lastFrameStart_ = platform_->ticks();
    EngineCallback savedFrame = std::move(frameFunc_);
    EngineCallback savedRender = std::move(renderFunc_);
    WindowHandle savedParent = parentWindow_;
    parentWindow_ = nullptr;
    renderFunc_ = nullptr;

    // Until the picture exists the splash is a plain black fade of the same length.
    const auto bytes = assets::find("splash.png");
    const TextureHandle texture =
        bytes.empty() ? 0 : Texture_LoadImage(bytes.data(), bytes.size(), false);
    const float startTime = totalTime_;
    frameFunc_ = [this, texture, startTime] {
        const int alpha = splashAlpha(totalTime_ - startTime);
        if (alpha < 0) return true;
        const float left = static_cast<float>(screenWidth_ / 2 - kSplashSize / 2);
        const float top = static_cast<float>(screenHeight_ / 2 - kSplashSize / 2);
        const float right = left + kSplashSize;
        const float bottom = top + kSplashSize;
        Quad quad;
        quad.tex = texture;
        quad.blend = kBlendDefault;
        const std::uint32_t colour = (static_cast<std::uint32_t>(alpha) << 24) | 0x00FFFFFF;
        quad.v[0] = Vertex{left, top, 0.5f, colour, 0, 0};
        quad.v[1] = Vertex{right, top, 0.5f, colour, 1, 0};
        quad.v[2] = Vertex{right, bottom, 0.5f, colour, 1, 1};
        quad.v[3] = Vertex{left, bottom, 0.5f, colour, 0, 1};
        if (Gfx_BeginScene(0)) {
            Gfx_ClearScreen(0xFF000000);
            if (texture != 0) Gfx_DrawQuad(quad);
            Gfx_FinishScene();
        }
        return false;
    };
    System_Start();

    Texture_Release(texture);
    frameFunc_ = std::move(savedFrame);
    renderFunc_ = std::move(savedRender);
    parentWindow_ = savedParent;
    return !closed_;
}

}  // namespace kestrel
