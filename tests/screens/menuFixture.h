// menuFixture.h -- the menu screens over a clean world, drawn and measured by
// a recording renderer (640 x 480, 8-pixel units: scale 2), with pointer input
// through the window's real input path and the shipped tile set for new levels.
#pragma once

#include <string>

#include "game/upgradeMode.h"
#include "tests/gui/guiTestKit.h"
#include "tests/world/worldFixture.h"

class MenuTest : public WorldTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // One simulation step of the current mode after a click at the centre
    // of the element; the step's input is discarded afterwards.
    void click(GuiElem* elem);
    // Several clicks queued before one step.
    void clickTimes(GuiElem* elem, int times);
    // The upgrade screen entered with the given points.
    void enterUpgrades(int points);

    // The n-th element of that name in the current screen's tree order
    // (depth first), or null.
    GuiElem* find(const char* name, int n = 0);

    RecordingRenderer renderer;
};

// The mode's element tree as "name:text" of each visible element with text,
// in tree order, joined by '|'.
std::string visibleTexts(GuiElem* root);
