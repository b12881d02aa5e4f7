// playMode.cpp -- the play mode: play step, world render and new levels.
#include "game/playMode.h"

#include <algorithm>

#include "game/camera.h"
#include "game/gameMode.h"
#include "game/gameObj.h"
#include "game/junk.h"
#include "game/pauseMode.h"
#include "game/worldDraw.h"
#include "game/worldView.h"
#include "gen/levelGen.h"
#include "gen/levelMap.h"
#include "sound/soundEvents.h"

bool levelFinished = false;
bool objectDebugDrawing = false;

namespace {

constexpr uint32_t PLAY_BACKGROUND_A = 0x725020;
constexpr uint32_t PLAY_BACKGROUND_B = 0x99723F;

class PlayGameMode final : public GameMode {
public:
    void enter(GameMode*) override {}
    void leave(GameMode*) override {}
    void update(float dt) override
    {
        // The step in which play is paused does not move the world either.
        if (!pausePlayIfAsked()) playStep(dt);
    }
    void render(float t) override { renderWorld(t); }
    void renderOverlay(float) override {}
    void onResize() override {}
    const char* name() const override { return "PlayGameMode"; }
};

PlayGameMode playMode;

}  // namespace

GameMode* playModeInstance() { return &playMode; }

void playStep(float dt)
{
    updateAllObjects(dt);
    updateJunk(dt);
    // Both can happen in one step; the elevator wins.
    if (heroHealth() < 1) switchGameMode(gameOverMode);
    if (levelFinished) switchGameMode(elevatorGameMode);
}

void renderWorld(float t)
{
    // The frame passes blend the camera for t too; doing it here as well keeps
    // the view window the same in runs without a screen.
    Vec4 c = cameraForRender(t);
    viewWindow = computeViewWindow(c, worldViewSize);

    beginWorldBackground(PLAY_BACKGROUND_A, PLAY_BACKGROUND_B);
    beginWorldCubes();
    drawLevelCells(std::max(0, viewWindow.x0), std::max(0, viewWindow.y0), std::min((int)LEVEL_W, viewWindow.x1),
                   std::min((int)LEVEL_H, viewWindow.y1));
    renderAllObjects(t);
    renderJunk(t);
    endWorldCubes();
    endWorldBackground(PLAY_BACKGROUND_A, PLAY_BACKGROUND_B);
    if (objectDebugDrawing) renderAllDebug(t);
}

void startNewLevel()
{
    levelFinished = false;
    // The hero stays in the world; everything else of the last level goes.
    releaseEnemiesAndBarrels();
    releaseBonuses();
    releaseBullets();
    clearJunk();
    flushKilled();
    generateLevel();
    refreshAllCells();
    playSoundEvent(SE_START_LEVEL);
}
