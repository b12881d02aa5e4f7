// junk.cpp -- debris particles.
#include "game/junk.h"

#include <cmath>

#include "game/worldDraw.h"

DynArray<Junk> junkList;

namespace {
constexpr float JUNK_GRAVITY = 500.0f;
}

void addJunk(Vec4 position, Vec4 velocity, uint32_t colour, float life)
{
    Junk j;
    j.pos = position;
    j.vel = velocity;
    j.colour = colour;
    j.life = life;
    junkList.append(j);
}

void updateJunk(float dt)
{
    for (int i = 0; i < junkList.num;) {
        Junk& j = junkList[i];
        j.pos += j.vel * dt;
        j.vel.y -= JUNK_GRAVITY * dt;
        j.life -= dt;
        if (j.life > 0)
            i++;
        else
            junkList.removeFast(i, 1);
    }
}

void renderJunk(float t)
{
    setWorldCubeTransform(Mat4::identity());
    for (const Junk& j : junkList) {
        if (j.life - t <= 0) continue;
        Int4 p = toInt((j.pos + j.vel * t) * 16.0f);
        drawWorldCube(p.i[0], p.i[1], p.i[2], j.colour);
    }
}

void clearJunk() { junkList.clear(); }

void freeJunk()
{
    free(junkList.data);
    junkList.data = nullptr;
    junkList.num = junkList.cap = 0;
}
