#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/keymap.h"
#include "platform/vkeys.h"
#include "shell/input.h"
#include "shell/launchOptions.h"
#include "shell/recorder.h"
#include "shell/recording.h"
#include "shell/settings.h"
#include "tests/test_util.h"

namespace {

const char* const START = "0 seed 0x1f\n0 size 640x360\n0 display 0x4\n0 start play\n";

Recording parseOk(const std::string& text)
{
    Recording rec;
    std::string error;
    EXPECT_TRUE(parseRecording(text, "rec.txt", &rec, &error)) << error;
    return rec;
}

std::string parseError(const std::string& text)
{
    Recording rec;
    std::string error;
    EXPECT_FALSE(parseRecording(text, "rec.txt", &rec, &error)) << text;
    return error;
}

}  // namespace

TEST(RecordingKeys, EveryKeyCodeReadsBackFromItsWrittenName)
{
    for (int vk = 1; vk < 256; vk++) {
        std::string name = virtualKeyScriptName(vk);
        EXPECT_EQ(name.find_first_of(" \t#"), std::string::npos) << name;
        EXPECT_EQ(virtualKeyFromName(name.c_str()), vk) << name;
    }
    EXPECT_EQ(virtualKeyScriptName(VK_LSHIFT), "LSHIFT");
    EXPECT_EQ(virtualKeyScriptName(VK_F12), "F12");
    EXPECT_EQ(virtualKeyFromName("0x6a"), 0x6A);
    EXPECT_EQ(virtualKeyFromName("0x00"), 0);
    EXPECT_EQ(virtualKeyFromName("0x6G"), 0);
    EXPECT_EQ(virtualKeyFromName("0x123"), 0);
}

// What the recorder writes during a session parses back to the same start,
// events, views and step count.
TEST(RecordingWriter, SessionReadsBackExactly)
{
    TempDir dir;
    std::string path = dir.file("rec.txt");
    ASSERT_TRUE(openRecording(path));
    RecordingStart start;
    start.seed = 0xfedcba9876543210ull;
    start.seedChosen = true;
    start.width = 1280;
    start.height = 720;
    start.display = FLAG_FULLSCREEN | FLAG_VSYNC | FLAG_FAST_VOXELS;
    start.play = false;
    start.settings = {{"bind_jump", 0x2026}, {"volume_music", 40}};
    start.pointerX = 320.25f;
    start.pointerY = 17;
    writeRecordingStart(start);

    recordKeyEvent(VK_LSHIFT, true);
    recordMouseMove(123.456789f, -0.1f);
    recordAimView(0, 10.3f, 20.7f);
    recordingStepDone(1);
    recordAimView(1, 10.3f, 20.7f);  // unchanged: no line
    recordMouseButton(2, true);
    recordMouseWheel(-2);
    recordBackBufferSize(1280, 720);  // the start size: no line
    recordBackBufferSize(1920, 1080);
    recordingStepDone(2);
    recordEvent("keyup 0x6A");
    recordAimView(2, 11.0f, 20.7f);
    recordKeyEvent(VK_LSHIFT, false);
    recordingStepDone(3);
    ASSERT_TRUE(finishRecording(3));
    EXPECT_FALSE(recordingOpen());

    std::string text = readFileBytes(path);
    EXPECT_EQ(text.rfind("# ", 0), 0u) << "a header for people comes first";
    EXPECT_NE(text.find("\n0 setting bind_jump 0x2026\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n0 seed 0xfedcba9876543210 chosen\n"), std::string::npos) << text;
    Recording rec = parseOk(text);
    EXPECT_EQ(rec.start.seed, start.seed);
    EXPECT_TRUE(rec.start.seedChosen);
    EXPECT_EQ(rec.start.width, 1280);
    EXPECT_EQ(rec.start.height, 720);
    EXPECT_EQ(rec.start.display, start.display);
    EXPECT_FALSE(rec.start.play);
    EXPECT_EQ(rec.start.settings, start.settings);
    EXPECT_EQ(rec.start.pointerX, 320.25f);
    EXPECT_EQ(rec.start.pointerY, 17.0f);
    EXPECT_EQ(rec.endStep, 3);

    ASSERT_EQ(rec.events.size(), 6u);
    const ScriptedEvent& e = rec.events[0];
    EXPECT_EQ(e.step, 0);
    EXPECT_EQ(e.kind, IEV_KEY_DOWN);
    EXPECT_EQ(e.code, VK_LSHIFT);
    EXPECT_EQ(rec.events[1].kind, IEV_MOUSE_MOVE);
    EXPECT_EQ(rec.events[1].x, 123.456789f);
    EXPECT_EQ(rec.events[1].y, -0.1f);
    EXPECT_EQ(rec.events[2].step, 1);
    EXPECT_EQ(rec.events[2].kind, IEV_MOUSE_DOWN);
    EXPECT_EQ(rec.events[2].code, 2);
    EXPECT_EQ(rec.events[3].wheel, -2);
    EXPECT_EQ(rec.events[4].step, 2);
    EXPECT_EQ(rec.events[4].kind, IEV_KEY_UP);
    EXPECT_EQ(rec.events[4].code, 0x6A);
    EXPECT_EQ(rec.events[5].kind, IEV_KEY_UP);

    ASSERT_EQ(rec.resizes.size(), 1u);
    EXPECT_EQ(rec.resizes[0].step, 1);
    EXPECT_EQ(rec.resizes[0].width, 1920);
    EXPECT_EQ(rec.resizes[0].height, 1080);

    ASSERT_EQ(rec.views.size(), 2u);
    EXPECT_EQ(rec.views[0].step, 0);
    EXPECT_EQ(rec.views[0].x, 10.3f);
    EXPECT_EQ(rec.views[0].y, 20.7f);
    EXPECT_EQ(rec.views[1].step, 2);
    EXPECT_EQ(rec.views[1].x, 11.0f);
}

// A session ended by a fatal error replays through the step it stopped in.
TEST(RecordingWriter, FatalErrorEndsAfterTheFailingStep)
{
    TempDir dir;
    ASSERT_TRUE(openRecording(dir.file("rec.txt")));
    RecordingStart start;
    start.width = start.height = 64;
    writeRecordingStart(start);
    recordingStepDone(7);
    recordKeyEvent('D', true);
    abandonRecording(7);
    EXPECT_FALSE(recordingOpen());
    Recording rec = parseOk(readFileBytes(dir.file("rec.txt")));
    EXPECT_EQ(rec.endStep, 8);
    ASSERT_EQ(rec.events.size(), 1u);
    EXPECT_EQ(rec.events[0].step, 7);
}

TEST(RecordingParser, AcceptsCommentsCrLfAndMissingEnd)
{
    Recording rec = parseOk(
        "# made by hand\r\n0 seed 12 # decimal\r\n0 size 16x16\r\n0 display 0\r\n"
        "0 start title\r\n\r\n4 view -1.5 2e1\r\n4 keydown space\r\n");
    EXPECT_EQ(rec.start.seed, 12u);
    EXPECT_FALSE(rec.start.seedChosen);  // a clock seed: each game draws its own
    EXPECT_FALSE(rec.start.play);
    EXPECT_EQ(rec.endStep, -1);
    ASSERT_EQ(rec.views.size(), 1u);
    EXPECT_EQ(rec.views[0].y, 20.0f);
    ASSERT_EQ(rec.events.size(), 1u);
    EXPECT_EQ(rec.events[0].code, VK_SPACE);
}

TEST(RecordingParser, RefusesMalformedLinesNamingFileAndLine)
{
    struct Case {
        std::string text, expected;
    };
    const Case cases[] = {
        {"0 seed zz\n", "rec.txt:1: expected one seed number"},
        {"0 seed 1 picked\n", "rec.txt:1: expected one seed number, and \"chosen\""},
        {"0 seed 1 chosen now\n", "rec.txt:1: expected one seed number"},
        {"0 seed 1\n0 seed 2\n", "rec.txt:2: a second seed"},
        {"5 seed 1\n", "rec.txt:1: 'seed' belongs to step 0"},
        {"x seed 1\n", "rec.txt:1: bad step number"},
        {"0 size 640\n", "rec.txt:1: expected a size WxH"},
        {"0 size 8x8\n", "rec.txt:1: expected a size WxH"},
        {"0 display 0x10\n", "rec.txt:1: expected the display bits"},
        {"0 setting bind_fly 1\n", "rec.txt:1: unknown setting 'bind_fly'"},
        {"0 setting volume_music 0x100000000\n", "rec.txt:1: expected a setting name and a 32-bit value"},
        {"0 setting volume_music 5\n0 setting volume_music 6\n", "rec.txt:2: a second value for 'volume_music'"},
        {"0 start menu\n", "rec.txt:1: expected 'start play' or 'start title'"},
        {"3 view 1 nan\n", "rec.txt:1: expected the camera's X and Y"},
        {"3 view 1 1\n2 view 1 1\n", "rec.txt:2: a view out of step order"},
        {"3 end\n4 end\n", "rec.txt:2: a second end line"},
        {"3 resize 20x20\n2 resize 20x20\n", "rec.txt:2: a resize out of step order"},
        {"3 resize 20\n", "rec.txt:1: expected a size WxH"},
        {"3 end now\n", "rec.txt:1: 'end' takes no arguments"},
        {"0 pointer 5\n", "rec.txt:1: expected the pointer's X and Y"},
        // An event line's error keeps its own line number.
        {std::string(START) + "7 keydown NOPE\n", "rec.txt:5: unknown key 'NOPE'"},
        {"0 seed 1\n0 size 640x360\n0 display 4\n", "rec.txt: no 'start' line"},
        {"", "rec.txt: no 'seed' line"},
    };
    for (const Case& c : cases) {
        std::string error = parseError(c.text);
        EXPECT_NE(error.find(c.expected), std::string::npos) << "got: " << error << "\nwanted: " << c.expected;
    }
}

TEST(RecordingParser, InputScriptsRefuseDirectives)
{
    std::vector<ScriptedEvent> events;
    std::string error;
    EXPECT_FALSE(parseInputScript("0 keydown A\n0 seed 5\n", "in.txt", &events, &error));
    EXPECT_NE(error.find("in.txt:2: 'seed' belongs in a recording: play the file with --replay"), std::string::npos)
        << error;
}

// A replay's settings: the recorded values only, and writes never reach the file.
TEST(RecordingSettings, InMemorySettingsHideAndProtectTheFile)
{
    TempDir dir;
    setenv("XDG_CONFIG_HOME", dir.path.c_str(), 1);
    writeSettingDword("flags", 5);
    writeSettingDword("bind_jump", 0x26);
    std::string before = readFileBytes(settingsFilePath());

    useSettingsInMemory({{"bind_jump", 0x20}, {"volume_master", 50}});
    uint32_t v = 99;
    EXPECT_FALSE(readSettingDword("flags", &v)) << "the player's own settings showed through";
    EXPECT_EQ(v, 99u);
    EXPECT_TRUE(readSettingDword("bind_jump", &v));
    EXPECT_EQ(v, 0x20u);
    writeSettingDword("volume_master", 70);
    writeSettingDword("pause_on_focus_loss", 0);
    EXPECT_TRUE(readSettingDword("volume_master", &v));
    EXPECT_EQ(v, 70u);
    EXPECT_TRUE(readSettingDword("pause_on_focus_loss", &v));
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(readFileBytes(settingsFilePath()), before);
    unsetenv("XDG_CONFIG_HOME");
}
