// guiBuild.h -- element builders for the menu screens of the game and the
// launcher: plain elements, text labels and the three-look buttons.
#pragma once

#include "gui/gui.h"

// A new element, appended to parent when there is one.
GuiElem* newElem(GuiElem* parent, const char* name = nullptr);
// Auto-sized, centred text.
GuiElem* newLabel(GuiElem* parent, const char* text, uint32_t colour, int textScale);
void setMargins(GuiElem* e, GuiLen top, GuiLen left, GuiLen right, GuiLen bottom);

// A button: a container with the command id, auto size, the behaviours
// "solidBox" and "button", and the looks ".normal", ".over" and ".pressed"
// of widthUnits x heightUnits carrying the text. Borders are 1 / fontCell
// units, one font pixel times the screen scale; the pressed look is shifted
// right and down by as much. Margins are left to the caller.
GuiElem* newButton(GuiElem* parent, int id, const char* text, float widthUnits, float heightUnits, int textScale,
                   int fontCell);
// Sets the text of all three looks.
void setButtonText(GuiElem* button, const char* text);
