// The game's GUI renderer on the device against the software renderer: the
// same drawing gives the same pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "d3d/d3d.h"
#include "gui/guiBuild.h"
#include "gui/swrender.h"
#include "tests/voxel/renderFixture.h"
#include "voxel/font.h"
#include "voxel/kilnGuiRenderer.h"

namespace {

const uint32_t BACKGROUND = 0xFF305070;

struct GuiRenderers : RenderTest {
    // Draws with both renderers and counts the pixels whose colour channels
    // differ by more than 1; returns the device's picture.
    int mismatches(const std::function<void(IGuiRenderer&)>& draw, std::vector<uint32_t>* gpuOut = nullptr)
    {
        mode.draw3d = [](float) { clear_color(BACKGROUND); };
        mode.draw2d = [&](float) { draw(KilnGuiRenderer::instance); };
        std::vector<uint32_t> gpu = renderFrame();
        EXPECT_FALSE(gpu.empty());
        if (gpu.empty()) return -1;

        SoftwareGuiRenderer sw;
        sw.setFont(sw.loadFont("font.tga"));
        std::vector<uint32_t> cpu((size_t)width * height);
        sw.setBuffer(cpu.data(), width * 4, width, height);
        sw.clear(BACKGROUND);
        draw(sw);

        int bad = 0;
        for (size_t i = 0; i < cpu.size(); i++)
            for (int shift : {0, 8, 16}) {
                int a = (int)(gpu[i] >> shift & 0xFF), b = (int)(cpu[i] >> shift & 0xFF);
                if (std::abs(a - b) > 1) {
                    if (bad++ < 5)
                        ADD_FAILURE() << "pixel " << i % width << "," << i / width << std::hex << " gpu " << gpu[i]
                                      << " cpu " << cpu[i];
                    break;
                }
            }
        if (gpuOut) *gpuOut = gpu;
        return bad;
    }
};

TEST_F(GuiRenderers, RectanglesOutlinesAndTextGiveTheSamePixels)
{
    std::vector<uint32_t> gpu;
    int bad = mismatches(
        [](IGuiRenderer& r) {
            r.fillRect(10.4f, 20, 110, 60.6f, 0xFF20C040);
            r.fillRect(50, 40, 200.5f, 90, 0x80FF8000);  // half over the first
            r.frameRect(300, 30, 360, 70, 0xFFFFFFFF);
            r.fillRect(-20, 500, 30, 600, 0xFFFF00FF);  // past the edges
            r.drawText("Hi, Robot 42!", -1, 100, 150, -1, -1, 0xFFFFFFFF, 2);
            r.drawText("Centred\nlines", -1, 480, 300, 0, 0, 0xC0FFF000, 3);
            r.drawText("Right, bottom", -1, 900, 500, 1, 1, 0xFFC8C8C8, 1);
        },
        &gpu);
    EXPECT_EQ(bad, 0);
    // The device did draw: the outline's corner is white.
    EXPECT_EQ(pixel(gpu, 300, 30) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(pixel(gpu, 360, 70) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(GuiRenderers, AScreenOfButtonsLaysOutAndDrawsTheSameOnBoth)
{
    registerStandardBehaviours();
    int bad = mismatches([](IGuiRenderer& r) {
        GuiElem* root = newElem(nullptr, "root");
        root->width = GuiLen::units(40);
        root->height = GuiLen::units(30);
        setMargins(root, GuiLen::autoLen(), GuiLen::autoLen(), GuiLen::autoLen(), GuiLen::autoLen());
        root->bgColour = 0xFF101010;
        setMargins(newLabel(root, "SKYWARD!", 0xFFFFF000, 4), GuiLen::units(1), GuiLen::autoLen(), GuiLen::autoLen(),
                   GuiLen::autoLen());
        GuiElem* b = newButton(root, 1, "Play", 12, 5, 2, r.unit());
        setMargins(b, GuiLen::autoLen(), GuiLen::autoLen(), GuiLen::autoLen(), GuiLen::units(6));
        GuiScreen scr(&r, root, 40, 30);
        scr.render();
    });
    EXPECT_EQ(bad, 0);
}

}  // namespace
