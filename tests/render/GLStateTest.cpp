// Nodes needing different GL state drawn one after another in one visit:
// each must look as if drawn alone, whatever the node before it left set.
#include "engine/Layer.h"
#include "render/AtlasSpriteManager.h"
#include "render/ParticleSystem.h"
#include "render/Sprite.h"
#include "tests/render/RenderTestSupport.h"

using namespace rendertest;

namespace {

using Rgba = std::array<uint8_t, 4>;

class GLStateTest : public NodeGLTest {
protected:
    static Ref<Texture2D> solid(Rgba rgba, platform::ImageAlpha alpha) {
        return textureOf(
            8, 8, [rgba](int, int) { return rgba; }, alpha);
    }
};

} // namespace

TEST_F(GLStateTest, EachNodeGetsTheStateItNeedsWhateverCameBefore) {
    const auto premultiplied = platform::ImageAlpha::Premultiplied;
    auto white = solid({255, 255, 255, 255}, premultiplied);
    auto halfRed = solid({128, 0, 0, 128}, premultiplied);
    // Straight alpha: premultiplied on upload all the same, but drawn with
    // (source alpha, one minus source alpha), so half as red again.
    auto halfRedStraight = solid({255, 0, 0, 128}, platform::ImageAlpha::Straight);
    auto blue = solid({0, 0, 255, 255}, premultiplied);
    auto green = solid({0, 255, 0, 255}, premultiplied);
    // Clear along its edges, so a draw that loses its texture coordinates shows nothing.
    auto framedGreen = textureOf(
        8, 8,
        [](int x, int y) {
            const bool edge = x == 0 || y == 0 || x == 7 || y == 7;
            return edge ? Rgba{0, 0, 0, 0} : Rgba{0, 255, 0, 255};
        },
        premultiplied);

    // One 16-pixel cell per node, left to right, in drawing order.
    auto root = Node::node();
    int cell = 0;
    auto put = [&](Node* node) { node->setPosition(Point(float(16 * cell++ + 8), 8)); };
    auto sprite = [&](Texture2D* texture) {
        auto s = Sprite::spriteWithTexture(texture);
        put(s.get());
        root->addChild(s.get());
        return s;
    };
    sprite(halfRed.get());
    sprite(halfRedStraight.get());
    sprite(halfRed.get());
    // Untextured, from a colour array, blended by alpha.
    auto layer = ColorLayer::layerWithColor(ccc4(0, 0, 255, 128), 8, 8);
    layer->setPosition(Point(float(16 * cell++ + 4), 4)); // placed by its corner
    root->addChild(layer.get());
    sprite(white.get())->setColor(ccc3(0, 255, 0));
    // Colours from the quads' own colour array.
    auto manager = AtlasSpriteManager::spriteManagerWithTexture(blue.get());
    auto atlasSprite = manager->createSpriteWithRect(Rect(0, 0, 8, 8));
    manager->addChild(atlasSprite.get());
    put(atlasSprite.get());
    root->addChild(manager.get());
    sprite(white.get());
    // Drawn from their own buffers, added for good: quads, then points with
    // sprites on, which a textured triangle drawn next must not inherit.
    std::vector<Ref<ParticleSystem>> systems;
    auto particles = [&](Ref<ParticleSystem> system, float red, float blue) {
        system->setTexture(white.get());
        system->setLife(100);
        system->setEmissionRate(100);
        system->setDuration(kParticleDurationInfinity);
        system->setStartSize(6);
        system->setEndSize(kParticleStartSizeEqualToEndSize);
        system->setStartColor({red, 0, blue, 1});
        system->setEndColor({red, 0, blue, 1});
        system->setBlendAdditive(true);
        put(system.get());
        root->addChild(system.get());
        system->step(1.0f / 60);
        systems.push_back(system);
    };
    particles(QuadParticleSystem::particleWithTotalParticles(1), 1, 0);
    sprite(white.get());
    particles(PointParticleSystem::particleWithTotalParticles(1), 0, 1);
    sprite(framedGreen.get());
    sprite(green.get());
    sprite(halfRed.get());

    auto surface = surface2D(16 * cell, 16, std::array<uint8_t, 4>{0, 0, 0, 255}.data());
    ASSERT_TRUE(surface);
    root->visit();
    endDrawing();
    Pixels px = Pixels::of(*surface);
    const std::vector<std::vector<int>> expected = {
        {128, 0, 0},     {64, 0, 0},  {128, 0, 0},     {0, 0, 128}, {0, 255, 0}, {0, 0, 255},
        {255, 255, 255}, {255, 0, 0}, {255, 255, 255}, {0, 0, 255}, {0, 255, 0},
        {0, 255, 0},     {128, 0, 0}};
    ASSERT_EQ(expected.size(), size_t(cell));
    for (int i = 0; i < cell; ++i)
        EXPECT_TRUE(near(px.at(16 * i + 8, 8), expected[size_t(i)], 3)) << "cell " << i;
    for (auto& system : systems)
        system->cleanup();
}

// Deleting a bound object unbinds it, and drivers may hand its name out again
// at once: binding that name next must reach GL.
TEST_F(GLStateTest, ANameDeletedWhileBoundIsBoundAgain) {
    using platform::GLState;
    const struct {
        const char* what;
        GLenum binding;
        void (GLState::*bind)(GLuint);
        void (*gen)(GLsizei, GLuint*);
        void (*remove)(GLsizei, const GLuint*);
    } cases[] = {
        {"texture", GL_TEXTURE_BINDING_2D, &GLState::bindTexture, glGenTextures,
         GLState::deleteTextures},
        {"array buffer", GL_ARRAY_BUFFER_BINDING, &GLState::bindArrayBuffer, glGenBuffers,
         GLState::deleteBuffers},
        {"element buffer", GL_ELEMENT_ARRAY_BUFFER_BINDING, &GLState::bindElementArrayBuffer,
         glGenBuffers, GLState::deleteBuffers},
    };
    GLState& gl = GLState::current();
    for (const auto& c : cases) {
        GLuint name = 0;
        c.gen(1, &name);
        (gl.*c.bind)(name);
        c.remove(1, &name);
        (gl.*c.bind)(name); // as if the name had been handed out again
        GLint bound = 0;
        glGetIntegerv(c.binding, &bound);
        EXPECT_EQ(GLuint(bound), name) << c.what;
        c.remove(1, &name);
    }
    gl.restoreDefaults();
}
