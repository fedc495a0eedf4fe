#include "screens/TitleBar.h"

#include "platform/ui/Label.h"

Ref<platform::Toolbar> makeTitleBar(const std::string& title,
                                    std::vector<Ref<platform::BarButtonItem>> items) {
    using namespace platform;
    auto bar = make<Toolbar>(Rect(0, 0, 320, Toolbar::kHeight));
    // Under the buttons, so that a long title never hides one.
    auto label = make<Label>(Rect(70, 0, 180, Toolbar::kHeight), title);
    label->setFont(Font::boldSystemFont(20));
    label->setTextColor(rgba(1, 1, 1));
    label->setShadowColor(rgba(0, 0, 0, 0.45f));
    label->setTextAlignment(TextAlignment::Center);
    label->setNumberOfLines(1);
    label->setUserInteractionEnabled(false);
    bar->addSubview(label.get());
    bar->setItems(std::move(items));
    return bar;
}
