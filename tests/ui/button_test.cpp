#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/ui/fake_sheet.h"
#include "tests/ui/frame_driver.h"
#include "ui/ui_button.h"
#include "ui/ui_panel.h"
#include "ui/ui_radio_group.h"

namespace kestrel {
namespace {

using testing::FakeSheet;
using testing::FrameDriver;

constexpr int kNormal = 20, kPressed = 21, kHover = 22;

struct Report {
    int id, event, userData;
    bool operator==(const Report&) const = default;
};

struct ButtonWorld {
    ButtonWorld() {
        for (int sprite : {kNormal, kPressed, kHover}) sheet.setSize(sprite, 25, 25);
        button = &panel.add(std::make_unique<UIButton>(sheet, 100, 10, 7, kNormal, kPressed, kHover));
        button->setCallback([this](UIBase& w, int event, int data) { reports.push_back({w.id(), event, data}); }, 0);
    }
    std::vector<int> drawn() {
        sheet.clear();
        panel.drawAll();
        return sheet.drawnIndices();
    }
    FakeSheet sheet;
    UIPanel panel;
    UIButton* button;
    std::vector<Report> reports;
    FrameDriver mouse{panel};
};

TEST(UIButton, ClickInsideReportsOnceWithItsIdAndShowsEachLook) {
    ButtonWorld w;
    EXPECT_EQ(w.drawn(), std::vector<int>{kNormal});
    w.mouse.frame(110, 20, false);
    EXPECT_EQ(w.drawn(), (std::vector<int>{kNormal, kHover}));
    EXPECT_TRUE(w.mouse.frame(110, 20, true));
    EXPECT_EQ(w.drawn(), std::vector<int>{kPressed});
    w.mouse.frame(111, 21, true);
    EXPECT_TRUE(w.mouse.frame(111, 21, false));
    EXPECT_EQ(w.reports, (std::vector<Report>{{7, kUIEventClick, 0}}));
    EXPECT_EQ(w.drawn(), std::vector<int>{kNormal});
    w.mouse.frame(111, 21, false);
    EXPECT_EQ(w.reports.size(), 1u);
}

TEST(UIButton, PressInsideReleaseOutsideIsNoClick) {
    ButtonWorld w;
    w.mouse.frame(110, 20, true);
    w.mouse.frame(300, 20, true);
    EXPECT_EQ(w.drawn(), std::vector<int>{kNormal});
    EXPECT_FALSE(w.mouse.frame(300, 20, false));
    EXPECT_TRUE(w.reports.empty());
    EXPECT_FALSE(w.button->pressed());
}

TEST(UIButton, LeavingWhileHeldCancelsAndComingBackPressesAgain) {
    ButtonWorld w;
    w.mouse.frame(110, 20, true);
    w.mouse.frame(300, 20, true);
    w.mouse.frame(110, 20, true);
    EXPECT_EQ(w.drawn(), std::vector<int>{kPressed});
    w.mouse.frame(110, 20, false);
    EXPECT_EQ(w.reports.size(), 1u);
}

TEST(UIButton, ReleaseInsideWithoutAPressInsideIsNoClick) {
    ButtonWorld w;
    w.mouse.frame(300, 20, true);
    w.mouse.frame(110, 20, false);
    EXPECT_TRUE(w.reports.empty());
}

TEST(UIButton, ReleaseCarryingAWheelBitIsIgnored) {
    ButtonWorld w;
    w.mouse.frame(110, 20, true);
    EXPECT_FALSE(w.panel.input(kEventRelease + kEventWheelAway, 110, 20));
    EXPECT_TRUE(w.reports.empty());
}

TEST(UIButton, DisabledIsDrawnAtHalfAlphaAndIgnoresTheMouse) {
    ButtonWorld w;
    w.panel.setState(false, true);
    EXPECT_FALSE(w.mouse.frame(110, 20, true));
    EXPECT_FALSE(w.mouse.frame(110, 20, false));
    EXPECT_TRUE(w.reports.empty());
    w.drawn();
    ASSERT_EQ(w.sheet.sprites.size(), 1u);
    EXPECT_EQ(w.sheet.sprites[0], (testing::DrawnSprite{kNormal, 127, 100, 10, 25, 25}));

    w.panel.setState(true, true);
    w.mouse.click(110, 20);
    EXPECT_EQ(w.reports.size(), 1u);
}

TEST(UIButton, InvisibleDrawsNothingAndIgnoresTheMouse) {
    ButtonWorld w;
    w.panel.setState(true, false);
    EXPECT_TRUE(w.drawn().empty());
    w.mouse.click(110, 20);
    EXPECT_TRUE(w.reports.empty());
}

TEST(UIButton, OwnerMayDestroyThePanelFromTheClick) {
    FakeSheet sheet;
    sheet.setSize(kNormal, 25, 25);
    auto window = std::make_unique<UIPanel>();
    auto& ok = window->add(std::make_unique<UIButton>(sheet, 0, 0, 1, kNormal, kPressed, kHover));
    int closed = 0;
    ok.setCallback([&](UIBase&, int, int) { ++closed; window.reset(); }, 0);
    EXPECT_TRUE(window->input(kEventHeld, 5, 5));
    UIPanel* raw = window.get();
    EXPECT_TRUE(raw->input(kEventRelease, 5, 5));
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(window);
}

struct CheckWorld {
    CheckWorld() {
        for (int sprite : {1, 2, 3}) sheet.setSize(sprite, 50, 20);
        check = &panel.add(std::make_unique<UICheck>(sheet, 0, 0, 5, 1, 2, 3));
        check->setCallback([this](UIBase& w, int, int data) {
            reports.push_back({w.id(), static_cast<UICheck&>(w).checked(), data});
        }, 1);
    }
    FakeSheet sheet;
    UIPanel panel;
    UICheck* check;
    std::vector<Report> reports;  // id, checked after the change, user data
    FrameDriver mouse{panel};
};

TEST(UICheck, EachClickTogglesAndReportsTheNewState) {
    CheckWorld w;
    w.mouse.click(10, 10);
    w.mouse.click(10, 10);
    EXPECT_EQ(w.reports, (std::vector<Report>{{5, 1, 1}, {5, 0, 1}}));
}

TEST(UICheck, ReleaseOnItAfterAPressElsewhereToggles) {
    CheckWorld w;
    w.mouse.frame(200, 200, true);
    w.mouse.frame(10, 10, false);
    EXPECT_TRUE(w.check->checked());
    EXPECT_EQ(w.reports.size(), 1u);
}

TEST(UICheck, ReadOnlySwallowsTheClickAndKeepsItsState) {
    CheckWorld w;
    w.check->setReadOnly(true);
    w.mouse.frame(10, 10, true);
    EXPECT_TRUE(w.mouse.frame(10, 10, false));
    EXPECT_FALSE(w.check->checked());
    EXPECT_TRUE(w.reports.empty());
}

TEST(UICheck, ShowsHoverWhileOverAndItsStateWhenLeft) {
    CheckWorld w;
    w.check->setChecked(true);
    w.mouse.frame(10, 10, false);
    EXPECT_TRUE(w.check->normalImage().hidden());
    EXPECT_TRUE(w.check->activeImage().hidden());
    EXPECT_FALSE(w.check->hoverImage().hidden());
    w.mouse.frame(100, 100, false);
    EXPECT_TRUE(w.check->hoverImage().hidden());
    EXPECT_FALSE(w.check->activeImage().hidden());
    EXPECT_TRUE(w.reports.empty()) << "setChecked reports nothing";
}

struct RadioWorld {
    RadioWorld() {
        for (int sprite : {1, 2, 3}) sheet.setSize(sprite, 50, 20);
        group = &panel.add(std::make_unique<UIRadioGroup>());
        // Added in order 201, 202, 203: index 0 is 203.
        for (int i = 0; i < 3; ++i) {
            auto& check = group->add(std::make_unique<UICheck>(sheet, 60 * i, 0, 201 + i, 1, 2, 3));
            check.setCallback([this](UIBase& w, int, int) {
                reports.push_back({w.id(), static_cast<UICheck&>(w).checked(), 1});
            }, 1);
        }
    }
    std::vector<int> checkedIds() const {
        std::vector<int> ids;
        for (std::size_t k = 0; k < group->size(); ++k) {
            if (group->check(k).checked()) ids.push_back(group->check(k).id());
        }
        return ids;
    }
    FakeSheet sheet;
    UIPanel panel;
    UIRadioGroup* group;
    std::vector<Report> reports;
    FrameDriver mouse{panel};
};

TEST(UIRadioGroup, ClickingAMemberChecksOnlyItAndReportsEveryMemberOnce) {
    RadioWorld w;
    w.mouse.click(70, 10);
    EXPECT_EQ(w.checkedIds(), std::vector<int>{202});
    EXPECT_EQ(w.group->selectedIndex(), 1);
    EXPECT_EQ(w.reports, (std::vector<Report>{{203, 0, 1}, {202, 1, 1}, {201, 0, 1}}));
}

TEST(UIRadioGroup, ClickingTheCheckedMemberKeepsItCheckedAndReportsEachOnce) {
    RadioWorld w;
    w.group->show(2);
    w.mouse.click(10, 10);
    EXPECT_EQ(w.checkedIds(), std::vector<int>{201});
    EXPECT_EQ(w.reports.size(), 3u);
}

TEST(UIRadioGroup, MembersThatAreNotReadOnlyStillReportOnce) {
    RadioWorld w;
    for (std::size_t k = 0; k < w.group->size(); ++k) w.group->check(k).setReadOnly(false);
    w.mouse.click(130, 10);
    EXPECT_EQ(w.checkedIds(), std::vector<int>{203});
    EXPECT_EQ(w.reports.size(), 3u);
}

TEST(UIRadioGroup, SelectingBeyondTheGroupLeavesNoneChecked) {
    RadioWorld w;
    w.group->select(1);
    w.group->select(3);
    EXPECT_TRUE(w.checkedIds().empty());
    EXPECT_EQ(w.group->selectedIndex(), 3);
}

TEST(UIRadioGroup, PressOnAMemberIsConsumedWithoutChangingTheSelection) {
    RadioWorld w;
    w.group->show(0);
    EXPECT_TRUE(w.mouse.frame(10, 10, true));
    EXPECT_EQ(w.checkedIds(), std::vector<int>{203});
    EXPECT_TRUE(w.reports.empty());
}

TEST(UIRadioGroup, MovingTheGroupMovesItsMembers) {
    RadioWorld w;
    w.panel.setPosition(800, 0);
    w.mouse.click(870, 10);
    EXPECT_EQ(w.checkedIds(), std::vector<int>{202});
}

}  // namespace
}  // namespace kestrel
