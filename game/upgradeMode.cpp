// upgradeMode.cpp -- the title, upgrade and end-of-demo screens.
#include "game/upgradeMode.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "game/levelSeeds.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "game/upgrades.h"
#include "gui/guiBuild.h"
#include "shell/stateDump.h"
#include "shell/window.h"
#include "sound/soundEvents.h"

TitleGameMode titleScreen;
UpgradeGameMode upgradeScreen;
EndDemoGameMode endDemoScreen;

namespace {

constexpr uint32_t YELLOW = 0xFFFFF000;
constexpr uint32_t NOTE_GREY = 0xFFCCCCCC;
constexpr uint32_t ROW_GREY = 0xFFC8C8C8;
constexpr uint32_t UNAFFORDABLE_RED = 0xFFAA0000;

const char* const MAKER_NOTICE = "(c) Quillon Games. All rights reserved.";
const char* const SOUND_CREDIT = "Music and sounds: Quillon Games (own synthesizer)";
const char* const WEB_ADDRESS = "https://quillongames.com/skyward";

// Where the upgrade table's columns and rows sit inside its panels, in units.
constexpr float TABLE_WIDTH = 23;
constexpr float NAME_WIDTH = 12;
constexpr float COST_WIDTH = 3;  // right-aligned: costs and points end at one edge
constexpr float PLUS_LEFT = 16.5f, MINUS_LEFT = 20;
constexpr float ROW_BUTTON_WIDTH = 3, ROW_HEIGHT = 2, ROW_PITCH = 3;

GuiLen u(float v) { return GuiLen::units(v); }
GuiLen autoLen() { return GuiLen::autoLen(); }

// The 40 x 30 unit panel every menu screen is built in, centred in the window.
GuiElem* newMenuRoot()
{
    GuiElem* root = newElem(nullptr, "root");
    root->width = u(MENU_REF_WIDTH);
    root->height = u(MENU_REF_HEIGHT);
    setMargins(root, autoLen(), autoLen(), autoLen(), autoLen());
    return root;
}

// A label centred across its parent at a distance from its top.
GuiElem* topLabel(GuiElem* parent, const char* text, uint32_t colour, int scale, float top)
{
    GuiElem* e = newLabel(parent, text, colour, scale);
    setMargins(e, u(top), autoLen(), autoLen(), autoLen());
    return e;
}

// A label centred across its parent at a distance from its bottom.
GuiElem* bottomLabel(GuiElem* parent, const char* text, uint32_t colour, int scale, float bottom)
{
    GuiElem* e = newLabel(parent, text, colour, scale);
    setMargins(e, autoLen(), autoLen(), autoLen(), u(bottom));
    return e;
}

// A box of the given size at (left, top) inside its parent, its text aligned
// horizontally by alignH and centred vertically.
GuiElem* cell(GuiElem* parent, const char* name, const char* text, float left, float top, float width, float height,
              int alignH)
{
    GuiElem* e = newLabel(parent, text, ROW_GREY, 1);
    e->name.assign(name);
    e->width = u(width);
    e->height = u(height);
    e->alignH = (int8_t)alignH;
    setMargins(e, u(top), u(left), u(0), u(0));
    return e;
}

GuiElem* panel(GuiElem* parent, const char* name, float top, float width, float height)
{
    GuiElem* e = newElem(parent, name);
    e->width = u(width);
    e->height = u(height);
    setMargins(e, u(top), autoLen(), autoLen(), autoLen());
    return e;
}

// A menu button of the given size, named for tests and the state dump.
GuiElem* menuButton(GuiElem* parent, const char* name, int id, const char* text, float width, float height, int scale,
                    int fontCell)
{
    GuiElem* button = newButton(parent, id, text, width, height, scale, fontCell);
    button->name.assign(name);
    return button;
}

void startNewGame()
{
    beginGameSeed();
    newGameProgress();
    seedLevelRandom(levelNumber);
    startNewLevel();
    switchGameMode(playGameMode);
}

}  // namespace

// --- Title -----------------------------------------------------------------------------

GuiElem* TitleGameMode::buildTree(int fontCell)
{
    GuiElem* root = newMenuRoot();
    topLabel(root, "SKYWARD!", YELLOW, 4, 2);
    GuiElem* play = menuButton(root, "play", MENU_CMD_PLAY, "Play", 12, 5, 2, fontCell);
    setMargins(play, autoLen(), autoLen(), autoLen(), u(12));
    GuiElem* quit = menuButton(root, "quit", MENU_CMD_QUIT, "Quit", 12, 5, 2, fontCell);
    setMargins(quit, autoLen(), autoLen(), autoLen(), u(6));
    topLabel(root, "Version 0.04 DEMO", NOTE_GREY, 1, 6.5f);
    bottomLabel(root, MAKER_NOTICE, NOTE_GREY, 1, 2);
    bottomLabel(root, SOUND_CREDIT, NOTE_GREY, 1, 1);
    return root;
}

int TitleGameMode::enterSound() const { return SE_TITLE_SCREEN; }

void TitleGameMode::command(int id)
{
    if (id == MENU_CMD_PLAY) {
        playSoundEvent(SE_NEW_GAME);
        startNewGame();
    } else if (id == MENU_CMD_QUIT) {
        requestQuit();
    }
}

// --- Upgrades --------------------------------------------------------------------------

GuiElem* UpgradeGameMode::buildTree(int fontCell)
{
    // Only what can be afforded on entry is offered at all.
    workingPoints = upgradePoints;
    offered.clear();
    for (Upgrade* const* up = upgradeList; *up; up++)
        if ((*up)->canUpgrade() && (*up)->cost() <= upgradePoints) offered.push_back(*up);
    pending.assign(offered.size(), 0);
    nameLabels.clear();
    costLabels.clear();
    plusButtons.clear();
    minusButtons.clear();

    GuiElem* root = newMenuRoot();
    GuiElem* header = panel(root, "header_panel", 1, MENU_REF_WIDTH, 6);
    topLabel(header, "SKYWARD!", YELLOW, 4, 0);
    FixedStr<32> reached;
    reached.format("REACHED LEVEL %d", levelNumber);
    topLabel(header, reached, YELLOW, 1, 5);

    // Labels as tall as a row's buttons with their borders, so their texts
    // line up with the buttons' signs.
    float labelHeight = ROW_HEIGHT + 2.0f / (float)std::max(fontCell, 1);
    GuiElem* points = panel(root, "points_panel", 9, TABLE_WIDTH, labelHeight);
    cell(points, "points_title", "Upgrade points:", 0, 0, NAME_WIDTH, labelHeight, 1);
    pointsLabel = cell(points, "points", "##", NAME_WIDTH, 0, COST_WIDTH, labelHeight, 1);

    int rows = (int)offered.size();
    GuiElem* table = panel(root, "upgrades_panel", 12, TABLE_WIDTH, ROW_PITCH * (float)rows);
    for (int i = 0; i < rows; i++) {
        float top = ROW_PITCH * (float)i;
        std::string upgradeName = offered[(size_t)i]->name();
        nameLabels.push_back(cell(table, "name", upgradeName.c_str(), 0, top, NAME_WIDTH, labelHeight, -1));
        costLabels.push_back(cell(table, "cost", "##", NAME_WIDTH, top, COST_WIDTH, labelHeight, 1));
        GuiElem* plus =
            menuButton(table, "plus", UPGRADE_CMD_ROWS + 2 * i, "+", ROW_BUTTON_WIDTH, ROW_HEIGHT, 1, fontCell);
        setMargins(plus, u(top), u(PLUS_LEFT), u(0), u(0));
        GuiElem* minus =
            menuButton(table, "minus", UPGRADE_CMD_ROWS + 2 * i + 1, "-", ROW_BUTTON_WIDTH, ROW_HEIGHT, 1, fontCell);
        setMargins(minus, u(top), u(MINUS_LEFT), u(0), u(0));
        plusButtons.push_back(plus);
        minusButtons.push_back(minus);
    }

    GuiElem* go = menuButton(root, "go", UPGRADE_CMD_GO, "GO!", 12, 5, 3, fontCell);
    setMargins(go, autoLen(), autoLen(), autoLen(), u(2));
    refresh();
    return root;
}

void UpgradeGameMode::refresh()
{
    pointsLabel->text.format("%02d", workingPoints);
    for (size_t i = 0; i < offered.size(); i++) {
        int cost = offered[i]->cost();
        bool affordable = workingPoints >= cost;
        // A purchase shows yellow even when the rest could no longer pay for it.
        uint32_t colour = pending[i] ? YELLOW : affordable ? ROW_GREY : UNAFFORDABLE_RED;
        costLabels[i]->text.format("%d", cost);
        costLabels[i]->textColour = colour;
        nameLabels[i]->textColour = colour;
        setHidden(plusButtons[i], pending[i] || !affordable);
        setHidden(minusButtons[i], !pending[i]);
    }
}

int UpgradeGameMode::enterSound() const { return SE_UPGRADE_SCREEN; }

void UpgradeGameMode::command(int id)
{
    if (id == UPGRADE_CMD_GO) {
        for (size_t i = 0; i < offered.size(); i++)
            if (pending[i]) offered[i]->apply();
        upgradePoints = workingPoints;
        playSoundEvent(SE_UPGRADE_ACCEPT);
        seedLevelRandom(levelNumber);
        startNewLevel();
        switchGameMode(playGameMode);
        return;
    }
    if (id < UPGRADE_CMD_ROWS) return;
    size_t row = (size_t)((id - UPGRADE_CMD_ROWS) / 2);
    // clang-format off
    ASSERT(row<offered.size());
    // clang-format on
    int cost = offered[row]->cost();
    if ((id - UPGRADE_CMD_ROWS) % 2 == 0) {
        pending[row] += 1;
        workingPoints -= cost;
        playSoundEvent(SE_UPGRADE_PLUS);
    } else {
        pending[row] -= 1;
        workingPoints += cost;
        playSoundEvent(SE_UPGRADE_MINUS);
    }
    refresh();
}

// --- End of the demo -------------------------------------------------------------------

GuiElem* EndDemoGameMode::buildTree(int fontCell)
{
    GuiElem* root = newMenuRoot();
    topLabel(root, "SKYWARD!", YELLOW, 4, 1);
    topLabel(root, "End of DEMO", YELLOW, 2, 5);
    topLabel(root, "Thanks for playing!", NOTE_GREY, 1, 9);
    topLabel(root, "You can get the game at", NOTE_GREY, 1, 10.5f);
    topLabel(root, WEB_ADDRESS, NOTE_GREY, 1, 12);
    GuiElem* quit = menuButton(root, "quit", MENU_CMD_QUIT, "Quit", 12, 5, 2, fontCell);
    setMargins(quit, autoLen(), u(5), autoLen(), u(1));
    GuiElem* restart = menuButton(root, "restart", MENU_CMD_PLAY, "Restart", 12, 5, 2, fontCell);
    setMargins(restart, autoLen(), autoLen(), u(5), u(1));
    return root;
}

int EndDemoGameMode::enterSound() const { return SE_END_DEMO_SCREEN; }

void EndDemoGameMode::command(int id)
{
    // Restart has no sound of its own: the new level raises "start_level".
    if (id == MENU_CMD_PLAY)
        startNewGame();
    else if (id == MENU_CMD_QUIT)
        requestQuit();
}

void setUpMenuModes()
{
    titleGameMode = &titleScreen;
    upgradeGameMode = &upgradeScreen;
    endDemoGameMode = &endDemoScreen;
    static bool dumpAdded = false;
    if (!dumpAdded) addStateDumpSection(writeGuiState);
    dumpAdded = true;
}

void freeMenuScreens()
{
    for (GuiScreenMode* mode :
         {(GuiScreenMode*)&titleScreen, (GuiScreenMode*)&upgradeScreen, (GuiScreenMode*)&endDemoScreen}) {
        delete mode->scr;
        mode->scr = nullptr;
    }
}
