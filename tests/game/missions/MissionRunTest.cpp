// Whole missions flown by the autopilot from the selection screen to their
// ending alert and back, on a fixed seed and fixed frame time.
#include "platform/Options.h"
#include "tests/game/missions/MissionTestSupport.h"

using namespace missiontest;

namespace {

struct Play {
    int mission;
    const char* stored; // the unlock state to start from
    unsigned seed;
};

class MissionRunTest : public MissionTest, public ::testing::WithParamInterface<Play> {
protected:
    void SetUp() override {
        MissionTest::SetUp();
        platform::Options autoplay = platform::options();
        autoplay.autoplay = true;
        platform::setOptions(autoplay);
    }
    void TearDown() override {
        MissionTest::TearDown();
        platform::setOptions(platform::Options());
    }
};

} // namespace

TEST_P(MissionRunTest, FromTheSelectionToTheEndingAndBack) {
    const Play& r = GetParam();
    platform::srandom(r.seed);
    platform::seedArc4random(r.seed);
    if (r.stored) saved::write(saved::kMissions, {{"key", r.stored}});
    Missions* missions = launch<Missions>();
    ASSERT_NE(missions, nullptr);
    Node* item = entry(missions, size_t(r.mission - 1));
    Size size = item->contentSize();
    Point centre = item->convertToWorldSpace(Point(size.width / 2, size.height / 2));
    touchDown(1, centre);
    touchUp(1, centre);
    runFor(0.6);
    Mission* m = screen<Mission>();
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->playing()); // the welcome was answered

    double played = 0;
    while (!alert() && played < 70) {
        runFor(0.25);
        played += 0.25;
    }
    ASSERT_NE(alert(), nullptr) << "no ending after " << played << " s";
    int tag = alert()->tag();
    ASSERT_TRUE(tag == Mission::kWonTag || tag == Mission::kLostTag) << tag;
    // The seeds are ones the pilot wins with; a loss is still a fair ending.
    bool won = tag == Mission::kWonTag;
    SCOPED_TRACE(std::string(won ? "won" : "lost") + " after " + std::to_string(played) + " s, " +
                 m->shipsKilled->string());
    if (won) {
        EXPECT_EQ(m->shipsKilled->string(),
                  r.mission == 1 ? "Ships Destroyed: 15" : "Seconds Left: -1");
        EXPECT_GE(played, r.mission == 1 ? 0 : 60);
    }
    runFor(0.2);
    EXPECT_TRUE(m->baddies.empty() && m->allEvery.empty());
    answer(0);
    runFor(0.6);
    Missions* back = screen<Missions>();
    ASSERT_NE(back, nullptr);
    int before = r.stored ? std::atoi(r.stored) : 1;
    int open = won ? std::max(before, std::min(r.mission + 1, 3)) : before;
    EXPECT_EQ(back->isTwo, open >= 2);
    EXPECT_EQ(back->isThree, open >= 3);
}

INSTANTIATE_TEST_SUITE_P(Missions, MissionRunTest,
                         ::testing::Values(Play{1, nullptr, 1}, Play{2, "2", 1}, Play{3, "3", 2}),
                         [](const auto& info) {
                             return "Mission" + std::to_string(info.param.mission);
                         });
