// Layout numbers: the screen scale, auto margins and paddings, percentages,
// preferred sizes and text-measured sizes.
#include <gtest/gtest.h>

#include "gui/guiBuild.h"
#include "gui/layout.h"
#include "tests/gui/guiTestKit.h"

namespace {

int scaleFor(int w, int h)
{
    RecordingRenderer r;
    r.w = w;
    r.h = h;
    GuiScreen scr(&r, nullptr, 40, 30);
    return scr.scale;
}

TEST(Layout, ScaleIsTheLargestWholeGridThatFits)
{
    EXPECT_EQ(scaleFor(640, 480), 2);
    EXPECT_EQ(scaleFor(1000, 480), 2);  // the smaller of 3 and 2
    EXPECT_EQ(scaleFor(300, 200), 1);   // raised to 1
    EXPECT_EQ(scaleFor(1280, 960), 4);
    EXPECT_EQ(scaleFor(1, 1), 1);
}

// A parent of 200 x 100 pixels at (10, 20) without a screen (unit 8).
struct ParentBox : ::testing::Test {
    GuiElem* root = newElem(nullptr, "root");
    GuiElem* parent = placedBox(root, "parent", 10, 20, 200, 100);
    GuiElem* child = newElem(parent, "child");
    void TearDown() override { delete root; }
    void layout() { arrange(root, nullptr); }
};

TEST_F(ParentBox, AutoMarginsOnBothSidesCentre)
{
    child->width = GuiLen::pixels(50);
    child->margin[GUI_LEFT] = child->margin[GUI_RIGHT] = GuiLen::autoLen();
    layout();
    EXPECT_FLOAT_EQ(child->boxRect.left, 10 + 75);
    EXPECT_FLOAT_EQ(child->boxRect.right, 10 + 125);
    EXPECT_FLOAT_EQ(child->outerRect.right - child->outerRect.left, 200);
    // The element's own lengths stay auto for the next layout.
    EXPECT_TRUE(child->margin[GUI_LEFT].isAuto());
    parent->width = GuiLen::pixels(300);
    layout();
    EXPECT_FLOAT_EQ(child->boxRect.left, 10 + 125);
}

TEST_F(ParentBox, WithoutAutoLengthsAChildSitsAtTheTopLeft)
{
    child->width = GuiLen::pixels(50);
    child->height = GuiLen::pixels(10);
    layout();
    EXPECT_FLOAT_EQ(child->boxRect.left, 10);
    EXPECT_FLOAT_EQ(child->boxRect.right, 60);
    EXPECT_FLOAT_EQ(child->boxRect.top, 20);
    EXPECT_FLOAT_EQ(child->boxRect.bottom, 30);
}

TEST_F(ParentBox, OneAutoMarginPushesToTheOtherEdge)
{
    child->width = GuiLen::pixels(50);
    child->height = GuiLen::pixels(10);
    child->margin[GUI_LEFT] = GuiLen::autoLen();
    child->margin[GUI_TOP] = GuiLen::autoLen();
    child->margin[GUI_BOTTOM] = GuiLen::units(1);  // 8 pixels without a screen
    layout();
    EXPECT_FLOAT_EQ(child->boxRect.right, 210);
    EXPECT_FLOAT_EQ(child->boxRect.bottom, 120 - 8);
}

TEST_F(ParentBox, AutoPaddingsStretchTheBoxAndCentreTheContent)
{
    child->width = GuiLen::pixels(50);
    child->padding[GUI_LEFT] = child->padding[GUI_RIGHT] = GuiLen::autoLen();
    child->border[GUI_LEFT] = GuiLen::pixels(4);
    child->border[GUI_RIGHT] = GuiLen::pixels(6);
    layout();
    EXPECT_FLOAT_EQ(child->boxRect.left, 14);
    EXPECT_FLOAT_EQ(child->boxRect.right, 204);
    EXPECT_FLOAT_EQ(child->contentRect.left, 14 + 70);
    EXPECT_FLOAT_EQ(child->contentRect.right, 14 + 70 + 50);
    EXPECT_FLOAT_EQ(child->borderWidths.left, 4);
}

TEST_F(ParentBox, PercentagesOfTheParentContent)
{
    parent->width = GuiLen::pixels(300);
    child->width = GuiLen::percentWidth(50);
    child->height = GuiLen::percentHeight(25);
    child->x = GuiLen::percentWidth(10);
    layout();
    EXPECT_FLOAT_EQ(child->boxRect.right - child->boxRect.left, 150);
    EXPECT_FLOAT_EQ(child->boxRect.bottom - child->boxRect.top, 25);
    EXPECT_FLOAT_EQ(child->boxRect.left, 10 + 30);
}

TEST_F(ParentBox, ALargerChildOverflowsRightAndDown)
{
    child->width = GuiLen::pixels(500);
    child->height = GuiLen::pixels(300);
    child->margin[GUI_LEFT] = child->margin[GUI_RIGHT] = GuiLen::autoLen();
    layout();
    EXPECT_FLOAT_EQ(child->boxRect.left, 10);
    EXPECT_FLOAT_EQ(child->boxRect.right, 510);
    EXPECT_FLOAT_EQ(child->boxRect.bottom, 320);
}

TEST(Layout, PreferredSizeMakesRoomForPercentages)
{
    GuiElem e;
    e.width = GuiLen::percentWidth(50);
    e.padding[GUI_LEFT] = e.padding[GUI_RIGHT] = GuiLen::pixels(10);
    e.height = GuiLen::units(2);
    e.margin[GUI_TOP] = GuiLen::percentWidth(50);  // a width percentage counts 0 vertically
    GuiSize s = preferredSize(&e, nullptr);
    EXPECT_FLOAT_EQ(s.width, 40);  // 20 / (1 - 0.5)
    EXPECT_FLOAT_EQ(s.height, 16);
    e.width = GuiLen::percentWidth(100);  // nothing left to grow into: the fixed part
    EXPECT_FLOAT_EQ(preferredSize(&e, nullptr).width, 20);
}

TEST(Layout, AutoSizesComeFromTextAndChildren)
{
    RecordingRenderer r;  // 6 pixels per character and scale
    GuiElem* root = newElem(nullptr, "root");
    GuiElem* label = newLabel(root, "Hello", 0xFFFFFFFF, 1);
    GuiElem* box = newElem(root, "box");
    placedBox(box, "wide", 0, 0, 70, 4);
    GuiElem* tall = placedBox(box, "tall", 0, 0, 10, 33);
    tall->margin[GUI_TOP] = GuiLen::pixels(5);
    GuiScreen scr(&r, root, 40, 30);
    ASSERT_EQ(scr.scale, 2);
    // 5 characters at text scale 1 x screen scale 2, as the renderer measured them.
    EXPECT_FLOAT_EQ(label->boxRect.right - label->boxRect.left, 60);
    EXPECT_FLOAT_EQ(label->boxRect.bottom - label->boxRect.top, 16);
    // The widest and the tallest child, margins included.
    EXPECT_FLOAT_EQ(box->boxRect.right - box->boxRect.left, 70);
    EXPECT_FLOAT_EQ(box->boxRect.bottom - box->boxRect.top, 38);
    // Units follow the screen scale.
    label->width = GuiLen::units(3);
    scr.updateLayout();
    EXPECT_FLOAT_EQ(label->boxRect.right - label->boxRect.left, 48);
    EXPECT_FLOAT_EQ(label->boxRect.bottom - label->boxRect.top, 16);  // still measured
}

TEST(Layout, WithoutAScreenTheRootFillsSixFortyByFourEighty)
{
    GuiElem root;
    root.width = GuiLen::units(10);
    root.margin[GUI_LEFT] = root.margin[GUI_RIGHT] = GuiLen::autoLen();
    arrange(&root, nullptr);
    EXPECT_FLOAT_EQ(root.boxRect.left, (640 - 80) / 2);
}

TEST(LayoutDeathTest, AnUnknownModeIsFatal)
{
    GuiLen l{1, 9};
    EXPECT_EXIT(l.eval(8, 0, 0, 0), ::testing::ExitedWithCode(100), "unknown GuiLen mode");
}

}  // namespace
