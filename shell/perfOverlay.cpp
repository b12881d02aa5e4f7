#include "shell/perfOverlay.h"

#include <algorithm>
#include <cstdio>
#include <cstring>


bool performanceOverlayVisible = false;

namespace {

constexpr uint32_t PANEL = 0x40000000;
constexpr uint32_t THRESHOLD_BAND = 0x20008000;
constexpr uint32_t WHITE = 0xFFFFFFFF;

struct RingStats {
    int max, min, average;
};

RingStats statsOf(const int* ring)
{
    RingStats s{ring[0], ring[0], 0};
    int64_t sum = 0;
    for (int i = 0; i < FRAME_RING; i++) {
        s.max = std::max(s.max, ring[i]);
        s.min = std::min(s.min, ring[i]);
        sum += ring[i];
    }
    s.average = (int)((sum + FRAME_RING / 2) / FRAME_RING);
    return s;
}

// GPU loads: -1 marks a frame without a reading, which does not count. A
// maximum below 0 means no reading at all.
RingStats loadStatsOf(const int* ring)
{
    RingStats s{-1, 101, 0};
    int64_t sum = 0, n = 0;
    for (int i = 0; i < FRAME_RING; i++) {
        if (ring[i] < 0) continue;
        s.max = std::max(s.max, ring[i]);
        s.min = std::min(s.min, ring[i]);
        sum += ring[i];
        n++;
    }
    if (n) s.average = (int)((sum + n / 2) / n);
    return s;
}

// Opaque RGB from channel fractions.
uint32_t rgb(float r, float g, float b)
{
    auto c = [](float v) { return (uint32_t)std::clamp((int)(v * 255.0f + 0.5f), 0, 255); };
    return 0xFF000000u | c(r) << 16 | c(g) << 8 | c(b);
}

// The table's rows: a label of one or two lines and up to three values.
struct TableRow {
    const char* label;
    char values[3][16];
    int count;
};

}  // namespace

void drawTimeGraph(OverlayPainter& p, const int* ring, int writePos, int fullScale, int threshold, bool rightSide,
                   int screenW, int screenH)
{
    if (fullScale <= 0) return;
    int g = screenH / 4;
    int b = std::max(2, screenW / 400);
    int x0 = rightSide ? screenW - FRAME_RING * b : 0;
    p.fill(x0, 0, x0 + FRAME_RING * b, g, PANEL);
    if (fullScale >= threshold) p.fill(x0, 0, x0 + FRAME_RING * b, (int)((int64_t)threshold * g / fullScale), THRESHOLD_BAND);

    int maxValue = ring[0], maxAt = 0;
    for (int k = 0; k < FRAME_RING; k++) {
        int v = ring[k];
        if (v > maxValue) {
            maxValue = v;
            maxAt = k;
        }
        int height = (int)std::min<int64_t>((int64_t)v * g / fullScale, g);
        // The entry written last is brightest, the next to be overwritten black.
        float a = (float)(((k - writePos) % FRAME_RING + FRAME_RING) % FRAME_RING) / (float)FRAME_RING;
        uint32_t colour = v < threshold ? rgb(0, 0.5f * a, 0) : rgb(0.5f * a, 0, 0);
        int left = x0 + k * b + 1;
        p.fill(left, 0, left + b - 1, height, colour);
    }
    char label[16];
    snprintf(label, sizeof(label), "%d", maxValue);
    int top = (int)std::min<int64_t>((int64_t)maxValue * g / fullScale, g);
    int x = x0 + maxAt * b + 1 + (b - 1) / 2;
    // Towards the inside of the screen, so the label never runs off its edge.
    p.text(label, x, std::max(top, g / 2), rightSide ? 1 : -1, -1, WHITE);
}

void drawPerformanceOverlayWith(OverlayPainter& p, const FrameClock& clock, int w, int h, int charHeight, int scale,
                                unsigned textureMemoryBytes)
{
    RingStats frames = statsOf(clock.frameTimes);
    RingStats updates = statsOf(clock.updateTimes);
    RingStats gpu = loadStatsOf(clock.gpuLoads);
    int stepUs = (int)clock.ticksToUs(clock.stepTicks);

    drawTimeGraph(p, clock.frameTimes, clock.frameRingPos, 2 * stepUs, stepUs, true, w, h);
    int updateScale = 2 * std::min(stepUs, std::max(1000, updates.average));
    drawTimeGraph(p, clock.updateTimes, clock.updateRingPos, updateScale, stepUs, false, w, h);

    int unit = charHeight * scale;
    p.fill(w - 12 * unit, h - 14 * unit, w, h, PANEL);

    TableRow rows[5] = {};
    int n = 0;
    rows[n] = {"FPS", {}, 1};
    snprintf(rows[n++].values[0], 16, "%d", clock.framesPerSecond);
    auto timeRow = [&](const char* label, RingStats s) {
        rows[n] = {label, {}, 3};
        snprintf(rows[n].values[0], 16, "%02d", s.max);
        snprintf(rows[n].values[1], 16, "%02d", s.average);
        snprintf(rows[n++].values[2], 16, "%02d", s.min);
    };
    timeRow("frame\ntime", frames);
    timeRow("update\ntime", updates);
    rows[n] = {"tex\nmem", {}, 1};
    snprintf(rows[n++].values[0], 16, "%3d MB", (int)(textureMemoryBytes >> 20));
    // A maximum below 0 means no GPU data at all.
    if (gpu.max >= 0) {
        rows[n] = {"GPU\nload", {}, 3};
        snprintf(rows[n].values[0], 16, "%3d%%", gpu.max);
        snprintf(rows[n].values[1], 16, "%3d%%", gpu.average);
        snprintf(rows[n++].values[2], 16, "%3d%%", gpu.min);
    }

    // Labels in the left column, values right-aligned in the right one; each
    // row is as tall as its label or its values, with a small gap after it.
    int labelX = w - 12 * unit + unit / 2, valueX = w - unit / 2;
    int lineH = unit;
    int y = h - unit / 2;
    for (int r = 0; r < n; r++) {
        int labelLines = rows[r].label[0] && strchr(rows[r].label, '\n') ? 2 : 1;
        p.text(rows[r].label, labelX, y, -1, 1, 0xFFC8C8C8);
        for (int v = 0; v < rows[r].count; v++) p.text(rows[r].values[v], valueX, y - v * lineH, 1, 1, WHITE);
        y -= std::max(labelLines, rows[r].count) * lineH + lineH / 4;
    }
}
