#include "tools/nebulark/SpineDemo.h"

#include "engine/Director.h"
#include "engine/Layer.h"
#include "render/RenderHooks.h"

#include <cmath>

void EngineDemoDelegate::applicationDidFinishLaunching() {
    window_ = platform::Window::create(Rect(0, 0, 320, 480));
    if (!window_) {
        platform::Application::shared().terminate();
        return;
    }
    if (!Director::setDirectorType(CCDirectorTypeDisplayLink))
        Director::setDirectorType(CCDirectorTypeThreadMainLoop);
    Director& director = Director::sharedDirector();
    director.setPixelFormat(1);
    director.setDeviceOrientation(CCDeviceOrientationPortrait);
    registerRenderHooks();
    director.attachInWindow(window_.get());
    window_->makeKeyAndVisible();
    director.runWithScene(makeScene_().get());
}

void EngineDemoDelegate::applicationWillResignActive() { Director::sharedDirector().pause(); }

void EngineDemoDelegate::applicationDidBecomeActive() { Director::sharedDirector().resume(); }

void EngineDemoDelegate::applicationWillTerminate() {
    Director::sharedDirector().end();
    Director::purgeSharedDirector();
    window_ = nullptr;
}

void EngineDemoDelegate::applicationSignificantTimeChange() {
    Director::sharedDirector().setNextDeltaTimeZero(true);
}

namespace {

// A coloured square that turns at its own speed and breathes in size.
class Spinner : public ColorLayer {
public:
    Spinner(ccColor4B colour, float size, float degreesPerSecond)
        : ColorLayer(colour, size, size), speed_(degreesPerSecond) {
        setRelativeAnchorPoint(true);
        schedule(ccSelector(this, &Spinner::turn));
        schedule(ccSelector(this, &Spinner::breathe), 0.05f);
    }

    void turn(float dt) { setRotation(std::fmod(rotation() + speed_ * dt, 360.0f)); }

    void breathe(float dt) {
        phase_ += dt;
        setScale(1.0f + 0.25f * std::sin(phase_ * 2.0f));
    }

private:
    float speed_;
    float phase_ = 0;
};

// A panel with a spinner and a moon circling it.
Ref<Node> panel(ccColor4B background, ccColor4B colour, Point at, float speed) {
    auto layer = ColorLayer::layerWithColor(background, 140, 140);
    layer->setPosition(at);
    auto spinner = make<Spinner>(colour, 50, speed);
    spinner->setPosition(Point(70, 70));
    auto moon = make<Spinner>(ccc4(240, 240, 240, 255), 14, -3 * speed);
    moon->setPosition(Point(60, 25));
    spinner->addChild(moon.get());
    layer->addChild(spinner.get());
    return layer;
}

} // namespace

Ref<Scene> makeSpineScene() {
    auto scene = Scene::node();
    auto background = ColorLayer::layerWithColor(ccc4(12, 18, 48, 255));
    scene->addChild(background.get(), -1);
    scene->addChild(panel(ccc4(40, 20, 60, 255), ccc4(230, 70, 70, 255), Point(10, 260), 90).get());
    scene->addChild(panel(ccc4(20, 50, 40, 255), ccc4(70, 210, 110, 255), Point(170, 260), -60).get());
    scene->addChild(panel(ccc4(20, 30, 70, 255), ccc4(80, 130, 240, 255), Point(10, 80), 45).get());
    scene->addChild(panel(ccc4(60, 50, 20, 255), ccc4(240, 210, 70, 255), Point(170, 80), -120).get());
    // A translucent band across the middle shows blending over the panels.
    auto band = ColorLayer::layerWithColor(ccc4(255, 255, 255, 60), 320, 40);
    band->setPosition(Point(0, 230));
    scene->addChild(band.get(), 1);
    return scene;
}
