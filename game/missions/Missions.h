#pragma once

#include "engine/Scene.h"
#include "game/QBButtonNode.h"

class Object;

// The mission selection screen: three entries, the locked ones drawn
// half-transparent and refused with an alert. Which missions are open is
// read from the saved "missions" file each time the screen is built. Every
// mission comes back here.
class Missions : public Scene, public QBButtonDelegate {
public:
    static Ref<Missions> scene();
    Missions();

    // The entries: Mission One, Two and Three.
    void settingsSelector(Object* sender);
    void helpSelector(Object* sender);
    void threeMain(Object* sender);

    void didPressButton() override;
    void didPressDown() override;
    void stoppedPressing() override;

    Ref<QBButtonNode> backButton;
    bool isTwo = false;
    bool isThree = false;
    bool isFour = false; // room for a fourth mission; nothing opens one yet

    // The opacity of a locked entry.
    static constexpr uint8_t kLockedOpacity = 128;

private:
    void showLocked();
};

// The back arrow of the mission screens: "back1.png" in the top-left
// corner, added to `screen`, reporting to `delegate`.
Ref<QBButtonNode> addBackButton(Node* screen, QBButtonDelegate* delegate);
// Shows `image` (through the texture cache) on a screen's back button.
void showBackImage(QBButtonNode* button, const char* image);
