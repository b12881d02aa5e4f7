// upgradeMode.h -- the menu screens: the title, the upgrade screen between
// levels and the end-of-demo screen.
#pragma once

#include <vector>

#include "game/guiScreenMode.h"

class Upgrade;

// Command ids of the menu buttons; the upgrade rows' "+" and "-" buttons
// send UPGRADE_CMD_ROWS + 2 x row and one more.
enum MenuCommand {
    MENU_CMD_PLAY = 1,  // the title's Play and the end screen's Restart
    MENU_CMD_QUIT = 2,
    UPGRADE_CMD_GO = 1,
    UPGRADE_CMD_ROWS = 10,
};

// Play starts a new game at level 1; Quit ends the program.
class TitleGameMode final : public GuiScreenMode {
public:
    const char* name() const override { return "TitleGameMode"; }

protected:
    GuiElem* buildTree(int fontCell) override;
    int enterSound() const override;
    void command(int id) override;
};

// Spends upgrade points between levels. Each offered upgrade can be bought
// once per visit; the points are committed by "GO!", which starts the next
// level.
class UpgradeGameMode final : public GuiScreenMode {
public:
    const char* name() const override { return "UpgradeGameMode"; }

    // While the screen exists: the points left after the pending purchases,
    // the upgrades offered (affordable on entry), and per offered row whether
    // it is bought on this visit and its elements.
    int workingPoints = 0;
    std::vector<Upgrade*> offered;
    std::vector<int> pending;
    std::vector<GuiElem*> nameLabels, costLabels, plusButtons, minusButtons;
    GuiElem* pointsLabel = nullptr;

protected:
    GuiElem* buildTree(int fontCell) override;
    int enterSound() const override;
    void command(int id) override;

private:
    // Texts, colours and which buttons show, after every change.
    void refresh();
};

// After the last level: thanks, where to get the game, Restart and Quit.
class EndDemoGameMode final : public GuiScreenMode {
public:
    const char* name() const override { return "EndDemoGameMode"; }

protected:
    GuiElem* buildTree(int fontCell) override;
    int enterSound() const override;
    void command(int id) override;
};

extern TitleGameMode titleScreen;
extern UpgradeGameMode upgradeScreen;
extern EndDemoGameMode endDemoScreen;

// Points titleGameMode, upgradeGameMode and endDemoGameMode at their
// instances and adds the "gui" key to the state dump. The GUI's behaviours
// must be registered first.
void setUpMenuModes();
// Frees the screens still built (the current mode's, or one left without an
// update since); for shutdown, after the current mode was left.
void freeMenuScreens();
