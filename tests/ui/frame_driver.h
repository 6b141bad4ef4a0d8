#pragma once
// Feeds a panel one MouseSample per frame, as the screens do.
#include "ui/pointer.h"
#include "ui/ui_panel.h"

namespace kestrel::testing {

class FrameDriver {
public:
    explicit FrameDriver(UIPanel& panel, bool withWheel = false) : panel_(panel), withWheel_(withWheel) {}

    bool frame(int x, int y, bool held, int wheel = 0) {
        MouseSample mouse{x, y, held, wheel};
        return panel_.input(coder_.next(mouse, withWheel_), x, y);
    }
    void click(int x, int y) {
        frame(x, y, true);
        frame(x, y, false);
    }

private:
    UIPanel& panel_;
    EventCoder coder_;
    bool withWheel_;
};

}  // namespace kestrel::testing
