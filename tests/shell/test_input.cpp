#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/vkeys.h"
#include "shell/input.h"
#include "shell/inputQueue.h"

namespace {

struct InputFixture : ::testing::Test {
    static inline int warps = 0;
    static inline int lastWarpX = -1, lastWarpY = -1;
    void SetUp() override
    {
        InputPlatform p;
        p.warpMouse = [](int x, int y) {
            warps++;
            lastWarpX = x;
            lastWarpY = y;
        };
        p.backBufferSize = [](int* w, int* h) {
            *w = 640;
            *h = 360;
        };
        setInputPlatform(p);
        clearInput();
        initInput(10, 20);
        for (int k = 1; k < 256; k++) setKeyLive(k, false);
        setToggleKeys(false, false, false);
        warps = 0;
    }
    void TearDown() override
    {
        clearInput();
        setInputPlatform(InputPlatform());
    }
    std::vector<InputEvent> drain()
    {
        std::vector<InputEvent> v;
        InputEvent e;
        while (takeEvent(&e)) v.push_back(e);
        return v;
    }
};

}  // namespace

TEST_F(InputFixture, RepeatedKeyDownSetsTheBitOnceButUpdatesLastKey)
{
    setKeyLive('A', true);
    queueInputEvent(IEV_KEY_DOWN, 'A', false, 0, 0, 0);
    EXPECT_TRUE(keyPressed('A'));
    clearInput();
    queueInputEvent(IEV_KEY_DOWN, 'A', true, 0, 0, 0);  // auto-repeat in the next step
    EXPECT_FALSE(keyPressed('A'));
    EXPECT_EQ(getLastKeyCode(), 'A');
    EXPECT_EQ(getLastKeyChar(), 'a');
    auto ev = drain();
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].modifiers & MOD_REPEAT, MOD_REPEAT);
    EXPECT_EQ(ev[0].x, 10);  // key events carry the pointer position
    EXPECT_EQ(ev[0].y, 20);
    EXPECT_TRUE(keyHeld('A'));
    setKeyLive('A', false);
    queueInputEvent(IEV_KEY_UP, 'A', false, 0, 0, 0);
    EXPECT_TRUE(keyReleased('A'));
    EXPECT_FALSE(keyHeld('A'));
}

TEST_F(InputFixture, ModifiersAndCharacterTranslation)
{
    setKeyLive(VK_SHIFT, true);
    setKeyLive('1', true);
    queueInputEvent(IEV_KEY_DOWN, '1', false, 0, 0, 0);
    setKeyLive(VK_CAPITAL, true);  // pressing Caps Lock toggles it on
    setKeyLive(VK_CAPITAL, false);
    setKeyLive(VK_SHIFT, false);
    queueInputEvent(IEV_KEY_DOWN, 'Q', false, 0, 0, 0);
    auto ev = drain();
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0].character, '!');
    EXPECT_EQ(ev[0].modifiers & (MOD_SHIFT | MOD_CAPSLOCK), MOD_SHIFT);
    EXPECT_EQ(ev[1].character, 'Q');
    EXPECT_EQ(ev[1].modifiers & (MOD_SHIFT | MOD_CAPSLOCK), MOD_CAPSLOCK);
}

TEST_F(InputFixture, WheelAndClampedPositions)
{
    queueInputEvent(IEV_MOUSE_WHEEL, 0, false, 5, 5, -2);  // a delta of -240
    queueInputEvent(IEV_MOUSE_MOVE, 0, false, 900, -4, 0);
    EXPECT_EQ(getWheelTotal(), -2);
    EXPECT_EQ(getMousePosition().x, 639);
    EXPECT_EQ(getMousePosition().y, 0);
    auto ev = drain();
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0].wheel, -2);
    EXPECT_EQ(ev[0].kind, IEV_MOUSE_WHEEL);
}

TEST_F(InputFixture, DragEndingOutsideReportsLastInsidePosition)
{
    queueInputEvent(IEV_MOUSE_MOVE, 0, false, 100, 50, 0);
    setKeyLive(VK_LBUTTON, true);
    queueInputEvent(IEV_MOUSE_DOWN, 1, false, 100, 50, 0);
    EXPECT_TRUE(isMouseCaptured());
    EXPECT_TRUE(keyPressed(VK_LBUTTON));
    setKeyLive(VK_LBUTTON, false);
    queueInputEvent(IEV_MOUSE_UP, 1, false, 2000, 900, 0);  // released far outside
    EXPECT_FALSE(isMouseCaptured());
    EXPECT_TRUE(keyReleased(VK_LBUTTON));
    EXPECT_EQ(warps, 1);
    EXPECT_EQ(lastWarpX, 100);
    EXPECT_EQ(lastWarpY, 50);
    auto ev = drain();
    ASSERT_EQ(ev.size(), 3u);
    EXPECT_EQ(ev[2].x, 100);
    EXPECT_EQ(ev[2].y, 50);
    EXPECT_EQ(ev[1].modifiers & MOD_LBUTTON, MOD_LBUTTON);
    EXPECT_EQ(getLastKeyCode(), 1);
}

TEST_F(InputFixture, ClearInputDropsQueueAndStepValues)
{
    queueInputEvent(IEV_KEY_DOWN, 'W', false, 0, 0, 0);
    queueInputEvent(IEV_MOUSE_WHEEL, 0, false, 0, 0, 3);
    clearInput();
    InputEvent e;
    EXPECT_FALSE(takeEvent(&e));
    EXPECT_FALSE(keyPressed('W'));
    EXPECT_EQ(getWheelTotal(), 0);
    EXPECT_EQ(getLastKeyCode(), 0);
    // Events queued after a clear form a fresh queue in order.
    queueInputEvent(IEV_KEY_DOWN, 'X', false, 0, 0, 0);
    queueInputEvent(IEV_KEY_DOWN, 'Y', false, 0, 0, 0);
    auto ev = drain();
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0].code, 'X');
    EXPECT_EQ(ev[1].code, 'Y');
}

TEST_F(InputFixture, ModifierSidesAreTrackedApart)
{
    // Releasing one Shift while the other is held keeps Shift held.
    setKeyLive(VK_LSHIFT, true);
    setKeyLive(VK_RSHIFT, true);
    setKeyLive(VK_LSHIFT, false);
    EXPECT_TRUE(keyHeld(VK_SHIFT));
    EXPECT_TRUE(keyHeld(VK_RSHIFT));
    EXPECT_FALSE(keyHeld(VK_LSHIFT));
    setKeyLive(VK_RSHIFT, false);
    EXPECT_FALSE(keyHeld(VK_SHIFT));

    // Ctrl+F4 stays possible after the other Ctrl was let go.
    setKeyLive(VK_RCONTROL, true);
    setKeyLive(VK_LCONTROL, true);
    setKeyLive(VK_LCONTROL, false);
    EXPECT_TRUE(keyHeld(VK_CONTROL));
    EXPECT_EQ(liveKeyboardState()[VK_CONTROL], 0x80);
    setKeyLive(VK_RCONTROL, false);

    // A side-less key (scripts, tests) stands for the left one.
    setKeyLive(VK_MENU, true);
    EXPECT_TRUE(keyHeld(VK_LMENU));
    setKeyLive(VK_RMENU, true);
    setKeyLive(VK_MENU, false);
    EXPECT_TRUE(keyHeld(VK_MENU));
    setKeyLive(VK_RMENU, false);
    EXPECT_FALSE(keyHeld(VK_MENU));
}

TEST_F(InputFixture, NotANumberPositionsClampToZero)
{
    float nan = std::numeric_limits<float>::quiet_NaN();
    queueInputEvent(IEV_MOUSE_MOVE, 0, false, nan, nan, 0);
    EXPECT_EQ(getMousePosition().x, 0);
    EXPECT_EQ(getMousePosition().y, 0);
    queueInputEvent(IEV_MOUSE_DOWN, 1, false, nan, 5, 0);
    queueInputEvent(IEV_MOUSE_UP, 1, false, nan, nan, 0);
    EXPECT_EQ(lastWarpX, 0);
    EXPECT_EQ(lastWarpY, 0);
    for (const InputEvent& e : drain()) {
        EXPECT_FALSE(std::isnan(e.x));
        EXPECT_FALSE(std::isnan(e.y));
    }
}
