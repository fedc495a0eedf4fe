#pragma once

#include "game/missions/Mission.h"

// The first mission: destroy 15 enemy ships without being touched by one.
// Winning opens Mission Two.
class MissionOne : public Mission {
public:
    static Ref<MissionOne> scene();
    MissionOne();

    void tickSter(float dt) override;

    // Which gun fires next, shared by every Mission One of the process: a new
    // visit goes on from the gun the last one fired.
    static bool hi;

    static constexpr int kKillsToWin = 15;

protected:
    bool& hiFlag() override { return hi; }
};
