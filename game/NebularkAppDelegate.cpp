#include "game/NebularkAppDelegate.h"

#include "ads/XWBannerManager.h"
#include "engine/Director.h"
#include "game/GameNotifications.h"
#include "game/SplashLayer.h"
#include "platform/Clock.h"
#include "platform/GL.h"
#include "platform/Options.h"
#include "render/RenderHooks.h"
#include "render/Sprite.h"
#include "render/Texture2D.h"
#include "render/TextureMgr.h"
#include "screens/QNNotificationManager.h"

#include <cstdlib>

NebularkAppDelegate::NebularkAppDelegate(Ref<platform::Window> window)
    : window_(std::move(window)) {}

NebularkAppDelegate::~NebularkAppDelegate() {
    if (notifyCenter_) notifyCenter_->removeObserver(this);
    Director::setDrawAfterSceneHook(nullptr);
    // Its banner's textures go while there is still a GL context.
    QNNotificationManager::purgeSharedMgr();
    XWBannerManager::purgeSharedManager();
    if (Director* director = Director::existingDirector()) {
        if (director->runningScene() || director->isOpenGLAttached()) director->end();
        Director::purgeSharedDirector();
    }
    window_ = nullptr;
}

void NebularkAppDelegate::applicationDidFinishLaunching() {
    canOpenNotif_ = false;
    canOpenNewWindow_ = true;

    // Seeded with the time, unless a run is to be repeated (--seed).
    platform::TimeOfDay now;
    platform::clock().timeOfDay(now);
    const auto& seed = platform::options().seed;
    srandom(seed ? *seed : unsigned(now.seconds));

    if (!window_) window_ = platform::Window::create(Rect(0, 0, 320, 480));
    if (!window_) {
        platform::Application::shared().terminate();
        return;
    }
    window_->setUserInteractionEnabled(true);
    window_->setMultipleTouchEnabled(true);

    if (!Director::setDirectorType(CCDirectorTypeDisplayLink))
        Director::setDirectorType(CCDirectorTypeThreadMainLoop);
    Director& director = Director::sharedDirector();
    director.setPixelFormat(1);
    // Attaching the view below sets the 3D projection, which stays.
    director.setProjection(0);
    director.setDeviceOrientation(CCDeviceOrientationPortrait);
    director.setDisplayFPS(false);
    Texture2D::setDefaultAlphaPixelFormat(PixelFormat::RGBA8888);
    registerRenderHooks();
    director.attachInView(window_.get());

    // The launch picture, on screen before the first scene is drawn.
    {
        Ref<Sprite> launch = Sprite::spriteWithFile("Default.png");
        launch->setAnchorPoint(Point(0, 0));
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        launch->draw();
        director.openGLView()->swapBuffers();
    }
    window_->makeKeyAndVisible();

    QNNotificationManager::sharedMgr();
    Director::setDrawAfterSceneHook([] { QNNotificationManager::sharedMgr().visit(); });

    notifyCenter_ = &platform::NotificationCenter::defaultCenter();
    notifyCenter_->addObserver(this, ccSelector(this, &NebularkAppDelegate::trackNotifications),
                               std::nullopt);

    // The ad strip hangs from the GL view.
    {
        Ref<platform::ViewController> adController = make<platform::ViewController>();
        adController->setView(director.openGLView());
        XWBannerManager::sharedManager().addAdsToViewController(adController.get());
    }

    if (startScreen_) {
        director.runWithScene(startScreen_->make().get());
        if (startScreen_->notification)
            notifyCenter_->postNotificationName(startScreen_->notification);
        return;
    }
    HelloWorld* menu = mainScene();
    menu->addChild(SplashLayer::node().get(), 1000);
    // The menu layer is what runs, in a scene of its own.
    Ref<Scene> scene = Scene::node();
    scene->addChild(menu);
    director.runWithScene(scene.get());
}

void NebularkAppDelegate::applicationWillResignActive() { Director::sharedDirector().pause(); }

void NebularkAppDelegate::applicationDidBecomeActive() { Director::sharedDirector().resume(); }

void NebularkAppDelegate::applicationDidReceiveMemoryWarning() {
    TextureMgr::sharedTextureMgr().removeAllTextures();
}

void NebularkAppDelegate::applicationWillTerminate() { Director::sharedDirector().end(); }

void NebularkAppDelegate::applicationSignificantTimeChange() {
    Director::sharedDirector().setNextDeltaTimeZero(true);
}

void NebularkAppDelegate::dashboardWillAppear() { Director::sharedDirector().pause(); }

void NebularkAppDelegate::dashboardDidDisappear() { Director::sharedDirector().resume(); }

HelloWorld* NebularkAppDelegate::mainScene() {
    if (!mainScene_) mainScene_ = HelloWorld::node();
    return mainScene_.get();
}

void NebularkAppDelegate::trackNotifications(platform::Notification* notification) {
    const std::string& name = notification->name();
    if (name == kSettingsNotification) {
        if (!canOpenNewWindow_) return;
        canOpenNewWindow_ = false;
        set_ = make<Settings>();
        showUIViewController(set_.get());
    } else if (name == kHighScoresNotification) {
        // One at a time: a second one would be left over the GL view for good.
        if (high12_) return;
        high12_ = make<High>();
        showUIViewController(high12_.get());
    } else if (name == kSettingsLeaveNotification) {
        Ref<Settings> screen = std::move(set_);
        leave(screen.get());
    } else if (name == kRemoveHighScoresNotification) {
        Ref<High> screen = std::move(high12_);
        leave(screen.get());
    }
}

void NebularkAppDelegate::leave(platform::ViewController* screen) {
    Director::sharedDirector().replaceScene(HelloWorld::scene().get());
    hideUIViewController(screen);
}

void NebularkAppDelegate::beginFlip(const char* animationID, bool cache) {
    platform::View::beginAnimations(animationID, nullptr);
    platform::View::setAnimationDuration(kFlipSeconds);
    platform::View::setAnimationDelegate(this);
    platform::View::setAnimationDidStopSelector(ccSelector(this, &NebularkAppDelegate::animDone));
    platform::View::setAnimationTransition(platform::ViewAnimationTransition::FlipFromLeft,
                                           Director::sharedDirector().openGLView(), cache);
}

void NebularkAppDelegate::showUIViewController(platform::ViewController* controller) {
    canOpenNotif_ = true;
    beginFlip("show", false);
    if (controller) Director::sharedDirector().openGLView()->addSubview(controller->view());
    platform::View::commitAnimations();
    Director::sharedDirector().pause();
}

void NebularkAppDelegate::hideUIViewController(platform::ViewController* controller) {
    canOpenNotif_ = false;
    beginFlip("hide", true);
    if (controller && controller->isViewLoaded()) controller->view()->removeFromSuperview();
    platform::View::commitAnimations();
    canOpenNewWindow_ = true;
}

void NebularkAppDelegate::animDone(const std::string& animationID, bool, void*) {
    if (animationID == "hide") {
        Director::sharedDirector().resume();
        return;
    }
    // While a platform screen is up the GL side holds nothing. A screen left
    // before its flip in ended has already set the next main menu.
    if (canOpenNotif_) Director::sharedDirector().replaceScene(Scene::node().get());
}
