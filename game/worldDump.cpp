// worldDump.cpp -- the world's section of the state dump.
#include "game/worldDump.h"

#include <cstdio>

#include "game/gameObj.h"
#include "game/hero.h"
#include "game/junk.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "gen/levelGen.h"
#include "gen/levelMap.h"
#include "shell/gamepad.h"
#include "shell/stateDump.h"
#include "sound/soundEvents.h"

uint64_t levelVolumeHash()
{
    uint64_t h = 0xCBF29CE484222325ull;
    for (uint8_t b : levelVolume) {
        h ^= b;
        h *= 0x100000001B3ull;
    }
    return h;
}

void writeWorldState(JsonWriter& json)
{
    json.field("level_number", levelNumber);
    json.field("upgrade_points", upgradePoints);
    json.field("fire_rate", fireRate);
    json.field("wall_destruction", wallDestruction);
    json.field("level_finished", levelFinished);

    json.beginObject("hero");
    if (theHero) {
        json.field("x", theHero->pos.x);
        json.field("y", theHero->pos.y);
        json.field("health", (int)theHero->health);
        json.field("facing", (int)theHero->facing);
        // The aim: where it points from the arm pivot, and who steers it.
        Vec4 pivot = theHero->armPivotWorld();
        json.field("pivot_x", pivot.x);
        json.field("pivot_y", pivot.y);
        json.field("target_x", theHero->target.x);
        json.field("target_y", theHero->target.y);
        json.field("aim_x", theHero->aim.x);
        json.field("aim_y", theHero->aim.y);
        json.field("pad_aiming", padAiming());
    }
    json.endObject();

    json.beginObject("objects");
    json.field("enemies", enemies.num);
    json.field("bullets", bullets.num);
    json.field("explosives", explosives.num);
    json.field("heartBonuses", heartBonuses.num);
    json.field("upBonuses", upBonuses.num);
    json.endObject();

    json.field("junk", junkList.num);

    json.beginArray("layout");
    for (uint8_t code : layoutGrid) json.value((int64_t)code);
    json.endArray();

    char hash[20];
    snprintf(hash, sizeof(hash), "%016llx", (unsigned long long)levelVolumeHash());
    json.field("level_hash", (const char*)hash);

    json.beginObject("sound_events");
    for (int e = 0; e < SOUND_EVENT_COUNT; e++) json.field(soundEventName(e), soundEventCount(e));
    json.endObject();
}

void registerWorldStateDump()
{
    static bool registered = false;
    if (registered) return;
    registered = true;
    addStateDumpSection(writeWorldState);
}
