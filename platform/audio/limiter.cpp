#include "platform/audio/limiter.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float RELEASE_SECONDS = 0.12f;  // time constant of the gain's recovery
}

Limiter::Limiter(int rate) : releaseCoef(std::exp(-1.0f / (RELEASE_SECONDS * (float)rate))) { reset(); }

void Limiter::reset()
{
    released = 1.0f;
    for (float& d : delay) d = 0.0f;
    delayPos = 0;
    minHead = minCount = 0;
    frameNumber = 0;
    for (float& b : box) b = 1.0f;
    boxPos = 0;
    boxSum = MIX_LIMIT_LOOKAHEAD;
    framesAtUnity = MIX_LIMIT_LOOKAHEAD;
}

void Limiter::process(float* frames, int count)
{
    constexpr int RING = MIX_LIMIT_LOOKAHEAD + 1;
    for (int i = 0; i < count; i++, frameNumber++) {
        float l = frames[2 * i], r = frames[2 * i + 1];
        float peak = std::fmax(std::fabs(l), std::fabs(r));
        float want = peak > MIX_LIMIT_CEILING ? MIX_LIMIT_CEILING / peak : 1.0f;

        // Sliding minimum over the last LOOKAHEAD wanted gains.
        while (minCount && minGain[(minHead + minCount - 1) % RING] >= want) minCount--;
        minGain[(minHead + minCount) % RING] = want;
        minFrame[(minHead + minCount) % RING] = frameNumber;
        minCount++;
        while (minFrame[minHead] <= frameNumber - MIX_LIMIT_LOOKAHEAD) {
            minHead = (minHead + 1) % RING;
            minCount--;
        }
        float windowMin = minGain[minHead];

        // Instant attack, slow exponential recovery towards 1.
        released = 1.0f - (1.0f - released) * releaseCoef;
        if (windowMin < released) released = windowMin;
        if (released > 0.99999f && windowMin >= 1.0f) released = 1.0f;

        // Box filter; while it has seen nothing but 1 the gain is exactly 1.
        boxSum += released - box[boxPos];
        box[boxPos] = released;
        boxPos = (boxPos + 1) % MIX_LIMIT_LOOKAHEAD;
        // Counted only up to the window's length: all that matters (and a
        // count of every frame would overflow after hours of play).
        framesAtUnity = released != 1.0f ? 0 : std::min(framesAtUnity + 1, MIX_LIMIT_LOOKAHEAD);
        if (boxPos == 0) {  // rebuild the sum now and then against rounding drift
            boxSum = 0;
            for (float b : box) boxSum += b;
        }
        float gain = framesAtUnity >= MIX_LIMIT_LOOKAHEAD ? 1.0f : (float)(boxSum / MIX_LIMIT_LOOKAHEAD);

        // Out goes the frame from DELAY frames ago.
        float dl = delay[2 * delayPos], dr = delay[2 * delayPos + 1];
        delay[2 * delayPos] = l;
        delay[2 * delayPos + 1] = r;
        delayPos = (delayPos + 1) % MIX_LIMIT_DELAY;
        float ol = dl * gain, or_ = dr * gain;
        // Rounding can leave the box average a hair above the wanted gain.
        if (ol > MIX_LIMIT_CEILING) ol = MIX_LIMIT_CEILING;
        if (ol < -MIX_LIMIT_CEILING) ol = -MIX_LIMIT_CEILING;
        if (or_ > MIX_LIMIT_CEILING) or_ = MIX_LIMIT_CEILING;
        if (or_ < -MIX_LIMIT_CEILING) or_ = -MIX_LIMIT_CEILING;
        frames[2 * i] = ol;
        frames[2 * i + 1] = or_;
    }
}
