#include "tests/screens/menuFixture.h"

#include "game/playMode.h"
#include "game/progress.h"
#include "gen/levelGen.h"
#include "gen/tileSet.h"
#include "shell/input.h"
#include "shell/window.h"
#include "tests/test_util.h"
#include "voxel/kilnGuiRenderer.h"

namespace {

void loadShippedTiles()
{
    static bool loaded = false;
    if (loaded) return;
    loaded = true;
    loadLevelTiles((binDir() + "/tiles.bin").c_str());
    setupLevelGenTiles();
}

GuiElem* findNth(GuiElem* e, const char* name, int* n)
{
    if (!strcmp(e->name, name) && (*n)-- == 0) return e;
    for (GuiElem* child : e->children)
        if (GuiElem* found = findNth(child, name, n)) return found;
    return nullptr;
}

void collectTexts(GuiElem* e, std::string* out)
{
    if (!isVisible(e)) return;
    if (e->text.str[0]) {
        if (!out->empty()) *out += '|';
        *out += std::string(e->name.str) + ":" + e->text.str;
    }
    for (GuiElem* child : e->children) collectTexts(child, out);
}

}  // namespace

void MenuTest::SetUp()
{
    WorldTest::SetUp();
    loadShippedTiles();
    installTestInput();
    registerStandardBehaviours();
    setUpMenuModes();
    menuRenderer = &renderer;
    quitRequested = false;
}

void MenuTest::TearDown()
{
    switchGameMode(nullptr);
    freeMenuScreens();
    menuRenderer = &KilnGuiRenderer::instance;
    quitRequested = false;
    installTestInput();
    WorldTest::TearDown();
}

void MenuTest::clickTimes(GuiElem* elem, int times)
{
    const GuiRect& b = elem->boxRect;
    pointerMove((b.left + b.right) * 0.5f, (b.top + b.bottom) * 0.5f);
    for (int i = 0; i < times; i++) {
        pointerButton(true);
        pointerButton(false);
    }
    currentGameMode->update(0.05f);
    endStep();
}

void MenuTest::click(GuiElem* elem) { clickTimes(elem, 1); }

void MenuTest::enterUpgrades(int points)
{
    upgradePoints = points;
    switchGameMode(upgradeGameMode);
}

GuiElem* MenuTest::find(const char* name, int n)
{
    GuiScreenMode* mode = currentGuiScreenMode();
    if (!mode || !mode->scr) return nullptr;
    return findNth(mode->scr->root, name, &n);
}

std::string visibleTexts(GuiElem* root)
{
    std::string out;
    collectTexts(root, &out);
    return out;
}
