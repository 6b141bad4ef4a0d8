#pragma once
// UIBase: what every widget has (type tag, box, id, enabled/visible, owner callback) and the
// seven operations the panels call. Widgets report to their owner through the callback with
// the event kUIEventClick and their user data; the owner tells widgets apart by id().
#include <functional>

namespace kestrel {

enum UITypeTag : int {
    kUITypeBase = 0,
    kUITypePanel = 1,
    kUITypeCheck = 2,
    kUITypeRadioGroup = 3,
    kUITypeButton = 4,
    kUITypeSlider = 5,
    kUITypeClockSlider = 6,
    kUITypeList = 13,
};

// The event number a widget hands its callback for a click or a check change.
constexpr int kUIEventClick = 3;

class UIBase;
using UICallback = std::function<void(UIBase& widget, int event, int userData)>;

class UIBase {
public:
    explicit UIBase(int typeTag = kUITypeBase) : type_(typeTag) {}
    virtual ~UIBase() = default;  // slot 0
    UIBase(const UIBase&) = delete;
    UIBase& operator=(const UIBase&) = delete;

    // Slot 1: one event code of the frame (ui/pointer.h) at (x, y); true when consumed.
    virtual bool input(int code, int x, int y);
    virtual void update() {}  // slot 2
    virtual void draw() {}    // slot 3
    virtual void setPosition(int x, int y);            // slot 4
    virtual void setSize(int width, int height);       // slot 5
    virtual void setState(bool enabled, bool visible); // slot 6

    int type() const { return type_; }
    int x() const { return x_; }
    int y() const { return y_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int id() const { return id_; }
    void setId(int id) { id_ = id; }
    bool enabled() const { return enabled_; }
    bool visible() const { return visible_; }
    bool acceptsInput() const { return enabled_ && visible_; }

    int userData() const { return userData_; }
    void setCallback(UICallback callback, int userData) {
        callback_ = std::move(callback);
        userData_ = userData;
    }
    bool hasCallback() const { return static_cast<bool>(callback_); }

protected:
    // Runs the owner's callback from a copy, so the owner may destroy this widget (and its
    // panel) from inside it. Callers must not touch members afterwards.
    void report() {
        if (!callback_) return;
        UICallback callback = callback_;
        int userData = userData_;
        callback(*this, kUIEventClick, userData);
    }

    int type_;
    int x_ = 0;
    int y_ = 0;
    int width_ = 0;
    int height_ = 0;
    int id_ = -1;
    bool enabled_ = true;
    bool visible_ = true;

private:
    int userData_ = 0;
    UICallback callback_;
};

}  // namespace kestrel
