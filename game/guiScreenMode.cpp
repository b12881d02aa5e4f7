// guiScreenMode.cpp -- the menu screens' shared life cycle, and their
// section of the state dump.
#include "game/guiScreenMode.h"

#include "game/worldDraw.h"
#include "shell/gamepad.h"
#include "shell/stateDump.h"
#include "sound/soundEvents.h"
#include "voxel/kilnGuiRenderer.h"

IGuiRenderer* menuRenderer = &KilnGuiRenderer::instance;

namespace {

constexpr uint32_t MENU_BACKGROUND_A = 0x99723F;
constexpr uint32_t MENU_BACKGROUND_B = 0x4C3010;

void writeElem(JsonWriter& json, GuiElem* e, const GuiElem* focus)
{
    // The box with its borders: what is drawn and what a click hits.
    const GuiRect& b = e->boxRect;
    const GuiRect& w = e->borderWidths;
    json.beginObject();
    json.field("name", e->name.str);
    json.field("text", e->text.str);
    json.field("id", e->id);
    json.field("hidden", e->isHidden());
    json.field("visible", isVisible(e));
    json.field("focus", e == focus);
    json.beginArray("rect");
    json.value((double)(b.left - w.left));
    json.value((double)(b.top - w.top));
    json.value((double)(b.right + w.right));
    json.value((double)(b.bottom + w.bottom));
    json.endArray();
    json.endObject();
    for (GuiElem* child : e->children) writeElem(json, child, focus);
}

}  // namespace

void GuiScreenMode::enter(GameMode*)
{
    // clang-format off
    ASSERT(!scr);
    // clang-format on
    GuiElem* root = buildTree(menuRenderer->unit());
    scr = new GuiScreen(menuRenderer, root, MENU_REF_WIDTH, MENU_REF_HEIGHT);
    addHandler(root, this, root->handlers.num);
    scr->backCommand = backCommand();
    // A player on the controller finds the focus ready on the first button.
    if (padInUse()) scr->focusFirst();
    playSoundEvent(enterSound());
}

void GuiScreenMode::update(float)
{
    if (scr) scr->processInput();
    // A command may have switched away: the screen goes at the end of the
    // update in which its mode was left, never while its handlers run.
    if (scr && currentGameMode != this) {
        delete scr;
        scr = nullptr;
    }
}

void GuiScreenMode::render(float)
{
    // Nothing is drawn between the two halves: the menus show the background alone.
    beginWorldBackground(MENU_BACKGROUND_A, MENU_BACKGROUND_B);
    endWorldBackground(MENU_BACKGROUND_A, MENU_BACKGROUND_B);
}

void GuiScreenMode::renderOverlay(float)
{
    if (scr) scr->render();
}

void GuiScreenMode::onResize()
{
    if (scr) scr->updateLayout();
}

int GuiScreenMode::handle(GuiEvent* event, GuiElem*, int)
{
    // Once a command has left the mode, further clicks queued in the same
    // step belong to a screen that is going away: a second "GO!" would buy
    // the pending upgrades twice.
    if (event->kind == GUIEV_COMMAND && currentGameMode == this) command(static_cast<GuiCommandEvent*>(event)->id);
    return 1;
}

GuiScreenMode* currentGuiScreenMode() { return dynamic_cast<GuiScreenMode*>(currentGameMode); }

void writeGuiState(JsonWriter& json)
{
    GuiScreenMode* mode = currentGuiScreenMode();
    if (!mode || !mode->scr || !mode->scr->root) return;
    json.beginArray("gui");
    writeElem(json, mode->scr->root, mode->scr->focus);
    json.endArray();
}
