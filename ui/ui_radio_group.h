#pragma once
// UIRadioGroup: check boxes of which the clicked one ends checked and every other unchecked.
// The group owns its checks; the check added last has index 0. A click inside a member selects
// it: every member's callback then runs once, each seeing its own new state, so owners act for
// the member that is now checked. select() beyond the last index leaves all unchecked.
//
//   auto& tabs = panel.add(std::make_unique<UIRadioGroup>());
//   auto& remap = tabs.add(std::make_unique<UICheck>(sheet, 140, 8, 11, 67, 68, 69));
//   tabs.select(tabs.indexOf(remap));
#include <memory>
#include <vector>

#include "ui/ui_base.h"
#include "ui/ui_button.h"

namespace kestrel {

class UIRadioGroup : public UIBase {
public:
    UIRadioGroup() : UIBase(kUITypeRadioGroup) {}
    ~UIRadioGroup() override;

    // Links the check at the front. The group alone changes its members' state, read-only or
    // not, so a click reports each member once instead of the clicked one twice.
    UICheck& add(std::unique_ptr<UICheck> check);

    bool input(int code, int x, int y) override;
    void draw() override;
    void setPosition(int x, int y) override;
    void setState(bool enabled, bool visible) override;

    // Checks member `index` (list order), unchecks the rest and runs every member's callback.
    void select(int index);
    // Like select() but reports nothing: for showing a stored setting.
    void show(int index);

    int selectedIndex() const { return selected_; }
    std::size_t size() const { return checks_.size(); }
    UICheck& check(std::size_t index) const { return *checks_[index]; }
    int indexOf(const UICheck& check) const;

private:
    std::vector<std::unique_ptr<UICheck>> checks_;
    int selected_ = -1;
};

}  // namespace kestrel
