#pragma once
// The mouse as the screens and widgets see it for one frame. All zero when the pointer is
// outside the window, so nothing under the last inside position stays hovered.

namespace kestrel {

struct MouseSample {
    int x = 0;
    int y = 0;
    bool leftHeld = false;
    int wheelNotches = 0;  // positive away from the user
};

}  // namespace kestrel
