// gameObj.cpp -- object lists, deferred deletion and the world-wide object loops.
#include "game/gameObj.h"

#include <cmath>

#include "game/bonus.h"
#include "game/bullet.h"
#include "game/enemy.h"
#include "game/explosive.h"
#include "game/hero.h"
#include "game/obstacleGrid.h"
#include "game/worldDraw.h"

DynArray<GameObj*> allObjects;
DynArray<Hero*> heroes;
DynArray<BaseEnemy*> enemies;
DynArray<Bullet*> bullets;
DynArray<Explosive*> explosives;
DynArray<HeartBonus*> heartBonuses;
DynArray<UpBonus*> upBonuses;
DynArray<BaseObject*> killList;

namespace {

[[noreturn]] void pureVirtualCall(const char* operation) { fatalError("pure virtual call GameObj::%s()", operation); }

// Drops every released element, keeping the index on the element that moved in.
template <class T>
void removeDead(DynArray<T*>& list)
{
    for (int i = 0; i < list.num;) {
        if (list[i]->dead)
            list.removeFast(i, 1);
        else
            i++;
    }
}

template <class T>
void updateList(DynArray<T*>& list, float dt)
{
    // Index loop: bullets fired during the hero's update join their list
    // before it is walked; released objects stay in place until the flush.
    for (int i = 0; i < list.num; i++) list[i]->update(dt);
}

template <class T>
void renderList(DynArray<T*>& list, float t)
{
    for (int i = 0; i < list.num; i++) list[i]->render(t);
}

template <class T>
void renderDebugList(DynArray<T*>& list, float t)
{
    for (int i = 0; i < list.num; i++) list[i]->renderDebug(t);
}

template <class T>
void releaseList(DynArray<T*>& list)
{
    for (int i = 0; i < list.num; i++) list[i]->release();
}

template <class T>
void scanListX(DynArray<T*>& list, int& collected, GameObj* self, float from, float& to, float y0, float y1)
{
    for (int i = 0; i < list.num; i++) {
        if (list[i] == self) continue;
        int f = list[i]->scanX(from, to, y0, y1);
        if (f) collected = f;
    }
}

template <class T>
void scanListY(DynArray<T*>& list, int& collected, GameObj* self, float x0, float x1, float from, float& to)
{
    for (int i = 0; i < list.num; i++) {
        if (list[i] == self) continue;
        int f = list[i]->scanY(x0, x1, from, to);
        if (f) collected = f;
    }
}

template <class T>
void traceList(DynArray<T*>& list, Vec4 min, Vec4 max, Vec4 delta, float dt, GameObj* exclude, float& best,
               GameObj*& bestObj)
{
    for (int i = 0; i < list.num; i++) {
        GameObj* obj = list[i];
        if (obj == exclude) continue;
        float t = obj->traceBox(min, max, delta, dt, best);
        if (t >= 0.0f && t < best) {
            best = t;
            bestObj = obj;
        }
    }
}

}  // namespace

void BaseObject::release()
{
    if (dead) return;
    dead = 1;
    killList.append(this);
}

GameObj::GameObj() { allObjects.append(this); }

void GameObj::reset() { pureVirtualCall("reset"); }
void GameObj::getInput(float&, bool&, bool&) { pureVirtualCall("getInput"); }
void GameObj::hit(int) { pureVirtualCall("hit"); }
void GameObj::calcTargetPos(Vec4&) { pureVirtualCall("calcTargetPos"); }
void GameObj::render(float) { pureVirtualCall("render"); }
void GameObj::renderHero(float) { pureVirtualCall("renderHero"); }
void GameObj::renderHud(float) { pureVirtualCall("renderHud"); }
void GameObj::renderDebug(float) { pureVirtualCall("renderDebug"); }
void GameObj::calcTM() { pureVirtualCall("calcTM"); }
void GameObj::addVel(float, float) { pureVirtualCall("addVel"); }
void GameObj::update(float) { pureVirtualCall("update"); }
void GameObj::doUpdate(float) { pureVirtualCall("doUpdate"); }
void GameObj::interpPos(Vec4&, float) { pureVirtualCall("interpPos"); }
void GameObj::getBox(Box2&) { pureVirtualCall("getBox"); }
void GameObj::collideBox(Vec4, Vec4, Vec4&, GameObj*) { pureVirtualCall("collideBox"); }
float GameObj::traceBox(Vec4, Vec4, Vec4, float, float) { pureVirtualCall("traceBox"); }
int GameObj::scanX(float, float&, float, float) { pureVirtualCall("scanX"); }
int GameObj::scanY(float, float, float, float&) { pureVirtualCall("scanY"); }
void GameObj::wakeUp() { pureVirtualCall("wakeUp"); }
void GameObj::setPos(float, float) { pureVirtualCall("setPos"); }
void GameObj::spawnLevelJunk(int, int, int, int, int, int, int&, int&) { pureVirtualCall("spawnLevelJunk"); }
void GameObj::applyBonus() { pureVirtualCall("applyBonus"); }
bool GameObj::testBox(const Box2&) { pureVirtualCall("testBox"); }

GameObj* spawnLevelObject(int kind, float x, float y)
{
    GameObj* obj;
    switch (kind) {
        case OBJ_BARREL:
            obj = new Explosive;
            break;
        case OBJ_HEART:
            obj = new HeartBonus;
            break;
        case OBJ_UP_POINT:
            obj = new UpBonus;
            break;
        default:
            obj = new BaseEnemy;
            break;
    }
    obj->setPos(x, y);
    return obj;
}

void updateAllObjects(float dt)
{
    obstacleGridBeginStep();
    updateList(heroes, dt);
    updateList(enemies, dt);
    updateList(bullets, dt);
    updateList(explosives, dt);
    updateList(heartBonuses, dt);
    updateList(upBonuses, dt);
    obstacleGridEndStep();
    flushKilled();
}

void renderAllObjects(float t)
{
    renderList(heroes, t);
    renderList(enemies, t);
    renderList(explosives, t);
    renderList(heartBonuses, t);
    renderList(upBonuses, t);
    setWorldCubeTransform(Mat4::identity());
    renderList(bullets, t);
}

void renderAllDebug(float t)
{
    beginWorldDebug();
    renderDebugList(heroes, t);
    renderDebugList(enemies, t);
    renderDebugList(explosives, t);
    renderDebugList(heartBonuses, t);
    renderDebugList(upBonuses, t);
    endWorldDebug();
}

void flushKilled()
{
    if (killList.num == 0) return;
    removeDead(allObjects);
    removeDead(heroes);
    removeDead(enemies);
    removeDead(bullets);
    removeDead(explosives);
    removeDead(heartBonuses);
    removeDead(upBonuses);
    // A destructor may not release anything else, so the list is stable here.
    for (int i = 0; i < killList.num; i++) delete killList[i];
    killList.clear();
}

void releaseEnemiesAndBarrels()
{
    releaseList(enemies);
    releaseList(explosives);
    flushKilled();
}

void releaseBonuses()
{
    releaseList(heartBonuses);
    releaseList(upBonuses);
    flushKilled();
}

void releaseBullets() { releaseList(bullets); }

void destroyWorldObjects()
{
    if (theHero) theHero->release();
    theHero = nullptr;
    releaseList(heroes);
    releaseList(enemies);
    releaseList(bullets);
    releaseList(explosives);
    releaseList(heartBonuses);
    releaseList(upBonuses);
    flushKilled();
}

float objectsScanX(int& flags, GameObj* self, float from, float to, float y0, float y1)
{
    int collected = 0;
    if (obstacleGridActive()) {
        for (GameObj* obj : obstacleGridQuery(std::fmin(from, to), y0, std::fmax(from, to), y1)) {
            if (obj == self) continue;
            int f = obj->scanX(from, to, y0, y1);
            if (f) collected = f;
        }
    } else {
        scanListX(heroes, collected, self, from, to, y0, y1);
        scanListX(enemies, collected, self, from, to, y0, y1);
        scanListX(explosives, collected, self, from, to, y0, y1);
    }
    flags |= collected;
    return to;
}

float objectsScanY(int& flags, GameObj* self, float x0, float x1, float from, float to)
{
    int collected = 0;
    if (obstacleGridActive()) {
        for (GameObj* obj : obstacleGridQuery(x0, std::fmin(from, to), x1, std::fmax(from, to))) {
            if (obj == self) continue;
            int f = obj->scanY(x0, x1, from, to);
            if (f) collected = f;
        }
    } else {
        scanListY(heroes, collected, self, x0, x1, from, to);
        scanListY(enemies, collected, self, x0, x1, from, to);
        scanListY(explosives, collected, self, x0, x1, from, to);
    }
    flags |= collected;
    return to;
}

float traceObjects(Vec4 min, Vec4 max, Vec4 delta, float dt, float tMax, GameObj* exclude, GameObj** hit)
{
    float best = tMax;
    GameObj* bestObj = nullptr;
    traceList(enemies, min, max, delta, dt, exclude, best, bestObj);
    traceList(explosives, min, max, delta, dt, exclude, best, bestObj);
    *hit = bestObj;
    return bestObj ? best : -1.0f;
}
