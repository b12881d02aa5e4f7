// textField.h -- a one-line text field for the GUI toolkit.
//
// A click gives the field the keyboard: typed characters the field allows
// are added at the end (up to its length), Backspace takes the last one off,
// Enter, Escape or a press anywhere else lets the keyboard go. A field with
// the keyboard shows a caret after its text and a lit border; an empty field
// without it shows its hint in grey. Keys reach the field through
// TextInputScreen, which sends them to the field holding the keyboard
// wherever the pointer is.
#pragma once

#include <string>

#include "gui/gui.h"

class TextFieldHandler final : public GuiEventHandler {
public:
    // allowed: the characters that may be typed; maxLength: at most so many.
    TextFieldHandler(const char* allowed, int maxLength, const char* hint);
    int handle(GuiEvent* event, GuiElem* elem, int mode) override;
    void attached(GuiElem* elem) override;
    // The field being destroyed lets the keyboard go.
    void detached(GuiElem* elem) override;

    const std::string& value() const { return text; }
    void setValue(const char* value);
    bool hasKeyboard() const { return keyboardField == this; }
    void takeKeyboard();
    void releaseKeyboard();

    // The field holding the keyboard, or null.
    static TextFieldHandler* keyboardField;
    GuiElem* field = nullptr;

private:
    // Shows the text with the caret, or the hint, in the matching look.
    void refresh();

    std::string allowed, hint, text;
    int maxLength;
};

// A field of widthUnits x heightUnits with left-aligned text, a border of one
// font pixel (sunken; lit while it has the keyboard) and the behaviour
// "solidBox" so that clicks find it.
GuiElem* newTextField(GuiElem* parent, float widthUnits, float heightUnits, int textScale, int fontCell,
                      const char* allowed, int maxLength, const char* hint);
// The field's handler; null for an element that is not a text field.
TextFieldHandler* textFieldOf(GuiElem* elem);

// A screen whose key records go to the text field holding the keyboard
// (when one does) instead of the element under the pointer.
class TextInputScreen : public GuiScreen {
public:
    using GuiScreen::GuiScreen;
    void dispatchInput(GuiInputEvent* event, GuiElem* target) override;
};
