#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/ui/fake_sheet.h"
#include "ui/image_element.h"
#include "ui/pointer.h"
#include "ui/ui_button.h"
#include "ui/ui_panel.h"
#include "ui/ui_radio_group.h"

namespace kestrel {
namespace {

using testing::FakeSheet;

// A widget that notes every event it is offered and takes those its box contains.
class Probe : public UIBase {
public:
    Probe(std::vector<std::string>& seen, std::string name, int x, int y, int w, int h)
        : seen_(seen), name_(std::move(name)) {
        setPosition(x, y);
        setSize(w, h);
    }
    bool input(int, int px, int py) override {
        seen_.push_back(name_);
        return px >= x() && px < x() + width() && py >= y() && py < y() + height();
    }
    void draw() override { seen_.push_back("draw " + name_); }

private:
    std::vector<std::string>& seen_;
    std::string name_;
};

TEST(ImageElement, HitBoxExcludesRightColumnAndIncludesBottomRow) {
    FakeSheet sheet;
    sheet.setSize(7, 10, 20);
    ImageElement image(sheet, 7, 100, 50);
    EXPECT_TRUE(image.hitTest(100, 50));
    EXPECT_TRUE(image.hitTest(109, 70));
    EXPECT_FALSE(image.hitTest(110, 60));
    EXPECT_TRUE(image.hitTest(105, 70));
    EXPECT_FALSE(image.hitTest(105, 71));
    EXPECT_FALSE(image.hitTest(99, 60));
}

TEST(ImageElement, WithoutSpriteHasNoSizeAndIsNeverHitOrDrawn) {
    FakeSheet sheet;
    ImageElement image(sheet, -1, 10, 10);
    EXPECT_EQ(image.width(), 0);
    EXPECT_EQ(image.height(), 0);
    EXPECT_FALSE(image.hitTest(10, 10));
    image.draw(sheet);
    EXPECT_TRUE(sheet.sprites.empty());
}

TEST(ImageElement, AlignmentPlacesTheSpriteAroundItsAnchor) {
    FakeSheet sheet;
    sheet.setSize(7, 11, 21);
    struct Case { int align, x, y; };
    const Case cases[] = {
        {0, 100, 50},
        {kImageAlignCentreX, 95, 50},
        {kImageAlignRight, 89, 50},
        {kImageAlignCentreX | kImageAlignRight, 95, 50},
        {kImageAlignCentreY, 100, 40},
        {kImageAlignBottom, 100, 29},
        {kImageAlignCentreY | kImageAlignBottom | kImageAlignCentreX, 95, 40},
    };
    for (const Case& c : cases) {
        ImageElement image(sheet, 7, 100, 50, c.align);
        EXPECT_EQ(image.drawnX(), c.x) << "align " << c.align;
        EXPECT_EQ(image.drawnY(), c.y) << "align " << c.align;
    }
}

TEST(ImageElement, DrawsStretchedAtItsAlphaUnlessHidden) {
    FakeSheet sheet;
    sheet.setSize(7, 10, 10);
    ImageElement image(sheet, 7, 20, 30, kImageAlignCentreX | kImageAlignCentreY);
    image.setSize(30, 40);
    image.setAlpha(0.5f);
    image.draw(sheet);
    image.setHidden(true);
    image.draw(sheet);
    ASSERT_EQ(sheet.sprites.size(), 1u);
    EXPECT_EQ(sheet.sprites[0], (testing::DrawnSprite{7, 127, 5, 10, 30, 40}));
}

TEST(UIPanel, WidgetAddedLastIsOfferedFirstAndHidesTheOneBelow) {
    std::vector<std::string> seen;
    UIPanel panel;
    panel.add(std::make_unique<Probe>(seen, "first", 0, 0, 50, 50));
    panel.add(std::make_unique<Probe>(seen, "second", 0, 0, 50, 50));
    EXPECT_TRUE(panel.input(kEventHeld, 10, 10));
    EXPECT_EQ(seen, (std::vector<std::string>{"second"}));

    seen.clear();
    EXPECT_FALSE(panel.input(kEventHeld, 80, 80));
    EXPECT_EQ(seen, (std::vector<std::string>{"second", "first"}));
}

TEST(UIPanel, CapturedChildIsOfferedFirstAndAgainInListOrderWhenItDeclines) {
    std::vector<std::string> seen;
    UIPanel panel;
    auto& low = panel.add(std::make_unique<Probe>(seen, "low", 0, 0, 10, 10));
    panel.add(std::make_unique<Probe>(seen, "top", 100, 0, 10, 10));
    panel.setCaptured(&low);
    EXPECT_TRUE(panel.input(kEventHeld, 5, 5));
    EXPECT_EQ(seen, (std::vector<std::string>{"low"}));

    seen.clear();
    EXPECT_FALSE(panel.input(kEventHeld, 300, 300));
    EXPECT_EQ(seen, (std::vector<std::string>{"low", "top", "low"}));
}

TEST(UIPanel, MovingAPanelMovesEveryChildIncludingNestedPanels) {
    FakeSheet sheet;
    sheet.setSize(1, 10, 10);
    UIPanel root;
    auto& button = root.add(std::make_unique<UIButton>(sheet, 20, 30, 1, 1, 1, 1));
    auto& nested = root.add(std::make_unique<UIPanel>());
    auto& inner = nested.add(std::make_unique<UIButton>(sheet, 200, 300, 2, 1, 1, 1));

    root.setPosition(10, 0);

    EXPECT_EQ(button.x(), 30);
    EXPECT_EQ(button.normalImage().drawnX(), 30);
    EXPECT_EQ(nested.x(), 10);
    EXPECT_EQ(inner.x(), 210);
    EXPECT_EQ(inner.y(), 300);
    EXPECT_TRUE(inner.normalImage().hitTest(210, 300));
}

TEST(UIPanel, DrawAllWalksChildrenInListOrderIntoNestedPanels) {
    std::vector<std::string> seen;
    UIPanel root;
    root.add(std::make_unique<Probe>(seen, "a", 0, 0, 1, 1));
    auto& nested = root.add(std::make_unique<UIPanel>());
    nested.add(std::make_unique<Probe>(seen, "b", 0, 0, 1, 1));
    nested.add(std::make_unique<Probe>(seen, "c", 0, 0, 1, 1));
    root.drawAll();
    EXPECT_EQ(seen, (std::vector<std::string>{"draw c", "draw b", "draw a"}));
}

TEST(UIPanel, SetStateReachesWidgetsOfNestedPanels) {
    FakeSheet sheet;
    sheet.setSize(1, 10, 10);
    UIPanel root;
    auto& nested = root.add(std::make_unique<UIPanel>());
    auto& button = nested.add(std::make_unique<UIButton>(sheet, 0, 0, 1, 1, 2, 3));
    root.setState(false, true);
    EXPECT_FALSE(button.enabled());
    EXPECT_FLOAT_EQ(button.normalImage().alpha(), 0.5f);
    EXPECT_FALSE(root.input(kEventHeld, 5, 5));
}

TEST(UIPanel, WidgetAtFindsWhatAPressThereWouldReachThroughGroupsAndNestedPanels) {
    FakeSheet sheet;
    sheet.setSize(1, 10, 10);
    std::vector<std::string> seen;
    UIPanel root;
    auto& button = root.add(std::make_unique<UIButton>(sheet, 20, 30, 1, 1, 1, 1));
    auto& tabs = root.add(std::make_unique<UIRadioGroup>());
    auto& tab = tabs.add(std::make_unique<UICheck>(sheet, 100, 0, 2, 1, 1, 1));
    auto& nested = root.add(std::make_unique<UIPanel>());
    auto& probe = nested.add(std::make_unique<Probe>(seen, "p", 300, 300, 5, 5));
    auto& off = nested.add(std::make_unique<UIButton>(sheet, 400, 0, 3, 1, 1, 1));
    off.setState(false, true);

    EXPECT_EQ(root.widgetAt(20, 30), &button);
    EXPECT_EQ(root.widgetAt(20, 40), &button);  // a button's bottom row is its own
    EXPECT_EQ(root.widgetAt(30, 30), nullptr);  // its right column is not
    EXPECT_EQ(root.widgetAt(105, 5), &tab);
    EXPECT_EQ(root.widgetAt(304, 304), &probe);
    EXPECT_EQ(root.widgetAt(305, 300), nullptr);
    EXPECT_EQ(root.widgetAt(405, 5), nullptr);  // disabled
    EXPECT_EQ(root.widgetAt(0, 0), nullptr);
    EXPECT_TRUE(seen.empty());  // finding a widget offers it nothing
}

TEST(EventCoder, TurnsMouseSamplesIntoHeldReleaseAndMoveCodes) {
    EventCoder coder;
    EXPECT_EQ(coder.next({5, 5, false, 0}, false), kEventMove);
    EXPECT_EQ(coder.next({5, 5, true, 0}, false), kEventHeld);
    EXPECT_EQ(coder.next({5, 5, true, 0}, false), kEventHeld);
    EXPECT_EQ(coder.next({5, 5, false, 0}, false), kEventRelease);
    EXPECT_EQ(coder.next({5, 5, false, 0}, false), kEventMove);
}

TEST(EventCoder, AddsWheelBitsOnlyWhenAskedAndWhileTheButtonIsUp) {
    EventCoder coder;
    EXPECT_EQ(coder.next({0, 0, false, 2}, false), kEventMove);
    EXPECT_EQ(coder.next({0, 0, false, 1}, true), kEventMove + kEventWheelAway);
    EXPECT_EQ(coder.next({0, 0, true, -1}, true), kEventHeld);
    EXPECT_EQ(coder.next({0, 0, false, -1}, true), kEventRelease + kEventWheelToward);
}

}  // namespace
}  // namespace kestrel
