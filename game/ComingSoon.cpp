#include "game/ComingSoon.h"

#include "engine/Director.h"
#include "engine/Layer.h"
#include "engine/TransitionScene.h"
#include "game/HelloWorld.h"
#include "game/QBButtonNode.h"
#include "render/Label.h"
#include "render/Sprite.h"
#include "render/TextureMgr.h"

namespace {

class ComingSoonLayer : public Layer, public QBButtonDelegate {
public:
    explicit ComingSoonLayer(const std::string& title) {
        Ref<Sprite> background = Sprite::spriteWithFile("stars.png");
        background->setAnchorPoint(Point(0, 0));
        addChild(background.get(), 0);

        Ref<Label> heading = Label::labelWithString(title, "Marker Felt", 50);
        heading->setColor(ccc3(1, 0, 210));
        heading->setPosition(Point(160, 280));
        addChild(heading.get(), 1);
        Ref<Label> soon = Label::labelWithString("Coming soon", "Marker Felt", 30);
        soon->setPosition(Point(160, 210));
        addChild(soon.get(), 1);

        backButton_ = QBButtonNode::spriteWithFile("back1.png");
        backButton_->setPosition(Point(40, 460));
        backButton_->setDelegate(this);
        addChild(backButton_.get(), 0);
    }

    void didPressDown() override { show("back1.png"); }
    void stoppedPressing() override { show("back2.png"); }
    void didPressButton() override {
        Director::sharedDirector().replaceScene(
            FadeTransition::transitionWithDuration(0.5f, HelloWorld::scene().get()).get());
    }

private:
    void show(const char* image) {
        if (Ref<Texture2D> texture = TextureMgr::sharedTextureMgr().addImage(image)) {
            backButton_->setTexture(texture.get());
            texture->setAliasTexParameters();
        }
    }

    Ref<QBButtonNode> backButton_;
};

} // namespace

Ref<Scene> comingSoonScene(const std::string& title) {
    Ref<Scene> scene = Scene::node();
    scene->addChild(make<ComingSoonLayer>(title).get());
    return scene;
}
