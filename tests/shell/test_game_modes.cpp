#include <gtest/gtest.h>

#include <string>

#include "game/gameMode.h"

namespace {

std::string trace;

struct TestMode : GameMode {
    const char* id;
    GameMode* switchToOnUpdate = nullptr;
    explicit TestMode(const char* n) : id(n) {}
    void enter(GameMode* prev) override
    {
        trace += std::string("enter ") + id + "<" + (prev ? static_cast<TestMode*>(prev)->id : "none") + " ";
    }
    void leave(GameMode* next) override
    {
        trace += std::string("leave ") + id + ">" + (next ? static_cast<TestMode*>(next)->id : "none") + " ";
    }
    void update(float) override
    {
        if (switchToOnUpdate) switchGameMode(switchToOnUpdate);
        trace += std::string("after-switch-in ") + id + " ";
    }
    void render(float) override {}
    void renderOverlay(float) override {}
    void onResize() override {}
    const char* name() const override { return id; }
};

}  // namespace

TEST(GameModes, SwitchLeavesThenEnters)
{
    TestMode a("A"), b("B");
    trace.clear();
    currentGameMode = nullptr;
    switchGameMode(&a);
    switchGameMode(&a);  // the current mode: nothing happens
    switchGameMode(&b);
    switchGameMode(nullptr);
    EXPECT_EQ(trace, "enter A<none leave A>B enter B<A leave B>none ");
    EXPECT_EQ(currentGameMode, nullptr);
}

TEST(GameModes, SwitchInsideUpdateTakesEffectAtOnceAndTheCallerContinues)
{
    TestMode a("A"), b("B"), c("C");
    currentGameMode = &a;
    a.switchToOnUpdate = &b;
    trace.clear();
    a.update(0.05f);
    EXPECT_EQ(currentGameMode, &b);
    EXPECT_EQ(trace, "leave A>B enter B<A after-switch-in A ");
    // Two switches in one step: the last one wins.
    b.switchToOnUpdate = &c;
    a.switchToOnUpdate = nullptr;
    trace.clear();
    currentGameMode->update(0.05f);
    switchGameMode(&a);
    EXPECT_EQ(currentGameMode, &a);
    currentGameMode = nullptr;
}
