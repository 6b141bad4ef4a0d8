// Scenes, the batching of quads, triangles and lines into one vertex buffer, blend modes,
// and textures decoded from PNG bytes.
#include <algorithm>
#include <cmath>

#include "assets/embedded.h"
#include "engine/engine_impl.h"
#include "engine/png_image.h"

namespace kestrel {

namespace {

constexpr int kMaxQuads = 1000;
constexpr int kMaxTriangles = 1333;
constexpr int kMaxLines = 2000;

const char* pixelFormatName(std::uint32_t format) {
    switch (format) {
    case SDL_PIXELFORMAT_RGB565: return "R5G6B5";
    case SDL_PIXELFORMAT_RGB555: return "X1R5G5B5";
    case SDL_PIXELFORMAT_ARGB1555: return "A1R5G5B5";
    case SDL_PIXELFORMAT_RGB888: return "X8R8G8B8";
    case SDL_PIXELFORMAT_ARGB8888: return "A8R8G8B8";
    default: return "UNKNOWN";
    }
}

SDL_BlendMode sdlBlend(int blend) {
    return (blend & kBlendAlphaBlend) != 0 ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_ADD;
}

}  // namespace

bool HGE_Impl::initGraphics() {
    renderer_ = platform_->renderer();
    if (renderer_ == nullptr) {
        postError("Can't create D3D device");
        return false;
    }
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(renderer_, &info);
    SDL_version version{};
    SDL_GetVersion(&version);
    const char* videoDriver = SDL_GetCurrentVideoDriver();
    log_.write("Driver: %s", platform_->rendererName().c_str());
    log_.write("Description: %s", videoDriver != nullptr ? videoDriver : "none");
    log_.write("Version: %d.%d.%d.%d", version.major, version.minor, version.patch, 0);
    log_.write("Mode: %d x %d x %s\n", screenWidth_, screenHeight_,
               pixelFormatName(info.num_texture_formats > 0 ? info.texture_formats[0] : 0));

    vertices_.assign(kVertexBufferSize, Vertex{});
    colours_.assign(kVertexBufferSize, SDL_Color{});
    static_assert(kIndexBufferSize >= 6 * std::max(kMaxQuads, kMaxLines));
    static_assert(4 * kMaxLines <= 65536, "line quads must be reachable with 16-bit indices");
    indices_.resize(kIndexBufferSize);
    for (int k = 0; k < kIndexBufferSize / 6; ++k) {
        const auto base = static_cast<std::uint16_t>(4 * k);
        std::uint16_t* quad = &indices_[static_cast<std::size_t>(6 * k)];
        quad[0] = base;
        quad[1] = static_cast<std::uint16_t>(base + 1);
        quad[2] = static_cast<std::uint16_t>(base + 2);
        quad[3] = static_cast<std::uint16_t>(base + 2);
        quad[4] = static_cast<std::uint16_t>(base + 3);
        quad[5] = base;
    }
    primitives_ = 0;
    primitive_ = Primitive::kQuad;
    currentTexture_ = 0;
    currentBlend_ = kBlendDefault;
    sceneOpen_ = false;
    SDL_SetRenderDrawBlendMode(renderer_, sdlBlend(currentBlend_));
    return true;
}

void HGE_Impl::releaseGraphics() {
    for (const TextureRecord& record : textures_) SDL_DestroyTexture(record.texture);
    textures_.clear();
    sceneOpen_ = false;
    primitives_ = 0;
    renderer_ = nullptr;
}

void HGE_Impl::applyTextureFilter() {
    const SDL_ScaleMode mode = textureFilter_ ? SDL_ScaleModeLinear : SDL_ScaleModeNearest;
    for (const TextureRecord& record : textures_) SDL_SetTextureScaleMode(record.texture, mode);
}

SDL_Texture* HGE_Impl::findTexture(TextureHandle texture) const {
    for (const TextureRecord& record : textures_)
        if (reinterpret_cast<TextureHandle>(record.texture) == texture) return record.texture;
    return nullptr;
}

void HGE_Impl::applyBlend(int blend) {
    // Untextured geometry takes the renderer's blend mode, textured geometry the texture's.
    SDL_SetRenderDrawBlendMode(renderer_, sdlBlend(blend));
}

// ---- Scenes ------------------------------------------------------------------------------

bool HGE_Impl::Gfx_BeginScene(TextureHandle target) {
    if (renderer_ == nullptr) return false;
    if (sceneOpen_) {
        postError("Gfx_BeginScene: Scene is already being rendered");
        return false;
    }
    if (target != 0) {
        postError("Gfx_BeginScene: Can't set render target");
        return false;
    }
    sceneOpen_ = true;
    primitives_ = 0;
    return true;
}

void HGE_Impl::Gfx_FinishScene() {
    if (!sceneOpen_) return;
    flush();
    sceneOpen_ = false;
    platform_->present();
}

void HGE_Impl::Gfx_ClearScreen(std::uint32_t colour) {
    if (!sceneOpen_) return;
    flush();
    SDL_SetRenderDrawColor(renderer_, (colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF,
                           (colour >> 24) & 0xFF);
    SDL_RenderClear(renderer_);
}

// ---- Batching ----------------------------------------------------------------------------

void HGE_Impl::Gfx_DrawQuad(const Quad& quad) {
    if (!sceneOpen_) return;
    if (primitive_ != Primitive::kQuad || primitives_ >= kMaxQuads ||
        currentTexture_ != quad.tex || currentBlend_ != quad.blend) {
        flush();
        primitive_ = Primitive::kQuad;
        if (currentBlend_ != quad.blend) applyBlend(quad.blend);
        currentBlend_ = quad.blend;
        currentTexture_ = quad.tex;
    }
    Vertex* out = &vertices_[static_cast<std::size_t>(primitives_) * 4];
    for (int i = 0; i < 4; ++i) out[i] = quad.v[i];
    ++primitives_;
}

void HGE_Impl::Gfx_DrawTriangle(const Triangle& triangle) {
    if (!sceneOpen_) return;
    if (primitive_ != Primitive::kTriangle || primitives_ >= kMaxTriangles ||
        currentTexture_ != triangle.tex || currentBlend_ != triangle.blend) {
        flush();
        primitive_ = Primitive::kTriangle;
        if (currentBlend_ != triangle.blend) applyBlend(triangle.blend);
        currentBlend_ = triangle.blend;
        currentTexture_ = triangle.tex;
    }
    Vertex* out = &vertices_[static_cast<std::size_t>(primitives_) * 3];
    for (int i = 0; i < 3; ++i) out[i] = triangle.v[i];
    ++primitives_;
}

void HGE_Impl::Gfx_DrawLine(float x1, float y1, float x2, float y2, std::uint32_t colour,
                            float z) {
    if (!sceneOpen_) return;
    if (primitive_ != Primitive::kLine || primitives_ >= kMaxLines || currentTexture_ != 0 ||
        currentBlend_ != kBlendDefault) {
        flush();
        primitive_ = Primitive::kLine;
        if (currentBlend_ != kBlendDefault) applyBlend(kBlendDefault);
        currentBlend_ = kBlendDefault;
        currentTexture_ = 0;
    }
    Vertex* out = &vertices_[static_cast<std::size_t>(primitives_) * 2];
    out[0] = Vertex{x1, y1, z, colour, 0, 0};
    out[1] = Vertex{x2, y2, z, colour, 0, 0};
    ++primitives_;
}

void HGE_Impl::flush() {
    if (primitives_ == 0 || renderer_ == nullptr) return;
    SDL_Texture* texture = currentTexture_ != 0 ? findTexture(currentTexture_) : nullptr;
    if (texture != nullptr) SDL_SetTextureBlendMode(texture, sdlBlend(currentBlend_));
    // A texture released while its quads were queued draws them untextured, not from freed
    // memory.

    const Vertex* vertices = vertices_.data();
    int vertexCount = 0;
    const std::uint16_t* indices = nullptr;
    int indexCount = 0;
    switch (primitive_) {
    case Primitive::kQuad:
        vertexCount = primitives_ * 4;
        indices = indices_.data();
        indexCount = primitives_ * 6;
        break;
    case Primitive::kTriangle:
        vertexCount = primitives_ * 3;
        break;
    case Primitive::kLine: {
        // Each line becomes a one-pixel-wide quad, so a run of lines is still one call.
        lineQuads_.resize(static_cast<std::size_t>(primitives_) * 4);
        for (int i = 0; i < primitives_; ++i) {
            const Vertex& a = vertices_[static_cast<std::size_t>(2 * i)];
            const Vertex& b = vertices_[static_cast<std::size_t>(2 * i + 1)];
            float dx = b.x - a.x;
            float dy = b.y - a.y;
            const float length = std::sqrt(dx * dx + dy * dy);
            if (length > 0) {
                dx /= length;
                dy /= length;
            } else {
                dx = 1;
                dy = 0;
            }
            // Half a pixel to each side, shifted to the pixel centres the line passes.
            const float nx = -dy * 0.5f;
            const float ny = dx * 0.5f;
            const float cx = 0.5f;
            const float cy = 0.5f;
            Vertex* q = &lineQuads_[static_cast<std::size_t>(4 * i)];
            q[0] = a;
            q[1] = b;
            q[2] = b;
            q[3] = a;
            q[0].x = a.x + cx + nx; q[0].y = a.y + cy + ny;
            q[1].x = b.x + cx + nx; q[1].y = b.y + cy + ny;
            q[2].x = b.x + cx - nx; q[2].y = b.y + cy - ny;
            q[3].x = a.x + cx - nx; q[3].y = a.y + cy - ny;
        }
        vertices = lineQuads_.data();
        vertexCount = primitives_ * 4;
        indices = indices_.data();
        indexCount = primitives_ * 6;
        if (colours_.size() < static_cast<std::size_t>(vertexCount))
            colours_.resize(static_cast<std::size_t>(vertexCount));
        break;
    }
    }

    for (int i = 0; i < vertexCount; ++i) {
        const std::uint32_t c = vertices[i].colour;
        colours_[static_cast<std::size_t>(i)] =
            SDL_Color{static_cast<Uint8>(c >> 16), static_cast<Uint8>(c >> 8),
                      static_cast<Uint8>(c), static_cast<Uint8>(c >> 24)};
    }
    SDL_RenderGeometryRaw(renderer_, texture, &vertices[0].x, sizeof(Vertex), colours_.data(),
                          sizeof(SDL_Color), &vertices[0].u, sizeof(Vertex), vertexCount, indices,
                          indexCount, indices != nullptr ? 2 : 0);
    ++flushes_;
    primitives_ = 0;
}

// ---- Textures ----------------------------------------------------------------------------

TextureHandle HGE_Impl::Texture_LoadImage(const void* data, std::size_t size, bool /*mipmap*/) {
    if (renderer_ == nullptr) {
        postError("Can't create texture");
        return 0;
    }
    const void* bytes = data;
    std::size_t length = size;
    if (size == 0) {
        // A name: the program reads nothing from disk, so names are embedded resources.
        const auto resource = data != nullptr ? assets::find(static_cast<const char*>(data))
                                              : std::span<const std::uint8_t>{};
        if (resource.empty()) {
            log_.write("Can't load resource: %s",
                       data != nullptr ? static_cast<const char*>(data) : "");
            errorText_ = "Can't load resource";
            return 0;
        }
        bytes = resource.data();
        length = resource.size();
    }
    PngResult decoded = decodePng(bytes, length);
    if (!decoded.ok) {
        log_.write("Texture_LoadImage: %s", decoded.error.c_str());
        postError("Can't create texture");
        return 0;
    }
    const DecodedImage& image = decoded.image;
    SDL_Texture* texture = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGBA32,
                                             SDL_TEXTUREACCESS_STATIC, image.width, image.height);
    if (texture == nullptr ||
        SDL_UpdateTexture(texture, nullptr, image.rgba.data(), image.width * 4) != 0) {
        if (texture != nullptr) SDL_DestroyTexture(texture);
        log_.write("Texture_LoadImage: %s", SDL_GetError());
        postError("Can't create texture");
        return 0;
    }
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture, textureFilter_ ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    textures_.push_back({texture, image.width, image.height});
    return reinterpret_cast<TextureHandle>(texture);
}

void HGE_Impl::Texture_Release(TextureHandle texture) {
    if (texture == 0) return;
    for (auto it = textures_.begin(); it != textures_.end(); ++it) {
        if (reinterpret_cast<TextureHandle>(it->texture) != texture) continue;
        // Queued quads of this texture are drawn while it still exists.
        if (currentTexture_ == texture) {
            flush();
            currentTexture_ = 0;
        }
        SDL_DestroyTexture(it->texture);
        textures_.erase(it);
        return;
    }
}

int HGE_Impl::Texture_Width(TextureHandle texture, bool imageSize) {
    for (const TextureRecord& record : textures_) {
        if (reinterpret_cast<TextureHandle>(record.texture) != texture) continue;
        if (imageSize) return record.width;
        int width = 0;
        SDL_QueryTexture(record.texture, nullptr, nullptr, &width, nullptr);
        return width;
    }
    return 0;
}

int HGE_Impl::Texture_Height(TextureHandle texture, bool imageSize) {
    for (const TextureRecord& record : textures_) {
        if (reinterpret_cast<TextureHandle>(record.texture) != texture) continue;
        if (imageSize) return record.height;
        int height = 0;
        SDL_QueryTexture(record.texture, nullptr, nullptr, nullptr, &height);
        return height;
    }
    return 0;
}

}  // namespace kestrel
