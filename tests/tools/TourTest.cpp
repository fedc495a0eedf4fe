// The game shown by itself, shortened, under the sanitizers: every screen
// is reached, nothing is reported, and the saved files are exactly those the
// games it played write, holding what those games showed.
#include "platform/PropertyList.h"
#include "tests/tools/ProgramTestSupport.h"

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>

TEST(Tour, TheShortTourReachesEveryScreenAndLeavesExactlyTheFilesItsGamesWrite) {
    test::TempDir dir;
    test::CommandResult r = test::runCommand(
        "cd " + dir.path().string() + " && " NEBULARK_BINARY " --headless --tour short" +
            " --fixed-dt 0.0166667 --seed 7 --documents " + dir.file("docs"),
        dir);
    ASSERT_EQ(r.code, 0) << r.output;
    for (const char* report : {"AddressSanitizer", "LeakSanitizer", "runtime error"})
        EXPECT_EQ(r.output.find(report), std::string::npos) << r.output;

    // "tour: Quick Play     GameScene   55.3 s played  26.0 s wall  You lost!, score 140, 8 ..."
    static const std::regex line("tour: .*? (\\w+) +[0-9.]+ s played +[0-9.]+ s wall  (.*)");
    std::map<std::string, std::string> notes; // by screen class, of its last visit
    std::istringstream lines(r.output);
    for (std::string text; std::getline(lines, text);)
        if (std::smatch m; std::regex_match(text, m, line)) notes[m[1]] = m[2];
    std::set<std::string> screens;
    for (const auto& visit : notes)
        screens.insert(visit.first);
    EXPECT_EQ(screens, (std::set<std::string>{"SplashLayer", "HelloWorld", "GameScene", "Missions",
                                              "MissionOne", "MissionTwo", "MissionThree",
                                              "miniGameMenu", "AsteroidAvoid", "miniGame",
                                              "SpaceShoot", "Settings", "High"}))
        << r.output;

    auto number = [](const std::string& note, const std::string& after) {
        std::smatch m;
        return std::regex_search(note, m, std::regex(after + "([0-9]+)")) ? m[1].str() : "?";
    };
    // What each rule writes, with the value it shows ("" where not checked).
    std::map<std::string, std::string> expected = {
        {"killScore", number(notes["GameScene"], "score [0-9]+, ")}, // on leaving, always
        {"on", number(notes["SpaceShoot"], "score ")},               // the duel's first score
    };
    if (number(notes["GameScene"], "score ") != "0")
        expected["scoreData.plist"] = number(notes["GameScene"], "score "); // a best on Hard
    if (notes["MissionTwo"] == "You Win!")
        expected["missions"] = "3";
    else if (notes["MissionOne"] == "You Win!")
        expected["missions"] = "2";
    if (notes["AsteroidAvoid"] == "hit") expected["asteroidavoid"] = "";
    if (notes["miniGame"] == "hit") expected["dragship"] = "";
    if (notes["Settings"] == "sound effects turned on") expected["wantsSound"] = "ok";

    std::map<std::string, std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("docs"))) {
        std::string name = entry.path().filename().string();
        auto dict = platform::readDictionary(entry.path().string());
        ASSERT_TRUE(dict) << name;
        auto it = dict->find(name == "scoreData.plist" ? "hard" : "key");
        bool shown = expected.count(name) && !expected[name].empty();
        found[name] = shown && it != dict->end() && it->second.string() ? *it->second.string() : "";
    }
    EXPECT_EQ(found, expected) << r.output;

    EXPECT_EQ(test::readPng(dir.file("out/run.png")).width, 320);
    EXPECT_GT(test::readPng(dir.file("out/tour.png")).width, 320);
}
