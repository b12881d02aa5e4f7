// The launcher's window on the offscreen video driver: the screen buffer
// follows the window, and pictures of the launcher.
#include <SDL.h>

#include "d3d/tga.h"
#include "launcher/launcherWindow.h"
#include "shell/pngFile.h"
#include "shell/window.h"
#include "tests/launcher/launcherPanel.h"

namespace {

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

TEST_F(LauncherWindow, ASixteenPixelFontDoublesTheScaleAtTwiceTheSizeAndStaysCentred)
{
    useDoubledFont();
    ASSERT_EQ(renderer.unit(), 16);
    open();
    paintAt(864, 560);
    EXPECT_EQ(screen->scale, 1);
    testing::internal::CaptureStdout();
    paintAt(1728, 1120);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("resized screen buffer to 1728x1120"), std::string::npos) << log;
    EXPECT_EQ(screen->scale, 2);
    EXPECT_EQ(screenBuffer.width, 1728);
    EXPECT_EQ(at(0, 0), 0x101010u);
    EXPECT_EQ(at(1727, 1119), 0x101010u);
    // A window with room to spare: the 1728 x 1120 panel sits in its middle.
    paintAt(1748, 1160);
    EXPECT_EQ(screen->scale, 2);
    EXPECT_EQ(at(9, 500), 0u);
    EXPECT_EQ(at(10, 500), 0x101010u);
    EXPECT_EQ(at(1737, 500), 0x101010u);
    EXPECT_EQ(at(1738, 500), 0u);
    EXPECT_EQ(at(650, 19), 0u);
    EXPECT_EQ(at(650, 20), 0x101010u);
    EXPECT_EQ(at(650, 1139), 0x101010u);
    EXPECT_EQ(at(650, 1140), 0u);
    // An unchanged size repaints without resizing.
    testing::internal::CaptureStdout();
    paintLauncher(screen, &renderer);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(LauncherWindow, PicturesForAPersonToLookAt)
{
    open();
    paintAt(864, 560);
    EXPECT_EQ(screen->scale, 2);
    // The title is yellow, the option buttons grey with light text.
    int yellow = 0;
    for (int x = 0; x < 864; x++)
        for (int y = 16; y < 80; y++) yellow += at(x, y) == 0xFFF000;
    EXPECT_GT(yellow, 1000);
    GuiElem* look = findByName(panel.options[0], ".normal");
    EXPECT_EQ(at((int)look->boxRect.left + 3, (int)look->boxRect.top + 3), 0x323232u);
    savePicture("launcher_864x560.png");
    actions.startWorks = false;
    command(CMD_PLAY);
    paintAt(1728, 1120);
    EXPECT_EQ(screen->scale, 4);
    savePicture("launcher_1728x1120.png");
}

}  // namespace

// The offscreen driver's GL libraries leave a few blocks behind at exit,
// allocated from libraries already unloaded, so no suppression can name
// them; the launcher's own code is leak-checked in test_launcher.
extern "C" int __lsan_is_turned_off() { return 1; }
