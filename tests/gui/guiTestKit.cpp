#include "tests/gui/guiTestKit.h"

#include <cstring>

#include "gui/guiBuild.h"
#include "shell/input.h"
#include "shell/inputQueue.h"
#include "shell/window.h"

void RecordingRenderer::fillRect(float x0, float y0, float x1, float y1, uint32_t colour)
{
    char buf[128];
    snprintf(buf, sizeof(buf), "fill %g %g %g %g %08X", x0, y0, x1, y1, colour);
    calls.push_back(buf);
}

void RecordingRenderer::drawText(const char* text, int, float x, float y, int alignH, int alignV, uint32_t colour,
                                 int scale)
{
    char buf[512];
    snprintf(buf, sizeof(buf), "text '%s' %g %g %d %d %08X x%d", text, x, y, alignH, alignV, colour, scale);
    calls.push_back(buf);
}

void RecordingRenderer::measureText(const char* text, int length, float* width, float* height, int scale)
{
    int n = length < 0 ? (int)strlen(text) : length;
    *width = (float)(6 * scale * n);
    *height = n ? (float)(u * scale) : 0.0f;
}

int RecordingHandler::handle(GuiEvent* event, GuiElem* elem, int)
{
    int id = event->kind == GUIEV_COMMAND ? static_cast<GuiCommandEvent*>(event)->id : 0;
    seen.push_back({event->kind, elem->name.c_str(), id});
    return answer;
}

GuiElem* namedElem(GuiElem* parent, const char* name) { return newElem(parent, name); }

GuiElem* placedBox(GuiElem* parent, const char* name, float x, float y, float w, float h)
{
    GuiElem* e = newElem(parent, name);
    e->x = GuiLen::pixels(x);
    e->y = GuiLen::pixels(y);
    e->width = GuiLen::pixels(w);
    e->height = GuiLen::pixels(h);
    return e;
}

static void clientSize(int* w, int* h)
{
    *w = 640;
    *h = 480;
}

void installTestInput()
{
    InputPlatform p;
    p.backBufferSize = clientSize;
    setInputPlatform(p);
    clearInput();
    setKeyLive(VK_LBUTTON, false);
    setKeyLive(VK_RBUTTON, false);
    initInput(0, 0);
}

void pointerMove(float x, float y) { windowMouseMove(x, y); }
void pointerButton(bool down) { windowMouseButton(1, down); }
