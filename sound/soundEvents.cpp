#include "sound/soundEvents.h"

#include "sound/sound.h"
#include "sound/soundScript.h"
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

// Where the player listens from: the render camera and the screen it fills.
struct Listener {
    float cameraX = 0;
    int pixelScale = 1;
    int screenWidth = 0;
} listener;

bool validEvent(int event) { return event >= 0 && event < SOUND_EVENT_COUNT; }

}  // namespace

const char* soundEventName(int event) { return validEvent(event) ? eventNames[event] : nullptr; }

void playSoundEvent(int event)
{
    if (!validEvent(event)) return;
    eventCounts[event]++;
    SoundHandle channel = soundEvent(event);
    if (channel) playChannel(channel, true);
}

void playSoundEventAt(int event, Vec4 position)
{
    if (!validEvent(event)) return;
    eventCounts[event]++;
    SoundHandle channel = soundEvent(event);
    if (!channel) return;
    // Half a screen to the right of the camera is a pan of 0.5; the pan is
    // not clamped.
    if (listener.screenWidth > 0)
        setChannelPan(channel, (position.x - listener.cameraX) * (float)listener.pixelScale / (float)listener.screenWidth);
    playChannel(channel, true);
}

void setSoundListener(float cameraX, int pixelScale, int screenWidth) { listener = {cameraX, pixelScale, screenWidth}; }

void toggleSoundEventLogging()
{
    eventLogging = !eventLogging;
    if (eventLogging)
        addScreenMessage("logging sound events");
    else
        clearScreenMessages();
}

bool soundEventLoggingOn() { return eventLogging; }

int soundEventCount(int event) { return validEvent(event) ? eventCounts[event] : 0; }

void resetSoundEventCounts()
{
    for (int& c : eventCounts) c = 0;
}
