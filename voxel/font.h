// font.h -- the bitmap font: text, filled and framed rectangles, and the
// loading screen, all in screen pixels with y counted from the bottom.
#pragma once

#include <cstdint>

#include "voxel/fontLayout.h"

// Glyph metrics and the current text style (scale, line and character gap).
extern FontMetrics fontMetrics;

// Loads "font.tga", measures its glyphs and creates the texture, shader and
// buffer; missing or broken files are fatal.
void initFont();
void closeFont();
bool fontReady();
// max(1, screen height / (30 * cell height)); logs "font scale: %d".
void computeFontScale();

void beginText();
void endText();
// Draws the pending quads; the batch stays open when keepOpen is set.
void flushText(bool keepOpen);
void measureText(const char* s, int len, int* width, int* height);
void drawText(const char* s, int len, int x, int y, int alignX, int alignY, uint32_t colour);
void fillRect(int x0, int y0, int x1, int y1, uint32_t colour);
void frameRect(int x0, int y0, int x1, int y1, uint32_t colour);
// Save and restore (line gap, character gap, scale).
void pushTextStyle();
void popTextStyle();
// Shows a loading screen with the text (at most 255 characters) and, when
// progress is not negative, a progress bar.
void showLoadingText(const char* text, float progress);
// Draws the loading screen; installed as the device's loading drawer.
void drawLoadingFrame();
