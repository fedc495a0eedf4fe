#pragma once

#include "platform/GL.h"
#include "render/Texture2D.h"
#include "support/Ref.h"
#include "support/Selector.h"
#include "support/Singleton.h"

#include <mutex>
#include <string>
#include <unordered_map>

namespace platform {
class DecodedImage;
}

// One pending background load: the operation to call with the texture, the
// object it is called on (held), and the file name.
struct AsyncObject {
    Selector<void(Texture2D*)> selector_;
    Ref<Object> target_;
    std::string data_;
};

// The process-wide texture cache: one texture per key (usually the file
// name as the caller gave it), so that a file is uploaded once. The cache
// holds what it returns until one of the removal operations drops it.
class TextureMgr : public Object {
public:
    static TextureMgr& sharedTextureMgr();
    // Drops the shared instance; the next use makes a new one.
    static void purgeSharedTextureMgr();

    TextureMgr();
    ~TextureMgr() override;

    // The texture of an image file (".pvr" files: cached under their full
    // path). Null when the file cannot be decoded; nothing is cached then.
    Ref<Texture2D> addImage(const std::string& fileName);
    // Calls `selector` with the texture on the main thread: at once when it
    // is cached, else once a background thread has decoded the file; the
    // texture is made and cached on the main thread, in the shared cache of
    // that moment.
    void addImageAsync(const std::string& fileName, Object* target,
                       Selector<void(Texture2D*)> selector);
    // A .pvr file by path (the key); unreadable files give an empty texture.
    Ref<Texture2D> addPVRTCImage(const std::string& path);
    // A header-less PVRTC file of a `width` x `width` texture.
    Ref<Texture2D> addPVRTCImage(const std::string& fileName, int bpp, bool hasAlpha,
                                 unsigned width);
    Ref<Texture2D> addCGImage(const platform::DecodedImage* image, const std::string& key);
    // Keyed by the image's identity; the entry holds the image, so that no
    // other image can take its address while the key is in use.
    Ref<Texture2D> addCGImage(const platform::DecodedImage* image);

    // Drops every key that maps to `texture`.
    void removeTexture(Texture2D* texture);
    void removeAllTextures();
    // Drops the textures that nothing but the cache holds.
    void removeUnusedTextures();

    // The cached texture of `key`, or null (no loading).
    Ref<Texture2D> textureForKey(const std::string& key);
    size_t textureCount();

protected:
    // Puts `texture` in the cache under `key` (also a second key).
    void cacheTexture(const std::string& key, Texture2D* texture);

private:
    Ref<Texture2D> cached(const std::string& key);
    // The main thread's half of a background load.
    void finishLoad(const AsyncObject& async, const platform::DecodedImage* image);
    // Drops the images held for keys that are gone.
    void forgetImagesOfRemovedKeys();

    std::unordered_map<std::string, Ref<Texture2D>> textures;
    // The images whose identity is a key.
    std::unordered_map<std::string, Ref<platform::DecodedImage>> keyImages_;
    // The full path (the key) of each .pvr name addImage() was given; only
    // trusted while that key is cached.
    std::unordered_map<std::string, std::string> pvrPaths_;
    // Recursive: addImage() of a .pvr file goes through addPVRTCImage().
    std::recursive_mutex dictLock;
    SingletonGuard<TextureMgr> guard_;
};
