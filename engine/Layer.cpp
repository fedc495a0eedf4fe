#include "engine/Layer.h"

#include "engine/Director.h"
#include "engine/TouchDispatcher.h"
#include "platform/GL.h"
#include "support/Error.h"

namespace {
void centreOnScreen(Node* node) {
    node->setRelativeAnchorPoint(false);
    node->setAnchorPoint(Point(0.5f, 0.5f));
    node->setContentSize(Director::sharedDirector().winSize());
}
} // namespace

// --- Scene ---

Ref<Scene> Scene::node() { return make<Scene>(); }

Scene::Scene() { centreOnScreen(this); }

// --- Layer ---

Ref<Layer> Layer::node() { return make<Layer>(); }

Layer::Layer() { centreOnScreen(this); }

void Layer::registerWithTouchDispatcher() {
    TouchDispatcher::sharedDispatcher().addStandardDelegate(this, 0);
}

void Layer::onEnter() {
    if (isTouchEnabled_) registerWithTouchDispatcher();
    Node::onEnter();
    if (isAccelerometerEnabled_) platform::Accelerometer::sharedAccelerometer().setDelegate(this);
}

void Layer::onExit() {
    if (isTouchEnabled_) TouchDispatcher::sharedDispatcher().removeDelegate(this);
    if (isAccelerometerEnabled_) {
        auto& acc = platform::Accelerometer::sharedAccelerometer();
        if (acc.delegate() == this) acc.setDelegate(nullptr);
    }
    Node::onExit();
}

void Layer::setIsTouchEnabled(bool on) {
    if (isTouchEnabled_ == on) return;
    isTouchEnabled_ = on;
    if (!isRunning) return;
    if (on)
        registerWithTouchDispatcher();
    else
        TouchDispatcher::sharedDispatcher().removeDelegate(this);
}

void Layer::setIsAccelerometerEnabled(bool on) {
    if (isAccelerometerEnabled_ == on) return;
    isAccelerometerEnabled_ = on;
    if (!isRunning) return;
    auto& acc = platform::Accelerometer::sharedAccelerometer();
    if (on)
        acc.setDelegate(this);
    else if (acc.delegate() == this)
        acc.setDelegate(nullptr);
}

bool Layer::ccTouchBegan(Touch*, Event*) { ccAssertionFailed("Layer#ccTouchBegan override me"); }

// --- ColorLayer ---

Ref<ColorLayer> ColorLayer::layerWithColor(ccColor4B color, float width, float height) {
    return make<ColorLayer>(color, width, height);
}

Ref<ColorLayer> ColorLayer::layerWithColor(ccColor4B color) { return make<ColorLayer>(color); }

ColorLayer::ColorLayer(ccColor4B color, float width, float height) {
    color_ = {color.r, color.g, color.b};
    opacity_ = color.a;
    updateColor();
    // The base made the layer screen-sized; this size must stick even when
    // it equals that.
    contentSize_ = Size();
    setContentSize(Size(width, height));
}

ColorLayer::ColorLayer(ccColor4B color)
    : ColorLayer(color, Director::sharedDirector().winSize().width,
                 Director::sharedDirector().winSize().height) {}

ColorLayer::ColorLayer() { ccRaise("ColorLayerInit", "Use ColorLayer initWithColor instead"); }

void ColorLayer::setContentSize(Size size) {
    squareVertices[0] = 0;
    squareVertices[1] = 0;
    squareVertices[2] = size.width;
    squareVertices[3] = 0;
    squareVertices[4] = 0;
    squareVertices[5] = size.height;
    squareVertices[6] = size.width;
    squareVertices[7] = size.height;
    Layer::setContentSize(size);
}

void ColorLayer::changeWidth(float w) { setContentSize(Size(w, contentSize_.height)); }
void ColorLayer::changeHeight(float h) { setContentSize(Size(contentSize_.width, h)); }
void ColorLayer::changeWidth(float w, float h) { setContentSize(Size(w, h)); }

void ColorLayer::setColor(ccColor3B c) {
    color_ = c;
    updateColor();
}

void ColorLayer::setRGB(uint8_t r, uint8_t g, uint8_t b) { setColor({r, g, b}); }

void ColorLayer::setOpacity(uint8_t o) {
    opacity_ = o;
    updateColor();
}

void ColorLayer::updateColor() {
    for (int i = 0; i < 4; ++i) {
        squareColors[i * 4 + 0] = color_.r;
        squareColors[i * 4 + 1] = color_.g;
        squareColors[i * 4 + 2] = color_.b;
        squareColors[i * 4 + 3] = opacity_;
    }
}

void ColorLayer::draw() {
    platform::GLState& gl = platform::GLState::current();
    gl.setArrays(platform::GLState::kVertexArray | platform::GLState::kColorArray);
    gl.setTexturing(false);
    gl.bindArrayBuffer(0);
    // The colours are not premultiplied: a see-through layer blends by alpha.
    if (opacity_ != 255)
        gl.setBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    else
        gl.setBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glVertexPointer(2, GL_FLOAT, 0, squareVertices);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, squareColors);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

// --- MultiplexLayer ---

Ref<MultiplexLayer> MultiplexLayer::layerWithLayers(std::vector<Ref<Layer>> list) {
    return make<MultiplexLayer>(std::move(list));
}

MultiplexLayer::MultiplexLayer(std::vector<Ref<Layer>> list) : layers(std::move(list)) {
    layers.reserve(5);
    enabledLayer_ = 0;
    if (!layers.empty() && layers[0]) addChild(layers[0].get());
}

void MultiplexLayer::switchTo(unsigned index) {
    ccAssert(index < layers.size(), "Invalid index in MultiplexLayer switchTo message");
    if (enabledLayer_ < layers.size() && layers[enabledLayer_])
        removeChild(layers[enabledLayer_].get(), true);
    enabledLayer_ = index;
    if (layers[index]) addChild(layers[index].get());
}

void MultiplexLayer::switchToAndReleaseMe(unsigned index) {
    ccAssert(index < layers.size(), "Invalid index in MultiplexLayer switchTo message");
    if (enabledLayer_ < layers.size() && layers[enabledLayer_]) {
        removeChild(layers[enabledLayer_].get(), true);
        layers[enabledLayer_] = nullptr;
    }
    enabledLayer_ = index;
    if (layers[index]) addChild(layers[index].get());
}
