// Menus: touch tracking, alignment, the item kinds and a menu on screen.
#include "render/Menu.h"
#include "engine/Director.h"
#include "engine/Scene.h"
#include "engine/TouchDispatcher.h"
#include "platform/Keyboard.h"
#include "platform/RunLoop.h"
#include "platform/System.h"
#include "render/AtlasSpriteManager.h"
#include "render/BitmapFontAtlas.h"
#include "render/Label.h"
#include "render/Sprite.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/render/TestFont.h"

#include <cstdlib>

using namespace rendertest;
using platform::TouchPhase;

namespace {

const uint8_t kBlack[4] = {0, 0, 0, 255};

// The object menu items call.
class Recorder : public Object {
public:
    void hit(Object* sender) { calls.push_back(sender); }
    MenuSelector selector() { return ccSelector(this, &Recorder::hit); }
    std::vector<Object*> calls;
};

// An item of a given size that notes what happens to it.
class JournalItem : public MenuItem {
public:
    JournalItem(std::string name, std::vector<std::string>* journal, Object* target,
                MenuSelector selector)
        : MenuItem(target, std::move(selector)), name_(std::move(name)), journal_(journal) {
        setContentSize(Size(100, 30));
    }
    void selected() override { journal_->push_back("selected " + name_); }
    void unselected() override { journal_->push_back("unselected " + name_); }
    void activate() override {
        journal_->push_back("activate " + name_);
        MenuItem::activate();
    }
    std::string name_;
    std::vector<std::string>* journal_;
};

// A targeted handler below the menus.
class Below : public Object, public TargetedTouchDelegate {
public:
    bool ccTouchBegan(Touch*, Event*) override {
        ++began;
        return true;
    }
    int began = 0;
};

class MenuTest : public NodeGLTest {
protected:
    void TearDown() override {
        TouchDispatcher::sharedDispatcher().removeAllDelegates();
        Director::purgeSharedDirector();
        NodeGLTest::TearDown();
    }
    Ref<JournalItem> item(const std::string& name) {
        return make<JournalItem>(name, &journal, recorder.get(), recorder->selector());
    }
    // Touches in scene coordinates (the view's y runs down from the top).
    Ref<Touch> touchAt(Point p) {
        auto t = make<Touch>();
        t->update(TouchPhase::Began, Point(p.x, 480 - p.y), 0);
        return t;
    }
    void begin(Touch* t) { dispatcher().touchesBegan({Ref<Touch>(t)}, event.get()); }
    void move(Touch* t, Point p) {
        t->update(TouchPhase::Moved, Point(p.x, 480 - p.y), 0);
        dispatcher().touchesMoved({Ref<Touch>(t)}, event.get());
    }
    void end(Touch* t) {
        t->update(TouchPhase::Ended, t->locationInView(nullptr), 0);
        dispatcher().touchesEnded({Ref<Touch>(t)}, event.get());
    }
    void cancel(Touch* t) {
        t->update(TouchPhase::Cancelled, t->locationInView(nullptr), 0);
        dispatcher().touchesCancelled({Ref<Touch>(t)}, event.get());
    }
    static TouchDispatcher& dispatcher() { return TouchDispatcher::sharedDispatcher(); }
    // Two items, A above B, on a running menu centred on the screen.
    Ref<Menu> twoItemMenu() {
        a = item("A");
        b = item("B");
        auto menu = Menu::menuWithItems({a, b});
        menu->alignItemsVerticallyWithPadding(10); // A at y 20, B at y -20
        menu->onEnter();
        return menu;
    }
    static void finish(Node* node) {
        node->onExit();
        node->cleanup();
    }

    Ref<Recorder> recorder = make<Recorder>();
    std::vector<std::string> journal;
    Ref<Event> event = make<Event>();
    Ref<JournalItem> a, b;
    test::TempDir dir;
};

using Journal = std::vector<std::string>;

} // namespace

// --- touches ---

TEST_F(MenuTest, ATouchMovingFromOneItemToAnotherActivatesTheLastOne) {
    auto menu = twoItemMenu();
    auto below = make<Below>();
    dispatcher().addTargetedDelegate(below.get(), 0, false);

    auto t = touchAt(Point(160, 260));
    begin(t.get());
    EXPECT_EQ(menu->state(), kMenuStateTrackingTouch);
    EXPECT_EQ(menu->selectedItem(), a.get());
    EXPECT_EQ(below->began, 0); // swallowed
    move(t.get(), Point(150, 262));
    move(t.get(), Point(120, 220));
    EXPECT_EQ(menu->selectedItem(), b.get());

    // A second finger is refused while the first is tracked.
    auto second = touchAt(Point(160, 260));
    begin(second.get());
    EXPECT_EQ(below->began, 1);
    EXPECT_EQ(menu->selectedItem(), b.get());

    end(t.get());
    EXPECT_EQ(journal,
              (Journal{"selected A", "unselected A", "selected B", "unselected B", "activate B"}));
    ASSERT_EQ(recorder->calls.size(), 1u);
    EXPECT_EQ(recorder->calls[0], b.get());
    EXPECT_EQ(menu->state(), kMenuStateWaiting);
    finish(menu.get());
}

TEST_F(MenuTest, ATouchEndingAwayFromTheItemsActivatesNothing) {
    auto menu = twoItemMenu();
    auto t = touchAt(Point(200, 220));
    begin(t.get());
    move(t.get(), Point(300, 220)); // past B's right edge at 210
    EXPECT_EQ(menu->selectedItem(), nullptr);
    end(t.get());
    EXPECT_EQ(journal, (Journal{"selected B", "unselected B"}));
    EXPECT_TRUE(recorder->calls.empty());

    // Cancelling unselects, and the menu takes the next touch.
    auto c = touchAt(Point(160, 250));
    begin(c.get());
    cancel(c.get());
    EXPECT_EQ(menu->state(), kMenuStateWaiting);
    EXPECT_EQ(journal.back(), "unselected A");
    EXPECT_TRUE(recorder->calls.empty());
    finish(menu.get());
}

TEST_F(MenuTest, ATouchStartingOutsideReachesTheOtherHandlers) {
    auto menu = twoItemMenu();
    auto below = make<Below>();
    dispatcher().addTargetedDelegate(below.get(), 0, false);
    // Between A (245..275) and B (205..235).
    auto t = touchAt(Point(160, 240));
    begin(t.get());
    EXPECT_EQ(below->began, 1);
    EXPECT_EQ(menu->state(), kMenuStateWaiting);
    EXPECT_TRUE(journal.empty());
    end(t.get());

    EXPECT_CC_ASSERT(menu->ccTouchMoved(t.get(), event.get()),
                     "[Menu ccTouchMoved] -- invalid state");
    EXPECT_CC_ASSERT(menu->ccTouchEnded(t.get(), event.get()),
                     "[Menu ccTouchEnded] -- invalid state");
    EXPECT_CC_ASSERT(menu->ccTouchCancelled(t.get(), event.get()),
                     "[Menu ccTouchCancelled] -- invalid state");
    finish(menu.get());
    // Leaving the screen unregisters the menu.
    for (auto& handler : dispatcher().handlers())
        EXPECT_NE(handler->priority(), kMenuTouchPriority);
}

TEST_F(MenuTest, AMenuLeavingTheScreenMidTouchTakesTouchesWhenBack) {
    auto menu = twoItemMenu();
    auto t = touchAt(Point(160, 260));
    begin(t.get());
    menu->onExit();
    EXPECT_EQ(journal.back(), "unselected A");
    EXPECT_EQ(menu->state(), kMenuStateWaiting);
    menu->onEnter();
    auto again = touchAt(Point(160, 220));
    begin(again.get());
    end(again.get());
    ASSERT_EQ(recorder->calls.size(), 1u);
    EXPECT_EQ(recorder->calls[0], b.get());
    finish(menu.get());
}

TEST_F(MenuTest, AnItemRemovedWhileTrackedIsForgotten) {
    auto menu = twoItemMenu();
    auto t = touchAt(Point(160, 260));
    begin(t.get());
    menu->removeChild(a.get(), true);
    EXPECT_EQ(menu->selectedItem(), nullptr);
    a = nullptr;
    end(t.get());
    EXPECT_TRUE(recorder->calls.empty());
    finish(menu.get());
}

TEST_F(MenuTest, ADisabledLabelItemIsHitButNeitherGrowsNorCalls) {
    std::string fnt = writeTestFont(dir);
    auto label = BitmapFontAtlas::bitmapFontAtlasWithString("AAAAA", fnt); // 50 x 16
    ASSERT_TRUE(label);
    auto enabledLabel = BitmapFontAtlas::bitmapFontAtlasWithString("BBBBB", fnt);
    auto disabled = MenuItemLabel::itemWithLabel(label.get(), recorder.get(), recorder->selector());
    auto enabled =
        MenuItemLabel::itemWithLabel(enabledLabel.get(), recorder.get(), recorder->selector());
    EXPECT_EQ(disabled->contentSize(), Size(50, 16));
    disabled->setIsEnabled(false);
    EXPECT_EQ(label->color(), ccc3(126, 126, 126));
    auto menu = Menu::menuWithItems({disabled, enabled});
    menu->alignItemsHorizontallyWithPadding(20); // -35 and 35 around 160
    menu->onEnter();

    auto t = touchAt(Point(125, 240));
    begin(t.get());
    EXPECT_EQ(menu->selectedItem(), disabled.get());
    tick(1.0f / 60);
    tick(0.2f);
    EXPECT_EQ(disabled->scale(), 1.0f);
    end(t.get());
    EXPECT_TRUE(recorder->calls.empty());

    // The enabled one grows while held, and is back to 1 at once when
    // activated.
    auto u = touchAt(Point(195, 240));
    begin(u.get());
    tick(1.0f / 60);
    tick(0.05f);
    EXPECT_NEAR(enabled->scale(), 1.1f, 0.001f);
    tick(0.1f);
    EXPECT_FLOAT_EQ(enabled->scale(), 1.2f);
    end(u.get());
    EXPECT_EQ(enabled->scale(), 1.0f);
    EXPECT_EQ(enabled->numberOfRunningActions(), 0);
    ASSERT_EQ(recorder->calls.size(), 1u);
    EXPECT_EQ(recorder->calls[0], enabled.get());

    // Enabling again restores the colour it had.
    disabled->setIsEnabled(true);
    EXPECT_EQ(label->color(), ccWHITE);
    finish(menu.get());
}

TEST_F(MenuTest, AScreenThatIsItsOwnMenusTargetIsReleasedAfterCleanup) {
    struct Screen : Layer {
        explicit Screen(int* deaths) : deaths_(deaths) {}
        ~Screen() override { ++*deaths_; }
        void go(Object*) {}
        int* deaths_;
    };
    int deaths = 0;
    {
        auto screen = make<Screen>(&deaths);
        auto label = Label::labelWithString("Go", "Helvetica", 20);
        auto item = MenuItemLabel::itemWithLabel(label.get(), screen.get(),
                                                 ccSelector(screen.get(), &Screen::go));
        screen->addChild(Menu::menuWithItems({item}).get());
        screen->cleanup();
    }
    EXPECT_EQ(deaths, 1);
}

// --- keys ---

TEST_F(MenuTest, UpDownAndEnterMoveThroughAndActivateTheEnabledItems) {
    auto menu = twoItemMenu();
    auto c = item("C");
    menu->addChild(c.get(), 2);
    b->setIsEnabled(false);
    platform::Keyboard& keys = platform::Keyboard::shared();

    EXPECT_FALSE(keys.keyDown("return")); // nothing highlighted yet
    EXPECT_TRUE(keys.keyDown("down"));    // the top item
    EXPECT_TRUE(keys.keyDown("down"));    // past the disabled one
    EXPECT_TRUE(keys.keyDown("down"));    // round to the top
    EXPECT_TRUE(keys.keyDown("up"));
    EXPECT_EQ(menu->selectedItem(), c.get());
    // A touch takes over from the keys.
    auto t = touchAt(Point(160, 260));
    begin(t.get());
    end(t.get());
    EXPECT_TRUE(keys.keyDown("up")); // from none: the bottom item
    EXPECT_TRUE(keys.keyDown("return"));
    EXPECT_EQ(journal, (Journal{"selected A", "unselected A", "selected C", "unselected C",
                                "selected A", "unselected A", "selected C", "unselected C",
                                "selected A", "unselected A", "activate A", "selected C",
                                "unselected C", "activate C"}));
    EXPECT_EQ(menu->selectedItem(), nullptr);

    // Hidden, or off the screen, a menu leaves the keys alone.
    menu->setVisible(false);
    EXPECT_FALSE(keys.keyDown("down"));
    menu->setVisible(true);
    finish(menu.get());
    EXPECT_FALSE(keys.keyDown("down"));
}

// --- layout ---

TEST_F(MenuTest, AMenuIsCentredOnTheScreenWithItemsInOrder) {
    auto i1 = item("1"), i2 = item("2"), i3 = item("3");
    auto menu = Menu::menuWithItems({i1, i2, i3, nullptr, item("never")});
    EXPECT_EQ(menu->position(), Point(160, 240));
    EXPECT_EQ(menu->contentSize(), Size(320, 480));
    EXPECT_FALSE(menu->relativeAnchorPoint());
    ASSERT_EQ(menu->children().size(), 3u);
    EXPECT_EQ(i3->zOrder(), 2);

    menu->alignItemsVerticallyWithPadding(10);
    EXPECT_EQ(i1->position(), Point(0, 40));
    EXPECT_EQ(i2->position(), Point(0, 0));
    EXPECT_EQ(i3->position(), Point(0, -40));

    i2->setScale(2); // 200 x 60
    menu->alignItemsHorizontally();
    EXPECT_EQ(i1->position(), Point(-155, 0));
    EXPECT_EQ(i2->position(), Point(0, 0));
    EXPECT_EQ(i3->position(), Point(155, 0));

    Director::sharedDirector().setDeviceOrientation(CCDeviceOrientationLandscapeLeft);
    auto wide = Menu::menuWithItems({});
    EXPECT_EQ(wide->position(), Point(240, 160));
    Director::sharedDirector().setDeviceOrientation(CCDeviceOrientationPortrait);
}

TEST_F(MenuTest, GridsOfRowsAndColumns) {
    std::vector<Ref<JournalItem>> items;
    for (int i = 0; i < 3; ++i) {
        items.push_back(item(std::to_string(i)));
        items.back()->setContentSize(Size(40, 20));
    }
    auto menu = Menu::menuWithItems({items[0], items[1], items[2]});
    // Columns of 2 and 1: 40 + 10 + 40 wide; items 5 apart in a column.
    menu->alignItemsInRows({2, 1});
    EXPECT_EQ(items[0]->position(), Point(-25, 12.5f));
    EXPECT_EQ(items[1]->position(), Point(-25, -12.5f));
    EXPECT_EQ(items[2]->position(), Point(25, 0));
    // Rows of 1 and 2: 20 + 10 + 20 high.
    menu->alignItemsInColumns({1, 2});
    EXPECT_EQ(items[0]->position(), Point(0, 15));
    EXPECT_EQ(items[1]->position(), Point(-22.5f, -15));
    EXPECT_EQ(items[2]->position(), Point(22.5f, -15));

    EXPECT_CC_ASSERT(menu->alignItemsInRows({3, 0}), "Can't have zero rows on a column");
    EXPECT_CC_ASSERT(menu->alignItemsInColumns({0, 3}), "Can't have zero columns on a row");
    EXPECT_CC_ASSERT(menu->alignItemsInRows({1, 1}),
                     "Too many menu items for the amount of rows/columns.");
    EXPECT_CC_ASSERT(menu->alignItemsInColumns({2, 2}),
                     "Too many rows/columns for available menu items.");
}

// --- item kinds ---

TEST_F(MenuTest, MisuseIsRefused) {
    EXPECT_CC_ERROR(make<Menu>(), "MenuInit", "Use initWithItems instead");
    EXPECT_CC_ERROR(make<MenuItem>(), "MenuItemInit", "Init not supported. Use InitFromString");
    auto menu = Menu::menuWithItems({});
    EXPECT_CC_ASSERT(menu->addChild(Node::node().get(), 0, 1),
                     "Menu only supports MenuItem objects as children");
    EXPECT_CC_ASSERT(MenuItemFont::itemFromString(""), "Value lenght must be greater than 0");
    EXPECT_CC_ASSERT(MenuItemAtlasFont::itemFromString("", "x.png", 8, 8, '0'),
                     "value lenght must be greater than 0");

    // Without a target or an operation there is nothing to call.
    auto silent = MenuItem::itemWithTarget(recorder.get(), MenuSelector());
    silent->activate();
    auto untargeted = MenuItem::itemWithTarget(nullptr, recorder->selector());
    untargeted->activate();
    EXPECT_TRUE(recorder->calls.empty());
    EXPECT_EQ(untargeted->target(), nullptr);
}

TEST_F(MenuTest, FontItemsShareOneFontSetting) {
    EXPECT_EQ(MenuItemFont::fontName(), "Marker Felt");
    EXPECT_EQ(MenuItemFont::fontSize(), 32);
    MenuItemFont::setFontSize(20);
    MenuItemFont::setFontName("Serif");
    auto item = MenuItemFont::itemFromString("Play", recorder.get(), recorder->selector());
    auto* label = dynamic_cast<Label*>(item->label());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->fontSize(), 20);
    EXPECT_EQ(label->fontName(), "Serif");
    EXPECT_EQ(item->contentSize(), label->contentSize());
    MenuItemFont::setFontSize(32);
    MenuItemFont::setFontName("Marker Felt");

    Size before = item->contentSize();
    item->setString("Play the longest game");
    EXPECT_GT(item->contentSize().width, before.width * 2);
    EXPECT_EQ(item->contentSize(), label->contentSize());

    item->activate();
    ASSERT_EQ(recorder->calls.size(), 1u);
    item->setOpacity(10);
    EXPECT_EQ(label->opacity(), 10);
    EXPECT_EQ(item->opacity(), 10);
}

TEST_F(MenuTest, AToggleMovesOnBeforeCallingItsTarget) {
    auto first = item("first"), second = item("second");
    second->setContentSize(Size(60, 40));
    std::vector<unsigned> seen;
    Ref<MenuItemToggle> toggle;
    auto selector = MenuSelector("toggled", [&](Object* sender) {
        EXPECT_EQ(sender, toggle.get());
        seen.push_back(toggle->selectedIndex());
    });
    toggle = MenuItemToggle::itemWithTarget(recorder.get(), selector, {first, second});
    EXPECT_EQ(toggle->selectedIndex(), 0u);
    EXPECT_EQ(toggle->getChildByTag(kCurrentItem), first.get());
    EXPECT_EQ(toggle->contentSize(), Size(100, 30));
    EXPECT_EQ(first->position(), Point(50, 15));

    toggle->activate();
    EXPECT_EQ(toggle->getChildByTag(kCurrentItem), second.get());
    EXPECT_EQ(toggle->children().size(), 1u);
    EXPECT_EQ(toggle->contentSize(), Size(60, 40));
    EXPECT_EQ(second->position(), Point(30, 20));
    toggle->activate();
    EXPECT_EQ(seen, (std::vector<unsigned>{1, 0}));
    EXPECT_EQ(toggle->selectedItem(), first.get());

    toggle->selected();
    toggle->unselected();
    EXPECT_EQ(journal, (Journal{"selected first", "unselected first"}));

    toggle->setIsEnabled(false);
    EXPECT_FALSE(first->isEnabled());
    EXPECT_FALSE(second->isEnabled());
    toggle->activate();
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(toggle->selectedIndex(), 0u);

    EXPECT_CC_ASSERT(MenuItemToggle::itemWithTarget(nullptr, MenuSelector(), {}),
                     "MenuItemToggle: needs at least one item");
}

TEST_F(MenuTest, AtlasSpriteItemsSwitchTheirPicturesVisibility) {
    writePng(dir.file("sheet.png"), 30, 10, [](int x, int) -> std::array<uint8_t, 4> {
        return {uint8_t(x < 10 ? 255 : 0), uint8_t(x >= 10 && x < 20 ? 255 : 0),
                uint8_t(x >= 20 ? 255 : 0), 255};
    });
    auto manager = AtlasSpriteManager::spriteManagerWithFile(dir.file("sheet.png"), 3);
    ASSERT_TRUE(manager);
    auto normal = manager->createSpriteWithRect(Rect(0, 0, 10, 10));
    auto selected = manager->createSpriteWithRect(Rect(10, 0, 10, 10));
    auto disabled = manager->createSpriteWithRect(Rect(20, 0, 10, 10));
    for (auto* s : {normal.get(), selected.get(), disabled.get()})
        manager->addChild(s);
    auto item = MenuItemAtlasSprite::itemFromNormalSprite(
        normal.get(), selected.get(), disabled.get(), recorder.get(), recorder->selector());
    auto shown = [&] {
        return std::vector<bool>{normal->visible(), selected->visible(), disabled->visible()};
    };
    EXPECT_EQ(shown(), (std::vector<bool>{true, false, false}));
    item->selected();
    EXPECT_EQ(shown(), (std::vector<bool>{false, true, false}));
    item->unselected();
    EXPECT_EQ(shown(), (std::vector<bool>{true, false, false}));
    item->setIsEnabled(false);
    EXPECT_EQ(shown(), (std::vector<bool>{false, false, true}));
    item->selected();
    EXPECT_EQ(shown(), (std::vector<bool>{false, false, true}));
    item->setIsEnabled(true);
    EXPECT_EQ(shown(), (std::vector<bool>{true, false, false}));

    item->setPosition(Point(50, 60));
    item->setScale(2);
    item->setRotation(30);
    for (auto* s : {normal.get(), selected.get(), disabled.get()}) {
        EXPECT_EQ(s->position(), Point(50, 60));
        EXPECT_EQ(s->scale(), 2);
        EXPECT_EQ(s->rotation(), 30);
    }
    EXPECT_EQ(item->contentSize(), Size(10, 10));

    // Without a disabled picture the normal one stands for it.
    auto plain = MenuItemAtlasSprite::itemFromNormalSprite(normal.get(), selected.get());
    plain->setIsEnabled(false);
    EXPECT_TRUE(normal->visible());
    EXPECT_FALSE(selected->visible());
}

TEST_F(MenuTest, ImageItemsDrawThePictureOfTheirState) {
    auto solid = [&](const char* name, std::array<uint8_t, 4> c) {
        writePng(dir.file(name), 10, 10, [c](int, int) { return c; });
        return dir.file(name);
    };
    auto item = MenuItemImage::itemFromNormalImage(
        solid("n.png", {255, 0, 0, 255}), solid("s.png", {0, 255, 0, 255}),
        solid("d.png", {0, 0, 255, 255}), recorder.get(), recorder->selector());
    auto noDisabled = MenuItemImage::itemFromNormalImage(dir.file("n.png"), dir.file("s.png"));
    EXPECT_EQ(item->contentSize(), Size(10, 10));
    item->setAnchorPoint(Point(0, 0));
    noDisabled->setAnchorPoint(Point(0, 0));
    noDisabled->setPosition(Point(10, 0));
    noDisabled->setIsEnabled(false);

    auto colourIn = [&](bool select, bool enable) {
        if (select)
            item->selected();
        else
            item->unselected();
        item->setIsEnabled(enable);
        auto surface = surface2D(20, 10, kBlack);
        item->visit();
        noDisabled->visit();
        endDrawing();
        Pixels px = Pixels::of(*surface);
        EXPECT_TRUE(near(px.at(15, 5), {255, 0, 0}, 3));
        return std::vector<int>{px.at(5, 5)[0], px.at(5, 5)[1], px.at(5, 5)[2]};
    };
    EXPECT_EQ(colourIn(false, true), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(colourIn(true, true), (std::vector<int>{0, 255, 0}));
    EXPECT_EQ(colourIn(true, false), (std::vector<int>{0, 0, 255}));

    item->setOpacity(128);
    EXPECT_EQ(item->opacity(), 128);
    EXPECT_EQ(static_cast<Sprite*>(item->disabledImage())->opacity(), 128);
}

// --- on screen ---

TEST_F(MenuTest, PictureOfAMenuOfLabels) {
    platform::RunLoop::main().reset();
    platform::RunLoop::main().setVirtualClock(&clock_);
    platform::setSystemVersion("3.1");
    Director& director = Director::sharedDirector();
    ASSERT_TRUE(director.attachInView(window_));

    std::string fnt = writeTestFont(dir);
    std::vector<Ref<MenuItem>> items;
    for (const char* text : {"AAA", "BBBBB", "WCW"}) {
        auto label = BitmapFontAtlas::bitmapFontAtlasWithString(text, fnt);
        ASSERT_TRUE(label);
        items.push_back(
            MenuItemLabel::itemWithLabel(label.get(), recorder.get(), recorder->selector()));
    }
    items[2]->setIsEnabled(false); // grey: white becomes (126, 126, 126)
    auto menu = Menu::menuWithItems(items);
    menu->alignItemsVerticallyWithPadding(14); // 16 high: at y 30, 0, -30
    auto scene = Scene::node();
    scene->addChild(menu.get());
    director.runWithScene(scene.get());
    clock_.advance(1.0 / 60);
    director.mainLoop();

    platform::Image img = window_->lastFrame();
    ASSERT_EQ(img.width, 320);
    if (const char* keep = std::getenv("NEBULARK_PICTURES")) {
        platform::writePng(std::string(keep) + "/menu.png", img);
    }
    auto at = [&](int x, int y) {
        return img.rgba.data() + (size_t(479 - y) * size_t(img.width) + size_t(x)) * 4;
    };
    // "AAA" is 30 wide centred on (160, 270): glyphs at 145..153, 155..163.
    EXPECT_TRUE(near(at(149, 270), {255, 0, 0}, 3));
    EXPECT_TRUE(near(at(154, 270), {0, 0, 0}, 3));
    EXPECT_TRUE(near(at(143, 270), {0, 0, 0}, 3));
    EXPECT_TRUE(near(at(159, 270), {255, 0, 0}, 3));
    // "BBBBB" is 50 wide on (160, 240).
    EXPECT_TRUE(near(at(139, 240), {0, 255, 0}, 3));
    EXPECT_TRUE(near(at(179, 240), {0, 255, 0}, 3));
    EXPECT_TRUE(near(at(160, 250), {0, 0, 0}, 3));
    // "WCW" disabled: 30 wide on (160, 210); the blue glyph tinted grey.
    EXPECT_TRUE(near(at(149, 210), {126, 126, 126}, 3));
    EXPECT_TRUE(near(at(159, 210), {0, 0, 126}, 3));

    // A tap on the middle one calls it; the selection grows it on screen.
    auto t = touchAt(Point(160, 240));
    begin(t.get());
    clock_.advance(1.0 / 60);
    director.mainLoop();
    clock_.advance(0.2);
    director.mainLoop();
    img = window_->lastFrame();
    EXPECT_TRUE(near(at(133, 240), {0, 255, 0}, 3)); // 1.2 x 50 = 60 wide
    end(t.get());
    ASSERT_EQ(recorder->calls.size(), 1u);
    EXPECT_EQ(recorder->calls[0], items[1].get());

    director.end();
    Director::purgeSharedDirector();
    platform::RunLoop::main().reset();
    platform::RunLoop::main().setVirtualClock(nullptr);
}
