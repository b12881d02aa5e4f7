// upgrades.h -- the three upgrades bought between levels.
#pragma once

#include <string>

class Upgrade {
public:
    // Puts the upgraded value back to its new-game value.
    virtual void reset() = 0;
    virtual std::string name() const = 0;
    // Price in upgrade points.
    virtual int cost() const = 0;
    virtual bool canUpgrade() const { return true; }
    // Performs the upgrade once.
    virtual void apply() = 0;

protected:
    ~Upgrade() = default;
};

// HealthUp, FireRateUp, WallDestrUp, then null.
extern Upgrade* const upgradeList[];
