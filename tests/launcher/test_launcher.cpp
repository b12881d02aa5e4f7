// The launcher's settings, its screen and commands, and its window's screen
// buffer on the offscreen video driver.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <string>

#include "d3d/tga.h"
#include "gui/guiBuild.h"
#include "gui/swrender.h"
#include "launcher/launcherScreen.h"
#include "launcher/launcherWindow.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "shell/pngFile.h"
#include "shell/settings.h"
#include "shell/window.h"
#include "tests/test_util.h"

namespace {

struct FakeActions final : LauncherActions {
    bool startWorks = true, browserWorks = true;
    int starts = 0, pages = 0, closes = 0;
    bool startGame(std::string* error) override
    {
        starts++;
        if (!startWorks) *error = "Permission denied";
        return startWorks;
    }
    bool openWebPage(std::string* error) override
    {
        pages++;
        if (!browserWorks) *error = "No such file or directory";
        return browserWorks;
    }
    void close() override { closes++; }
};

// The launcher's screen on the shipped font, with a settings folder of its own.
struct LauncherPanel : ::testing::Test {
    TempDir config;
    SoftwareGuiRenderer renderer;
    std::vector<uint32_t> pixels = std::vector<uint32_t>(640 * 480);
    LauncherScreen panel;
    LauncherSettings settings;
    FakeActions actions;
    GuiScreen* screen = nullptr;

    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", config.path.c_str(), 1);
        setProgramDirectory((binDir() + "/").c_str());
        renderer.setFont(renderer.loadFont("font.tga"));
        renderer.setBuffer(pixels.data(), 640 * 4, 640, 480);
        registerStandardBehaviours();
    }
    void open()
    {
        settings = readLauncherSettings();
        panel = buildLauncherScreen(renderer.unit());
        screen = new GuiScreen(&renderer, panel.root, LAUNCHER_REF_WIDTH, LAUNCHER_REF_HEIGHT);
        LauncherHandler::instance.screen = &panel;
        LauncherHandler::instance.settings = &settings;
        LauncherHandler::instance.actions = &actions;
        addHandler(panel.root, &LauncherHandler::instance, -1);
        refreshOptionTexts(panel, settings);
    }
    void TearDown() override
    {
        delete screen;
        unsetenv("XDG_CONFIG_HOME");
    }
    // A click as a button sends it: from the button, bubbling to the root.
    void command(int id)
    {
        GuiCommandEvent ev(id, 1, panel.root);
        GuiElem* from = id >= CMD_TOGGLE_FULLSCREEN ? panel.options[id - CMD_TOGGLE_FULLSCREEN] : panel.root;
        dispatch(&ev, from, GUIDISPATCH_BUBBLE, nullptr);
    }
    std::string text(int option) { return findByName(panel.options[option], ".normal")->text.c_str(); }
    bool stored(uint32_t* flags) { return readSettingDword("flags", flags); }
};

TEST_F(LauncherPanel, WithoutStoredSettingsTheOptionsShowTheDefaults)
{
    open();
    EXPECT_EQ(text(0), "In window");
    EXPECT_EQ(text(1), "Anti-aliasing: off");
    EXPECT_EQ(text(2), "VSync: on");
    EXPECT_EQ(text(3), "Normal voxels");
    // All three looks carry the text.
    EXPECT_STREQ(findByName(panel.options[2], ".pressed")->text, "VSync: on");
}

TEST_F(LauncherPanel, StoredFlagsSetAllFourOptions)
{
    writeSettingDword("flags", 11);  // fullscreen, anti-aliasing, fast voxels; no vsync
    open();
    EXPECT_EQ(text(0), "Fullscreen");
    EXPECT_EQ(text(1), "Anti-aliasing: on");
    EXPECT_EQ(text(2), "VSync: off");
    EXPECT_EQ(text(3), "Fast voxels");
    EXPECT_EQ(settingsToFlags(settings), 11u);
}

TEST_F(LauncherPanel, TogglingTwiceAndPlayingStoresTheSameFlagsAndStarts)
{
    open();
    command(CMD_TOGGLE_FULLSCREEN);
    EXPECT_EQ(text(0), "Fullscreen");
    command(CMD_TOGGLE_FULLSCREEN);
    EXPECT_EQ(text(0), "In window");
    uint32_t flags = 0;
    EXPECT_FALSE(stored(&flags));  // toggling stores nothing
    command(CMD_PLAY);
    ASSERT_TRUE(stored(&flags));
    EXPECT_EQ(flags, 4u);
    EXPECT_EQ(actions.starts, 1);
    EXPECT_EQ(actions.closes, 1);
}

TEST_F(LauncherPanel, QuitStoresTheToggledValue)
{
    open();
    command(CMD_TOGGLE_VOXELS);
    command(CMD_TOGGLE_VSYNC);
    command(CMD_TOGGLE_ANTIALIASING);
    command(CMD_QUIT);
    uint32_t flags = 0;
    ASSERT_TRUE(stored(&flags));
    EXPECT_EQ(flags, 2u | 8u);
    EXPECT_EQ(actions.starts, 0);
    EXPECT_EQ(actions.closes, 1);
}

TEST_F(LauncherPanel, AGameThatCannotStartLeavesTheLauncherOpenWithTheReason)
{
    open();
    EXPECT_FALSE(isVisible(panel.status));
    actions.startWorks = false;
    command(CMD_PLAY);
    EXPECT_EQ(actions.closes, 0);
    EXPECT_TRUE(isVisible(panel.status));
    EXPECT_STREQ(panel.status->text, "Can't start the game: Permission denied");
    // The status line sits between the options and the bottom row of buttons.
    screen->updateLayout();
    EXPECT_GE(panel.status->boxRect.top, panel.options[3]->boxRect.bottom);
    EXPECT_LE(panel.status->boxRect.bottom, panel.root->boxRect.bottom - 7 * 16);
    actions.startWorks = true;
    command(CMD_PLAY);
    EXPECT_EQ(actions.closes, 1);
}

TEST_F(LauncherPanel, VisitSiteKeepsTheLauncherOpen)
{
    open();
    command(CMD_VISIT_SITE);
    EXPECT_EQ(actions.pages, 1);
    EXPECT_EQ(actions.closes, 0);
    EXPECT_FALSE(isVisible(panel.status));
    actions.browserWorks = false;
    command(CMD_VISIT_SITE);
    EXPECT_STREQ(panel.status->text, "Can't open the web page: No such file or directory");
    uint32_t flags;
    EXPECT_FALSE(stored(&flags));
}

TEST_F(LauncherPanel, PanelAtSixFortyByFourEightyFillsTheWindowAtScaleTwo)
{
    open();
    EXPECT_EQ(screen->scale, 2);
    const GuiRect& r = panel.root->boxRect;
    EXPECT_FLOAT_EQ(r.left, 0);
    EXPECT_FLOAT_EQ(r.right, 640);
    EXPECT_FLOAT_EQ(r.bottom, 480);
    // Option buttons are 25 units wide and centred; their looks have borders of one font pixel.
    GuiElem* look = findByName(panel.options[0], ".normal");
    EXPECT_FLOAT_EQ(look->boxRect.right - look->boxRect.left, 25 * 16);
    EXPECT_FLOAT_EQ(look->borderWidths.left, 2);
    EXPECT_FLOAT_EQ(look->boxRect.top, 6.5f * 16 + 2);
    EXPECT_FLOAT_EQ((look->boxRect.left + look->boxRect.right) / 2, 320);
}

// The real window on the offscreen driver; the buffer follows it lazily.
struct LauncherWindow : LauncherPanel {
    TempDir fonts;
    static void SetUpTestSuite()
    {
        setHeadlessWindow(true);
        ASSERT_TRUE(registerWindowClass());
        openLauncherWindow(true);
    }
    static void TearDownTestSuite()
    {
        closeLauncherWindow();
        SDL_Quit();
    }
    // The shipped font drawn at twice its size: 16-pixel cells.
    void useDoubledFont()
    {
        int w, h;
        DynArray<uint32_t> src;
        ASSERT_TRUE(load_tga((binDir() + "/font.tga").c_str(), &w, &h, src));
        std::string tga(18, '\0');
        tga[2] = 2, tga[16] = 32;
        tga[12] = (char)((2 * w) & 0xFF), tga[13] = (char)((2 * w) >> 8);
        tga[14] = (char)((2 * h) & 0xFF), tga[15] = (char)((2 * h) >> 8);
        for (int y = 0; y < 2 * h; y++)
            for (int x = 0; x < 2 * w; x++) {
                uint32_t p = src[(y / 2) * w + x / 2];
                tga.append((const char*)&p, 4);
            }
        writeFileBytes(fonts.file("font16.tga"), tga.data(), tga.size());
        renderer.setFont(renderer.loadFont(fonts.file("font16.tga").c_str()));
    }
    uint32_t at(int x, int y) { return screenBuffer.pixels[y * screenBuffer.width + x] & 0xFFFFFF; }
    void paintAt(int w, int h)
    {
        setLauncherClientSize(w, h);
        SDL_PumpEvents();
        paintLauncher(screen, &renderer);
    }
    void savePicture(const char* name)
    {
        std::string path = binDir() + "/../tests/" + name;
        EXPECT_TRUE(writePngFile(path.c_str(), screenBuffer.pixels.data, screenBuffer.width, screenBuffer.height,
                                 screenBuffer.width * 4));
    }
};

TEST_F(LauncherWindow, ASixteenPixelFontDoublesTheScaleAtTwelveEightyAndStaysCentred)
{
    useDoubledFont();
    ASSERT_EQ(renderer.unit(), 16);
    open();
    paintAt(640, 480);
    EXPECT_EQ(screen->scale, 1);
    testing::internal::CaptureStdout();
    paintAt(1280, 960);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("resized screen buffer to 1280x960"), std::string::npos) << log;
    EXPECT_EQ(screen->scale, 2);
    EXPECT_EQ(screenBuffer.width, 1280);
    EXPECT_EQ(at(0, 0), 0x101010u);
    EXPECT_EQ(at(1279, 959), 0x101010u);
    // A window with room to spare: the 1280 x 960 panel sits in its middle.
    paintAt(1300, 1000);
    EXPECT_EQ(screen->scale, 2);
    EXPECT_EQ(at(9, 500), 0u);
    EXPECT_EQ(at(10, 500), 0x101010u);
    EXPECT_EQ(at(1289, 500), 0x101010u);
    EXPECT_EQ(at(1290, 500), 0u);
    EXPECT_EQ(at(650, 19), 0u);
    EXPECT_EQ(at(650, 20), 0x101010u);
    EXPECT_EQ(at(650, 979), 0x101010u);
    EXPECT_EQ(at(650, 980), 0u);
    // An unchanged size repaints without resizing.
    testing::internal::CaptureStdout();
    paintLauncher(screen, &renderer);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(LauncherWindow, PicturesForAPersonToLookAt)
{
    open();
    paintAt(640, 480);
    EXPECT_EQ(screen->scale, 2);
    // The title is yellow, the option buttons grey with light text.
    int yellow = 0;
    for (int x = 0; x < 640; x++)
        for (int y = 16; y < 80; y++) yellow += at(x, y) == 0xFFF000;
    EXPECT_GT(yellow, 1000);
    GuiElem* look = findByName(panel.options[0], ".normal");
    EXPECT_EQ(at((int)look->boxRect.left + 3, (int)look->boxRect.top + 3), 0x323232u);
    savePicture("launcher_640x480.png");
    actions.startWorks = false;
    command(CMD_PLAY);
    paintAt(1280, 960);
    EXPECT_EQ(screen->scale, 4);
    savePicture("launcher_1280x960.png");
}

}  // namespace
