// world.cpp -- world set-up and teardown.
#include "game/world.h"

#include "game/gameMode.h"
#include "game/gameObj.h"
#include "game/gameover.h"
#include "game/junk.h"
#include "game/playMode.h"
#include "game/spriteSets.h"
#include "game/viewLevel.h"
#include "game/worldDump.h"
#include "gen/levelGen.h"
#include "gen/levelPalette.h"
#include "gen/tileSet.h"
#include "voxel/levelCache.h"

void setUpWorldModes()
{
    playGameMode = playModeInstance();
    elevatorGameMode = &elevatorMode;
    gameOverMode = &gameOverScreen;
    viewLevelMode = &viewLevelScreen;
}

void worldSetup()
{
    loadLevelPalette("level.pal", levelPalette, 256);
    loadLevelTiles("tiles.bin");
    setupLevelGenTiles();
    initLevelCache();
    // The sprite sets; the hero is created once its own set is in, exists
    // from start-up on and survives from level to level.
    loadObjectSprites();
    setUpWorldModes();
    registerWorldStateDump();
}

void worldTeardown()
{
    freeObjectSprites();
    destroyWorldObjects();
    freeJunk();
    closeLevelCache();
    freeLevelTiles();
}
