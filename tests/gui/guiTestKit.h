// guiTestKit.h -- helpers of the GUI tests: a renderer that records what it
// is asked to do, a handler that records events, and pointer input fed
// through the window's real input path.
#pragma once

#include <string>
#include <vector>

#include "gui/gui.h"

// A fixed-size target whose text is 6 pixels per character and scale, one
// unit high per line.
struct RecordingRenderer final : IGuiRenderer {
    int w = 640, h = 480, u = 8;
    std::vector<std::string> calls;

    int width() override { return w; }
    int height() override { return h; }
    int unit() override { return u; }
    void fillRect(float x0, float y0, float x1, float y1, uint32_t colour) override;
    void frameRect(float, float, float, float, uint32_t) override {}
    void drawText(const char* text, int length, float x, float y, int alignH, int alignV, uint32_t colour,
                  int scale) override;
    void measureText(const char* text, int length, float* width, float* height, int scale) override;
};

// Records (kind, element name, command id) and answers with a fixed result.
struct RecordingHandler final : GuiEventHandler {
    struct Seen {
        uint32_t kind;
        std::string elem;
        int id;
    };
    std::vector<Seen> seen;
    int answer;
    RecordingHandler(uint32_t mask, int result) : GuiEventHandler(mask), answer(result) {}
    int handle(GuiEvent* event, GuiElem* elem, int mode) override;
};

GuiElem* namedElem(GuiElem* parent, const char* name);
// A pixel-sized element at (x, y) inside its parent's content rect.
GuiElem* placedBox(GuiElem* parent, const char* name, float x, float y, float w, float h);

// Pointer input through the window layer's handlers into the input queue,
// clamped to a 640 x 480 client area; the live button state follows.
void installTestInput();
void pointerMove(float x, float y);
void pointerButton(bool down);
