#include "ads/AdSettings.h"

std::string AdSettings::url(const std::string& path) const {
    std::string base = serverURL;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base + path;
}

platform::HttpRequest AdSettings::request(std::string url, const std::string& userAgent,
                                          size_t maxBodyBytes,
                                          platform::Redirects redirects) const {
    platform::HttpRequest r;
    r.url = std::move(url);
    r.headers = {{"User-Agent", userAgent}};
    r.redirects = redirects;
    r.maxBodyBytes = maxBodyBytes;
    r.connectTimeout = connectTimeout;
    r.timeout = timeout;
    return r;
}

AdSettings& AdSettings::shared() {
    static AdSettings settings;
    return settings;
}
