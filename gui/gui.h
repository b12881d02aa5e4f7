// gui.h -- the GUI toolkit shared by the game's menu screens and the
// launcher: a tree of rectangular elements, events delivered to handlers,
// the "solidBox" and "button" behaviours, and the screen that owns a tree,
// turns queued input into GUI events and draws through an IGuiRenderer.
//
// Coordinates are GUI pixels with the origin at the top-left of the render
// target and y growing downwards. Layout (the three rectangles of every
// element) is in gui/layout.h.
#pragma once

#include <cstdint>

#include "gui/guiRenderer.h"
#include "shell/input.h"
#include "support/dynArray.h"
#include "support/utils.h"

struct GuiRect {
    float top = 0, left = 0, right = 0, bottom = 0;
};

// Side order of every group of four lengths, colours or widths.
enum GuiSide { GUI_TOP = 0, GUI_LEFT = 1, GUI_RIGHT = 2, GUI_BOTTOM = 3 };

enum GuiLenMode {
    GUILEN_AUTO = 0,
    GUILEN_PIXELS = 1,
    GUILEN_UNITS = 2,          // value x the screen's unit
    GUILEN_PERCENT_WIDTH = 3,  // of the parent's content width
    GUILEN_PERCENT_HEIGHT = 4,
};

struct GuiLen {
    float value = 0;
    int mode = GUILEN_AUTO;

    static GuiLen autoLen() { return {0, GUILEN_AUTO}; }
    static GuiLen pixels(float v) { return {v, GUILEN_PIXELS}; }
    static GuiLen units(float v) { return {v, GUILEN_UNITS}; }
    static GuiLen percentWidth(float v) { return {v, GUILEN_PERCENT_WIDTH}; }
    static GuiLen percentHeight(float v) { return {v, GUILEN_PERCENT_HEIGHT}; }
    bool isAuto() const { return mode == GUILEN_AUTO; }
    // In pixels; an auto length gives autoDefault. Any other mode is fatal.
    float eval(float unit, float parentWidth, float parentHeight, float autoDefault) const;
};

enum GuiElemFlags : uint8_t { GUIELEM_HIDDEN = 1 };

class GuiEventHandler;

// One element of a tree, created with new and owned by its parent; deleting
// it unlinks it and deletes its subtree (its handlers are told).
struct GuiElem {
    GuiRect contentRect;   // inside the padding
    GuiRect boxRect;       // inside the borders; the background fills it
    GuiRect outerRect;     // including the margins
    GuiRect borderWidths;  // computed from the border lengths
    FixedStr<64> name;
    GuiElem* parent = nullptr;
    DynArray<GuiElem*> children;  // owned, in drawing order
    uint32_t bgColour = 0;        // 0: no background
    uint32_t borderColours[4] = {0xFF808080, 0xFF808080, 0xFF808080, 0xFF808080};
    FixedStr<256> text;
    uint32_t textColour = 0xFFFFFFFF;  // 0 suppresses the text
    uint8_t textScale = 1;             // times the screen scale
    int8_t alignH = 0;                 // -1 left, 0 centre, 1 right
    int8_t alignV = 0;                 // -1 top, 0 centre, 1 bottom
    uint8_t flags = 0;
    GuiLen width, height;
    GuiLen x = GuiLen::units(0), y = GuiLen::units(0);
    GuiLen padding[4] = {GuiLen::units(0), GuiLen::units(0), GuiLen::units(0), GuiLen::units(0)};
    GuiLen border[4] = {GuiLen::units(0), GuiLen::units(0), GuiLen::units(0), GuiLen::units(0)};
    GuiLen margin[4] = {GuiLen::units(0), GuiLen::units(0), GuiLen::units(0), GuiLen::units(0)};
    DynArray<GuiEventHandler*> handlers;  // in call order
    uint32_t handlerMask = 0;             // OR of the handlers' masks
    int id = 0;                           // command id sent by buttons

    GuiElem() = default;
    GuiElem(const GuiElem&) = delete;
    GuiElem& operator=(const GuiElem&) = delete;
    ~GuiElem();

    bool isHidden() const { return (flags & GUIELEM_HIDDEN) != 0; }
};

// --- Events -------------------------------------------------------------------

enum GuiEventKind : uint32_t {
    GUIEV_COMMAND = 1,
    GUIEV_HITTEST = 2,
    GUIEV_KEY = 4,  // input types 1 and 2
    GUIEV_ENTER = 16,
    GUIEV_LEAVE = 32,
    GUIEV_BUTTON_UP = 64,     // input type 4
    GUIEV_BUTTON_DOWN = 128,  // input type 3
    GUIEV_MOVE = 256,         // input type 5
    GUIEV_WHEEL = 512,        // input type 6
    GUIEV_HIDDEN_CHANGED = 1024,
    GUIEV_ACTIVATE = 2048,  // the focused element is chosen (controller A): as a click
};

// The held-button bits of an input record (left and right).
enum { GUI_HELD_BUTTONS = MOD_LBUTTON | MOD_RBUTTON };

struct GuiEvent {
    uint32_t kind;
    explicit GuiEvent(uint32_t k) : kind(k) {}
    virtual ~GuiEvent() = default;
};

struct GuiCommandEvent : GuiEvent {
    int id, value;
    GuiElem* source;
    GuiCommandEvent(int commandId, int v, GuiElem* src) : GuiEvent(GUIEV_COMMAND), id(commandId), value(v), source(src)
    {
    }
};

struct GuiHittestEvent : GuiEvent {
    float x, y;
    GuiElem* result = nullptr;
    GuiHittestEvent(float px, float py) : GuiEvent(GUIEV_HITTEST), x(px), y(py) {}
};

struct GuiInputEvent : GuiEvent {
    InputEvent input;
    explicit GuiInputEvent(const InputEvent& e) : GuiEvent(0), input(e) { input.next = nullptr; }
};

struct GuiNotifyEvent : GuiEvent {
    GuiElem* elem;
    GuiNotifyEvent(uint32_t k, GuiElem* e) : GuiEvent(k), elem(e) {}
};

enum GuiDispatchMode {
    GUIDISPATCH_ANCESTORS_FIRST = 0,  // from the top (or the stop element) down to the element
    GUIDISPATCH_BUBBLE = 1,           // the element, then its ancestors up to the stop element
    GUIDISPATCH_DIRECT = 2,           // the element only
    GUIDISPATCH_SUBTREE = 3,          // the element, then each child's subtree; 2 skips the children
};

// --- Handlers and behaviours -----------------------------------------------------

class GuiEventHandler {
public:
    uint32_t eventMask;
    explicit GuiEventHandler(uint32_t mask) : eventMask(mask) {}

    // 0: not handled, go on; anything else: handled, stop. In subtree
    // dispatch 2 means "handled here, skip this element's children".
    virtual int handle(GuiEvent* event, GuiElem* elem, int mode) = 0;
    virtual void attached(GuiElem*) {}
    // The element is being destroyed; a handler owned by it deletes itself.
    virtual void detached(GuiElem*) {}

protected:
    ~GuiEventHandler() = default;
};

// Makes an element hittable: one shared instance.
class GuiHittestHandler final : public GuiEventHandler {
public:
    GuiHittestHandler() : GuiEventHandler(GUIEV_HITTEST) {}
    int handle(GuiEvent* event, GuiElem* elem, int mode) override;
    // The box rect widened by the border widths, right and bottom exclusive.
    virtual bool contains(const GuiElem* elem, float x, float y) const;

    static GuiHittestHandler instance;
};

// Shows a button's ".normal", ".over" or ".pressed" child and sends its
// command on a click or an activation; one per button, deleted with it.
// Buttons are what the controller's focus moves between.
class ButtonEventHandler final : public GuiEventHandler {
public:
    ButtonEventHandler()
        : GuiEventHandler(GUIEV_HIDDEN_CHANGED | GUIEV_BUTTON_DOWN | GUIEV_BUTTON_UP | GUIEV_ENTER | GUIEV_LEAVE |
                          GUIEV_ACTIVATE)
    {
    }
    int handle(GuiEvent* event, GuiElem* elem, int mode) override;
    void attached(GuiElem* elem) override;
    void detached(GuiElem* elem) override;

    GuiElem* button = nullptr;
    GuiElem *normal = nullptr, *over = nullptr, *pressed = nullptr;

private:
    void show(GuiElem* look);
    void sendCommand(int value);
};

class GuiBehaviour {
public:
    virtual const char* name() = 0;
    virtual void attach(GuiElem* elem) = 0;

protected:
    ~GuiBehaviour() = default;
};

class SolidBoxBehaviour final : public GuiBehaviour {
public:
    const char* name() override { return "solidBox"; }
    void attach(GuiElem* elem) override;
    static SolidBoxBehaviour instance;
};

class ButtonBehaviour final : public GuiBehaviour {
public:
    const char* name() override { return "button"; }
    void attach(GuiElem* elem) override;
    static ButtonBehaviour instance;
};

// --- Tree operations ---------------------------------------------------------------

// Positions: a negative position has the count added to it, then the result
// is clamped to 0..count; so -1 inserts before the last item and count appends.
void addChild(GuiElem* parent, GuiElem* child, int position);
// A null handler is ignored.
void addHandler(GuiElem* elem, GuiEventHandler* handler, int position);
// On a change, notifies the element's subtree (GUIEV_HIDDEN_CHANGED).
void setHidden(GuiElem* elem, bool hidden);
// No hidden bit on the element or any ancestor.
bool isVisible(const GuiElem* elem);
// Depth-first, the element itself first; a null or empty name finds nothing.
GuiElem* findByName(GuiElem* elem, const char* name);
int dispatch(GuiEvent* event, GuiElem* elem, int mode, GuiElem* stop);
// The first element in depth-first order whose hit-test handler takes the point.
GuiElem* hitTest(GuiElem* elem, float x, float y);

// Appends unless already registered.
void registerBehaviour(GuiBehaviour* behaviour);
// The first registered behaviour of that name (case ignored); unknown names do nothing.
void applyBehaviour(GuiElem* elem, const char* name);
// Each program registers "solidBox", then "button", at start-up.
void registerStandardBehaviours();

// --- The screen ----------------------------------------------------------------------

class GuiScreen {
public:
    // Lays the tree out once.
    GuiScreen(IGuiRenderer* renderer, GuiElem* root, int referenceWidth, int referenceHeight);
    // Deletes the root and its whole tree.
    virtual ~GuiScreen();
    GuiScreen(const GuiScreen&) = delete;
    GuiScreen& operator=(const GuiScreen&) = delete;

    // Pixels per layout unit: the renderer's unit times the scale.
    virtual float unit();
    virtual GuiRect screenRect();
    virtual void measureContent(GuiElem* elem, float* width, float* height);
    virtual void renderElem(GuiElem* elem);
    virtual void render();
    // Drains the input queue: hover, capture, and delivery of each record;
    // then the controller's menu moves (see navigate).
    virtual void processInput();
    // Delivers one input record directly to the target (a press captures).
    virtual void dispatchInput(GuiInputEvent* event, GuiElem* target);
    // Recomputes the scale and lays the tree out.
    virtual void updateLayout();

    // The controller's moves, once per update: the d-pad (or the left stick,
    // repeating while held) moves the focus to the nearest element taking
    // GUIEV_ACTIVATE in that direction (the first one when none has it), A
    // activates the focused element, B sends backCommand. The pointer moving
    // or pressing hides the focus.
    void navigate();
    // Focuses an element (null: none); the focused element looks hovered.
    void setFocus(GuiElem* elem);
    // Focuses the first element the focus can go to, if any.
    void focusFirst();
    // The elements the focus can go to, visible, in tree order.
    void focusable(DynArray<GuiElem*>& out);

    GuiElem* root;
    GuiElem* capture = nullptr;
    // A press captures the element under the pointer, or nothing: while the
    // capture is active no other element lights up.
    bool captureActive = false;
    GuiElem* hover = nullptr;
    int scale = 1;
    int refWidth, refHeight;  // in units
    IGuiRenderer* renderer;   // not owned
    // The controller's focus, drawn framed; null while the pointer is used.
    GuiElem* focus = nullptr;
    // The command B sends (the screen's back or resume action); 0 for none.
    int backCommand = 0;

private:
    void setHover(GuiInputEvent* event, GuiElem* elem);
    void moveFocus(float dx, float dy);
    void renderFocus();
    MousePos lastPointer = getMousePosition();
    int heldDirection = -1;  // the direction held on the controller, or -1
    int heldUpdates = 0;     // updates it has been held for
};
