#include "game/ScrollerSprite.h"

#include "platform/GL.h"
#include "render/TextureMgr.h"

Ref<ScrollerSprite> ScrollerSprite::spriteWithFile(const std::string& fileName) {
    return make<ScrollerSprite>(TextureMgr::sharedTextureMgr().addImage(fileName).get());
}

ScrollerSprite::ScrollerSprite(Texture2D* texture) {
    if (texture) setTexture(texture);
}

void ScrollerSprite::draw() {
    if (!texture_) return;
    platform::GLState& gl = platform::GLState::current();
    gl.setArrays(platform::GLState::kVertexArray | platform::GLState::kTexCoordArray);
    gl.useTexture(texture_->name());
    // Untinted, with the drawing default blend, whatever the node's own.
    gl.setColor(255, 255, 255, 255);
    gl.setBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(0, texOffset_ / 512, 0);
    texture_->drawAtPoint(Point(0, 0));
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}
