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
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(0, texOffset_ / 512, 0);
    texture_->drawAtPoint(Point(0, 0));
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_TEXTURE_2D);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}
