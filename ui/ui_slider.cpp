#include "ui/ui_slider.h"

#include <algorithm>

#include "ui/ui_panel.h"

namespace kestrel {

UISlider::UISlider(SpriteSheet& sheet, UIPanel& capturePanel)
    : UIBase(kUITypeSlider),
      sheet_(sheet),
      track_(sheet, kSliderTrackSprite, kSliderX, kSliderY),
      thumb_(sheet, kSliderThumbSprite, kSliderX, kSliderY, kImageAlignCentreX),
      capture_(capturePanel) {
    id_ = kSliderId;
    x_ = kSliderX;
    y_ = kSliderY;
    width_ = track_.width();
    height_ = track_.height();
    trackLength_ = track_.width();
    // Without a track sprite there is no travel: the value stays 0 rather than dividing by zero.
    scale_ = trackLength_ > 0 ? static_cast<float>(kSliderMaximum) / trackLength_ : 0.0f;
    layout();
}

bool UISlider::input(int code, int x, int y) {
    if (!acceptsInput()) return false;
    if (!capture_.active()) {
        if (code != kEventHeld || !thumb_.hitTest(x, y)) return false;
        capture_.begin(*this);
    }
    setThumbOffset(std::clamp(x - thumbOffsetX_ - x_, 0, trackLength_));
    if (isRelease(code)) capture_.end();
    return true;
}

void UISlider::draw() {
    track_.draw(sheet_);
    thumb_.draw(sheet_);
}

void UISlider::setState(bool enabled, bool visible) {
    UIBase::setState(enabled, visible);
    // A drag cut off by disabling (the wheel was unplugged) ends where it was; otherwise the
    // thumb would follow the pointer with the button up once the panel is enabled again.
    if (!acceptsInput() && capture_.active()) capture_.end();
    track_.setHidden(!visible);
    thumb_.setHidden(!visible);
    if (visible) {
        track_.setAlpha(enabled ? 1.0f : 0.5f);
        thumb_.setAlpha(enabled ? 1.0f : 0.5f);
    }
}

void UISlider::setThumbOffset(int offset) {
    thumbOffset_ = std::clamp(offset, 0, trackLength_);
    value_ = std::min(static_cast<int>(scale_ * thumbOffset_), maximum_);
    layout();
}

void UISlider::setValue(int value) {
    value_ = std::clamp(value, 0, maximum_);
    int offset = scale_ > 0.0f ? static_cast<int>(value_ / scale_) : 0;
    thumbOffset_ = std::clamp(offset, 0, trackLength_);
    layout();
}

void UISlider::layout() {
    thumb_.setAnchor(x_ + thumbOffset_ + thumbOffsetX_, y_ + thumbOffsetY_);
}

}  // namespace kestrel
