// The engine's extras, one screen each: drawing into a texture, the grid
// effects, the grid transitions, a camera, parallax scrolling, motion
// streaks, tile maps (TMX orthogonal and isometric, and a TGA map) and the
// TrueType font the game ships, in that order and round again.
// A tap, Enter, Space or the right arrow goes on to the next screen.
#include "engine/Director.h"
#include "engine/InstantAction.h"
#include "engine/IntervalAction.h"
#include "engine/Layer.h"
#include "engine/ParallaxNode.h"
#include "engine/TouchDispatcher.h"
#include "game/RectManager.h"
#include "platform/Keyboard.h"
#include "render/AtlasSpriteManager.h"
#include "render/GridEffects.h"
#include "render/GridTransitions.h"
#include "render/Label.h"
#include "render/RenderTexture.h"
#include "render/Ribbon.h"
#include "render/TMXTiledMap.h"
#include "render/TileEffects.h"
#include "render/TileMapAtlas.h"
#include "support/PointExtensions.h"
#include "support/Types.h"

#include <cmath>
#include <functional>
#include <string>

namespace {

constexpr const char* kFont = "Helvetica";

Ref<Scene> makeScreen(int index);

// A screen of the demo: a title, a line of help, and the way on.
class ExtrasScreen : public Scene, public TargetedTouchDelegate, public platform::KeyResponder {
public:
    ExtrasScreen(int index, const std::string& title) : index_(index) {
        Size s = Director::sharedDirector().winSize();
        stage_ = Node::node();
        addChild(stage_.get(), 0);
        title_ = Label::labelWithString(title, kFont, 20);
        title_->setPosition(Point(s.width / 2, s.height - 22));
        addChild(title_.get(), 10);
        auto help = Label::labelWithString("tap for the next", kFont, 12);
        help->setPosition(Point(s.width / 2, 14));
        help->setOpacity(160);
        addChild(help.get(), 10);
    }

    void onEnter() override {
        Scene::onEnter();
        TouchDispatcher::sharedDispatcher().addTargetedDelegate(this, 0, false);
        platform::Keyboard::shared().addResponder(this);
    }
    void onExit() override {
        TouchDispatcher::sharedDispatcher().removeDelegate(this);
        platform::Keyboard::shared().removeResponder(this);
        Scene::onExit();
        // Screens are made afresh each time: this one's timers and actions
        // would otherwise keep it alive.
        cleanup();
    }

    bool ccTouchBegan(Touch*, Event*) override { return true; }
    void ccTouchEnded(Touch*, Event*) override { next(); }
    void ccTouchCancelled(Touch*, Event*) override {}
    bool keyDown(const std::string& key) override {
        if (key != "return" && key != "space" && key != "right") return false;
        next();
        return true;
    }

protected:
    void next() {
        if (leaving_) return;
        leaving_ = true;
        Director::sharedDirector().replaceScene(
            FadeTransition::transitionWithDuration(0.4f, makeScreen(index_ + 1).get()).get());
    }
    void setTitle(const std::string& title) { title_->setString(title); }

    int index_;
    bool leaving_ = false;
    Ref<Node> stage_;
    Ref<Label> title_;
};

// Moves by `offset` and back, over and over.
Ref<RepeatForever> backAndForth(Point offset, float seconds) {
    return RepeatForever::actionWithAction(
        Sequence::actionOne(MoveBy::actionWithDuration(seconds, offset).get(),
                            MoveBy::actionWithDuration(seconds, ccpNeg(offset)).get())
            .get());
}

// The starfield and a few ships of the game's sprite sheet, into `node`.
void addSpaceScenery(Node* node) {
    Size s = Director::sharedDirector().winSize();
    if (auto stars = Sprite::spriteWithFile("stars.png")) {
        stars->setAnchorPoint(Point(0, 0));
        node->addChild(stars.get(), -1);
    }
    auto sheet = AtlasSpriteManager::spriteManagerWithFile("texture.png", 8);
    if (!sheet) return;
    node->addChild(sheet.get());
    const char* names[] = {"Spaceship.png", "ship.png", "ship-bad.png", "asteroid.png"};
    const Point places[] = {{s.width / 2, 110}, {90, 330}, {230, 360}, {200, 230}};
    for (int i = 0; i < 4; ++i) {
        auto sprite = AtlasSprite::spriteWithRect(
            RectManager::sharedRectMgr().frameForSprite(names[i], "coordinates"), sheet.get());
        sprite->setPosition(places[i]);
        sheet->addChild(sprite.get());
    }
}

// --- drawing into a texture ---

class RenderTextureScreen : public ExtrasScreen {
public:
    explicit RenderTextureScreen(int index) : ExtrasScreen(index, "Render to texture") {
        Size s = Director::sharedDirector().winSize();
        canvas_ = RenderTexture::renderTextureWithWidthAndHeight(280, 280);
        brush_ = Sprite::spriteWithFile("fire.png");
        if (!canvas_ || !brush_) return;
        canvas_->clear(0.05f, 0.05f, 0.12f, 1);
        canvas_->setPosition(Point(s.width / 2, s.height / 2 + 20));
        stage_->addChild(canvas_.get());
        // The same picture, as any sprite's texture.
        auto copy = Sprite::spriteWithTexture(canvas_->texture());
        copy->setScale(0.3f);
        copy->setPosition(Point(s.width - 55, 70));
        copy->runAction(
            RepeatForever::actionWithAction(RotateBy::actionWithDuration(6, 360).get()).get());
        stage_->addChild(copy.get());
        schedule(ccSelector(this, &RenderTextureScreen::paint));
    }

    void paint(float dt) {
        time_ += dt;
        canvas_->begin();
        // A rose curve, drawn a few dabs a frame in a changing colour.
        for (int i = 0; i < 4; ++i) {
            float t = time_ * 0.7f + float(i) * 0.004f;
            float r = 120 * std::sin(3 * t);
            brush_->setPosition(Point(140 + r * std::cos(t), 140 + r * std::sin(t)));
            brush_->setColor(ccColor3BFromHSV(std::fmod(time_ * 0.1f, 1.0f), 0.8f, 1));
            brush_->setScale(0.5f);
            brush_->visit();
        }
        canvas_->end();
    }

private:
    Ref<RenderTexture> canvas_;
    Ref<Sprite> brush_;
    float time_ = 0;
};

// --- grid effects ---

struct Effect {
    const char* name;
    std::function<Ref<IntervalAction>()> make;
};

const Effect kEffects[] = {
    {"Waves3D", [] { return Waves3D::actionWithWaves(4, 30, ccg(15, 10), 3); }},
    {"Ripple3D",
     [] { return Ripple3D::actionWithPosition(Point(160, 240), 240, 4, 60, ccg(32, 24), 3); }},
    {"Lens3D", [] { return Lens3D::actionWithPosition(Point(160, 240), 110, ccg(32, 24), 3); }},
    {"Liquid", [] { return Liquid::actionWithWaves(4, 20, ccg(16, 12), 3); }},
    {"Waves", [] { return Waves::actionWithWaves(4, 20, true, true, ccg(16, 12), 3); }},
    {"Twirl", [] { return Twirl::actionWithPosition(Point(160, 240), 1, 160, ccg(24, 32), 3); }},
    {"Shaky3D", [] { return Shaky3D::actionWithRange(4, false, ccg(15, 10), 3); }},
    {"ShakyTiles3D", [] { return ShakyTiles3D::actionWithRange(4, false, ccg(16, 12), 3); }},
    {"ShuffleTiles", [] { return ShuffleTiles::actionWithSeed(25, ccg(16, 12), 3); }},
    {"FadeOutTRTiles", [] { return FadeOutTRTiles::actionWithSize(ccg(16, 24), 3); }},
    {"FadeOutBLTiles", [] { return FadeOutBLTiles::actionWithSize(ccg(16, 24), 3); }},
    {"FadeOutUpTiles", [] { return FadeOutUpTiles::actionWithSize(ccg(16, 24), 3); }},
    {"FadeOutDownTiles", [] { return FadeOutDownTiles::actionWithSize(ccg(16, 24), 3); }},
    {"TurnOffTiles", [] { return TurnOffTiles::actionWithSeed(25, ccg(16, 24), 3); }},
    {"WavesTiles3D", [] { return WavesTiles3D::actionWithWaves(4, 60, ccg(16, 24), 3); }},
    {"JumpTiles3D", [] { return JumpTiles3D::actionWithJumps(2, 30, ccg(16, 24), 3); }},
    {"SplitRows", [] { return SplitRows::actionWithRows(9, 3); }},
    {"SplitCols", [] { return SplitCols::actionWithCols(9, 3); }},
    {"PageTurn3D", [] { return PageTurn3D::actionWithSize(ccg(16, 24), 3); }},
};

class GridScreen : public ExtrasScreen {
public:
    explicit GridScreen(int index) : ExtrasScreen(index, "Grid effects") {
        addSpaceScenery(stage_.get());
        play(0);
        schedule(ccSelector(this, &GridScreen::advance), 3.5f);
    }

    void advance(float) { play((current_ + 1) % int(std::size(kEffects))); }

private:
    void play(int i) {
        current_ = i;
        setTitle(kEffects[i].name);
        stage_->stopAllActions();
        // Each effect ends where it was taken: the next starts flat.
        stage_->runAction(
            Sequence::actions(
                {kEffects[i].make(), DelayTime::actionWithDuration(0.4f), StopGrid::action()})
                .get());
    }
    int current_ = 0;
};

// --- grid transitions: cards handing over to one another ---

using MakeTransition = std::function<Ref<TransitionScene>(Scene*)>;
const std::pair<const char*, MakeTransition> kGridTransitions[] = {
    {"FadeTRTransition", [](Scene* s) { return FadeTRTransition::transitionWithDuration(1, s); }},
    {"FadeBLTransition", [](Scene* s) { return FadeBLTransition::transitionWithDuration(1, s); }},
    {"FadeUpTransition", [](Scene* s) { return FadeUpTransition::transitionWithDuration(1, s); }},
    {"FadeDownTransition",
     [](Scene* s) { return FadeDownTransition::transitionWithDuration(1, s); }},
    {"TurnOffTilesTransition",
     [](Scene* s) { return TurnOffTilesTransition::transitionWithDuration(1, s); }},
    {"SplitColsTransition",
     [](Scene* s) { return SplitColsTransition::transitionWithDuration(1.2f, s); }},
    {"SplitRowsTransition",
     [](Scene* s) { return SplitRowsTransition::transitionWithDuration(1.2f, s); }},
    {"PageTurnTransition",
     [](Scene* s) { return PageTurnTransition::transitionWithDuration(1.5f, s); }},
    {"PageTurnTransition back",
     [](Scene* s) { return PageTurnTransition::transitionWithDuration(1.5f, s, true); }},
};

class TransitionCard : public ExtrasScreen {
public:
    // Titled with the transition that brought it in.
    TransitionCard(int index, int step)
        : ExtrasScreen(
              index, step == 0
                         ? "Grid transitions"
                         : kGridTransitions[size_t(step - 1) % std::size(kGridTransitions)].first),
          step_(step) {
        Size s = Director::sharedDirector().winSize();
        const ccColor4B looks[] = {ccc4(120, 30, 20, 255), ccc4(15, 40, 110, 255)};
        stage_->addChild(ColorLayer::layerWithColor(looks[step % 2]).get(), -1);
        auto card = ColorLayer::layerWithColor(ccc4(240, 200, 90, 255), 200, 200);
        card->setPosition(Point((s.width - 200) / 2, (s.height - 200) / 2));
        stage_->addChild(card.get());
        schedule(ccSelector(this, &TransitionCard::handOver), 2);
    }

    void handOver(float) {
        unschedule("handOver");
        if (leaving_) return;
        leaving_ = true;
        auto next = make<TransitionCard>(index_, step_ + 1);
        const MakeTransition& transition =
            kGridTransitions[size_t(step_) % std::size(kGridTransitions)].second;
        Director::sharedDirector().replaceScene(transition(next.get()).get());
    }

private:
    int step_;
};

// --- a camera ---

class CameraScreen : public ExtrasScreen {
public:
    explicit CameraScreen(int index) : ExtrasScreen(index, "Camera") {
        addSpaceScenery(stage_.get());
        schedule(ccSelector(this, &CameraScreen::orbit));
    }

    void orbit(float dt) {
        time_ += dt;
        Size s = Director::sharedDirector().winSize();
        // The eye swings round the screen's centre, keeping its distance.
        float yaw = 0.6f * std::sin(time_ * 0.9f), pitch = 0.4f * std::sin(time_ * 0.6f);
        float z = Camera::getZEye();
        Camera* camera = stage_->camera();
        camera->setCenter(s.width / 2, s.height / 2, 0);
        camera->setEye(s.width / 2 + z * std::sin(yaw) * std::cos(pitch),
                       s.height / 2 + z * std::sin(pitch), z * std::cos(yaw) * std::cos(pitch));
        camera->setUp(0, 1, 0);
    }

private:
    float time_ = 0;
};

// --- parallax ---

class ParallaxScreen : public ExtrasScreen {
public:
    explicit ParallaxScreen(int index) : ExtrasScreen(index, "Parallax") {
        auto parallax = ParallaxNode::node();
        // Two starfields side by side: the far layer moves a little.
        for (float x : {0.0f, 320.0f})
            if (auto far = Sprite::spriteWithFile("stars.png")) {
                far->setAnchorPoint(Point(0, 0));
                parallax->addChild(far.get(), -1, Point(0.2f, 0), Point(x, 0));
            }
        auto sheet = AtlasSpriteManager::spriteManagerWithFile("texture.png", 16);
        auto near = AtlasSpriteManager::spriteManagerWithFile("texture.png", 16);
        if (sheet && near) {
            for (int i = 0; i < 10; ++i) {
                auto rock = AtlasSprite::spriteWithRect(
                    RectManager::sharedRectMgr().frameForSprite("asteroid.png", "coordinates"),
                    sheet.get());
                rock->setPosition(Point(40.0f + 70 * float(i), 150.0f + 40 * float(i % 4)));
                rock->setScale(0.6f);
                sheet->addChild(rock.get());
                auto ship = AtlasSprite::spriteWithRect(
                    RectManager::sharedRectMgr().frameForSprite("ship.png", "coordinates"),
                    near.get());
                ship->setPosition(Point(60.0f + 110 * float(i), 330.0f + 30 * float(i % 3)));
                near->addChild(ship.get());
            }
            parallax->addChild(sheet.get(), 1, Point(0.6f, 0), Point(0, 0));
            parallax->addChild(near.get(), 2, Point(1.3f, 0), Point(0, 0));
        }
        stage_->addChild(parallax.get());
        parallax->runAction(backAndForth(Point(-300, 0), 4).get());
    }
};

// --- motion streaks ---

class StreakScreen : public ExtrasScreen {
public:
    explicit StreakScreen(int index) : ExtrasScreen(index, "Motion streak") {
        const ccColor4B colors[] = {ccc4(120, 200, 255, 255), ccc4(255, 140, 60, 255)};
        for (int i = 0; i < 2; ++i) {
            streaks_[i] = MotionStreak::streakWithFade(0.8f, 4, "streak.png", 14, 64, colors[i]);
            if (streaks_[i]) stage_->addChild(streaks_[i].get());
        }
        schedule(ccSelector(this, &StreakScreen::fly));
    }

    void fly(float dt) {
        time_ += dt;
        Size s = Director::sharedDirector().winSize();
        for (int i = 0; i < 2; ++i) {
            if (!streaks_[i]) continue;
            float t = time_ * 1.4f + float(i) * 3.14159f;
            streaks_[i]->setPosition(Point(s.width / 2 + 120 * std::sin(t),
                                           s.height / 2 + 160 * std::sin(2 * t) * 0.8f));
        }
    }

private:
    Ref<MotionStreak> streaks_[2];
    float time_ = 0;
};

// --- tile maps ---

class TMXScreen : public ExtrasScreen {
public:
    TMXScreen(int index, const char* file, const char* title) : ExtrasScreen(index, title) {
        Size s = Director::sharedDirector().winSize();
        map_ = TMXTiledMap::tiledMapWithTMXFile(file);
        if (!map_) {
            setTitle(std::string(title) + ": no map");
            return;
        }
        stage_->addChild(map_.get());
        Size m = map_->contentSize();
        if (m.width <= s.width) {
            map_->setPosition(Point((s.width - m.width) / 2, (s.height - m.height) / 2));
            return;
        }
        // Drift over the map from its middle.
        map_->setPosition(Point(-(m.width - s.width) / 2, -(m.height - s.height) / 2));
        map_->runAction(backAndForth(Point(-600, 300), 6).get());
    }

private:
    Ref<TMXTiledMap> map_;
};

class TGAMapScreen : public ExtrasScreen {
public:
    explicit TGAMapScreen(int index) : ExtrasScreen(index, "TGA tile map") {
        auto map =
            TileMapAtlas::tileMapAtlasWithTileFile("maps/tiles.png", "maps/asteroids.tga", 32, 32);
        if (!map) {
            setTitle("TGA tile map: no map");
            return;
        }
        stage_->addChild(map.get());
        map->runAction(backAndForth(Point(-1700, -1000), 5).get());
    }
};

// --- the shipped font ---

class FontScreen : public ExtrasScreen {
public:
    explicit FontScreen(int index) : ExtrasScreen(index, "Shipped TrueType font") {
        Size s = Director::sharedDirector().winSize();
        const struct {
            const char* text;
            const char* font;
            float size;
        } lines[] = {
            {"NEBULARK PIXEL", "Nebulark Pixel", 28},
            {"Score 012345", "Nebulark Pixel", 24},
            {"fonts/NebularkPixel.ttf", "Nebulark Pixel", 16},
            {"The same in the system's font:", kFont, 14},
            {"Score 012345", kFont, 24},
        };
        float y = s.height - 110;
        for (const auto& line : lines) {
            auto label = Label::labelWithString(line.text, line.font, line.size);
            label->setPosition(Point(s.width / 2, y));
            stage_->addChild(label.get());
            y -= line.size + 26;
        }
    }
};

Ref<Scene> makeScreen(int index) {
    switch (index % 10) {
    case 0:
        return make<RenderTextureScreen>(index);
    case 1:
        return make<GridScreen>(index);
    case 2:
        return make<TransitionCard>(index, 0);
    case 3:
        return make<CameraScreen>(index);
    case 4:
        return make<ParallaxScreen>(index);
    case 5:
        return make<StreakScreen>(index);
    case 6:
        return make<TMXScreen>(index, "maps/station.tmx", "TMX map");
    case 7:
        return make<TMXScreen>(index, "maps/iso.tmx", "Isometric TMX map");
    case 8:
        return make<FontScreen>(index);
    default:
        return make<TGAMapScreen>(index);
    }
}

} // namespace

// One screen per extra, a tap going on to the next.
Ref<Scene> makeExtrasScene() {
    return makeScreen(0);
}
