// The element tree, dispatch, hit testing, behaviours and drawing order.
#include <gtest/gtest.h>

#include "gui/guiBuild.h"
#include "gui/layout.h"
#include "tests/gui/guiTestKit.h"

namespace {

std::string childNames(GuiElem* e)
{
    std::string s;
    for (GuiElem* c : e->children) s += c->name.c_str();
    return s;
}

TEST(GuiTree, AddChildPositionsCountFromTheEndAndClamp)
{
    GuiElem* root = namedElem(nullptr, "root");
    namedElem(root, "a");
    namedElem(root, "b");
    GuiElem* c = new GuiElem;
    c->name.assign("c");
    addChild(root, c, -1);  // before the last: second of three
    EXPECT_EQ(childNames(root), "acb");
    EXPECT_EQ(c->parent, root);
    GuiElem* d = new GuiElem;
    d->name.assign("d");
    addChild(root, d, -10);  // clamped to the front
    GuiElem* e = new GuiElem;
    e->name.assign("e");
    addChild(root, e, 99);  // clamped to the end
    EXPECT_EQ(childNames(root), "dacbe");
    // Moving a child unlinks it from its old parent first.
    GuiElem* other = namedElem(nullptr, "other");
    addChild(other, c, 0);
    EXPECT_EQ(childNames(root), "dabe");
    EXPECT_EQ(c->parent, other);
    // Into an empty list -1 inserts first.
    GuiElem* empty = namedElem(nullptr, "empty");
    addChild(empty, d, -1);
    EXPECT_EQ(childNames(empty), "d");
    delete root;
    delete other;
    delete empty;
}

TEST(GuiTree, HandlersInsertAtTheirPositionAndWidenTheMask)
{
    GuiElem e;
    RecordingHandler a(GUIEV_COMMAND, 0), b(GUIEV_ENTER, 0), c(GUIEV_LEAVE, 0);
    addHandler(&e, &a, 0);
    addHandler(&e, nullptr, 0);
    addHandler(&e, &b, 1);
    addHandler(&e, &c, -1);
    ASSERT_EQ(e.handlers.num, 3);
    EXPECT_EQ(e.handlers[0], &a);
    EXPECT_EQ(e.handlers[1], &c);
    EXPECT_EQ(e.handlers[2], &b);
    EXPECT_EQ(e.handlerMask, (uint32_t)(GUIEV_COMMAND | GUIEV_ENTER | GUIEV_LEAVE));
    e.handlers.clear();  // the recorders live on the stack
}

TEST(GuiTree, FindByNameIsDepthFirstWithTheElementItselfFirst)
{
    GuiElem* root = namedElem(nullptr, "x");
    GuiElem* a = namedElem(root, "a");
    GuiElem* deep = namedElem(a, "t");
    namedElem(root, "t");
    EXPECT_EQ(findByName(root, "x"), root);
    EXPECT_EQ(findByName(root, "t"), deep);
    EXPECT_EQ(findByName(root, "T"), nullptr);
    EXPECT_EQ(findByName(root, ""), nullptr);
    EXPECT_EQ(findByName(root, nullptr), nullptr);
    GuiElem* unnamed = namedElem(root, nullptr);
    EXPECT_EQ(findByName(unnamed, ""), nullptr);
    delete root;
}

struct DispatchTree : ::testing::Test {
    GuiElem* root = namedElem(nullptr, "root");
    GuiElem* mid = namedElem(root, "mid");
    GuiElem* leaf = namedElem(mid, "leaf");
    GuiElem* sibling = namedElem(root, "sibling");
    RecordingHandler log{GUIEV_COMMAND, 0};
    void SetUp() override
    {
        for (GuiElem* e : {root, mid, leaf, sibling}) addHandler(e, &log, 0);
    }
    void TearDown() override
    {
        for (GuiElem* e : {root, mid, leaf, sibling}) e->handlers.clear();
        delete root;
    }
    std::string order()
    {
        std::string s;
        for (auto& v : log.seen) s += v.elem + " ";
        log.seen.clear();
        return s;
    }
};

TEST_F(DispatchTree, FourModesVisitInTheirOrder)
{
    GuiCommandEvent ev(1, 0, leaf);
    dispatch(&ev, leaf, GUIDISPATCH_ANCESTORS_FIRST, nullptr);
    EXPECT_EQ(order(), "root mid leaf ");
    dispatch(&ev, leaf, GUIDISPATCH_ANCESTORS_FIRST, mid);
    EXPECT_EQ(order(), "mid leaf ");
    dispatch(&ev, leaf, GUIDISPATCH_BUBBLE, nullptr);
    EXPECT_EQ(order(), "leaf mid root ");
    dispatch(&ev, leaf, GUIDISPATCH_BUBBLE, mid);
    EXPECT_EQ(order(), "leaf mid ");
    dispatch(&ev, leaf, GUIDISPATCH_DIRECT, nullptr);
    EXPECT_EQ(order(), "leaf ");
    dispatch(&ev, root, GUIDISPATCH_SUBTREE, nullptr);
    EXPECT_EQ(order(), "root mid leaf sibling ");
    EXPECT_EQ(dispatch(&ev, nullptr, GUIDISPATCH_DIRECT, nullptr), 0);
}

TEST_F(DispatchTree, ResultsStopTheWalkAndTwoSkipsASubtree)
{
    RecordingHandler skip(GUIEV_COMMAND, 2);
    addHandler(mid, &skip, 0);
    GuiCommandEvent ev(1, 0, leaf);
    // 2 at mid: its children are skipped, the walk goes on with the sibling.
    EXPECT_EQ(dispatch(&ev, root, GUIDISPATCH_SUBTREE, nullptr), 0);
    EXPECT_EQ(order(), "root sibling ");
    // Outside subtree mode 2 is just "handled".
    EXPECT_EQ(dispatch(&ev, leaf, GUIDISPATCH_BUBBLE, nullptr), 2);
    EXPECT_EQ(order(), "leaf ");
    mid->handlers.remove(0, 1);
}

TEST_F(DispatchTree, OnlyHandlersWhoseMaskMeetsTheKindAreAsked)
{
    RecordingHandler enterOnly(GUIEV_ENTER, 1);
    addHandler(leaf, &enterOnly, 0);
    GuiCommandEvent ev(1, 0, leaf);
    EXPECT_EQ(dispatch(&ev, leaf, GUIDISPATCH_DIRECT, nullptr), 0);
    EXPECT_TRUE(enterOnly.seen.empty());
    EXPECT_EQ(order(), "leaf ");
    leaf->handlers.remove(0, 1);
}

TEST(GuiTree, HitTestFindsTheFirstSolidElementInDepthFirstOrder)
{
    RecordingRenderer r;
    GuiElem* root = namedElem(nullptr, "root");
    GuiElem* panel = placedBox(root, "panel", 100, 100, 200, 100);
    GuiElem* inner = placedBox(panel, "inner", 10, 10, 20, 20);
    for (int s = 0; s < 4; s++) inner->border[s] = GuiLen::pixels(2);
    registerStandardBehaviours();
    registerStandardBehaviours();       // registering twice changes nothing
    applyBehaviour(inner, "SOLIDBOX");  // names compare without case
    EXPECT_EQ(inner->handlers.num, 1);
    GuiScreen scr(&r, root, 80, 60);
    // inner's box is (112, 112) - (132, 132), widened by its 2-pixel borders.
    EXPECT_EQ(hitTest(root, 110, 110), inner);
    EXPECT_EQ(hitTest(root, 133.9f, 120), inner);
    EXPECT_EQ(hitTest(root, 134, 120), nullptr);  // right edge exclusive
    EXPECT_EQ(hitTest(root, 109.9f, 120), nullptr);
    EXPECT_EQ(hitTest(root, 150, 150), nullptr);  // the panel is not solid
    // A solid parent hides its children from hit testing.
    applyBehaviour(panel, "solidBox");
    EXPECT_EQ(hitTest(root, 120, 120), panel);
    setHidden(panel, true);
    EXPECT_EQ(hitTest(root, 120, 120), nullptr);  // nor is a hidden one hit, nor its child
    setHidden(panel, false);
    applyBehaviour(panel, "no such behaviour");
    EXPECT_EQ(panel->handlers.num, 1);
}

// Records its detachment; belongs to one element and deletes itself.
struct OwnedHandler final : GuiEventHandler {
    std::string* trace;
    const char* tag;
    OwnedHandler(std::string* t, const char* name) : GuiEventHandler(GUIEV_COMMAND), trace(t), tag(name) {}
    int handle(GuiEvent*, GuiElem*, int) override { return 0; }
    void detached(GuiElem*) override
    {
        *trace += tag;
        delete this;
    }
};

TEST(GuiTree, DestroyingAnElementUnlinksItAndDetachesHandlersLastFirst)
{
    std::string trace;
    GuiElem* root = namedElem(nullptr, "root");
    GuiElem* a = namedElem(root, "a");
    namedElem(root, "b");
    GuiElem* child = namedElem(a, "child");
    addHandler(a, new OwnedHandler(&trace, "1"), 0);
    addHandler(a, new OwnedHandler(&trace, "2"), 1);
    addHandler(child, new OwnedHandler(&trace, "c"), 0);
    delete a;
    // Children go first, then the element's own handlers from the last.
    EXPECT_EQ(trace, "c21");
    EXPECT_EQ(childNames(root), "b");
    delete root;
}

TEST(GuiTree, SetHiddenNotifiesTheSubtreeOnlyOnAChange)
{
    GuiElem* root = namedElem(nullptr, "root");
    GuiElem* child = namedElem(root, "child");
    RecordingHandler log(GUIEV_HIDDEN_CHANGED, 0);
    addHandler(child, &log, 0);
    setHidden(root, false);
    EXPECT_TRUE(log.seen.empty());
    setHidden(root, true);
    ASSERT_EQ(log.seen.size(), 1u);
    EXPECT_FALSE(isVisible(child));
    setHidden(root, true);
    EXPECT_EQ(log.seen.size(), 1u);
    setHidden(root, false);
    EXPECT_EQ(log.seen.size(), 2u);
    EXPECT_TRUE(isVisible(child));
    child->handlers.clear();
    delete root;
}

TEST(GuiRender, BordersBackgroundTextAndChildrenInOrder)
{
    RecordingRenderer r;
    GuiElem* root = namedElem(nullptr, "root");
    GuiElem* box = placedBox(root, "box", 10, 20, 100, 50);
    box->bgColour = 0xFF112233;
    box->border[GUI_TOP] = GuiLen::pixels(1);
    box->border[GUI_LEFT] = GuiLen::pixels(2);
    box->border[GUI_RIGHT] = GuiLen::pixels(3);
    box->border[GUI_BOTTOM] = GuiLen::pixels(4);
    box->borderColours[GUI_RIGHT] = 0;  // a zero colour draws no side
    box->text.assign("Hi");
    box->alignH = 1;
    box->alignV = -1;
    box->textScale = 2;
    GuiElem* hidden = placedBox(box, "hidden", 0, 0, 5, 5);
    hidden->bgColour = 0xFFFFFFFF;
    setHidden(hidden, true);
    GuiScreen scr(&r, root, 40, 30);
    ASSERT_EQ(scr.scale, 2);
    r.calls.clear();
    scr.render();
    // The box is inside the borders: (12, 21) - (112, 71).
    std::vector<std::string> want = {
        "fill 12 21 112 71 FF112233",
        "fill 10 20 112 21 FF808080",  // top, with the top-left corner
        "fill 10 21 12 75 FF808080",   // left, with the bottom-left corner
        "fill 12 71 115 75 FF808080",  // bottom, with the bottom-right corner
        "text 'Hi' 112 21 1 -1 FFFFFFFF x4",
    };
    EXPECT_EQ(r.calls, want);
    delete scr.root;
    scr.root = nullptr;
}

TEST(GuiBuild, ButtonsHaveThreeLooksAndOnlyTheNormalOneShows)
{
    registerStandardBehaviours();
    GuiElem* b = newButton(nullptr, 9, "Go", 12, 5, 2, 8);
    EXPECT_EQ(b->id, 9);
    ASSERT_EQ(b->children.num, 3);
    GuiElem* pressed = findByName(b, ".pressed");
    ASSERT_NE(pressed, nullptr);
    EXPECT_FALSE(findByName(b, ".normal")->isHidden());
    EXPECT_TRUE(findByName(b, ".over")->isHidden());
    EXPECT_TRUE(pressed->isHidden());
    EXPECT_EQ(pressed->x.mode, GUILEN_UNITS);
    EXPECT_FLOAT_EQ(pressed->x.value, 1.0f / 8);
    setButtonText(b, "Stop");
    EXPECT_STREQ(pressed->text, "Stop");
    EXPECT_STREQ(findByName(b, ".over")->text, "Stop");
    delete b;
}

}  // namespace
