#include "tests/world/worldFixture.h"

#include <cstring>

#include "game/camera.h"
#include "game/gameMode.h"
#include "game/hero.h"
#include "game/junk.h"
#include "game/levelSeeds.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "game/world.h"
#include "game/worldView.h"
#include "gen/levelMap.h"
#include "shell/frameStep.h"
#include "shell/input.h"
#include "shell/inputQueue.h"
#include "shell/window.h"
#include "sound/soundEvents.h"

void WorldTest::SetUp()
{
    destroyWorldObjects();
    clearJunk();
    memset(levelVolume, 0, sizeof(levelVolume));
    random64.state = 12345;
    runSeed = RunSeed();
    resetSoundEventCounts();
    for (int k = 1; k < 256; k++) setKeyLive(k, false);
    clearInput();
    windowActive = true;
    screenToWorld = Mat4::identity();
    worldViewSize = WorldViewSize();
    viewWindow = ViewWindow();
    levelFinished = false;
    setUpWorldModes();
    currentGameMode = playGameMode;
    createHero();
    newGameProgress();
    placeHero(100, FLOOR_REST_Y);
}

void WorldTest::TearDown()
{
    currentGameMode = nullptr;
    destroyWorldObjects();
    freeJunk();
    for (int k = 1; k < 256; k++) setKeyLive(k, false);
    clearInput();
}

void fillCells(int x0, int y0, int x1, int y1, uint8_t value)
{
    for (int z = 0; z < LEVEL_D; z++)
        for (int y = y0; y <= y1; y++)
            for (int x = x0; x <= x1; x++) levelVoxel(x, y, z) = value;
}

void buildFloor(int x0, int x1, uint8_t value) { fillCells(x0, 0, x1, 9, value); }

void holdKey(int vk, bool down) { setKeyLive(vk, down); }

void pressKey(int vk)
{
    if (vk == VK_LBUTTON || vk == VK_RBUTTON)
        queueInputEvent(IEV_MOUSE_DOWN, vk == VK_LBUTTON ? 1 : 2, false, 0, 0, 0);
    else
        queueInputEvent(IEV_KEY_DOWN, vk, false, 0, 0, 0);
}

void releaseKey(int vk)
{
    if (vk == VK_LBUTTON || vk == VK_RBUTTON)
        queueInputEvent(IEV_MOUSE_UP, vk == VK_LBUTTON ? 1 : 2, false, 0, 0, 0);
    else
        queueInputEvent(IEV_KEY_UP, vk, false, 0, 0, 0);
}

void endStep() { clearInput(); }

void aimAt(Vec4 p)
{
    // The cursor sits at the client origin in tests; the transform maps its
    // normalised position onto p.
    MousePos m = getMousePosition();
    float w = (float)worldViewSize.width, h = (float)worldViewSize.height;
    float nx = (2.0f * m.x - w) / w;
    float ny = (2.0f * (h - 1.0f - m.y) - h) / h;
    screenToWorld = Mat4::identity();
    screenToWorld.r[3] = Vec4(p.x - nx, p.y - ny, 0, 1);
}

int countEmpty(int cx, int cy, int r, int z)
{
    int n = 0;
    for (int y = cy - r; y <= cy + r; y++)
        for (int x = cx - r; x <= cx + r; x++) n += levelVoxel(x, y, z) == 0;
    return n;
}
