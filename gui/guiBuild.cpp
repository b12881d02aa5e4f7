// guiBuild.cpp -- element builders.
#include "gui/guiBuild.h"

namespace {

struct ButtonLook {
    const char* name;
    uint32_t background, text, topLeft, bottomRight;
    bool shifted;
};

const ButtonLook BUTTON_LOOKS[] = {
    {".normal", 0xFF323232, 0xFFC8C8C8, 0xFF505050, 0xFF1E1E1E, false},
    {".over", 0xFF646464, 0xFFFFFFFF, 0xFF828282, 0xFF464646, false},
    {".pressed", 0xFF646464, 0xFFFFFFFF, 0xFF828282, 0xFF464646, true},
};

}  // namespace

GuiElem* newElem(GuiElem* parent, const char* name)
{
    GuiElem* e = new GuiElem;
    e->name.assign(name);
    if (parent) addChild(parent, e, parent->children.num);
    return e;
}

GuiElem* newLabel(GuiElem* parent, const char* text, uint32_t colour, int textScale)
{
    GuiElem* e = newElem(parent);
    e->text.assign(text);
    e->textColour = colour;
    e->textScale = (uint8_t)textScale;
    return e;
}

void setMargins(GuiElem* e, GuiLen top, GuiLen left, GuiLen right, GuiLen bottom)
{
    e->margin[GUI_TOP] = top;
    e->margin[GUI_LEFT] = left;
    e->margin[GUI_RIGHT] = right;
    e->margin[GUI_BOTTOM] = bottom;
}

GuiElem* newButton(GuiElem* parent, int id, const char* text, float widthUnits, float heightUnits, int textScale,
                   int fontCell)
{
    GuiElem* button = newElem(parent);
    button->id = id;
    float pixel = 1.0f / (float)(fontCell > 0 ? fontCell : 8);
    for (const ButtonLook& look : BUTTON_LOOKS) {
        GuiElem* e = newLabel(button, text, look.text, textScale);
        e->name.assign(look.name);
        e->width = GuiLen::units(widthUnits);
        e->height = GuiLen::units(heightUnits);
        e->bgColour = look.background;
        for (int side = 0; side < 4; side++) e->border[side] = GuiLen::units(pixel);
        e->borderColours[GUI_TOP] = e->borderColours[GUI_LEFT] = look.topLeft;
        e->borderColours[GUI_RIGHT] = e->borderColours[GUI_BOTTOM] = look.bottomRight;
        if (look.shifted) e->x = e->y = GuiLen::units(pixel);
    }
    // The button handler finds its looks when it is attached.
    applyBehaviour(button, "solidBox");
    applyBehaviour(button, "button");
    return button;
}

void setButtonText(GuiElem* button, const char* text)
{
    for (const ButtonLook& look : BUTTON_LOOKS)
        if (GuiElem* e = findByName(button, look.name)) e->text.assign(text);
}
