#include "platform/Options.h"
#include "platform/Script.h"
#include "tests/common/TestSupport.h"

#include <vector>

using platform::Options;
using platform::Script;
using platform::ScriptEvent;

namespace {

bool parse(std::vector<const char*> args, Options& out, std::string& error) {
    args.insert(args.begin(), "nebulark");
    return platform::parseOptions(int(args.size()), args.data(), out, error);
}

} // namespace

TEST(Options, ReadsEveryOptionInBothSpellings) {
    Options o;
    std::string error;
    ASSERT_TRUE(parse({"--headless", "--scale", "2", "--frames=30", "--fixed-dt", "0.02",
                       "--screenshot", "out/x.png", "--script=s.txt", "--documents", "/tmp/d",
                       "--resources", "/tmp/r", "--seed", "42", "--demo", "spine", "--fullscreen",
                       "--start=menu", "--autoplay", "--timings"},
                      o, error))
        << error;
    EXPECT_TRUE(o.headless);
    EXPECT_TRUE(o.fullscreen);
    EXPECT_EQ(o.scale, 2);
    EXPECT_EQ(o.frames, 30);
    EXPECT_DOUBLE_EQ(o.fixedDt, 0.02);
    EXPECT_EQ(o.screenshot, "out/x.png");
    EXPECT_EQ(o.script, "s.txt");
    EXPECT_EQ(o.documents, "/tmp/d");
    EXPECT_EQ(o.resources, "/tmp/r");
    EXPECT_EQ(o.seed, 42u);
    EXPECT_EQ(o.demo, "spine");
    EXPECT_EQ(o.start, "menu");
    EXPECT_TRUE(o.autoplay);
    EXPECT_TRUE(o.timings);
}

TEST(Options, RefusesWhatItCannotUseWithOneLine) {
    struct Case {
        std::vector<const char*> args;
        std::string error;
    } cases[] = {
        {{"--bogus"}, "unknown option '--bogus' (see --help)"},
        {{"--frames"}, "option --frames needs a value"},
        {{"--frames", "0"}, "option --frames: expected a whole number of at least 1, got '0'"},
        {{"--frames", "12x"}, "option --frames: expected a whole number of at least 1, got '12x'"},
        {{"--scale", "0.5"}, "option --scale: expected a number from 1 to 16, got '0.5'"},
        {{"--fixed-dt", "-1"}, "option --fixed-dt: expected seconds above 0 and at most 10, got '-1'"},
        {{"--fixed-dt", "nan"}, "option --fixed-dt: expected seconds above 0 and at most 10, got 'nan'"},
        {{"--seed", "-3"}, "option --seed: expected a whole number from 0 to 4294967295, got '-3'"},
        {{"--headless=yes"}, "option --headless takes no value"},
        {{"--screenshot="}, "option --screenshot: expected a non-empty value, got ''"},
    };
    for (auto& c : cases) {
        Options o;
        std::string error;
        EXPECT_FALSE(parse(c.args, o, error)) << c.args[0];
        EXPECT_EQ(error, c.error);
    }
}

TEST(Script, ParsesTimesCommandsAndComments) {
    std::string error;
    auto script = Script::parse("# a demo\n"
                                "\n"
                                "10 touch down 100 200\n"
                                "12 touch move 110.5 210 2   # second finger\n"
                                "0.5s tilt 0.3 -0.2\n"
                                "0.5s tilt 0 0 -1\n"
                                "20 tilt off\n"
                                "20 key left down\n"
                                "30 touch up 110 210\n"
                                "30 touch cancel 2\n"
                                "40 screenshot out/a.png\n"
                                "41 quit\n",
                                error);
    ASSERT_TRUE(script) << error;
    const auto& e = script->events();
    ASSERT_EQ(e.size(), 10u);
    EXPECT_EQ(e[0].kind, ScriptEvent::Kind::TouchDown);
    EXPECT_EQ(e[0].line, 3);
    EXPECT_FALSE(e[0].inSeconds);
    EXPECT_EQ(e[0].when, 10);
    EXPECT_EQ(e[0].x, 100);
    EXPECT_EQ(e[0].y, 200);
    EXPECT_EQ(e[0].touchId, 0);
    EXPECT_EQ(e[1].touchId, 2);
    EXPECT_FLOAT_EQ(e[1].x, 110.5f);
    EXPECT_TRUE(e[2].inSeconds);
    EXPECT_DOUBLE_EQ(e[2].when, 0.5);
    EXPECT_FALSE(e[2].hasZ);
    EXPECT_TRUE(e[3].hasZ);
    EXPECT_EQ(e[4].kind, ScriptEvent::Kind::TiltOff);
    EXPECT_EQ(e[5].key, "left");
    EXPECT_TRUE(e[5].keyDown);
    EXPECT_EQ(e[7].kind, ScriptEvent::Kind::TouchCancel);
    EXPECT_EQ(e[7].touchId, 2);
    EXPECT_EQ(e[8].path, "out/a.png");
    EXPECT_EQ(e[9].kind, ScriptEvent::Kind::Quit);
}

TEST(Script, NamesTheLineOfAMalformedCommand) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"1 touch down 1\n", "line 1: touch down needs X Y [ID]"},
        {"\n\n5 touch wiggle 1 2\n", "line 3: unknown touch phase 'wiggle'"},
        {"x touch down 1 2\n", "line 1: bad time 'x' (a frame number or seconds such as 1.5s)"},
        {"-1 quit\n", "line 1: bad time '-1' (a frame number or seconds such as 1.5s)"},
        {"3\n", "line 1: missing command"},
        {"3 fly\n", "line 1: unknown command 'fly'"},
        {"3 tilt 9 0\n", "line 1: tilt values must be within -4..4 g"},
        {"3 touch down 1 2 -4\n", "line 1: bad touch id '-4'"},
        {"3 key left sideways\n", "line 1: key needs NAME down|up"},
        {"3 quit now\n", "line 1: quit takes nothing"},
        {"3 touch down nan 2\n", "line 1: bad coordinates"},
    };
    for (auto& c : cases) {
        std::string error;
        EXPECT_FALSE(Script::parse(c.text, error)) << c.text;
        EXPECT_EQ(error, c.error);
    }
    std::string error;
    EXPECT_FALSE(Script::load("/nonexistent/script", error));
    EXPECT_EQ(error, "cannot read script file '/nonexistent/script'");
}

TEST(Script, PlaysEventsInFileOrderOnceTheirTimeHasCome) {
    std::string error;
    auto script = Script::parse("5 touch down 1 1\n"
                                "1s touch move 2 2\n"
                                "3 touch up 2 2\n", // already due, but waits for the line above
                                error);
    ASSERT_TRUE(script);
    EXPECT_TRUE(script->due(4, 10.0).empty());
    auto first = script->due(5, 0.5);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].kind, ScriptEvent::Kind::TouchDown);
    EXPECT_TRUE(script->due(100, 0.9).empty());
    auto rest = script->due(100, 1.0);
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[1].kind, ScriptEvent::Kind::TouchUp);
    EXPECT_TRUE(script->finished());
    EXPECT_TRUE(script->due(1000, 1000).empty());
}
