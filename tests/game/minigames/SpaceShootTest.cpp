// The SpaceShoot duel: firing and the back button, ammunition, the rounds
// after a hit, game over and the saved best.
#include "game/minigames/SpaceShoot.h"
#include "game/SavedGameData.h"
#include "game/minigames/miniGameMenu.h"
#include "platform/ui/Button.h"
#include "tests/game/minigames/MiniGameTestSupport.h"

namespace {

class SpaceShootTest : public test::MiniGameTest {
protected:
    SpaceShoot* startGame() {
        SpaceShoot* game = start<SpaceShoot>(SpaceShoot::scene());
        EXPECT_NE(game, nullptr);
        return game;
    }
    static int count(SpaceShoot* game, int tag) {
        int n = 0;
        for (auto& b : game->allBullets())
            n += b->tag() == tag;
        return n;
    }
    static AtlasSprite* bullet(SpaceShoot* game, int tag) {
        for (auto& b : game->allBullets())
            if (b->tag() == tag) return b.get();
        return nullptr;
    }
    // Runs the loop with every bullet taken out of play each frame.
    void runSafely(double seconds) {
        double end = clock_.monotonic() + seconds;
        while (clock_.monotonic() < end - 1e-9) {
            for (auto& b : running<SpaceShoot>()->allBullets())
                b->setPosition(
                    Point(b->position().x, b->tag() == SpaceShoot::kEnemyBullet ? -50 : 900));
            runFor(1.0 / 60);
        }
    }
    // The next enemy bullet, put on the player's ship.
    void enemyBulletOnPlayer(SpaceShoot* game) {
        while (!bullet(game, SpaceShoot::kEnemyBullet))
            runSafely(1.0 / 60);
        bullet(game, SpaceShoot::kEnemyBullet)->setPosition(game->firstDude()->position());
    }
    void playerBulletOnEnemy(SpaceShoot* game) {
        tap(Point(200, 200));
        ASSERT_NE(bullet(game, SpaceShoot::kPlayerBullet), nullptr);
        bullet(game, SpaceShoot::kPlayerBullet)->setPosition(game->SecondDude()->position());
    }
    static int messages(SpaceShoot* game) {
        int n = 0;
        for (auto& child : game->children())
            if (auto* l = dynamic_cast<Label*>(child.get()))
                n += l->string() == "You got shot. Ready?" || l->string() == "Good job!";
        return n;
    }
};

} // namespace

TEST_F(SpaceShootTest, TheFirstTapFiresATapOnTheBackButtonNever) {
    SpaceShoot* game = startGame();
    EXPECT_FALSE(game->canShoot());
    tap(Point(200, 200));
    ASSERT_EQ(count(game, SpaceShoot::kPlayerBullet), 1);
    EXPECT_EQ(bullet(game, SpaceShoot::kPlayerBullet)->position(), Point(160, 42));
    EXPECT_EQ(game->goodAmmo(), 2);
    EXPECT_EQ(game->good()->string(), "Ammo: 2");

    // Pressed, slid off and lifted: no shot, and the screen stays.
    down(Point(40, 20));
    EXPECT_TRUE(test::shows(game->qbbutton(), "back1.png"));
    up(Point(300, 300));
    EXPECT_TRUE(test::shows(game->qbbutton(), "back2.png"));
    EXPECT_EQ(count(game, SpaceShoot::kPlayerBullet), 1);
    EXPECT_EQ(game->goodAmmo(), 2);
    tap(Point(200, 200));
    EXPECT_EQ(count(game, SpaceShoot::kPlayerBullet), 2);

    tap(Point(40, 460));
    EXPECT_EQ(count(game, SpaceShoot::kPlayerBullet), 2);
    runFor(1.1);
    EXPECT_NE(running<miniGameMenu>(), nullptr);
}

TEST_F(SpaceShootTest, WithoutAmmunitionTapsWaitForTheRefill) {
    SpaceShoot* game = startGame();
    for (int shot = 0; shot < 4; ++shot)
        tap(Point(200, 200));
    EXPECT_EQ(game->goodAmmo(), 0);
    EXPECT_EQ(count(game, SpaceShoot::kPlayerBullet), 3);
    runSafely(1.95);
    EXPECT_EQ(game->goodAmmo(), 1);
    EXPECT_EQ(game->good()->string(), "Ammo: 1");
    runSafely(1.9 * 4);
    EXPECT_EQ(game->goodAmmo(), 5); // no upper limit
}

TEST_F(SpaceShootTest, BeingHitCostsALifeRefillsTheAmmunitionAndPausesTheRound) {
    SpaceShoot* game = startGame();
    for (int shot = 0; shot < 3; ++shot)
        tap(Point(200, 200));
    ASSERT_EQ(game->goodAmmo(), 0);
    enemyBulletOnPlayer(game);
    step();
    EXPECT_EQ(game->goodAmmo(), 3);
    EXPECT_EQ(game->lives(), 2);
    EXPECT_EQ(game->livesLabel()->string(), "Lives: 2");
    EXPECT_FALSE(game->firstDude()->visible());
    EXPECT_TRUE(SpaceShoot::isPaused);
    EXPECT_EQ(messages(game), 1);
    for (auto& b : game->allBullets())
        EXPECT_FALSE(b->visible());

    runFor(2.4);
    EXPECT_TRUE(SpaceShoot::isPaused);
    runFor(0.2);
    EXPECT_FALSE(SpaceShoot::isPaused);
    EXPECT_EQ(messages(game), 0);
    EXPECT_TRUE(game->firstDude()->visible());
    EXPECT_EQ(game->SecondDude()->numberOfRunningActions(), 1); // wandering again
}

TEST_F(SpaceShootTest, HitsOnBothShipsInOneFrameMakeOneRound) {
    SpaceShoot* game = startGame();
    enemyBulletOnPlayer(game);
    playerBulletOnEnemy(game);
    step();
    EXPECT_EQ(messages(game), 1);
    EXPECT_EQ(game->lives() == 2, game->score() == 0); // one of the two, not both
    runFor(2.6);
    EXPECT_EQ(messages(game), 0);
    EXPECT_FALSE(SpaceShoot::isPaused);
    EXPECT_TRUE(game->firstDude()->visible() && game->SecondDude()->visible());
}

TEST_F(SpaceShootTest, RestartAfterTheLastLifeKeepsTheScore) {
    SpaceShoot* game = startGame();
    playerBulletOnEnemy(game);
    step();
    EXPECT_EQ(game->score(), 25);
    EXPECT_EQ(game->scoresLabel()->string(), "Score: 25");
    EXPECT_FALSE(game->SecondDude()->visible());
    runFor(2.6);
    EXPECT_TRUE(game->SecondDude()->visible());
    for (int life = 0; life < 3; ++life) {
        enemyBulletOnPlayer(game);
        step();
        if (life < 2) runFor(2.6);
    }
    EXPECT_EQ(game->lives(), 0);
    EXPECT_TRUE(SpaceShoot::isPaused);
    EXPECT_EQ(messages(game), 0); // the alert instead
    platform::AlertView* alert = platform::AlertView::visibleAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "Oh-No!");
    EXPECT_EQ(alert->message(), "You are out of lives!");
    ASSERT_EQ(alert->numberOfButtons(), 2);
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "Back");
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "Restart");
    platform::View* restart = alert->buttonAtIndex(1);
    Point at = restart->originInWindow();
    at = Point(at.x + restart->frame().size.width / 2, at.y + restart->frame().size.height / 2);
    down(at);
    up(at);
    runFor(0.3);
    EXPECT_EQ(platform::AlertView::visibleAlert(), nullptr);
    EXPECT_EQ(game->lives(), 3);
    EXPECT_EQ(game->livesLabel()->string(), "Lives: 3");
    EXPECT_EQ(game->score(), 25);
    EXPECT_FALSE(SpaceShoot::isPaused);
    EXPECT_TRUE(game->firstDude()->visible());
    runSafely(0.5);
    EXPECT_TRUE(game->firstDude()->visible());
}

TEST_F(SpaceShootTest, TheFirstExitWritesTheBestEvenWithNothingScored) {
    startGame();
    EXPECT_FALSE(savedExists(saved::kSpaceShoot));
    tap(Point(40, 460));
    runFor(1.1);
    EXPECT_EQ(saved::value(saved::kSpaceShoot), "0");
    EXPECT_EQ(QNNotificationManager::sharedMgr().notificationQueue().size() +
                  QNNotificationManager::sharedMgr().notificationOnScreen(),
              0u);
}

TEST_F(SpaceShootTest, ADuelLeftDuringItsPauseResumesNothing) {
    Ref<SpaceShoot> game(startGame());
    playerBulletOnEnemy(game.get());
    step();
    ASSERT_TRUE(SpaceShoot::isPaused);
    tap(Point(40, 460));
    runFor(3); // the fade, then the round's end arrives
    EXPECT_NE(running<miniGameMenu>(), nullptr);
    // The pause is shared by every duel: a gone one does not end it, and
    // lets go of itself.
    EXPECT_TRUE(SpaceShoot::isPaused);
    EXPECT_EQ(game->retainCount(), 1);
}

TEST_F(SpaceShootTest, PlayStopsWhenThePlayerPressesBackNotWhenTheFadeEnds) {
    Ref<SpaceShoot> game(startGame());
    enemyBulletOnPlayer(game.get());
    tap(Point(40, 460));
    runFor(1.5);
    EXPECT_NE(running<miniGameMenu>(), nullptr);
    EXPECT_EQ(game->lives(), 3);
}
