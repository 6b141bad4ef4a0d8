#pragma once
// ImageElement: one skin sprite placed by an anchor and alignment flags, the building block of
// every widget's look. Its size comes from the sprite (0 by 0 for -1, so it can never be hit).
// The hit box is right-edge exclusive and bottom-edge inclusive.
#include "ui/sprite_sheet.h"

namespace kestrel {

enum ImageAlign : int {
    kImageAlignCentreX = 1,  // wins over kImageAlignRight
    kImageAlignCentreY = 2,  // wins over kImageAlignBottom
    kImageAlignRight = 4,
    kImageAlignBottom = 8,
};

class ImageElement {
public:
    ImageElement() = default;
    ImageElement(const SpriteSheet& sheet, int sprite, int anchorX, int anchorY, int align = 0);

    void setAnchor(int x, int y);
    void setSize(int width, int height);
    bool hitTest(int x, int y) const;
    void draw(SpriteSheet& sheet) const;

    void setHidden(bool hidden) { hidden_ = hidden; }
    bool hidden() const { return hidden_; }
    void setAlpha(float alpha) { alpha_ = alpha; }
    float alpha() const { return alpha_; }

    int sprite() const { return sprite_; }
    int anchorX() const { return anchorX_; }
    int anchorY() const { return anchorY_; }
    int drawnX() const { return drawnX_; }
    int drawnY() const { return drawnY_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    void layout();

    int anchorX_ = 0;
    int anchorY_ = 0;
    float alpha_ = 1.0f;
    int sprite_ = -1;
    int align_ = 0;
    bool hidden_ = false;
    int drawnX_ = 0;
    int drawnY_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace kestrel
