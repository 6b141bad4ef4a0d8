#pragma once
// UIButton and UICheck: a widget shown by three skin sprites anchored at its top-left corner,
// normal, active (pressed / checked) and hover. Its box is the normal sprite's.
//
// A button reports a click (callback with kUIEventClick) only when pressed and released inside
// without leaving in between. A check toggles on any release inside and reports the change;
// a read-only check swallows the click and keeps its state. Disabled widgets ignore the mouse
// and draw at half alpha.
//
//   auto& close = panel.add(std::make_unique<UIButton>(sheet, 761, 13, 1, 20, 21, 22));
//   close.setCallback(onWindowAction, 0);
#include "ui/image_element.h"
#include "ui/ui_base.h"

namespace kestrel {

// The look and box shared by buttons and checks.
class UIPressable : public UIBase {
public:
    void draw() override;
    void setPosition(int x, int y) override;
    void setSize(int width, int height) override;

    // The box a press must land in: the normal image's hit box.
    bool contains(int x, int y) const { return inside(x, y); }
    const ImageElement& normalImage() const { return images_[kNormal]; }
    const ImageElement& activeImage() const { return images_[kActive]; }
    const ImageElement& hoverImage() const { return images_[kHover]; }

protected:
    enum { kNormal, kActive, kHover };

    UIPressable(int typeTag, SpriteSheet& sheet, int x, int y, int id, int normalSprite,
                int activeSprite, int hoverSprite);

    bool inside(int x, int y) const { return images_[kNormal].hitTest(x, y); }
    // Normal or active image as the flag says, hover hidden.
    void showResting(bool active);
    void setAlphaAll(float alpha);

    SpriteSheet& sheet_;
    ImageElement images_[3];
};

class UIButton : public UIPressable {
public:
    UIButton(SpriteSheet& sheet, int x, int y, int id, int normalSprite, int pressedSprite,
             int hoverSprite);

    bool input(int code, int x, int y) override;
    void setState(bool enabled, bool visible) override;

    bool pressed() const { return pressed_; }

private:
    bool pressed_ = false;
};

class UICheck : public UIPressable {
public:
    UICheck(SpriteSheet& sheet, int x, int y, int id, int normalSprite, int checkedSprite,
            int hoverSprite);

    bool input(int code, int x, int y) override;
    void setState(bool enabled, bool visible) override;

    bool checked() const { return checked_; }
    // Shows the state without reporting it: for pushing stored settings into the screen.
    void setChecked(bool checked);
    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }

private:
    // A group member leaves its state and its report to the group, so a click reports each
    // member once instead of the clicked one twice.
    friend class UIRadioGroup;
    void notifyOwner() { report(); }

    bool checked_ = false;
    bool grouped_ = false;
    bool readOnly_ = false;
};

}  // namespace kestrel
