// guiFocus.cpp -- moving through a screen's buttons with the controller: the
// focus, its frame, activation and the back command.
#include <cmath>

#include "gui/gui.h"
#include "shell/gamepad.h"

namespace {

// A held direction moves once, then again after this many updates, then
// every few updates (at 20 updates a second: 0.4 s, then 0.15 s).
constexpr int REPEAT_DELAY = 8;
constexpr int REPEAT_INTERVAL = 3;
// Elements off to the side count this much more than elements straight ahead.
constexpr float SIDEWAYS_WEIGHT = 2.0f;
constexpr uint32_t FOCUS_COLOUR = 0xFFFFF000;

struct Direction {
    int dpad, stick;
    float dx, dy;
};
const Direction directions[] = {
    {PAD_DPUP, PAD_STICK_UP, 0, -1},
    {PAD_DPDOWN, PAD_STICK_DOWN, 0, 1},
    {PAD_DPLEFT, PAD_STICK_LEFT, -1, 0},
    {PAD_DPRIGHT, PAD_STICK_RIGHT, 1, 0},
};

void centreOf(const GuiElem* e, float* x, float* y)
{
    *x = (e->boxRect.left + e->boxRect.right) * 0.5f;
    *y = (e->boxRect.top + e->boxRect.bottom) * 0.5f;
}

void collect(GuiElem* e, DynArray<GuiElem*>& out)
{
    if (e->isHidden()) return;
    if (e->handlerMask & GUIEV_ACTIVATE) out.append(e);
    for (GuiElem* child : e->children) collect(child, out);
}

GuiInputEvent noInput()
{
    InputEvent none;
    MousePos p = getMousePosition();
    none.x = p.x;
    none.y = p.y;
    return GuiInputEvent(none);
}

}  // namespace

void GuiScreen::focusable(DynArray<GuiElem*>& out)
{
    out.clear();
    if (root) collect(root, out);
}

void GuiScreen::setFocus(GuiElem* elem)
{
    if (elem == focus) return;
    GuiInputEvent event = noInput();
    if (focus) {
        event.kind = GUIEV_LEAVE;
        dispatch(&event, focus, GUIDISPATCH_DIRECT, nullptr);
    }
    focus = elem;
    if (!focus) return;
    // The pointer's highlight goes: one lit button at a time.
    if (hover) setHover(&event, nullptr);
    event.kind = GUIEV_ENTER;
    dispatch(&event, focus, GUIDISPATCH_DIRECT, nullptr);
}

void GuiScreen::focusFirst()
{
    DynArray<GuiElem*> candidates;
    focusable(candidates);
    if (!candidates.empty()) setFocus(candidates[0]);
}

void GuiScreen::moveFocus(float dx, float dy)
{
    DynArray<GuiElem*> candidates;
    focusable(candidates);
    if (candidates.empty()) return;
    if (!focus) {
        focusFirst();
        return;
    }
    float fx, fy;
    centreOf(focus, &fx, &fy);
    GuiElem* best = nullptr;
    float bestScore = 0;
    for (GuiElem* c : candidates) {
        if (c == focus) continue;
        float cx, cy;
        centreOf(c, &cx, &cy);
        float ahead = (cx - fx) * dx + (cy - fy) * dy;
        if (ahead < 1.0f) continue;
        float sideways = std::fabs((cx - fx) * dy - (cy - fy) * dx);
        float score = ahead + SIDEWAYS_WEIGHT * sideways;
        if (!best || score < bestScore) {
            best = c;
            bestScore = score;
        }
    }
    if (best) setFocus(best);
}

void GuiScreen::navigate()
{
    if (!root || captureActive) return;
    // A focused button that went away (hidden by its own command) hands the
    // focus to the nearest one left.
    if (focus && !isVisible(focus)) {
        DynArray<GuiElem*> candidates;
        focusable(candidates);
        float fx, fy;
        centreOf(focus, &fx, &fy);
        GuiElem* nearest = nullptr;
        float nearestDistance = 0;
        for (GuiElem* c : candidates) {
            float cx, cy;
            centreOf(c, &cx, &cy);
            float d = std::hypot(cx - fx, cy - fy);
            if (!nearest || d < nearestDistance) {
                nearest = c;
                nearestDistance = d;
            }
        }
        focus = nullptr;  // no leave for an element already hidden
        setFocus(nearest);
    }

    int direction = -1;
    for (int i = 0; i < 4 && direction < 0; i++)
        if (padHeld(directions[i].dpad) || padHeld(directions[i].stick)) direction = i;
    bool freshPress = false;
    for (int i = 0; i < 4; i++)
        if (padPressed(directions[i].dpad) || padPressed(directions[i].stick)) {
            direction = i;
            freshPress = true;
        }
    if (direction != heldDirection || freshPress) {
        heldDirection = direction;
        heldUpdates = 0;
        if (direction >= 0) moveFocus(directions[direction].dx, directions[direction].dy);
    } else if (direction >= 0) {
        heldUpdates++;
        if (heldUpdates >= REPEAT_DELAY && (heldUpdates - REPEAT_DELAY) % REPEAT_INTERVAL == 0)
            moveFocus(directions[direction].dx, directions[direction].dy);
    }

    if (padPressed(PAD_A)) {
        if (focus) {
            GuiNotifyEvent activate(GUIEV_ACTIVATE, focus);
            dispatch(&activate, focus, GUIDISPATCH_DIRECT, nullptr);
        } else {
            moveFocus(0, 0);
        }
    }
    if (padPressed(PAD_B) && backCommand) {
        GuiCommandEvent back(backCommand, 0, root);
        dispatch(&back, root, GUIDISPATCH_BUBBLE, nullptr);
    }
}

void GuiScreen::renderFocus()
{
    if (!focus || !isVisible(focus)) return;
    // Twice as thick as the button's own border (one font pixel), one font
    // pixel clear of it.
    float pixel = (float)scale;
    for (GuiElem* look : focus->children)
        if (!look->isHidden() && look->borderWidths.top > 0) {
            pixel = look->borderWidths.top;
            break;
        }
    float t = 2 * pixel, gap = pixel;
    const GuiRect& b = focus->boxRect;
    float l = b.left - gap - t, r = b.right + gap + t, top = b.top - gap - t, bottom = b.bottom + gap + t;
    renderer->fillRect(l, top, r, top + t, FOCUS_COLOUR);
    renderer->fillRect(l, bottom - t, r, bottom, FOCUS_COLOUR);
    renderer->fillRect(l, top + t, l + t, bottom - t, FOCUS_COLOUR);
    renderer->fillRect(r - t, top + t, r, bottom - t, FOCUS_COLOUR);
}
