// worldView.cpp -- the object view window.
#include "game/worldView.h"

#include <cmath>

ViewWindow viewWindow;

ViewWindow computeViewWindow(Vec4 c, const WorldViewSize& view)
{
    int s = view.pixelScale;
    ViewWindow w;
    w.x0 = (int)std::lrint(c.x - 0.4999999f) - (view.width / s + 80) / 2;
    w.y0 = (int)std::lrint(c.y - 0.4999999f) - (view.height / s + 60) / 2;
    w.x1 = w.x0 + view.width / s + 80;
    w.y1 = w.y0 + view.height / s + 60;
    return w;
}

bool insideViewWindow(Vec4 p)
{
    long x = std::lrint(p.x);
    long y = std::lrint(p.y);
    return viewWindow.x0 <= x && x <= viewWindow.x1 && viewWindow.y0 <= y && y <= viewWindow.y1;
}
