// The controller's per-step state, what the actions read from it, and the
// input script's controller events.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/vkeys.h"
#include "shell/actions.h"
#include "shell/automation.h"
#include "shell/gamepad.h"
#include "shell/input.h"
#include "shell/inputQueue.h"

namespace {

struct PadFixture : ::testing::Test {
    void SetUp() override
    {
        InputPlatform p;
        p.backBufferSize = [](int* w, int* h) {
            *w = 640;
            *h = 360;
        };
        setInputPlatform(p);
        resetPadState();
        clearInput();
        initInput(0, 0);
        for (int k = 1; k < 256; k++) setKeyLive(k, false);
        resetActionBindings();
    }
    void TearDown() override
    {
        resetPadState();
        clearInput();
    }
};

float aimX()
{
    float x, y;
    padAimDirection(&x, &y);
    return x;
}
float aimY()
{
    float x, y;
    padAimDirection(&x, &y);
    return y;
}

TEST_F(PadFixture, ButtonsAreHeldAndPressedOncePerStep)
{
    padButton(PAD_A, true);
    EXPECT_TRUE(padHeld(PAD_A));
    EXPECT_TRUE(padPressed(PAD_A));
    padEndStep();
    // A second "down" for a held button (a repeated event) is no new press.
    padButton(PAD_A, true);
    EXPECT_FALSE(padPressed(PAD_A));
    EXPECT_TRUE(padHeld(PAD_A));
    padButton(PAD_A, false);
    EXPECT_TRUE(padReleased(PAD_A));
    EXPECT_FALSE(padHeld(PAD_A));
    // Down and up within one step: both seen by that step, nothing held after.
    padEndStep();
    padButton(PAD_START, true);
    padButton(PAD_START, false);
    EXPECT_TRUE(padPressed(PAD_START));
    EXPECT_TRUE(padReleased(PAD_START));
    EXPECT_FALSE(padHeld(PAD_START));
    // Out-of-range buttons and axes change nothing and read as nothing.
    padButton(-1, true);
    padButton(PAD_BUTTON_COUNT, true);
    padAxis(PAD_AXIS_COUNT, 1);
    EXPECT_FALSE(padHeld(PAD_STICK_LEFT));
    EXPECT_FALSE(padHeld(PAD_INPUT_COUNT));
    EXPECT_EQ(padAxisValue(-1), 0.0f);
}

TEST_F(PadFixture, AxesAreClampedToTheirRangeAndNaNIsCentred)
{
    padAxis(PAD_LEFTX, 3);
    EXPECT_EQ(padAxisValue(PAD_LEFTX), 1.0f);
    padAxis(PAD_LEFTX, -7);
    EXPECT_EQ(padAxisValue(PAD_LEFTX), -1.0f);
    padAxis(PAD_LEFTX, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(padAxisValue(PAD_LEFTX), 0.0f);
    padAxis(PAD_RIGHTTRIGGER, -0.5f);
    EXPECT_EQ(padAxisValue(PAD_RIGHTTRIGGER), 0.0f);
    padAxis(PAD_RIGHTTRIGGER, std::numeric_limits<float>::infinity());
    EXPECT_EQ(padAxisValue(PAD_RIGHTTRIGGER), 1.0f);
}

TEST_F(PadFixture, SticksAndTriggerPastHalfWayActLikeButtons)
{
    padAxis(PAD_LEFTX, -0.4f);
    EXPECT_FALSE(padHeld(PAD_STICK_LEFT));
    padAxis(PAD_LEFTX, -0.6f);
    EXPECT_TRUE(padPressed(PAD_STICK_LEFT));
    padAxis(PAD_LEFTY, 0.9f);
    EXPECT_TRUE(padHeld(PAD_STICK_DOWN));
    EXPECT_FALSE(padHeld(PAD_STICK_UP));
    padEndStep();
    padAxis(PAD_LEFTX, 0);
    EXPECT_TRUE(padReleased(PAD_STICK_LEFT));
    padAxis(PAD_RIGHTTRIGGER, 0.49f);
    EXPECT_FALSE(padHeld(PAD_RIGHTTRIGGER_PULLED));
    padAxis(PAD_RIGHTTRIGGER, 0.5f);
    EXPECT_TRUE(padPressed(PAD_RIGHTTRIGGER_PULLED));
}

TEST_F(PadFixture, WalkingIsAnalogBeyondTheDeadZoneAndTheDpadIsFull)
{
    padAxis(PAD_LEFTX, 0.2f);
    EXPECT_EQ(padWalkAxis(), 0.0f);
    padAxis(PAD_LEFTX, -0.25f);
    EXPECT_EQ(padWalkAxis(), 0.0f);
    // Starts from zero at the dead zone's edge (no jump to a quarter speed).
    padAxis(PAD_LEFTX, 0.3f);
    EXPECT_GT(padWalkAxis(), 0.0f);
    EXPECT_LT(padWalkAxis(), 0.1f);
    padAxis(PAD_LEFTX, -0.625f);
    EXPECT_FLOAT_EQ(padWalkAxis(), -0.5f);
    padAxis(PAD_LEFTX, 1);
    EXPECT_FLOAT_EQ(padWalkAxis(), 1.0f);
    // The d-pad is a full step whatever the stick does.
    padButton(PAD_DPLEFT, true);
    EXPECT_EQ(padWalkAxis(), -1.0f);
    padButton(PAD_DPRIGHT, true);
    padAxis(PAD_LEFTX, 0);
    EXPECT_EQ(padWalkAxis(), 0.0f);  // both ways at once cancel
}

TEST_F(PadFixture, TheRightStickAimsAndKeepsItsLastFirmDirection)
{
    padAxis(PAD_RIGHTX, 0.2f);
    EXPECT_FALSE(padAiming());
    // Up on the stick (negative y) is up in the world.
    padAxis(PAD_RIGHTX, 0.6f);
    padAxis(PAD_RIGHTY, -0.8f);
    EXPECT_TRUE(padAiming());
    EXPECT_FLOAT_EQ(aimX(), 0.6f);
    EXPECT_FLOAT_EQ(aimY(), 0.8f);
    // Let go one axis at a time within a step: still the same direction.
    padAxis(PAD_RIGHTX, 0);
    padAxis(PAD_RIGHTY, 0);
    EXPECT_TRUE(padAiming());
    EXPECT_FLOAT_EQ(aimX(), 0.6f);
    EXPECT_FLOAT_EQ(aimY(), 0.8f);
}

TEST_F(PadFixture, OnlyARealPointerMoveHandsTheAimBack)
{
    EXPECT_FALSE(padInUse());
    padAxis(PAD_LEFTY, 0.1f);  // a resting stick's drift is no use
    EXPECT_FALSE(padInUse());
    padAxis(PAD_RIGHTX, -1);
    EXPECT_TRUE(padAiming());
    EXPECT_TRUE(padInUse());
    padAxis(PAD_RIGHTX, 0);
    // A move event to where the pointer already is (a warp's echo) is not a move.
    queueInputEvent(IEV_MOUSE_MOVE, 0, false, 0, 0, 0);
    EXPECT_TRUE(padAiming());
    queueInputEvent(IEV_MOUSE_MOVE, 0, false, 5, 0, 0);
    EXPECT_FALSE(padAiming());
    EXPECT_FALSE(padInUse());
    padButton(PAD_B, true);
    EXPECT_TRUE(padInUse());
    EXPECT_FLOAT_EQ(aimX(), -1.0f);  // the direction is kept for the next time
    // A stick still pushed takes the aim back at once.
    padAxis(PAD_RIGHTY, 1);
    queueInputEvent(IEV_MOUSE_MOVE, 0, false, 9, 9, 0);
    EXPECT_TRUE(padAiming());
    EXPECT_FLOAT_EQ(aimY(), -1.0f);
}

TEST_F(PadFixture, TheControllerFeedsTheActions)
{
    padButton(PAD_A, true);
    EXPECT_TRUE(actionPressed(ACTION_JUMP));
    padButton(PAD_START, true);
    EXPECT_TRUE(actionPressed(ACTION_PAUSE));
    EXPECT_FALSE(actionHeld(ACTION_FIRE));
    padAxis(PAD_LEFTTRIGGER, 1);
    EXPECT_FALSE(actionHeld(ACTION_FIRE));  // the left trigger does not fire
    padAxis(PAD_RIGHTTRIGGER, 0.8f);
    EXPECT_TRUE(actionPressed(ACTION_FIRE));
    clearInput();  // the end of a step clears the controller's pressed bits too
    EXPECT_FALSE(actionPressed(ACTION_FIRE));
    EXPECT_TRUE(actionHeld(ACTION_FIRE));
    padAxis(PAD_RIGHTTRIGGER, 0);
    EXPECT_TRUE(actionReleased(ACTION_FIRE));
    padButton(PAD_RIGHTSHOULDER, true);
    EXPECT_TRUE(actionHeld(ACTION_FIRE));
    EXPECT_FALSE(actionHeld(ACTION_SCREENSHOT));
}

TEST_F(PadFixture, KeysAndStickAddUpToAtMostFullSpeed)
{
    padAxis(PAD_LEFTX, -0.625f);
    EXPECT_FLOAT_EQ(actionMoveAxis(), -0.5f);
    EXPECT_TRUE(actionHeld(ACTION_LEFT));
    setKeyLive('A', true);
    EXPECT_EQ(actionMoveAxis(), -1.0f);
    setKeyLive('A', false);
    setKeyLive('D', true);
    EXPECT_FLOAT_EQ(actionMoveAxis(), 0.5f);
    padAxis(PAD_LEFTX, 1);
    EXPECT_EQ(actionMoveAxis(), 1.0f);
}

TEST(PadScript, ControllerEventsParseByTheirStandardNames)
{
    std::vector<ScriptedEvent> ev;
    std::string err;
    ASSERT_TRUE(
        parseInputScript("3 padbutton dpright down\n1 padaxis lefty -0.5\n2 padaxis righttrigger 1\n"
                         "4 padbutton a up\n5 padaxis rightx -1e0\n",
                         "pad.txt", &ev, &err))
        << err;
    ASSERT_EQ(ev.size(), 5u);
    EXPECT_EQ(ev[0].kind, SCRIPT_PAD_AXIS);
    EXPECT_EQ(ev[0].code, PAD_LEFTY);
    EXPECT_EQ(ev[0].x, -0.5f);
    EXPECT_EQ(ev[1].code, PAD_RIGHTTRIGGER);
    EXPECT_EQ(ev[2].kind, SCRIPT_PAD_BUTTON);
    EXPECT_EQ(ev[2].code, PAD_DPRIGHT);
    EXPECT_TRUE(ev[2].down);
    EXPECT_EQ(ev[3].code, PAD_A);
    EXPECT_FALSE(ev[3].down);
    EXPECT_EQ(ev[4].x, -1.0f);
    for (int b = 0; b < PAD_BUTTON_COUNT; b++) EXPECT_EQ(padButtonFromName(padButtonName(b)), b);
    for (int a = 0; a < PAD_AXIS_COUNT; a++) EXPECT_EQ(padAxisFromName(padAxisName(a)), a);
}

TEST(PadScript, BadControllerEventsAreRefusedWithFileAndLine)
{
    const char* bad[] = {
        "1 padbutton A down",           // names are lower case, as in mapping strings
        "1 padbutton south down",       // not a button name
        "1 padbutton a pressed",        // down or up only
        "1 padbutton a",                // missing state
        "1 padbutton a down extra",     // too many words
        "1 padaxis leftx",              // missing value
        "1 padaxis leftx 1.5",          // beyond the stick
        "1 padaxis lefty -1.01",        // beyond the stick
        "1 padaxis righttrigger -0.5",  // triggers do not go negative
        "1 padaxis leftx nan",          // not a number
        "1 padaxis leftx inf",          // not finite
        "1 padaxis leftx 0x1",          // not decimal
        "1 padaxis leftz 0",            // not an axis
        "1 padaxis a 0",                // a button is not an axis
    };
    for (const char* line : bad) {
        std::vector<ScriptedEvent> ev;
        std::string err;
        std::string text = std::string("0 padbutton a down\n") + line + "\n";
        EXPECT_FALSE(parseInputScript(text, "pad.txt", &ev, &err)) << line;
        EXPECT_EQ(err.rfind("pad.txt:2: ", 0), 0u) << err;
    }
}

}  // namespace
