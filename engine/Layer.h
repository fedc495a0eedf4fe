#pragma once

#include "engine/Node.h"
#include "engine/RGBAProtocol.h"
#include "engine/Scene.h"
#include "engine/TouchDelegate.h"
#include "platform/Accelerometer.h"
#include "support/Types.h"

// A full-screen node that can receive touches and accelerometer samples
// while it runs.
class Layer : public Node,
              public TargetedTouchDelegate,
              public StandardTouchDelegate,
              public platform::AccelerometerDelegate {
public:
    static Ref<Layer> node();
    Layer();

    void onEnter() override;
    void onExit() override;

    // Registers as a standard delegate at priority 0; override to register
    // as a targeted one.
    virtual void registerWithTouchDispatcher();

    bool isTouchEnabled() const { return isTouchEnabled_; }
    void setIsTouchEnabled(bool on);
    bool isAccelerometerEnabled() const { return isAccelerometerEnabled_; }
    void setIsAccelerometerEnabled(bool on);

    bool ccTouchBegan(Touch* touch, Event* event) override;
    void accelerometer(platform::Accelerometer*, const platform::Acceleration&) override {}

protected:
    bool isTouchEnabled_ = false;
    bool isAccelerometerEnabled_ = false;
};

// A layer filled with one colour.
class ColorLayer : public Layer, public RGBAProtocol {
public:
    static Ref<ColorLayer> layerWithColor(ccColor4B color, float width, float height);
    static Ref<ColorLayer> layerWithColor(ccColor4B color);
    ColorLayer(ccColor4B color, float width, float height);
    explicit ColorLayer(ccColor4B color);
    // A colour layer needs its colour: the plain constructor is refused.
    ColorLayer();

    void setContentSize(Size size) override;
    void changeWidth(float w);
    void changeHeight(float h);
    void changeWidth(float w, float h);

    ccColor3B color() const override { return color_; }
    void setColor(ccColor3B c) override;
    void setRGB(uint8_t r, uint8_t g, uint8_t b);
    uint8_t opacity() const override { return opacity_; }
    void setOpacity(uint8_t o) override;

    void draw() override;

protected:
    void updateColor();

    uint8_t opacity_ = 0;
    ccColor3B color_;
    float squareVertices[4 * 2] = {};
    uint8_t squareColors[4 * 4] = {};
};

// Shows one of several layers at a time.
class MultiplexLayer : public Layer {
public:
    // The first layer is shown.
    static Ref<MultiplexLayer> layerWithLayers(std::vector<Ref<Layer>> layers);
    explicit MultiplexLayer(std::vector<Ref<Layer>> layers);

    void switchTo(unsigned index);
    // As switchTo, and lets the old layer go.
    void switchToAndReleaseMe(unsigned index);
    unsigned enabledLayer() const { return enabledLayer_; }

protected:
    unsigned enabledLayer_ = 0;
    std::vector<Ref<Layer>> layers;
};
