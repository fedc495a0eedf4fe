#include "render/Sprite.h"

#include "render/TextureMgr.h"
#include "support/Error.h"

// --- Animation ---

Ref<Animation> Animation::animationWithName(const std::string& name, float delay) {
    return make<Animation>(name, delay);
}

Ref<Animation> Animation::animationWithName(const std::string& name, float delay,
                                            const std::vector<std::string>& images) {
    auto animation = make<Animation>(name, delay);
    for (const auto& file : images)
        animation->addFrameWithFilename(file);
    return animation;
}

Ref<Animation> Animation::animationWithName(const std::string& name, float delay,
                                            const std::vector<Ref<Texture2D>>& textures) {
    auto animation = make<Animation>(name, delay);
    for (const auto& texture : textures)
        animation->addFrameWithTexture(texture.get());
    return animation;
}

Animation::Animation(std::string name, float delay) : name_(std::move(name)), delay_(delay) {
    frames_.reserve(5);
}

void Animation::addFrameWithFilename(const std::string& fileName) {
    addFrameWithTexture(TextureMgr::sharedTextureMgr().addImage(fileName).get());
}

void Animation::addFrameWithTexture(Texture2D* texture) {
    // A frame without a picture would blank the sprite while it shows.
    if (texture) frames_.emplace_back(texture);
}

// --- Sprite ---

Ref<Sprite> Sprite::spriteWithFile(const std::string& fileName) {
    return make<Sprite>(TextureMgr::sharedTextureMgr().addImage(fileName).get());
}

Ref<Sprite> Sprite::spriteWithTexture(Texture2D* texture) {
    return make<Sprite>(texture);
}

Ref<Sprite> Sprite::spriteWithCGImage(const platform::DecodedImage* image) {
    return make<Sprite>(TextureMgr::sharedTextureMgr().addCGImage(image).get());
}

Sprite::Sprite(Texture2D* texture) {
    setTexture(texture);
}

void Sprite::addAnimation(Animation* animation) {
    ccAssert(animation != nullptr, "Argument must be non-nil");
    if (animations.empty()) animations.reserve(2);
    animations[animation->name()] = animation;
}

Animation* Sprite::animationByName(const std::string& animationName) const {
    auto it = animations.find(animationName);
    return it == animations.end() ? nullptr : it->second.get();
}

void Sprite::setDisplayFrame(const std::string& animationName, size_t frameIndex) {
    Animation* animation = animationByName(animationName);
    ccAssert(animation && frameIndex < animation->frames().size(),
             "Sprite#setDisplayFrame. Invalid frame");
    setTexture(animation->frames()[frameIndex].get());
}

void Sprite::setDisplayFrame(Object* frame) {
    auto* texture = dynamic_cast<Texture2D*>(frame);
    ccAssert(texture != nullptr || frame == nullptr, "Sprite#setDisplayFrame. Invalid frame");
    setTexture(texture);
}
