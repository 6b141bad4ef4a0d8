#pragma once
// What the widgets need from whoever owns the skin: the size of a sprite by its index, a way to
// draw it stretched to a rectangle, and untextured coloured shapes for the dial's band and
// spokes. The screens implement it over the engine; tests record the calls. Widgets never see
// the atlas layout.
#include <array>
#include <cstdint>

namespace kestrel {

struct SpriteSize {
    int width = 0;
    int height = 0;
};

struct ColouredPoint {
    float x = 0;
    float y = 0;
    std::uint32_t colour = 0;  // ARGB, alpha in the top byte
};

class SpriteSheet {
public:
    virtual ~SpriteSheet() = default;

    // 0 by 0 for -1 or any index the skin does not have.
    virtual SpriteSize spriteSize(int index) const = 0;

    // White with the given alpha (0..255), stretched over (x, y, width, height).
    virtual void drawSprite(int index, int alpha, int x, int y, int width, int height) = 0;

    // Untextured and alpha-blended at depth 0; corners in drawing order.
    virtual void drawFlatQuad(const std::array<ColouredPoint, 4>& corners) = 0;
    virtual void drawFlatTriangle(const std::array<ColouredPoint, 3>& corners) = 0;
};

}  // namespace kestrel
