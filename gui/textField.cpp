// textField.cpp -- the one-line text field and the screen that feeds it keys.
#include "gui/textField.h"

#include "gui/guiBuild.h"

TextFieldHandler* TextFieldHandler::keyboardField = nullptr;

namespace {

// Sunken like a well in the panel; the lit border is the launcher's yellow.
const uint32_t FIELD_BACKGROUND = 0xFF1A1A1A;
const uint32_t FIELD_BACKGROUND_TYPING = 0xFF262626;
const uint32_t FIELD_TEXT = 0xFFFFFFFF;
const uint32_t FIELD_HINT = 0xFF707070;
const uint32_t FIELD_SHADE = 0xFF0A0A0A;
const uint32_t FIELD_LIGHT = 0xFF505050;
const uint32_t FIELD_LIT = 0xFFFFF000;
const char CARET = '_';

}  // namespace

TextFieldHandler::TextFieldHandler(const char* allowedChars, int maxLen, const char* hintText)
    : GuiEventHandler(GUIEV_BUTTON_DOWN | GUIEV_KEY | GUIEV_HIDDEN_CHANGED),
      allowed(allowedChars),
      hint(hintText),
      maxLength(maxLen)
{
}

void TextFieldHandler::attached(GuiElem* elem)
{
    field = elem;
    refresh();
}

void TextFieldHandler::detached(GuiElem*)
{
    if (keyboardField == this) keyboardField = nullptr;
    delete this;
}

void TextFieldHandler::setValue(const char* value)
{
    text = value;
    refresh();
}

void TextFieldHandler::takeKeyboard()
{
    TextFieldHandler* previous = keyboardField;
    keyboardField = this;
    if (previous && previous != this) previous->refresh();
    refresh();
}

void TextFieldHandler::releaseKeyboard()
{
    if (keyboardField != this) return;
    keyboardField = nullptr;
    refresh();
}

void TextFieldHandler::refresh()
{
    if (!field) return;
    bool typing = hasKeyboard();
    bool showHint = text.empty() && !typing;
    std::string shown = showHint ? hint : typing ? text + CARET : text;
    field->text.assign(shown.c_str());
    field->textColour = showHint ? FIELD_HINT : FIELD_TEXT;
    field->bgColour = typing ? FIELD_BACKGROUND_TYPING : FIELD_BACKGROUND;
    uint32_t topLeft = typing ? FIELD_LIT : FIELD_SHADE, bottomRight = typing ? FIELD_LIT : FIELD_LIGHT;
    field->borderColours[GUI_TOP] = field->borderColours[GUI_LEFT] = topLeft;
    field->borderColours[GUI_RIGHT] = field->borderColours[GUI_BOTTOM] = bottomRight;
}

int TextFieldHandler::handle(GuiEvent* event, GuiElem*, int)
{
    // A field that goes out of sight takes no more keys.
    if (event->kind == GUIEV_HIDDEN_CHANGED) {
        if (!isVisible(field)) releaseKeyboard();
        return 0;
    }
    if (!isVisible(field)) return 0;
    const InputEvent& in = static_cast<GuiInputEvent*>(event)->input;
    if (event->kind == GUIEV_BUTTON_DOWN) {
        takeKeyboard();
        return 1;
    }
    if (!hasKeyboard()) return 0;
    if (in.kind == IEV_KEY_DOWN) {
        if (in.code == VK_BACK) {
            if (!text.empty()) text.pop_back();
        } else if (in.code == VK_RETURN || in.code == VK_ESCAPE) {
            releaseKeyboard();
            return 1;
        } else if (in.character > 0 && in.character < 128 && allowed.find((char)in.character) != std::string::npos &&
                   (int)text.size() < maxLength) {
            text += (char)in.character;
        }
        refresh();
    }
    return 1;
}

GuiElem* newTextField(GuiElem* parent, float widthUnits, float heightUnits, int textScale, int fontCell,
                      const char* allowed, int maxLength, const char* hint)
{
    GuiElem* e = newElem(parent);
    e->width = GuiLen::units(widthUnits);
    e->height = GuiLen::units(heightUnits);
    e->textScale = (uint8_t)textScale;
    e->alignH = -1;
    float pixel = 1.0f / (float)(fontCell > 0 ? fontCell : 8);
    for (int side = 0; side < 4; side++) e->border[side] = GuiLen::units(pixel);
    e->padding[GUI_LEFT] = e->padding[GUI_RIGHT] = GuiLen::units(0.5f);
    applyBehaviour(e, "solidBox");
    addHandler(e, new TextFieldHandler(allowed, maxLength, hint), -1);
    return e;
}

TextFieldHandler* textFieldOf(GuiElem* elem)
{
    for (GuiEventHandler* h : elem->handlers)
        if (auto* field = dynamic_cast<TextFieldHandler*>(h)) return field;
    return nullptr;
}

void TextInputScreen::dispatchInput(GuiInputEvent* event, GuiElem* target)
{
    TextFieldHandler* typing = TextFieldHandler::keyboardField;
    int kind = event->input.kind;
    if (typing && (kind == IEV_KEY_DOWN || kind == IEV_KEY_UP)) {
        target = typing->field;
    } else if (typing && kind == IEV_MOUSE_DOWN && target != typing->field) {
        // A press anywhere else ends the typing; the press goes on as usual.
        typing->releaseKeyboard();
    }
    GuiScreen::dispatchInput(event, target);
}
