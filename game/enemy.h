// enemy.h -- the robot: sleeps until first drawn, then patrols left and right,
// turning around whenever something stops it, and hurts the hero by touch.
#pragma once

#include "game/walker.h"

class BaseEnemy final : public Walker {
public:
    uint8_t asleep = 1;

    BaseEnemy();
    void getInput(float& move, bool& jump, bool& fire) override;
    void hit(int damage) override;
    void render(float t) override;
    void renderDebug(float t) override;
    void update(float dt) override;
    void doUpdate(float dt) override;
    void wakeUp() override;
    void setPos(float x, float y) override;

private:
    void deathBurst();
};

constexpr uint32_t ENEMY_DEBRIS_COLOUR = 0xFFC8C8C8;
