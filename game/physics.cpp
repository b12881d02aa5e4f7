// physics.cpp -- the two-pass box scans and moveBox with step-up.
#include "game/physics.h"

#include <cmath>

namespace {

// The pass results pick the objects' answer when an object blocked, else the
// level's, and add that answer's flags.
struct AxisScan {
    float (*level)(float from, float to, float a0, float a1, int* flags);
    float (*objects)(int& flags, GameObj* self, float a0, float a1, float from, float to);
};

float objectsAlongX(int& flags, GameObj* self, float y0, float y1, float from, float to)
{
    return objectsScanX(flags, self, from, to, y0, y1);
}

const AxisScan scanAlongX = {scanLevelX, objectsAlongX};
const AxisScan scanAlongY = {scanLevelY, objectsScanY};

float scanPass(const AxisScan& axis, int& flags, GameObj* self, float from, float to, float a0, float a1)
{
    int levelFlags = 0;
    float l = axis.level(from, to, a0, a1, &levelFlags);
    int objectFlags = 0;
    float o = axis.objects(objectFlags, self, a0, a1, from, l);
    if (objectFlags) {
        flags |= objectFlags;
        return o;
    }
    flags |= levelFlags;
    return l;
}

// lo/hi: the box along the moving axis; a0/a1: its extent across it.
float scanBox(const AxisScan& axis, int& flags, GameObj* self, float lo, float hi, float a0, float a1, float d)
{
    float c = (lo + hi) * 0.5f;
    float lead = d >= 0.0f ? hi : lo;
    float result = scanPass(axis, flags, self, c, lead + d, a0, a1);
    if (std::fabs(result - c) > std::fabs(lead - c)) return result - lead;
    // Something lies between the centre and the leading edge already: scan
    // back from it by the box size and centre the box in the free gap.
    float back = scanPass(axis, flags, self, result, result - 2.0f * (lead - c), a0, a1);
    return (back + result) * 0.5f - c;
}

}  // namespace

float scanBoxX(int& flags, GameObj* self, float x0, float y0, float x1, float y1, float dx)
{
    return scanBox(scanAlongX, flags, self, x0, x1, y0, y1, dx);
}

float scanBoxY(int& flags, GameObj* self, float x0, float y0, float x1, float y1, float dy)
{
    return scanBox(scanAlongY, flags, self, y0, y1, x0, x1, dy);
}

int moveBox(Vec4& pos, GameObj* self, Vec4 target, Vec4 min, Vec4 max, float step)
{
    int flags = 0;
    pos.y += scanBoxY(flags, self, pos.x + min.x, pos.y + min.y, pos.x + max.x, pos.y + max.y, target.y - pos.y);
    Vec4 p1 = pos;

    pos.x += scanBoxX(flags, self, pos.x + min.x, pos.y + min.y + step, pos.x + max.x, pos.y + max.y, target.x - pos.x);

    if (step > 0.0f) {
        int landing = 0;
        float s = scanBoxY(landing, self, pos.x + min.x, pos.y + min.y, pos.x + max.x, pos.y + max.y, -1.0f);
        if (landing & CONTACT_CEILING) {
            // No headroom on the step: move again with the whole box.
            pos = p1;
            pos.x +=
                scanBoxX(flags, self, pos.x + min.x, pos.y + min.y, pos.x + max.x, pos.y + max.y, target.x - pos.x);
        } else if (s > 0.0f) {
            pos.y += s;
        }
    }
    return flags;
}
