// pauseMode.h -- the menus over a paused game: the pause screen (Resume,
// Controls, Sound, Quit to title) and the Sound screen; the Controls screen
// is in game/controlsMode.h. While one of them is current the world does not
// step: it is drawn frozen, dimmed, under the menu.
#pragma once

#include "game/guiScreenMode.h"
#include "sound/volumeSettings.h"

// What the menus over a paused game share: the frozen world under a dimmed
// layer, and Escape going one screen back.
class PausedMenuMode : public GuiScreenMode {
public:
    void update(float dt) override;
    void render(float t) override;
    void renderOverlay(float t) override;

protected:
    int enterSound() const override { return -1; }
    // Escape (or a key of the pause action): one screen back.
    virtual void back() = 0;
    // A screen that reads this step's input itself (a key being bound)
    // answers true, and Escape is then its own.
    virtual bool takeInputFirst() { return false; }
};

// Command ids of the pause screen.
enum PauseCommand { PAUSE_CMD_RESUME = 1, PAUSE_CMD_CONTROLS, PAUSE_CMD_SOUND, PAUSE_CMD_QUIT };

class PauseGameMode final : public PausedMenuMode {
public:
    const char* name() const override { return "PauseGameMode"; }

protected:
    GuiElem* buildTree(int fontCell) override;
    void command(int id) override;
    void back() override;
};

// Per volume group a "-" and a "+" button: SOUND_CMD_ROWS + 2 x group and one
// more; 10 % a click.
enum SoundCommand { SOUND_CMD_BACK = 1, SOUND_CMD_ROWS = 10 };
enum { VOLUME_STEP_PERCENT = 10 };

class SoundGameMode final : public PausedMenuMode {
public:
    const char* name() const override { return "SoundGameMode"; }

protected:
    GuiElem* buildTree(int fontCell) override;
    void command(int id) override;
    void back() override;

private:
    void refresh();
    GuiElem* percentLabels[VOLUME_GROUP_COUNT] = {};
};

extern PauseGameMode pauseScreen;
extern SoundGameMode soundScreen;

// Whether a menu over the paused game is current: frames then show the world
// as it was after its last step.
bool gamePaused();
// At the start of the play step: the pause action was pressed, or the window
// lost its focus since the last step with the option on. Switches to the
// pause screen and answers true; the play step is then skipped.
bool pausePlayIfAsked();

// Puts the pause screens' modes in place and listens for the window losing
// its focus. After setUpMenuModes.
void setUpPauseModes();
// Frees the screens still built; for shutdown.
void freePauseScreens();

// Builders shared by the paused menus.
namespace pausemenu {
// The 40 x 30 unit root with a centred panel of the given size; returns the panel.
GuiElem* newPanelScreen(float width, float height);
// A label of the given width at (left, top) inside parent, its text aligned by alignH.
GuiElem* placedLabel(GuiElem* parent, const char* name, const char* text, uint32_t colour, float left, float top,
                     float width, float height, int alignH);
// A label centred across parent at the given top.
GuiElem* centredLabel(GuiElem* parent, const char* text, uint32_t colour, int scale, float top);
// A named button at (left, top); a negative left centres it.
GuiElem* placedButton(GuiElem* parent, const char* name, int id, const char* text, float left, float top, float width,
                      float height, int fontCell);
constexpr uint32_t TITLE_YELLOW = 0xFFFFF000;
constexpr uint32_t TEXT_GREY = 0xFFC8C8C8;
constexpr uint32_t NOTE_GREY = 0xFF999999;
constexpr uint32_t WARNING_RED = 0xFFFF5040;
}  // namespace pausemenu
