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

TEST(InputScript, MalformedLinesNameFileAndLine)
{
    const char* bad[] = {"x keydown A",    "1 keydown", "1 keydown NOSUCHKEY", "1 mousemove 1",
                         "1 mousedown up", "1 fly",     "-1 keyup A",          "1 wheel lots"};
    for (const char* line : bad) {
        std::vector<ScriptedEvent> ev;
        std::string err;
        std::string text = std::string("0 keydown A\n") + line + "\n";
        EXPECT_FALSE(parseInputScript(text, "script.txt", &ev, &err)) << line;
        EXPECT_EQ(err.rfind("script.txt:2: ", 0), 0u) << err;
    }
}
