// Key bindings and the focus option in the settings file: the packed form,
// what counts as a foreign or corrupt value, and the key names.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <fstream>

#include "platform/keymap.h"
#include "platform/vkeys.h"
#include "shell/controlSettings.h"
#include "shell/settings.h"
#include "tests/test_util.h"

namespace {

struct ControlSettings : ::testing::Test {
    TempDir dir;
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", dir.path.c_str(), 1);
        resetActionBindings();
    }
    void TearDown() override
    {
        resetActionBindings();
        storePauseOnFocusLoss(true);  // into the temporary folder, still
        unsetenv("XDG_CONFIG_HOME");
    }
    // Replaces the settings file with these lines.
    void writeSettings(const std::string& lines)
    {
        writeSettingDword("flags", 0);  // makes the folders
        std::ofstream(settingsFilePath()) << lines;
    }
};

ActionBinding keys(int a, int b = 0, int c = 0)
{
    ActionBinding binding;
    binding.keys[0] = a;
    binding.keys[1] = b;
    binding.keys[2] = c;
    return binding;
}

void expectKeys(const ActionBinding& got, const ActionBinding& want, const char* what)
{
    for (int i = 0; i < MAX_KEYS_PER_ACTION; i++) EXPECT_EQ(got.keys[i], want.keys[i]) << what << " key " << i;
}

}  // namespace

TEST(BindingValue, PacksAByteAKeyAndRejectsWhatIsNoBinding)
{
    EXPECT_EQ(packActionBinding(keys('W', VK_UP, VK_SPACE)), 0x202657u);
    ActionBinding out;
    ASSERT_TRUE(unpackActionBinding(0x202657u, &out));
    expectKeys(out, keys('W', VK_UP, VK_SPACE), "jump");
    // Gaps close up: the keys come out at the front.
    ASSERT_TRUE(unpackActionBinding((uint32_t)VK_LBUTTON << 16, &out));
    expectKeys(out, keys(VK_LBUTTON), "gap");

    out = keys('Q');
    EXPECT_FALSE(unpackActionBinding(0, &out)) << "no key at all";
    EXPECT_FALSE(unpackActionBinding(0x01000041u, &out)) << "top byte set";
    EXPECT_FALSE(unpackActionBinding(0xFFFFFFFFu, &out));
    EXPECT_FALSE(unpackActionBinding(0x4103u, &out)) << "3 is no key";
    EXPECT_FALSE(unpackActionBinding(0xFF0041u, &out)) << "255 is no key";
    expectKeys(out, keys('Q'), "a refused value leaves the output alone");
}

TEST(KeyNames, EveryKeyTheDesktopGivesHasANameAndCanBeStored)
{
    // Every keycode the key translation knows: characters and the
    // scancode-based keys.
    int named = 0;
    for (int sc = 0; sc < SDL_NUM_SCANCODES + 128; sc++) {
        int scancode = sc - 128;
        int keycode = sc < 128 ? sc : SDL_SCANCODE_TO_KEYCODE(scancode);
        int vk = virtualKeyFromSdl(keycode, 0);
        if (!vk) continue;
        int sent = genericVirtualKey(vk);  // what key events carry
        ASSERT_NE(virtualKeyName(sent), nullptr) << "key " << sent;
        ActionBinding out;
        EXPECT_TRUE(unpackActionBinding((uint32_t)sent, &out)) << "key " << sent;
        named++;
    }
    EXPECT_GT(named, 90);
    for (int vk : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON}) EXPECT_NE(virtualKeyName(vk), nullptr);
    EXPECT_STREQ(virtualKeyName('A'), "A");
    EXPECT_STREQ(virtualKeyName(VK_LEFT), "Left");
    EXPECT_STREQ(virtualKeyName(VK_SPACE), "Space");
    EXPECT_STREQ(virtualKeyName(VK_LBUTTON), "Left mouse");
    EXPECT_STREQ(virtualKeyName(VK_F1 + 11), "F12");
    EXPECT_EQ(virtualKeyName(0), nullptr);
    EXPECT_EQ(virtualKeyName(VK_CANCEL), nullptr);
    EXPECT_EQ(virtualKeyName(256), nullptr);
}

TEST_F(ControlSettings, ForeignOrCorruptValuesReadAsTheDefaults)
{
    writeSettings(
        "bind_left = string:65\n"        // wrong type
        "bind_right = dword:16777281\n"  // top byte set
        "bind_jump = dword:3\n"          // no such key
        "bind_fire = dword:0\n"          // no key at all
        "bind_pause = dword:80\n"        // P: a good value
        "bind_screenshot = dword:-5\n"   // not a number
        "pause_on_focus_loss = dword:2\n");
    for (int a = 0; a < ACTION_COUNT; a++) setActionBinding((Action)a, keys('Z'));
    loadControlSettings();
    for (Action a : {ACTION_LEFT, ACTION_RIGHT, ACTION_JUMP, ACTION_FIRE, ACTION_SCREENSHOT})
        expectKeys(actionBinding(a), defaultActionBinding(a), actionName(a));
    expectKeys(actionBinding(ACTION_PAUSE), keys('P'), "pause");
    EXPECT_TRUE(pauseOnFocusLoss());

    writeSettings("pause_on_focus_loss = dword:0\n");
    loadControlSettings();
    EXPECT_FALSE(pauseOnFocusLoss());
    expectKeys(actionBinding(ACTION_PAUSE), defaultActionBinding(ACTION_PAUSE), "missing value");
}

TEST_F(ControlSettings, StoredBindingsAndOptionSurviveARestart)
{
    storeActionBinding(ACTION_JUMP, keys('J'));
    storeActionBinding(ACTION_FIRE, keys(VK_MBUTTON));
    storePauseOnFocusLoss(false);
    uint32_t value = 0;
    ASSERT_TRUE(readSettingDword("bind_jump", &value));
    EXPECT_EQ(value, (uint32_t)'J');

    resetActionBindings();
    storePauseOnFocusLoss(true);
    writeSettingDword("pause_on_focus_loss", 0);
    loadControlSettings();
    expectKeys(actionBinding(ACTION_JUMP), keys('J'), "jump");
    expectKeys(actionBinding(ACTION_FIRE), keys(VK_MBUTTON), "fire");
    expectKeys(actionBinding(ACTION_LEFT), defaultActionBinding(ACTION_LEFT), "never stored");
    EXPECT_FALSE(pauseOnFocusLoss());

    storeDefaultActionBindings();
    loadControlSettings();
    expectKeys(actionBinding(ACTION_JUMP), defaultActionBinding(ACTION_JUMP), "after reset");
    ASSERT_TRUE(readSettingDword("bind_jump", &value));
    EXPECT_EQ(value, packActionBinding(defaultActionBinding(ACTION_JUMP)));
}

TEST_F(ControlSettings, AKeyOnTwoActionsIsAConflictOnBoth)
{
    for (int a = 0; a < ACTION_COUNT; a++) EXPECT_FALSE(actionHasConflict((Action)a)) << actionName((Action)a);
    setActionBinding(ACTION_JUMP, keys(VK_SPACE, 'A'));
    EXPECT_TRUE(actionHasConflict(ACTION_JUMP));
    EXPECT_TRUE(actionHasConflict(ACTION_LEFT));
    EXPECT_FALSE(actionHasConflict(ACTION_RIGHT));
    EXPECT_FALSE(actionHasConflict(ACTION_FIRE));
}
