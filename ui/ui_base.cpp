#include "ui/ui_base.h"

namespace kestrel {

bool UIBase::input(int, int, int) { return false; }

void UIBase::setPosition(int x, int y) {
    x_ = x;
    y_ = y;
}

void UIBase::setSize(int width, int height) {
    width_ = width;
    height_ = height;
}

void UIBase::setState(bool enabled, bool visible) {
    enabled_ = enabled;
    visible_ = visible;
}

}  // namespace kestrel
