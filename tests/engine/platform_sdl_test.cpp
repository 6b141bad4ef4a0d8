// The SDL platform where it needs no display: which video drivers count as asked for, the hit
// test that lets the desktop move the window, opening documents through xdg-open, and a window
// on SDL's dummy driver when that is named.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/hge.h"
#include "engine/platform.h"
#include "engine/platform_sdl.h"

namespace kestrel {
namespace {

TEST(SdlVideoDriver, OnlyADriverNamedInTheSettingCountsAsAskedFor) {
    struct Case {
        const char* driver;
        const char* setting;
        bool named;
    };
    const Case cases[] = {
        {"offscreen", "offscreen", true}, {"dummy", "DUMMY", true},     {"offscreen", "x11,offscreen", true},
        {"dummy", "x11,wayland", false},  {"offscreen", nullptr, false}, {"offscreen", "", false},
        {"dummy", "dummyx", false},       {"x11", "x1", false},          {nullptr, "x11", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(videoDriverNamed(c.driver, c.setting), c.named)
            << (c.driver ? c.driver : "null") << " in " << (c.setting ? c.setting : "null");
}

TEST(SdlHitTest, DraggableExactlyWhereTheDragAreaSaysSo) {
    const DragAreaTest band = [](int x, int y) { return y < 60 && !(x >= 700 && x < 790); };
    const SDL_Point inBand{300, 10};
    const SDL_Point onWidget{750, 10};
    const SDL_Point below{300, 60};
    DragAreaTest test = band;
    EXPECT_EQ(dragAreaHitTest(nullptr, &inBand, &test), SDL_HITTEST_DRAGGABLE);
    EXPECT_EQ(dragAreaHitTest(nullptr, &onWidget, &test), SDL_HITTEST_NORMAL);
    EXPECT_EQ(dragAreaHitTest(nullptr, &below, &test), SDL_HITTEST_NORMAL);
    DragAreaTest none;
    EXPECT_EQ(dragAreaHitTest(nullptr, &inBand, &none), SDL_HITTEST_NORMAL);
    EXPECT_EQ(dragAreaHitTest(nullptr, &inBand, nullptr), SDL_HITTEST_NORMAL);
    EXPECT_EQ(dragAreaHitTest(nullptr, nullptr, &test), SDL_HITTEST_NORMAL);
}

// An engine over the real SDL platform, and a PATH that holds only the opener a test writes.
class SdlOpenDocument : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() / ("kestrel-open-" + std::to_string(getpid()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        if (const char* path = std::getenv("PATH")) savedPath_ = path;
        setenv("PATH", folder_.c_str(), 1);
        hge_ = CreateEngine(createSdlPlatform());
    }
    void TearDown() override {
        hge_->System_Release();
        setenv("PATH", savedPath_.c_str(), 1);
        std::filesystem::remove_all(folder_);
    }

    void writeOpener(const std::string& body, bool executable = true) {
        const auto opener = folder_ / "xdg-open";
        std::ofstream(opener) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << (folder_ / "opened").string() << "'\n" << body
                              << "\n";
        chmod(opener.c_str(), executable ? 0755 : 0644);
    }
    std::string opened() const {
        std::ifstream in(folder_ / "opened");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    HGE* hge_ = nullptr;
    std::filesystem::path folder_;
    std::string savedPath_;
};

TEST_F(SdlOpenDocument, SucceedsWhenTheOpenerTakesTheLinkAsItIs) {
    writeOpener("exit 0");
    // Handed over as one argument: nothing in it is read by a shell.
    const std::string url = "https://example.org/kestrel/support/?a=1&b=$(touch pwned);c='d' e";
    EXPECT_TRUE(hge_->System_OpenDocument(url.c_str()));
    EXPECT_EQ(opened(), url);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "pwned"));
}

TEST_F(SdlOpenDocument, FailsWhenNoOpenerCanBeStartedOrItReportsAnError) {
    EXPECT_FALSE(hge_->System_OpenDocument("https://example.org/"));  // none on the PATH
    writeOpener("exit 0", false);
    EXPECT_FALSE(hge_->System_OpenDocument("https://example.org/"));  // not executable
    writeOpener("exit 3");  // xdg-open: no tool to open it with
    EXPECT_FALSE(hge_->System_OpenDocument("https://example.org/"));
    writeOpener("kill -9 $$");
    EXPECT_FALSE(hge_->System_OpenDocument("https://example.org/"));
    EXPECT_FALSE(hge_->System_OpenDocument(""));
}

TEST_F(SdlOpenDocument, AnOpenerStillRunningAfterAMomentHasStartedABrowser) {
    writeOpener("exec /bin/sleep 3");
    EXPECT_TRUE(hge_->System_OpenDocument("https://example.org/"));
}

TEST(SdlWindow, SdlsDummyDriverIsUsedWhenNamed) {
    // ctest names the dummy driver for every test; this is the path a user takes by naming it.
    const char* named = std::getenv("SDL_VIDEODRIVER");
    if (named == nullptr || std::string(named) != "dummy") GTEST_SKIP() << "SDL_VIDEODRIVER is not dummy here";
    HGE* hge = CreateEngine(createSdlPlatform());
    hge->System_SetBoolState(kStateShowSplash, false);
    EXPECT_TRUE(hge->System_Initiate(false));
    EXPECT_NE(hge->System_GetWindowState(kStateWindow), nullptr);
    hge->System_Finish();
    hge->System_Release();
}

}  // namespace
}  // namespace kestrel
