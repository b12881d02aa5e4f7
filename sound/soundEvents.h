// soundEvents.h -- the named sound events the game raises.
//
// The game never names a sound file: it raises an event by index and the
// sound script decides what plays (sound/soundScript.h). Every raised event
// is also counted per name, which the state dump reports.
#pragma once

#include "support/vecmath.h"

enum SoundEvent {
    SE_HERO_SHOOT = 0,
    SE_HERO_JUMP,
    SE_HERO_HURT,
    SE_HERO_DEAD,
    SE_GAME_OVER,
    SE_ENEMY_SPOTS_HERO,
    SE_ENEMY_HURT,
    SE_ENEMY_DEAD,
    SE_BULLET_DESTROYS_WALL,
    SE_BULLET_HITS_INDESTRUCTIBLE,
    SE_SKYWARD_ELEVATOR,
    SE_UPGRADE_SCREEN,
    SE_UPGRADE_PLUS,
    SE_UPGRADE_MINUS,
    SE_UPGRADE_ACCEPT,
    SE_START_LEVEL,
    SE_TITLE_SCREEN,
    SE_END_DEMO_SCREEN,
    SE_NEW_GAME,
    SE_BARREL_EXPLODE,
    SE_BONUS_HEART,
    SE_BONUS_UP,
    SOUND_EVENT_COUNT
};

// The script-side name of an event ("hero_shoot", ...); null outside the table.
const char* soundEventName(int event);

// Raises an event and plays the channel the script chose, from its start.
void playSoundEvent(int event);
// The same for an event that happens at a place in the world: the channel is
// panned by the place's horizontal offset from the render camera, 0.5 at the
// right edge of the screen.
void playSoundEventAt(int event, Vec4 position);
// The render camera's x in level cells, the pixel scale and the back-buffer
// width, set by every frame drawn.
void setSoundListener(float cameraX, int pixelScale, int screenWidth);

// How often each event was raised since the start (or the last reset).
int soundEventCount(int event);
void resetSoundEventCounts();

// F3: while on, every raised event is logged as "sound event '%s'" and shown
// as an on-screen message. Turning it on says "logging sound events";
// turning it off clears the on-screen messages.
void toggleSoundEventLogging();
bool soundEventLoggingOn();
