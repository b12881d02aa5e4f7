// junk.h -- debris particles thrown by bullets, deaths and explosions.
#pragma once

#include <cstdint>

#include "support/dynArray.h"
#include "support/vecmath.h"

struct Junk {
    Vec4 pos;
    Vec4 vel;
    uint32_t colour;  // ARGB
    float life;       // seconds left
};

extern DynArray<Junk> junkList;

void addJunk(Vec4 position, Vec4 velocity, uint32_t colour, float life);
// Moves every particle under gravity and drops those whose life ran out.
void updateJunk(float dt);
// One cube per particle that still lives at t.
void renderJunk(float t);
void clearJunk();
// Releases the list's memory (shutdown).
void freeJunk();
