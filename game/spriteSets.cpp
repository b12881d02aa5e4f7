// spriteSets.cpp -- loading and freeing the object sprites.
#include "game/spriteSets.h"

#include "game/gameObj.h"
#include "game/hero.h"
#include "shell/log.h"
#include "voxel/loadSprite.h"

namespace {

struct SpriteFile {
    ObjectSprite handle;
    const char* file;
};

const SpriteFile heroSet[] = {{SPR_HERO_BODY, "hero_body.png"},
                              {SPR_HERO_ARM, "hero_arm.png"},
                              {SPR_HERO_LEGS0, "hero_legs0.png"},
                              {SPR_HERO_LEGS2, "hero_legs2.png"},
                              {SPR_HUD_HEART, "heart.png"}};
const SpriteFile enemySet[] = {{SPR_ROBOT, "robot1.png"}, {SPR_BARREL, "barrel.png"}};
const SpriteFile bonusSet[] = {{SPR_UP_POINT, "up_point.png"}, {SPR_HEART_BONUS, "heart_bonus.png"}};

VoxelSprite* sprites[SPR_HEART_BONUS + 1] = {};

template <int N>
void loadSet(const SpriteFile (&set)[N], const char* failure)
{
    bool complete = true;
    for (const SpriteFile& f : set) {
        sprites[f.handle] = loadVoxelPng(f.file);
        complete &= sprites[f.handle] != nullptr;
    }
    if (!complete) fatalError("%s", failure);
}

template <int N>
void freeSet(const SpriteFile (&set)[N])
{
    for (const SpriteFile& f : set) {
        deleteVoxelSprite(sprites[f.handle]);
        sprites[f.handle] = nullptr;
    }
}

}  // namespace

void loadObjectSprites()
{
    loadSet(heroSet, "can't load hero voxel sprites");
    if (!theHero) createHero();
    loadSet(enemySet, "can't load enemy voxel sprites");
    loadSet(bonusSet, "can't load bonus voxel sprites");
}

void freeObjectSprites()
{
    freeSet(bonusSet);
    freeSet(enemySet);
    if (theHero) theHero->release();
    theHero = nullptr;
    freeSet(heroSet);
}

const VoxelSprite* objectSprite(ObjectSprite which) { return sprites[which]; }
