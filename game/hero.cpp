// hero.cpp -- the hero: four physics sub-steps per step, input, aim and fire.
#include "game/hero.h"

#include <cmath>

#include "game/bonus.h"
#include "game/bullet.h"
#include "game/camera.h"
#include "game/gameMode.h"
#include "game/junk.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "game/worldDraw.h"
#include "game/worldView.h"
#include "shell/actions.h"
#include "shell/frameStep.h"
#include "shell/gamepad.h"
#include "shell/input.h"
#include "shell/window.h"
#include "sound/soundEvents.h"
#include "support/utils.h"

Hero* theHero = nullptr;

namespace {

const WalkerParams heroParams = {
    Vec4(-4, 0, -6, 0),  // box min
    Vec4(4, 15, 6, 0),   // box max
    0.15f,               // grace time
    100.0f,              // walk speed
    500.0f,              // acceleration while walking
    1500.0f,             // acceleration when stopping
    300.0f,              // vertical speed limit
    CONTACT_HERO,
};

constexpr float HURT_INVULNERABILITY = 1.0f;
constexpr float EXIT_STAND_TIME = 0.5f;
constexpr float BULLET_SPEED = 200.0f;
constexpr float MUZZLE_DISTANCE = 4.0f;  // from the arm pivot along the aim
constexpr float FIRE_COOLDOWN_SLACK = 1e-6f;  // seconds of float rounding in the countdown
constexpr int DEATH_DEBRIS = 200;
constexpr float PAD_AIM_RADIUS = 40.0f;  // voxels from the arm pivot to the controller's crosshair

}  // namespace

Hero::Hero() : Walker(heroParams)
{
    health = HERO_START_HEALTH;
    facing = 1;
    heroes.append(this);
}

void Hero::reset()
{
    velX = velY = 0;
    walkPhase = 0;
    facing = 1;
    airTime = 1.0f;
    hurtFlag = 0;
    fireCooldown = 0;
    hurtTimer = 0;
    exitTimer = 0;
}

void Hero::getInput(float& move, bool& jump, bool& fire)
{
    move = 0;
    jump = fire = false;
    if (health <= 0 || levelFinished || !windowActive) return;
    move = actionMoveAxis();
    // The pressed bit holds for the whole step, so holding the key never repeats a jump.
    jump = actionPressed(ACTION_JUMP);
    fire = actionHeld(ACTION_FIRE);
}

void Hero::calcTargetPos(Vec4& out)
{
    // The controller aims like twin-stick games: the target circles the arm
    // pivot at a steady distance, in the right stick's direction.
    if (padAiming()) {
        float dx, dy;
        padAimDirection(&dx, &dy);
        out = armPivotWorld() + Vec4(dx, dy, 0, 0) * PAD_AIM_RADIUS;
        out.w = 1.0f;
        return;
    }
    float w = (float)worldViewSize.width;
    float h = (float)worldViewSize.height;
    MousePos m = getMousePosition();
    float nx = (2.0f * m.x - w) / w;
    float ny = (2.0f * (h - 1.0f - m.y) - h) / h;

    // The eye ray through the cursor: its points at the near and far planes.
    Vec4 a = transform(screenToWorld, Vec4(nx, ny, 0, 1));
    Vec4 b = transform(screenToWorld, Vec4(nx, ny, 1, 1));
    if (a.w == 0.0f || b.w == 0.0f) return;  // no usable projection yet: keep the old target
    a /= a.w;
    b /= b.w;
    float dz = b.z - a.z;
    if (std::fabs(dz) < 1e-12f) return;  // a ray parallel to the object plane never meets it
    float f = (pos.z - a.z) / dz;
    out = a + (b - a) * f;
    out.w = 1.0f;
}

Vec4 Hero::armPivotWorld() const { return transform(tm, HERO_ARM_PIVOT); }

void Hero::update(float dt)
{
    prevPos = pos;
    prevAim = aim;
    for (int i = 0; i < 4; i++) doUpdate(dt * 0.25f);
    cameraFollow(dt);
}

void Hero::doUpdate(float dt)
{
    if (health <= 0) return;
    float oldX = pos.x;
    float move;
    bool fire;
    int flags = walkStep(dt, move, fire);

    // Running into an enemy hurts here; an enemy bumping into the hero set
    // the flag during its own update.
    if (flags & CONTACT_ENEMY) hurtFlag = 1;
    if (hurtFlag) hit(1);

    // A hop within the grace time keeps the count; landing elsewhere resets it.
    if (airTime <= params.graceTime && (flags & CONTACT_EXIT)) {
        exitTimer += dt;
        if (exitTimer >= EXIT_STAND_TIME) levelFinished = true;
    } else if ((flags & CONTACT_FLOOR) || airTime > params.graceTime) {
        exitTimer = 0;
    }

    if (pos.y < FALL_OUT_Y) health = 0;

    float stride = airTime > params.graceTime ? 0.0f : (pos.x - oldX) * 0.35f;
    walkPhase += facing ? stride : -stride;
    walkPhase = std::fmod(walkPhase, 8.0f);
    if (walkPhase < 0) walkPhase += 8.0f;
    if (move == 0) walkPhase = (walkPhase < 2.0f || walkPhase >= 6.0f) ? 0.0f : 4.0f;

    Box2 box;
    getBox(box);
    collectBonuses(box);

    calcTM();

    calcTargetPos(target);
    Vec4 pivot = armPivotWorld();
    Vec4 d = target - pivot;
    d.w = 0;
    float len = length3(d);
    // A cursor on the pivot itself keeps the previous aim and facing.
    if (len >= 0.5f) {
        aim = d / len;
        facing = aim.x > 0 ? 1 : 0;
    }

    hurtTimer = std::fmax(0.0f, hurtTimer - dt);
    // The countdown keeps what a sub-step overshoots, so every fire rate keeps
    // its own average cadence (11 shots a second is not 10 rounded to whole
    // sub-steps). The slack absorbs float rounding, so 10 shots a second fire
    // exactly every eighth sub-step.
    if (fireCooldown > 0) fireCooldown -= dt;
    hurtFlag = 0;

    if (fire && fireCooldown <= FIRE_COOLDOWN_SLACK) {
        spawnBullet(true, this, HERO_BULLET_COLOUR, pivot + aim * MUZZLE_DISTANCE, aim * BULLET_SPEED);
        playSoundEventAt(SE_HERO_SHOOT, pos);
        fireCooldown += 1.0f / fireRate;
    }
    // Time spent not firing is not saved up for a burst.
    if (fireCooldown < 0) fireCooldown = 0;
}

void Hero::hit(int)
{
    // Every hurt costs one heart, whatever the damage.
    if (hurtTimer > 0 || health <= 0) return;
    health -= 1;
    hurtTimer = HURT_INVULNERABILITY;
    if (health <= 0)
        deathBurst();
    else
        playSoundEventAt(SE_HERO_HURT, pos);
}

void Hero::deathBurst()
{
    for (int i = 0; i < DEATH_DEBRIS; i++) {
        float r[7];
        for (float& v : r) v = random64.nextUnit();
        auto s = [&](int k) { return 2.0f * r[k - 1] - 1.0f; };
        Vec4 p = pos + Vec4(4.0f * s(6), 15.0f * r[4], 6.0f * s(4), 0);
        Vec4 v(70.0f * s(3), 150.0f * r[1], 70.0f * s(1), 0);
        addJunk(p, v, HERO_DEBRIS_COLOUR, 0.8f + 0.4f * r[6]);
    }
}

void Hero::render(float t)
{
    renderHero(t);
    renderHud(t);
}

Mat4 Hero::armTransform(float t, const Mat4& body) const
{
    Vec4 blended = prevAim + (aim - prevAim) * (20.0f * t);
    blended.w = 0;
    Vec4 a = -normalize3(blended);
    Vec4 l = transform(inverse(body), a);
    l.w = 0;
    Mat4 arm;
    arm.r[0] = Vec4(1, 0, 0, 0);
    arm.r[1] = Vec4(0, l.z, -l.y, 0);
    arm.r[2] = l;
    // Keeps the pivot in place: the arm swings about the depth axis through it.
    Vec4 p = HERO_ARM_PIVOT;
    arm.r[3] = p - (arm.r[0] * p.x + arm.r[1] * p.y + arm.r[2] * p.z);
    return arm * body;
}

void Hero::renderHero(float t)
{
    if (health < 1) return;
    // Blinks while invulnerable.
    float d = hurtTimer - t;
    if (d > 0 && std::fmod(10.0f * d, 1.0f) < 0.5f) return;

    Mat4 body = tm;
    interpPos(body.r[3], t);
    body.r[3].w = 1.0f;
    setWorldCubeTransform(body);
    drawObjectSprite(SPR_HERO_BODY, -8, 0, -7, 0);
    // Four leg poses from two sprites and their mirror images.
    int pose = (int)(walkPhase * 0.5f) & 3;
    ObjectSprite legs = (pose & 1) ? SPR_HERO_LEGS2 : SPR_HERO_LEGS0;
    drawObjectSprite(legs, -8, 0, -7, pose >= 2 ? SPRITE_MIRROR_X : 0);

    setWorldCubeTransform(armTransform(t, body));
    drawObjectSprite(SPR_HERO_ARM, -8, 0, -7, 0);
    drawObjectSprite(SPR_HERO_ARM, -8, 0, -7, SPRITE_MIRROR_X);
}

void Hero::renderHud(float)
{
    // The hearts keep their place on screen: the camera snapped to whole pixels.
    Vec4 c = renderCameraPosition();
    float s = (float)worldViewSize.pixelScale;
    Mat4 m;
    m.r[0] = Vec4(0.5f, 0, 0, 0);
    m.r[1] = Vec4(0, 0.5f, 0, 0);
    m.r[2] = Vec4(0, 0, 0.5f, 0);
    m.r[3] = Vec4(std::rint(s * c.x) / s, std::rint(s * c.y) / s, std::rint(c.z), 1.0f);
    setWorldCubeTransform(m);
    for (int i = 0; i < health; i++) drawObjectSprite(SPR_HUD_HEART, 16 * i - 160, 104, -4, 0);
}

void Hero::renderDebug(float t)
{
    Vec4 p;
    interpPos(p, t);
    uint32_t colour = airTime <= params.graceTime ? 0xFF00FF00 : 0xFF008800;
    drawDebugBox(p + Vec4(-4, 0, -6, 0), p + Vec4(4, 15, 6, 0), colour);
    drawDebugMarker(target, 2.0f, colour);
}

void createHero()
{
    theHero = new Hero;
    cameraSnapToHero();
}

Vec4 heroPos() { return theHero ? theHero->pos : Vec4::point(0, 0, 0); }
Vec4 heroTarget() { return theHero ? theHero->target : Vec4::point(0, 0, 0); }
int heroHealth() { return theHero ? theHero->health : 0; }

void setHeroHealth(int health)
{
    if (theHero) theHero->health = health;
}

Vec4 heroInterpPos(float t)
{
    Vec4 p = heroPos();
    if (theHero) theHero->interpPos(p, t);
    return p;
}

bool padCrosshairAt(float t, Vec4* world)
{
    if (!padAiming() || !theHero || theHero->health <= 0 || currentGameMode != playGameMode) return false;
    *world = heroInterpPos(t) + (theHero->target - theHero->pos);
    world->w = 1.0f;
    return true;
}

void placeHero(float x, float y)
{
    if (!theHero) return;
    theHero->pos = theHero->prevPos = Vec4::point(x, y, 8);
    theHero->reset();
    cameraSnapToHero();
}

void moveHeroTo(Vec4 p, float dt)
{
    if (!theHero) return;
    theHero->prevPos = theHero->pos;
    theHero->pos = p;
    theHero->calcTargetPos(theHero->target);
    cameraFollow(dt);
}
