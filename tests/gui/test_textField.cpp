// The text field through a screen: the keyboard goes to it by a click and
// leaves it by Enter, Escape, a press elsewhere or the field going away.
#include <gtest/gtest.h>

#include "gui/guiBuild.h"
#include "gui/textField.h"
#include "shell/input.h"
#include "shell/inputQueue.h"
#include "shell/window.h"
#include "tests/gui/guiTestKit.h"

namespace {

// A 640 x 480 screen (scale 2, 8-pixel units) with a field of up to six
// digits or 'x' at (20, 20), 200 x 40 pixels, and a plain box below it.
struct FieldScreen : ::testing::Test {
    RecordingRenderer renderer;
    TextInputScreen* scr = nullptr;
    GuiElem *field = nullptr, *box = nullptr;

    void SetUp() override
    {
        installTestInput();
        registerStandardBehaviours();
        GuiElem* root = namedElem(nullptr, "root");
        GuiElem* panel = placedBox(root, "panel", 0, 0, 640, 480);
        field = newTextField(panel, 12.5f, 2.5f, 1, 8, "0123456789x", 6, "random");
        field->x = field->y = GuiLen::pixels(20);
        box = placedBox(panel, "box", 20, 200, 100, 40);
        applyBehaviour(box, "solidBox");
        scr = new TextInputScreen(&renderer, root, 40, 30);
    }
    void TearDown() override
    {
        delete scr;
        installTestInput();
    }
    void clickAt(float x, float y)
    {
        pointerMove(x, y);
        pointerButton(true);
        pointerButton(false);
        scr->processInput();
    }
    void press(int vk)
    {
        windowKeyDown(vk, false);
        windowKeyUp(vk);
        scr->processInput();
    }
    void typeKeys(const char* keys)
    {
        for (const char* k = keys; *k; k++) press(toupper((unsigned char)*k));
    }
    TextFieldHandler* handler() { return textFieldOf(field); }
    std::string shown() { return field->text.c_str(); }
};

TEST_F(FieldScreen, AClickGivesItTheKeyboardWhereverThePointerGoes)
{
    // Without the keyboard, keys over the field type nothing and the hint shows.
    pointerMove(40, 40);
    typeKeys("12");
    EXPECT_EQ(handler()->value(), "");
    EXPECT_EQ(shown(), "random");
    uint32_t hintColour = field->textColour;

    clickAt(40, 40);
    EXPECT_TRUE(handler()->hasKeyboard());
    EXPECT_EQ(shown(), "_");
    EXPECT_NE(field->textColour, hintColour);
    // Keys reach it with the pointer over another element too.
    pointerMove(50, 220);
    typeKeys("0x1f2");  // 'f' is not allowed here
    EXPECT_EQ(handler()->value(), "0x12");
    EXPECT_EQ(shown(), "0x12_");
    press(VK_BACK);
    EXPECT_EQ(handler()->value(), "0x1");
    // Six characters at most.
    typeKeys("23456");
    EXPECT_EQ(handler()->value(), "0x1234");
    // Enter lets it go: no caret, keys no longer type.
    uint32_t litBorder = field->borderColours[GUI_TOP];
    press(VK_RETURN);
    EXPECT_FALSE(handler()->hasKeyboard());
    EXPECT_EQ(shown(), "0x1234");
    EXPECT_NE(field->borderColours[GUI_TOP], litBorder);
    press(VK_BACK);
    EXPECT_EQ(handler()->value(), "0x1234");
}

TEST_F(FieldScreen, APressElsewhereOrHidingTheFieldEndsTheTyping)
{
    clickAt(40, 40);
    typeKeys("7");
    clickAt(50, 220);
    EXPECT_FALSE(handler()->hasKeyboard());
    EXPECT_EQ(TextFieldHandler::keyboardField, nullptr);
    typeKeys("8");
    EXPECT_EQ(handler()->value(), "7");
    // Backspace down to empty (and once more) brings the hint back.
    clickAt(40, 40);
    press(VK_BACK);
    press(VK_BACK);
    EXPECT_EQ(handler()->value(), "");
    press(VK_ESCAPE);
    EXPECT_EQ(shown(), "random");
    // A hidden field takes no keys.
    clickAt(40, 40);
    setHidden(field->parent, true);
    EXPECT_FALSE(handler()->hasKeyboard());
    typeKeys("9");
    EXPECT_EQ(handler()->value(), "");
}

TEST_F(FieldScreen, AFieldDeletedWhileTypingLeavesNoKeyboardBehind)
{
    clickAt(40, 40);
    ASSERT_TRUE(handler()->hasKeyboard());
    delete scr;
    scr = nullptr;
    EXPECT_EQ(TextFieldHandler::keyboardField, nullptr);
    // Keys on a new screen touch no freed field (the sanitizer build sees it).
    GuiElem* root = namedElem(nullptr, "root");
    scr = new TextInputScreen(&renderer, root, 40, 30);
    typeKeys("1");
}

}  // namespace
