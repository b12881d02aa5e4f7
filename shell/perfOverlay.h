// perfOverlay.h -- the performance overlay (F1): frame and update time
// graphs, and a table of frame rate, times, texture memory and GPU load.
#pragma once

#include <cstdint>

#include "shell/frameClock.h"

extern bool performanceOverlayVisible;

// What the overlay draws with: filled boxes and text in screen pixels, y up
// from the bottom (the bitmap font's convention). The game draws through the
// font; tests record the calls.
class OverlayPainter {
public:
    virtual void fill(int x0, int y0, int x1, int y1, uint32_t colour) = 0;
    virtual void text(const char* s, int x, int y, int alignX, int alignY, uint32_t colour) = 0;

protected:
    ~OverlayPainter() = default;
};

// One bar graph of a 200-entry ring along the bottom edge of a W x H screen:
// full scale F, threshold T (bars at or above it are red), the entry at
// writePos the next to be overwritten (drawn black), the largest value
// labelled above its first bar.
void drawTimeGraph(OverlayPainter& p, const int* ring, int writePos, int fullScale, int threshold, bool rightSide,
                   int screenW, int screenH);

// Both graphs and the table for the clock's rings; charHeight is the font's
// cell height at scale 1 and scale the text scale already set for the table.
void drawPerformanceOverlayWith(OverlayPainter& p, const FrameClock& clock, int screenW, int screenH,
                                int charHeight, int scale, unsigned textureMemoryBytes);
