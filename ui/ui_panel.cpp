#include "ui/ui_panel.h"

#include "ui/ui_button.h"
#include "ui/ui_radio_group.h"

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

namespace {
bool holds(const UIBase& widget, int x, int y) {
    if (!widget.acceptsInput()) return false;
    // Buttons and checks answer with their image's own hit box, which keeps its bottom row.
    if (widget.type() == kUITypeButton || widget.type() == kUITypeCheck)
        return static_cast<const UIPressable&>(widget).contains(x, y);
    return x >= widget.x() && x < widget.x() + widget.width() && y >= widget.y() && y < widget.y() + widget.height();
}
}  // namespace

const UIBase* UIPanel::widgetAt(int x, int y) const {
    for (const auto& child : children_) {
        if (child->type() == kUITypePanel) {
            if (const UIBase* found = static_cast<const UIPanel&>(*child).widgetAt(x, y)) return found;
        } else if (child->type() == kUITypeRadioGroup) {
            const auto& group = static_cast<const UIRadioGroup&>(*child);
            for (std::size_t i = 0; i < group.size(); ++i)
                if (holds(group.check(i), x, y)) return &group.check(i);
        } else if (holds(*child, x, y)) {
            return child.get();
        }
    }
    return nullptr;
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
