#pragma once
// A skin with sprites of chosen sizes that records what the widgets draw.
#include <map>
#include <vector>

#include "ui/sprite_sheet.h"

namespace kestrel::testing {

struct DrawnSprite {
    int index, alpha, x, y, width, height;
    bool operator==(const DrawnSprite&) const = default;
};

class FakeSheet : public SpriteSheet {
public:
    FakeSheet();
    void setSize(int index, int width, int height) { sizes_[index] = {width, height}; }

    SpriteSize spriteSize(int index) const override;
    void drawSprite(int index, int alpha, int x, int y, int width, int height) override {
        sprites.push_back({index, alpha, x, y, width, height});
    }
    void drawFlatQuad(const std::array<ColouredPoint, 4>& corners) override { quads.push_back(corners); }
    void drawFlatTriangle(const std::array<ColouredPoint, 3>& corners) override {
        triangles.push_back(corners);
    }

    void clear() {
        sprites.clear();
        quads.clear();
        triangles.clear();
    }
    // Indices of the sprites drawn since the last clear(), in drawing order.
    std::vector<int> drawnIndices() const;

    std::vector<DrawnSprite> sprites;
    std::vector<std::array<ColouredPoint, 4>> quads;
    std::vector<std::array<ColouredPoint, 3>> triangles;

private:
    std::map<int, SpriteSize> sizes_;
};

}  // namespace kestrel::testing
