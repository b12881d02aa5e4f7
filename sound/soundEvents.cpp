#include "sound/soundEvents.h"

namespace {

const char* const eventNames[SOUND_EVENT_COUNT] = {
    "hero_shoot",
    "hero_jump",
    "hero_hurt",
    "hero_dead",
    "game_over",
    "enemy_spots_hero",
    "enemy_hurt",
    "enemy_dead",
    "bullet_destroys_wall",
    "bullet_hits_indestructible",
    "skyward_elevator",
    "upgrade_screen",
    "upgrade_plus",
    "upgrade_minus",
    "upgrade_accept",
    "start_level",
    "title_screen",
    "end_demo_screen",
    "new_game",
    "barrel_explode",
    "bonus_heart",
    "bonus_up",
};

int eventCounts[SOUND_EVENT_COUNT];

bool validEvent(int event) { return event >= 0 && event < SOUND_EVENT_COUNT; }

}  // namespace

const char* soundEventName(int event) { return validEvent(event) ? eventNames[event] : nullptr; }

void playSoundEvent(int event)
{
    if (validEvent(event)) eventCounts[event]++;
}

void playSoundEventAt(int event, Vec4 position)
{
    (void)position;  // the pan needs the sound engine
    playSoundEvent(event);
}

int soundEventCount(int event) { return validEvent(event) ? eventCounts[event] : 0; }

void resetSoundEventCounts()
{
    for (int& c : eventCounts) c = 0;
}
