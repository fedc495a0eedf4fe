// The minigame menu: its entries and its hand-made back button.
#include "game/minigames/miniGameMenu.h"
#include "engine/TransitionScene.h"
#include "game/HelloWorld.h"
#include "game/minigames/AsteroidAvoid.h"
#include "game/minigames/SpaceShoot.h"
#include "game/minigames/miniGame.h"
#include "render/Label.h"
#include "render/Menu.h"
#include "tests/game/minigames/MiniGameTestSupport.h"

using test::shows;

namespace {

class MiniGameMenuTest : public test::MiniGameTest {
protected:
    Menu* menu(miniGameMenu* screen) {
        for (auto& child : screen->children())
            if (auto* m = dynamic_cast<Menu*>(child.get())) return m;
        return nullptr;
    }
};

} // namespace

TEST_F(MiniGameMenuTest, EntriesFromTopToBottomStartTheirGames) {
    struct Entry {
        const char* text;
        bool (*isGame)(Scene*);
    } entries[] = {
        {"Asteroid Avoid", [](Scene* s) { return dynamic_cast<AsteroidAvoid*>(s) != nullptr; }},
        {"DragShip", [](Scene* s) { return dynamic_cast<miniGame*>(s) != nullptr; }},
        {"SpaceShoot", [](Scene* s) { return dynamic_cast<SpaceShoot*>(s) != nullptr; }},
    };
    start<miniGameMenu>(miniGameMenu::scene());
    for (size_t i = 0; i < std::size(entries); ++i) {
        director().replaceScene(miniGameMenu::scene().get());
        step();
        auto* screen = running<miniGameMenu>();
        ASSERT_NE(screen, nullptr);
        Menu* m = menu(screen);
        ASSERT_NE(m, nullptr);
        ASSERT_EQ(m->children().size(), 3u);
        Node* item = m->children()[i].get();
        auto* label = dynamic_cast<Label*>(dynamic_cast<MenuItemLabel*>(item)->label());
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->string(), entries[i].text);
        if (i > 0) {
            float above = m->children()[i - 1]->convertToWorldSpace(Point()).y;
            EXPECT_LT(item->convertToWorldSpace(Point()).y, above) << entries[i].text;
        }
        Size s = item->contentSize();
        tap(item->convertToWorldSpace(Point(s.width / 2, s.height / 2)));
        runFor(0.6);
        EXPECT_TRUE(entries[i].isGame(director().runningScene())) << entries[i].text;
    }
}

TEST_F(MiniGameMenuTest, BackButtonSlidOffStaysAndReleasedOnItSlidesToTheMainMenu) {
    auto* screen = start<miniGameMenu>(miniGameMenu::scene());
    Sprite* back = screen->backButton();
    ASSERT_TRUE(shows(back, "back1.png"));

    // Pressed, slid off, lifted: the arrow comes back, the screen stays.
    down(Point(40, 20));
    EXPECT_TRUE(shows(back, "back2.png"));
    move(Point(300, 460));
    up(Point(300, 460));
    EXPECT_TRUE(shows(back, "back1.png"));
    runFor(0.6);
    EXPECT_EQ(running<miniGameMenu>(), screen);

    // A touch elsewhere is not the button's.
    down(Point(300, 460));
    EXPECT_TRUE(shows(back, "back1.png"));
    up(Point(300, 460));

    tap(Point(40, 460));
    step();
    EXPECT_NE(dynamic_cast<SlideInLTransition*>(director().runningScene()), nullptr);
    runFor(0.6);
    ASSERT_NE(director().runningScene(), nullptr);
    EXPECT_NE(dynamic_cast<HelloWorld*>(director().runningScene()->children().at(0).get()),
              nullptr);
}
