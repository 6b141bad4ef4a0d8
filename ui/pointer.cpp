#include "ui/pointer.h"

#include "ui/ui_panel.h"

namespace kestrel {

int EventCoder::next(const MouseSample& mouse, bool withWheel) {
    int code = kEventHeld;
    if (!mouse.leftHeld) {
        code = previousHeld_ ? kEventRelease : kEventMove;
        if (withWheel && mouse.wheelNotches > 0) code += kEventWheelAway;
        if (withWheel && mouse.wheelNotches < 0) code += kEventWheelToward;
    }
    previousHeld_ = mouse.leftHeld;
    return code;
}

PressAction pressAction(int code, bool inside) {
    if (!inside) return PressAction::Outside;
    switch (code) {
        case kEventHeld: return PressAction::HeldInside;
        case kEventMove: return PressAction::HoverInside;
        case kEventRelease: return PressAction::ReleasedInside;
        default: return PressAction::Other;
    }
}

void DragCapture::begin(UIBase& widget) {
    panel_.setCaptured(&widget);
    active_ = true;
}

void DragCapture::end() {
    panel_.setCaptured(nullptr);
    active_ = false;
}

}  // namespace kestrel
