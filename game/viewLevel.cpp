// viewLevel.cpp -- the level viewer.
#include "game/viewLevel.h"

#include <cmath>
#include <cstdio>

#include "game/camera.h"
#include "game/gameObj.h"
#include "game/playMode.h"
#include "game/worldDraw.h"
#include "game/worldView.h"
#include "platform/vkeys.h"
#include "shell/input.h"

ViewLevelMode viewLevelScreen;

namespace {

constexpr float PAN_PER_PIXEL = 0.5f;  // cells per pixel of pointer travel in one step

}  // namespace

void ViewLevelMode::enter(GameMode*)
{
    view = returnPosition = cameraPosition();
    started = false;
}

void ViewLevelMode::leave(GameMode*) { cameraSet(returnPosition); }

void ViewLevelMode::update(float)
{
    int halfW = worldViewSize.width / 2, halfH = worldViewSize.height / 2;
    // The first step only centres the pointer, wherever it was.
    if (started) {
        MousePos m = getMousePosition();
        view.x += (m.x - (float)halfW) * PAN_PER_PIXEL;
        view.y += ((float)halfH - m.y) * PAN_PER_PIXEL;
    }
    setMousePosition((float)halfW, (float)halfH);
    started = true;
    cameraSet(view);
    if (keyReleased(VK_SPACE)) {
        placeHero(view.x, view.y);
        returnPosition = view;
        switchGameMode(playGameMode);
    }
}

void ViewLevelMode::render(float t) { renderWorld(t); }

void ViewLevelMode::renderOverlay(float)
{
    char text[64];
    snprintf(text, sizeof(text), "VIEW MODE % 5d % 4d", (int)std::lrint(view.x), (int)std::lrint(view.y));
    drawOverlayText(text, 0, 0, -1, -1, 0xFF64FF64, 1.0f);
}
