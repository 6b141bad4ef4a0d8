// The prompt drawn in the window when the system message box cannot be shown: what it says and
// offers, how keys and clicks answer it, that it is modal over the real frame loop (only the
// prompt hears input, the band still drags, a close ends it), what it looks like, and the
// shell's choice between the system box and this one.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/frame.h"
#include "engine/bitmap_font.h"
#include "engine/headless.h"
#include "screens/skin.h"
#include "test_doubles.h"

namespace kestrel {
namespace {

using testing::RecordingShell;
using Type = PlatformEvent::Type;

constexpr std::uint32_t kScreenColour = 0xFFFFFFFF;

// Paints the whole window one colour, so what the prompt covers and dims is plain to see.
struct PaintedScreen final : ScreenDriver {
    Skin* skin = nullptr;
    int updates = 0;
    bool widgetEverywhere = false;
    int updateScreen(const MouseSample&) override { return ++updates, 0; }
    void drawScreen() override {
        if (skin != nullptr) skin->drawFilledRect(0, 0, 800, 600, kScreenColour);
    }
    bool takesPressAt(int, int) override { return widgetEverywhere; }
};

struct IdleWheel final : WheelActions {
    int firmwareUpdate() override { return 1; }
    int writeConfiguration() override { return 1; }
};

struct Answer {
    Type type;
    int key;
    std::function<PromptRect(const WindowPrompt&)> where;  // for mouse events
};

class WindowPromptTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(engine.initiate());
        ASSERT_TRUE(skin.load());
        // Fonts need the renderer for their glyph texture, so they come after the window.
        small = loadEmbeddedFont("myriad_16s");
        large = loadEmbeddedFont("myriad_20s");
        ASSERT_TRUE(small && large);
        screen.skin = &skin;
        loop.setPromptLook({&skin, small.get(), large.get()});
        loop.setPromptObserver([this](const WindowPrompt& prompt, std::optional<MessageBoxResult> answer) {
            if (answer) return;
            ++shown;
            if (onShown) onShown(prompt);
        });
        engine.hge()->System_SetFuncState(kStateFrameFunc, [this] {
            ++frames;
            if (eachFrame) eachFrame();
            return loop.frameFunction();
        });
        engine.hge()->System_SetFuncState(kStateRenderFunc, [this] { return loop.renderFunction(); });
    }

    void queue(Type type, int key = 0, float x = 0, float y = 0) {
        PlatformEvent event;
        event.type = type;
        event.key = key;
        event.x = x;
        event.y = y;
        engine.platform().queueEvent(event);
    }
    void click(const PromptRect& box) {
        const float x = static_cast<float>(box.x + box.width / 2);
        const float y = static_cast<float>(box.y + box.height / 2);
        queue(Type::kMouseMove, 0, x, y);
        queue(Type::kMouseButtonDown, kKeyLeftButton, x, y);
        queue(Type::kMouseButtonUp, kKeyLeftButton, x, y);
    }
    int windowLeft() {
        int left = 0, top = 0, width = 0, height = 0;
        engine.hge()->System_GetWindowRect(&left, &top, &width, &height);
        return left;
    }

    HeadlessEngine engine;
    Skin skin{*engine.hge(), engine.log()};
    std::unique_ptr<BitmapFont> small;
    std::unique_ptr<BitmapFont> large;
    RecordingShell shell;
    ProgramFlags flags;
    ScreenStates states;
    std::string downloadUrl = "https://example.org/kestrel/download/";
    PaintedScreen screen;
    IdleWheel wheel;
    FrameLoop loop{{*engine.hge(), engine.log(), shell, flags, states, downloadUrl, screen, wheel}};
    int shown = 0;
    int frames = 0;
    std::function<void(const WindowPrompt&)> onShown;
    std::function<void()> eachFrame;
};

// ---- What it says and offers ---------------------------------------------------------------

TEST_F(WindowPromptTest, CarriesTheTextAndButtonsOfTheSystemBoxWithoutItsSpacerLines) {
    const PromptLook look{&skin, small.get(), large.get()};
    const WindowPrompt question(kNewerVersionQuestion, MessageBoxButtons::kYesNo, PromptIcon::Question, look);
    EXPECT_EQ(question.text(), kNewerVersionQuestion);
    EXPECT_EQ(question.lines(), (std::vector<std::string>{"A newer version of this software is available online", " ",
                                                          "Would you like to download it now?"}));
    ASSERT_EQ(question.buttons().size(), 2u);
    EXPECT_STREQ(question.buttons()[0].label, "Yes");
    EXPECT_STREQ(question.buttons()[1].label, "No");
    EXPECT_EQ(question.defaultResult(), MessageBoxResult::kYes);
    EXPECT_EQ(question.cancelResult(), MessageBoxResult::kNo);
    EXPECT_EQ(question.icon(), PromptIcon::Question);

    const WindowPrompt refusal(kAppUpgradeRefusal, MessageBoxButtons::kOk, PromptIcon::Error, look);
    ASSERT_EQ(refusal.buttons().size(), 1u);
    EXPECT_STREQ(refusal.buttons()[0].label, "OK");
    EXPECT_EQ(refusal.defaultResult(), MessageBoxResult::kOk);
    EXPECT_EQ(refusal.cancelResult(), MessageBoxResult::kOk);
    // The texts' own line breaks fit the column, so they are kept as written.
    EXPECT_EQ(refusal.lines().size(), 2u);
}

TEST_F(WindowPromptTest, EveryPromptTextFitsItsColumnAndTheBoxStaysOnScreen) {
    const PromptLook look{&skin, small.get(), large.get()};
    for (const std::string_view text : {kNewerVersionQuestion, kAppUpgradeRefusal, kUpdateFailedText, kUpdateDoneText,
                                        kFirmwareQuestion, kFirmwareRefusal, kWriteFailedText}) {
        const WindowPrompt prompt(text, MessageBoxButtons::kOk, PromptIcon::Information, look);
        for (const std::string& line : prompt.lines())
            EXPECT_LE(small->stringWidth(line.c_str()), prompt_layout::kTextWidth) << line;
        EXPECT_GE(prompt.box().x, 0);
        EXPECT_GE(prompt.box().y, 0);
        EXPECT_LE(prompt.box().x + prompt.box().width, 800);
        EXPECT_LE(prompt.box().y + prompt.box().height, 600);
        for (const PromptButton& button : prompt.buttons()) {
            EXPECT_TRUE(prompt.contains(button.box.x, button.box.y));
            EXPECT_TRUE(prompt.contains(button.box.x + button.box.width - 1, button.box.y + button.box.height - 1));
        }
    }
    // A line wider than the column breaks between words; the words all survive.
    std::string sentence = "controller";
    for (int i = 0; i < 30; ++i) sentence += " controller";
    const WindowPrompt wrapped(sentence, MessageBoxButtons::kOk, PromptIcon::Error, look);
    EXPECT_GT(wrapped.lines().size(), 2u);
    std::string joined;
    for (const std::string& line : wrapped.lines()) {
        EXPECT_LE(small->stringWidth(line.c_str()), prompt_layout::kTextWidth);
        joined += (joined.empty() ? "" : " ") + line;
    }
    EXPECT_EQ(joined, sentence);
    // A text far taller than the window keeps its buttons on screen.
    const WindowPrompt tall(std::string(60, '\n') + "end", MessageBoxButtons::kYesNo, PromptIcon::Question, look);
    EXPECT_LE(tall.buttons().back().box.y + prompt_layout::kButtonHeight, 600);
}

// ---- Answers --------------------------------------------------------------------------------

TEST_F(WindowPromptTest, ReturnAnswersTheDefaultAndEscapeTheCancellingButton) {
    struct Case {
        MessageBoxButtons buttons;
        int key;
        MessageBoxResult expected;
    };
    const Case cases[] = {
        {MessageBoxButtons::kYesNo, kKeyEnter, MessageBoxResult::kYes},
        {MessageBoxButtons::kYesNo, kKeyEscape, MessageBoxResult::kNo},
        {MessageBoxButtons::kOk, kKeyEnter, MessageBoxResult::kOk},
        {MessageBoxButtons::kOk, kKeyEscape, MessageBoxResult::kOk},
    };
    for (const Case& c : cases) {
        // Keys that mean nothing to the prompt change nothing.
        queue(Type::kKeyDown, 'Y');
        queue(Type::kKeyDown, kKeySpace);
        queue(Type::kKeyDown, c.key);
        EXPECT_EQ(loop.showInWindow(kFirmwareQuestion, c.buttons, PromptIcon::Question), c.expected) << c.key;
        EXPECT_EQ(loop.prompt(), nullptr);
    }
    EXPECT_EQ(screen.updates, 0);  // the screen under a prompt hears nothing
}

TEST_F(WindowPromptTest, AClickAnswersOnlyWhereThePressBegan) {
    for (const int index : {0, 1}) {
        onShown = [&](const WindowPrompt& prompt) { click(prompt.buttons()[static_cast<std::size_t>(index)].box); };
        const MessageBoxResult expected = index == 0 ? MessageBoxResult::kYes : MessageBoxResult::kNo;
        EXPECT_EQ(loop.showInWindow(kFirmwareQuestion, MessageBoxButtons::kYesNo, PromptIcon::Question), expected);
    }
    // Pressed on Yes, released on No: no answer, and the prompt waits on.
    onShown = [&](const WindowPrompt& prompt) {
        const PromptRect yes = prompt.buttons()[0].box;
        const PromptRect no = prompt.buttons()[1].box;
        queue(Type::kMouseButtonDown, kKeyLeftButton, static_cast<float>(yes.x + 5), static_cast<float>(yes.y + 5));
        queue(Type::kMouseButtonUp, kKeyLeftButton, static_cast<float>(no.x + 5), static_cast<float>(no.y + 5));
        // A right click on Yes is not an answer either.
        queue(Type::kMouseButtonDown, kKeyRightButton, static_cast<float>(yes.x + 5), static_cast<float>(yes.y + 5));
        queue(Type::kMouseButtonUp, kKeyRightButton, static_cast<float>(yes.x + 5), static_cast<float>(yes.y + 5));
    };
    int promptFrames = 0;
    eachFrame = [&] {
        if (++promptFrames == 20) queue(Type::kKeyDown, kKeyEscape);
    };
    EXPECT_EQ(loop.showInWindow(kFirmwareQuestion, MessageBoxButtons::kYesNo, PromptIcon::Question),
              MessageBoxResult::kNo);
    EXPECT_EQ(promptFrames, 21);  // the Escape queued in frame 20 arrives with the next
}

TEST_F(WindowPromptTest, AKeyHeldFromBeforeThePromptDoesNotAnswerIt) {
    PlatformEvent repeat;
    repeat.type = Type::kKeyDown;
    repeat.key = kKeyEnter;
    repeat.repeat = true;
    engine.platform().queueEvent(repeat);
    int promptFrames = 0;
    eachFrame = [&] {
        if (++promptFrames == 5) queue(Type::kKeyDown, kKeyEscape);
    };
    EXPECT_EQ(loop.showInWindow(kFirmwareQuestion, MessageBoxButtons::kYesNo, PromptIcon::Question),
              MessageBoxResult::kNo);
}

TEST_F(WindowPromptTest, ClosingTheWindowAnswersAsClosingTheBoxAndEndsTheLoopsAroundIt) {
    onShown = [&](const WindowPrompt&) { queue(Type::kCloseRequest); };
    int outerFrames = 0;
    MessageBoxResult answer = MessageBoxResult::kYes;
    engine.hge()->System_SetFuncState(kStateFrameFunc, [&] {
        if (loop.prompt() != nullptr) return loop.frameFunction();
        ++outerFrames;
        answer = loop.showInWindow(kFirmwareQuestion, MessageBoxButtons::kYesNo, PromptIcon::Question);
        return false;
    });
    engine.hge()->System_Start();
    EXPECT_EQ(answer, MessageBoxResult::kNo);
    EXPECT_EQ(outerFrames, 1);
    // With the window closing, a later prompt cannot be shown and gets no answer from the user.
    EXPECT_EQ(loop.showInWindow(kFirmwareRefusal, MessageBoxButtons::kOk, PromptIcon::Error), MessageBoxResult::kOk);
}

// ---- Modal over the screen ------------------------------------------------------------------

TEST_F(WindowPromptTest, IsDrawnOverTheDimmedScreenWhichComesBackAfterwards) {
    std::uint32_t outside = 0;
    std::uint32_t inside = 0;
    int defaultLabelPixels = 0;
    PromptRect yes;
    int promptFrames = 0;
    eachFrame = [&] {
        if (++promptFrames != 3) return;
        const WindowPrompt& prompt = *loop.prompt();
        yes = prompt.buttons()[0].box;
        outside = engine.platform().pixel(5, 595);
        inside = engine.platform().pixel(prompt.box().x + 40, prompt.box().y + prompt.box().height / 2);
        for (int y = yes.y; y < yes.y + yes.height; ++y)
            for (int x = yes.x; x < yes.x + yes.width; ++x)
                if ((engine.platform().pixel(x, y) & 0xFFFFFF) == 0xFFC000) ++defaultLabelPixels;
        queue(Type::kKeyDown, kKeyEscape);
    };
    loop.showInWindow(kFirmwareQuestion, MessageBoxButtons::kYesNo, PromptIcon::Question);
    // Half-dimmed white around the prompt, the dark frame box under it, Yes marked as default.
    EXPECT_NEAR(static_cast<int>(outside & 0xFF), 0x7F, 2);
    EXPECT_LT(static_cast<int>(inside & 0xFF), 0x60);
    EXPECT_GT(defaultLabelPixels, 10);

    eachFrame = nullptr;
    engine.runFrames(2, [&] { loop.frameFunction(); });
    loop.renderFunction();
    EXPECT_EQ(engine.platform().pixel(5, 595), kScreenColour);
    EXPECT_EQ(engine.platform().pixel(yes.x + 2, yes.y + 2), kScreenColour);
}

TEST_F(WindowPromptTest, TheTopBandStillDragsTheWindowButThePromptDoesNot) {
    const int left = windowLeft();
    int promptFrames = 0;
    PromptRect box;
    eachFrame = [&] {
        HeadlessPlatform& platform = engine.platform();
        switch (++promptFrames) {
        case 1:
            box = loop.prompt()->box();
            platform.setCursorScreenPosition(500, 300);
            queue(Type::kMouseMove, 0, 200, 20);
            platform.setMouseButtonHeld(kKeyLeftButton, true);
            break;
        case 3: platform.setCursorScreenPosition(540, 300); break;
        case 5:
            platform.setMouseButtonHeld(kKeyLeftButton, false);
            break;
        case 7:
            // A press on the prompt itself, even moved far, never drags.
            queue(Type::kMouseMove, 0, static_cast<float>(box.x + 5), static_cast<float>(box.y + 5));
            queue(Type::kMouseButtonDown, kKeyLeftButton, static_cast<float>(box.x + 5), static_cast<float>(box.y + 5));
            platform.setMouseButtonHeld(kKeyLeftButton, true);
            break;
        case 9: queue(Type::kMouseMove, 0, 200, 20); platform.setCursorScreenPosition(700, 100); break;
        case 11:
            platform.setMouseButtonHeld(kKeyLeftButton, false);
            queue(Type::kMouseButtonUp, kKeyLeftButton, 200, 20);
            queue(Type::kKeyDown, kKeyEscape);
            break;
        default: break;
        }
    };
    loop.showInWindow(kFirmwareQuestion, MessageBoxButtons::kYesNo, PromptIcon::Question);
    EXPECT_EQ(windowLeft(), left + 40);
}

TEST_F(WindowPromptTest, OnlyTheBandOutsideWidgetsAndThePromptIsDraggable) {
    EXPECT_TRUE(loop.draggableAt(0, 0));
    EXPECT_TRUE(loop.draggableAt(799, 59));
    EXPECT_FALSE(loop.draggableAt(400, 60));
    EXPECT_FALSE(loop.draggableAt(-1, 10));
    EXPECT_FALSE(loop.draggableAt(800, 10));
    screen.widgetEverywhere = true;
    EXPECT_FALSE(loop.draggableAt(400, 10));

    // While a prompt shows, the widgets under it take nothing; the prompt itself is no handle.
    bool bandDraggable = false;
    bool promptDraggable = true;
    onShown = [&](const WindowPrompt& prompt) {
        bandDraggable = loop.draggableAt(400, 10);
        promptDraggable = loop.draggableAt(prompt.box().x + 1, prompt.box().y + 1);
        queue(Type::kKeyDown, kKeyEscape);
    };
    loop.showInWindow(kFirmwareQuestion, MessageBoxButtons::kYesNo, PromptIcon::Question);
    EXPECT_TRUE(bandDraggable);
    EXPECT_FALSE(promptDraggable);
}

// ---- The shell's choice ---------------------------------------------------------------------

struct RecordingFallback final : PromptFallback {
    std::vector<std::string> texts;
    MessageBoxResult answer = MessageBoxResult::kYes;
    MessageBoxResult showInWindow(std::string_view text, MessageBoxButtons, PromptIcon) override {
        texts.emplace_back(text);
        return answer;
    }
};

TEST(PromptRouting, TheSystemBoxComesFirstAndOneThatFailedIsNeverAnAnswer) {
    HeadlessEngine engine;
    ASSERT_TRUE(engine.initiate());
    int systemBoxCalls = 0;
    bool systemBoxWorks = true;
    SdlShell shell(*engine.hge(), [&](std::string_view, MessageBoxButtons, PromptIcon, HGE&) {
        ++systemBoxCalls;
        SystemBoxOutcome outcome;
        outcome.shown = systemBoxWorks;
        outcome.answer = MessageBoxResult::kNo;
        if (!systemBoxWorks) outcome.error = "No message system available";
        return outcome;
    });
    RecordingFallback fallback;
    shell.setFallback(&fallback);

    EXPECT_EQ(shell.ask(kFirmwareQuestion, MessageBoxButtons::kYesNo, PromptIcon::Question), MessageBoxResult::kNo);
    EXPECT_TRUE(fallback.texts.empty());

    systemBoxWorks = false;
    EXPECT_EQ(shell.ask(kFirmwareQuestion, MessageBoxButtons::kYesNo, PromptIcon::Question), MessageBoxResult::kYes);
    EXPECT_EQ(shell.ask(kUpdateDoneText, MessageBoxButtons::kOk, PromptIcon::Information), MessageBoxResult::kYes);
    EXPECT_EQ(fallback.texts, (std::vector<std::string>{std::string(kFirmwareQuestion), std::string(kUpdateDoneText)}));
    EXPECT_EQ(systemBoxCalls, 2);  // not tried again once it failed
    int failureLines = 0;
    for (const std::string& line : engine.log().lines())
        if (line.rfind("MessageBox : ", 0) == 0) ++failureLines;
    EXPECT_EQ(failureLines, 1);
    EXPECT_TRUE(engine.log().contains("MessageBox : No message system available"));
}

}  // namespace
}  // namespace kestrel
