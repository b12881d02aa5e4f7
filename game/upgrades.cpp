// upgrades.cpp -- health, fire rate and wall destruction upgrades, and the
// progress values they act on.
#include "game/upgrades.h"

#include "game/gameObj.h"
#include "game/hero.h"
#include "game/progress.h"

int levelNumber = 1;
int upgradePoints = 0;
float fireRate = 10.0f;
int wallDestruction = 2;

namespace {

constexpr float START_FIRE_RATE = 10.0f;
constexpr int START_WALL_DESTRUCTION = 2;
constexpr int MAX_WALL_DESTRUCTION = 4;
constexpr int POINTS_PER_LEVEL = 5;

class HealthUp final : public Upgrade {
public:
    void reset() override { setHeroHealth(HERO_START_HEALTH); }
    std::string name() const override { return "Health"; }
    int cost() const override { return 5; }
    // Not capped: adds to whatever health the hero has now.
    void apply() override { setHeroHealth(heroHealth() + 1); }
};

class FireRateUp final : public Upgrade {
public:
    void reset() override { fireRate = START_FIRE_RATE; }
    std::string name() const override { return "Fire rate"; }
    int cost() const override { return 3; }
    void apply() override { fireRate += 1.0f; }
};

class WallDestrUp final : public Upgrade {
public:
    void reset() override { wallDestruction = START_WALL_DESTRUCTION; }
    std::string name() const override { return "Wall destruction"; }
    int cost() const override { return 5; }
    bool canUpgrade() const override { return wallDestruction < MAX_WALL_DESTRUCTION; }
    void apply() override { wallDestruction += 1; }
};

HealthUp healthUp;
FireRateUp fireRateUp;
WallDestrUp wallDestrUp;

}  // namespace

Upgrade* const upgradeList[] = {&healthUp, &fireRateUp, &wallDestrUp, nullptr};

void newGameProgress()
{
    levelNumber = 1;
    upgradePoints = 0;
    for (Upgrade* const* u = upgradeList; *u; u++) (*u)->reset();
}

void completeLevel()
{
    levelNumber += 1;
    upgradePoints += POINTS_PER_LEVEL;
}
