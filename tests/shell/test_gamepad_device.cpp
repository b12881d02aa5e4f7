// The controller device layer with virtual controllers: connection, the
// controller in use, its buttons and axes, removal and the next one taking over.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/gamepad.h"

namespace {

struct Seen {
    std::vector<std::string> events;
};
Seen seen;

void onButton(int b, bool down) { seen.events.push_back("button " + std::to_string(b) + (down ? " down" : " up")); }
void onAxis(int a, float v) { seen.events.push_back("axis " + std::to_string(a) + " " + std::to_string(v)); }

struct VirtualPads : ::testing::Test {
    void SetUp() override
    {
        // No window has the focus in a test: take the events anyway.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        GamepadSink sink;
        sink.button = onButton;
        sink.axis = onAxis;
        ASSERT_TRUE(gamepadInit(sink)) << SDL_GetError();
        seen.events.clear();
    }
    void TearDown() override
    {
        gamepadShutdown();
        SDL_Quit();
    }

    // Delivers what the layer queued, as the window's event pump does.
    static std::string pump()
    {
        testing::internal::CaptureStdout();
        SDL_GameControllerUpdate();
        SDL_Event e;
        while (SDL_PollEvent(&e)) gamepadHandleEvent(e);
        return testing::internal::GetCapturedStdout();
    }
    static int attach(const char* name)
    {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = 15;
        desc.name = name;
        return SDL_JoystickAttachVirtualEx(&desc);
    }
    static SDL_Joystick* joystickAt(int index)
    {
        return SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
    }
};

TEST_F(VirtualPads, TheFirstControllerIsUsedUntilRemovedThenTheNextTakesOver)
{
    EXPECT_EQ(gamepadName(), nullptr);
    int first = attach("First Pad");
    ASSERT_GE(first, 0) << SDL_GetError();
    std::string log = pump();
    ASSERT_NE(gamepadName(), nullptr);
    EXPECT_STREQ(gamepadName(), "First Pad");
    EXPECT_NE(log.find("controller connected: First Pad"), std::string::npos) << log;

    // A second controller connected meanwhile waits.
    int second = attach("Second Pad");
    ASSERT_GE(second, 0);
    pump();
    EXPECT_STREQ(gamepadName(), "First Pad");

    SDL_Joystick* one = joystickAt(first);
    ASSERT_NE(one, nullptr);
    SDL_JoystickSetVirtualButton(one, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualAxis(one, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    pump();
    EXPECT_NE(std::find(seen.events.begin(), seen.events.end(), "button 0 down"), seen.events.end());
    EXPECT_NE(std::find(seen.events.begin(), seen.events.end(), "axis 0 -1.000000"), seen.events.end());

    // The second controller's buttons are not the game's while the first is in use.
    seen.events.clear();
    SDL_JoystickSetVirtualButton(joystickAt(second), SDL_CONTROLLER_BUTTON_B, 1);
    pump();
    EXPECT_TRUE(seen.events.empty());

    // Pulled out with A held and the stick pushed: both are let go.
    seen.events.clear();
    ASSERT_EQ(SDL_JoystickDetachVirtual(first), 0);
    log = pump();
    EXPECT_NE(log.find("controller removed: First Pad"), std::string::npos) << log;
    EXPECT_NE(log.find("controller connected: Second Pad"), std::string::npos) << log;
    EXPECT_NE(std::find(seen.events.begin(), seen.events.end(), "button 0 up"), seen.events.end());
    EXPECT_NE(std::find(seen.events.begin(), seen.events.end(), "axis 0 0.000000"), seen.events.end());
    EXPECT_STREQ(gamepadName(), "Second Pad");

    int secondNow = SDL_NumJoysticks() - 1;
    ASSERT_EQ(SDL_JoystickDetachVirtual(secondNow), 0);
    pump();
    EXPECT_EQ(gamepadName(), nullptr);
}

}  // namespace
