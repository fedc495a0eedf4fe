#include "render/RenderHooks.h"

#include "engine/Director.h"
#include "render/LabelAtlas.h"

void registerRenderHooks() {
    Director::setFPSLabelFactory([]() -> Ref<Node> {
        return LabelAtlas::labelAtlasWithString("00.0", "fps_images.png", 16, 24, '.');
    });
}
