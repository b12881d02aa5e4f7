#include "sound/soundEvents.h"

#include "shell/log.h"
#include "shell/screenMessages.h"

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
bool eventLogging = false;

bool validEvent(int event) { return event >= 0 && event < SOUND_EVENT_COUNT; }

}  // namespace

const char* soundEventName(int event) { return validEvent(event) ? eventNames[event] : nullptr; }

void playSoundEvent(int event)
{
    if (!validEvent(event)) return;
    eventCounts[event]++;
    if (eventLogging) {
        logPrint("sound event '%s'", eventNames[event]);
        addScreenMessage("sound event '%s'", eventNames[event]);
    }
}

void toggleSoundEventLogging()
{
    eventLogging = !eventLogging;
    if (eventLogging)
        addScreenMessage("logging sound events");
    else
        clearScreenMessages();
}

bool soundEventLoggingOn() { return eventLogging; }

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
