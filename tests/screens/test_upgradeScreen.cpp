// The upgrade screen: what is offered, buying and giving back, "GO!", and the
// screen's life cycle.
#include <gtest/gtest.h>

#include "game/hero.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "game/upgrades.h"
#include "game/worldDump.h"
#include "sound/soundEvents.h"
#include "tests/screens/menuFixture.h"

namespace {

constexpr uint32_t GREY = 0xFFC8C8C8, RED = 0xFFAA0000, YELLOW = 0xFFFFF000;

using UpgradeScreen = MenuTest;

// The row's look: its name and cost colour (they must agree) and which of
// its buttons show, e.g. "grey +" or "yellow -".
std::string rowLook(int row)
{
    const UpgradeGameMode& m = upgradeScreen;
    uint32_t c = m.nameLabels[row]->textColour;
    EXPECT_EQ(m.costLabels[row]->textColour, c) << "row " << row;
    std::string look = c == GREY ? "grey" : c == RED ? "red" : c == YELLOW ? "yellow" : "?";
    if (isVisible(m.plusButtons[row])) look += " +";
    if (isVisible(m.minusButtons[row])) look += " -";
    return look;
}

}  // namespace

TEST_F(UpgradeScreen, FivePointsOfferAllThreeAndBuyingFireRateLeavesTwo)
{
    levelNumber = 2;
    enterUpgrades(5);
    ASSERT_EQ(upgradeScreen.offered.size(), 3u);
    EXPECT_EQ(soundEventCount(SE_UPGRADE_SCREEN), 1);
    EXPECT_EQ(visibleTexts(upgradeScreen.scr->root),
              ":SKYWARD!|:REACHED LEVEL 2|points_title:Upgrade points:|points:05|name:Health|cost:5|.normal:+|"
              "name:Fire rate|cost:3|.normal:+|name:Wall destruction|cost:5|.normal:+|.normal:GO!");
    for (int row = 0; row < 3; row++) EXPECT_EQ(rowLook(row), "grey +");

    click(upgradeScreen.plusButtons[1]);
    EXPECT_EQ(upgradeScreen.workingPoints, 2);
    EXPECT_EQ(std::string(upgradeScreen.pointsLabel->text), "02");
    EXPECT_EQ(rowLook(0), "red");
    EXPECT_EQ(rowLook(1), "yellow -");
    EXPECT_EQ(rowLook(2), "red");
    EXPECT_EQ(soundEventCount(SE_UPGRADE_PLUS), 1);
    // Nothing is spent until "GO!".
    EXPECT_EQ(upgradePoints, 5);
    EXPECT_EQ(fireRate, 10.0f);
}

TEST_F(UpgradeScreen, TwoPointsOfferNothingAndGoKeepsThem)
{
    enterUpgrades(2);
    EXPECT_TRUE(upgradeScreen.offered.empty());
    EXPECT_EQ(visibleTexts(upgradeScreen.scr->root),
              ":SKYWARD!|:REACHED LEVEL 1|points_title:Upgrade points:|points:02|.normal:GO!");
    EXPECT_EQ(find("plus"), nullptr);
    click(find("go"));
    EXPECT_EQ(currentGameMode, playGameMode);
    EXPECT_EQ(upgradePoints, 2);
}

TEST_F(UpgradeScreen, WallDestructionAtFourIsNeverOffered)
{
    wallDestruction = 4;
    enterUpgrades(20);
    ASSERT_EQ(upgradeScreen.offered.size(), 2u);
    EXPECT_EQ(upgradeScreen.offered[0]->name(), "Health");
    EXPECT_EQ(upgradeScreen.offered[1]->name(), "Fire rate");
}

TEST_F(UpgradeScreen, AnUpgradeTooDearOnEntryIsNotShownEvenAfterGivingBack)
{
    // 4 points: only Fire rate (3) is offered; giving it back does not bring
    // the 5-point upgrades in.
    enterUpgrades(4);
    ASSERT_EQ(upgradeScreen.offered.size(), 1u);
    click(upgradeScreen.plusButtons[0]);
    click(upgradeScreen.minusButtons[0]);
    EXPECT_EQ(upgradeScreen.offered.size(), 1u);
    EXPECT_EQ(upgradeScreen.workingPoints, 4);
}

TEST_F(UpgradeScreen, MinusAfterPlusGivesThePointsBackAndTheColoursFollow)
{
    enterUpgrades(8);
    click(upgradeScreen.plusButtons[1]);  // Fire rate: 5 left
    EXPECT_EQ(rowLook(0), "grey +");
    click(upgradeScreen.plusButtons[0]);  // Health: 0 left
    EXPECT_EQ(rowLook(0), "yellow -");
    EXPECT_EQ(rowLook(2), "red");
    click(upgradeScreen.minusButtons[1]);  // Fire rate back: 3
    EXPECT_EQ(upgradeScreen.workingPoints, 3);
    EXPECT_EQ(std::string(upgradeScreen.pointsLabel->text), "03");
    EXPECT_EQ(rowLook(0), "yellow -");
    EXPECT_EQ(rowLook(1), "grey +");
    EXPECT_EQ(rowLook(2), "red");  // still more than the 3 points left
    EXPECT_EQ(soundEventCount(SE_UPGRADE_MINUS), 1);
    EXPECT_EQ(soundEventCount(SE_UPGRADE_PLUS), 2);
}

TEST_F(UpgradeScreen, GoWithNothingPendingOnlyStartsTheNextLevel)
{
    levelNumber = 2;
    theHero->health = 2;
    enterUpgrades(7);
    uint64_t hash = levelVolumeHash();
    click(find("go"));
    EXPECT_EQ(currentGameMode, playGameMode);
    EXPECT_EQ(upgradePoints, 7);
    EXPECT_EQ(fireRate, 10.0f);
    EXPECT_EQ(wallDestruction, 2);
    EXPECT_EQ(theHero->health, 2);  // a new level gives no hearts back
    EXPECT_EQ(levelNumber, 2);
    EXPECT_NE(levelVolumeHash(), hash);
    EXPECT_EQ(soundEventCount(SE_UPGRADE_ACCEPT), 1);
    EXPECT_EQ(soundEventCount(SE_START_LEVEL), 1);
    // Left inside its own update, the screen is gone at the end of it.
    EXPECT_EQ(upgradeScreen.scr, nullptr);
}

TEST_F(UpgradeScreen, GoAppliesEveryPurchaseOnceAndCommitsThePoints)
{
    theHero->health = 5;
    enterUpgrades(13);
    click(upgradeScreen.plusButtons[0]);  // Health, 5
    click(upgradeScreen.plusButtons[1]);  // Fire rate, 3
    click(upgradeScreen.plusButtons[2]);  // Wall destruction, 5
    EXPECT_EQ(upgradeScreen.workingPoints, 0);
    // Two clicks on "GO!" in one step: the second arrives after the mode
    // was left and must not buy everything again.
    clickTimes(find("go"), 2);
    EXPECT_EQ(upgradePoints, 0);
    EXPECT_EQ(theHero->health, 6);  // health has no cap
    EXPECT_EQ(fireRate, 11.0f);
    EXPECT_EQ(wallDestruction, 3);
    EXPECT_EQ(soundEventCount(SE_UPGRADE_ACCEPT), 1);
    EXPECT_EQ(soundEventCount(SE_START_LEVEL), 1);
}

TEST_F(UpgradeScreen, ReenteringBuildsAFreshScreen)
{
    enterUpgrades(10);
    click(upgradeScreen.plusButtons[1]);
    click(find("go"));
    ASSERT_EQ(upgradeScreen.scr, nullptr);
    enterUpgrades(upgradePoints + 5);
    ASSERT_NE(upgradeScreen.scr, nullptr);
    EXPECT_EQ(upgradeScreen.workingPoints, 12);
    for (int p : upgradeScreen.pending) EXPECT_EQ(p, 0);
    EXPECT_EQ(rowLook(1), "grey +");
    EXPECT_EQ(soundEventCount(SE_UPGRADE_SCREEN), 2);
}

TEST_F(UpgradeScreen, EnteringWhileTheLastScreenStillExistsIsFatal)
{
    enterUpgrades(5);
    // Left without an update: the screen is still there.
    switchGameMode(playGameMode);
    ASSERT_NE(upgradeScreen.scr, nullptr);
    EXPECT_EXIT(switchGameMode(upgradeGameMode), ::testing::ExitedWithCode(100), "failed ASSERT\\(!scr\\)");
}
