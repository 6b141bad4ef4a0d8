#include "ui/ui_radio_group.h"

#include "ui/pointer.h"

namespace kestrel {

UIRadioGroup::~UIRadioGroup() {
    for (auto& check : checks_) check.reset();
}

UICheck& UIRadioGroup::add(std::unique_ptr<UICheck> check) {
    UICheck& added = *check;
    added.grouped_ = true;
    checks_.insert(checks_.begin(), std::move(check));
    return added;
}

bool UIRadioGroup::input(int code, int x, int y) {
    bool consumed = false;
    for (std::size_t i = 0; i < checks_.size(); ++i) {
        if (!checks_[i]->input(code, x, y)) continue;
        if (code == kEventRelease) {
            select(static_cast<int>(i));
            return true;
        }
        consumed = true;
    }
    return consumed;
}

void UIRadioGroup::draw() {
    for (auto& check : checks_) check->draw();
}

void UIRadioGroup::setPosition(int x, int y) {
    int dx = x - x_;
    int dy = y - y_;
    UIBase::setPosition(x, y);
    for (auto& check : checks_) check->setPosition(check->x() + dx, check->y() + dy);
}

void UIRadioGroup::setState(bool enabled, bool visible) {
    UIBase::setState(enabled, visible);
    for (auto& check : checks_) check->setState(enabled, visible);
}

void UIRadioGroup::show(int index) {
    selected_ = index;
    for (std::size_t k = 0; k < checks_.size(); ++k) {
        checks_[k]->setChecked(static_cast<int>(k) == index);
    }
}

void UIRadioGroup::select(int index) {
    show(index);
    for (auto& check : checks_) check->notifyOwner();
}

int UIRadioGroup::indexOf(const UICheck& check) const {
    for (std::size_t k = 0; k < checks_.size(); ++k) {
        if (checks_[k].get() == &check) return static_cast<int>(k);
    }
    return -1;
}

}  // namespace kestrel
