// layout.h -- gives every element its three rectangles.
//
// Each element is placed on its own inside its parent's content rectangle,
// anchored at the top-left; there is no flow. Automatic margins and paddings
// share out the free space along an axis, which centres an element (both
// margins auto), pushes it to an edge (one margin auto) or stretches its box
// (both paddings auto). Solving works on copies, so an element's lengths keep
// their auto modes for the next layout.
#pragma once

#include "gui/gui.h"

struct GuiSize {
    float width = 0, height = 0;
};

// The outer size the element asks for (unit 8 without a screen).
GuiSize preferredSize(GuiElem* elem, GuiScreen* screen);
// The element's own measure, widened to its children's preferred sizes.
GuiSize contentSize(GuiElem* elem, GuiScreen* screen);
// Computes the element's rectangles and border widths, then its children's.
// The root is placed in the screen rect (640 x 480 without a screen).
void arrange(GuiElem* elem, GuiScreen* screen);

// The lengths along one axis of an element and where its parent has room.
struct GuiAxis {
    float start, end;                 // the parent's content edges
    float borderBefore, borderAfter;  // evaluated border widths
    GuiLen* marginBefore;
    GuiLen* paddingBefore;
    GuiLen size;
    GuiLen* paddingAfter;
    GuiLen* marginAfter;
};
// Returns the outer extent. When everything fits and some of the margins and
// paddings are auto, they become pixel lengths sharing the free space and
// the extent is the whole room.
float solveAxis(const GuiAxis& axis, float unit, float parentWidth, float parentHeight);
