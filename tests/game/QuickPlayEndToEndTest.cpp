// A whole Quick Play game through the application: from the main menu by
// touch, played by a scripted hand, to the game-over alert and back to the
// menu; the saved files afterwards.
#include "engine/Director.h"
#include "platform/Keyboard.h"
#include "render/Menu.h"
#include "tests/game/QuickPlayTestSupport.h"

namespace {

class QuickPlayEndToEndTest : public test::QuickPlayTest {
protected:
    // The window point in the middle of the main menu's item `index`.
    Point itemCentre(size_t index) {
        for (auto& child : app->mainScene()->children())
            if (auto* menu = dynamic_cast<Menu*>(child.get())) {
                Node* item = menu->children().at(index).get();
                Size s = item->contentSize();
                return item->convertToWorldSpace(Point(s.width / 2, s.height / 2));
            }
        ADD_FAILURE() << "no menu";
        return Point();
    }
    Scene* running() { return Director::sharedDirector().runningScene(); }
    template <class T>
    T* runningLayer() {
        if (auto* direct = dynamic_cast<T*>(running())) return direct;
        for (auto& child : running()->children())
            if (auto* layer = dynamic_cast<T*>(child.get())) return layer;
        return nullptr;
    }
};

} // namespace

TEST_F(QuickPlayEndToEndTest, FromTheMenuThroughAWholeGameAndBack) {
    saved::write(saved::kScoreData, {{"key", "12"}, {"medium", "34"}, {"hard", "5"}});
    saved::write(saved::kKillScore, {{"key", "100"}});
    Director::sharedDirector().end(); // the application makes its own
    Director::purgeSharedDirector();
    app->applicationDidFinishLaunching();
    runFor(0.5);

    // "Quick Play", tapped through the splash.
    const Point item = itemCentre(1);
    touchDown(1, item);
    touchUp(1, item);
    runFor(0.6);
    Ref<GameScene> game(runningLayer<GameScene>());
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->level(), 2);
    EXPECT_EQ(game->lastScore(), 5);
    EXPECT_EQ(game->amountKilled(), 100);

    // A careless player: the device lies flat (the ship drifts up into the
    // enemies), a finger fires for the first ten seconds, then nothing.
    touchDown(2, Point(160, 300));
    runFor(10);
    touchUp(2, Point(160, 300));
    double played = 10;
    for (; !platform::AlertView::visibleAlert() && played < 300; played += 0.5) runFor(0.5);
    ASSERT_NE(platform::AlertView::visibleAlert(), nullptr) << "no game over in 300 s";
    EXPECT_EQ(game->lives(), 0);
    const int score = game->scoreInt();
    const int killed = game->amountKilled();
    EXPECT_GT(killed, 100);
    EXPECT_EQ(score % 5, 0);

    // "Quit": the next button, then Enter.
    platform::Keyboard::shared().keyDown("tab");
    platform::Keyboard::shared().keyDown("return");
    runFor(1.0);
    EXPECT_NE(runningLayer<HelloWorld>(), nullptr);
    EXPECT_TRUE(game->hasLeft());

    EXPECT_EQ(saved::value(saved::kKillScore), std::to_string(killed));
    EXPECT_EQ(saved::value(saved::kScoreData, "hard"), std::to_string(std::max(score, 5)));
    EXPECT_EQ(saved::value(saved::kScoreData, "key"), "12");
    EXPECT_EQ(saved::value(saved::kScoreData, "medium"), "34");
}
