#include "ui/ui_panel.h"

namespace kestrel {

UIPanel::~UIPanel() {
    // Children go in list order, and none may find a stale capture while it is destroyed.
    captured_ = nullptr;
    for (auto& child : children_) child.reset();
}

bool UIPanel::input(int code, int x, int y) {
    // Returning straight after a child consumed the event matters: its callback may have
    // destroyed this panel.
    if (captured_ != nullptr && captured_->input(code, x, y)) return true;
    for (std::size_t i = 0; i < children_.size(); ++i) {
        if (children_[i]->input(code, x, y)) return true;
    }
    return false;
}

void UIPanel::setPosition(int x, int y) {
    int dx = x - x_;
    int dy = y - y_;
    UIBase::setPosition(x, y);
    for (auto& child : children_) child->setPosition(child->x() + dx, child->y() + dy);
}

void UIPanel::setState(bool enabled, bool visible) {
    UIBase::setState(enabled, visible);
    for (auto& child : children_) child->setState(enabled, visible);
}

void UIPanel::drawAll() {
    for (auto& child : children_) {
        if (child->type() == kUITypePanel) {
            static_cast<UIPanel&>(*child).drawAll();
        } else {
            child->draw();
        }
    }
}

}  // namespace kestrel
