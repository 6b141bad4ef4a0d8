#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "engine/log.h"
#include "tests/ui/frame_driver.h"
#include "ui/ui_list.h"
#include "ui/ui_panel.h"

namespace kestrel {
namespace {

using testing::FrameDriver;

// The preset window's list: 580 wide, rows of 30, scroll bar at x 666..690.
constexpr int kX = 110, kY = 160, kWidth = 580, kRow = 30;
constexpr int kBarX = kX + kWidth - kListScrollBarWidth;

struct ListWorld {
    explicit ListWorld(int lines) {
        list = &panel.add(std::make_unique<UIList>(log, panel, kX, kY, kWidth, kRow));
        list->setDrawCallback([this](const UIListDrawRecord& r) { drawn.push_back(r); });
        for (int i = 0; i < lines; ++i) list->addLine(1000 + i);
    }
    std::vector<UIListDrawRecord> draw() {
        drawn.clear();
        panel.drawAll();
        return drawn;
    }
    std::vector<std::intptr_t> visibleData() {
        std::vector<std::intptr_t> data;
        for (const auto& r : draw()) {
            if (r.kind & kListRow) data.push_back(r.data);
        }
        return data;
    }
    std::optional<UIListDrawRecord> part(int kindBits) {
        for (const auto& r : draw()) {
            if ((r.kind & 15) == kindBits) return r;
        }
        return std::nullopt;
    }
    RecordingLog log;
    UIPanel panel;
    UIList* list;
    std::vector<UIListDrawRecord> drawn;
    FrameDriver mouse{panel, true};
};

TEST(UIList, LogsItsAllocationAndRelease) {
    RecordingLog log;
    UIPanel panel;
    unsigned address = 0;
    {
        UIList list(log, panel, kX, kY, kWidth, kRow);
        address = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(&list));
    }
    char allocate[64], release[64];
    std::snprintf(allocate, sizeof allocate, "UIList (%08X) :: allocate 100 lines", address);
    std::snprintf(release, sizeof release, "UIList (del) %08X :: release", address);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{allocate, release}));
}

TEST(UIList, KeepsAtMostOneHundredLines) {
    ListWorld w(130);
    EXPECT_EQ(w.list->lineCount(), kListCapacity);
    EXPECT_EQ(w.list->lineData(99), 1099);
    EXPECT_EQ(w.list->maximumFirstLine(), 95);
}

TEST(UIList, ShortListHasNoThumbAndIgnoresTheWheel) {
    ListWorld w(3);
    EXPECT_FALSE(w.part(kListThumb));
    ASSERT_TRUE(w.part(kListTrack));
    w.mouse.frame(200, 200, false, -1);
    EXPECT_EQ(w.list->firstVisibleLine(), 0);
    EXPECT_EQ(w.visibleData(), (std::vector<std::intptr_t>{1000, 1001, 1002}));
}

TEST(UIList, DrawsBackgroundRowsTrackThenThumb) {
    ListWorld w(12);
    auto records = w.draw();
    ASSERT_EQ(records.size(), 8u);
    EXPECT_EQ(records[0].kind, kListBackground);
    EXPECT_EQ(records[0].height, 5 * kRow);
    EXPECT_EQ(records[1].kind, kListRow);
    EXPECT_EQ(records[2].y, kY + kRow);
    EXPECT_EQ(records[6].kind, kListTrack);
    EXPECT_EQ(records[6].x, kBarX);
    EXPECT_EQ(records[7].kind, kListThumb);
    EXPECT_EQ(records[7].height, static_cast<int>(150.0f / 12 * 5));
}

TEST(UIList, WheelScrollsOneLineAndClampsAtBothEnds) {
    ListWorld w(12);
    EXPECT_EQ(w.list->maximumFirstLine(), 7);
    w.mouse.frame(200, 200, false, -1);
    EXPECT_EQ(w.list->firstVisibleLine(), 1);
    for (int i = 0; i < 20; ++i) w.mouse.frame(200, 200, false, -1);
    EXPECT_EQ(w.list->firstVisibleLine(), 7);
    EXPECT_EQ(w.list->thumbPosition(), 150 - w.list->thumbHeight());
    for (int i = 0; i < 20; ++i) w.mouse.frame(200, 200, false, 1);
    EXPECT_EQ(w.list->firstVisibleLine(), 0);
    EXPECT_EQ(w.list->thumbPosition(), 0);
}

TEST(UIList, DraggingTheThumbToTheBottomShowsTheLastLines) {
    ListWorld w(12);
    EXPECT_TRUE(w.mouse.frame(kBarX + 5, kY + 5, true));
    EXPECT_EQ(w.panel.captured(), w.list);
    w.mouse.frame(kBarX + 5, kY + 400, true);
    EXPECT_EQ(w.part(kListThumb)->kind, kListThumb + kListActive);
    w.mouse.frame(kBarX + 5, kY + 400, false);
    EXPECT_EQ(w.panel.captured(), nullptr);
    EXPECT_EQ(w.visibleData(), (std::vector<std::intptr_t>{1007, 1008, 1009, 1010, 1011}));
}

TEST(UIList, DragEndsOnAReleaseThatCarriesAWheelNotch) {
    ListWorld w(12);
    w.mouse.frame(kBarX + 5, kY + 5, true);
    w.mouse.frame(kBarX + 5, kY + 50, false, 1);
    EXPECT_FALSE(w.list->draggingThumb());
    EXPECT_EQ(w.panel.captured(), nullptr);
}

TEST(UIList, HoldingOnTheTrackPagesEachFrameUntilTheThumbIsUnderThePointer) {
    ListWorld w(20);  // thumb 37 px
    int bottom = kY + 145;
    EXPECT_FALSE(w.mouse.frame(kBarX + 5, bottom, true));
    EXPECT_EQ(w.list->thumbPosition(), 37);
    EXPECT_FALSE(w.mouse.frame(kBarX + 5, bottom, true));
    EXPECT_EQ(w.list->thumbPosition(), 74);
    EXPECT_FALSE(w.mouse.frame(kBarX + 5, bottom, true));
    EXPECT_EQ(w.list->thumbPosition(), 111);
    EXPECT_TRUE(w.mouse.frame(kBarX + 5, bottom, true)) << "thumb reached: the drag starts";
    EXPECT_TRUE(w.list->draggingThumb());
    EXPECT_EQ(w.list->firstVisibleLine(), static_cast<int>(111.0f / 113 * 15));
}

TEST(UIList, ClickSelectsTheRowOnScreenEvenBelowTheLastLine) {
    ListWorld w(3);
    w.mouse.click(200, kY + 3 * kRow + 5);
    EXPECT_EQ(w.list->selectedIndex(), 3);
    EXPECT_EQ(w.list->lineData(w.list->selectedIndex()), 0);
    w.mouse.click(200, kY + 1 * kRow + 5);
    EXPECT_EQ(w.list->selectedIndex(), 1);
    auto records = w.draw();
    EXPECT_EQ(records[2].kind, kListRow + kListActive + kListHovered);
}

TEST(UIList, SelectionIsTakenOnlyOnTheFrameTheButtonGoesDown) {
    ListWorld w(12);
    w.mouse.frame(200, kY + 5, true);
    w.mouse.frame(200, kY + 65, true);
    w.mouse.frame(200, kY + 65, false);
    EXPECT_EQ(w.list->selectedIndex(), 0);
    EXPECT_EQ(w.list->hoveredIndex(), 2);
}

TEST(UIList, HoverFollowsThePointerAndClearsOutsideTheRows) {
    ListWorld w(12);
    w.mouse.frame(200, 200, false, -1);
    w.mouse.frame(200, kY + 2 * kRow, false);
    EXPECT_EQ(w.list->hoveredIndex(), 3);
    w.mouse.frame(kBarX + 3, kY + 20, false);
    EXPECT_EQ(w.list->hoveredIndex(), -1);
    EXPECT_EQ(w.part(kListThumb)->kind, kListThumb + kListHovered);
}

TEST(UIList, DisabledIgnoresTheMouse) {
    ListWorld w(12);
    w.panel.setState(false, true);
    w.mouse.frame(200, 200, false, -1);
    w.mouse.click(200, kY + 5);
    EXPECT_EQ(w.list->firstVisibleLine(), 0);
    EXPECT_EQ(w.list->selectedIndex(), -1);
}

TEST(UIList, WithoutADrawCallbackDrawsNothingNotEvenTheAttachedWidget) {
    struct Counter : UIBase {
        int& draws;
        explicit Counter(int& d) : draws(d) {}
        void draw() override { ++draws; }
    };
    RecordingLog log;
    UIPanel panel;
    UIList list(log, panel, kX, kY, kWidth, kRow);
    int draws = 0;
    list.attach(std::make_unique<Counter>(draws));
    list.draw();
    EXPECT_EQ(draws, 0);
    list.setDrawCallback([](const UIListDrawRecord&) {});
    list.draw();
    EXPECT_EQ(draws, 1);
}

TEST(UIList, MovingItsPanelMovesRowsAndScrollBar) {
    ListWorld w(12);
    w.panel.setPosition(10, 20);
    EXPECT_EQ(w.list->scrollBarX(), kBarX + 10);
    auto records = w.draw();
    EXPECT_EQ(records[1].x, kX + 10);
    EXPECT_EQ(records[1].y, kY + 20);
}

}  // namespace
}  // namespace kestrel
