#pragma once

#include "engine/FrameProtocol.h"
#include "render/TextureNode.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace platform {
class DecodedImage;
}

// A named sequence of whole textures for a Sprite, `delay` seconds each.
class Animation : public AnimationProtocol {
public:
    static Ref<Animation> animationWithName(const std::string& name, float delay);
    // Each image file through the texture cache; files that cannot be loaded
    // are left out (the cache has logged them).
    static Ref<Animation> animationWithName(const std::string& name, float delay,
                                            const std::vector<std::string>& images);
    static Ref<Animation> animationWithName(const std::string& name, float delay,
                                            const std::vector<Ref<Texture2D>>& textures);
    Animation(std::string name, float delay);

    void addFrameWithFilename(const std::string& fileName);
    void addFrameWithTexture(Texture2D* texture);

    const std::string& name() const { return name_; }
    void setName(const std::string& name) { name_ = name; }
    float delay() const override { return delay_; }
    void setDelay(float delay) { delay_ = delay; }
    const std::vector<Ref<Texture2D>>& frames() const { return frames_; }
    void setFrames(std::vector<Ref<Texture2D>> frames) { frames_ = std::move(frames); }

    size_t frameCount() const override { return frames_.size(); }
    Object* frameAtIndex(size_t index) const override { return frames_.at(index).get(); }

protected:
    std::string name_;
    float delay_;
    std::vector<Ref<Texture2D>> frames_;
};

// A node that owns a whole texture and draws it with its own draw call. Its
// frames are textures.
class Sprite : public TextureNode, public FrameProtocol {
public:
    // A file that cannot be loaded gives a sprite without a picture: it has
    // no size and draws nothing.
    static Ref<Sprite> spriteWithFile(const std::string& fileName);
    static Ref<Sprite> spriteWithTexture(Texture2D* texture);
    // Cached under the image's identity.
    static Ref<Sprite> spriteWithCGImage(const platform::DecodedImage* image);
    Sprite() = default;
    explicit Sprite(Texture2D* texture);

    void addAnimation(Animation* animation);
    // Null when there is none of that name.
    Animation* animationByName(const std::string& animationName) const;

    void setDisplayFrame(Texture2D* texture) { setTexture(texture); }
    // Frame `frameIndex` of the named animation.
    void setDisplayFrame(const std::string& animationName, size_t frameIndex);
    bool isFrameDisplayed(Texture2D* texture) { return texture == texture_.get(); }

    // FrameProtocol: frames are textures.
    Ref<Object> displayFrame() override { return texture_; }
    void setDisplayFrame(Object* frame) override;
    bool isFrameDisplayed(Object* frame) override { return frame == texture_.get(); }

protected:
    std::unordered_map<std::string, Ref<Animation>> animations;
};
