// The object sprite sets: all nine load and make one hero; a missing file
// ends the program with its set's message after the sets before it loaded.
#include <gtest/gtest.h>

#include "game/gameObj.h"
#include "game/spriteSets.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "tests/test_util.h"
#include "voxel/voxelSprite.h"

namespace {

const char* spriteFiles[] = {"hero_body.png", "hero_arm.png", "hero_legs0.png",  "hero_legs2.png", "heart.png",
                             "robot1.png",    "barrel.png",   "heart_bonus.png", "up_point.png"};

struct SpriteSetTest : ::testing::Test {
    TempDir dir;
    void copySprites(const char* except = nullptr)
    {
        for (const char* f : spriteFiles) {
            if (except && !strcmp(f, except)) continue;
            std::string bytes = readFileBytes(binDir() + "/" + f);
            ASSERT_FALSE(bytes.empty()) << f;
            writeFileBytes(dir.file(f), bytes.data(), bytes.size());
        }
        setProgramDirectory((dir.path + "/").c_str());
    }
};

TEST_F(SpriteSetTest, AllNineLoadAndMakeOneHero)
{
    copySprites();
    ASSERT_EQ(theHero, nullptr);
    loadObjectSprites();
    ASSERT_NE(theHero, nullptr);
    EXPECT_EQ(heroes.num, 1);
    for (int s = SPR_HERO_BODY; s <= SPR_HEART_BONUS; s++) EXPECT_NE(objectSprite((ObjectSprite)s), nullptr) << s;
    EXPECT_EQ(objectSprite(SPR_ROBOT)->nx, 16);
    freeObjectSprites();
    flushKilled();
    EXPECT_EQ(theHero, nullptr);
    EXPECT_EQ(heroes.num, 0);
    EXPECT_EQ(objectSprite(SPR_HERO_BODY), nullptr);
}

void reportHeroOnShutdown() { fprintf(stderr, theHero ? "[hero exists]\n" : "[no hero]\n"); }

TEST_F(SpriteSetTest, MissingBarrelEndsWithTheEnemySetMessageAfterTheHero)
{
    copySprites("barrel.png");
    EXPECT_EXIT(
        {
            setFatalShutdown(reportHeroOnShutdown);
            loadObjectSprites();
        },
        ::testing::ExitedWithCode(100), "can't load enemy voxel sprites(.|\n)*\\[hero exists\\]");
}

TEST_F(SpriteSetTest, MissingHeroSpriteEndsBeforeTheHeroIsMade)
{
    copySprites("hero_legs2.png");
    EXPECT_EXIT(
        {
            setFatalShutdown(reportHeroOnShutdown);
            loadObjectSprites();
        },
        ::testing::ExitedWithCode(100), "can't load hero voxel sprites(.|\n)*\\[no hero\\]");
}

}  // namespace
