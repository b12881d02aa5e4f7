// frameDraw.cpp -- the drawing of one frame.
#include "shell/frameDraw.h"

#include "d3d/d3d.h"
#include "game/camera.h"
#include "game/gameMode.h"
#include "shell/input.h"
#include "shell/screenMessages.h"
#include "voxel/font.h"
#include "voxel/scene.h"

void (*drawPerformanceOverlaySlot)() = nullptr;

static void renderCurrentMode(float t)
{
    if (currentGameMode) currentGameMode->render(t);
}

void drawScreenMessages()
{
    int n = screenMessageCount();
    if (!n) return;
    pushTextStyle();
    fontMetrics.scale = 2;
    int h = fontMetrics.cellHeight;
    for (int i = 0; i < n; i++) drawText(screenMessage(i), -1, 2 * h, (n - i) * 2 * h, -1, -1, 0xFFFFFFFF);
    popTextStyle();
}

void drawErrorMessage()
{
    const char* text = errorMessage();
    if (!text || !*text) return;
    pushTextStyle();
    fontMetrics.scale = 2;
    int h = fontMetrics.cellHeight;
    fillRect(0, height - 12 * h, width, height, 0xCC660000);
    drawText(text, -1, width / 2, height - h, 0, 1, 0xFFFFEE00);
    popTextStyle();
}

void drawCrosshair(int x, int y, int screenHeight)
{
    int c = screenHeight / 70 > 4 ? screenHeight / 70 : 4;
    int d = c / 2;
    const uint32_t white = 0xFFFFFFFF, black = 0xFF000000;
    // Left, right, below, above; the black box is one pixel larger all round.
    fillRect(x - c - d - 1, y - 1, x - c + 1, y + 2, black);
    fillRect(x - c - d, y, x - c, y + 1, white);
    fillRect(x + c, y - 1, x + c + d + 2, y + 2, black);
    fillRect(x + c + 1, y, x + c + d + 1, y + 1, white);
    fillRect(x - 1, y - c - d - 1, x + 2, y - c + 1, black);
    fillRect(x, y - c - d, x + 1, y - c, white);
    fillRect(x - 1, y + c, x + 2, y + c + d + 2, black);
    fillRect(x, y + c + 1, x + 1, y + c + d + 1, white);
}

void drawFrame(float t)
{
    drawScenePasses(cameraForRender(t), renderCurrentMode, t);
    beginText();
    if (currentGameMode) currentGameMode->renderOverlay(t);
    drawScreenMessages();
    drawErrorMessage();
    if (isMouseOverWindow()) {
        MousePos p = getMousePosition();
        drawCrosshair((int)p.x, height - 1 - (int)p.y, height);
    }
    if (drawPerformanceOverlaySlot) drawPerformanceOverlaySlot();
    endText();
}

void installFrameDrawing()
{
    set_frame_drawer(drawFrame);
    set_loading_drawer(drawLoadingFrame);
    // The scene's pixel scale and level cache first, then the mode.
    add_reset_listener(sceneResizeHook);
    add_reset_listener(resizeCurrentGameMode);
}
