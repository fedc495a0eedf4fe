// deps: game
// Reads any bytes as a sprite-sheet description and looks up every name in
// it: whatever numbers the frames hold, the rectangles come out without
// undefined conversions.
#include "game/RectManager.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

// The registry reads descriptions from files: one scratch file per process.
struct ScratchFile {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("fuzz_frames." + std::to_string(getpid()) + ".plist"))
                           .string();
    ~ScratchFile() { std::filesystem::remove(path); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ScratchFile file;
    {
        std::ofstream out(file.path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    auto root = platform::readDictionary(file.path);
    if (!root) return 0;
    RectManager& registry = RectManager::sharedRectMgr();
    registry.loadFramesForAtlasNamed("fuzz", file.path);
    const platform::PlistDictionary* frames = &*root;
    auto framed = root->find("frames");
    if (framed != root->end() && framed->second.dictionary()) frames = framed->second.dictionary();
    for (const auto& [name, entry] : *frames)
        registry.frameForSprite(name, "fuzz");
    return 0;
}
