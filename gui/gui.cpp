// gui.cpp -- the element tree, event dispatch, behaviours, input handling
// and drawing of a GUI screen.
#include "gui/gui.h"

#include <strings.h>

#include <initializer_list>

#include "platform/vkeys.h"

GuiHittestHandler GuiHittestHandler::instance;
SolidBoxBehaviour SolidBoxBehaviour::instance;
ButtonBehaviour ButtonBehaviour::instance;

namespace {

DynArray<GuiBehaviour*> behaviours;

int clampPosition(int position, int count)
{
    if (position < 0) position += count;
    if (position < 0) position = 0;
    if (position > count) position = count;
    return position;
}

void unlink(GuiElem* child)
{
    GuiElem* parent = child->parent;
    if (!parent) return;
    for (int i = parent->children.num - 1; i >= 0; i--)
        if (parent->children[i] == child) {
            parent->children.remove(i, 1);
            break;
        }
    child->parent = nullptr;
}

// One element: every handler whose mask meets the kind, until one answers.
int deliver(GuiEvent* event, GuiElem* elem, int mode)
{
    if (!(elem->handlerMask & event->kind)) return 0;
    for (int i = 0; i < elem->handlers.num; i++) {
        GuiEventHandler* h = elem->handlers[i];
        if (!(h->eventMask & event->kind)) continue;
        int r = h->handle(event, elem, mode);
        if (r) return r;
    }
    return 0;
}

}  // namespace

// --- Elements -------------------------------------------------------------------------

GuiElem::~GuiElem()
{
    unlink(this);
    // Each child unlinks itself from this element as it goes.
    for (int i = children.num - 1; i >= 0; i--)
        if (i < children.num) delete children[i];
    for (int i = handlers.num - 1; i >= 0; i--) {
        GuiEventHandler* h = handlers[i];
        handlers.remove(i, 1);
        h->detached(this);
    }
    // clang-format off
    ASSERT(children.empty());
    ASSERT(handlers.empty());
    // clang-format on
}

void addChild(GuiElem* parent, GuiElem* child, int position)
{
    unlink(child);
    position = clampPosition(position, parent->children.num);
    parent->children.insert(position, 1, &child);
    child->parent = parent;
}

void addHandler(GuiElem* elem, GuiEventHandler* handler, int position)
{
    if (!handler) return;
    position = clampPosition(position, elem->handlers.num);
    elem->handlers.insert(position, 1, &handler);
    handler->attached(elem);
    elem->handlerMask |= handler->eventMask;
}

void setHidden(GuiElem* elem, bool hidden)
{
    if (elem->isHidden() == hidden) return;
    if (hidden)
        elem->flags |= GUIELEM_HIDDEN;
    else
        elem->flags &= (uint8_t)~GUIELEM_HIDDEN;
    GuiNotifyEvent ev(GUIEV_HIDDEN_CHANGED, elem);
    dispatch(&ev, elem, GUIDISPATCH_SUBTREE, nullptr);
}

bool isVisible(const GuiElem* elem)
{
    for (const GuiElem* e = elem; e; e = e->parent)
        if (e->isHidden()) return false;
    return true;
}

GuiElem* findByName(GuiElem* elem, const char* name)
{
    if (!elem || !name || !name[0]) return nullptr;
    if (strcmp(elem->name, name) == 0) return elem;
    for (GuiElem* child : elem->children)
        if (GuiElem* found = findByName(child, name)) return found;
    return nullptr;
}

int dispatch(GuiEvent* event, GuiElem* elem, int mode, GuiElem* stop)
{
    if (!elem) return 0;
    switch (mode) {
        case GUIDISPATCH_ANCESTORS_FIRST:
            if (elem != stop) {
                int r = dispatch(event, elem->parent, mode, stop);
                if (r) return r;
            }
            return deliver(event, elem, mode);
        case GUIDISPATCH_BUBBLE:
            for (GuiElem* e = elem; e; e = e->parent) {
                int r = deliver(event, e, mode);
                if (r) return r;
                if (e == stop) break;
            }
            return 0;
        case GUIDISPATCH_SUBTREE: {
            int r = deliver(event, elem, mode);
            if (r == 2) return 0;
            if (r) return r;
            for (int i = 0; i < elem->children.num; i++) {
                r = dispatch(event, elem->children[i], mode, stop);
                if (r) return r;
            }
            return 0;
        }
        default:
            return deliver(event, elem, mode);
    }
}

GuiElem* hitTest(GuiElem* elem, float x, float y)
{
    GuiHittestEvent ev(x, y);
    dispatch(&ev, elem, GUIDISPATCH_SUBTREE, nullptr);
    return ev.result;
}

// --- Handlers and behaviours ----------------------------------------------------------

bool GuiHittestHandler::contains(const GuiElem* e, float x, float y) const
{
    const GuiRect& b = e->boxRect;
    const GuiRect& w = e->borderWidths;
    return x >= b.left - w.left && x < b.right + w.right && y >= b.top - w.top && y < b.bottom + w.bottom;
}

int GuiHittestHandler::handle(GuiEvent* event, GuiElem* elem, int)
{
    // A hidden ancestor hides the element too, or a solid child of a hidden
    // panel could still take the pointer.
    if (event->kind != GUIEV_HITTEST || !isVisible(elem)) return 0;
    auto* ev = static_cast<GuiHittestEvent*>(event);
    if (!contains(elem, ev->x, ev->y)) return 0;
    ev->result = elem;
    return 1;
}

void ButtonEventHandler::show(GuiElem* look)
{
    for (GuiElem* state : {normal, over, pressed})
        if (state) setHidden(state, state != look);
}

void ButtonEventHandler::attached(GuiElem* elem)
{
    button = elem;
    normal = findByName(elem, ".normal");
    over = findByName(elem, ".over");
    pressed = findByName(elem, ".pressed");
    show(normal);
}

void ButtonEventHandler::detached(GuiElem*) { delete this; }

void ButtonEventHandler::sendCommand(int value)
{
    GuiCommandEvent cmd(button->id, value, button);
    dispatch(&cmd, button, GUIDISPATCH_BUBBLE, nullptr);
}

int ButtonEventHandler::handle(GuiEvent* event, GuiElem*, int)
{
    // A hidden state changed at or above the button: back to normal, and the
    // notification goes on through the rest of the subtree.
    if (event->kind == GUIEV_HIDDEN_CHANGED) {
        show(normal);
        return 0;
    }
    if (!isVisible(button)) return 0;
    // Chosen with the controller: the command of a left click.
    if (event->kind == GUIEV_ACTIVATE) {
        sendCommand(1);
        return 1;
    }
    const InputEvent& in = static_cast<GuiInputEvent*>(event)->input;
    bool held = (in.modifiers & GUI_HELD_BUTTONS) != 0;
    switch (event->kind) {
        case GUIEV_ENTER:
            show(held ? pressed : over);
            return 1;
        case GUIEV_LEAVE:
            show(normal);
            return 1;
        case GUIEV_BUTTON_DOWN:
            show(pressed);
            return 1;
        case GUIEV_BUTTON_UP: {
            GuiElem* hit = hitTest(button, in.x, in.y);
            show(held ? pressed : hit == button ? over : normal);
            if (!held && hit == button) sendCommand(in.code);
            return 1;
        }
        default:
            return 0;
    }
}

void SolidBoxBehaviour::attach(GuiElem* elem) { addHandler(elem, &GuiHittestHandler::instance, -1); }
void ButtonBehaviour::attach(GuiElem* elem) { addHandler(elem, new ButtonEventHandler, -1); }

void registerBehaviour(GuiBehaviour* behaviour)
{
    for (GuiBehaviour* b : behaviours)
        if (b == behaviour) return;
    behaviours.append(behaviour);
}

void applyBehaviour(GuiElem* elem, const char* name)
{
    for (GuiBehaviour* b : behaviours)
        if (strcasecmp(b->name(), name) == 0) {
            b->attach(elem);
            return;
        }
}

void registerStandardBehaviours()
{
    registerBehaviour(&SolidBoxBehaviour::instance);
    registerBehaviour(&ButtonBehaviour::instance);
}

// --- The screen -------------------------------------------------------------------------

GuiScreen::GuiScreen(IGuiRenderer* r, GuiElem* rootElem, int referenceWidth, int referenceHeight)
    : root(rootElem), refWidth(referenceWidth), refHeight(referenceHeight), renderer(r)
{
    updateLayout();
}

GuiScreen::~GuiScreen() { delete root; }

GuiRect GuiScreen::screenRect()
{
    GuiRect r;
    r.right = (float)renderer->width();
    r.bottom = (float)renderer->height();
    return r;
}

void GuiScreen::render()
{
    if (root) renderElem(root);
    renderFocus();
}

void GuiScreen::renderElem(GuiElem* e)
{
    if (e->isHidden()) return;
    const GuiRect& b = e->boxRect;
    const GuiRect& w = e->borderWidths;
    if (e->bgColour) renderer->fillRect(b.left, b.top, b.right, b.bottom, e->bgColour);
    // Each corner square belongs to exactly one side.
    const uint32_t* c = e->borderColours;
    if (w.top > 0 && c[GUI_TOP]) renderer->fillRect(b.left - w.left, b.top - w.top, b.right, b.top, c[GUI_TOP]);
    if (w.left > 0 && c[GUI_LEFT]) renderer->fillRect(b.left - w.left, b.top, b.left, b.bottom + w.bottom, c[GUI_LEFT]);
    if (w.right > 0 && c[GUI_RIGHT])
        renderer->fillRect(b.right, b.top - w.top, b.right + w.right, b.bottom, c[GUI_RIGHT]);
    if (w.bottom > 0 && c[GUI_BOTTOM])
        renderer->fillRect(b.left, b.bottom, b.right + w.right, b.bottom + w.bottom, c[GUI_BOTTOM]);
    if (e->text.str[0] && e->textColour) {
        const GuiRect& r = e->contentRect;
        float ax = e->alignH < 0 ? r.left : e->alignH > 0 ? r.right : (r.left + r.right) * 0.5f;
        float ay = e->alignV < 0 ? r.top : e->alignV > 0 ? r.bottom : (r.top + r.bottom) * 0.5f;
        renderer->drawText(e->text, -1, ax, ay, e->alignH, e->alignV, e->textColour, e->textScale * scale);
    }
    for (int i = 0; i < e->children.num; i++) renderElem(e->children[i]);
}

void GuiScreen::setHover(GuiInputEvent* event, GuiElem* elem)
{
    if (hover) {
        event->kind = GUIEV_LEAVE;
        dispatch(event, hover, GUIDISPATCH_DIRECT, nullptr);
    }
    hover = elem;
    if (hover) {
        event->kind = GUIEV_ENTER;
        dispatch(event, hover, GUIDISPATCH_DIRECT, nullptr);
    }
}

void GuiScreen::processInput()
{
    InputEvent record;
    while (takeEvent(&record)) {
        GuiInputEvent event(record);
        GuiElem* target;
        // The pointer moving or pressing takes over from the controller's focus.
        bool pointer = record.kind == IEV_MOUSE_MOVE || record.kind == IEV_MOUSE_DOWN || record.kind == IEV_MOUSE_UP ||
                       record.kind == IEV_MOUSE_WHEEL;
        bool moved = record.x != lastPointer.x || record.y != lastPointer.y;
        if (pointer) lastPointer = {record.x, record.y};
        if (focus && ((record.kind == IEV_MOUSE_MOVE && moved) || record.kind == IEV_MOUSE_DOWN)) setFocus(nullptr);
        if (captureActive) {
            // The element under the pointer at the press (or nothing) keeps
            // every record while a button stays down; only it can light up.
            target = capture;
            if (keyHeld(VK_LBUTTON) || keyHeld(VK_RBUTTON)) {
                GuiElem* hit = root ? hitTest(root, record.x, record.y) : nullptr;
                if (hit != hover) setHover(&event, hit == capture ? capture : nullptr);
            } else {
                capture = nullptr;
                captureActive = false;
            }
        } else {
            if (!root) continue;
            GuiElem* hit = hitTest(root, record.x, record.y);
            // While the focus shows, a key does not light what the resting pointer is over.
            if (hit != hover && !focus) setHover(&event, hit);
            target = hit;
        }
        dispatchInput(&event, target);
    }
    navigate();
}

void GuiScreen::dispatchInput(GuiInputEvent* event, GuiElem* target)
{
    switch (event->input.kind) {
        case IEV_MOUSE_DOWN:
            capture = target;
            captureActive = true;
            event->kind = GUIEV_BUTTON_DOWN;
            break;
        case IEV_MOUSE_UP:
            event->kind = GUIEV_BUTTON_UP;
            break;
        case IEV_MOUSE_MOVE:
            event->kind = GUIEV_MOVE;
            break;
        case IEV_MOUSE_WHEEL:
            event->kind = GUIEV_WHEEL;
            break;
        case IEV_KEY_DOWN:
        case IEV_KEY_UP:
            event->kind = GUIEV_KEY;
            break;
        default:
            // clang-format off
            ASSERT(!"unknown input event type");
            // clang-format on
    }
    if (target) dispatch(event, target, GUIDISPATCH_DIRECT, nullptr);
}
