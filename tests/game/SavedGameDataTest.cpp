#include "game/SavedGameData.h"
#include "platform/Files.h"
#include "platform/PropertyList.h"
#include "tests/common/TestSupport.h"

#include <cfloat>
#include <climits>
#include <string>
#include <utility>

namespace {

class SavedGameDataTest : public ::testing::Test {
protected:
    void SetUp() override { platform::setDocumentsDirectory(dir_.path().string()); }
    void TearDown() override { platform::setDocumentsDirectory(""); }
    std::string file(const std::string& name) { return dir_.file(name); }
    test::TempDir dir_;
};

} // namespace

TEST_F(SavedGameDataTest, AFreshInstallationPlaysHardWithTiltNoSoundNoInversion) {
    EXPECT_EQ(saved::difficulty(), 2);
    EXPECT_EQ(saved::controlScheme(), saved::ControlScheme::Tilt);
    EXPECT_FALSE(saved::exists(saved::kWantsSound));
    EXPECT_FALSE(saved::exists(saved::kInvert));
    EXPECT_EQ(saved::difficultySegment(), 2);
    EXPECT_EQ(saved::controlSegment(), 0);
    EXPECT_EQ(saved::openMissions(), 1);
    EXPECT_EQ(saved::bestQuickPlayScore(0), 0);
}

TEST_F(SavedGameDataTest, SettingsSegmentsRoundTrip) {
    for (int segment : {0, 1, 2}) {
        saved::writeDifficultySegment(segment);
        EXPECT_EQ(saved::difficultySegment(), segment);
        EXPECT_EQ(saved::difficulty(), segment);
        saved::writeControlSegment(segment);
        EXPECT_EQ(saved::controlSegment(), segment);
    }
    saved::writeControlSegment(1);
    EXPECT_EQ(saved::controlScheme(), saved::ControlScheme::Drag);
    saved::writeControlSegment(2);
    EXPECT_EQ(saved::controlScheme(), saved::ControlScheme::Joystick);
    // Anything but "r" is Medium; anything but "t" an existing scheme drags.
    saved::write(saved::kEasy, {{"key", "whatever"}});
    EXPECT_EQ(saved::difficulty(), 1);
    saved::write(saved::kControlScheme, {{"key", "x"}});
    EXPECT_EQ(saved::controlScheme(), saved::ControlScheme::Drag);
    EXPECT_EQ(saved::controlSegment(), 2);
}

TEST_F(SavedGameDataTest, FlagsCountByExistence) {
    saved::setFlag(saved::kWantsSound, true);
    EXPECT_TRUE(saved::exists(saved::kWantsSound));
    EXPECT_EQ(saved::value(saved::kWantsSound), "ok");
    saved::setFlag(saved::kWantsSound, false);
    EXPECT_FALSE(platform::fileExists(file("wantsSound")));
    saved::setFlag(saved::kWantsSound, false); // already off: nothing happens
}

TEST_F(SavedGameDataTest, QuickPlayKeepsTheOtherBestsAndAlwaysTheKillCount) {
    // No file: the other two entries are written as "0".
    saved::saveQuickPlayResult(1, 50, 0, 7);
    auto scores = platform::readDictionary(file("scoreData.plist"));
    ASSERT_TRUE(scores);
    EXPECT_EQ(*(*scores)["key"].string(), "0");
    EXPECT_EQ(*(*scores)["medium"].string(), "50");
    EXPECT_EQ(*(*scores)["hard"].string(), "0");
    EXPECT_EQ(saved::value(saved::kKillScore), "7");

    // Medium again keeps Easy and Hard as stored, whatever their text.
    saved::write(saved::kScoreData, {{"key", "12abc"}, {"medium", "50"}, {"hard", "900"}});
    saved::saveQuickPlayResult(1, 60, 50, 9);
    EXPECT_EQ(saved::value(saved::kScoreData, "key"), "12abc");
    EXPECT_EQ(saved::value(saved::kScoreData, "hard"), "900");
    EXPECT_EQ(saved::bestQuickPlayScore(1), 60);

    // Equal to the best: the scores stay untouched, the kill count is written.
    std::string before = test::readText(file("scoreData.plist"));
    platform::removeFile(file("killScore"));
    saved::saveQuickPlayResult(1, 60, 60, 9);
    EXPECT_EQ(test::readText(file("scoreData.plist")), before);
    EXPECT_EQ(saved::value(saved::kKillScore), "9");
}

TEST_F(SavedGameDataTest, MissionsOpenInOrderAndAWinNeverClosesOne) {
    struct Step {
        int won;
        bool opened;
        int open;
    } steps[] = {{1, true, 2}, {1, false, 2}, {2, true, 3},
                 {1, false, 3}, // winning One again keeps Three open
                 {3, false, 3}};
    for (const Step& s : steps) {
        EXPECT_EQ(saved::missionWon(s.won), s.opened) << s.won;
        EXPECT_EQ(saved::openMissions(), s.open) << s.won;
    }
    EXPECT_EQ(saved::value(saved::kMissions), "3");
    saved::write(saved::kMissions, {{"key", "7"}});
    EXPECT_EQ(saved::openMissions(), 2); // any other value counts as "2"
}

TEST_F(SavedGameDataTest, MinigameBestsOnlyImprove) {
    saved::saveSurvivalBest(saved::kAsteroidAvoid, 0.01); // first result, whatever it is
    EXPECT_EQ(saved::value(saved::kAsteroidAvoid), "0.010000");
    saved::saveSurvivalBest(saved::kAsteroidAvoid, 0.005);
    EXPECT_EQ(saved::value(saved::kAsteroidAvoid), "0.010000");
    saved::saveSurvivalBest(saved::kAsteroidAvoid, 3.5);
    EXPECT_EQ(saved::value(saved::kAsteroidAvoid), "3.500000");
    // The same score again, added up in hundredths as the games do, is no
    // new best, whichever way its last bits fall.
    for (int frames : {127, 350, 981}) {
        float sum = 0;
        for (int f = 0; f < frames; ++f)
            sum += 0.01f;
        saved::write(saved::kDragShip, {{"key", saved::formatFloat(sum)}});
        EXPECT_FALSE(saved::saveSurvivalBest(saved::kDragShip, sum)) << frames;
        EXPECT_TRUE(saved::saveSurvivalBest(saved::kDragShip, sum + 0.01f)) << frames;
    }
    saved::saveSpaceShootBest(0);
    EXPECT_EQ(saved::value(saved::kSpaceShoot), "0");
    saved::saveSpaceShootBest(4);
    saved::saveSpaceShootBest(2);
    EXPECT_EQ(saved::value(saved::kSpaceShoot), "4");

    saved::setFlag(saved::kInvert, true);
    saved::write(saved::kKillScore, {{"key", "3"}});
    saved::deleteAllResults();
    for (const char* f : {"asteroidavoid", "on", "killScore"})
        EXPECT_FALSE(platform::fileExists(file(f))) << f;
    EXPECT_TRUE(saved::exists(saved::kInvert)); // settings stay
}

TEST_F(SavedGameDataTest, DamagedFilesAndOddTextReadAsDefaults) {
    test::writeText(file("scoreData.plist"), "<plist><dict><key>key</key><string>5");
    EXPECT_EQ(saved::value(saved::kScoreData), "");
    EXPECT_EQ(saved::bestQuickPlayScore(0), 0);
    test::writeText(file("easy"), "not a plist at all");
    EXPECT_EQ(saved::difficulty(), 1); // exists, empty value: not "r"
    platform::PlistDictionary numbers;
    numbers["key"] = platform::PlistValue(int64_t(5));
    ASSERT_TRUE(platform::writeDictionary(numbers, file("killScore")));
    EXPECT_EQ(saved::value(saved::kKillScore), ""); // only strings count

    EXPECT_EQ(saved::intValue("  -42 lives"), -42);
    EXPECT_EQ(saved::intValue("+7"), 7);
    EXPECT_EQ(saved::intValue("abc"), 0);
    EXPECT_EQ(saved::intValue(""), 0);
    EXPECT_EQ(saved::intValue("99999999999999999999"), INT_MAX);
    EXPECT_EQ(saved::intValue("-99999999999999999999"), INT_MIN);
    EXPECT_DOUBLE_EQ(saved::floatValue("3.25xyz"), 3.25);
    EXPECT_EQ(saved::floatValue("x"), 0);
}

TEST_F(SavedGameDataTest, StoredFloatsAreSignDigitsAndOnePointOnly) {
    const std::pair<const char*, double> cases[] = {
        {" -3.5", -3.5},
        {"+7", 7},
        {".25", 0.25},
        {"4.", 4},
        {"1.2.3", 1.2},
        {"1,5", 1},
        {"1e5", 1},
        {"0x1p4", 0},
        {"nan", 0},
        {"-inf", 0},
        {"infinity", 0},
        {"-", 0},
        {".", 0},
        {"", 0},
        {"1234567890123456789012345678901234567890", 1.2345678901234568e39},
    };
    for (auto [text, expected] : cases)
        EXPECT_DOUBLE_EQ(saved::floatValue(text), expected) << text;
    EXPECT_EQ(saved::floatValue(std::string(400, '9')), DBL_MAX);
    EXPECT_EQ(saved::floatValue("0." + std::string(400, '0') + "1"), 0);
    EXPECT_EQ(saved::formatFloat(-2.5), "-2.500000");
    EXPECT_EQ(saved::formatFloat(0.0000004), "0.000000");

    // Whatever odd number a damaged file holds, a real result beats it.
    for (const char* stored : {"nan", "inf", "0x1p10", "1e9"}) {
        saved::write(saved::kDragShip, {{"key", stored}});
        saved::saveSurvivalBest(saved::kDragShip, 1.5);
        EXPECT_EQ(saved::value(saved::kDragShip), "1.500000") << stored;
    }
}
