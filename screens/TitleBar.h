#pragma once

#include "platform/ui/Toolbar.h"

#include <string>
#include <vector>

// The bar across the top of a platform screen: its title in the middle and
// `items` (a Done button, say) laid out as a toolbar lays them out.
Ref<platform::Toolbar> makeTitleBar(const std::string& title,
                                    std::vector<Ref<platform::BarButtonItem>> items = {});
