// Nearest filtering on exactly the textures the screens ask it for: their
// back arrows, bitmap-font pages, launch picture and particle glow, and
// smooth filtering on every other texture they draw.
#include "game/StartScreens.h"
#include "platform/Files.h"
#include "render/AtlasNode.h"
#include "render/AtlasSpriteManager.h"
#include "render/ParticleSystem.h"
#include "render/TextureNode.h"
#include "tests/game/AppTestSupport.h"

#include <filesystem>
#include <map>
#include <set>

namespace {

struct Case {
    const char* screen;            // "launch": the launch picture over the menu
    std::set<std::string> aliased; // resource files
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.screen;
}

class AliasedTexturesTest : public test::AppTest, public ::testing::WithParamInterface<Case> {
protected:
    static void collect(Node* node, std::set<Texture2D*>& textures) {
        Texture2D* t = nullptr;
        if (auto* n = dynamic_cast<TextureNode*>(node)) t = n->texture();
        if (auto* n = dynamic_cast<AtlasSpriteManager*>(node)) t = n->texture();
        if (auto* n = dynamic_cast<AtlasNode*>(node)) t = n->texture();
        if (auto* n = dynamic_cast<ParticleSystem*>(node)) t = n->texture();
        if (t) textures.insert(t);
        for (const auto& child : node->children())
            collect(child.get(), textures);
    }
    // The resource file each cached texture was loaded from.
    static std::map<Texture2D*, std::string> files() {
        std::map<Texture2D*, std::string> files;
        TextureMgr& cache = TextureMgr::sharedTextureMgr();
        for (const auto& entry :
             std::filesystem::directory_iterator(platform::resourceDirectory())) {
            const std::string name = entry.path().filename().string();
            for (const std::string& key : {name, entry.path().string()})
                if (Ref<Texture2D> t = cache.textureForKey(key)) files[t.get()] = name;
        }
        return files;
    }
    static bool nearest(Texture2D* texture) {
        platform::GLState::current().bindTexture(texture->name());
        GLint min = 0, mag = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        EXPECT_EQ(min == GL_NEAREST, mag == GL_NEAREST) << texture->name();
        return min == GL_NEAREST;
    }
};

} // namespace

TEST_P(AliasedTexturesTest, OnlyWhatTheScreenAsksForIsNearestFiltered) {
    const Case& c = GetParam();
    app->setStartScreen(findStartScreen(c.screen)); // none for "launch"
    app->applicationDidFinishLaunching();
    runFor(0.5);
    std::set<Texture2D*> drawn;
    collect(Director::sharedDirector().runningScene(), drawn);
    const auto names = files();
    std::set<std::string> aliased, smooth;
    for (Texture2D* t : drawn) {
        auto it = names.find(t);
        const std::string name = it == names.end() ? "(not from a file)" : it->second;
        (nearest(t) ? aliased : smooth).insert(name);
    }
    EXPECT_EQ(aliased, c.aliased) << "smooth: " << ::testing::PrintToString(smooth);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, AliasedTexturesTest,
    ::testing::Values(Case{"launch", {"Default.png"}},
                      Case{"quickplay", {"back1.png", "output.pvr", "redFont3.png"}},
                      Case{"missions", {"back1.png"}},
                      Case{"mission1", {"back1.png", "output.pvr", "redFont3.png"}},
                      Case{"mission3", {"back1.png", "output.pvr", "redFont3.png"}},
                      Case{"minigames", {"back1.png"}},
                      Case{"asteroidavoid", {"back1.png", "greenFont.png"}},
                      Case{"dragship", {"back1.png", "greenFont.png"}},
                      Case{"spaceshoot", {"back2.png"}}),
    [](const auto& info) { return std::string(info.param.screen); });
