#include "render/TextureMgr.h"

#include "engine/Director.h"

#include "engine/FileUtils.h"
#include "platform/Files.h"
#include "platform/ImageDecoder.h"
#include "platform/RunLoop.h"
#include "support/Error.h"
#include "support/Log.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <thread>
#include <unordered_map>
#include <utility>

namespace {

Shared<TextureMgr> shared;

constexpr const char* kNullFileName = "TextureMgr: fileimage MUST not be nill";
constexpr const char* kNullImage = "TextureMgr: image MUST not be nill";

bool hasPVRExtension(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return tail == ".pvr";
}

} // namespace

TextureMgr& TextureMgr::sharedTextureMgr() {
    // The director releases the cache when it ends.
    static bool registered = (Director::addEndHook([] { purgeSharedTextureMgr(); }), true);
    (void)registered;
    return shared.get();
}

void TextureMgr::purgeSharedTextureMgr() {
    shared.purge();
}

TextureMgr::TextureMgr() {
    textures.reserve(10);
}

TextureMgr::~TextureMgr() = default;

Ref<Texture2D> TextureMgr::cached(const std::string& key) {
    std::lock_guard lock(dictLock);
    auto it = textures.find(key);
    return it == textures.end() ? nullptr : it->second;
}

Ref<Texture2D> TextureMgr::textureForKey(const std::string& key) {
    return cached(key);
}

size_t TextureMgr::textureCount() {
    std::lock_guard lock(dictLock);
    return textures.size();
}

Ref<Texture2D> TextureMgr::addImage(const std::string& fileName) {
    ccAssert(!fileName.empty(), kNullFileName);
    std::lock_guard lock(dictLock);
    if (auto it = textures.find(fileName); it != textures.end()) return it->second;
    // A .pvr name asked for again (every explosion asks for its glow) finds
    // its path without asking the file system again.
    if (auto known = pvrPaths_.find(fileName); known != pvrPaths_.end())
        if (auto it = textures.find(known->second); it != textures.end()) return it->second;

    std::string path = FileUtils::fullPathFromRelativePath(fileName);
    // The extension test is on the lower-cased name; PVR textures are keyed
    // by their full path.
    if (hasPVRExtension(fileName)) {
        Ref<Texture2D> texture = addPVRTCImage(path);
        if (texture) pvrPaths_.insert_or_assign(fileName, path);
        return texture;
    }

    auto image = platform::DecodedImage::imageWithContentsOfFile(path);
    Ref<Texture2D> texture = Texture2D::textureWithImage(image.get());
    if (texture) textures[fileName] = texture;
    return texture;
}

Ref<Texture2D> TextureMgr::addPVRTCImage(const std::string& path) {
    ccAssert(!path.empty(), kNullFileName);
    std::lock_guard lock(dictLock);
    if (auto it = textures.find(path); it != textures.end()) return it->second;
    Ref<Texture2D> texture = Texture2D::textureWithPVRTCFile(path);
    if (texture) textures[path] = texture;
    return texture;
}

Ref<Texture2D> TextureMgr::addPVRTCImage(const std::string& fileName, int bpp, bool hasAlpha,
                                         unsigned width) {
    ccAssert(!fileName.empty(), kNullFileName);
    ccAssert(bpp == 2 || bpp == 4, "TextureMgr: bpp must be either 2 or 4");
    std::lock_guard lock(dictLock);
    if (auto it = textures.find(fileName); it != textures.end()) return it->second;
    auto data = platform::readFile(FileUtils::fullPathFromRelativePath(fileName));
    if (!data) {
        ccLog("TextureMgr: cannot read %s", fileName.c_str());
        return nullptr;
    }
    Ref<Texture2D> texture =
        Texture2D::textureWithPVRTCData(data->data(), data->size(), 0, bpp, hasAlpha, width);
    if (texture) textures[fileName] = texture;
    return texture;
}

Ref<Texture2D> TextureMgr::addCGImage(const platform::DecodedImage* image, const std::string& key) {
    ccAssert(image, kNullImage);
    std::lock_guard lock(dictLock);
    if (auto it = textures.find(key); it != textures.end()) return it->second;
    Ref<Texture2D> texture = Texture2D::textureWithImage(image);
    if (texture) textures[key] = texture;
    return texture;
}

Ref<Texture2D> TextureMgr::addCGImage(const platform::DecodedImage* image) {
    ccAssert(image, kNullImage);
    char key[32];
    std::snprintf(key, sizeof key, "%08lX",
                  static_cast<unsigned long>(reinterpret_cast<uintptr_t>(image)));
    std::lock_guard lock(dictLock);
    Ref<Texture2D> texture = addCGImage(image, key);
    // Holding the image does not change it.
    if (texture)
        keyImages_[key] = Ref<platform::DecodedImage>(const_cast<platform::DecodedImage*>(image));
    return texture;
}

void TextureMgr::cacheTexture(const std::string& key, Texture2D* texture) {
    std::lock_guard lock(dictLock);
    textures[key] = texture;
}

void TextureMgr::forgetImagesOfRemovedKeys() {
    std::erase_if(keyImages_, [this](const auto& entry) { return !textures.count(entry.first); });
}

void TextureMgr::removeTexture(Texture2D* texture) {
    if (!texture) return;
    std::lock_guard lock(dictLock);
    std::erase_if(textures, [texture](const auto& entry) { return entry.second.get() == texture; });
    forgetImagesOfRemovedKeys();
}

void TextureMgr::removeAllTextures() {
    std::lock_guard lock(dictLock);
    textures.clear();
    keyImages_.clear();
    pvrPaths_.clear();
}

void TextureMgr::removeUnusedTextures() {
    std::lock_guard lock(dictLock);
    std::erase_if(textures, [](const auto& entry) { return entry.second->retainCount() == 1; });
    forgetImagesOfRemovedKeys();
}

namespace {

// Pending background loads by number. Only the main thread touches this
// table, and with it the targets the loads hold.
std::unordered_map<uint64_t, AsyncObject>& pendingLoads() {
    static std::unordered_map<uint64_t, AsyncObject> pending;
    return pending;
}

// A decoded image on its way from a loader to the main thread. Nothing but
// the loader knows the image until the main thread takes it, so its count
// is never touched by two threads.
struct DecodedOnTheWay {
    platform::DecodedImage* image = nullptr; // one reference
    ~DecodedOnTheWay() {
        if (image) image->release();
    }
    Ref<platform::DecodedImage> take() {
        return Ref<platform::DecodedImage>::adopt(std::exchange(image, nullptr));
    }
};

} // namespace

void TextureMgr::addImageAsync(const std::string& fileName, Object* target,
                               Selector<void(Texture2D*)> selector) {
    ccAssert(!fileName.empty(), kNullFileName);
    if (Ref<Texture2D> texture = cached(fileName)) {
        selector(texture.get());
        return;
    }
    static uint64_t lastLoad = 0;
    const uint64_t load = ++lastLoad;
    pendingLoads().emplace(load, AsyncObject{std::move(selector), Ref<Object>(target), fileName});

    // The loader gets plain values and decodes; the cache, the target and
    // the texture (whose counts are not atomic) stay with the main thread.
    // PVR files are small and uploaded as they are read: all on the main
    // thread.
    std::string path =
        hasPVRExtension(fileName) ? std::string() : FileUtils::fullPathFromRelativePath(fileName);
    std::thread([load, path = std::move(path)] {
        auto decoded = std::make_shared<DecodedOnTheWay>();
        if (!path.empty())
            decoded->image = platform::DecodedImage::imageWithContentsOfFile(path).detach();
        platform::RunLoop::main().performOnMainThread(
            [load, decoded] {
                auto it = pendingLoads().find(load);
                if (it == pendingLoads().end()) return;
                AsyncObject async = std::move(it->second);
                pendingLoads().erase(it);
                Ref<platform::DecodedImage> image = decoded->take();
                sharedTextureMgr().finishLoad(async, image.get());
            },
            false);
    }).detach();
}

void TextureMgr::finishLoad(const AsyncObject& async, const platform::DecodedImage* image) {
    Ref<Texture2D> texture = cached(async.data_);
    if (!texture) {
        if (hasPVRExtension(async.data_)) {
            texture = addImage(async.data_);
        } else {
            texture = Texture2D::textureWithImage(image);
            if (texture) cacheTexture(async.data_, texture.get());
        }
    }
    async.selector_(texture.get());
}
