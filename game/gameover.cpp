// gameover.cpp -- the elevator ride and the game-over screen.
#include "game/gameover.h"

#include <algorithm>
#include <cmath>

#include "game/gameObj.h"
#include "game/junk.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "game/worldDraw.h"
#include "game/worldView.h"
#include "gen/levelMap.h"
#include "shell/gamepad.h"
#include "shell/input.h"
#include "sound/soundEvents.h"
#include "voxel/loadSprite.h"

ElevatorGameMode elevatorMode;
GameOverMode gameOverScreen;

namespace {

constexpr int PLATFORM_SEARCH = 32;  // cells around the seed that can belong to the platform
constexpr int SHAFT_LAYERS = 16;     // layers 0..15 are cleared above the platform
constexpr int MAX_RIDE_SPEED = 10;
constexpr float GAME_OVER_DELAY = 0.5f;

}  // namespace

void ElevatorGameMode::findPlatform()
{
    // The seed: the rightmost column with exit material in the collision
    // layer, its lowest such cell.
    int xp = -1, yp = -1;
    const uint8_t* layer = collisionLayer();
    for (int x = LEVEL_W - 1; x >= 0 && xp < 0; x--) {
        for (int y = 0; y < LEVEL_H; y++) {
            if (layer[x + LEVEL_W * y] >= VOXEL_EXIT_MIN) {
                xp = x;
                yp = y;
                break;
            }
        }
    }
    // clang-format off
    ASSERT(xp>=0);
    // clang-format on

    int wx0 = std::max(0, xp - PLATFORM_SEARCH), wx1 = std::min(LEVEL_W - 1, xp + PLATFORM_SEARCH);
    int wy0 = std::max(0, yp - PLATFORM_SEARCH), wy1 = std::min(LEVEL_H - 1, yp + PLATFORM_SEARCH);
    x0 = wx1;
    x1 = wx0;
    y0 = wy1;
    top = wy0;
    for (int z = 0; z < LEVEL_D; z++)
        for (int y = wy0; y <= wy1; y++)
            for (int x = wx0; x <= wx1; x++) {
                if (levelVoxel(x, y, z) < VOXEL_EXIT_MIN) continue;
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                top = std::max(top, y);
            }
}

void ElevatorGameMode::enter(GameMode*)
{
    releaseEnemiesAndBarrels();
    releaseBullets();
    clearJunk();
    playSoundEvent(SE_SKYWARD_ELEVATOR);

    findPlatform();
    deleteVoxelSprite(platform);
    platform = spriteFromLevel(x0, y0, 1, x1, top, 19);

    // Clear the shaft above the platform, whatever the cells are made of.
    for (int z = 0; z < SHAFT_LAYERS; z++)
        for (int y = top + 1; y < LEVEL_H; y++)
            for (int x = x0; x <= x1; x++) levelVoxel(x, y, z) = 0;
    refreshCells(x0, top, 0, x1, LEVEL_H - 1, 17);
    speed = 1;
}

void ElevatorGameMode::leave(GameMode*)
{
    deleteVoxelSprite(platform);
    platform = nullptr;
}

void ElevatorGameMode::update(float dt)
{
    if (top > LEVEL_H - 2) {
        completeLevel();
        // The demo has two levels: upgrades after the first, the end after the second.
        switchGameMode(levelNumber > 2 ? endDemoGameMode : upgradeGameMode);
        return;
    }
    for (int i = 0; i < speed && top <= LEVEL_H - 2; i++) top++;
    moveHeroTo(Vec4((float)(x0 + x1) * 0.5f, (float)top, heroPos().z, 1.0f), dt);
    if (speed < MAX_RIDE_SPEED) speed++;
}

void ElevatorGameMode::render(float t)
{
    renderWorld(t);
    if (!platform) return;
    // Copies of the platform stacked under the hero's feet down towards its
    // starting row, so the shaft below looks filled.
    beginWorldCubes();
    float hy = heroInterpPos(t).y;
    int h = platform->ny;
    int k = (int)std::lrint(hy - 0.49999988f) - y0;
    Mat4 m = Mat4::identity();
    m.r[3] = Vec4((float)x0, hy, 0, 1);
    setWorldCubeTransform(m);
    for (int n = 1; k >= h; n++, k -= h) drawVoxelSpriteAt(platform, 0, -n * h, 1, 0);
    endWorldCubes();
}

void GameOverMode::enter(GameMode*)
{
    delay = GAME_OVER_DELAY;
    playSoundEvent(SE_HERO_DEAD);
}

void GameOverMode::update(float dt)
{
    // The world keeps moving under the text.
    playStep(dt);
    if (delay > 0) {
        delay -= dt;
        if (delay <= 0) playSoundEvent(SE_GAME_OVER);
        return;
    }
    // On the controller, A or Start.
    if (keyReleased(VK_SPACE) || keyReleased(VK_LBUTTON) || keyReleased(VK_RBUTTON) || keyReleased(VK_RETURN) ||
        padReleased(PAD_A) || padReleased(PAD_START))
        switchGameMode(titleGameMode);
}

void GameOverMode::render(float t) { renderWorld(t); }

void GameOverMode::renderOverlay(float)
{
    int w = worldViewSize.width, h = worldViewSize.height;
    drawOverlayText("GAME OVER", w / 2 + 2, h / 2 - 2, 0, 0, 0xFF000000, 5.0f);
    drawOverlayText("GAME OVER", w / 2, h / 2, 0, 0, 0xFFFFFFFF, 5.0f);
}
