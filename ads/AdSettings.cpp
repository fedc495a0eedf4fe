#include "ads/AdSettings.h"

AdSettings& AdSettings::shared() {
    static AdSettings settings;
    return settings;
}
