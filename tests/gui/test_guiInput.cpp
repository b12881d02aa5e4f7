// Pointer input through a screen: hover, capture, button looks and commands.
#include <gtest/gtest.h>

#include "gui/guiBuild.h"
#include "shell/input.h"
#include "shell/inputQueue.h"
#include "tests/gui/guiTestKit.h"

namespace {

// A 640 x 480 screen (scale 2 with 8-pixel units) with two buttons in a
// panel: "A" at (20, 20) and "B" at (20, 100), each 100 x 40 pixels.
struct ButtonScreen : ::testing::Test {
    RecordingRenderer renderer;
    RecordingHandler commands{GUIEV_COMMAND, 1};
    GuiScreen* scr = nullptr;
    GuiElem *panel = nullptr, *a = nullptr, *b = nullptr;

    void SetUp() override
    {
        installTestInput();
        registerStandardBehaviours();
        GuiElem* root = namedElem(nullptr, "root");
        panel = placedBox(root, "panel", 0, 0, 640, 480);
        a = newButton(panel, 1, "A", 6.25f, 2.5f, 1, 8);  // 100 x 40 at scale 2
        b = newButton(panel, 2, "B", 6.25f, 2.5f, 1, 8);
        a->x = b->x = GuiLen::pixels(20);
        a->y = GuiLen::pixels(20);
        b->y = GuiLen::pixels(100);
        addHandler(root, &commands, -1);
        scr = new GuiScreen(&renderer, root, 40, 30);
    }
    void TearDown() override
    {
        scr->root->handlers.clear();
        delete scr;
        installTestInput();
    }

    // Which look shows: "normal", "over", "pressed" or "?".
    static std::string look(GuiElem* button)
    {
        std::string shown;
        for (const char* n : {".normal", ".over", ".pressed"})
            if (!findByName(button, n)->isHidden()) shown += n + 1;
        return shown.empty() ? "?" : shown;
    }
    void step() { scr->processInput(); }
};

TEST_F(ButtonScreen, LayoutPutsTheButtonsWhereTheTestExpects)
{
    EXPECT_EQ(scr->scale, 2);
    EXPECT_EQ(hitTest(scr->root, 21, 21), a);
    // The looks are 100 x 40 inside borders of 1/8 unit (2 pixels).
    EXPECT_EQ(hitTest(scr->root, 123, 63), a);
    EXPECT_EQ(hitTest(scr->root, 124, 61), nullptr);
    EXPECT_EQ(hitTest(scr->root, 50, 64), nullptr);
    EXPECT_EQ(hitTest(scr->root, 50, 120), b);
}

TEST_F(ButtonScreen, HoverPressAndReleaseClickTheButton)
{
    pointerMove(50, 40);
    step();
    EXPECT_EQ(scr->hover, a);
    EXPECT_EQ(look(a), "over");
    pointerButton(true);
    step();
    EXPECT_EQ(look(a), "pressed");
    EXPECT_EQ(scr->capture, a);
    pointerButton(false);
    step();
    EXPECT_EQ(look(a), "over");
    ASSERT_EQ(commands.seen.size(), 1u);
    EXPECT_EQ(commands.seen[0].id, 1);
    EXPECT_EQ(commands.seen[0].elem, "root");
    pointerMove(300, 300);
    step();
    EXPECT_EQ(look(a), "normal");
    EXPECT_EQ(scr->hover, nullptr);
}

TEST_F(ButtonScreen, DragOffAndReleaseSendsNothingDragBackOnClicks)
{
    pointerMove(50, 40);
    pointerButton(true);
    pointerMove(300, 300);  // off the button, still held
    step();
    EXPECT_EQ(look(a), "normal");
    pointerButton(false);
    step();
    EXPECT_EQ(look(a), "normal");
    EXPECT_TRUE(commands.seen.empty());

    pointerMove(50, 40);
    pointerButton(true);
    step();
    EXPECT_EQ(look(a), "pressed");
    pointerMove(300, 300);
    step();
    EXPECT_EQ(look(a), "normal");
    pointerMove(60, 45);  // back on before releasing
    step();
    EXPECT_EQ(look(a), "pressed");
    pointerButton(false);
    step();
    EXPECT_EQ(look(a), "over");
    ASSERT_EQ(commands.seen.size(), 1u);
    EXPECT_EQ(commands.seen[0].id, 1);
}

TEST_F(ButtonScreen, DraggingFromOneButtonOntoAnotherLightsNeither)
{
    pointerMove(50, 40);
    pointerButton(true);
    pointerMove(50, 120);  // over B
    step();
    EXPECT_EQ(look(a), "normal");
    EXPECT_EQ(look(b), "normal");
    pointerButton(false);
    step();
    EXPECT_TRUE(commands.seen.empty());
    EXPECT_EQ(look(b), "normal");
}

TEST_F(ButtonScreen, APressOnEmptySpaceCapturesNothing)
{
    pointerMove(400, 400);
    pointerButton(true);
    step();
    EXPECT_TRUE(scr->captureActive);
    EXPECT_EQ(scr->capture, nullptr);
    pointerMove(50, 40);  // dragged over A with the button held
    pointerMove(55, 45);
    step();
    EXPECT_EQ(look(a), "normal");
    EXPECT_EQ(scr->hover, nullptr);
    pointerButton(false);
    step();
    EXPECT_TRUE(commands.seen.empty());
    EXPECT_FALSE(scr->captureActive);
    // Once released, the pointer lights the button again.
    pointerMove(56, 46);
    step();
    EXPECT_EQ(look(a), "over");
}

TEST_F(ButtonScreen, HidingAnAncestorResetsTheButton)
{
    pointerMove(50, 40);
    pointerButton(true);
    step();
    ASSERT_EQ(look(a), "pressed");
    setHidden(panel, true);
    EXPECT_EQ(look(a), "normal");
    EXPECT_EQ(look(b), "normal");
    // A hidden button ignores the release.
    pointerButton(false);
    step();
    EXPECT_TRUE(commands.seen.empty());
    setHidden(panel, false);
    EXPECT_EQ(look(a), "normal");
}

TEST_F(ButtonScreen, KeysAndWheelGoToTheElementUnderThePointer)
{
    RecordingHandler keys(GUIEV_KEY | GUIEV_WHEEL | GUIEV_MOVE, 1);
    addHandler(b, &keys, 0);
    pointerMove(50, 120);
    queueInputEvent(IEV_KEY_DOWN, 'A', false, 0, 0, 0);
    queueInputEvent(IEV_MOUSE_WHEEL, 0, false, 50, 120, -2);
    step();
    ASSERT_EQ(keys.seen.size(), 3u);
    EXPECT_EQ(keys.seen[0].kind, (uint32_t)GUIEV_MOVE);
    EXPECT_EQ(keys.seen[1].kind, (uint32_t)GUIEV_KEY);
    EXPECT_EQ(keys.seen[2].kind, (uint32_t)GUIEV_WHEEL);
    b->handlers.remove(0, 1);
}

// A button nested three levels below the root.
struct NestedButton : ButtonScreen {
    GuiElem *lvl1 = nullptr, *lvl2 = nullptr, *deep = nullptr;
    void SetUp() override
    {
        ButtonScreen::SetUp();
        lvl1 = placedBox(panel, "lvl1", 300, 200, 200, 200);
        lvl2 = placedBox(lvl1, "lvl2", 0, 0, 200, 200);
        deep = newButton(lvl2, 7, "Deep", 6.25f, 2.5f, 1, 8);
        scr->updateLayout();
    }
    void click()
    {
        pointerMove(320, 210);
        pointerButton(true);
        step();
        pointerButton(false);
        step();
    }
};

TEST_F(NestedButton, ACommandBubblesToTheRoot)
{
    click();
    ASSERT_EQ(commands.seen.size(), 1u);
    EXPECT_EQ(commands.seen[0].id, 7);
}

TEST_F(NestedButton, AnIntermediateHandlerThatAnswersStopsIt)
{
    RecordingHandler stopper(GUIEV_COMMAND, 1);
    addHandler(lvl1, &stopper, 0);
    click();
    ASSERT_EQ(stopper.seen.size(), 1u);
    EXPECT_EQ(stopper.seen[0].id, 7);
    EXPECT_TRUE(commands.seen.empty());
    lvl1->handlers.clear();
}

TEST_F(NestedButton, AnIntermediateHandlerThatPassesLetsItThrough)
{
    RecordingHandler watcher(GUIEV_COMMAND, 0);
    addHandler(lvl2, &watcher, 0);
    click();
    EXPECT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(commands.seen.size(), 1u);
    lvl2->handlers.clear();
}

using ButtonScreenDeathTest = ButtonScreen;

TEST_F(ButtonScreenDeathTest, AnUnknownInputTypeIsFatal)
{
    InputEvent rec;
    rec.kind = 7;
    GuiInputEvent ev(rec);
    EXPECT_EXIT(scr->dispatchInput(&ev, a), ::testing::ExitedWithCode(100), "unknown input event type");
}

}  // namespace
