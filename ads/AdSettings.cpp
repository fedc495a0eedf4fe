#include "ads/AdSettings.h"

std::string AdSettings::url(const std::string& path) const {
    std::string base = serverURL;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base + path;
}

AdSettings& AdSettings::shared() {
    static AdSettings settings;
    return settings;
}
