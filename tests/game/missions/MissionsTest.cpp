// The mission selection screen: which missions the saved file opens, and
// what choosing an entry does.
#include "tests/game/missions/MissionTestSupport.h"

using namespace missiontest;

namespace {

class MissionsTest : public MissionTest {
protected:
    void writeMissions(const std::string& content) {
        test::writeText(docs_.file(saved::kMissions), content);
    }
};

std::string plist(const std::string& root) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + root +
           "</plist>\n";
}

} // namespace

TEST_F(MissionsTest, TheSavedFileOpensMissionsAndAnythingElseOpensOnlyTwo) {
    struct Case {
        const char* what;
        const char* file; // null: no file
        bool two, three;
    } cases[] = {
        {"no file", nullptr, false, false},
        {"2", "<dict><key>key</key><string>2</string></dict>", true, false},
        {"3", "<dict><key>key</key><string>3</string></dict>", true, true},
        {"damaged", "\x01\x02garbage<dict>", true, false},
        {"not a dictionary", "<array><string>3</string></array>", true, false},
        {"no key", "<dict><key>other</key><string>3</string></dict>", true, false},
        {"not a string", "<dict><key>key</key><integer>3</integer></dict>", true, false},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(docs_.file(saved::kMissions));
        if (c.file) writeMissions(c.file[0] == '<' ? plist(c.file) : c.file);
        Ref<Missions> screen = Missions::scene();
        EXPECT_EQ(screen->isTwo, c.two) << c.what;
        EXPECT_EQ(screen->isThree, c.three) << c.what;
        EXPECT_EQ(entry(screen.get(), 0)->opacity(), 255) << c.what;
        EXPECT_EQ(entry(screen.get(), 1)->opacity(), c.two ? 255 : 128) << c.what;
        EXPECT_EQ(entry(screen.get(), 2)->opacity(), c.three ? 255 : 128) << c.what;
        screen->cleanup(); // lets the menu's items go of their target
    }
}

struct Choice {
    const char* stored; // null: no file
    size_t entry;
    bool starts;
};

class MissionsChoiceTest : public MissionsTest, public ::testing::WithParamInterface<Choice> {};

TEST_P(MissionsChoiceTest, ALockedMissionIsRefusedWithAnAlertAnOpenOneStarts) {
    const Choice& c = GetParam();
    if (c.stored) saved::write(saved::kMissions, {{"key", c.stored}});
    Missions* missions = launch<Missions>();
    ASSERT_NE(missions, nullptr);
    entry(missions, c.entry)->activate();
    runFor(0.6); // the fade
    if (c.starts) {
        Mission* mission = screen<Mission>();
        ASSERT_NE(mission, nullptr);
        bool three = dynamic_cast<MissionThree*>(mission) != nullptr;
        bool two = !three && dynamic_cast<MissionTwo*>(mission) != nullptr;
        bool one = dynamic_cast<MissionOne*>(mission) != nullptr;
        EXPECT_EQ((std::array{one, two, three}[c.entry]), true);
        ASSERT_NE(alert(), nullptr);
        EXPECT_EQ(alert()->tag(), Mission::kWelcomeTag);
    } else {
        EXPECT_EQ(screen<Missions>(), missions);
        ASSERT_NE(alert(), nullptr);
        EXPECT_EQ(alert()->title(), "Not Unlocked");
        EXPECT_EQ(alert()->message(),
                  "You have not unlocked this mission yet, complete the mission before this to "
                  "unlock this mission.");
        EXPECT_EQ(alert()->numberOfButtons(), 1);
        answer(0);
        runFor(0.6);
        EXPECT_EQ(screen<Missions>(), missions);
    }
}

INSTANTIATE_TEST_SUITE_P(Entries, MissionsChoiceTest,
                         ::testing::Values(Choice{nullptr, 0, true}, Choice{nullptr, 1, false},
                                           Choice{nullptr, 2, false}, Choice{"2", 1, true},
                                           Choice{"2", 2, false}, Choice{"3", 2, true}),
                         [](const auto& info) {
                             const Choice& c = info.param;
                             return std::string("Stored") + (c.stored ? c.stored : "None") +
                                    "Mission" + std::to_string(c.entry + 1);
                         });
