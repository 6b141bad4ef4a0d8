#include "ui/image_element.h"

namespace kestrel {

ImageElement::ImageElement(const SpriteSheet& sheet, int sprite, int anchorX, int anchorY, int align)
    : anchorX_(anchorX), anchorY_(anchorY), sprite_(sprite), align_(align) {
    if (sprite >= 0) {
        SpriteSize size = sheet.spriteSize(sprite);
        width_ = size.width;
        height_ = size.height;
    }
    layout();
}

void ImageElement::setAnchor(int x, int y) {
    anchorX_ = x;
    anchorY_ = y;
    layout();
}

void ImageElement::setSize(int width, int height) {
    width_ = width;
    height_ = height;
    layout();
}

bool ImageElement::hitTest(int x, int y) const {
    return drawnX_ <= x && x < drawnX_ + width_ && drawnY_ <= y && y <= drawnY_ + height_;
}

void ImageElement::draw(SpriteSheet& sheet) const {
    // -1 is "no sprite"; handing it on would index past the skin table.
    if (hidden_ || sprite_ < 0) return;
    sheet.drawSprite(sprite_, static_cast<int>(alpha_ * 255.0f), drawnX_, drawnY_, width_, height_);
}

void ImageElement::layout() {
    drawnX_ = anchorX_;
    if (align_ & kImageAlignCentreX) {
        drawnX_ = anchorX_ - width_ / 2;
    } else if (align_ & kImageAlignRight) {
        drawnX_ = anchorX_ - width_;
    }
    drawnY_ = anchorY_;
    if (align_ & kImageAlignCentreY) {
        drawnY_ = anchorY_ - height_ / 2;
    } else if (align_ & kImageAlignBottom) {
        drawnY_ = anchorY_ - height_;
    }
}

}  // namespace kestrel
