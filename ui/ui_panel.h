#pragma once
// UIPanel: owns its widgets and routes each frame's event to them. The widget added last is
// first in the child list, so it is offered the event first and drawn first. A widget that
// starts a drag becomes the captured child and is offered every event before the others until
// it lets go. Moving a panel moves each child by the same offset; set state reaches every child.
//
//   UIPanel panel;
//   auto& ok = panel.add(std::make_unique<UIButton>(sheet, 578, 446, 1, 41, 42, 43));
//   panel.input(code, mouse.x, mouse.y);   // once per frame
//   panel.drawAll();
#include <memory>
#include <vector>

#include "ui/ui_base.h"

namespace kestrel {

class UIPanel : public UIBase {
public:
    UIPanel() : UIBase(kUITypePanel) {}
    ~UIPanel() override;

    // Links the widget at the front of the child list and takes ownership.
    template <typename Widget>
    Widget& add(std::unique_ptr<Widget> widget) {
        Widget& added = *widget;
        children_.insert(children_.begin(), std::move(widget));
        return added;
    }

    bool input(int code, int x, int y) override;
    void setPosition(int x, int y) override;
    void setState(bool enabled, bool visible) override;
    // Slot 3 draws nothing; drawAll() walks the children, recursing into panels. Hidden widgets
    // hide their own images, so visibility is not looked at here.
    void drawAll();

    // The enabled, visible widget whose box holds the point, looked for in the order input is
    // offered (radio groups member by member, panels within panels); null when none does.
    const UIBase* widgetAt(int x, int y) const;

    UIBase* captured() const { return captured_; }
    void setCaptured(UIBase* widget) { captured_ = widget; }

    // In child-list order (last added first).
    std::size_t childCount() const { return children_.size(); }
    UIBase& child(std::size_t index) const { return *children_[index]; }

private:
    std::vector<std::unique_ptr<UIBase>> children_;
    UIBase* captured_ = nullptr;
};

}  // namespace kestrel
