#include "ui/ui_button.h"

#include "ui/pointer.h"

namespace kestrel {

UIPressable::UIPressable(int typeTag, SpriteSheet& sheet, int x, int y, int id, int normalSprite,
                         int activeSprite, int hoverSprite)
    : UIBase(typeTag),
      sheet_(sheet),
      images_{ImageElement(sheet, normalSprite, x, y), ImageElement(sheet, activeSprite, x, y),
              ImageElement(sheet, hoverSprite, x, y)} {
    x_ = x;
    y_ = y;
    id_ = id;
    width_ = images_[kNormal].width();
    height_ = images_[kNormal].height();
    images_[kActive].setHidden(true);
    images_[kHover].setHidden(true);
}

void UIPressable::draw() {
    for (const ImageElement& image : images_) image.draw(sheet_);
}

void UIPressable::setPosition(int x, int y) {
    UIBase::setPosition(x, y);
    for (ImageElement& image : images_) image.setAnchor(x, y);
}

void UIPressable::setSize(int width, int height) {
    UIBase::setSize(width, height);
    for (ImageElement& image : images_) image.setSize(width, height);
}

void UIPressable::showResting(bool active) {
    images_[kNormal].setHidden(active);
    images_[kActive].setHidden(!active);
    images_[kHover].setHidden(true);
}

void UIPressable::setAlphaAll(float alpha) {
    for (ImageElement& image : images_) image.setAlpha(alpha);
}

UIButton::UIButton(SpriteSheet& sheet, int x, int y, int id, int normalSprite, int pressedSprite,
                   int hoverSprite)
    : UIPressable(kUITypeButton, sheet, x, y, id, normalSprite, pressedSprite, hoverSprite) {}

bool UIButton::input(int code, int x, int y) {
    if (!acceptsInput()) return false;
    switch (pressAction(code, inside(x, y))) {
        case PressAction::HeldInside:
            if (!pressed_) {
                images_[kNormal].setHidden(true);
                images_[kActive].setHidden(false);
            }
            images_[kHover].setHidden(true);
            pressed_ = true;
            return true;
        case PressAction::HoverInside:
            images_[kHover].setHidden(false);
            return false;
        case PressAction::ReleasedInside: {
            // The look is settled before the owner hears of the click: the owner may close the
            // window this button lives in.
            bool clicked = pressed_;
            if (visible_ && pressed_) {
                images_[kNormal].setHidden(false);
                images_[kActive].setHidden(true);
            }
            images_[kHover].setHidden(true);
            pressed_ = false;
            if (clicked) report();
            return true;
        }
        case PressAction::Other:
            return false;
        case PressAction::Outside:
            if (pressed_) {
                images_[kNormal].setHidden(false);
                images_[kActive].setHidden(true);
            }
            images_[kHover].setHidden(true);
            pressed_ = false;
            return false;
    }
    return false;
}

void UIButton::setState(bool enabled, bool visible) {
    UIBase::setState(enabled, visible);
    if (visible) {
        setAlphaAll(enabled ? 1.0f : 0.5f);
        showResting(pressed_);
    } else {
        for (ImageElement& image : images_) image.setHidden(true);
    }
}

UICheck::UICheck(SpriteSheet& sheet, int x, int y, int id, int normalSprite, int checkedSprite,
                 int hoverSprite)
    : UIPressable(kUITypeCheck, sheet, x, y, id, normalSprite, checkedSprite, hoverSprite) {}

bool UICheck::input(int code, int x, int y) {
    if (!acceptsInput()) return false;
    switch (pressAction(code, inside(x, y))) {
        case PressAction::HeldInside:
            // A check box's pressed look is its checked image.
            images_[kNormal].setHidden(true);
            images_[kHover].setHidden(true);
            images_[kActive].setHidden(false);
            return true;
        case PressAction::HoverInside:
            images_[kNormal].setHidden(true);
            images_[kActive].setHidden(true);
            images_[kHover].setHidden(false);
            return false;
        case PressAction::ReleasedInside:
            if (readOnly_ || grouped_) return true;
            setChecked(!checked_);
            report();
            return true;
        case PressAction::Other:
            return false;
        case PressAction::Outside:
            showResting(checked_);
            return false;
    }
    return false;
}

void UICheck::setChecked(bool checked) {
    checked_ = checked;
    if (visible_) showResting(checked);
}

void UICheck::setState(bool enabled, bool visible) {
    UIBase::setState(enabled, visible);
    if (visible) {
        setAlphaAll(enabled ? 1.0f : 0.5f);
        showResting(checked_);
    } else {
        images_[kNormal].setHidden(true);
        images_[kActive].setHidden(true);
    }
}

}  // namespace kestrel
