// guiScreenMode.h -- what the menu screens (title, upgrades, end of demo)
// share: a GUI screen built when the mode is entered, fed the step's input by
// update, drawn over the menu background, laid out again when the back buffer
// changes size, and freed at the end of the update in which the mode was left.
#pragma once

#include "game/gameMode.h"
#include "gui/gui.h"

// The screens' reference size in layout units: a 40 x 30 grid fits the window.
enum { MENU_REF_WIDTH = 40, MENU_REF_HEIGHT = 30 };

class GuiScreenMode : public GameMode, public GuiEventHandler {
public:
    // The screen shown, or null outside the mode (and until the end of the
    // update in which the mode was left).
    GuiScreen* scr = nullptr;

    // Entering while a screen still exists is the fatal assertion "!scr".
    void enter(GameMode* previous) override;
    void leave(GameMode*) override {}
    void update(float dt) override;
    void render(float t) override;
    void renderOverlay(float t) override;
    void onResize() override;
    // Every event is answered as handled; commands go to command().
    int handle(GuiEvent* event, GuiElem* elem, int mode) override;

protected:
    GuiScreenMode() : GuiEventHandler(GUIEV_COMMAND) {}
    ~GuiScreenMode() = default;

    // The mode's element tree; fontCell is the font's cell height in pixels
    // (button borders are one font pixel).
    virtual GuiElem* buildTree(int fontCell) = 0;
    // The sound event raised on entering.
    virtual int enterSound() const = 0;
    virtual void command(int id) = 0;
    // The command the controller's B sends (the screen's back or resume
    // action); 0 for a screen without one.
    virtual int backCommand() const { return 0; }
};

// What the menu screens draw and measure with: the game's GPU renderer unless
// a test puts another one in.
extern IGuiRenderer* menuRenderer;

// The menu mode that is current, or null.
GuiScreenMode* currentGuiScreenMode();

// The "gui" key of the state dump: while a menu screen is current, every
// element in tree order with its name, text, command id, own hidden flag,
// visibility and rectangle (its box with the borders, in window pixels from
// the top-left like pointer positions), and whether it has the controller's
// focus.
void writeGuiState(class JsonWriter& json);
