// frameDraw.cpp -- the drawing of one frame.
#include "shell/frameDraw.h"

#include <algorithm>
#include <cmath>

#include "d3d/d3d.h"
#include "game/camera.h"
#include "game/gameMode.h"
#include "game/gameObj.h"
#include "game/pauseMode.h"
#include "shell/frameClock.h"
#include "shell/input.h"
#include "shell/perfOverlay.h"
#include "sound/soundEvents.h"
#include "shell/screenMessages.h"
#include "voxel/font.h"
#include "voxel/scene.h"

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

namespace {

class FontPainter final : public OverlayPainter {
public:
    void fill(int x0, int y0, int x1, int y1, uint32_t colour) override { fillRect(x0, y0, x1, y1, colour); }
    void text(const char* s, int x, int y, int ax, int ay, uint32_t colour) override
    {
        drawText(s, -1, x, y, ax, ay, colour);
    }
};

}  // namespace

void drawPerformanceOverlay()
{
    if (!performanceOverlayVisible) return;
    pushTextStyle();
    int h = fontMetrics.cellHeight;
    fontMetrics.scale = std::max(1, height / (40 * h));
    FontPainter painter;
    drawPerformanceOverlayWith(painter, frameClock, width, height, h, fontMetrics.scale, available_texture_memory());
    popTextStyle();
}

void drawFrame(float t)
{
    // Paused, the world stays as it was after its last step instead of
    // blending towards a step that does not come.
    if (gamePaused()) t = frameClock.ticksToSeconds(frameClock.stepTicks);
    Vec4 camera = cameraForRender(t);
    // Sounds raised before the next frame are panned against this camera.
    setSoundListener(camera.x, pixelScale, width);
    drawScenePasses(camera, renderCurrentMode, t);
    beginText();
    if (currentGameMode) currentGameMode->renderOverlay(t);
    drawScreenMessages();
    drawErrorMessage();
    Vec4 padTarget;
    if (padCrosshairAt(t, &padTarget)) {
        // The world point through the camera of this frame, back to pixels
        // the way the pointer's position is turned into a world point.
        Vec4 c = transform(viewProjectionFor(camera), padTarget);
        if (c.w != 0.0f) {
            float x = (c.x / c.w + 1.0f) * 0.5f * (float)worldViewSize.width;
            float y = (c.y / c.w + 1.0f) * 0.5f * (float)worldViewSize.height;
            drawCrosshair((int)std::lround(x), (int)std::lround(y), height);
        }
    } else if (isMouseOverWindow()) {
        MousePos p = getMousePosition();
        drawCrosshair((int)p.x, height - 1 - (int)p.y, height);
    }
    drawPerformanceOverlay();
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
