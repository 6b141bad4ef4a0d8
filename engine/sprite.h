#pragma once
// A rectangle cut out of a texture, drawn as one Quad: at a point (Render), scaled and
// rotated about its hot spot (RenderEx) or stretched onto any rectangle (RenderStretch).
// The sprite holds one engine reference; the texture stays the caller's.
#include <cstdint>

#include "engine/hge.h"

namespace kestrel {

class Sprite {
public:
    // A null texture gives a 1 by 1 texture size, so u, v equal the pixel rectangle.
    Sprite(TextureHandle texture, float x, float y, float width, float height);
    Sprite(const Sprite& other);
    Sprite& operator=(const Sprite& other);
    ~Sprite();

    void Render(float x, float y);
    // A vertical scale of 0 means the horizontal one.
    void RenderEx(float x, float y, float rotation, float hScale = 1.0f, float vScale = 0.0f);
    // Corners (x1, y1) top-left to (x2, y2) bottom-right; the hot spot is not used.
    void RenderStretch(float x1, float y1, float x2, float y2);

    // vertex -1 sets all four corners (top-left, top-right, bottom-right, bottom-left).
    void setColour(std::uint32_t colour, int vertex = -1);
    void setZ(float z, int vertex = -1);
    void setBlendMode(int blend) { quad_.blend = blend; }
    void setHotSpot(float x, float y) { hotX_ = x; hotY_ = y; }
    void setTexture(TextureHandle texture);
    void setTextureRect(float x, float y, float width, float height);
    // Mirrors the texture rectangle; with flipHotSpot the hot spot mirrors with it.
    void setFlip(bool horizontal, bool vertical, bool flipHotSpot = false);

    TextureHandle texture() const { return quad_.tex; }
    std::uint32_t colour(int vertex = 0) const { return quad_.v[vertex].colour; }
    float z(int vertex = 0) const { return quad_.v[vertex].z; }
    int blendMode() const { return quad_.blend; }
    float width() const { return width_; }
    float height() const { return height_; }
    float textureX() const { return texX_; }
    float textureY() const { return texY_; }
    float hotSpotX() const { return hotX_; }
    float hotSpotY() const { return hotY_; }
    bool flippedHorizontally() const { return flipX_; }
    bool flippedVertically() const { return flipY_; }
    // The quad as it was last drawn (or is about to be).
    const Quad& quad() const { return quad_; }

private:
    void updateTextureCoordinates();

    HGE* hge_;
    Quad quad_;
    float texX_ = 0;
    float texY_ = 0;
    float width_ = 0;
    float height_ = 0;
    float texWidth_ = 1;
    float texHeight_ = 1;
    float hotX_ = 0;
    float hotY_ = 0;
    bool flipX_ = false;
    bool flipY_ = false;
    bool flipHotSpot_ = false;
};

}  // namespace kestrel
