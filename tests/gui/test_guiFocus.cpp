// The controller's focus on a screen: moving between buttons, choosing,
// backing out, repeating while held, and handing over to the pointer.
#include <gtest/gtest.h>

#include <algorithm>

#include "gui/guiBuild.h"
#include "shell/gamepad.h"
#include "shell/input.h"
#include "shell/window.h"
#include "tests/gui/guiTestKit.h"

namespace {

constexpr int BACK = 99;

// A 640 x 480 screen (scale 2) with four 100 x 40 buttons in a square:
// tl (20, 20), tr (300, 20), bl (20, 200), br (300, 200), and a fifth, "low",
// at (300, 400).
struct FocusScreen : ::testing::Test {
    RecordingRenderer renderer;
    RecordingHandler commands{GUIEV_COMMAND, 1};
    GuiScreen* scr = nullptr;
    GuiElem *tl, *tr, *bl, *br, *low;

    GuiElem* button(GuiElem* parent, int id, const char* name, float x, float y)
    {
        GuiElem* b = newButton(parent, id, name, 6.25f, 2.5f, 1, 8);
        b->name.assign(name);
        b->x = GuiLen::pixels(x);
        b->y = GuiLen::pixels(y);
        return b;
    }
    void SetUp() override
    {
        installTestInput();
        resetPadState();
        registerStandardBehaviours();
        GuiElem* root = namedElem(nullptr, "root");
        GuiElem* panel = placedBox(root, "panel", 0, 0, 640, 480);
        // Each button in a box of its own, so their positions do not stack.
        auto cellAt = [&](int id, const char* name, float x, float y) {
            return button(placedBox(panel, "cell", 0, 0, 640, 480), id, name, x, y);
        };
        tl = cellAt(1, "tl", 20, 20);
        tr = cellAt(2, "tr", 300, 20);
        bl = cellAt(3, "bl", 20, 200);
        br = cellAt(4, "br", 300, 200);
        low = cellAt(5, "low", 300, 400);
        addHandler(root, &commands, -1);
        scr = new GuiScreen(&renderer, root, 40, 30);
    }
    void TearDown() override
    {
        scr->root->handlers.clear();
        delete scr;
        resetPadState();
        installTestInput();
    }

    // One screen update, then the end of the step.
    void step()
    {
        scr->processInput();
        clearInput();
    }
    void tap(int padButtonCode)
    {
        padButton(padButtonCode, true);
        step();
        padButton(padButtonCode, false);
        step();
    }
    static bool looksOver(GuiElem* button) { return !findByName(button, ".over")->isHidden(); }
    std::vector<int> commandIds()
    {
        std::vector<int> ids;
        for (auto& s : commands.seen) ids.push_back(s.id);
        return ids;
    }
};

TEST_F(FocusScreen, TheDpadMovesTheFocusToTheNearestButtonThatWay)
{
    EXPECT_EQ(scr->focus, nullptr);
    // The first press shows the focus on the first button instead of moving.
    tap(PAD_DPDOWN);
    EXPECT_EQ(scr->focus, tl);
    EXPECT_TRUE(looksOver(tl));
    tap(PAD_DPRIGHT);
    EXPECT_EQ(scr->focus, tr);
    EXPECT_FALSE(looksOver(tl));
    EXPECT_TRUE(looksOver(tr));
    tap(PAD_DPDOWN);
    EXPECT_EQ(scr->focus, br);
    tap(PAD_DPDOWN);
    EXPECT_EQ(scr->focus, low);
    // Nothing further down: the focus stays.
    tap(PAD_DPDOWN);
    EXPECT_EQ(scr->focus, low);
    // Left from "low": bl is up and to the left, the only button that way.
    tap(PAD_DPLEFT);
    EXPECT_EQ(scr->focus, bl);
    tap(PAD_DPUP);
    EXPECT_EQ(scr->focus, tl);
    EXPECT_TRUE(commands.seen.empty());
}

TEST_F(FocusScreen, ASendsTheFocusedButtonsCommandAndBTheBackCommand)
{
    // A without a focus only shows it.
    tap(PAD_A);
    EXPECT_EQ(scr->focus, tl);
    EXPECT_TRUE(commands.seen.empty());
    tap(PAD_DPRIGHT);
    tap(PAD_A);
    EXPECT_EQ(commandIds(), std::vector<int>({2}));
    EXPECT_EQ(commands.seen[0].elem, "root");  // bubbled up like a click's
    // B does nothing on a screen without a back action...
    tap(PAD_B);
    EXPECT_EQ(commands.seen.size(), 1u);
    // ... and sends it on one that has one, focus or not.
    scr->backCommand = BACK;
    scr->setFocus(nullptr);
    tap(PAD_B);
    EXPECT_EQ(commandIds(), std::vector<int>({2, BACK}));
}

TEST_F(FocusScreen, HiddenButtonsAreSkippedAndAHiddenFocusMovesToTheNearest)
{
    setHidden(tr, true);
    tap(PAD_DPDOWN);
    tap(PAD_DPRIGHT);
    // tr is hidden: right from tl goes on to br.
    EXPECT_EQ(scr->focus, br);
    // The focused button goes away (its own command hid it): the nearest one takes over.
    setHidden(br, true);
    step();
    EXPECT_EQ(scr->focus, low);
    EXPECT_TRUE(looksOver(low));
    setHidden(low->parent, true);  // hidden through an ancestor
    step();
    EXPECT_EQ(scr->focus, bl);
    tap(PAD_A);
    EXPECT_EQ(commandIds(), std::vector<int>({3}));
}

TEST_F(FocusScreen, AHeldStickMovesOnceThenRepeatsAfterADelay)
{
    // Down the right-hand column: tr, br, low.
    tap(PAD_DPDOWN);
    tap(PAD_DPRIGHT);
    ASSERT_EQ(scr->focus, tr);
    padAxis(PAD_LEFTY, 0.9f);
    step();
    EXPECT_EQ(scr->focus, br);  // at once
    for (int i = 0; i < 7; i++) step();
    EXPECT_EQ(scr->focus, br);  // still waiting
    step();
    EXPECT_EQ(scr->focus, low);  // the first repeat
    padAxis(PAD_LEFTY, -0.9f);   // the other way: at once again
    step();
    EXPECT_EQ(scr->focus, br);
    padAxis(PAD_LEFTY, 0.1f);  // back in the middle: no movement
    for (int i = 0; i < 12; i++) step();
    EXPECT_EQ(scr->focus, br);
}

TEST_F(FocusScreen, ThePointerTakesOverFromTheFocusWhenItMoves)
{
    pointerMove(50, 40);  // over tl
    step();
    EXPECT_EQ(scr->hover, tl);
    tap(PAD_DPDOWN);
    tap(PAD_DPDOWN);
    EXPECT_EQ(scr->focus, bl);
    // One lit button at a time: the focus took the light from the hovered one.
    EXPECT_FALSE(looksOver(tl));
    EXPECT_TRUE(looksOver(bl));
    // A key does not bring back the light under a resting pointer.
    windowKeyDown('X', false);
    windowKeyUp('X');
    step();
    EXPECT_FALSE(looksOver(tl));
    EXPECT_EQ(scr->focus, bl);
    // A move to the same place (an echo) neither.
    pointerMove(50, 40);
    step();
    EXPECT_EQ(scr->focus, bl);
    pointerMove(52, 41);
    step();
    EXPECT_EQ(scr->focus, nullptr);
    EXPECT_EQ(scr->hover, tl);
    EXPECT_TRUE(looksOver(tl));
    EXPECT_FALSE(looksOver(bl));
}

TEST_F(FocusScreen, TheFocusIsFramedInYellowClearOfTheButton)
{
    auto frameFills = [&] {
        renderer.calls.clear();
        scr->render();
        return std::count_if(renderer.calls.begin(), renderer.calls.end(),
                             [](const std::string& c) { return c.find("FFFFF000") != std::string::npos; });
    };
    EXPECT_EQ(frameFills(), 0);
    tap(PAD_DPDOWN);
    EXPECT_EQ(frameFills(), 4);
    // Drawn after the buttons, around tl's box (its looks' borders are 2
    // pixels: the frame is 4 thick, 2 clear of it).
    const GuiRect& b = tl->boxRect;
    char top[96];
    snprintf(top, sizeof(top), "fill %g %g %g %g FFFFF000", b.left - 6, b.top - 6, b.right + 6, b.top - 2);
    EXPECT_NE(std::find(renderer.calls.begin(), renderer.calls.end(), std::string(top)), renderer.calls.end()) << top;
    setHidden(tl, true);
    scr->focus = tl;  // a stale focus is not drawn
    EXPECT_EQ(frameFills(), 0);
}

}  // namespace
