#include "render/TextureMgr.h"

#include "engine/Director.h"

#include "engine/FileUtils.h"
#include "platform/Files.h"
#include "platform/ImageDecoder.h"
#include "platform/RunLoop.h"
#include "platform/Window.h"
#include "support/Error.h"
#include "support/Log.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <thread>

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

TextureMgr::~TextureMgr() {
    // The auxiliary context goes with the cache; the shared instance is
    // cleared by purgeSharedTextureMgr().
    textures.clear();
    auxContext_ = nullptr;
}

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

    std::string path = FileUtils::fullPathFromRelativePath(fileName);
    // The extension test is on the lower-cased name; PVR textures are keyed
    // by their full path.
    if (hasPVRExtension(fileName)) return addPVRTCImage(path);

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
    return addCGImage(image, key);
}

void TextureMgr::cacheTexture(const std::string& key, Texture2D* texture) {
    std::lock_guard lock(dictLock);
    textures[key] = texture;
}

void TextureMgr::removeTexture(Texture2D* texture) {
    if (!texture) return;
    std::lock_guard lock(dictLock);
    std::erase_if(textures, [texture](const auto& entry) { return entry.second.get() == texture; });
}

void TextureMgr::removeAllTextures() {
    std::lock_guard lock(dictLock);
    textures.clear();
}

void TextureMgr::removeUnusedTextures() {
    std::lock_guard lock(dictLock);
    std::erase_if(textures, [](const auto& entry) { return entry.second->retainCount() == 1; });
}

void TextureMgr::addImageAsync(const std::string& fileName, Object* target,
                               Selector<void(Texture2D*)> selector) {
    ccAssert(!fileName.empty(), kNullFileName);
    if (Ref<Texture2D> texture = cached(fileName)) {
        selector(texture.get());
        return;
    }
    platform::RunLoop& loop = platform::RunLoop::main();
    AsyncObject async{std::move(selector), Ref<Object>(target), fileName};

    // The auxiliary context is made here, on the thread whose context it
    // shares with: the window system makes contexts on that thread only.
    if (!auxContext_) {
        platform::GLContext* main = platform::GLContext::current();
        if (!main && platform::Window::main()) main = platform::Window::main()->context();
        if (main) auxContext_ = main->createSharedContext();
    }
    Ref<TextureMgr> self(this);
    if (!auxContext_) {
        ccLog("TextureMgr: no shared GL context; loading %s on the main thread", fileName.c_str());
        loop.performOnMainThread(
            [self = std::move(self), async = std::move(async)] {
                Ref<Texture2D> texture = self->addImage(async.data_);
                async.selector_(texture.get());
            },
            false);
        return;
    }
    // Reference counts are not atomic: everything the thread is handed
    // (this cache, the target, the texture) goes back to the main thread to
    // be released there.
    std::thread([self = std::move(self), async = std::move(async)]() mutable {
        loadInBackground(std::move(self), std::move(async));
    }).detach();
}

void TextureMgr::loadInBackground(Ref<TextureMgr> self, AsyncObject async) {
    Ref<Texture2D> texture;
    bool loaded = false;
    std::exception_ptr failure;
    {
        std::lock_guard lock(self->contextLock);
        if (self->auxContext_->makeCurrent()) {
            try {
                texture = self->addImage(async.data_);
            } catch (const Error&) {
                // An assertion of the load fails on the main thread, as it
                // would have without the background thread.
                failure = std::current_exception();
            }
            // The main context may draw the texture as soon as it hears of it.
            glFinish();
            platform::GLContext::clearCurrent();
            loaded = true;
        }
    }
    platform::RunLoop::main().performOnMainThread(
        [self = std::move(self), async = std::move(async), texture = std::move(texture), loaded,
         failure]() mutable {
            if (failure) std::rethrow_exception(failure);
            if (!loaded) {
                ccLog("TextureMgr: loading context unusable; loading %s on the main thread",
                      async.data_.c_str());
                texture = self->addImage(async.data_);
            }
            async.selector_(texture.get());
        },
        false);
}
