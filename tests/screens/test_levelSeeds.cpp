// Game seeds: a chosen seed gives the same levels whatever was played
// before them, games without one differ, and a game's seed replays it.
#include <gtest/gtest.h>

#include "game/levelSeeds.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "game/worldDump.h"
#include "support/utils.h"
#include "tests/screens/menuFixture.h"

namespace {

using GameSeeds = MenuTest;

// Play as far as random draws go: shots, debris and robots draw from the
// same source as the generator, a different number of times every game.
void playWith(int draws)
{
    for (int i = 0; i < draws; i++) random64.next();
}

struct GameLevels {
    uint64_t level1 = 0, level2 = 0;
};

}  // namespace

TEST(LevelSeed, LevelOneStartsFromTheSeedAndLaterLevelsFromUnrelatedStates)
{
    EXPECT_EQ(levelSeed(7, 1), 7u);
    EXPECT_EQ(levelSeed(0, 1), 0u);
    EXPECT_EQ(levelSeed(7, 2), levelSeed(7, 2));
    EXPECT_NE(levelSeed(7, 2), 7u);
    EXPECT_NE(levelSeed(7, 2), levelSeed(7, 3));
    EXPECT_NE(levelSeed(7, 2), levelSeed(8, 2));
    // Neighbouring seeds must not give neighbouring states.
    uint64_t a = levelSeed(7, 2), b = levelSeed(8, 2);
    EXPECT_GT(__builtin_popcountll(a ^ b), 12);
    EXPECT_NE(levelSeed(UINT64_MAX, 2), levelSeed(UINT64_MAX, 3));
}

class GameSeedsFlow : public GameSeeds {
protected:
    // A new game from the title, played for `draws`, finished, and level 2
    // started from the upgrade screen.
    GameLevels playGame(int draws)
    {
        GameLevels g;
        switchGameMode(titleGameMode);
        click(find("play"));
        EXPECT_EQ(levelNumber, 1);
        g.level1 = levelVolumeHash();
        playWith(draws);
        completeLevel();
        enterUpgrades(5);
        playWith(draws / 3);
        click(find("go"));
        EXPECT_EQ(currentGameMode, playGameMode);
        EXPECT_EQ(levelNumber, 2);
        g.level2 = levelVolumeHash();
        return g;
    }
};

TEST_F(GameSeedsFlow, AChosenSeedGivesTheSameLevelsHoweverTheGameWasPlayed)
{
    runSeed = {777, true};
    GameLevels first = playGame(10);
    GameLevels again = playGame(4321);
    EXPECT_EQ(again.level1, first.level1);
    EXPECT_EQ(again.level2, first.level2);
    EXPECT_NE(first.level1, first.level2);
    EXPECT_EQ(runSeed.seed, 777u);

    // Level 1 is also the level start-up makes for --play.
    newGameProgress();
    seedLevelRandom(levelNumber);
    startNewLevel();
    EXPECT_EQ(levelVolumeHash(), first.level1);

    runSeed = {778, true};
    GameLevels other = playGame(10);
    EXPECT_NE(other.level1, first.level1);
    EXPECT_NE(other.level2, first.level2);
}

TEST_F(GameSeedsFlow, GamesWithoutAChosenSeedDifferAndTheirSeedReplaysThem)
{
    runSeed = {12345, false};
    GameLevels first = playGame(10);
    uint64_t firstSeed = runSeed.seed;
    GameLevels second = playGame(10);
    EXPECT_NE(runSeed.seed, firstSeed);
    EXPECT_NE(second.level1, first.level1);
    EXPECT_NE(second.level2, first.level2);

    // The seed the pause screen showed during the first game, chosen in a
    // later run, plays that game's levels.
    runSeed = {firstSeed, true};
    GameLevels replayed = playGame(999);
    EXPECT_EQ(replayed.level1, first.level1);
    EXPECT_EQ(replayed.level2, first.level2);
}
