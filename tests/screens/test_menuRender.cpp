// The menu screens on a real device with the game's font: their colours on
// screen, relayout when the device is resized, and texts that fit their
// screen without running into each other at the usual window sizes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "d3d/d3d.h"
#include "game/progress.h"
#include "game/upgradeMode.h"
#include "tests/voxel/renderFixture.h"

namespace {

struct MenuRender : RenderTest {
    void SetUp() override
    {
        RenderTest::SetUp();
        ensureWorld();
        registerStandardBehaviours();
        setUpMenuModes();
        currentGameMode = nullptr;
    }
    void TearDown() override
    {
        switchGameMode(nullptr);
        freeMenuScreens();
        if (::width != width || ::height != height) resize_d3d(width, height, false, false);
        RenderTest::TearDown();
    }
    // Leaves the current screen behind (freed) and shows another one.
    void show(GameMode* mode)
    {
        switchGameMode(nullptr);
        freeMenuScreens();
        switchGameMode(mode);
    }
    GuiElem* find(const char* name) { return findByName(currentGuiScreenMode()->scr->root, name); }
};

bool overlap(const GuiRect& a, const GuiRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool within(const GuiRect& inner, const GuiRect& outer)
{
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

// The visible texts of the tree, one per button (its shown look).
void visibleTextElems(GuiElem* e, std::vector<GuiElem*>* out)
{
    if (!isVisible(e)) return;
    if (e->text.str[0]) out->push_back(e);
    for (GuiElem* child : e->children) visibleTextElems(child, out);
}

// Every text lies inside the screen's 40 x 30 unit panel, is as wide as its
// box allows, and no two texts share a pixel.
void expectTidy(GuiScreen* scr, const char* what)
{
    std::vector<GuiElem*> texts;
    visibleTextElems(scr->root, &texts);
    const GuiRect& panel = scr->root->boxRect;
    for (size_t i = 0; i < texts.size(); i++) {
        GuiElem* e = texts[i];
        EXPECT_TRUE(within(e->outerRect, panel)) << what << ": '" << e->text.str << "' leaves the panel";
        float w, h;
        scr->renderer->measureText(e->text, -1, &w, &h, e->textScale * scr->scale);
        EXPECT_LE(w, e->contentRect.right - e->contentRect.left) << what << ": '" << e->text.str << "'";
        for (size_t j = 0; j < i; j++)
            EXPECT_FALSE(overlap(e->boxRect, texts[j]->boxRect))
                << what << ": '" << e->text.str << "' runs into '" << texts[j]->text.str << "'";
    }
}

}  // namespace

TEST_F(MenuRender, TheTitleDrawsTheMenuColours)
{
    show(titleGameMode);
    std::vector<uint32_t> img = renderFrame();
    ASSERT_FALSE(img.empty());
    // The Play button's face beside its text, and its lit top-left border.
    GuiElem* play = find(".normal");
    const GuiRect& b = play->boxRect;
    EXPECT_EQ(pixel(img, (int)b.left + 4, (int)b.top + 4) & 0xFFFFFF, 0x323232u);
    EXPECT_EQ(pixel(img, (int)b.left + 4, (int)b.top - 1) & 0xFFFFFF, 0x505050u);
    EXPECT_EQ(pixel(img, (int)b.left + 4, (int)b.bottom) & 0xFFFFFF, 0x1E1E1Eu);
    // Yellow title letters in the title's box.
    GuiElem* title = currentGuiScreenMode()->scr->root->children[0];
    ASSERT_EQ(std::string(title->text), "SKYWARD!");
    int yellow = 0;
    for (int y = (int)title->boxRect.top; y < (int)title->boxRect.bottom; y++)
        for (int x = (int)title->boxRect.left; x < (int)title->boxRect.right; x++)
            yellow += (pixel(img, x, y) & 0xFFFFFF) == 0xFFF000;
    EXPECT_GT(yellow, 200);
    // The brown stone of the menu background in the corner, away from everything.
    uint32_t corner = pixel(img, 3, height - 3);
    int r = corner >> 16 & 0xFF, g = corner >> 8 & 0xFF, bl = corner & 0xFF;
    EXPECT_TRUE(r > g && g > bl && r <= 0x99) << std::hex << corner;
}

TEST_F(MenuRender, AResizeOfTheDeviceLaysTheScreenOutAgain)
{
    show(titleGameMode);
    GuiScreen* scr = currentGuiScreenMode()->scr;
    EXPECT_EQ(scr->scale, 2);  // 960 x 540 holds 40 x 30 units of 16 pixels
    ASSERT_TRUE(resize_d3d(640, 360, false, false));
    EXPECT_EQ(scr->scale, 1);
    EXPECT_EQ(scr->root->boxRect.left, 160.0f);
    EXPECT_EQ(scr->root->boxRect.top, 60.0f);
    ASSERT_TRUE(resize_d3d(1920, 1080, false, false));
    EXPECT_EQ(scr->scale, 4);
    EXPECT_EQ(scr->root->boxRect.left, 320.0f);
    EXPECT_EQ(scr->root->boxRect.bottom, 1020.0f);
}

TEST_F(MenuRender, TextsFitAndKeepApartAt720pAnd1080p)
{
    upgradePoints = 8;
    for (int size : {720, 1080}) {
        ASSERT_TRUE(resize_d3d(size * 16 / 9, size, false, false));
        for (GameMode* mode : {titleGameMode, upgradeGameMode, endDemoGameMode}) {
            show(mode);
            std::string what = std::string(mode->name()) + " at " + std::to_string(size) + "p";
            expectTidy(currentGuiScreenMode()->scr, what.c_str());
        }
        // With Health bought: its "-" shows instead of its "+".
        show(upgradeGameMode);
        GuiCommandEvent buyHealth(UPGRADE_CMD_ROWS, 0, nullptr);
        upgradeScreen.handle(&buyHealth, upgradeScreen.scr->root, GUIDISPATCH_BUBBLE);
        ASSERT_TRUE(isVisible(upgradeScreen.minusButtons[0]));
        expectTidy(upgradeScreen.scr, "upgrades with a purchase");
    }
}
