// The performance overlay's graphs and table, recorded instead of drawn,
// and where its GPU load comes from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/stat.h>

#include "platform/gpuLoad.h"
#include "shell/perfOverlay.h"
#include "tests/test_util.h"

namespace {

struct Fill {
    int x0, y0, x1, y1;
    uint32_t colour;
};
struct Text {
    std::string s;
    int x, y, ax, ay;
};

class RecordingPainter final : public OverlayPainter {
public:
    void fill(int x0, int y0, int x1, int y1, uint32_t colour) override { fills.push_back({x0, y0, x1, y1, colour}); }
    void text(const char* s, int x, int y, int ax, int ay, uint32_t) override { texts.push_back({s, x, y, ax, ay}); }
    bool hasText(const std::string& s) const
    {
        for (const Text& t : texts)
            if (t.s == s) return true;
        return false;
    }
    std::vector<Fill> fills;
    std::vector<Text> texts;
};

uint8_t red(uint32_t c) { return (uint8_t)(c >> 16); }
uint8_t green(uint32_t c) { return (uint8_t)(c >> 8); }

}  // namespace

TEST(PerformanceGraph, BarsAtOrAboveTheThresholdAreRedAndTheLargestIsLabelled)
{
    int ring[FRAME_RING];
    for (int& v : ring) v = 10000;
    ring[50] = 70000;   // above the 50 ms step
    ring[120] = 90000;  // the largest, labelled
    ring[130] = 90000;  // as large, but later: not labelled
    RecordingPainter p;
    drawTimeGraph(p, ring, 100, 100000, 50000, true, 1280, 720);

    // Panel and threshold band across 200 bars of 3 pixels at the right edge.
    ASSERT_GE(p.fills.size(), 2u + FRAME_RING);
    EXPECT_EQ(p.fills[0].x0, 1280 - 600);
    EXPECT_EQ(p.fills[0].x1, 1280);
    EXPECT_EQ(p.fills[0].y1, 180);
    EXPECT_EQ(p.fills[1].y1, 90);  // the threshold at half the full scale
    const Fill& slow = p.fills[2 + 50];
    const Fill& fast = p.fills[2 + 49];
    EXPECT_GT(red(slow.colour), 0);
    EXPECT_EQ(green(slow.colour), 0);
    EXPECT_EQ(red(fast.colour), 0);
    EXPECT_GT(green(fast.colour), 0);
    EXPECT_EQ(slow.y1, 70000 * 180 / 100000);
    EXPECT_EQ(slow.x1 - slow.x0, 2);  // bars one pixel narrower than their slot

    // The bar just before the write position is the brightest, the one at
    // it black (drawn as an empty bar).
    EXPECT_GT(green(p.fills[2 + 99].colour), green(p.fills[2 + 10].colour));
    EXPECT_EQ(p.fills[2 + 100].colour, 0xFF000000u);

    ASSERT_EQ(p.texts.size(), 1u);
    EXPECT_EQ(p.texts[0].s, "90000");
    EXPECT_EQ(p.texts[0].x, 1280 - 600 + 120 * 3 + 1 + 1);
    EXPECT_EQ(p.texts[0].y, 162);  // above its bar
    EXPECT_EQ(p.texts[0].ax, 1);   // towards the inside of the screen
}

TEST(PerformanceGraph, ValuesAboveFullScaleAreCappedAndLowLabelsLiftToHalfHeight)
{
    int ring[FRAME_RING] = {};
    ring[7] = 500000;
    RecordingPainter p;
    drawTimeGraph(p, ring, 0, 100000, 50000, false, 1280, 720);
    EXPECT_EQ(p.fills[0].x0, 0);
    EXPECT_EQ(p.fills[2 + 7].y1, 180);
    ring[7] = 100;
    RecordingPainter low;
    drawTimeGraph(low, ring, 0, 100000, 50000, false, 1280, 720);
    ASSERT_EQ(low.texts.size(), 1u);
    EXPECT_EQ(low.texts[0].y, 90);
    EXPECT_EQ(low.texts[0].ax, -1);
}

TEST(PerformanceTable, ShowsTheGpuRowOnlyWithGpuData)
{
    FrameClock clock;
    clock.setFrequency(1000000);
    setUpdateRate(clock, 20, 5);
    clock.framesPerSecond = 57;
    for (int i = 0; i < FRAME_RING; i++) {
        clock.frameTimes[i] = 16000 + i;
        clock.updateTimes[i] = 900;
        clock.gpuLoads[i] = -1;
    }
    RecordingPainter p;
    drawPerformanceOverlayWith(p, clock, 1280, 720, 8, 2, 512u << 20);
    EXPECT_TRUE(p.hasText("57"));
    EXPECT_TRUE(p.hasText("16199"));  // maximum frame time in microseconds
    EXPECT_TRUE(p.hasText("16100"));  // the rounded average
    EXPECT_TRUE(p.hasText("16000"));
    EXPECT_TRUE(p.hasText("512 MB"));
    EXPECT_FALSE(p.hasText("GPU\nload"));

    // Frames without a reading (-1) do not count.
    for (int i = 0; i < FRAME_RING; i++) clock.gpuLoads[i] = i < 50 ? -1 : i < 125 ? 40 : 60;
    RecordingPainter gpu;
    drawPerformanceOverlayWith(gpu, clock, 1280, 720, 8, 2, 512u << 20);
    EXPECT_TRUE(gpu.hasText("GPU\nload"));
    EXPECT_TRUE(gpu.hasText(" 60%"));
    EXPECT_TRUE(gpu.hasText(" 50%"));
    EXPECT_TRUE(gpu.hasText(" 40%"));
    // Every table line stays inside the 14-line box in the top-right corner.
    for (const Text& t : gpu.texts) {
        if (t.ay != 1) continue;
        EXPECT_GE(t.y - 16, 720 - 14 * 16) << t.s;
    }
}

TEST(GpuLoad, ReadsTheKernelsBusyPercentOfTheFirstCardThatHasOne)
{
    TempDir dir;
    mkdir(dir.file("card0").c_str(), 0755);  // a card without the file
    mkdir(dir.file("card1").c_str(), 0755);
    mkdir(dir.file("card1/device").c_str(), 0755);
    writeFileBytes(dir.file("card1/device/gpu_busy_percent"), "37\n", 3);
    ASSERT_TRUE(gpuLoadInitFrom("libno-such-library.so", dir.path.c_str()));
    int percent = -1;
    ASSERT_TRUE(gpuLoadQuery(&percent));
    EXPECT_EQ(percent, 37);
    // The file is read afresh on every query.
    writeFileBytes(dir.file("card1/device/gpu_busy_percent"), "81\n", 3);
    ASSERT_TRUE(gpuLoadQuery(&percent));
    EXPECT_EQ(percent, 81);
    gpuLoadShutdown();
    EXPECT_FALSE(gpuLoadQuery(&percent));
}

TEST(GpuLoad, NoSourceOrAnUnreadableOneMeansNoGpuData)
{
    TempDir dir;
    int percent = -1;
    EXPECT_FALSE(gpuLoadInitFrom("libno-such-library.so", dir.path.c_str()));
    EXPECT_FALSE(gpuLoadQuery(&percent));
    mkdir(dir.file("card0").c_str(), 0755);
    mkdir(dir.file("card0/device").c_str(), 0755);
    writeFileBytes(dir.file("card0/device/gpu_busy_percent"), "busy", 4);
    EXPECT_FALSE(gpuLoadInitFrom(nullptr, dir.path.c_str()));
    EXPECT_FALSE(gpuLoadQuery(&percent));
    EXPECT_EQ(percent, -1);
}
