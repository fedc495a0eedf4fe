#pragma once

#include "platform/ImageDecoder.h"
#include "platform/ui/Control.h"
#include "platform/ui/Graphics.h"

#include <map>
#include <string>

namespace platform {

enum class ButtonType {
    Custom,      // only what it is given: images, title
    RoundedRect, // a white rounded box with a blue title
};

// A picture from the application's resources ("back1.png"); null (logged)
// when there is none.
Ref<DecodedImage> imageNamed(const std::string& name);

// A control with a title or an image (and a background image) for each
// state; states without their own fall back to the normal one. Disabled
// buttons without their own disabled look are drawn faded.
class Button : public Control {
public:
    explicit Button(Rect frame = Rect(), ButtonType type = ButtonType::RoundedRect);
    static Ref<Button> buttonWithType(ButtonType type) { return make<Button>(Rect(), type); }

    ButtonType buttonType() const { return type_; }

    void setTitle(std::string title, unsigned state = ControlStateNormal);
    void setTitleColor(ccColor4F color, unsigned state = ControlStateNormal);
    void setImage(Ref<DecodedImage> image, unsigned state = ControlStateNormal);
    void setBackgroundImage(Ref<DecodedImage> image, unsigned state = ControlStateNormal);
    void setFont(Font font);
    const Font& font() const { return font_; }

    // What the button shows in its current state.
    std::string currentTitle() const;
    DecodedImage* currentImage() const;

    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override;

protected:
    // The current title on one line, centred in the bounds less `inset` on
    // each side.
    void drawTitle(GraphicsContext& g, float inset, ccColor4F color, float dy = 0) const;

private:
    template <class T>
    static const T* lookup(const std::map<unsigned, T>& m, unsigned state);
    unsigned lookState() const;

    ButtonType type_;
    Font font_ = Font::boldSystemFont(15);
    std::map<unsigned, std::string> titles_;
    std::map<unsigned, ccColor4F> titleColors_;
    std::map<unsigned, Ref<DecodedImage>> images_;
    std::map<unsigned, Ref<DecodedImage>> backgrounds_;
};

} // namespace platform
