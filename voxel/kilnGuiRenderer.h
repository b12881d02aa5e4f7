// kilnGuiRenderer.h -- the game's GUI renderer: the toolkit's top-down GUI
// pixels drawn with the bitmap font's batches on the back buffer, whose 2D
// coordinates count y from the bottom.
#pragma once

#include "gui/guiRenderer.h"

class KilnGuiRenderer final : public IGuiRenderer {
public:
    // The back-buffer size.
    int width() override;
    int height() override;
    // The font's cell height (8 before the font is loaded).
    int unit() override;
    // Drawing goes into the open text batch: the frame's 2D pass opens it
    // around the modes' overlays.
    void fillRect(float x0, float y0, float x1, float y1, uint32_t colour) override;
    void frameRect(float x0, float y0, float x1, float y1, uint32_t colour) override;
    void drawText(const char* text, int length, float x, float y, int alignH, int alignV, uint32_t colour,
                  int scale) override;
    void measureText(const char* text, int length, float* width, float* height, int scale) override;

    static KilnGuiRenderer instance;
};
