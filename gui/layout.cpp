// layout.cpp -- lengths, measuring and placing of GUI elements.
#include "gui/layout.h"

namespace {

const float DEFAULT_UNIT = 8.0f;  // without a screen

float unitOf(GuiScreen* screen) { return screen ? screen->unit() : DEFAULT_UNIT; }

// An outer length along one axis that comes out right once the parent has
// it: percentages of the parent (of percentMode) are taken out of the rest.
float preferredExtent(const GuiLen* const* lengths, int count, int percentMode, float unit)
{
    float fixed = 0, percent = 0;
    for (int i = 0; i < count; i++) {
        const GuiLen& l = *lengths[i];
        if (l.mode == GUILEN_PIXELS)
            fixed += l.value;
        else if (l.mode == GUILEN_UNITS)
            fixed += unit * l.value;
        else if (l.mode == percentMode)
            percent += l.value;
    }
    float p = 0.01f * percent;
    return p >= 1.0f ? fixed : fixed / (1.0f - p);
}

// Auto sizes become the content size in pixels (the element keeps auto).
void resolveAutoSize(GuiElem* e, GuiScreen* screen, GuiLen* w, GuiLen* h)
{
    *w = e->width;
    *h = e->height;
    if (!w->isAuto() && !h->isAuto()) return;
    GuiSize c = contentSize(e, screen);
    if (w->isAuto()) *w = GuiLen::pixels(c.width);
    if (h->isAuto()) *h = GuiLen::pixels(c.height);
}

}  // namespace

float GuiLen::eval(float unit, float parentWidth, float parentHeight, float autoDefault) const
{
    switch (mode) {
        case GUILEN_AUTO:
            return autoDefault;
        case GUILEN_PIXELS:
            return value;
        case GUILEN_UNITS:
            return value * unit;
        case GUILEN_PERCENT_WIDTH:
            return value * 0.01f * parentWidth;
        case GUILEN_PERCENT_HEIGHT:
            return value * 0.01f * parentHeight;
        default:
            // clang-format off
            ASSERT(!"unknown GuiLen mode");
            // clang-format on
    }
}

float GuiScreen::unit() { return (float)renderer->unit() * (float)scale; }

void GuiScreen::measureContent(GuiElem* e, float* width, float* height)
{
    float u = unit();
    float w = e->width.eval(u, 0, 0, 0), h = e->height.eval(u, 0, 0, 0);
    if (e->text.str[0] && (e->width.isAuto() || e->height.isAuto())) {
        float tw = 0, th = 0;
        renderer->measureText(e->text, -1, &tw, &th, e->textScale * scale);
        if (e->width.isAuto()) w = tw;
        if (e->height.isAuto()) h = th;
    }
    *width = w;
    *height = h;
}

void GuiScreen::updateLayout()
{
    int u = renderer->unit();
    int byWidth = u * refWidth > 0 ? renderer->width() / (u * refWidth) : 1;
    int byHeight = u * refHeight > 0 ? renderer->height() / (u * refHeight) : 1;
    scale = byWidth < byHeight ? byWidth : byHeight;
    if (scale < 1) scale = 1;
    if (root) arrange(root, this);
}

GuiSize contentSize(GuiElem* e, GuiScreen* screen)
{
    GuiSize s;
    if (screen) screen->measureContent(e, &s.width, &s.height);
    for (GuiElem* child : e->children) {
        GuiSize c = preferredSize(child, screen);
        if (c.width > s.width) s.width = c.width;
        if (c.height > s.height) s.height = c.height;
    }
    return s;
}

GuiSize preferredSize(GuiElem* e, GuiScreen* screen)
{
    float unit = unitOf(screen);
    GuiLen w, h;
    resolveAutoSize(e, screen, &w, &h);
    const GuiLen* across[] = {&e->margin[GUI_LEFT],   &e->border[GUI_LEFT],  &e->padding[GUI_LEFT], &w,
                              &e->padding[GUI_RIGHT], &e->border[GUI_RIGHT], &e->margin[GUI_RIGHT]};
    const GuiLen* down[] = {&e->margin[GUI_TOP],     &e->border[GUI_TOP],    &e->padding[GUI_TOP],  &h,
                            &e->padding[GUI_BOTTOM], &e->border[GUI_BOTTOM], &e->margin[GUI_BOTTOM]};
    return {preferredExtent(across, 7, GUILEN_PERCENT_WIDTH, unit),
            preferredExtent(down, 7, GUILEN_PERCENT_HEIGHT, unit)};
}

float solveAxis(const GuiAxis& a, float unit, float pw, float ph)
{
    float available = a.end - a.start;
    if (available < 0) available = 0;
    GuiLen* shared[] = {a.marginBefore, a.paddingBefore, a.paddingAfter, a.marginAfter};
    float total = a.borderBefore + a.borderAfter + a.size.eval(unit, pw, ph, 0);
    int autos = 0;
    for (GuiLen* l : shared) {
        total += l->eval(unit, pw, ph, 0);
        if (l->isAuto()) autos++;
    }
    if (total >= available || autos == 0) return total;
    float share = (available - total) / (float)autos;
    for (GuiLen* l : shared)
        if (l->isAuto()) *l = GuiLen::pixels(share);
    return available;
}

void arrange(GuiElem* e, GuiScreen* screen)
{
    GuiRect parent;
    if (e->parent)
        parent = e->parent->contentRect;
    else if (screen)
        parent = screen->screenRect();
    else
        parent = GuiRect{0, 0, 640, 480};
    float pw = parent.right - parent.left, ph = parent.bottom - parent.top;
    float unit = unitOf(screen);

    GuiLen w, h;
    resolveAutoSize(e, screen, &w, &h);
    GuiRect& bw = e->borderWidths;
    bw.top = e->border[GUI_TOP].eval(unit, pw, ph, 0);
    bw.left = e->border[GUI_LEFT].eval(unit, pw, ph, 0);
    bw.right = e->border[GUI_RIGHT].eval(unit, pw, ph, 0);
    bw.bottom = e->border[GUI_BOTTOM].eval(unit, pw, ph, 0);

    GuiLen m[4], p[4];
    for (int i = 0; i < 4; i++) {
        m[i] = e->margin[i];
        p[i] = e->padding[i];
    }
    float across = solveAxis(
        {parent.left, parent.right, bw.left, bw.right, &m[GUI_LEFT], &p[GUI_LEFT], w, &p[GUI_RIGHT], &m[GUI_RIGHT]},
        unit, pw, ph);
    float down = solveAxis(
        {parent.top, parent.bottom, bw.top, bw.bottom, &m[GUI_TOP], &p[GUI_TOP], h, &p[GUI_BOTTOM], &m[GUI_BOTTOM]},
        unit, pw, ph);

    float dx = e->x.eval(unit, pw, ph, 0), dy = e->y.eval(unit, pw, ph, 0);
    GuiRect& o = e->outerRect;
    o.left = parent.left + dx;
    o.top = parent.top + dy;
    o.right = parent.left + across + dx;
    o.bottom = parent.top + down + dy;

    auto px = [&](const GuiLen& l) { return l.eval(unit, pw, ph, 0); };
    GuiRect& b = e->boxRect;
    b.left = o.left + px(m[GUI_LEFT]) + bw.left;
    b.top = o.top + px(m[GUI_TOP]) + bw.top;
    b.right = o.right - px(m[GUI_RIGHT]) - bw.right;
    b.bottom = o.bottom - px(m[GUI_BOTTOM]) - bw.bottom;

    GuiRect& c = e->contentRect;
    c.left = b.left + px(p[GUI_LEFT]);
    c.top = b.top + px(p[GUI_TOP]);
    c.right = b.right - px(p[GUI_RIGHT]);
    c.bottom = b.bottom - px(p[GUI_BOTTOM]);

    for (int i = 0; i < e->children.num; i++) arrange(e->children[i], screen);
}
