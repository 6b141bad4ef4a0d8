#include "engine/sprite.h"

#include <cmath>
#include <utility>

namespace kestrel {

Sprite::Sprite(TextureHandle texture, float x, float y, float width, float height)
    : hge_(CreateEngine()), texX_(x), texY_(y), width_(width), height_(height) {
    quad_.tex = texture;
    quad_.blend = kBlendDefault;
    for (Vertex& vertex : quad_.v) {
        vertex.colour = 0xFFFFFFFF;
        vertex.z = 0.5f;
    }
    if (texture != 0) {
        texWidth_ = static_cast<float>(hge_->Texture_Width(texture, false));
        texHeight_ = static_cast<float>(hge_->Texture_Height(texture, false));
    }
    // An unknown texture reports 0 by 0; dividing by it would make every coordinate inf.
    if (texWidth_ <= 0) texWidth_ = 1;
    if (texHeight_ <= 0) texHeight_ = 1;
    updateTextureCoordinates();
}

Sprite::Sprite(const Sprite& other) : Sprite(other.quad_.tex, 0, 0, 0, 0) { *this = other; }

Sprite& Sprite::operator=(const Sprite& other) {
    if (this == &other) return *this;
    // The engine reference stays this sprite's own.
    HGE* engine = hge_;
    quad_ = other.quad_;
    texX_ = other.texX_;
    texY_ = other.texY_;
    width_ = other.width_;
    height_ = other.height_;
    texWidth_ = other.texWidth_;
    texHeight_ = other.texHeight_;
    hotX_ = other.hotX_;
    hotY_ = other.hotY_;
    flipX_ = other.flipX_;
    flipY_ = other.flipY_;
    flipHotSpot_ = other.flipHotSpot_;
    hge_ = engine;
    return *this;
}

Sprite::~Sprite() { hge_->System_Release(); }

void Sprite::updateTextureCoordinates() {
    float left = texX_ / texWidth_;
    float top = texY_ / texHeight_;
    float right = (texX_ + width_) / texWidth_;
    float bottom = (texY_ + height_) / texHeight_;
    if (flipX_) std::swap(left, right);
    if (flipY_) std::swap(top, bottom);
    quad_.v[0].u = left;
    quad_.v[0].v = top;
    quad_.v[1].u = right;
    quad_.v[1].v = top;
    quad_.v[2].u = right;
    quad_.v[2].v = bottom;
    quad_.v[3].u = left;
    quad_.v[3].v = bottom;
}

void Sprite::Render(float x, float y) {
    const float x1 = x - hotX_;
    const float y1 = y - hotY_;
    const float x2 = x + width_ - hotX_;
    const float y2 = y + height_ - hotY_;
    quad_.v[0].x = x1; quad_.v[0].y = y1;
    quad_.v[1].x = x2; quad_.v[1].y = y1;
    quad_.v[2].x = x2; quad_.v[2].y = y2;
    quad_.v[3].x = x1; quad_.v[3].y = y2;
    hge_->Gfx_DrawQuad(quad_);
}

void Sprite::RenderEx(float x, float y, float rotation, float hScale, float vScale) {
    if (vScale == 0) vScale = hScale;
    const float tx1 = -hotX_ * hScale;
    const float ty1 = -hotY_ * vScale;
    const float tx2 = (width_ - hotX_) * hScale;
    const float ty2 = (height_ - hotY_) * vScale;
    const float corners[4][2] = {{tx1, ty1}, {tx2, ty1}, {tx2, ty2}, {tx1, ty2}};
    if (rotation != 0.0f) {
        const float cosine = std::cos(rotation);
        const float sine = std::sin(rotation);
        for (int i = 0; i < 4; ++i) {
            quad_.v[i].x = x + corners[i][0] * cosine - corners[i][1] * sine;
            quad_.v[i].y = y + corners[i][0] * sine + corners[i][1] * cosine;
        }
    } else {
        for (int i = 0; i < 4; ++i) {
            quad_.v[i].x = x + corners[i][0];
            quad_.v[i].y = y + corners[i][1];
        }
    }
    hge_->Gfx_DrawQuad(quad_);
}

void Sprite::RenderStretch(float x1, float y1, float x2, float y2) {
    quad_.v[0].x = x1; quad_.v[0].y = y1;
    quad_.v[1].x = x2; quad_.v[1].y = y1;
    quad_.v[2].x = x2; quad_.v[2].y = y2;
    quad_.v[3].x = x1; quad_.v[3].y = y2;
    hge_->Gfx_DrawQuad(quad_);
}

void Sprite::setColour(std::uint32_t colour, int vertex) {
    if (vertex >= 0 && vertex < 4) {
        quad_.v[vertex].colour = colour;
        return;
    }
    for (Vertex& v : quad_.v) v.colour = colour;
}

void Sprite::setZ(float z, int vertex) {
    if (vertex >= 0 && vertex < 4) {
        quad_.v[vertex].z = z;
        return;
    }
    for (Vertex& v : quad_.v) v.z = z;
}

void Sprite::setTexture(TextureHandle texture) {
    quad_.tex = texture;
    texWidth_ = texture != 0 ? static_cast<float>(hge_->Texture_Width(texture, false)) : 1;
    texHeight_ = texture != 0 ? static_cast<float>(hge_->Texture_Height(texture, false)) : 1;
    if (texWidth_ <= 0) texWidth_ = 1;
    if (texHeight_ <= 0) texHeight_ = 1;
    updateTextureCoordinates();
}

void Sprite::setTextureRect(float x, float y, float width, float height) {
    texX_ = x;
    texY_ = y;
    width_ = width;
    height_ = height;
    updateTextureCoordinates();
}

void Sprite::setFlip(bool horizontal, bool vertical, bool flipHotSpot) {
    // Undo the old mirroring of the hot spot before applying the new one.
    if (flipHotSpot_) {
        if (flipX_) hotX_ = width_ - hotX_;
        if (flipY_) hotY_ = height_ - hotY_;
    }
    flipX_ = horizontal;
    flipY_ = vertical;
    flipHotSpot_ = flipHotSpot;
    if (flipHotSpot_) {
        if (flipX_) hotX_ = width_ - hotX_;
        if (flipY_) hotY_ = height_ - hotY_;
    }
    updateTextureCoordinates();
}

}  // namespace kestrel
