#pragma once
// The per-frame event codes the widgets understand, how a frame's MouseSample becomes one,
// and the press/hover/drag behaviour every clickable widget shares.
//
//   EventCoder coder;                                  // one per screen, keeps last frame's button
//   int code = coder.next(mouse, /*withWheel=*/false); // 1 held, 2 up, 3 released (+16/+32 wheel)
//   panel.input(code, mouse.x, mouse.y);
#include "ui/mouse_sample.h"

namespace kestrel {

class UIBase;
class UIPanel;

enum UIEventCode : int {
    kEventHeld = 1,      // sent every frame while the left button is down
    kEventMove = 2,      // button up, pointer moving or resting
    kEventRelease = 3,   // first frame after the button was held
    kEventWheelAway = 16,    // added to 2 or 3
    kEventWheelToward = 32,  // added to 2 or 3
};

class EventCoder {
public:
    // Wheel bits go only to widgets that read them (the list); elsewhere a code with a wheel
    // bit would be ignored by every widget, losing the release.
    int next(const MouseSample& mouse, bool withWheel);

private:
    bool previousHeld_ = false;
};

// What a press-style widget (button, check) does with one event. Codes are compared exactly,
// so a code with a wheel bit is Other.
enum class PressAction { Outside, HeldInside, HoverInside, ReleasedInside, Other };
PressAction pressAction(int code, bool inside);

// Holds a panel's capture for one widget for the length of a drag, so the widget keeps getting
// events when the pointer leaves it.
class DragCapture {
public:
    explicit DragCapture(UIPanel& panel) : panel_(panel) {}
    void begin(UIBase& widget);
    void end();
    bool active() const { return active_; }

private:
    UIPanel& panel_;
    bool active_ = false;
};

// A drag ends on the release frame, also when a wheel notch arrived with it.
inline bool isRelease(int code) { return (code & 15) == kEventRelease; }

}  // namespace kestrel
