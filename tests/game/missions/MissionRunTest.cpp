// Whole missions played from the selection screen to their ending alert, on
// a fixed seed and fixed frame time, with the fire button held all along.
#include "render/Menu.h"
#include "tests/game/missions/MissionTestSupport.h"

using namespace missiontest;

namespace {

struct Play {
    int mission;
    const char* stored; // the unlock state to start from
};

class MissionRunTest : public MissionTest, public ::testing::WithParamInterface<Play> {
protected:
    // The window point at the middle of the selection screen's entry.
    Point entryCentre(Missions* screen, size_t index) {
        for (const Ref<Node>& child : screen->children())
            if (auto* menu = dynamic_cast<Menu*>(child.get())) {
                Node* item = menu->children().at(index).get();
                Size s = item->contentSize();
                return item->convertToWorldSpace(Point(s.width / 2, s.height / 2));
            }
        ADD_FAILURE() << "no menu";
        return Point();
    }
};

} // namespace

TEST_P(MissionRunTest, FromTheSelectionToTheEndingAndBack) {
    const Play& r = GetParam();
    if (r.stored) saved::write(saved::kMissions, {{"key", r.stored}});
    Missions* missions = launch<Missions>();
    ASSERT_NE(missions, nullptr);
    Point entry = entryCentre(missions, size_t(r.mission - 1));
    touchDown(1, entry);
    touchUp(1, entry);
    runFor(0.6);
    Mission* m = screen<Mission>();
    ASSERT_NE(m, nullptr);
    answer(0); // "Okay!"

    touchDown(1, Point(160, 240)); // fire, and keep firing
    double played = 0;
    while (!alert() && played < 70) {
        runFor(0.25);
        played += 0.25;
    }
    ASSERT_NE(alert(), nullptr) << "no ending after " << played << " s";
    int tag = alert()->tag();
    ASSERT_TRUE(tag == Mission::kWonTag || tag == Mission::kLostTag) << tag;
    bool won = tag == Mission::kWonTag;
    std::printf("mission %d: %s after %.2f s, %s\n", r.mission, won ? "won" : "lost", played,
                m->shipsKilled->string().c_str());
    if (won) {
        EXPECT_EQ(m->shipsKilled->string(),
                  r.mission == 1 ? "Ships Destroyed: 15" : "Seconds Left: -1");
        EXPECT_GE(played, r.mission == 1 ? 0 : 60);
    }
    touchUp(1, Point(160, 240));
    runFor(0.2);
    EXPECT_TRUE(m->baddies.empty() && m->allEvery.empty());
    answer(0);
    runFor(0.6);
    Missions* back = screen<Missions>();
    ASSERT_NE(back, nullptr);
    int open = won ? std::max(r.mission + 1, std::min(3, std::atoi(r.stored ? r.stored : "1")))
                   : (r.stored ? std::atoi(r.stored) : 1);
    open = std::min(open, 3);
    EXPECT_EQ(back->isTwo, open >= 2);
    EXPECT_EQ(back->isThree, open >= 3);
}

INSTANTIATE_TEST_SUITE_P(Missions, MissionRunTest,
                         ::testing::Values(Play{1, nullptr}, Play{2, "2"}, Play{3, "3"}));
