#include <gtest/gtest.h>

#include "shell/automation.h"
#include "shell/input.h"
#include "shell/stateDump.h"
#include "tests/test_util.h"

TEST(JsonWriter, NestedValuesAndEscapes)
{
    JsonWriter j;
    j.beginObject();
    j.field("a", 1);
    j.field("s", "q\"\\\n");
    j.beginArray("list");
    j.value((int64_t)1);
    j.value(2.5);
    j.beginObject();
    j.endObject();
    j.endArray();
    j.beginObject("o");
    j.field("t", true);
    j.key("n");
    j.null();
    j.endObject();
    j.endObject();
    EXPECT_EQ(j.text(), "{\"a\":1,\"s\":\"q\\\"\\\\\\u000a\",\"list\":[1,2.5,{}],\"o\":{\"t\":true,\"n\":null}}");
}

TEST(StateDump, WritesBaseKeysAndSections)
{
    TempDir dir;
    addStateDumpSection([](JsonWriter& j) { j.field("extra", 7); });
    ASSERT_TRUE(writeStateDump(dir.file("s.json").c_str(), "PlayGameMode", 100, 0xABCDEFull));
    EXPECT_EQ(readFileBytes(dir.file("s.json")),
              "{\"mode\":\"PlayGameMode\",\"steps\":100,\"random_state\":\"0000000000abcdef\",\"extra\":7}\n");
    EXPECT_FALSE(writeStateDump("/nonexistent-dir/x.json", nullptr, 0, 0));
}

TEST(InputScript, ParsesEventsInStepOrder)
{
    std::vector<ScriptedEvent> ev;
    std::string err;
    ASSERT_TRUE(
        parseInputScript("# walk right\n5 keyup D\n0 keydown d\n\n3 mousemove 10 20.5\n3 mousedown left\n"
                         "4 wheel -2\n4 keydown SPACE # jump\n",
                         "in.txt", &ev, &err))
        << err;
    ASSERT_EQ(ev.size(), 6u);
    EXPECT_EQ(ev[0].step, 0);
    EXPECT_EQ(ev[0].code, 'D');
    EXPECT_EQ(ev[1].kind, IEV_MOUSE_MOVE);
    EXPECT_EQ(ev[1].y, 20.5f);
    EXPECT_EQ(ev[2].code, 1);
    EXPECT_EQ(ev[3].wheel, -2);
    EXPECT_EQ(ev[4].code, VK_SPACE);
    EXPECT_EQ(ev[5].kind, IEV_KEY_UP);
}

TEST(InputScript, FocusChangesAreEventsOfTheirOwn)
{
    std::vector<ScriptedEvent> ev;
    std::string err;
    ASSERT_TRUE(parseInputScript("7 focus gained\n3 focus lost\n", "in.txt", &ev, &err)) << err;
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0].step, 3);
    EXPECT_EQ(ev[0].kind, SCRIPT_FOCUS_CHANGE);
    EXPECT_EQ(ev[0].code, 0);
    EXPECT_EQ(ev[1].code, 1);
    for (const char* bad : {"1 focus\n", "1 focus away\n", "1 focus lost now\n"}) {
        EXPECT_FALSE(parseInputScript(bad, "in.txt", &ev, &err)) << bad;
        EXPECT_NE(err.find("expected lost or gained"), std::string::npos) << err;
    }
}

TEST(InputScript, NumbersAreDecimalEvenWithLeadingZeros)
{
    std::vector<ScriptedEvent> ev;
    std::string err;
    ASSERT_TRUE(parseInputScript("010 keydown D\n09 keyup D\n0 mousemove 007.5 -0\n", "in.txt", &ev, &err)) << err;
    ASSERT_EQ(ev.size(), 3u);
    EXPECT_EQ(ev[0].step, 0);
    EXPECT_EQ(ev[0].x, 7.5f);
    EXPECT_EQ(ev[1].step, 9);
    EXPECT_EQ(ev[2].step, 10);
    EXPECT_EQ(ev[2].kind, IEV_KEY_DOWN);
}

TEST(AutomationOptions, SwitchValuesAreDecimalAndSeedsMayBeHex)
{
    const char* steps[] = {"game", "--steps", "010", "--seed", "18446744073709551615"};
    AutomationOptions o = parseAutomationOptions(5, steps);
    EXPECT_EQ(o.maxSteps, 10);
    EXPECT_TRUE(o.hasSeed);
    EXPECT_EQ(o.seed, 18446744073709551615ull);
    const char* hex[] = {"game", "--seed", "0x00ff", "--steps", "09"};
    o = parseAutomationOptions(5, hex);
    EXPECT_EQ(o.seed, 255u);
    EXPECT_EQ(o.maxSteps, 9);
    EXPECT_EQ(o.width, 0);  // no --size: the display switches decide
    const char* size[] = {"game", "--size", "1920x1080", "-720"};
    o = parseAutomationOptions(4, size);
    EXPECT_EQ(o.width, 1920);
    EXPECT_EQ(o.height, 1080);
    EXPECT_TRUE(automationSwitchTakesValue("--size"));
}

TEST(AutomationOptionsDeathTest, BadNumbersAndUnreadableScriptsAreFatal)
{
    auto run = [](std::vector<const char*> args) { parseAutomationOptions((int)args.size(), args.data()); };
    EXPECT_EXIT(run({"game", "--seed", "-1"}), ::testing::ExitedWithCode(100), "bad number '-1' for --seed");
    EXPECT_EXIT(run({"game", "--seed", "18446744073709551616"}), ::testing::ExitedWithCode(100), "for --seed");
    EXPECT_EXIT(run({"game", "--seed", "0x"}), ::testing::ExitedWithCode(100), "for --seed");
    EXPECT_EXIT(run({"game", "--steps", "-3"}), ::testing::ExitedWithCode(100), "for --steps");
    EXPECT_EXIT(run({"game", "--steps", "0x10"}), ::testing::ExitedWithCode(100), "for --steps");
    EXPECT_EXIT(run({"game", "--steps", " 5"}), ::testing::ExitedWithCode(100), "for --steps");
    for (const char* size : {"1920", "1920x", "x1080", "1920x1080x", "15x100", "100x16385", "-640x480", "0x10"})
        EXPECT_EXIT(run({"game", "--size", size}), ::testing::ExitedWithCode(100), "bad size '.*' for --size") << size;
    EXPECT_EXIT(run({"game", "--input", "/"}), ::testing::ExitedWithCode(100), "input script '/' is not a file");
    EXPECT_EXIT(run({"game", "--input", "/no/such/script"}), ::testing::ExitedWithCode(100),
                "can't open input script '/no/such/script'");
}

TEST(InputScript, MalformedLinesNameFileAndLine)
{
    const char* bad[] = {"x keydown A",         "1 keydown",           "1 keydown NOSUCHKEY",  "1 mousemove 1",
                         "1 mousedown up",      "1 fly",               "-1 keyup A",           "1 wheel lots",
                         "0x10 keyup A",        "+1 keyup A",          "1 mousemove nan nan",  "1 mousemove 5 inf",
                         "1 mousemove -inf 5",  "1 mousemove 1e39 1",  "1 mousemove 0x10 1",   "1 mousemove 5e6 1",
                         "1 wheel 99999999999", "99999999999999999999 keyup A"};
    for (const char* line : bad) {
        std::vector<ScriptedEvent> ev;
        std::string err;
        std::string text = std::string("0 keydown A\n") + line + "\n";
        EXPECT_FALSE(parseInputScript(text, "script.txt", &ev, &err)) << line;
        EXPECT_EQ(err.rfind("script.txt:2: ", 0), 0u) << err;
    }
}
