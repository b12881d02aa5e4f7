// gameObj.h -- world objects: the common interface, the typed lists and deferred deletion.
//
// Everything that moves or can be picked up in a level is a GameObj: the hero,
// robot enemies, bullets, explosive barrels and the two pick-ups. Objects are
// created one by one on the heap, register themselves in allObjects and their
// typed list, and are deleted only by flushKilled after release.
#pragma once

#include <cstdint>

#include "gen/levelMap.h"
#include "support/dynArray.h"
#include "support/vecmath.h"

// Contact flags: the bits moveBox returns and walkers keep in `contacts`. The
// level scans set CONTACT_LEFT, CONTACT_RIGHT, the first two below and
// CONTACT_EXIT (gen/levelMap.h).
constexpr int CONTACT_FLOOR = CONTACT_DOWN;  // downward movement stopped: standing or landing
constexpr int CONTACT_CEILING = CONTACT_UP;  // upward movement stopped
constexpr int CONTACT_ENEMY = 16;            // the stopping obstacle was an enemy
constexpr int CONTACT_HERO = 32;             // the stopping obstacle was the hero

// What spawnLevelObject creates; any kind not listed makes an enemy.
enum ObjectKind {
    OBJ_ENEMY = 7,
    OBJ_BARREL = 9,
    OBJ_HEART = 11,
    OBJ_UP_POINT = 12,
};

class BaseObject {
public:
    int32_t dead = 0;

    virtual ~BaseObject() = default;
    // Deferred deletion: marks the object and queues it in killList once.
    virtual void release();
};

// The 25 operations every world object answers. A class overrides the ones it
// supports; calling any other ends the program with "pure virtual call
// GameObj::<operation>()".
class GameObj : public BaseObject {
public:
    GameObj();

    virtual void reset();
    virtual void getInput(float& move, bool& jump, bool& fire);
    virtual void hit(int damage);
    virtual void calcTargetPos(Vec4& out);
    virtual void render(float t);
    virtual void renderHero(float t);
    virtual void renderHud(float t);
    virtual void renderDebug(float t);
    virtual void calcTM();
    virtual void addVel(float dx, float dy);
    virtual void update(float dt);
    virtual void doUpdate(float dt);
    virtual void interpPos(Vec4& out, float t);
    virtual void getBox(Box2& out);
    virtual void collideBox(Vec4 min, Vec4 max, Vec4& out, GameObj* exclude);
    virtual float traceBox(Vec4 min, Vec4 max, Vec4 delta, float dt, float tMax);
    virtual int scanX(float from, float& to, float y0, float y1);
    virtual int scanY(float x0, float x1, float from, float& to);
    virtual void wakeUp();
    virtual void setPos(float x, float y);
    virtual void spawnLevelJunk(int x0, int y0, int z0, int x1, int y1, int z1, int& nd, int& ni);
    virtual void applyBonus();
    virtual bool testBox(const Box2& box);
};

class Hero;
class BaseEnemy;
class Bullet;
class Explosive;
class HeartBonus;
class UpBonus;

// The object lists. Removal is removeFast, so survivors change order when an
// object dies; update and draw order follow list order.
extern DynArray<GameObj*> allObjects;
extern DynArray<Hero*> heroes;
extern DynArray<BaseEnemy*> enemies;
extern DynArray<Bullet*> bullets;
extern DynArray<Explosive*> explosives;
extern DynArray<HeartBonus*> heartBonuses;
extern DynArray<UpBonus*> upBonuses;
extern DynArray<BaseObject*> killList;

// The one hero, or null before it is created and after shutdown.
extern Hero* theHero;

// Creates an object by kind at (x, y): 9 barrel, 11 heart, 12 upgrade point,
// anything else an enemy. The level generator passes block centres and bottoms.
GameObj* spawnLevelObject(int kind, float x, float y);

// One simulation step of every object, list by list (hero, enemies, bullets,
// barrels, hearts, upgrade points), then the flush.
void updateAllObjects(float dt);
// Draws the hero, enemies, barrels and pick-ups, then the bullets.
void renderAllObjects(float t);
void renderAllDebug(float t);

// Removes released objects from every list and deletes them.
void flushKilled();
void releaseEnemiesAndBarrels();
void releaseBonuses();
void releaseBullets();
// Shutdown: releases the hero and every object and flushes.
void destroyWorldObjects();

// The object half of a box scan: heroes, enemies and barrels other than self
// narrow `to`; the last blocking object's flags are or'ed into flags.
float objectsScanX(int& flags, GameObj* self, float from, float to, float y0, float y1);
float objectsScanY(int& flags, GameObj* self, float x0, float x1, float from, float to);
// Earliest swept-box entry over enemies then barrels, skipping exclude; the
// entry time (below tMax) and its object, or -1 and null.
float traceObjects(Vec4 min, Vec4 max, Vec4 delta, float dt, float tMax, GameObj* exclude, GameObj** hit);

// Hero accessors (they act on theHero).
Vec4 heroPos();
Vec4 heroTarget();
int heroHealth();
void setHeroHealth(int health);
Vec4 heroInterpPos(float t);
// Where the controller's crosshair is drawn at render time t (the target
// carried along with the hero), or false when the pointer's shows: the
// controller aims only the living hero in play.
bool padCrosshairAt(float t, Vec4* world);
// Puts the hero at (x, y) at depth 8, resets its motion and snaps the camera.
void placeHero(float x, float y);
// The elevator carries the hero: the previous position becomes the current
// one, the aim is recomputed and the camera follows for one step of dt.
void moveHeroTo(Vec4 p, float dt);
